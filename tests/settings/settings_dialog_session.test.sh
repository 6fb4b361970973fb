#!/usr/bin/env bash
# Drives the settings mode as a user would, under its own Xvfb: ticks "Show FPS" and
# confirms; then opens the Image Library, adds a folder of pictures, watches the preview
# move on, accepts and confirms. Checks the settings file after each, and keeps
# screenshots of both dialogs in the build's test-work/settings-dialog folder.
set -euo pipefail
exe="$1"
if [[ -z "${XVFB_SESSION:-}" ]]; then
  exec env XVFB_SESSION=1 xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"
fi

work="$(cd "$(dirname "$exe")" && pwd)/test-work/settings-dialog"
rm -rf "$work"
mkdir -p "$work/config" "$work/pictures/inner"
# A copy of its own, so its log beside it is not shared with checks running alongside.
cp "$exe" "$work/zentharis"
exe="$work/zentharis"
export XDG_CONFIG_HOME="$work/config"
export GSETTINGS_BACKEND=memory
settings="$XDG_CONFIG_HOME/Vorelund/Zentharis screensaver.conf"

# Four plainly different pictures, one of them in a subfolder.
convert -size 320x200 gradient:'#203080-#e08040' "$work/pictures/dusk.png"
convert -size 200x300 gradient:'#10a040-#f0f0a0' "$work/pictures/meadow.jpg"
convert -size 300x300 xc:'#c02040' -fill '#ffe060' -draw 'circle 150,150 150,60' "$work/pictures/sun.bmp"
convert -size 400x160 gradient:'#000000-#80c0ff' "$work/pictures/inner/night.gif"

fail() { echo "FAIL: $*" >&2; exit 1; }

# Waits for a window by its exact title and gives it the keyboard.
focus_window() {
  local id
  id=$(timeout 20 xdotool search --sync --name "^$1\$" | head -1) || fail "no window \"$1\""
  # A window found before it is viewable refuses the focus (BadMatch): try again.
  local tries=0
  until xdotool windowfocus --sync "$id" 2> /dev/null; do
    tries=$((tries + 1))
    [[ $tries -lt 20 ]] || fail "window \"$1\" never took the focus"
    sleep 0.25
  done
  sleep 0.5
  echo "$id"
}

saver_pid=
start_settings() {
  "$exe" /c > "$work/output.txt" 2>&1 &
  saver_pid=$!
}

finish_settings() {
  local status=0
  timeout 20 tail --pid="$saver_pid" -f /dev/null || fail "the settings dialog did not close"
  wait "$saver_pid" || status=$?
  [[ $status -eq 1 ]] || fail "the settings mode ended with $status, not 1"
}

# 1. Tick "Show FPS" (the first control) and confirm with Enter.
start_settings
focus_window "Zentharis screensaver - Settings" > /dev/null
import -window root "$work/settings-dialog.png"
xdotool key space
sleep 0.3
xdotool key Return
finish_settings
grep -qx "EnableFPS=1" "$settings" || fail "EnableFPS=1 not saved: $(cat "$settings")"
grep -qx "EnableVSync=1" "$settings" || fail "EnableVSync changed: $(cat "$settings")"
echo "ok: Show FPS ticked and confirmed"

# 2. The Image Library: add the folder, focus it, watch the preview, accept, confirm.
start_settings
focus_window "Zentharis screensaver - Settings" > /dev/null
grep -q "EnableFPS=1" "$settings"
xdotool key Tab Tab Tab Tab space  # the fourth stop is "Edit Image Library"
library=$(focus_window "Image Library")
# The buttons sit below the preview at the right: "Add folder" under "Add file".
eval "$(xdotool getwindowgeometry --shell "$library")"
xdotool mousemove $((X + WIDTH - 273)) $((Y + HEIGHT - 84)) click 1
focus_window "Add folder:" > /dev/null
xdotool key ctrl+l
xdotool type --delay 10 "$work/pictures"
sleep 0.5
xdotool key Delete  # drops what the location bar would complete
xdotool key Return
sleep 1
timeout 5 xdotool search --name "^Add folder:\$" > /dev/null && fail "the folder chooser stayed open"
library=$(focus_window "Image Library")

# Focus the item with a click on the list's first row.
eval "$(xdotool getwindowgeometry --shell "$library")"
xdotool mousemove $((X + 60)) $((Y + 46)) click 1
sleep 1
# The preview area sits right of the list (the template's proportions at 2 pixels a unit).
crop="312x276+$((X + 12 + 552 + 12))+$((Y + 12 + 17 + 4))"
import -window root "$work/image-library-1.png"
changed=0
for second in 1 2 3 4 5 6; do
  sleep 1
  import -window root "$work/image-library-$((second + 1)).png"
  # compare: 0 the same, 1 different, anything else an error (which is no change seen).
  compared=0
  difference=$(compare -metric AE -crop "$crop" "$work/image-library-1.png" "$work/image-library-$((second + 1)).png" null: 2>&1) ||
    compared=$?
  ((compared <= 1)) || fail "compare failed ($compared): $difference"
  if ((compared == 1)); then
    changed=1
    break
  fi
done
[[ $changed -eq 1 ]] || fail "the preview did not move on within 6 seconds"
echo "ok: the preview moved on"
cp "$work/image-library-$((second + 1)).png" "$work/image-library-dialog.png"

# "Accept" is the bottom-right button.
eval "$(xdotool getwindowgeometry --shell "$library")"
xdotool mousemove $((X + WIDTH - 12 - 30)) $((Y + HEIGHT - 12 - 10)) click 1
sleep 1
timeout 3 xdotool search --name "^Image Library\$" > /dev/null && fail "the Image Library stayed open after Accept"
grep -q "SlideshowPictures=$" "$settings" || fail "the collection was saved before Confirm"
focus_window "Zentharis screensaver - Settings" > /dev/null
xdotool key shift+Tab space  # "Confirm settings", just above "Edit Image Library"
finish_settings
grep -qx "SlideshowPictures=1$work/pictures" "$settings" || fail "folder not in SlideshowPictures: $(cat "$settings")"
grep -qx "EnableFPS=1" "$settings" || fail "EnableFPS lost: $(cat "$settings")"
echo "ok: the folder reached SlideshowPictures"
echo "screenshots: $work/settings-dialog.png $work/image-library-dialog.png"
