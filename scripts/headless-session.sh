#!/usr/bin/env bash
# Inside Xvfb: runs the saver, records its sound and takes screenshots, then closes it
# with a key press as a user would.
set -euo pipefail
exe="$1"
out="$2"
rm -f "$out"/shot-*.png "$out/soundtrack.wav"

# OpenAL Soft's wave output records what the saver plays.
cat > "$out/alsoft.conf" <<CONF
[general]
drivers=wave
frequency=44100
channels=stereo
sample-type=int16
hrtf=false
[wave]
file=$out/soundtrack.wav
CONF
export ALSOFT_CONF="$out/alsoft.conf"
export ALSOFT_DRIVERS=wave  # wins over the file's drivers= when set elsewhere

"$exe" /s &
saver=$!
# The first picture disc unrolls 23 to 29 seconds in, so the run lasts long enough to show one.
for second in 4 10 18 26 30 34 38; do
  sleep $(( second - ${previous:-0} ))
  previous=$second
  if ! kill -0 "$saver" 2> /dev/null; then
    echo "The saver ended early; see build/zentharis.log" >&2
    break
  fi
  import -window root "$out/shot-$(printf %02d "$second")s.png"
  echo "wrote out/shot-$(printf %02d "$second")s.png"
done
xdotool key space 2> /dev/null || true
status=0
wait "$saver" || status=$?
cp -f "$(dirname "$exe")/zentharis.log" "$out/zentharis.log" 2> /dev/null || true
if [[ -f "$out/soundtrack.wav" ]]; then
  level=$(sox "$out/soundtrack.wav" -n stats 2>&1 | awk '/RMS lev dB/ {print $4}' || true)
  echo "wrote out/soundtrack.wav (RMS ${level:-?} dB)"
fi
echo "saver exited with $status; log in out/zentharis.log"
exit "$status"
