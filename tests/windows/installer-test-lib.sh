# Shared by the installer checks (installer-*.wine.sh; sourced after wine-test-lib.sh and
# wine_test_setup). The installer is ZEN_SETUP, the script it was made from
# ZEN_SETUP_SCRIPT (beside it the shipped, stripped zentharis.scr). Whatever a check
# installs is removed again when it ends, so the shared prefix stays as the other checks
# expect it.

installer_setup() {
  SETUP="${ZEN_SETUP:?the installer is not set (ZEN_SETUP): is makensis installed?}"
  SETUP_SCRIPT="${ZEN_SETUP_SCRIPT:?}"
  [[ -f "$SETUP" ]] || fail "no installer $SETUP"
  SHIPPED_SAVER="$(dirname "$SETUP_SCRIPT")/zentharis.scr"
  UNINSTALL_KEY='Software\Microsoft\Windows\CurrentVersion\Uninstall\Zentharis'
  MACHINE_ENTRY="HKLM\\$UNINSTALL_KEY"
  USER_ENTRY="HKCU\\$UNINSTALL_KEY"
  DESKTOP_KEY='HKCU\Control Panel\Desktop'
  SETTINGS_KEY='HKCU\Software\Vorelund\Zentharis screensaver'
  DRIVE_C="$(readlink -m "${WINEPREFIX:?}/drive_c")"
  SYSTEM_FOLDER="$DRIVE_C/windows/system32"
  SYSTEM_SAVER="$SYSTEM_FOLDER/zentharis.scr"
  MACHINE_FOLDER="$DRIVE_C/Program Files/Zentharis"
  USER_FOLDER="$(unix_path "$(windows_variable LOCALAPPDATA)")/Programs/Zentharis"
  [[ "$USER_FOLDER" == "$DRIVE_C"/users/?*/Programs/Zentharis ]] ||
    fail "the user's local application data is not under C:\\users: $USER_FOLDER"
  SCREEN_SAVER_BEFORE="$(reg_value "$DESKTOP_KEY" SCRNSAVE.EXE || true)"
  WINE_TEST_UNDO=installer_undo
}

# The registry through Wine's reg, in the 64-bit view; its complaints kept for messages.
wreg() { "$WINE_RUN" reg "$@" /reg:64 2> "$WORK/reg-errors" | tr -d '\r'; }

# reg_value <key> <name>: the value's data, or status 1 when there is none.
reg_value() {
  local line
  line="$(wreg query "$1" /v "$2" | grep -E "^ +$(sed 's/\./\\./g' <<< "$2") +REG_[A-Z_]+ +" || true)"
  [[ -n "$line" ]] || return 1
  sed -E 's/^ +[^ ]+ +REG_[A-Z_]+ +//' <<< "$line"
}

key_exists() { "$WINE_RUN" reg query "$1" /reg:64 > /dev/null 2>&1; }

windows_variable() { "$WINE_RUN" cmd /c echo "%$1%" 2> /dev/null | tr -d '\r'; }
# The file's Unix path, through the prefix's links (dosdevices/c: -> drive_c).
unix_path() {
  local path
  path="$(winepath -u "$1" 2> /dev/null | tr -d '\r')"
  [[ -n "$path" ]] && readlink -m "$path"
}

# Every Wine process of the prefix ended (an uninstaller goes on in a copy of itself
# after the one started has returned).
wait_wine_idle() { timeout "${1:-90}" wineserver -w || fail "Wine's processes did not end within ${1:-90} s"; }

# run_setup <installer> <switches...>: runs it to its end; fails the check on an error.
run_setup() {
  local setup="$1" status=0
  shift
  timeout 180 "$WINE_RUN" "$setup" "$@" > "$WORK/setup-output" 2>&1 || status=$?
  [[ "$status" == 0 ]] || fail "$(basename "$setup") $* ended with $status"
  wait_wine_idle
}

# quiet_uninstall <entry key>: runs the entry's QuietUninstallString as Windows would.
quiet_uninstall() {
  local command status=0
  command="$(reg_value "$1" QuietUninstallString)" || fail "$1 has no QuietUninstallString"
  [[ "$command" =~ ^\"([^\"]+)\"\ (.*)$ ]] || fail "QuietUninstallString is not a quoted program: $command"
  local -a switches
  read -r -a switches <<< "${BASH_REMATCH[2]}"
  timeout 120 "$WINE_RUN" "${BASH_REMATCH[1]}" "${switches[@]}" > "$WORK/uninstall-output" 2>&1 || status=$?
  [[ "$status" == 0 ]] || fail "the quiet uninstall ($command) ended with $status"
  wait_wine_idle
}

# names_file <Windows path> <Unix file>: whether the path (long or 8.3) is that file.
names_file() {
  local unix
  unix="$(unix_path "$1")"
  [[ -n "$unix" && -e "$unix" && "$(readlink -f "$unix")" == "$(readlink -f "$2")" ]]
}

# build_setup <output> <makensis defines...>: the same script, built with other defines.
build_setup() {
  local output="$1"
  shift
  makensis -V1 -NOCD "-DOUTFILE=$output" "$@" "$SETUP_SCRIPT" > "$WORK/makensis.log" 2>&1 ||
    { cat "$WORK/makensis.log" >&2; fail "makensis failed"; }
}

# The saver's installed copies, wherever in the prefix.
installed_savers() { find "$DRIVE_C" -iname 'zentharis*.scr' | sort; }

# Run a silent uninstall of whatever is installed, then remove what is still left.
installer_undo() {
  set +e
  # Whatever still runs (a saver that failed its check, a message box) goes first.
  wineserver -k 2> /dev/null
  local entry
  for entry in "$MACHINE_ENTRY" "$USER_ENTRY"; do
    if reg_value "$entry" QuietUninstallString > /dev/null; then
      (quiet_uninstall "$entry")
    fi
  done
  rm -rf "$MACHINE_FOLDER" "$USER_FOLDER"
  rm -f "$SYSTEM_SAVER" "$SYSTEM_FOLDER/zentharis.log"
  "$WINE_RUN" reg delete "$MACHINE_ENTRY" /reg:64 /f > /dev/null 2>&1
  "$WINE_RUN" reg delete "$USER_ENTRY" /reg:64 /f > /dev/null 2>&1
  "$WINE_RUN" reg delete 'HKLM\Software\Wow6432Node\Microsoft\Windows\CurrentVersion\Uninstall\Zentharis' /f > /dev/null 2>&1
  "$WINE_RUN" reg delete "$SETTINGS_KEY" /f > /dev/null 2>&1
  if [[ -n "$SCREEN_SAVER_BEFORE" ]]; then
    "$WINE_RUN" reg add "$DESKTOP_KEY" /v SCRNSAVE.EXE /t REG_SZ /d "$SCREEN_SAVER_BEFORE" /f > /dev/null 2>&1
  else
    "$WINE_RUN" reg delete "$DESKTOP_KEY" /v SCRNSAVE.EXE /f > /dev/null 2>&1
  fi
  set -e
}

# expect_scene_drawn <.scr>: runs it full screen (/s) and sees the scene drawn: frames
# counted by the GL driver, a lit screen with a night sky above; a key ends it with 0.
expect_scene_drawn() {
  SAVER="$1"
  LOG="$(dirname "$1")/zentharis.log"
  start_saver /s
  wait_for_log "Scene has been initialized successfully" 120 || fail "the installed saver did not start its scene"
  wait_for_frame_periods 4 60
  screenshot "$WORK/installed-saver.png"
  expect_running "the installed saver ended by itself"
  local brightness sky
  brightness="$(mean_brightness "$WORK/installed-saver.png")"
  awk -v b="$brightness" 'BEGIN { exit !(b > 0.08) }' || fail "the screen is black (mean $brightness)"
  sky="$(convert "$WORK/installed-saver.png" -crop 1024x60+0+0 -format "%[fx:mean.b > mean.r ? 1 : 0]" info:)"
  [[ "$sky" == 1 ]] || fail "the top of the screen is not the night sky"
  xdotool key a
  wait_saver_exit 30
  [[ "$SAVER_STATUS" == 0 ]] || fail "the installed saver ended with $SAVER_STATUS after a key"
}

# The version the installer was made with (the project's).
project_version() { sed -nE 's/^ *!define VERSION "([^"]+)"$/\1/p' "$SETUP_SCRIPT" | head -n 1; }
