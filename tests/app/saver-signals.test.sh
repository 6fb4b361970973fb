#!/usr/bin/env bash
# SIGTERM, SIGINT and SIGHUP end a run the way closing its window does: the render
# thread tears down, the log ends with its closing records, the exit status is 0.
# Tried while the scene is being built and while it is drawn, in a daemon's window and
# full screen; at the very start of the process; and while the failure box is up,
# which the signal closes.
set -euo pipefail
source "$(dirname "$0")/saver-test-lib.sh"
saver_test_setup "$0" "$@"
write_settings 1 0

open_plain_window zen-daemon-window 400x300+0+0
daemon_window="$PLAIN_WINDOW"

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
# wait_ended_within <milliseconds> <what>: the saver has ended that soon after the signal.
wait_ended_within() {
  local start="$1" limit="$2"
  while kill -0 "$SAVER_PID" 2> /dev/null; do
    (($(date +%s%3N) - start < limit)) || fail "$3: still running $limit ms after the signal"
    sleep 0.02
  done
  SAVER_STATUS=0
  wait "$SAVER_PID" || SAVER_STATUS=$?
  SAVER_PID=""
}

# At the very start: the handlers are in place before anything of the program runs (the
# log's first record comes after them). Before that, while the system still loads the
# libraries, the signal's default action ends the process with 143 and no log.
for delay in 0.01 0.05 0.15; do
  rm -f "$LOG"
  start_saver /s
  sleep "$delay"
  sent="$(date +%s%3N)"
  kill -TERM "$SAVER_PID"
  wait_ended_within "$sent" 2000 "SIGTERM $delay s after the start"
  if [[ -s "$LOG" ]]; then
    [[ "$SAVER_STATUS" == 0 ]] || fail "SIGTERM $delay s after the start: exit status $SAVER_STATUS after the log began"
  else
    [[ "$SAVER_STATUS" == 143 ]] || fail "SIGTERM $delay s after the start: exit status $SAVER_STATUS without a log"
  fi
done

# While the failure box is shown: the process ends (and its box with it), the records
# stay.
rm -f "$LOG"
MESA_GL_VERSION_OVERRIDE=1.5 start_saver /s
box="$(wait_for_window "Screen saver" 30)" || fail "no failure box"
sleep 0.5
sent="$(date +%s%3N)"
kill -TERM "$SAVER_PID"
wait_ended_within "$sent" 2000 "SIGTERM while the failure box is shown"
[[ "$SAVER_STATUS" == 0 ]] || fail "SIGTERM at the failure box: exit status $SAVER_STATUS"
grep -qxF "(!)Error : Can not initialize OpenGL 2.0" "$LOG" || fail "the failure records are missing"
expect_log_ends_properly

echo PASS
