#!/usr/bin/env bash
# zentharis.scr /s under Wine with a picture collection: the tentacle's disc shows a
# 200-megapixel phone JPEG (decoded at an eighth), upright and not mirrored (about 32 s
# after the start on a quiet machine; some of the tentacle's steps count frames, so a
# starved machine is allowed 90 s); then this system's decoder gets through every broken
# and hostile file, and in a collection of those it refuses, the one good picture reaches
# the disc, the others are named in the log with the decoder's reason, the saver neither
# crashes nor stalls, and a key ends it.
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

# wait_for_quarters <seconds> <name>: until the picture shows on the disc, upright and
# not mirrored (its whole screenshot kept as SHOTS/<name>.png); fails when it does not,
# when it shows turned, when the saver ends, or when the test itself cannot tell.
wait_for_quarters() {
  local limit="$1" name="$2" started=$SECONDS status small
  rm -rf "$WORK/shots"
  mkdir -p "$WORK/shots"
  capture_screens &
  local capturer=$!
  local found=""
  while ((SECONDS - started < limit)) && [[ -z "$found" ]]; do
    sleep 0.5
    kill -0 "$SAVER_PID" 2> /dev/null || { kill "$capturer"; fail "the saver ended by itself"; }
    for small in "$WORK"/shots/[0-9][0-9][0-9][0-9].png; do
      [[ -f "$small" ]] || continue
      status=0
      quarters_found "$small" > "$WORK/quarters.txt" 2>&1 || status=$?
      case $status in
        0) cp "${small%.png}.full.png" "$SHOTS/$name.png"; found=1; break ;;
        1) rm -f "$small" "${small%.png}.full.png" ;;
        2) kill "$capturer"; fail "the picture is turned or mirrored: $(cat "$WORK/quarters.txt")" ;;
        *) kill "$capturer"; fail "the screenshot could not be looked at ($status): $(cat "$WORK/quarters.txt")" ;;
      esac
    done
  done
  kill "$capturer" 2> /dev/null || true
  wait "$capturer" 2> /dev/null || true
  [[ -n "$found" ]] || fail "no picture on the disc within $limit s"
  echo "ok: the picture on the disc $((SECONDS - started)) s after the start, upright and not mirrored"
}

# 1. The picture on the disc: the native generator's 200-megapixel JPEG, laid out as
# quarters.bmp is.
large="${ZEN_NATIVE_BUILD_DIR:?}/large-jpegs/200mp-baseline.jpg"
[[ -f "$large" ]] || fail "no $large (the LargeJpegs fixture makes it)"
cp "$large" "$WORK/pictures/phone.jpg"
settings_write 0 1 "2$(windows_path "$WORK/pictures/phone.jpg")"
start_saver /s
wait_for_window "Screen Saver" 30 > /dev/null || fail "no saver window"
wait_for_quarters 90 saver-picture
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
[[ -x "$generator" ]] || fail "no $generator: the native build makes it"
"$generator" "$hostile" > /dev/null
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

# What the decoder makes of each, all in one process. Those it decodes stay out of the
# collection: each would take a disc of its own, and with more than 20 pictures a disc's
# picture is drawn at random, so the good one could wait behind them for many discs.
decode_outcomes="$(dirname "$FAULT_INJECTOR")/DecodeOutcomes.exe"
names=()
for file in "$hostile"/*; do names+=("$(basename "$file")"); done
(cd "$hostile" && timeout 120 "$WINE_RUN" "$decode_outcomes" "${names[@]}") 2> /dev/null | tr -d '\r' > "$WORK/outcomes.txt" ||
  fail "the decoder did not get through the hostile files within 120 s: $(tail -n 1 "$WORK/outcomes.txt")"
[[ "$(grep -cE '^(decoded [0-9]+x[0-9]+|refused \([a-z ]+\)) ' "$WORK/outcomes.txt")" == "${#names[@]}" ]] ||
  fail "not every hostile file has an outcome: $(cat "$WORK/outcomes.txt")"
# A sound picture under another format's name, and the largest the bounds allow, decode;
# what this check wrote broken is refused.
for name in gif-named-as.png png-largest-allowed-4096x8192.png; do
  grep -q "^decoded [0-9]*x[0-9]* $name$" "$WORK/outcomes.txt" || fail "$name did not decode: $(grep " $name$" "$WORK/outcomes.txt")"
done
for name in truncated.png empty.jpg lying.gif tiff.jpg huge.png huge.bmp; do
  grep -q "^refused ([a-z ]*) $name$" "$WORK/outcomes.txt" || fail "$name was not refused: $(grep " $name$" "$WORK/outcomes.txt")"
done
mkdir -p "$WORK/decoded"
while read -r _ _ name; do
  mv "$hostile/$name" "$WORK/decoded/"
done < <(grep '^decoded ' "$WORK/outcomes.txt")
cp "$WORK/pictures/quarters.bmp" "$hostile/good.bmp"

settings_write 0 1 "1$(windows_path "$hostile")"
start_saver /s
wait_for_window "Screen Saver" 30 > /dev/null || fail "no saver window"
# The good picture reaches the disc, and the saver still draws after it. The refused
# ones are passed over; a disc that comes before the good one is ready goes without
# one, and one too far away for the check to see counts for nothing (a disc every 30-60
# s under load).
wait_for_quarters 300 saver-hostile
screenshot "$WORK/hostile-1.png"
sleep 2
screenshot "$WORK/hostile-2.png"
[[ "$(pixels_digest "$WORK/hostile-1.png")" != "$(pixels_digest "$WORK/hostile-2.png")" ]] ||
  fail "the saver stopped drawing after the hostile files"
xdotool key a
timeout 5 tail --pid="$SAVER_PID" -f /dev/null || fail "a key did not end the saver within 5 s"
saver_status=0
wait "$SAVER_PID" || saver_status=$?
SAVER_PID=""
[[ $saver_status -eq 0 ]] || fail "the saver ended with $saver_status after the hostile files"
# Each file tried that gave nothing is named in the log once, with the decoder's reason
# (or as too slow: the loader gives up on a decode after 3 s).
plain_log > "$WORK/log.txt"
notices="$(grep -c '^   Notify : Picture is not shown (' "$WORK/log.txt" || true)"
((notices > 0)) || fail "no hostile file was named in the log"
repeated="$(grep '^   Notify : Picture is not shown (' "$WORK/log.txt" | sort | uniq -d)"
[[ -z "$repeated" ]] || fail "files named more than once: $repeated"
# The order is the sequence's own: whichever were tried name a hostile file and a reason.
folder="$(windows_path "$hostile")\\"
while IFS= read -r notice; do
  [[ "$notice" =~ ^"   Notify : Picture is not shown ("(damaged|too large|not a picture format|unreadable|too slow to decode)"): $folder"(.+)$ ]] ||
    fail "an unexpected notice: $notice"
  [[ "${BASH_REMATCH[2]}" != good.bmp ]] || fail "the good picture was named as not shown"
  [[ "${BASH_REMATCH[1]}" == "too slow to decode" ]] ||
    grep -qxF "refused (${BASH_REMATCH[1]}) ${BASH_REMATCH[2]}" "$WORK/outcomes.txt" ||
    fail "named for another reason than the decoder gave: $notice ($(grep -F " ${BASH_REMATCH[2]}" "$WORK/outcomes.txt"))"
done < <(grep '^   Notify : Picture is not shown (' "$WORK/log.txt")
echo "ok: hostile files neither crash nor stall the saver; the good one shows; $notices named in the log"
