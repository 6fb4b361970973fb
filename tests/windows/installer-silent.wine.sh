#!/usr/bin/env bash
# The installer run silently (/S), as an administrator deploys it: the shipped
# zentharis.scr lands in System32, where the Screen Saver settings list it, and nowhere
# else; the uninstall entry is in the registry's 64-bit view with every value Windows
# shows; the user's current screen saver is left as it was. Run from there (/s), the
# installed saver draws the scene. The entry's quiet uninstall removes the saver, the log
# it wrote beside itself, Program Files\Zentharis and the entry, and leaves a current
# screen saver that is not Zentharis alone.
set -euo pipefail
source "$(dirname "$0")/wine-test-lib.sh"
wine_test_setup "$0" "$@"
source "$(dirname "$0")/installer-test-lib.sh"
installer_setup

other='C:\windows\system32\other.scr'
wreg add "$DESKTOP_KEY" /v SCRNSAVE.EXE /t REG_SZ /d "$other" /f > /dev/null

run_setup "$SETUP" /S
[[ -f "$SYSTEM_SAVER" ]] || fail "no zentharis.scr in System32"
cmp -s "$SYSTEM_SAVER" "$SHIPPED_SAVER" || fail "the installed saver is not the shipped one"
[[ "$(installed_savers)" == "$SYSTEM_SAVER" ]] || fail "copies of the saver: $(installed_savers)"
[[ -f "$MACHINE_FOLDER/Uninstall.exe" && -f "$MACHINE_FOLDER/ReadMe.txt" ]] ||
  fail "Program Files\\Zentharis lacks the uninstaller or the read-me: $(ls "$MACHINE_FOLDER" 2>&1)"

wreg query "$MACHINE_ENTRY" > "$WORK/entry" || fail "no uninstall entry in the 64-bit view of HKLM"
cat "$WORK/entry"
expect_entry_value() {
  [[ "$(reg_value "$MACHINE_ENTRY" "$1")" == "$2" ]] || fail "$1 is '$(reg_value "$MACHINE_ENTRY" "$1")', not '$2'"
}
expect_entry_value DisplayName "Zentharis screen saver"
expect_entry_value DisplayVersion "$(project_version)"
expect_entry_value Publisher Vorelund
expect_entry_value DisplayIcon 'C:\windows\system32\zentharis.scr,0'
expect_entry_value InstallLocation 'C:\Program Files\Zentharis'
expect_entry_value UninstallString '"C:\Program Files\Zentharis\Uninstall.exe" /AllUsers'
expect_entry_value QuietUninstallString '"C:\Program Files\Zentharis\Uninstall.exe" /S /AllUsers'
expect_entry_value NoModify 0x1
expect_entry_value NoRepair 0x1
size_kb=$(($(reg_value "$MACHINE_ENTRY" EstimatedSize)))
bytes=$(($(stat -c %s "$SYSTEM_SAVER") + $(stat -c %s "$MACHINE_FOLDER/Uninstall.exe") + $(stat -c %s "$MACHINE_FOLDER/ReadMe.txt")))
((size_kb >= bytes / 1024 - 2 && size_kb <= bytes / 1024 + 2)) ||
  fail "EstimatedSize is $size_kb KB; the files take $((bytes / 1024)) KB"
! key_exists 'HKLM\Software\Wow6432Node\Microsoft\Windows\CurrentVersion\Uninstall\Zentharis' ||
  fail "the entry is in the 32-bit view"
! key_exists "$USER_ENTRY" || fail "an entry for the user alone as well"
[[ "$(reg_value "$DESKTOP_KEY" SCRNSAVE.EXE)" == "$other" ]] ||
  fail "a silent install without /MAKECURRENT changed the current screen saver"

expect_scene_drawn "$SYSTEM_SAVER"
[[ -f "$SYSTEM_FOLDER/zentharis.log" ]] || fail "the installed saver wrote no log beside itself"

quiet_uninstall "$MACHINE_ENTRY"
[[ ! -e "$SYSTEM_SAVER" ]] || fail "the saver is still in System32"
[[ ! -e "$SYSTEM_FOLDER/zentharis.log" ]] || fail "the saver's log is still in System32"
[[ ! -e "$MACHINE_FOLDER" ]] || fail "Program Files\\Zentharis is left: $(ls "$MACHINE_FOLDER")"
! key_exists "$MACHINE_ENTRY" || fail "the uninstall entry is left"
[[ "$(reg_value "$DESKTOP_KEY" SCRNSAVE.EXE)" == "$other" ]] || fail "the uninstall removed another current saver"
echo PASS
