#!/usr/bin/env bash
# A long unattended run, as a saver runs all night: full screen at a given size with
# "Enable VSync control" off, a collection of 200 pictures (the sample pictures, large
# JPEGs and the hostile set), resident memory sampled every 10 s. Optionally under a
# preloaded library (the fence-stress preload) or another build (a sanitizer's).
# Reports the end (crash or clean), the log's error records, and memory after the
# first five minutes against the end.
#
# Usage: bench/soak.sh [build folder] [seconds] [WxH]
#   ZEN_SOAK_PRELOAD=lib.so   run under this preloaded library
#   ZEN_SOAK_SAVER=path       run another build of the saver
#   ZEN_SOAK_ENV="A=1 B=2"    more environment for the saver
#   ZEN_SOAK_PICTURES=dir     a collection made by an earlier run (its work folder's
#                             pictures), instead of making one (about 10 min)
set -euo pipefail
cd "$(dirname "$0")/.."
build="$(readlink -f "${1:-build}")"
seconds="${2:-3600}"
size="${3:-1920x1080}"
saver="$(readlink -f "${ZEN_SOAK_SAVER:-$build/zentharis}")"
work="$(mktemp -d "${TMPDIR:-/tmp}/zentharis-soak.XXXXXX")"
echo "work folder: $work"

# The collection: samples, hostile files, and large JPEGs made from the samples.
pictures="$work/pictures"
if [[ -n "${ZEN_SOAK_PICTURES:-}" ]]; then
  pictures="$(readlink -f "$ZEN_SOAK_PICTURES")"
else
  mkdir -p "$pictures/large"
  cp -r "$build/sample-pictures/." "$pictures/"
  "$build/make_hostile_pictures" "$pictures/hostile" > /dev/null
  mapfile -t sources < <(find "$build/sample-pictures" -type f | sort)
  have="$(find "$pictures" -type f | wc -l)"
  for ((i = 0; have < 200; i++, have++)); do
    source="${sources[i % ${#sources[@]}]}"
    convert "$source[0]" -resize 4000x3000! -rotate $((i * 7 % 360)) -gravity center -extent 4000x3000 \
      -quality $((60 + i % 35)) "$pictures/large/large-$i.jpg"
  done
fi
echo "collection: $(find "$pictures" -type f | wc -l) files"

mkdir -p "$work/config/Vorelund"
printf 'EnableFPS=0\nEnableVSync=0\nSlideshowPictures=1%s\n' "$pictures" \
  > "$work/config/Vorelund/Zentharis screensaver.conf"
cp "$saver" "$work/zentharis"

XDG_CONFIG_HOME="$work/config" ALSOFT_DRIVERS=null \
  xvfb-run -a -s "-screen 0 ${size}x24 -noreset" bash -c '
    work="$1"; seconds="$2"
    env ${ZEN_SOAK_ENV:-} ${ZEN_SOAK_PRELOAD:+LD_PRELOAD=$ZEN_SOAK_PRELOAD} "$work/zentharis" /s \
      2> "$work/stderr" &
    saver=$!
    start=$SECONDS
    while ((SECONDS - start < seconds)) && kill -0 "$saver" 2> /dev/null; do
      echo "$((SECONDS - start)) $(awk "/^VmRSS/ { print \$2 }" "/proc/$saver/status" 2> /dev/null)" >> "$work/rss"
      sleep 10
    done
    if kill -0 "$saver" 2> /dev/null; then
      kill -TERM "$saver"
      status=0; wait "$saver" || status=$?
      echo "ended by SIGTERM after $((SECONDS - start)) s, status $status" > "$work/end"
    else
      status=0; wait "$saver" || status=$?
      echo "DIED after $((SECONDS - start)) s, status $status" > "$work/end"
    fi
  ' _ "$work" "$seconds"

cat "$work/end"
echo "error records: $(grep -c "^(!)" "$work/zentharis.log" || true)"
grep "^(!)" "$work/zentharis.log" | sort | uniq -c | head || true
echo "log's last record: $(tail -n 1 "$work/zentharis.log")"
awk 'NR == 1 { first = $2 } $1 >= 300 && at5 == "" { at5 = $2 } $1 >= 300 { if ($2 > max) max = $2; if (min == "" || $2 < min) min = $2 }
  { last = $2 }
  END { printf "resident memory (MB): first %.1f, at 5 min %.1f, after 5 min min %.1f max %.1f, end %.1f\n",
    first / 1024, at5 / 1024, min / 1024, max / 1024, last / 1024 }' "$work/rss"
[[ -s "$work/stderr" ]] && { echo "error output:"; tail -n 20 "$work/stderr"; }
exit 0
