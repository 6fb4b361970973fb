# Shared by the zentharis.scr checks under Wine (sourced, not run). Each check copies the
# .scr into a folder of its own (its log is written beside it) and runs it in the
# build's Wine prefix under a private Xvfb. The helpers for logs and windows are the
# native checks' own.
source "$(dirname "${BASH_SOURCE[0]}")/../app/saver-test-lib.sh"

# Usage: wine_test_setup "$0" "$@"  (arguments: the .scr, the preview host, the fault
# injector, the reader of window texts)
wine_test_setup() {
  local script="$1"
  shift
  if [[ -z "${ZEN_WINE_TEST_IN_XVFB:-}" ]]; then
    ZEN_WINE_TEST_IN_XVFB=1 exec xvfb-run -a -s "-screen 0 1024x768x24 -noreset" bash "$script" "$@"
  fi
  # A command that ends a check under `set -e` without a message of its own is named.
  trap 'echo "FAIL: line $LINENO: $BASH_COMMAND" >&2' ERR
  WORK="$(mktemp -d "${ZEN_BUILD_DIR:-/tmp}/wine-test.XXXXXX")"
  trap 'wine_test_cleanup' EXIT
  cp "$(readlink -f "$1")" "$WORK/zentharis.scr"
  SAVER="$WORK/zentharis.scr"
  PREVIEW_HOST="$(readlink -f "$2")"
  FAULT_INJECTOR="$(readlink -f "${3:-}")"
  WINDOW_TEXTS="$(readlink -f "${4:-}")"
  LOG="$WORK/zentharis.log"
  # Frames are counted by the GL driver's own meter (Mesa's, under Wine as natively): a
  # line every half second with frames in it, written to a file and not drawn.
  export GALLIUM_HUD=fps GALLIUM_HUD_VISIBLE=false GALLIUM_HUD_DUMP_DIR="$WORK/hud"
  mkdir -p "$GALLIUM_HUD_DUMP_DIR"
  WINE_RUN="${ZEN_SCRIPTS_DIR:?}/wine-run.sh"
  SAVER_PID=""
}

wine_test_cleanup() {
  local status=$?
  trap - ERR
  # A check's own undoing (WINE_TEST_UNDO, a command line), whatever happened.
  [[ -n "${WINE_TEST_UNDO:-}" ]] && { eval "$WINE_TEST_UNDO" || true; }
  if [[ -n "${SAVER_PID:-}" ]] && kill -0 "$SAVER_PID" 2> /dev/null; then
    kill "$SAVER_PID" 2> /dev/null || true
  fi
  # Nothing of this run may outlive its display.
  WINEPREFIX="${WINEPREFIX:?}" wineserver -k 2> /dev/null || true
  if [[ $status -ne 0 && -f "${LOG:-}" ]]; then
    echo "--- log of the failed run:" >&2
    tr -d '\r' < "$LOG" >&2
  fi
  if [[ -n "${ZEN_KEEP_WORK:-}" ]]; then  # to look at the screenshots
    echo "kept $WORK" >&2
  else
    rm -rf "$WORK"
  fi
  exit $status
}

# start_saver <arguments...>: runs the .scr in the background.
start_saver() {
  "$WINE_RUN" "$SAVER" "$@" > "$WORK/stdout" 2> "$WORK/stderr" &
  SAVER_PID=$!
}

# run_saver <seconds> <arguments...>: runs the .scr to its end; sets SAVER_STATUS.
run_saver() {
  local seconds="$1"
  shift
  SAVER_STATUS=0
  timeout "$seconds" "$WINE_RUN" "$SAVER" "$@" > "$WORK/stdout" 2> "$WORK/stderr" || SAVER_STATUS=$?
}

# window_texts <title>: what the windows so titled say, a line per control.
window_texts() { "$WINE_RUN" "$WINDOW_TEXTS" "$1" 2> /dev/null | tr -d '\r'; }

# wait_for_frame_periods <half-seconds> <seconds>: until the saver has drawn frames in that many
# half-second periods (a frame in each), instead of a fixed sleep a loaded machine can outlast.
wait_for_frame_periods() {
  local periods="$1" deadline=$((SECONDS + $2))
  until [[ "$(awk '$1 > 0' "$GALLIUM_HUD_DUMP_DIR/fps" 2> /dev/null | wc -l)" -ge "$periods" ]]; do
    ((SECONDS < deadline)) || fail "no frames drawn within $2 s ($(wc -l < "$GALLIUM_HUD_DUMP_DIR/fps" 2> /dev/null || echo 0) periods)"
    [[ -z "${SAVER_PID:-}" ]] || kill -0 "$SAVER_PID" 2> /dev/null || fail "the saver ended before drawing"
    sleep 0.2
  done
}

# The log without its carriage returns (the file is written in text mode).
plain_log() { tr -d '\r' < "$LOG"; }

# expect_wine_records_in_order <record...>
expect_wine_records_in_order() {
  local raw="$LOG"
  plain_log > "$WORK/log.txt"
  LOG="$WORK/log.txt"
  expect_records_in_order "$@"
  expect_log_ends_properly
  LOG="$raw"
}

# screenshot <file.png> [geometry]: the screen, or a WxH+X+Y part of it.
screenshot() {
  import -window root ${2:+-crop "$2"} "$1"
}

# colour_share <file.png> <r> <g> <b> <tolerance> [geometry]: fraction of the pixels
# (of a WxH+X+Y part) within the tolerance of the colour.
colour_share() {
  convert "$1" ${6:+-crop "$6"} -depth 8 rgb:- | od -An -tu1 -v -w3 |
    awk -v r="$2" -v g="$3" -v b="$4" -v t="$5" '
      { n++; if (($1 - r) ^ 2 + ($2 - g) ^ 2 + ($3 - b) ^ 2 <= t * t) hit++ }
      END { printf "%.4f\n", n ? hit / n : 0 }'
}

# mean_brightness <file.png> [geometry]: 0..1.
mean_brightness() {
  convert "$1" ${2:+-crop "$2"} -colorspace Gray -format "%[fx:mean]" info:
}
