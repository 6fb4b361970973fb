#!/usr/bin/env bash
# zentharis.scr /s under Wine with EnableFPS on: the frame rate is written white on
# black in the top-left corner and stays there in every screenshot (no flicker), and
# the closing record carries a measured frame rate.
set -euo pipefail
source "$(dirname "$0")/wine-test-lib.sh"
wine_test_setup "$0" "$@"

key='HKCU\Software\Vorelund\Zentharis screensaver'
"$WINE_RUN" reg add "$key" /v EnableFPS /t REG_SZ /d 1 /f > /dev/null 2>&1 || fail "cannot write the setting"
# The prefix is shared: the setting goes again whatever happens here.
WINE_TEST_UNDO='"$WINE_RUN" reg delete "$key" /f > /dev/null 2>&1'


start_saver /s
wait_for_log "Scene has been initialized successfully" 90 || fail "the scene did not start"
wait_for_frame_periods 4 60
for shot in 1 2 3 4 5; do
  screenshot "$WORK/corner$shot.png" 102x16+0+0
  white="$(colour_share "$WORK/corner$shot.png" 255 255 255 60)"
  black="$(colour_share "$WORK/corner$shot.png" 0 0 0 30)"
  awk -v w="$white" -v b="$black" 'BEGIN { exit !(w > 0.04 && b > 0.3) }' ||
    fail "screenshot $shot shows no white-on-black text in the corner (white $white, black $black)"
  sleep 0.3
done
# Below the text the scene shows through.
below="$(mean_brightness "$(screenshot "$WORK/below.png" 102x40+0+30 && echo "$WORK/below.png")")"
awk -v b="$below" 'BEGIN { exit !(b > 0.01) }' || fail "the overlay covers more than its text"

xdotool key space
wait_saver_exit 30
[[ "$SAVER_STATUS" == 0 ]] || fail "exit status $SAVER_STATUS"
plain_log | tail -n 1 | grep -Eq '^   Notify : FPS = [0-9.e+]+$' || fail "no measured frame rate: $(plain_log | tail -n 1)"
echo PASS
