#!/usr/bin/env bash
# Installs what is missing, builds, and runs the saver full screen. Without a display it
# runs headless under its own Xvfb for about 40 seconds and writes screenshots to out/.
# It uses settings of its own in out/config, never the user's.
set -euo pipefail
cd "$(dirname "$0")"
bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
cmake --build build -j"$(nproc)" --target zentharis
bash scripts/run-saver.sh "$@"
