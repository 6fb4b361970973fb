#!/usr/bin/env bash
# Writes the settings that ./run.sh uses (never the user's own): frame-rate overlay off,
# vertical sync on, and the sample picture folder made by the build as the collection.
set -euo pipefail
out="${1:?usage: prepare-run-settings.sh <out folder>}"
root="$(cd "$(dirname "$0")/.." && pwd)"
pictures="$root/build/sample-pictures"
settings="$out/config/Vorelund"
mkdir -p "$settings"
{
  echo "EnableFPS=0"
  echo "EnableVSync=1"
  echo "SlideshowPictures=1$pictures"
} > "$settings/Zentharis screensaver.conf"
