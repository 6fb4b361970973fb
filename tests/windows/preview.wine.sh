#!/usr/bin/env bash
# zentharis.scr /p <window> under Wine: a test program plays the control panel with a
# 320x240 window. The saver makes its window "Preview" a visible child filling it,
# refuses a new title, passes a context-menu request on to the host's window, draws the
# scene there (sky above, horizon glow below, the planet high up), follows the window
# when it grows and fills it as at the start once it has grown to 900x700, and ends with
# exit code 0 when the window is destroyed.
# Wine does not composite one process's OpenGL child window into another process's
# window, so the scene is read from the saver's own drawable.
set -euo pipefail
source "$(dirname "$0")/wine-test-lib.sh"
wine_test_setup "$0" "$@"

stop="$WORK/stop"
"$WINE_RUN" "$PREVIEW_HOST" "$(winepath -w "$SAVER" 2> /dev/null)" "$(winepath -w "$stop" 2> /dev/null)" 320 240 \
  > "$WORK/host.out" 2> "$WORK/host.err" &
SAVER_PID=$!
host_says() { tr -d '\r' < "$WORK/host.out"; }
wait_for_log "Scene has been initialized successfully" 90 || fail "the scene did not start in the preview"
wait_for_frame_periods 4 60
touch "$stop.report"
deadline=$((SECONDS + 20))
until host_says | grep -q "saver window"; do
  ((SECONDS < deadline)) || fail "the host did not report the child"
  sleep 0.2
done
read -r _ _ _ _ title _ width height _ visible < <(host_says | grep -m 1 "^saver window") ||
  fail "no child window of the host's: $(host_says)"
[[ "$title" == Preview && "$width" == 320 && "$height" == 240 && "$visible" == 1 ]] ||
  fail "the saver's child window: $(host_says | grep -m 1 '^saver window')"
host_says | grep -q "^title after renaming Preview$" || fail "the preview's title could be changed"
deadline=$((SECONDS + 10))
until host_says | grep -q "^context menu at host"; do
  ((SECONDS < deadline)) || fail "the context menu asked of the preview did not reach the host's window"
  sleep 0.2
done
host_number="$(host_says | awk '/^host window/ { print $3; exit }')"
host_says | grep -q "^context menu at host wParam $host_number lParam $(((9 << 16) | 7))$" ||
  fail "the context menu reached the host with other values: $(host_says | grep '^context menu')"
# Wine gives the OpenGL drawable an X window of its own, unnamed, of the child's size.
drawable="$(xwininfo -root -tree | awk '/\(has no name\): \(\)  320x240/ { print $1; exit }')"
[[ -n "$drawable" ]] || fail "no OpenGL drawable of the preview's size"
import -window "$drawable" "$WORK/preview.png"

brightness="$(mean_brightness "$WORK/preview.png")"
awk -v b="$brightness" 'BEGIN { exit !(b > 0.08) }' || fail "the preview is black (mean $brightness)"
glow="$(colour_share "$WORK/preview.png" 220 120 105 60 320x20+0+135)"
awk -v s="$glow" 'BEGIN { exit !(s > 0.3) }' || fail "no glowing horizon in the preview ($glow)"
sky="$(convert "$WORK/preview.png" -crop 320x20+0+0 -format "%[fx:mean.b > mean.r ? 1 : 0]" info:)"
[[ "$sky" == 1 ]] || fail "the top of the preview is not the night sky"
planet="$(mean_brightness "$WORK/preview.png" 70x60+125+10)"
mirror="$(mean_brightness "$WORK/preview.png" 70x60+125+170)"
awk -v p="$planet" -v m="$mirror" 'BEGIN { exit !(p > 1.8 * m) }' ||
  fail "no planet above the centre (planet area $planet, mirrored area $mirror): upside down?"

# grow_host <width> <height>: the host's window takes that client size; the saver's
# child must follow it.
grow_host() {
  local reports
  reports="$(host_says | grep -c '^saver window')"
  echo "$1 $2" > "$stop.resize.new"
  mv "$stop.resize.new" "$stop.resize"
  local deadline=$((SECONDS + 20))
  until [[ "$(host_says | grep -c '^saver window')" -gt "$reports" ]]; do
    ((SECONDS < deadline)) || fail "the host did not report the child after growing to $1x$2"
    sleep 0.2
  done
  read -r _ _ _ _ _ _ width height _ < <(host_says | grep '^saver window' | tail -n 1)
  [[ "$width" == "$1" && "$height" == "$2" ]] || fail "the preview did not follow its window to $1x$2: ${width}x${height}"
}

# quarter_colours <shot>: mean red, green and blue of each quarter (top-left, top-right,
# bottom-left, bottom-right), 12 numbers from 0 to 1.
quarter_colours() {
  convert "$1" -crop 2x2@ +repage -format '%[fx:mean.r] %[fx:mean.g] %[fx:mean.b]\n' info: | tr '\n' ' '
}
reference="$(quarter_colours "$WORK/preview.png")"

grow_host 400 300
grow_host 900 700
# The scene fills the grown window: every quarter has the colours it had at the start
# (the backdrop's sky above, its glowing ground below), and no part is left black where
# the old size did not reach. The frames that follow the change may still be drawn for
# the old size: the check is repeated for a few seconds.
deadline=$((SECONDS + 10))
while true; do
  drawable="$(xwininfo -root -tree | awk '/\(has no name\): \(\)  900x700/ { print $1; exit }')"
  if [[ -n "$drawable" ]]; then
    import -window "$drawable" "$WORK/grown.png"
    now="$(quarter_colours "$WORK/grown.png")"
    # Each 90x70 cell of a 10 x 10 grid, darkest first: none as dark as the black clear
    # (the darkest corner of the night sky is about 0.027).
    darkest="$(convert "$WORK/grown.png" -crop 10x10@ +repage -colorspace Gray -format '%[fx:mean]\n' info: |
      sort -g | head -n 1)"
    awk -v a="$reference" -v b="$now" -v d="$darkest" 'BEGIN {
      n = split(a, x, " "); split(b, y, " ")
      for (i = 1; i <= n; i++) { e = x[i] - y[i]; if (e < -0.08 || e > 0.08) exit 1 }
      exit !(d > 0.012)
    }' && break
  fi
  ((SECONDS < deadline)) ||
    fail "the scene does not fill the grown preview: quarters ${now:-none}, at the start $reference; darkest cell ${darkest:-none}"
  sleep 1
done

touch "$stop"
wait_saver_exit 60
[[ "$SAVER_STATUS" == 0 ]] || fail "the preview host failed: $(host_says)"
host_says | grep -q "^saver exit code 0$" || fail "the saver did not end with 0: $(host_says)"
expect_wine_records_in_order "   Notify : Scene has been initialized successfully" \
  "   Notify : Start common uninstall" "   Notify : Common uninstall has finished properly"
echo PASS
