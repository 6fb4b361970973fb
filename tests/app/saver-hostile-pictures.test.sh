#!/usr/bin/env bash
# Hostile files in the picture collection: cut short (a PNG ending inside an ancillary
# chunk, on which a decoder may loop for ever), size bombs of every format, the GIF
# whose second image claims 45000 x 62000, the JPEG of thousands of scans, a FIFO in
# the folder and another swapped in for a picture while the saver runs. The saver keeps
# drawing (frames keep coming, counted by Mesa's HUD, and the screen keeps changing),
# and a key press still ends it with 0 within 2 s.
set -euo pipefail
source "$(dirname "$0")/saver-test-lib.sh"
saver_test_setup "$0" "$@"

build="$(dirname "$(readlink -f "$1")")"
pictures="$WORK/pictures"
mkdir -p "$pictures"

# From the hostile-file generator's collection, the files that did the most harm.
"$build/make_hostile_pictures" "$WORK/hostile" > /dev/null || fail "the hostile-file generator failed"
for name in png-cut-inside-text-chunk.png gif-second-image-45000x62000.gif jpeg-2000-scans.jpg \
  png-claims-100000-square.png png-text-inflating-to-64-mb.png gif-screen-65535-square.gif \
  jpeg-claims-65500-square.jpg jpeg-progressive-claims-8192-square.jpg bmp-claims-60000-square.bmp \
  bmp-run-length-8192-square.bmp; do
  cp "$WORK/hostile/$name" "$pictures/" || fail "the generator made no $name"
done
mkfifo "$pictures/a fifo in the folder.png"
cp "$build/sample-pictures/Blossom.png" "$pictures/swapped for a fifo.png"
cp "$build/sample-pictures/Summer meadow.bmp" "$pictures/good.bmp"

# The collection lists the files one by one. Its last entry comes first in the
# expanded list and the one before it is the first picture asked for: the PNG cut
# inside an ancillary chunk, on which a decoder once looped for ever. Then come the picture swapped for a FIFO, the FIFO,
# the others, and at last the good picture.
entries=()
for file in "$pictures"/*; do
  case "$(basename "$file")" in
    png-cut-inside-text-chunk.png | "swapped for a fifo.png" | "a fifo in the folder.png" | good.bmp) ;;
    *) entries+=("2$file") ;;
  esac
done
entries+=("2$pictures/a fifo in the folder.png" "2$pictures/swapped for a fifo.png")
entries+=("2$pictures/png-cut-inside-text-chunk.png" "2$pictures/good.bmp")
collection="$(IFS=';'; echo "${entries[*]}")"
printf 'EnableFPS=0\nEnableVSync=1\nSlideshowPictures=%s\n' "$collection" \
  > "$XDG_CONFIG_HOME/Vorelund/Zentharis screensaver.conf"

# Decoder warnings may pour out: the first megabyte is kept, the rest drained.
hud="$WORK/hud"
mkdir "$hud"
exec 3> >(head -c 1000000 > "$WORK/stderr"; cat > /dev/null)
GALLIUM_HUD=fps GALLIUM_HUD_DUMP_DIR="$hud" "$SAVER" /s 2>&3 &
SAVER_PID=$!
exec 3>&-
wait_for_window "Screen Saver" > /dev/null || fail "no full-screen window"
wait_for_log "Scene has been initialized successfully" || fail "the scene did not start"
started=$SECONDS
sleep 1
rm "$pictures/swapped for a fifo.png"
mkfifo "$pictures/swapped for a fifo.png"

# The first disc is built about 35 to 50 s after the start: the checks run past it.
shots="$build/test-work/saver-hostile-pictures"
mkdir -p "$shots"
records() { wc -l < "$hud/fps" 2> /dev/null || echo 0; }
run_until() {
  while ((SECONDS - started < $1)); do
    expect_running "the saver ended by itself after $((SECONDS - started)) s"
    sleep 0.5
  done
}
run_until 5
at5="$(records)"
run_until 53
at53="$(records)"
import -window root "$shots/1.png"
run_until 60
at60="$(records)"
import -window root "$shots/2.png"
echo "frame-rate records (two a second): $at5 at 5 s, $at53 at 53 s, $at60 at 60 s; last ones: $(tail -n 4 "$hud/fps" | tr '\n' ' ')"
((at53 - at5 >= 48)) || fail "frames stopped coming before 53 s ($at5, then $at53 records)"
((at60 - at53 >= 5)) || fail "frames stopped coming after 53 s ($at53, then $at60 records)"
tail -n 10 "$hud/fps" | awk '$1 <= 0 { bad = 1 } END { exit bad }' || fail "half-seconds without a frame"
[[ "$(compare -metric AE "$shots/1.png" "$shots/2.png" null: 2>&1 || true)" != 0 ]] ||
  fail "the screen did not change"

start_ns="$(date +%s%N)"
xdotool key a
wait_saver_exit 10
took_ms=$((($(date +%s%N) - start_ns) / 1000000))
echo "ended ${took_ms} ms after the key press, stderr $(wc -c < "$WORK/stderr") bytes"
[[ "$SAVER_STATUS" == 0 ]] || fail "exit status $SAVER_STATUS after a key"
((took_ms <= 2000)) || fail "the saver took ${took_ms} ms to end"
# The render thread tore down by itself: closing did not have to be cut short.
expect_log_ends_properly
# The files tried by the second disc that gave nothing are named in the log once, with why.
for expected in "damaged): $pictures/png-cut-inside-text-chunk.png" "unreadable): $pictures/a fifo in the folder.png"; do
  count="$(grep -cxF -- "   Notify : Picture is not shown ($expected" "$LOG" || true)"
  [[ "$count" == 1 ]] || fail "the log names \"$expected\" $count times: $(grep -F 'is not shown' "$LOG" | head -n 20)"
done
echo PASS
