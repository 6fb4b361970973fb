#!/usr/bin/env bash
# Prints the command line that XScreenSaver's settings tool (xscreensaver-settings) builds
# for a display program from its description <config folder>/<name>.xml: the command the
# tool runs for its preview and writes into the programs: list of ~/.xscreensaver.
# The tool reads descriptions only from /usr/share/xscreensaver/config, so it runs in a
# mount namespace of its own where the given folder stands in for that one (a user
# namespace too when not root), on $DISPLAY, with a home whose programs: list holds only
# the bare program name. Selecting that program on start, the tool reads the description
# and rebuilds the command line from it; --debug shows that line. Anything the tool says
# about the description (an XML error, an unknown tag, a missing or refused attribute, a
# switch twice or without its hyphen) fails the run and is printed.
# Usage: scripts/xscreensaver-settings-command.sh <config folder> <name>
# Ends with 77 when the tool or a mount namespace is not available here.
set -euo pipefail
(($# == 2)) || { echo "usage: $0 <config folder> <name>" >&2; exit 2; }
folder="$(readlink -f "$1")"
name="$2"
system=/usr/share/xscreensaver/config
command -v xscreensaver-settings > /dev/null || { echo "SKIP: xscreensaver-settings is not installed"; exit 77; }
[[ -d "$system" ]] || { echo "SKIP: no $system to stand in for"; exit 77; }
[[ -f "$folder/$name.xml" ]] || { echo "FAIL: no $folder/$name.xml" >&2; exit 1; }

namespace=(unshare --mount --propagation private)
[[ "$(id -u)" == 0 ]] || namespace=(unshare --user --map-root-user --mount --propagation private)
"${namespace[@]}" true 2> /dev/null || { echo "SKIP: no mount namespace for the settings tool"; exit 77; }

work="$(mktemp -d "${TMPDIR:-/tmp}/zentharis-settings-tool.XXXXXX")"
tool=""
cleanup() {
  if [[ -n "$tool" ]]; then
    kill "$tool" 2> /dev/null || true
    wait "$tool" 2> /dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT
mkdir "$work/home"
printf '%s\n' "mode: one" "selected: 0" "programs: $name \\n" > "$work/home/.xscreensaver"

# unshare and sh exec the tool: $tool is its process. Run as root, or as root of a user
# namespace, it starts no preview ("still running as root").
HOME="$work/home" "${namespace[@]}" sh -c 'mount --bind "$1" "$2" && exec xscreensaver-settings --debug' \
  sh "$folder" "$system" > "$work/output" 2>&1 < /dev/null &
tool=$!

xml="$system/$name.xml"
built() {
  awk -v reading="reading $xml..." '
    index($0, reading) { read = 1; next }
    read && /: scheduling preview "/ { sub(/^[^"]*"/, ""); sub(/"$/, ""); print; exit }' "$work/output"
}
deadline=$((SECONDS + 60))
command_line=""
while [[ -z "$command_line" ]] && kill -0 "$tool" 2> /dev/null && ((SECONDS < deadline)); do
  sleep 0.2
  command_line="$(built)"
done
# What the tool says about the description follows its reading at once.
sleep 0.5
kill "$tool" 2> /dev/null || true
wait "$tool" 2> /dev/null || true
tool=""

# The tool reads the file more than once: each complaint is shown once, without its time.
complaints="$(grep -F -e "$xml" -e "WARNING: $name:" "$work/output" | grep -vF "reading $xml..." |
  sed -E 's/^xscreensaver-settings: [0-9:]+: //' | awk '!seen[$0]++' || true)"
if [[ -n "$complaints" ]]; then
  echo "FAIL: the settings tool finds fault with $folder/$name.xml (read as $xml):" >&2
  echo "$complaints" >&2
  exit 1
fi
if [[ -z "$command_line" ]]; then
  echo "FAIL: the settings tool built no command line from $folder/$name.xml; its output:" >&2
  tail -n 20 "$work/output" >&2
  exit 1
fi
echo "$command_line"
