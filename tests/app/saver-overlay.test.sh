#!/usr/bin/env bash
# With EnableFPS=1 the top-left corner shows the frame rate as white text on black,
# and the closing record carries a measured rate.
set -euo pipefail
source "$(dirname "$0")/saver-test-lib.sh"
saver_test_setup "$0" "$@"
write_settings 1 1

start_counted_saver /s
wait_for_window "Screen Saver" > /dev/null || fail "no full-screen window"
wait_for_frames
shot="$(save_screenshot root first-frames)" || fail "no screenshot"
# The first glyphs of "FPS : ..." (or "---"): only white and black, with some white.
convert "$shot" -crop 18x10+0+1 +repage -colorspace gray "$WORK/corner.png"
white="$(convert "$WORK/corner.png" -fx 'u > 0.9 ? 1 : 0' -format '%[fx:mean]' info:)"
grey="$(convert "$WORK/corner.png" -fx 'u > 0.1 && u < 0.9 ? 1 : 0' -format '%[fx:mean]' info:)"
awk -v w="$white" 'BEGIN { exit !(w > 0.08 && w < 0.7) }' || fail "no white text in the corner (white $white)"
awk -v g="$grey" 'BEGIN { exit !(g < 0.05) }' || fail "the corner is not white on black (grey $grey)"

xdotool key space
wait_saver_exit 20
status="$SAVER_STATUS"
[[ "$status" == 0 ]] || fail "exit status $status"
expect_log_ends_properly
fps="$(tail -n 1 "$LOG" | sed 's/.*FPS = //')"
awk -v f="$fps" 'BEGIN { exit !(f > 0) }' || fail "no frame rate measured: $fps"
echo PASS
