#!/usr/bin/env bash
# zentharis.scr /s under Wine: a window over the whole screen with the cursor hidden;
# the scene fills it the right way up (backdrop
# sky above its glowing horizon, the planet above the centre, the flowers' fruits); a
# pointer movement of 2+2 pixels keeps it, 3+3 closes it with exit code 0; the log
# beside the .scr holds every record of a proper run in order, in text mode.
set -euo pipefail
source "$(dirname "$0")/wine-test-lib.sh"
wine_test_setup "$0" "$@"

before="$(cursor_opacity)" || fail "the cursor could not be read"
start_saver /s
wait_for_log "Scene has been initialized successfully" 90 || fail "the scene did not start"
window="$(wait_for_window "Screen Saver" 20)" || fail "no window titled Screen Saver"
info="$(xwininfo -id "$window")"
grep -q "Width: 1024" <<< "$info" && grep -q "Height: 768" <<< "$info" ||
  fail "the window does not cover the screen: $(grep -E 'Width|Height' <<< "$info" | tr '\n' ' ')"
grep -q "Absolute upper-left X:  0" <<< "$info" && grep -q "Absolute upper-left Y:  0" <<< "$info" ||
  fail "the window is not at the screen's corner"
after="$(cursor_opacity)" || fail "the cursor could not be read"
awk -v o="$after" 'BEGIN { exit !(o == 0) }' || fail "the cursor is visible over the saver ($after)"
wait_for_frame_periods 4 60
screenshot "$WORK/shot.png"
expect_running "the saver ended by itself"

brightness="$(mean_brightness "$WORK/shot.png")"
awk -v b="$brightness" 'BEGIN { exit !(b > 0.08) }' || fail "the screen is black (mean $brightness)"
# The planet sits above the centre; mirrored below it are the dark foothills.
planet="$(mean_brightness "$WORK/shot.png" 200x170+412+40)"
mirror="$(mean_brightness "$WORK/shot.png" 200x170+412+558)"
awk -v p="$planet" -v m="$mirror" 'BEGIN { exit !(p > 1.8 * m) }' ||
  fail "no planet above the centre (planet area $planet, mirrored area $mirror): upside down?"
# The horizon glows orange below the middle; the sky at the top is a dark blue.
glow="$(colour_share "$WORK/shot.png" 220 120 105 60 1024x80+0+430)"
awk -v s="$glow" 'BEGIN { exit !(s > 0.3) }' || fail "no glowing horizon below the middle ($glow)"
sky="$(convert "$WORK/shot.png" -crop 1024x60+0+0 -format "%[fx:mean.b > mean.r ? 1 : 0]" info:)"
[[ "$sky" == 1 ]] || fail "the top of the screen is not the night sky"
fruit="$(colour_share "$WORK/shot.png" 200 200 40 70)"
awk -v s="$fruit" 'BEGIN { exit !(s > 0.0008) }' || fail "no flower fruits ($fruit)"

xdotool mousemove_relative -- 2 2
sleep 2
expect_running "a movement of 2+2 pixels closed the saver"
xdotool mousemove_relative -- 3 3
wait_saver_exit 30
[[ "$SAVER_STATUS" == 0 ]] || fail "exit status $SAVER_STATUS after the pointer moved"

grep -q $'\r$' "$LOG" || fail "the log's lines do not end with CR LF"
expect_wine_records_in_order "${PROPER_RUN_RECORDS[@]}"
[[ "$(plain_log | head -n 1)" == "   Notify : Application has run" ]] || fail "first record"
! grep -q "(!)Error" "$LOG" || fail "a proper run logged an error"
echo PASS
