# Shared by the checks of the settings mode under Wine (sourced after wine-test-lib.sh
# and wine_test_setup): the settings in the registry, windows found by title and given
# the keyboard, and the screenshots kept for a person to look at.

SETTINGS_KEY='HKCU\Software\Vorelund\Zentharis screensaver'
# Screenshots outlive the work folder, for a look after the run.
SHOTS="${ZEN_BUILD_DIR:-/tmp}/test-work/dialogs"
mkdir -p "$SHOTS"

wine_cmd() { "$WINE_RUN" "$@" 2> /dev/null | tr -d '\r'; }

settings_clear() { wine_cmd reg delete "$SETTINGS_KEY" /f > /dev/null || true; }

# settings_set <name> <value>
settings_set() { wine_cmd reg add "$SETTINGS_KEY" /v "$1" /t REG_SZ /d "$2" /f > /dev/null; }

# settings_write <EnableFPS> <EnableVSync> <SlideshowPictures>: all three, since loading
# stops at the first value that is missing.
settings_write() {
  settings_clear
  settings_set EnableFPS "$1"
  settings_set EnableVSync "$2"
  settings_set SlideshowPictures "$3"
}

# settings_get <name>: the value's text; "(none)" when it is not there.
settings_get() {
  local line
  line=$(wine_cmd reg query "$SETTINGS_KEY" /v "$1" | grep -E "^ +$1 +REG_SZ" || true)
  if [[ -z "$line" ]]; then
    echo "(none)"
  else
    sed -E "s/^ +$1 +REG_SZ( {4})?//" <<< "$line"
  fi
}

# expect_setting <name> <value>
expect_setting() {
  local value
  value=$(settings_get "$1")
  [[ "$value" == "$2" ]] || fail "$1 is \"$value\", not \"$2\""
}

# focus_window <title>: waits for the window titled exactly so, gives it the keyboard and
# prints its id.
focus_window() {
  local id
  id=$(wait_for_window "$1" 30) || fail "no window \"$1\""
  local tries=0
  until xdotool windowfocus --sync "$id" 2> /dev/null; do
    tries=$((tries + 1))
    [[ $tries -lt 20 ]] || fail "window \"$1\" never took the focus"
    sleep 0.25
  done
  sleep 0.5
  echo "$id"
}

# window_shot <window id> <name>: a screenshot of the window, kept in $SHOTS/<name>.png.
window_shot() {
  eval "$(xdotool getwindowgeometry --shell "$1")"
  screenshot "$SHOTS/$2.png" "${WIDTH}x${HEIGHT}+${X}+${Y}"
}

# wait_window_gone <title> [seconds]
wait_window_gone() {
  local deadline=$((SECONDS + ${2:-10}))
  while [[ -n "$(windows_titled "$1")" ]]; do
    ((SECONDS < deadline)) || return 1
    sleep 0.25
  done
}

start_settings() { start_saver "$@"; }

# finish_settings: the settings mode ends by itself within 20 s, with 1.
finish_settings() {
  local status=0
  timeout 20 tail --pid="$SAVER_PID" -f /dev/null || fail "the settings dialog did not close"
  wait "$SAVER_PID" || status=$?
  SAVER_PID=""
  [[ $status -eq 1 ]] || fail "the settings mode ended with $status, not 1"
}

# The Windows form of a path of this machine (Wine's drive Z: is the root).
windows_path() { printf 'Z:%s' "$(readlink -f "$1" | tr '/' '\\')"; }

# The pictures that the dialog checks add, in a folder on the Windows desktop, where the
# folder browser shows it at its top level: "C:\users\<user>\Desktop\Zentharis samples".
place_sample_pictures() {
  local desktop
  desktop=$(ls -d "$WINEPREFIX"/drive_c/users/*/Desktop | grep -v /Public/ | head -1)
  [[ -n "$desktop" ]] || fail "the Wine prefix has no desktop folder"
  # A new prefix links the desktop to the home folder: make it a folder of the prefix's own.
  if [[ -L "$desktop" ]]; then
    rm "$desktop"
    mkdir "$desktop"
  fi
  rm -rf "$desktop/Zentharis samples"
  cp -r "${ZEN_NATIVE_BUILD_DIR:?}/sample-pictures" "$desktop/Zentharis samples"
  SAMPLES_WINDOWS="C:\\users\\$(basename "$(dirname "$desktop")")\\Desktop\\Zentharis samples"
}

# region_shot <window id> <file.png> <left> <top> <right> <bottom>: a screenshot of a part
# of the window given in fractions of its size.
region_shot() {
  eval "$(xdotool getwindowgeometry --shell "$1")"
  local x y w h
  x=$(awk -v a="$3" -v s="$WIDTH" 'BEGIN { printf "%d", a * s }')
  y=$(awk -v a="$4" -v s="$HEIGHT" 'BEGIN { printf "%d", a * s }')
  w=$(awk -v a="$3" -v b="$5" -v s="$WIDTH" 'BEGIN { printf "%d", (b - a) * s }')
  h=$(awk -v a="$4" -v b="$6" -v s="$HEIGHT" 'BEGIN { printf "%d", (b - a) * s }')
  screenshot "$2" "${w}x${h}+$((X + x))+$((Y + y))"
}

# pixels_digest <file.png>
pixels_digest() { convert "$1" -depth 8 rgb:- | md5sum | cut -d' ' -f1; }
