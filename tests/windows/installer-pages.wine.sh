#!/usr/bin/env bash
# The installer's and the uninstaller's pages, driven from the keyboard as a person
# would: the first page shows our own read-me (its copyright and terms); the user chooses
# between everyone and just themselves; the box that makes Zentharis the current saver
# starts checked; the finish page says where to go next and has nothing to start, and
# after Finish no saver runs (no saver process, no log beside the installed saver) while
# Zentharis is installed and current. The uninstaller's first page says the settings
# under HKCU\Software\Vorelund are kept; it removes the saver. Screenshots of each page
# are kept with ZEN_KEEP_WORK=1 (and copied into ZEN_SCREENSHOT_DIR when set).
set -euo pipefail
source "$(dirname "$0")/wine-test-lib.sh"
wine_test_setup "$0" "$@"
source "$(dirname "$0")/installer-test-lib.sh"
installer_setup
"$WINE_RUN" reg delete "$DESKTOP_KEY" /v SCRNSAVE.EXE /f > /dev/null 2>&1 || true

# The exact title of the shown window whose title starts so: NSIS ends some pages'
# titles with their empty subcaption (a space), not others.
shown_title() {
  local id
  for id in $(xdotool search --onlyvisible --name "^$1" 2> /dev/null); do
    xprop -id "$id" WM_NAME 2> /dev/null | sed -nE 's/^WM_NAME\([A-Z0-9_]+\) = "(.*)"$/\1/p'
  done | head -n 1
}

# page <title> <text> <shot name>: waits until a window whose title starts so shows the
# text, then keeps a screenshot of the screen and the window's texts.
page() {
  local deadline=$((SECONDS + 60))
  until window_texts "$(shown_title "$1")" > "$WORK/$3.txt" && grep -qF -- "$2" "$WORK/$3.txt"; do
    ((SECONDS < deadline)) || fail "no page saying '$2' in '$1'; it says: $(cat "$WORK/$3.txt")"
    sleep 0.3
  done
  sleep 0.5  # drawn
  screenshot "$WORK/$3.png"
  [[ -z "${ZEN_SCREENSHOT_DIR:-}" ]] || cp "$WORK/$3.png" "$ZEN_SCREENSHOT_DIR/"
}

"$WINE_RUN" "$SETUP" > "$WORK/setup-output" 2>&1 &
SETUP_PID=$!
page "Zentharis Setup" "No licence to copy, change or pass on Zentharis has been granted" 1-read-me
grep -qF "Copyright 2026 Vorelund. All rights reserved." "$WORK/1-read-me.txt" || fail "the read-me lacks its copyright"
xdotool key Return
page "Zentharis Setup" "Install just for me" 2-users
grep -qF "Install for anyone using this computer" "$WORK/2-users.txt" || fail "no choice of everyone"
xdotool key Return
page "Zentharis Setup" "Make Zentharis the current screen saver" 3-screen-saver
xdotool key Return
page "Zentharis Setup" "Zentharis is installed" 4-finish
# Nothing to tick or start on the finish page: its only words are the title and text.
! grep -qiE "^&?(run|start|launch|preview)|show read" "$WORK/4-finish.txt" ||
  fail "the finish page offers to start something: $(cat "$WORK/4-finish.txt")"
xdotool key Return
for _ in $(seq 300); do kill -0 "$SETUP_PID" 2> /dev/null || break; sleep 0.1; done
! kill -0 "$SETUP_PID" 2> /dev/null || fail "the installer did not end after Finish"
wait "$SETUP_PID" || fail "the installer ended with $?"
sleep 5  # time for anything it might have started
# Wine names its processes by their Windows paths (this check's own command line names
# the built .scr by its Unix path).
running="$(pgrep -afi 'zentharis\.scr' | grep -i '[a-z]:\\' || true)"
[[ -z "$running" ]] || fail "a saver runs after Finish: $running"
[[ ! -e "$SYSTEM_FOLDER/zentharis.log" ]] || fail "the saver ran after Finish: $(tr -d '\r' < "$SYSTEM_FOLDER/zentharis.log")"
cmp -s "$SYSTEM_SAVER" "$SHIPPED_SAVER" || fail "the saver is not installed in System32"
names_file "$(reg_value "$DESKTOP_KEY" SCRNSAVE.EXE)" "$SYSTEM_SAVER" || fail "the checked box did not make Zentharis current"

"$WINE_RUN" "$MACHINE_FOLDER/Uninstall.exe" /AllUsers > "$WORK/uninstall-output" 2>&1
page "Zentharis Uninstall" "settings under HKEY_CURRENT_USER\\Software\\Vorelund are kept" 5-uninstall
xdotool key Return
page "Zentharis Uninstall" "Uninstallation Complete" 6-uninstalled
xdotool key Return
wait_wine_idle
[[ ! -e "$SYSTEM_SAVER" ]] || fail "the uninstaller left the saver"
! key_exists "$MACHINE_ENTRY" || fail "the uninstaller left the entry"
echo PASS
