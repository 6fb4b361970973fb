#!/usr/bin/env bash
# Installing this version over an older one (the same installer script, built here with
# a lower version and a saver that differs by a byte) leaves one copy, this version's,
# and one uninstall entry with this version. Installing for everyone over an older copy
# the user installed for themselves and made current removes that copy and its entry,
# and keeps Zentharis current, now the copy in System32.
set -euo pipefail
source "$(dirname "$0")/wine-test-lib.sh"
wine_test_setup "$0" "$@"
source "$(dirname "$0")/installer-test-lib.sh"
installer_setup

older_saver="$WORK/older.scr"
{ cat "$SHIPPED_SAVER"; printf 'older'; } > "$older_saver"
older="$WORK/zentharis-0.9-setup.exe"
build_setup "$older" -DVERSION=0.9 -DVERSION_QUAD=0.9.0.0 "-DSAVER_SOURCE=$older_saver"

# Entries named Zentharis in either uninstall list.
entries() {
  { wreg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s
    wreg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s; } |
    grep -cE '^ +DisplayName +REG_SZ +Zentharis' || true
}

run_setup "$older" /S
cmp -s "$SYSTEM_SAVER" "$older_saver" || fail "the older installer did not install its saver"
[[ "$(reg_value "$MACHINE_ENTRY" DisplayVersion)" == 0.9 ]] || fail "the older installer's entry"
run_setup "$SETUP" /S
cmp -s "$SYSTEM_SAVER" "$SHIPPED_SAVER" || fail "the saver in System32 is not this version's"
[[ "$(installed_savers)" == "$SYSTEM_SAVER" ]] || fail "copies of the saver: $(installed_savers)"
[[ "$(entries)" == 1 ]] || fail "$(entries) uninstall entries"
[[ "$(reg_value "$MACHINE_ENTRY" DisplayVersion)" == "$(project_version)" ]] ||
  fail "the entry's version is $(reg_value "$MACHINE_ENTRY" DisplayVersion)"
quiet_uninstall "$MACHINE_ENTRY"
[[ -z "$(installed_savers)" && "$(entries)" == 0 ]] || fail "the upgraded installation was not removed whole"

run_setup "$older" /S /CurrentUser /MAKECURRENT
cmp -s "$USER_FOLDER/zentharis.scr" "$older_saver" || fail "the older installer did not install for the user"
run_setup "$SETUP" /S
[[ ! -e "$USER_FOLDER" ]] || fail "the user's older copy is left: $(ls "$USER_FOLDER")"
! key_exists "$USER_ENTRY" || fail "the user's older entry is left"
[[ "$(installed_savers)" == "$SYSTEM_SAVER" ]] || fail "copies of the saver: $(installed_savers)"
[[ "$(entries)" == 1 ]] || fail "$(entries) uninstall entries"
names_file "$(reg_value "$DESKTOP_KEY" SCRNSAVE.EXE)" "$SYSTEM_SAVER" ||
  fail "Zentharis did not stay current: SCRNSAVE.EXE is $(reg_value "$DESKTOP_KEY" SCRNSAVE.EXE || echo absent)"
echo PASS
