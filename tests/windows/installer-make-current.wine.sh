#!/usr/bin/env bash
# The installer's /MAKECURRENT: SCRNSAVE.EXE of the installing user names the installed
# saver. The quiet uninstall removes the saver, the entry and SCRNSAVE.EXE, keeps the
# settings the saver stored under HKCU\Software\Vorelund, and also recognises itself in a
# SCRNSAVE.EXE written by hand in its long form and another case.
set -euo pipefail
source "$(dirname "$0")/wine-test-lib.sh"
wine_test_setup "$0" "$@"
source "$(dirname "$0")/installer-test-lib.sh"
installer_setup
"$WINE_RUN" reg delete "$DESKTOP_KEY" /v SCRNSAVE.EXE /f > /dev/null 2>&1 || true

run_setup "$SETUP" /S /MAKECURRENT
current="$(reg_value "$DESKTOP_KEY" SCRNSAVE.EXE)" || fail "no SCRNSAVE.EXE after /MAKECURRENT"
echo "SCRNSAVE.EXE: $current"
names_file "$current" "$SYSTEM_SAVER" || fail "SCRNSAVE.EXE names $current, not the installed saver"

wreg add "$SETTINGS_KEY" /v EnableFPS /t REG_SZ /d 1 /f > /dev/null
wreg add "$SETTINGS_KEY" /v SlideshowPictures /t REG_SZ /d 'C:\Pictures' /f > /dev/null
quiet_uninstall "$MACHINE_ENTRY"
[[ ! -e "$SYSTEM_SAVER" ]] || fail "the saver is still in System32"
! key_exists "$MACHINE_ENTRY" || fail "the uninstall entry is left"
! reg_value "$DESKTOP_KEY" SCRNSAVE.EXE > /dev/null || fail "SCRNSAVE.EXE still names the removed saver"
[[ "$(reg_value "$SETTINGS_KEY" EnableFPS)" == 1 && "$(reg_value "$SETTINGS_KEY" SlideshowPictures)" == 'C:\Pictures' ]] ||
  fail "the user's settings were not kept: $(wreg query "$SETTINGS_KEY")"

run_setup "$SETUP" /S
wreg add "$DESKTOP_KEY" /v SCRNSAVE.EXE /t REG_SZ /d 'C:\WINDOWS\System32\ZENTHARIS.SCR' /f > /dev/null
quiet_uninstall "$MACHINE_ENTRY"
! reg_value "$DESKTOP_KEY" SCRNSAVE.EXE > /dev/null || fail "SCRNSAVE.EXE in long form and upper case was kept"
echo PASS
