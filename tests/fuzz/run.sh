#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, address and undefined-behaviour sanitizers)
# in BUILD/fuzz and runs them over seeds made by our own generators and every crash
# input kept under tests/fuzz/crashers/<target>/.
#
#   tests/fuzz/run.sh SECONDS [TARGET...]   fuzz each target for SECONDS, side by side, niced
#   tests/fuzz/run.sh --check TARGET        replay seeds and crashers, then a short fixed run
#   tests/fuzz/run.sh --build               only build
#
# TARGET is picture or settings (both when none is named). BUILD is $ZEN_BUILD_DIR or
# ./build; the fuzz build and its corpora go to $FUZZ_DIR (default BUILD/fuzz). A long run
# logs to $FUZZ_LOG_DIR (default FUZZ_DIR/logs)/fuzz-TARGET.log and leaves any crash input
# as FUZZ_DIR/artifacts/TARGET-crash-*.
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
build_dir=${ZEN_BUILD_DIR:-$source_dir/build}
fuzz_dir=${FUZZ_DIR:-$build_dir/fuzz}
check_runs=${FUZZ_CHECK_RUNS:-2000}

compiler=$(command -v clang++-14 || command -v clang++ || true)
if [[ -z "$compiler" ]]; then
  echo "fuzz: no clang++ found (scripts/install-deps.sh installs clang-14)" >&2
  exit 77
fi

build() {
  mkdir -p "$fuzz_dir"
  # One build at a time: the ctest entries may start together.
  (
    flock 9
    if [[ ! -f "$fuzz_dir/cmake/CMakeCache.txt" ]]; then
      CXX=$compiler CC=${compiler/clang++/clang} cmake -S "$source_dir/tests/fuzz" -B "$fuzz_dir/cmake" \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
    fi
    cmake --build "$fuzz_dir/cmake" -j"$(nproc)" > "$fuzz_dir/build.log" 2>&1 || { cat "$fuzz_dir/build.log" >&2; exit 1; }
  ) 9> "$fuzz_dir/build.lock"
}

# Seeds: small sound pictures and the hostile collection's smaller files; for the
# settings text, files written here.
make_seeds() {
  local target=$1
  local seeds=$fuzz_dir/seeds/$target
  rm -rf "$seeds"
  mkdir -p "$seeds"
  case $target in
    picture)
      "$build_dir/make_hostile_pictures" --seeds "$seeds" > /dev/null
      local hostile=$fuzz_dir/seeds/hostile
      rm -rf "$hostile"
      "$build_dir/make_hostile_pictures" "$hostile" > /dev/null
      find "$hostile" -type f -size -32k -exec mv {} "$seeds" \;
      rm -rf "$hostile"
      # Exif blocks, whole and damaged, for the orientation reader.
      cp "$build_dir"/picture-encodings/orientation-6.jpg "$build_dir"/picture-encodings/exif-*.jpg "$seeds"
      ;;
    settings)
      printf '# settings\nEnableFPS=1\nEnableVSync=0\nSlideshowPictures=1/home/me/Pictures;2/home/me/a.jpg\n' > "$seeds/plain"
      printf 'EnableFPS=1\r\nEnableVSync=1\r\nSlideshowPictures=1/pictures\r\n' > "$seeds/crlf"
      printf 'SlideshowPictures=2/a\\\\b\\nc\\r;1/x;;;2\nEnableFPS= -12abc\nUnknown=kept\n=no name\nno equals\n' > "$seeds/escapes"
      printf 'EnableFPS=99999999999999999999\nEnableVSync=-2147483649\nSlideshowPictures=\n' > "$seeds/numbers"
      printf 'EnableFPS=1' > "$seeds/no-line-end"
      ;;
  esac
}

target_binary() { echo "$fuzz_dir/cmake/$1_fuzzer"; }

crashers() {
  local dir=$source_dir/tests/fuzz/crashers/$1
  [[ -d "$dir" ]] && echo "$dir"
  return 0
}

check() {
  local target=$1
  local work=$fuzz_dir/work/$target
  build
  make_seeds "$target"
  rm -rf "$work"
  mkdir -p "$work" "$fuzz_dir/artifacts"
  # New inputs go to the first folder (scratch); the seeds and crashers are replayed first.
  # The largest pictures the bounds allow take seconds to stretch under the sanitizers on a
  # busy machine; the processor-time bound itself is checked on release code by
  # HostilePicturesTest, so the per-input limit here only catches real hangs.
  "$(target_binary "$target")" -runs="$check_runs" -max_len=65536 -timeout=60 -rss_limit_mb=1024 \
    -seed=1 -print_final_stats=1 -artifact_prefix="$fuzz_dir/artifacts/$target-" \
    "$work" "$fuzz_dir/seeds/$target" $(crashers "$target")
}

long_run() {
  local seconds=$1
  shift
  local targets=("$@")
  [[ ${#targets[@]} -gt 0 ]] || targets=(picture settings)
  local logs=${FUZZ_LOG_DIR:-$fuzz_dir/logs}
  mkdir -p "$logs" "$fuzz_dir/artifacts"
  build
  local pids=()
  for target in "${targets[@]}"; do
    make_seeds "$target"
    mkdir -p "$fuzz_dir/corpus/$target"
    # Niced on a busy machine, a large picture under the sanitizers can take many seconds
    # of wall time without hanging (CPU time is bounded by HostilePicturesTest).
    nice -n 19 "$(target_binary "$target")" -max_total_time="$seconds" -max_len=65536 -timeout=60 \
      -rss_limit_mb=1024 -print_final_stats=1 -artifact_prefix="$fuzz_dir/artifacts/$target-" \
      "$fuzz_dir/corpus/$target" "$fuzz_dir/seeds/$target" $(crashers "$target") \
      > "$logs/fuzz-$target.log" 2>&1 &
    pids+=($!)
  done
  local status=0
  for pid in "${pids[@]}"; do
    wait "$pid" || status=1
  done
  for target in "${targets[@]}"; do
    echo "== $target: $(grep -E 'stat::number_of_executed_units|Done [0-9]+ runs' "$logs/fuzz-$target.log" | tail -2 | tr '\n' ' ')"
  done
  return $status
}

case ${1:-} in
  --build) build ;;
  --check) check "${2:?target}" ;;
  ''|-*) sed -n '2,/^set -e/p' "$0" | grep '^#'; exit 2 ;;
  *) long_run "$@" ;;
esac
