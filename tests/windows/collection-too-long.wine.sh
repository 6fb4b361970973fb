#!/usr/bin/env bash
# A collection that would grow beyond its limit under Wine: "Accept" shows the message
# "Your collection is too long." (dialog 146), and the stored collection stays as it was.
set -euo pipefail
source "$(dirname "$0")/wine-test-lib.sh"
wine_test_setup "$0" "$@"
source "$(dirname "$0")/dialog-test-lib.sh"

place_sample_pictures
# One file entry of 2030 characters: no room left for another picture's path.
long_path="C:\\$(head -c 2027 /dev/zero | tr '\0' 'p')"
settings_write 0 1 "2$long_path"
start_settings /c
focus_window "Zentharis screensaver - Settings" > /dev/null
xdotool key Tab Tab Tab space
focus_window "Image Library" > /dev/null

# "Add file" has the focus: the file dialog takes a whole path typed as the name.
xdotool key space
focus_window "Add file:" > /dev/null
xdotool type --delay 20 "$SAMPLES_WINDOWS\\Blossom.png"
xdotool key Return
focus_window "Image Library" > /dev/null
xdotool key Tab Tab Tab space  # "Accept"
deadline=$((SECONDS + 20))
until [[ $(windows_titled "Image Library" | wc -l) -ge 2 ]]; do
  ((SECONDS < deadline)) || fail "no message about the collection's length"
  sleep 0.25
done
message=$(windows_titled "Image Library" | while read -r id; do
  eval "$(xdotool getwindowgeometry --shell "$id")"
  echo "$((WIDTH * HEIGHT)) $id"
done | sort -n | head -1 | cut -d' ' -f2)
xdotool windowfocus --sync "$message" 2> /dev/null || true
sleep 0.5
window_shot "$message" collection-too-long
window_texts "Image Library" > "$WORK/texts.txt" || fail "the Image Library's windows could not be read"
grep -qxF "Your collection is too long." "$WORK/texts.txt" ||
  fail "the message does not say the collection is too long: $(tr '\n' '|' < "$WORK/texts.txt")"
xdotool key Return
deadline=$((SECONDS + 10))
until [[ $(windows_titled "Image Library" | wc -l) -eq 1 ]]; do
  ((SECONDS < deadline)) || fail "the Image Library did not stay open alone"
  sleep 0.25
done
echo "ok: \"Your collection is too long.\" shown, the Image Library stays open"

# Closing the Image Library discards the list; confirming stores the old collection.
focus_window "Image Library" > /dev/null
xdotool key alt+F4
# "Edit Image Library" keeps the focus, and would take Enter: "Confirm settings" is the stop before.
focus_window "Zentharis screensaver - Settings" > /dev/null
xdotool key shift+Tab space
finish_settings
expect_setting SlideshowPictures "2$long_path"
echo "ok: the stored collection is unchanged"
