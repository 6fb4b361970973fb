#!/usr/bin/env bash
# Without OpenGL 2.0 the log tells why and a message box says so; without a render
# thread likewise; closing during initialisation shows no box and still leaves every
# record of the failed start. (Without a sound device the saver runs silently:
# saver-no-sound.test.sh.)
set -euo pipefail
source "$(dirname "$0")/saver-test-lib.sh"
saver_test_setup "$0" "$@"

# What a start without OpenGL 2.0 records, from GLEW's start to the closing frame rate.
failed_start_records=(
  "   Notify : GLEW initialized"
  "(!)Error : Can not initialize OpenGL 2.0"
  "   Notify : Error of common initialization"
  "   Notify : Start common uninstall"
  "   Notify : Common uninstall has finished properly"
  "   Notify : FPS = -1"
)

close_box() {
  local box="$1"
  eval "$(xdotool getwindowgeometry --shell "$box")"
  # The OK button spans the bottom of the box.
  xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT - 8)) click 1
}

# No OpenGL 2.0: records, box, a proper end.
MESA_GL_VERSION_OVERRIDE=1.5 start_saver /s
box="$(wait_for_window "Screen saver" 30)" || fail "no message box"
expect_running "the saver ended before the box was closed"
close_box "$box"
wait_saver_exit 20
status="$SAVER_STATUS"
[[ "$status" == 0 ]] || fail "exit status $status after the box"
expect_records_in_order "${failed_start_records[@]}"
expect_log_ends_properly
! grep -q "OpenGL 2.0 is found" "$LOG" || fail "OpenGL 2.0 reported found"

# The box's text: where GTK cannot start, the text goes to the error output instead.
MESA_GL_VERSION_OVERRIDE=1.5 GDK_BACKEND=none-such start_saver /s
wait_saver_exit 30
status="$SAVER_STATUS"
[[ "$status" == 0 ]] || fail "exit status $status without a box"
grep -qxF "Sorry, this application requires OpenGL 2.0" "$WORK/stderr" || fail "box text: $(cat "$WORK/stderr")"
expect_log_ends_properly

# No render thread to be had (a stack larger than the address space allows): the start
# fails with its record and the box's text; GTK, which needs threads too, is kept out.
(
  ulimit -s 8000000
  ulimit -v 3000000
  GDK_BACKEND=none-such exec "$SAVER" /s 2> "$WORK/stderr"
) &
SAVER_PID=$!
wait_saver_exit 30
status="$SAVER_STATUS"
[[ "$status" == 0 ]] || fail "exit status $status without a render thread"
expect_records_in_order \
  "   Notify : Run looping thread" \
  "(!)Error : Looping thread can not be started"
[[ "$(tail -n 1 "$LOG")" =~ ^"   Notify : FPS = -1"$ ]] || fail "no closing frame-rate record: $(tail -n 1 "$LOG")"
grep -qxF "Error of initialization" "$WORK/stderr" || fail "box text: $(cat "$WORK/stderr")"

# Closed during initialisation: the render thread is held in GLEW's start (after the
# context is made, before the missing OpenGL 2.0 is found) until the window has closed
# and closing waits for it; then it goes on at once. However busy the machine, the
# failure is known only after the close and well within closing's wait: no box, and
# every record of the failed start and of a proper end.
watch_top_level
held="$WORK/held-in-glew"
LD_PRELOAD="$FAULT_PRELOAD" ZEN_HOLD_GLEW_MARKER="$held" MESA_GL_VERSION_OVERRIDE=1.5 start_saver /s
deadline=$((SECONDS + 30))
until [[ -e "$held" ]]; do
  ((SECONDS < deadline)) || fail "the initialisation did not reach GLEW's start"
  sleep 0.1
done
window="$(wait_for_window "Screen Saver")" || fail "no full-screen window"
( while true; do xdotool mousemove_relative -- 9 9; xdotool mousemove_relative -- -9 -9; done ) &
mover=$!
wait_saver_exit 30
status="$SAVER_STATUS"
kill "$mover"; wait "$mover" 2> /dev/null || true
[[ "$status" == 0 ]] || fail "exit status $status when closed during initialisation"
count_top_level
((TOP_LEVEL_MADE == 1)) || fail "$TOP_LEVEL_MADE top-level windows were made: a box besides the saver's window"
expect_records_in_order \
  "   Notify : Run looping thread" \
  "   Notify : Start common initialization" \
  "   Notify : Context for OpenGL has been created" \
  "${failed_start_records[@]}"
expect_log_ends_properly

echo PASS
