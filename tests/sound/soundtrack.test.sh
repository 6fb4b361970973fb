#!/usr/bin/env bash
# Runs the saver under its own Xvfb for about 15 seconds with OpenAL Soft's wave output
# and measures the recorded sound track: the ambient loop rests about 40 dB below the
# sample's own level and now and then swells by up to 16 dB, then sinks back.
# The loop is measured in the 40-70 Hz band, where its 55/56 Hz drone lies and the wing
# flutter has almost nothing, so a wing beat in the same stretch does not count.
set -euo pipefail
exe="$1"
sample="$(dirname "$exe")/generated/sound/AmbientLoop.raw"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
[[ -f "$sample" ]] || { echo "FAIL: no sample at $sample"; exit 1; }

cat > "$work/alsoft.conf" <<CONF
[general]
drivers=wave
frequency=44100
channels=stereo
sample-type=int16
hrtf=false
[wave]
file=$work/track.wav
CONF
export ALSOFT_CONF="$work/alsoft.conf"
export ALSOFT_DRIVERS=wave  # ctest asks for the null output; this test records

own=$(sox -t raw -r 44100 -e signed -b 16 -c 1 -L "$sample" -n sinc 40-70 stats 2>&1 |
      awk '/RMS lev dB/ {print $4}')
echo "sample's own level in the band: $own dB"

# The swells come at random (about one a hundred frames): a run without one is tried again.
for attempt in 1 2 3; do
  rm -f "$work/track.wav"
  xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    "$1" /s 2> /dev/null &
    saver=$!
    sleep 15
    xdotool key space
    wait "$saver"' run "$exe" || { echo "FAIL: the saver exited with an error"; exit 1; }
  log="$(dirname "$exe")/zentharis.log"
  grep -q "SoundManager has been created" "$log" || { echo "FAIL: no sound device"; cat "$log"; exit 1; }
  [[ -s "$work/track.wav" ]] || { echo "FAIL: nothing recorded"; exit 1; }

  length=$(soxi -D "$work/track.wav")
  levels=()
  t=1
  # Whole-second windows: the loop lasts one second, so at rest every window measures
  # the same whatever its phase.
  while awk -v t="$t" -v l="$length" 'BEGIN {exit !(t + 1 <= l)}'; do
    levels+=("$(sox "$work/track.wav" -n trim "$t" 1 remix 1 sinc 40-70 stats 2>&1 |
                awk '/RMS lev dB/ {print $4}')")
    t=$(awk -v t="$t" 'BEGIN {print t + 0.5}')
  done
  echo "attempt $attempt: ${length}s recorded; loop level of each second, every 0.5 s from 1 s: ${levels[*]}"

  verdict=$(printf '%s\n' "${levels[@]}" | awk -v own="$own" '
    { level[NR] = $1; if (NR == 1 || $1 < low) low = $1; if (NR == 1 || $1 > high) { high = $1; at = NR } }
    END {
      below = own - low; swell = high - low
      sank = 0
      for (i = at + 1; i <= NR; i++) if (level[i] < high - 1.0) sank = 1
      printf "rest %.1f dB below the sample, highest swell %.1f dB%s\n", below, swell, sank ? ", then sinking" : ""
      if (below < 40 || below > 46) { print "FAIL: resting level"; exit }
      if (swell > 16.5) { print "FAIL: swell above 16 dB"; exit }
      if (swell < 2 || !sank) { print "AGAIN"; exit }
      print "PASS"
    }')
  echo "$verdict"
  case "$verdict" in
    *FAIL*) exit 1 ;;
    *PASS*) echo "1 passed, 0 failed"; exit 0 ;;
  esac
done
echo "FAIL: no swell rose and sank in three runs"
exit 1
