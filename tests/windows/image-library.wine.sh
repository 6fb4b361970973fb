#!/usr/bin/env bash
# The Image Library of zentharis.scr under Wine: a folder added through the folder
# browser shows its pictures in the preview, which moves on within a few seconds;
# "Accept" and "Confirm settings" store it in SlideshowPictures.
set -euo pipefail
source "$(dirname "$0")/wine-test-lib.sh"
wine_test_setup "$0" "$@"
source "$(dirname "$0")/dialog-test-lib.sh"

place_sample_pictures
settings_clear
start_settings /c
focus_window "Zentharis screensaver - Settings" > /dev/null
xdotool key Tab Tab Tab space  # the fourth stop is "Edit Image Library"
library=$(focus_window "Image Library")
window_shot "$library" image-library-empty

# The preview area, inside its border, in fractions of the dialog (448 x 231 units).
preview=(0.67 0.10 0.97 0.64)
region_shot "$library" "$WORK/empty.png" "${preview[@]}"
nothing=$(pixels_digest "$WORK/empty.png")

# "Add folder" is the stop after "Add file", which has the focus; the browser finds the
# folder by its name as it is typed.
xdotool key Tab space
focus_window "Browse for Folder" > /dev/null
xdotool type --delay 60 "Zentharis samples"
sleep 0.5
xdotool key Return
library=$(focus_window "Image Library")

# Back to the list (two stops before "Add folder") and focus its first item.
xdotool key shift+Tab shift+Tab Home
changed=""
first=""
for _ in $(seq 1 20); do
  sleep 0.5
  region_shot "$library" "$WORK/preview.png" "${preview[@]}"
  digest=$(pixels_digest "$WORK/preview.png")
  if [[ -z "$first" ]]; then
    [[ "$digest" != "$nothing" ]] && first="$digest" && window_shot "$library" image-library-preview
  elif [[ "$digest" != "$first" && "$digest" != "$nothing" ]]; then
    changed=1
    break
  fi
done
[[ -n "$first" ]] || fail "the preview never showed a picture of the folder"
[[ -n "$changed" ]] || fail "the preview did not move on within 10 s"
echo "ok: the folder's pictures in the preview, moving on"

# "Accept" is four stops after the list; then "Confirm settings" with Enter.
xdotool key Tab Tab Tab Tab space
wait_window_gone "Image Library" || fail "Accept did not close the Image Library"
# "Edit Image Library" keeps the focus, and would take Enter: "Confirm settings" is the stop before.
focus_window "Zentharis screensaver - Settings" > /dev/null
xdotool key shift+Tab space
finish_settings
expect_setting SlideshowPictures "1$SAMPLES_WINDOWS"
echo "ok: the folder stored in SlideshowPictures"
