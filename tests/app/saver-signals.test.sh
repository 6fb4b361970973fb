#!/usr/bin/env bash
# SIGTERM, SIGINT and SIGHUP end a run the way closing its window does: the render
# thread tears down, the log ends with its closing records, the exit status is 0.
# Tried while the scene is being built and while it is drawn, in a daemon's window and
# full screen.
set -euo pipefail
source "$(dirname "$0")/saver-test-lib.sh"
saver_test_setup "$0" "$@"
write_settings 1 0

XEV_PID=""
trap '[[ -n "$XEV_PID" ]] && kill "$XEV_PID" 2> /dev/null; saver_test_cleanup' EXIT
xev -event structure -geometry 400x300+0+0 -name zen-daemon-window > /dev/null &
XEV_PID=$!
daemon_window="$(wait_for_window zen-daemon-window)" || fail "no daemon window"

# expect_clean_end <what>
expect_clean_end() {
  wait_saver_exit 30
  [[ "$SAVER_STATUS" == 0 ]] || fail "$1: exit status $SAVER_STATUS"
  grep -qxF "   Notify : Start common uninstall" "$LOG" || fail "$1: no uninstall record"
  expect_log_ends_properly
}

# While the scene is being built: the signal comes as soon as construction starts.
rm -f "$LOG"  # so that waiting for a record sees this run's log
XSCREENSAVER_WINDOW="$(printf '0x%x' "$daemon_window")" start_saver -root
wait_for_log "Start scene initialization" 60 || fail "the scene construction did not start"
kill -TERM "$SAVER_PID"
expect_clean_end "SIGTERM during scene construction"

# While drawing, for each signal; full screen for SIGINT, as from a terminal.
for signal in TERM HUP INT; do
  rm -f "$LOG"
  if [[ $signal == INT ]]; then start_saver /s; else start_saver -window-id "$daemon_window"; fi
  wait_for_log "Scene has been initialized successfully" 60 || fail "SIG$signal: the scene did not start"
  if [[ $signal == INT ]]; then shown="$(wait_for_window "Screen Saver")"; else shown="$daemon_window"; fi
  expect_scene "$shown" "drawing-before-sig$signal"
  expect_running "SIG$signal: the saver ended by itself"
  kill -"$signal" "$SAVER_PID"
  expect_clean_end "SIG$signal while drawing"
  grep -qE '^   Notify : FPS = [0-9]' "$LOG" || fail "SIG$signal: no frame was drawn"
done
echo PASS
