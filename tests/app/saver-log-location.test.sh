#!/usr/bin/env bash
# The log goes beside the executable when that folder can be written, else into the
# user's state folder ($XDG_STATE_HOME/Vorelund, ~/.local/state/Vorelund when unset)
# under the same name. A pipe in the log's place does not hold the saver up, and with
# no place to write at all the saver still runs and ends properly.
set -euo pipefail
source "$(dirname "$0")/saver-test-lib.sh"
saver_test_setup "$0" "$@"
prepare_unprivileged

# An installed program: a folder its user cannot write.
install_dir="$WORK/installed"
mkdir -p "$install_dir"
cp "$SAVER" "$install_dir/zentharis"
chmod 555 "$install_dir"
user_folder "$WORK/home"
user_folder "$WORK/state"
[[ "$(id -u)" == 0 ]] || chmod 755 "$WORK/home" "$WORK/state"
export XDG_CONFIG_HOME="$WORK/home/config"
user_folder "$XDG_CONFIG_HOME"

# run_until_drawing <log file or -> <program> <env arguments...>: runs the program full
# screen, stops it by SIGTERM once it draws, and checks the end.
run_until_drawing() {
  local log="$1" program="$2"
  shift 2
  "${UNPRIVILEGED[@]}" env "$@" HOME="$WORK/home" "$program" /s 2> "$WORK/stderr" &
  SAVER_PID=$!
  if [[ "$log" == - ]]; then
    window="$(wait_for_window "Screen Saver" 30)" || fail "no window without a log"
    expect_scene "$window" drawing-without-a-log
  else
    LOG="$log"
    wait_for_log "Scene has been initialized successfully" 60 || fail "no log at $log"
    expect_scene "$(wait_for_window "Screen Saver")" drawing
  fi
  kill -TERM "$SAVER_PID"
  wait_saver_exit 30
  [[ "$SAVER_STATUS" == 0 ]] || fail "exit status $SAVER_STATUS (log $log)"
  [[ "$log" == - ]] || expect_log_ends_properly
}

run_until_drawing "$WORK/state/Vorelund/zentharis.log" "$install_dir/zentharis" XDG_STATE_HOME="$WORK/state"
[[ ! -e "$install_dir/zentharis.log" ]] || fail "a log appeared in the read-only folder"
[[ "$(head -n 1 "$LOG")" == "   Notify : Application has run" ]] || fail "the state log misses its first record"

run_until_drawing "$WORK/home/.local/state/Vorelund/zentharis.log" "$install_dir/zentharis" -u XDG_STATE_HOME

# A pipe without a reader where the log would go: it must not be opened.
pipe_dir="$WORK/piped"
user_folder "$pipe_dir"
cp "$SAVER" "$pipe_dir/zentharis"
mkfifo "$pipe_dir/zentharis.log"
[[ "$(id -u)" != 0 ]] || chown "$TEST_USER" "$pipe_dir/zentharis" "$pipe_dir/zentharis.log"
rm -f "$WORK/state/Vorelund/zentharis.log"
run_until_drawing "$WORK/state/Vorelund/zentharis.log" "$pipe_dir/zentharis" XDG_STATE_HOME="$WORK/state"

# Nowhere to write: the state folder cannot be made either.
chmod 555 "$WORK/home"
run_until_drawing - "$install_dir/zentharis" -u XDG_STATE_HOME
echo PASS
