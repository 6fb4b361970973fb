# Shared by the whole-program saver checks (sourced, not run). Each check runs a copy
# of the executable in a folder of its own, so its log and settings are its own, under
# a private Xvfb.

# Re-runs the calling script under its own Xvfb, then prepares the work folder. The
# server must not reset when its last client leaves: the checks start many short ones.
# Usage: saver_test_setup "$0" "$@"
saver_test_setup() {
  local script="$1"
  shift
  if [[ -z "${ZEN_SAVER_TEST_IN_XVFB:-}" ]]; then
    ZEN_SAVER_TEST_IN_XVFB=1 exec xvfb-run -a -s "-screen 0 1024x768x24 -noreset" \
      bash "$script" "$@"
  fi
  local exe
  exe="$(readlink -f "$1")"
  WORK="$(mktemp -d "${TMPDIR:-/tmp}/zentharis-test.XXXXXX")"
  trap 'saver_test_cleanup' EXIT
  cp "$exe" "$WORK/zentharis"
  SAVER="$WORK/zentharis"
  LOG="$WORK/zentharis.log"
  export XDG_CONFIG_HOME="$WORK/config"
  export ALSOFT_DRIVERS="${ALSOFT_DRIVERS:-null}"
  export GSETTINGS_BACKEND=memory
  write_settings 0 1
  SAVER_PID=""
  # Mesa's frame counter, its heads-up display kept hidden: put in front of a saver's
  # command, it writes the frames a second to $WORK/hud/fps every half second of drawing.
  mkdir -p "$WORK/hud"
  FRAME_COUNTER=(env GALLIUM_HUD=fps GALLIUM_HUD_VISIBLE=false GALLIUM_HUD_DUMP_DIR="$WORK/hud")
  # A preload that brings about faults at chosen moments (tests/support/x11/FaultPreload.c).
  FAULT_PRELOAD="$(dirname "$exe")/libzen_fault_preload.so"
}

# Runs at the exit (trap) and ends with the check's status; processes a check starts
# besides the saver go in BACKGROUND_PIDS to be ended here, rather than in a trap of the
# check's own, which would hide the status.
BACKGROUND_PIDS=()

saver_test_cleanup() {
  local status=$? pid
  if [[ -n "${SAVER_PID:-}" ]] && kill -0 "$SAVER_PID" 2> /dev/null; then
    kill "$SAVER_PID" 2> /dev/null || true
  fi
  for pid in "${BACKGROUND_PIDS[@]}"; do
    kill "$pid" 2> /dev/null || true
  done
  if [[ $status -ne 0 && -f "${LOG:-}" ]]; then
    echo "--- log of the failed run:" >&2
    cat "$LOG" >&2
  fi
  rm -rf "$WORK"
  exit $status
}

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# write_settings <EnableFPS> <EnableVSync>
write_settings() {
  mkdir -p "$XDG_CONFIG_HOME/Vorelund"
  printf 'EnableFPS=%s\nEnableVSync=%s\nSlideshowPictures=\n' "$1" "$2" \
    > "$XDG_CONFIG_HOME/Vorelund/Zentharis screensaver.conf"
}

# start_saver <arguments...>: runs the saver in the background; stderr goes to $WORK/stderr.
start_saver() {
  "$SAVER" "$@" 2> "$WORK/stderr" &
  SAVER_PID=$!
}

# start_counted_saver <arguments...>: start_saver with the frame counter (wait_for_frames).
start_counted_saver() {
  rm -f "$WORK/hud/fps"
  "${FRAME_COUNTER[@]}" "$SAVER" "$@" 2> "$WORK/stderr" &
  SAVER_PID=$!
}

# open_plain_window <name> <WxH+X+Y>: a plain window to draw into, closed at cleanup;
# its id in PLAIN_WINDOW. xev makes it and prints nothing we need; "structure" keeps it
# from redirecting its children's mapping.
open_plain_window() {
  xev -event structure -geometry "$2" -name "$1" > /dev/null &
  BACKGROUND_PIDS+=($!)
  PLAIN_WINDOW="$(wait_for_window "$1")" || fail "no window $1"
}

# Ids of the windows whose title is exactly the text (xdotool's search is a
# case-insensitive pattern).
windows_titled() {
  local id
  for id in $(xdotool search --name "$1" 2> /dev/null); do
    local name
    name="$(xprop -id "$id" WM_NAME 2> /dev/null || true)"
    [[ "$name" == "WM_NAME(STRING) = \"$1\"" || "$name" == "WM_NAME(UTF8_STRING) = \"$1\"" ]] && echo "$id"
  done
  return 0
}

# Windows made at the top level (children of the root), recorded by a client of the
# test that outlives the saver: the server takes a client's windows away with its
# connection, so a window left open when the saver ends is never seen after it; that it
# was made at all is. watch_top_level starts the record; count_top_level sets
# TOP_LEVEL_MADE to how many windows were made at the top level since the start or its
# last call, up to now.
watch_top_level() {
  stdbuf -oL xev -root -event substructure > "$WORK/top-level-events" 2> /dev/null &
  BACKGROUND_PIDS+=($!)
  TOP_LEVEL_FROM=0
  local tries=0
  until top_level_mark; do
    ((++tries < 5)) || fail "the record of top-level windows did not start"
  done
}

count_top_level() {
  local from="$TOP_LEVEL_FROM"
  top_level_mark || fail "the record of top-level windows stopped"
  # Less the mark itself.
  TOP_LEVEL_MADE=$(($(sed -n "$((from + 1)),${TOP_LEVEL_FROM}p" "$WORK/top-level-events" |
    grep -c "^CreateNotify event") - 1))
}

# top_level_mark: makes and closes a small window of the test's own and moves
# TOP_LEVEL_FROM to the line at which the record shows it made, once it does (within
# 5 s; else returns 1): whatever the server did before is recorded by then. The server
# gives a new client the ids of one that has gone, so the mark is known by its place too.
top_level_mark() {
  local name="zen-mark-$RANDOM" x=$((1 + RANDOM % 900)) y=$((1 + RANDOM % 600)) pid id line="" tries=0
  xev -geometry "+$x+$y" -name "$name" > /dev/null &
  pid=$!
  id="$(wait_for_window "$name")" || { kill "$pid"; fail "no window $name"; }
  while [[ -z "$line" ]] && ((tries++ < 50)); do
    sleep 0.1
    line="$(awk -v from="$TOP_LEVEL_FROM" -v text="window $(printf '0x%x' "$id"), ($x,$y)," \
      'NR > from && index($0, text) { print NR; exit }' "$WORK/top-level-events")"
  done
  kill "$pid"
  wait "$pid" 2> /dev/null || true
  [[ -n "$line" ]] || return 1
  TOP_LEVEL_FROM="$line"
}

# wait_for_window <title> [seconds]: prints the id of the first such viewable window.
wait_for_window() {
  local deadline=$((SECONDS + ${2:-20}))
  while ((SECONDS < deadline)); do
    local id
    for id in $(windows_titled "$1"); do
      if xwininfo -id "$id" 2> /dev/null | grep -q "Map State: IsViewable"; then
        echo "$id"
        return 0
      fi
    done
    sleep 0.1
  done
  return 1
}

# wait_for_log <text> [seconds]: until a log line contains the text.
wait_for_log() {
  local deadline=$((SECONDS + ${2:-30}))
  while ((SECONDS < deadline)); do
    grep -qF -- "$1" "$LOG" 2> /dev/null && return 0
    sleep 0.1
  done
  return 1
}

# wait_saver_exit [seconds]: waits for the saver to end and sets SAVER_STATUS to its
# exit status; fails the check when it does not end in time.
wait_saver_exit() {
  local deadline=$((SECONDS + ${1:-20}))
  while kill -0 "$SAVER_PID" 2> /dev/null; do
    ((SECONDS < deadline)) || fail "the saver did not end within ${1:-20} s"
    sleep 0.1
  done
  SAVER_STATUS=0
  wait "$SAVER_PID" || SAVER_STATUS=$?
  SAVER_PID=""
}

expect_running() {
  kill -0 "$SAVER_PID" 2> /dev/null || fail "$1"
}

# The records of a run that ends properly: uninstall, then the frame rate.
expect_log_ends_properly() {
  local last_two
  last_two="$(tail -n 2 "$LOG")"
  [[ "$(head -n 1 <<< "$last_two")" == "   Notify : Common uninstall has finished properly" ]] ||
    fail "log does not end with the uninstall record"
  [[ "$(tail -n 1 <<< "$last_two")" =~ ^"   Notify : FPS = "-?[0-9.e+]+$ ]] ||
    fail "log does not end with the frame-rate record"
}

# Every record of a proper run without the FPS overlay, in order.
PROPER_RUN_RECORDS=(
  "   Notify : Application has run"
  "   Notify : Run looping thread"
  "   Notify : Zentharis screensaver"
  "   Notify : Version: 1.0"
  "   Notify : Start common initialization"
  "   Notify : SoundManager has been created"
  "   Notify : Context for OpenGL has been created"
  "   Notify : GLEW initialized"
  "   Notify : OpenGL 2.0 is found"
  "   Notify : WGLEW_EXT_swap_control extension is found"
  "   Notify : VSYNC has been setted properly"
  "   Notify : Video initialization has finished successfully"
  "   Notify : Start scene initialization"
  "   Notify : Scene has been initialized successfully"
  "   Notify : Start common uninstall"
  "   Notify : Common uninstall has finished properly"
  "   Notify : FPS = -1"
)

# expect_records_in_order <record...>: each record appears as a whole line, in order.
expect_records_in_order() {
  local line=0
  local record
  for record in "$@"; do
    local found
    found="$(tail -n +"$((line + 1))" "$LOG" | grep -nxF -- "$record" | head -n 1 | cut -d: -f1)" || true
    [[ -n "$found" ]] || fail "record missing or out of order: '$record'"
    line=$((line + found))
  done
}

# Fraction of the pointer cursor's pixels that are not fully transparent, read through
# XFixes (python3 is one of the test dependencies: without it this fails).
cursor_opacity() {
  command -v python3 > /dev/null || { echo "python3 is needed to read the cursor" >&2; return 1; }
  python3 - << 'PY'
import ctypes
x11 = ctypes.CDLL("libX11.so.6")
xfixes = ctypes.CDLL("libXfixes.so.3")
class CursorImage(ctypes.Structure):
    _fields_ = [("x", ctypes.c_short), ("y", ctypes.c_short), ("width", ctypes.c_ushort),
                ("height", ctypes.c_ushort), ("xhot", ctypes.c_ushort), ("yhot", ctypes.c_ushort),
                ("cursor_serial", ctypes.c_ulong), ("pixels", ctypes.POINTER(ctypes.c_ulong)),
                ("atom", ctypes.c_ulong), ("name", ctypes.c_char_p)]
x11.XOpenDisplay.restype = ctypes.c_void_p
xfixes.XFixesGetCursorImage.restype = ctypes.POINTER(CursorImage)
xfixes.XFixesGetCursorImage.argtypes = [ctypes.c_void_p]
image = xfixes.XFixesGetCursorImage(x11.XOpenDisplay(None)).contents
count = image.width * image.height
opaque = sum(1 for i in range(count) if (image.pixels[i] >> 24) & 0xFF)
print(opaque / count if count else 0)
PY
}

# save_screenshot <window id> <name>: a PNG of what the window shows now, kept in the
# build's test-work folder (or the work folder); prints its path.
save_screenshot() {
  local folder="${ZEN_BUILD_DIR:-$WORK}/test-work/$(basename "$0" .test.sh)"
  mkdir -p "$folder"
  import -window "$1" "$folder/$2.png" 2> /dev/null || return 1
  echo "$folder/$2.png"
}

# wait_for_frames [seconds]: until the frame counter (FRAME_COUNTER in front of the
# saver) has counted drawn frames: the window shows a whole frame from then on.
wait_for_frames() {
  local deadline=$((SECONDS + ${1:-60}))
  until awk '$1 > 0 { found = 1 } END { exit !found }' "$WORK/hud/fps" 2> /dev/null; do
    ((SECONDS < deadline)) || fail "no frame drawn within ${1:-60} s"
    sleep 0.1
  done
}

# differing_pixels <a.png> <b.png>: how many pixels differ by more than 2 %. compare
# ends with 0 or 1 for alike or not; anything else is an error that fails the check.
differing_pixels() {
  local count status=0
  count="$(compare -metric AE -fuzz 2% "$1" "$2" null: 2>&1)" || status=$?
  ((status <= 1)) || fail "compare could not compare $1 and $2 (status $status): $count"
  echo "$count"
}

# colour_shares <png> <rule>...: for each rule, the share of the pixels (of the picture
# sampled down to 320 x 240 at most) whose 8-bit r, g and b fulfil it, a Python
# expression such as "r > 170 and g < 80".
colour_shares() {
  local shot="$1"
  shift
  convert "$shot" -sample '320x240>' -depth 8 rgb:- | python3 -c '
import sys
rules = [eval("lambda r, g, b: " + rule) for rule in sys.argv[1:]]
data = sys.stdin.buffer.read()
n = len(data) // 3
hits = [0] * len(rules)
for i in range(0, 3 * n, 3):
    r, g, b = data[i], data[i + 1], data[i + 2]
    for k, rule in enumerate(rules):
        if rule(r, g, b):
            hits[k] += 1
print(" ".join("%.5f" % (h / n if n else 0) for h in hits))' "$@"
}

# The flowers' colours, which neither the backdrop nor the planet has: the fruit's
# yellow to green, and the stalks' deep blue.
FRUIT_COLOUR="g > 115 and b < 77 and 5 * g > 4 * r"
STALK_COLOUR="b > 115 and r < 64 and g < 64"

# expect_scene <window id> <name>: the window shows the scene drawn and moving: in two
# screenshots a second apart the fruit's and the stalks' colours each cover 0.1 % of it
# at least (the backdrop alone has neither), and the second differs from the first in
# 0.1 % of the pixels at least (a frame left standing does not change). Within 60 s: on
# a busy machine llvmpipe may compile shader variants for seconds at the first frames.
expect_scene() {
  local first second shares="" changed="" total deadline=$((SECONDS + 60))
  while true; do
    first="$(save_screenshot "$1" "$2")" || fail "$2: no screenshot of window $1"
    shares="$(colour_shares "$first" "$FRUIT_COLOUR" "$STALK_COLOUR")"
    if flowers_shown "$shares"; then
      sleep 1
      second="$(save_screenshot "$1" "$2-a-second-later")" || fail "$2: no screenshot of window $1"
      shares="$shares, then $(colour_shares "$second" "$FRUIT_COLOUR" "$STALK_COLOUR")"
      changed="$(differing_pixels "$first" "$second")"
      total="$(identify -format '%[fx:w*h]' "$second")"
      flowers_shown "${shares#*, then }" && awk -v c="$changed" -v t="$total" 'BEGIN { exit !(c >= 0.001 * t) }' &&
        return 0
    fi
    ((SECONDS < deadline)) ||
      fail "$2: no moving scene in window $1 (fruit and stalk shares $shares; ${changed:-no} pixels changed in a second; $first)"
    sleep 0.5
  done
}

# flowers_shown "<fruit share> <stalk share>": both at least 0.1 %.
flowers_shown() {
  awk -v s="$1" 'BEGIN { split(s, x, " "); exit !(x[1] >= 0.001 && x[2] >= 0.001) }'
}

# count_records <text>: how many log lines are exactly the text.
count_records() {
  local count
  count="$(grep -cxF -- "$1" "$LOG" 2> /dev/null)" || true
  echo "${count:-0}"
}

# wait_for_records <text> <count> [seconds]
wait_for_records() {
  local deadline=$((SECONDS + ${3:-60}))
  while ((SECONDS < deadline)); do
    (($(count_records "$1") >= $2)) && return 0
    sleep 0.2
  done
  return 1
}

# prepare_unprivileged: sets UNPRIVILEGED to the command prefix that runs a program as
# an unprivileged user: nothing when the test is not root, else the user zentharis-test
# (created without a home when missing) with a copy of the display's cookie. The prefix
# execs the program, so a background job's pid is the program's. The work folder
# becomes readable for that user.
TEST_USER=zentharis-test
prepare_unprivileged() {
  UNPRIVILEGED=()
  [[ "$(id -u)" == 0 ]] || return 0
  id -u "$TEST_USER" > /dev/null 2>&1 || useradd -M -r -s /usr/sbin/nologin "$TEST_USER" 2> /dev/null ||
    id -u "$TEST_USER" > /dev/null 2>&1 || fail "cannot create the user $TEST_USER"
  chmod 755 "$WORK"
  local cookie="$WORK/xauthority"
  if [[ -n "${XAUTHORITY:-}" && -f "$XAUTHORITY" ]]; then
    cp "$XAUTHORITY" "$cookie"
    chmod 644 "$cookie"
  fi
  UNPRIVILEGED=(setpriv --reuid="$TEST_USER" --regid="$TEST_USER" --init-groups env XAUTHORITY="$cookie")
}

# user_folder <path>: makes a folder that the unprivileged user owns.
user_folder() {
  mkdir -p "$1"
  [[ "$(id -u)" != 0 ]] || chown "$TEST_USER:$TEST_USER" "$1"
}
