#!/usr/bin/env bash
# Runs the built saver: full screen on the current display, or headless under Xvfb.
set -euo pipefail
cd "$(dirname "$0")/.."
exe="$PWD/build/zentharis"
out="$PWD/out"
mkdir -p "$out/config"

# Settings of this run's own; the user's configuration is never touched.
export XDG_CONFIG_HOME="$out/config"
[[ -x scripts/prepare-run-settings.sh ]] && bash scripts/prepare-run-settings.sh "$out"

echo "Settings dialog: XDG_CONFIG_HOME=\"$XDG_CONFIG_HOME\" build/zentharis /c"
echo "(build/zentharis /c alone edits your own settings.)"

if [[ -n "${DISPLAY:-}" ]] && xdpyinfo > /dev/null 2>&1; then
  exec "$exe" /s
fi

echo "No display: running headless for about 40 seconds; screenshots go to out/"
exec xvfb-run -a -s "-screen 0 1024x768x24" bash scripts/headless-session.sh "$exe" "$out"
