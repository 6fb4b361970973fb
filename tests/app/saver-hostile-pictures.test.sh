#!/usr/bin/env bash
# Hostile files in the picture collection: cut short (a PNG ending inside an ancillary
# chunk, on which a decoder may loop for ever), size bombs of every format, the GIF
# whose second image claims 45000 x 62000, the JPEG of thousands of scans, a FIFO in
# the folder, another swapped in for a picture while the saver runs, and a picture on a
# drive that stopped answering (its open never returns). The loader passes over every
# one of them, giving up on the stuck one, and the good picture after them reaches the
# first disc; the saver keeps drawing meanwhile (frames keep coming, counted by Mesa's
# frame counter, and the screen keeps changing), and a key press still ends it with 0
# within 2 s.
set -euo pipefail
source "$(dirname "$0")/saver-test-lib.sh"
saver_test_setup "$0" "$@"

build="$(dirname "$(readlink -f "$1")")"
pictures="$WORK/pictures"
mkdir -p "$pictures"

# From the hostile-file generator's collection, the files that did the most harm.
"$build/make_hostile_pictures" "$WORK/hostile" > /dev/null || fail "the hostile-file generator failed"
bombs=(gif-second-image-45000x62000.gif jpeg-2000-scans.jpg png-claims-100000-square.png
  gif-screen-65535-square.gif jpeg-claims-65500-square.jpg jpeg-progressive-claims-8192-square.jpg
  bmp-claims-60000-square.bmp bmp-run-length-8192-square.bmp)
for name in png-cut-inside-text-chunk.png png-text-inflating-to-64-mb.png "${bombs[@]}"; do
  cp "$WORK/hostile/$name" "$pictures/" || fail "the generator made no $name"
done
mkfifo "$pictures/a fifo in the folder.png"
cp "$build/sample-pictures/Blossom.png" "$pictures/swapped for a fifo.png"
stuck="$pictures/on a drive that stopped answering.jpg"
cp "$build/sample-pictures/Dusk over the lake.jpg" "$stuck"
# The good picture: magenta on the left, cyan on the right, colours the scene has not.
convert -size 256x256 xc:'#00ffff' -fill '#ff00ff' -draw 'rectangle 0,0 127,255' -type TrueColor \
  "BMP3:$pictures/good.bmp"
MAGENTA="r > 170 and g < 80 and b > 170"
CYAN="r < 80 and g > 170 and b > 170"

# The order in which the loader asks for them. The collection lists the files one by
# one: its last entry comes first in the expanded list, and the first asked for is the
# entry before it, then the ones before that. The PNG that makes a decoder loop comes
# first, then the stuck picture, the picture swapped for a FIFO while the loader is
# stuck, the FIFO, the bombs, and at last the good picture. The PNG inflating its text
# to 64 MB is a picture too: it comes after the good one, for the second disc.
asked=("png-cut-inside-text-chunk.png" "$(basename "$stuck")" "swapped for a fifo.png"
  "a fifo in the folder.png" "${bombs[@]}" good.bmp png-text-inflating-to-64-mb.png)
entries=()
for ((i = ${#asked[@]} - 2; i >= 0; i--)); do
  entries+=("2$pictures/${asked[i]}")
done
entries+=("2$pictures/${asked[-1]}")
collection="$(IFS=';'; echo "${entries[*]}")"
printf 'EnableFPS=0\nEnableVSync=1\nSlideshowPictures=%s\n' "$collection" \
  > "$XDG_CONFIG_HOME/Vorelund/Zentharis screensaver.conf"

# Decoder warnings may pour out: the first megabyte is kept, the rest drained.
stuck_marker="$WORK/stuck-in-open"
exec 3> >(head -c 1000000 > "$WORK/stderr"; cat > /dev/null)
LD_PRELOAD="$FAULT_PRELOAD" ZEN_STUCK_OPEN_PATH="$stuck" ZEN_STUCK_OPEN_MARKER="$stuck_marker" \
  "${FRAME_COUNTER[@]}" "$SAVER" /s 2>&3 &
SAVER_PID=$!
exec 3>&-
wait_for_window "Screen Saver" > /dev/null || fail "no full-screen window"
wait_for_log "Scene has been initialized successfully" || fail "the scene did not start"
started=$SECONDS

# The loader waits 3 s for the stuck picture before it gives up on it: time enough to
# put a FIFO in the place of the next one.
deadline=$((SECONDS + 30))
until [[ -e "$stuck_marker" ]]; do
  ((SECONDS < deadline)) || fail "the loader never opened the stuck picture"
  sleep 0.1
done
rm "$pictures/swapped for a fifo.png"
mkfifo "$pictures/swapped for a fifo.png"
! grep -qF "   Notify : Picture is not shown (too slow to decode): $stuck" "$LOG" ||
  fail "the loader gave up on the stuck picture before the swap"

# The first disc is built about 25 to 50 s after the start, and shows for a few seconds:
# the screen is taken every half second (the whole kept until it is tested) until the
# good picture is on it, at most 90 s after the start.
shots="$build/test-work/saver-hostile-pictures"
rm -rf "$shots"
mkdir -p "$shots"
records() { wc -l < "$WORK/hud/fps" 2> /dev/null || echo 0; }
at5=""
found=""
n=0
while [[ -z "$found" ]]; do
  expect_running "the saver ended by itself after $((SECONDS - started)) s"
  ((SECONDS - started < 90)) || fail "the good picture was on no disc within 90 s"
  [[ -n "$at5" ]] || ((SECONDS - started < 5)) || at5="$(records)"
  n=$((n + 1))
  shot="$(printf '%s/%04d.png' "$shots" "$n")"
  import -window root "$shot" 2> /dev/null || fail "no screenshot"
  shares="$(colour_shares "$shot" "$MAGENTA" "$CYAN")"
  # The disc is large: a few glowing spots never make this many.
  if awk -v s="$shares" 'BEGIN { split(s, x, " "); exit !(x[1] >= 0.004 && x[2] >= 0.004) }'; then
    found="$shots/good-picture-on-a-disc.png"
    mv "$shot" "$found"
  else
    rm -f "$shot"
    sleep 0.5
  fi
done
shown_at=$((SECONDS - started))
echo "the good picture on a disc $shown_at s after the start (magenta and cyan shares $shares)"
[[ -n "$at5" ]] || fail "the good picture was on a disc before 5 s: the collection was not tried"

# Drawing goes on past the disc.
until_seconds=$((SECONDS + 7))
while ((SECONDS < until_seconds)); do
  expect_running "the saver ended by itself after $((SECONDS - started)) s"
  sleep 0.5
done
import -window root "$shots/after-the-disc.png" || fail "no screenshot"
at_end="$(records)"
echo "frame-rate records (two a second): $at5 at 5 s, $at_end at $((SECONDS - started)) s; last ones: $(tail -n 4 "$WORK/hud/fps" | tr '\n' ' ')"
# Two records a second while frames come; one a second is allowed for a busy machine.
((at_end - at5 >= SECONDS - started - 5)) || fail "frames stopped coming ($at5 records at 5 s, $at_end at the end)"
tail -n 10 "$WORK/hud/fps" | awk '$1 <= 0 { bad = 1 } END { exit bad }' || fail "half-seconds without a frame"
(($(differing_pixels "$found" "$shots/after-the-disc.png") > 0)) || fail "the screen did not change"

start_ns="$(date +%s%N)"
xdotool key a
wait_saver_exit 10
took_ms=$((($(date +%s%N) - start_ns) / 1000000))
echo "ended ${took_ms} ms after the key press, stderr $(wc -c < "$WORK/stderr") bytes"
[[ "$SAVER_STATUS" == 0 ]] || fail "exit status $SAVER_STATUS after a key"
((took_ms <= 2000)) || fail "the saver took ${took_ms} ms to end"
# The render thread tore down by itself: closing did not have to be cut short, though a
# loader thread is still stuck.
expect_log_ends_properly

# Every file the first disc passed over is named in the log once, with why; the stuck
# one as given up on. The good picture, which was shown, is not.
expect_not_shown() {
  local count
  count="$(grep -cxF -- "   Notify : Picture is not shown ($1): $pictures/$2" "$LOG" || true)"
  [[ "$count" == 1 ]] || fail "the log names \"$2\" as $1 $count times: $(grep -F 'is not shown' "$LOG" | head -n 20)"
}
expect_not_shown damaged png-cut-inside-text-chunk.png
expect_not_shown "too slow to decode" "$(basename "$stuck")"
expect_not_shown unreadable "swapped for a fifo.png"
expect_not_shown unreadable "a fifo in the folder.png"
for name in "${bombs[@]}"; do
  count="$(grep -cF -- "): $pictures/$name" "$LOG" || true)"
  [[ "$count" == 1 ]] || fail "the log names $name $count times"
done
! grep -qF "good.bmp" "$LOG" || fail "the good picture is named as not shown"
echo PASS
