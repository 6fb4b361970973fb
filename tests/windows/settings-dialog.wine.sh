#!/usr/bin/env bash
# The settings mode of zentharis.scr under Wine, driven from the keyboard: "/c", "/c:HWND"
# and no switch open the dialog; ticking "Show FPS" and confirming stores it; Escape resets
# every setting and Enter stores the defaults; the close box stores nothing.
set -euo pipefail
source "$(dirname "$0")/wine-test-lib.sh"
wine_test_setup "$0" "$@"
source "$(dirname "$0")/dialog-test-lib.sh"

title="Zentharis screensaver - Settings"

# 1. "/c" on no settings: "Show FPS" (the first control, focused) ticked, then Enter.
settings_clear
start_settings /c
dialog=$(focus_window "$title")
window_shot "$dialog" settings-dialog
# The About picture is a dark night sky: without it the dialog is all light grey.
dark=$(colour_share "$SHOTS/settings-dialog.png" 30 20 60 60)
awk -v d="$dark" 'BEGIN { exit !(d > 0.02) }' || fail "no About picture in the dialog ($dark dark)"
xdotool key space
sleep 0.3
xdotool key Return
finish_settings
expect_setting EnableFPS 1
expect_setting EnableVSync 1
expect_setting SlideshowPictures ""
echo "ok: Show FPS ticked and confirmed"

# 2. Escape resets all three in memory, Enter then stores the defaults.
settings_write 1 0 '2C:\pictures\a.jpg'
start_settings /c
focus_window "$title" > /dev/null
xdotool key Escape
sleep 0.3
[[ -n "$(windows_titled "$title")" ]] || fail "Escape closed the dialog"
xdotool key Return
finish_settings
expect_setting EnableFPS 0
expect_setting EnableVSync 1
expect_setting SlideshowPictures ""
echo "ok: Escape then Enter stores the defaults"

# 3. A change closed with the close box (Alt+F4: the same system command) is not stored;
# the dialog opens over a window number that names no window, too.
settings_write 0 1 ""
start_settings /c:123456
focus_window "$title" > /dev/null
xdotool key space
sleep 0.3
xdotool key alt+F4
finish_settings
expect_setting EnableFPS 0
echo "ok: the close box stores nothing"

# 4. No switch at all is the settings mode as well.
start_settings
focus_window "$title" > /dev/null
xdotool key alt+F4
finish_settings
echo "ok: no switch opens the settings"
