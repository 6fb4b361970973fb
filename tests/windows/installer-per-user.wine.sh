#!/usr/bin/env bash
# The installer just for the user (/CurrentUser): the saver, the read-me and the
# uninstaller in %LOCALAPPDATA%\Programs\Zentharis, the entry under HKCU alone, nothing in
# System32 or under HKLM. Windows' Screen Saver settings list only the system folders'
# savers, so such a copy runs as the user's current saver: with /MAKECURRENT
# SCRNSAVE.EXE names it, and it draws the scene from there. The quiet uninstall removes
# the folder, the entry and SCRNSAVE.EXE.
set -euo pipefail
source "$(dirname "$0")/wine-test-lib.sh"
wine_test_setup "$0" "$@"
source "$(dirname "$0")/installer-test-lib.sh"
installer_setup

run_setup "$SETUP" /S /CurrentUser /MAKECURRENT
saver="$USER_FOLDER/zentharis.scr"
cmp -s "$saver" "$SHIPPED_SAVER" || fail "the shipped saver is not in $USER_FOLDER: $(ls "$USER_FOLDER" 2>&1)"
[[ -f "$USER_FOLDER/Uninstall.exe" && -f "$USER_FOLDER/ReadMe.txt" ]] || fail "no uninstaller or read-me beside it"
[[ "$(installed_savers)" == "$saver" ]] || fail "copies of the saver: $(installed_savers)"
[[ ! -e "$MACHINE_FOLDER" ]] || fail "Program Files\\Zentharis was made"
! key_exists "$MACHINE_ENTRY" || fail "an entry for the whole machine"
wreg query "$USER_ENTRY" > "$WORK/entry" || fail "no uninstall entry under HKCU"
cat "$WORK/entry"
[[ "$(reg_value "$USER_ENTRY" Publisher)" == Vorelund ]] || fail "no entry under HKCU"
names_file "$(reg_value "$USER_ENTRY" DisplayIcon | sed 's/,0$//')" "$saver" || fail "DisplayIcon is not the saver"
[[ "$(reg_value "$USER_ENTRY" QuietUninstallString)" == *'\Uninstall.exe" /S /CurrentUser' ]] ||
  fail "the quiet uninstall is not for the user: $(reg_value "$USER_ENTRY" QuietUninstallString)"
names_file "$(reg_value "$DESKTOP_KEY" SCRNSAVE.EXE)" "$saver" || fail "SCRNSAVE.EXE does not name the user's copy"

expect_scene_drawn "$saver"

quiet_uninstall "$USER_ENTRY"
[[ ! -e "$USER_FOLDER" ]] || fail "$USER_FOLDER is left: $(ls "$USER_FOLDER")"
! key_exists "$USER_ENTRY" || fail "the entry is left"
! reg_value "$DESKTOP_KEY" SCRNSAVE.EXE > /dev/null || fail "SCRNSAVE.EXE still names the removed saver"
echo PASS
