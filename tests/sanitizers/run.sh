#!/usr/bin/env bash
# Builds the unit tests with AddressSanitizer and UndefinedBehaviorSanitizer in a folder
# of their own (build-asan, or $1) and runs those that need no display. Any report fails
# the run; what is suppressed, and why, is in the .supp files beside this script.
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
build_dir=${1:-$source_dir/build-asan}
here=$source_dir/tests/sanitizers

flags="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
cmake -S "$source_dir" -B "$build_dir" -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_C_FLAGS="-O1 $flags" -DCMAKE_CXX_FLAGS="-O1 $flags" \
  -DCMAKE_EXE_LINKER_FLAGS="$flags" -DCMAKE_SHARED_LINKER_FLAGS="$flags" > /dev/null

# Only the test programs that run without a display (and what they need).
cmake --build "$build_dir" -j"$(nproc)" --target zen_headless_tests

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:halt_on_error=1:exitcode=23"
export LSAN_OPTIONS="suppressions=$here/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:suppressions=$here/ubsan.supp"
cd "$build_dir"
# Test cases are named Suite.Case; the whole-program scripts, the display tests and the
# fuzz entries (sanitized on their own) have no dot in their names. The large JPEGs are
# left out: writing and decoding 200-megapixel pictures here would take minutes, and the
# code they run is the same the fuzzer's small pictures run.
ctest --output-on-failure --no-tests=error -j"$(nproc)" -R '\.' -E '^LargePictures\.'
