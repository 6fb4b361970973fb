#!/usr/bin/env bash
# The settings in the registry: "Confirm settings" (played by SettingsProbe, which links
# the program's own store) writes three texts under HKEY_CURRENT_USER that `reg query`
# reads back; values found only under HKEY_LOCAL_MACHINE still load, and the saver acts
# on them: EnableFPS=1 there alone shows the frame-rate overlay.
set -euo pipefail
source "$(dirname "$0")/wine-test-lib.sh"
wine_test_setup "$0" "$@"
PROBE="${ZEN_BUILD_DIR:?}/tests/SettingsProbe.exe"
[[ -f "$PROBE" ]] || fail "no $PROBE"
USER_KEY='HKCU\Software\Vorelund\Zentharis screensaver'
MACHINE_KEY='HKLM\Software\Vorelund\Zentharis screensaver'

# Wine's reg says why it failed on its error output, kept for the failure message.
reg() { "$WINE_RUN" reg "$@" 2> "$WORK/reg-errors" | tr -d '\r'; }
clear_keys() {
  reg delete "$USER_KEY" /f > /dev/null || true
  reg delete "$MACHINE_KEY" /f > /dev/null || true
}
probe() { "$WINE_RUN" "$PROBE" "$@" 2> /dev/null | tr -d '\r'; }
trap 'code=$?; trap - ERR; set +e; clear_keys; (exit "$code"); wine_test_cleanup' EXIT
clear_keys

[[ "$(probe)" == $'EnableFPS=0\nEnableVSync=1\nSlideshowPictures=' ]] || fail "defaults: $(probe)"

probe 1 0 '2C:\Pictures\sea.jpg;1D:\Photos' || fail "saving failed"
stored="$(reg query "$USER_KEY")"
echo "$stored"
grep -qE '^ +EnableFPS +REG_SZ +1$' <<< "$stored" || fail "EnableFPS not stored"
grep -qE '^ +EnableVSync +REG_SZ +0$' <<< "$stored" || fail "EnableVSync not stored"
grep -qE '^ +SlideshowPictures +REG_SZ +2C:\\Pictures\\sea\.jpg;1D:\\Photos$' <<< "$stored" ||
  fail "SlideshowPictures not stored"
! "$WINE_RUN" reg query "$MACHINE_KEY" > /dev/null 2>&1 || fail "written under HKEY_LOCAL_MACHINE"
[[ "$(probe)" == $'EnableFPS=1\nEnableVSync=0\nSlideshowPictures=2C:\\Pictures\\sea.jpg;1D:\\Photos' ]] ||
  fail "not loaded back: $(probe)"

# Settings stored for the whole machine, none for the user.
clear_keys
for value in EnableFPS=1 EnableVSync=0 SlideshowPictures=; do
  reg add "$MACHINE_KEY" /v "${value%%=*}" /t REG_SZ /d "${value#*=}" /f > /dev/null ||
    fail "reg add $value: $(tr -d '\r' < "$WORK/reg-errors")"
done
[[ "$(probe)" == $'EnableFPS=1\nEnableVSync=0\nSlideshowPictures=' ]] || fail "machine values: $(probe)"

start_saver /s
wait_for_log "Scene has been initialized successfully" 120 || fail "the scene was not built: $(plain_log)"
wait_for_frame_periods 4 60
screenshot "$WORK/overlay.png"
[[ -n "${ZEN_SCREENSHOT_DIR:-}" ]] && cp "$WORK/overlay.png" "$ZEN_SCREENSHOT_DIR/machine-fps-overlay.png"
# White letters on black in the top-left tenth of the screen; the scene has neither there.
white=$(colour_share "$WORK/overlay.png" 255 255 255 40 "100x20+0+0")
black=$(colour_share "$WORK/overlay.png" 0 0 0 10 "100x20+0+0")
awk -v white="$white" -v black="$black" 'BEGIN { exit !(white > 0.02 && black > 0.3) }' ||
  fail "no overlay in the top-left corner (white $white, black $black)"
xdotool key a
wait_saver_exit 30
[[ "$SAVER_STATUS" == 0 ]] || fail "exit status $SAVER_STATUS after a key"
echo PASS
