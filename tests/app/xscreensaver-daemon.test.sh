#!/usr/bin/env bash
# The real XScreenSaver daemon runs the installed saver with the command line that its
# settings tool builds from the installed description (share/xscreensaver/config/
# zentharis.xml), found on the PATH as the daemon finds its display programs: the scene
# shows inside the daemon's window, and deactivating the daemon ends the saver with
# status 0 and a complete log. A wrong switch in the description fails here. The daemon
# refuses to run display programs as root, so as root it runs as an unprivileged user;
# the saver's installed folder is not that user's to write, so the log goes to the
# user's state folder.
set -euo pipefail
source "$(dirname "$0")/saver-test-lib.sh"
command -v xscreensaver > /dev/null || { echo "SKIP: xscreensaver is not installed"; exit 77; }
saver_test_setup "$0" "$@"
prepare_unprivileged

build_dir="${ZEN_BUILD_DIR:-$(dirname "$1")}"
prefix="$WORK/prefix"
cmake --install "$build_dir" --prefix "$prefix" > "$WORK/install.log" || fail "cmake --install failed"
program="$prefix/libexec/xscreensaver/zentharis"
[[ -x "$program" ]] || fail "the program is not installed at $program"
[[ "$(readlink -f "$prefix/bin/zentharis")" == "$(readlink -f "$program")" ]] || fail "bin/zentharis does not lead to it"
grep -qx "Exec=$program -root" "$prefix/share/applications/screensavers/zentharis.desktop" ||
  fail "the desktop entry does not run the installed program"
[[ -f "$prefix/share/man/man6/zentharis.6.gz" && -f "$prefix/share/icons/hicolor/48x48/apps/zentharis.png" ]] ||
  fail "manual page or icon missing"

# The settings tool, given the bare program name, reads the description and builds the
# whole command line from it.
command_line="$(bash "$(dirname "$0")/../../scripts/xscreensaver-settings-command.sh" \
  "$prefix/share/xscreensaver/config" zentharis)" || exit $?
echo "the settings tool's command line: $command_line"

home="$WORK/home"
user_folder "$home"
[[ "$(id -u)" == 0 ]] || chmod 755 "$home"
# The daemon signals its program directly; the wrapper passes the signal on and keeps
# the program's exit status.
printf '%s\n' '#!/bin/sh' \
  '"$@" &' \
  'child=$!' \
  'trap '"'"'kill -TERM $child'"'"' TERM INT HUP' \
  'status=0' \
  'wait $child || status=$?' \
  'while kill -0 $child 2> /dev/null; do status=0; wait $child || status=$?; done' \
  'echo $status > "$HOME/saver-status"' > "$WORK/keep-status"
chmod 755 "$WORK/keep-status"
printf '%s\n' "mode: one" "selected: 0" "timeout: 0:30:00" "lock: False" "fade: False" "unfade: False" \
  "splash: False" "dpmsEnabled: False" \
  "programs: \"Zentharis\" $WORK/keep-status $command_line \\n" > "$home/.xscreensaver"
[[ "$(id -u)" != 0 ]] || chown "$TEST_USER" "$home/.xscreensaver"

# The installed display programs come first on the PATH, as /usr/libexec/xscreensaver
# does for a packaged one.
as_user() {
  "${UNPRIVILEGED[@]}" env HOME="$home" XDG_STATE_HOME="$home/state" XDG_CONFIG_HOME="$home/config" \
    PATH="$prefix/libexec/xscreensaver:$PATH" "$@"
}
as_user xscreensaver --no-splash > "$WORK/daemon.log" 2>&1 &
BACKGROUND_PIDS+=($!)
deadline=$((SECONDS + 30))
until as_user xscreensaver-command -time > /dev/null 2>&1; do
  ((SECONDS < deadline)) || fail "the daemon did not start: $(cat "$WORK/daemon.log")"
  sleep 0.5
done

as_user xscreensaver-command -activate > /dev/null
# Installed where its user cannot write (as root), the log is in the state folder.
LOG="$home/state/Vorelund/zentharis.log"
[[ "$(id -u)" == 0 ]] || LOG="$prefix/libexec/xscreensaver/zentharis.log"
# A command line the saver refuses ends it at once: the wrapper's status file tells.
deadline=$((SECONDS + 120))
until grep -qF "Scene has been initialized successfully" "$LOG" 2> /dev/null; do
  [[ ! -s "$home/saver-status" ]] ||
    fail "the saver ended with $(cat "$home/saver-status") before drawing, run as \"$command_line\""
  ((SECONDS < deadline)) || fail "the saver did not start in the daemon: $(cat "$WORK/daemon.log")"
  sleep 0.2
done
saver_pid=""
for pid in $(pgrep -x zentharis); do
  [[ "$(readlink -f "/proc/$pid/exe")" == "$(readlink -f "$program")" ]] && saver_pid="$pid"
done
[[ -n "$saver_pid" ]] ||
  fail "the installed saver is not running: $(cat "$WORK/daemon.log"; ps -ef | grep -v grep | grep zentharis)"
# The daemon may pass a one-dash switch with two (-root as --root); the saver takes
# either, so both lines are compared with two dashes.
two_dashes() { sed -E 's/(^| )-([^- ])/\1--\2/g'; }
ran="$(tr '\0' ' ' < "/proc/$saver_pid/cmdline" | sed 's/ $//')"
[[ "$(two_dashes <<< "$ran")" == "$(two_dashes <<< "$command_line")" ]] ||
  fail "the daemon runs \"$ran\", not the settings tool's \"$command_line\""
tr '\0' '\n' < "/proc/$saver_pid/environ" | grep -q '^XSCREENSAVER_WINDOW=' ||
  fail "the daemon did not name its window"
expect_scene "$(xwininfo -root | awk '/Window id/ { print $4 }')" daemon-window

as_user xscreensaver-command -deactivate > /dev/null
deadline=$((SECONDS + 30))
until [[ -s "$home/saver-status" ]]; do
  ((SECONDS < deadline)) || fail "the saver did not end after the daemon deactivated"
  sleep 0.2
done
[[ "$(cat "$home/saver-status")" == 0 ]] || fail "the saver ended with $(cat "$home/saver-status")"
grep -qxF "   Notify : Start common uninstall" "$LOG" || fail "no uninstall record"
expect_log_ends_properly
echo PASS
