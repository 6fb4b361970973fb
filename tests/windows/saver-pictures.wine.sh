#!/usr/bin/env bash
# zentharis.scr /s under Wine with a picture collection: the tentacle's disc shows a
# 200-megapixel phone JPEG (decoded at an eighth), upright and not mirrored, within 60 s (about 32 s on a quiet machine; some of
# the tentacle's steps count frames, so a starved machine is allowed 90 s); then a collection of broken and hostile
# files beside one good picture neither crashes nor stalls the saver, and a key ends it.
set -euo pipefail
source "$(dirname "$0")/wine-test-lib.sh"
wine_test_setup "$0" "$@"
source "$(dirname "$0")/dialog-test-lib.sh"

# Top left green, top right red, the bottom half blue: any turn or mirror moves a colour.
mkdir -p "$WORK/pictures"
convert -size 256x256 xc:'#0000ff' -fill '#ff0000' -draw 'rectangle 0,0 255,127' \
  -fill '#00ff00' -draw 'rectangle 0,0 127,127' -type TrueColor "BMP3:$WORK/pictures/quarters.bmp"

# quarters_found <small screenshot>: the three colours' centres lie as in the picture.
quarters_found() {
  convert "$1" -depth 8 rgb:- | python3 -c '
import sys
data = sys.stdin.buffer.read()
width = int(sys.argv[1])
sums = {"r": [0, 0, 0], "g": [0, 0, 0], "b": [0, 0, 0]}
for i in range(0, len(data) - 2, 3):
    r, g, b = data[i], data[i + 1], data[i + 2]
    key = None
    if r > 170 and g < 60 and b < 60: key = "r"
    elif g > 170 and r < 60 and b < 60: key = "g"
    elif b > 170 and r < 60 and g < 60: key = "b"
    if key:
        p = i // 3
        s = sums[key]
        s[0] += 1; s[1] += p % width; s[2] += p // width
# The disc is large: a few glowing spots, a stalk or the creature never make this many.
if min(s[0] for s in sums.values()) < 120:
    sys.exit(1)
c = {k: (s[1] / s[0], s[2] / s[0]) for k, s in sums.items()}
upright = c["r"][1] < c["b"][1] and c["g"][1] < c["b"][1]
unmirrored = c["g"][0] < c["r"][0]
print("centres", c, "upright", upright, "unmirrored", unmirrored)
sys.exit(0 if upright and unmirrored else 2)' "$(identify -format %w "$1")"
}

# The disc shows for a few seconds only: the screen is taken every second by a loop of
# its own (an eighth of the size for the test, the whole kept until it is tested).
capture_screens() {
  local n=0
  while :; do
    n=$((n + 1))
    local name
    name=$(printf '%s/%04d' "$WORK/shots" "$n")
    import -window root "$name.full.png" 2> /dev/null || true
    convert "$name.full.png" -sample 12.5% "$name.tmp.png" 2> /dev/null && mv "$name.tmp.png" "$name.png"
    sleep 0.5
  done
}

# 1. The picture on the disc: the native generator's 200-megapixel JPEG, laid out as
# quarters.bmp is.
large="${ZEN_NATIVE_BUILD_DIR:?}/large-jpegs/200mp-baseline.jpg"
[[ -f "$large" ]] || fail "no $large (the LargeJpegs fixture makes it)"
cp "$large" "$WORK/pictures/phone.jpg"
settings_write 0 1 "2$(windows_path "$WORK/pictures/phone.jpg")"
start=$SECONDS
start_saver /s
wait_for_window "Screen Saver" 30 > /dev/null || fail "no saver window"
mkdir -p "$WORK/shots"
capture_screens &
capturer=$!
found=""
status=1
while ((SECONDS - start < 90)) && [[ -z "$found" ]]; do
  sleep 0.5
  for small in "$WORK"/shots/[0-9][0-9][0-9][0-9].png; do
    [[ -f "$small" ]] || continue
    status=0
    quarters_found "$small" > "$WORK/quarters.txt" || status=$?
    if [[ $status -eq 1 ]]; then
      rm -f "$small" "${small%.png}.full.png"
      continue
    fi
    cp "${small%.png}.full.png" "$SHOTS/saver-picture.png"
    found=1
    break
  done
done
kill "$capturer" 2> /dev/null || true
wait "$capturer" 2> /dev/null || true
[[ $status -ne 2 ]] || fail "the picture is turned or mirrored: $(cat "$WORK/quarters.txt")"
[[ -n "$found" ]] || fail "no picture on the disc within 90 s"
elapsed=$((SECONDS - start))
echo "ok: the picture on the disc $elapsed s after the start, upright and not mirrored"
xdotool key a
timeout 10 tail --pid="$SAVER_PID" -f /dev/null || fail "a key did not end the saver"
saver_status=0
wait "$SAVER_PID" || saver_status=$?
SAVER_PID=""
[[ $saver_status -eq 0 ]] || fail "the saver ended with $saver_status"

# 2. Broken and hostile files in the collection: the hostile-file generator's (cut short,
# corrupt, size bombs of every format, other formats under picture names) and a few
# written here. No FIFO: a Windows disk holds none.
hostile="$WORK/hostile"
mkdir -p "$hostile"
generator="${ZEN_NATIVE_BUILD_DIR:?}/make_hostile_pictures"
if [[ -x "$generator" ]]; then
  "$generator" "$hostile" > /dev/null
fi
cp "$WORK/pictures/quarters.bmp" "$hostile/good.bmp"
convert -size 300x200 gradient:'#203080-#e08040' "$WORK/whole.png"
head -c 300 "$WORK/whole.png" > "$hostile/truncated.png"
: > "$hostile/empty.jpg"
echo "not a picture at all" > "$hostile/lying.gif"
convert -size 64x64 xc:'#808080' "tiff:$hostile/tiff.jpg"
# A PNG whose header claims 60000 x 60000 pixels, its data cut short.
python3 - "$hostile/huge.png" <<'PY'
import struct, sys, zlib
def chunk(kind, body):
    return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
header = struct.pack(">IIBBBBB", 60000, 60000, 8, 2, 0, 0, 0)
data = zlib.compress(b"\0" * 100000)
with open(sys.argv[1], "wb") as f:
    f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", data))
PY
# A BMP claiming 60000 x 60000 in a file of a few bytes.
python3 - "$hostile/huge.bmp" <<'PY'
import struct, sys
header = struct.pack("<2sIHHI", b"BM", 54 + 16, 0, 0, 54)
info = struct.pack("<IiiHHIIiiII", 40, 60000, 60000, 1, 24, 0, 0, 2835, 2835, 0, 0)
open(sys.argv[1], "wb").write(header + info + b"\0" * 16)
PY
settings_write 0 1 "1$(windows_path "$hostile")"
start_saver /s
wait_for_window "Screen Saver" 30 > /dev/null || fail "no saver window"
previous=""
for round in 1 2 3 4 5 6; do
  sleep 6
  kill -0 "$SAVER_PID" 2> /dev/null || fail "the saver ended by itself after a hostile file"
  screenshot "$WORK/hostile-$round.png"
  digest=$(pixels_digest "$WORK/hostile-$round.png")
  [[ "$digest" != "$previous" ]] || fail "the saver stopped drawing (round $round)"
  previous="$digest"
done
cp "$WORK/hostile-6.png" "$SHOTS/saver-hostile.png"
xdotool key a
timeout 5 tail --pid="$SAVER_PID" -f /dev/null || fail "a key did not end the saver within 5 s"
saver_status=0
wait "$SAVER_PID" || saver_status=$?
SAVER_PID=""
[[ $saver_status -eq 0 ]] || fail "the saver ended with $saver_status after the hostile files"
echo "ok: hostile files neither crash nor stall the saver"
