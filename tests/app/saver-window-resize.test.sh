#!/usr/bin/env bash
# The drawing follows its window: a daemon's window that grows and then shrinks while
# the saver draws keeps showing the whole scene. After each change every quarter of the
# window has the colours that quarter had at the start (the backdrop's sky above, its
# ground below); neither black left over where the old size did not reach nor a corner
# of a larger picture. Then the window shrinks to a single pixel and comes back.
set -euo pipefail
source "$(dirname "$0")/saver-test-lib.sh"
saver_test_setup "$0" "$@"
write_settings 0 0

open_plain_window zen-resized-window 400x300+0+0
window="$PLAIN_WINDOW"

# quarter_colours <shot>: mean red, green and blue of each quarter, in the order
# top-left, top-right, bottom-left, bottom-right, as 12 numbers from 0 to 1.
quarter_colours() {
  convert "$1" -crop 2x2@ +repage -format '%[fx:mean.r] %[fx:mean.g] %[fx:mean.b]\n' info: | tr '\n' ' '
}

# expect_quarters_like_start <name>: after a size change, within 10 s.
expect_quarters_like_start() {
  local shot now deadline=$((SECONDS + 10))
  while true; do
    shot="$(save_screenshot "$window" "$1")" || fail "$1: no screenshot"
    now="$(quarter_colours "$shot")"
    # Each channel of each quarter within 0.08 of the start's: animated parts move,
    # the backdrop does not.
    awk -v a="$reference" -v b="$now" 'BEGIN {
      n = split(a, x, " "); split(b, y, " ")
      for (i = 1; i <= n; i++) { d = x[i] - y[i]; if (d < -0.08 || d > 0.08) exit 1 }
    }' && return 0
    ((SECONDS < deadline)) || fail "$1: quarters $now, at the start $reference ($shot)"
    sleep 1
  done
}

start_saver -window-id "$window"
wait_for_log "Scene has been initialized successfully" 60 || fail "the scene did not start"
expect_scene "$window" "start-400x300"
reference="$(quarter_colours "$(save_screenshot "$window" start-reference)")"
# The test means something only if the quarters differ: sky above, bluer than red, and
# ground below, redder than blue. Not their brightness: the planet's glow, which grows
# over the first seconds, makes the sky as bright as the ground.
awk -v a="$reference" 'BEGIN { split(a, x, " ")
  exit !((x[3] - x[1]) - (x[9] - x[7]) > 0.1 && (x[6] - x[4]) - (x[12] - x[10]) > 0.1) }' ||
  fail "the start's quarters are too alike to tell a corner from the whole: $reference"

xdotool windowsize "$window" 900 700
expect_quarters_like_start "grown-900x700"
xdotool windowsize "$window" 300 200
expect_quarters_like_start "shrunk-300x200"

# A single pixel and back: nothing to see, but no crash and no flood of records.
records="$(wc -l < "$LOG")"
xdotool windowsize "$window" 1 1
sleep 2
expect_running "the saver ended at 1 x 1"
xdotool windowsize "$window" 640 480
expect_quarters_like_start "back-640x480"
(($(wc -l < "$LOG") == records)) || fail "size changes wrote records: $(tail -n +$((records + 1)) "$LOG")"

kill -TERM "$SAVER_PID"
wait_saver_exit 20
[[ "$SAVER_STATUS" == 0 ]] || fail "exit status $SAVER_STATUS"
expect_log_ends_properly
echo PASS
