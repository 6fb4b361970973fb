#!/usr/bin/env bash
# The full-screen saver: one override-redirect window over the whole screen with the
# cursor hidden; a pointer movement of 2+2 pixels keeps it, 3+3 closes it; the log
# holds every record of a proper run in order.
set -euo pipefail
source "$(dirname "$0")/saver-test-lib.sh"
saver_test_setup "$0" "$@"

before="$(cursor_opacity)" || fail "the cursor could not be read"
start_saver /s
window="$(wait_for_window "Screen Saver")" || fail "no full-screen window"
info="$(xwininfo -id "$window")"
grep -q "Width: 1024" <<< "$info" || fail "window is not as wide as the screen"
grep -q "Height: 768" <<< "$info" || fail "window is not as high as the screen"
grep -q "Absolute upper-left X:  0" <<< "$info" || fail "window not at the left edge"
grep -q "Override Redirect State: yes" <<< "$info" || fail "window is managed"
wait_for_log "Scene has been initialized successfully" || fail "the scene did not start"

after="$(cursor_opacity)" || fail "the cursor could not be read"
awk -v o="$before" 'BEGIN { exit !(o > 0) }' || fail "the cursor was invisible before the saver ran"
awk -v o="$after" 'BEGIN { exit !(o == 0) }' || fail "the cursor is visible over the saver ($after)"

xdotool mousemove_relative -- 2 2
sleep 1
expect_running "a movement of 2+2 pixels closed the saver"
xdotool mousemove_relative -- 3 3
wait_saver_exit 20
status="$SAVER_STATUS"
[[ "$status" == 0 ]] || fail "exit status $status after the pointer moved"

[[ "$(head -n 1 "$LOG")" == "   Notify : Application has run" ]] || fail "first record"
expect_records_in_order "${PROPER_RUN_RECORDS[@]}"
expect_log_ends_properly
! grep -q "(!)Error" "$LOG" || fail "a proper run logged an error"
echo PASS
