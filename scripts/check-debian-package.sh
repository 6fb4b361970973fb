#!/usr/bin/env bash
# Builds the Debian package and holds it to Debian's own checks: lintian (Debian 12's
# profile, with its info and pedantic tags too) finds nothing; the manual page and the
# changelog are compressed with gzip -9n; desktop-file-validate passes the desktop entry;
# the settings description is well-formed XML of the shape packaging/xscreensaver-config.xsd
# gives, and XScreenSaver's settings tool reads it without a complaint. Then it installs
# the package with dpkg -i into a fresh minimal Debian 12 root (debootstrap minbase; its
# dependencies come from apt), and runs the installed saver there with -root on an Xvfb
# display: it must draw the scene (without a sound device: a chroot has none) and end
# with status 0 on SIGTERM, its log complete.
# Needs root, debootstrap, lintian, desktop-file-utils, libxml2-utils, xscreensaver and
# Debian's mirror. Ends with 77 when it cannot run here.
# Usage: scripts/check-debian-package.sh [build folder]
set -euo pipefail
cd "$(dirname "$0")/.."
build="$(readlink -f "${1:-build}")"
[[ "$(id -u)" == 0 ]] || { echo "SKIP: the package check needs root (debootstrap, chroot)"; exit 77; }
for tool in debootstrap lintian desktop-file-validate xmllint xscreensaver-settings dpkg-parsechangelog; do
  command -v "$tool" > /dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done

started=$SECONDS
phase_start=$SECONDS
phase() {
  echo "-- $1: $((SECONDS - phase_start)) s"
  phase_start=$SECONDS
}
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

work="$(mktemp -d /var/tmp/zentharis-deb.XXXXXX)"
root="$work/root"
XVFB_PID=""
LINTIAN_DIR=""
cleanup() {
  [[ -n "$XVFB_PID" ]] && kill "$XVFB_PID" 2> /dev/null
  [[ -n "$LINTIAN_DIR" ]] && rm -rf "$LINTIAN_DIR"
  for mount in "$root/tmp/.X11-unix" "$root/proc"; do
    mountpoint -q "$mount" 2> /dev/null && umount -l "$mount"
  done
  rm -rf "$work"
}
trap cleanup EXIT

# Dated as scripts/release.sh dates it (the last commit's time), the package built here
# is byte for byte the one the release ships.
if [[ -z "${SOURCE_DATE_EPOCH:-}" ]] && git rev-parse --git-dir > /dev/null 2>&1; then
  export SOURCE_DATE_EPOCH="$(git log -1 --format=%ct)"
fi
(cd "$build" && cpack -G DEB > "$work/cpack.log") || { cat "$work/cpack.log"; fail "cpack failed"; }
version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")"
package="$build/zentharis_${version}_amd64.deb"
[[ -f "$package" ]] || fail "no $package"
echo "package: $(basename "$package"), $(stat -c %s "$package") bytes"
dpkg-deb --field "$package" Depends
dpkg-deb --contents "$package" | awk '{ print $6, $7, $8 }'
phase "package built"

# The display is the host's: its socket is shared with the root later on.
display=99
while [[ -e "/tmp/.X11-unix/X$display" ]]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp -noreset > "$work/xvfb.log" 2>&1 &
XVFB_PID=$!
for _ in $(seq 50); do [[ -e "/tmp/.X11-unix/X$display" ]] && break; sleep 0.1; done

# lintian as an ordinary user (it warns when run as root), on a copy it can read.
LINTIAN_DIR="$(mktemp -d /var/tmp/zentharis-lintian.XXXXXX)"
cp "$package" "$LINTIAN_DIR/"
chmod -R a+rX "$LINTIAN_DIR"
# Every tag counts, down to info and pedantic ones: any line but an override (O:) and
# its reason (N:) fails, and so does any status but 0.
echo "lintian $(lintian --print-version), profile debian, --display-info --pedantic --show-overrides:"
lintian_status=0
setpriv --reuid=nobody --regid=nogroup --clear-groups env HOME=/nonexistent \
  lintian --display-info --pedantic --show-overrides \
  "$LINTIAN_DIR/$(basename "$package")" > "$work/lintian.log" 2>&1 || lintian_status=$?
sed 's/^/  /' "$work/lintian.log"
[[ "$lintian_status" == 0 ]] && ! grep -qvE '^[NO]:( |$)' "$work/lintian.log" ||
  fail "lintian finds fault with the package (status $lintian_status)"

contents="$work/contents"
dpkg-deb -x "$package" "$contents"
# An override says why, in a comment right above it.
awk '/^#/ { reason = 1; next } /^[^[:space:]]/ && !reason { print; bad = 1 } { reason = 0 } END { exit bad }' \
  "$contents/usr/share/lintian/overrides/zentharis" || fail "a lintian override without its reason above it"
for compressed in usr/share/man/man6/zentharis.6.gz usr/share/doc/zentharis/changelog.gz; do
  [[ -f "$contents/$compressed" ]] || fail "no $compressed"
  # gzip -9n of the same text gives the same bytes: no name, no time, best compression.
  gzip -dc "$contents/$compressed" | gzip -9n | cmp -s - "$contents/$compressed" ||
    fail "$compressed is not compressed with gzip -9n"
done
[[ -z "$(find "$contents/usr/share/man" -type f ! -name '*.gz')" ]] || fail "an uncompressed manual page"
zcat "$contents/usr/share/doc/zentharis/changelog.gz" > "$work/changelog"
latest="$(dpkg-parsechangelog -l "$work/changelog" -S Version)"
[[ "$latest" == "$version" ]] || fail "the changelog's latest entry is $latest, the package $version"

desktop="$contents/usr/share/applications/screensavers/zentharis.desktop"
desktop_status=0
desktop-file-validate "$desktop" > "$work/desktop.log" 2>&1 || desktop_status=$?
echo "desktop-file-validate:"
sed 's/^/  /' "$work/desktop.log"
# Hints are let through: the one it gives, that Screensaver is no main menu category,
# holds for every saver's entry.
[[ "$desktop_status" == 0 ]] && ! grep -qE '(error|warning): ' "$work/desktop.log" ||
  fail "the desktop entry does not pass desktop-file-validate"
grep -qx "Exec=/usr/libexec/xscreensaver/zentharis -root" "$desktop" ||
  fail "the desktop entry does not run the installed program"

config="$contents/usr/share/xscreensaver/config"
xmllint --noout "$config/zentharis.xml" || fail "the settings description is not well-formed XML"
xmllint --noout --schema packaging/xscreensaver-config.xsd "$config/zentharis.xml" ||
  fail "the settings description does not have the shape XScreenSaver's settings tool reads"
[[ "$(xmllint --xpath 'string(/screensaver/@name)' "$config/zentharis.xml")" == zentharis ]] ||
  fail "the settings description does not name the program it describes"
command_line="$(DISPLAY=":$display" bash scripts/xscreensaver-settings-command.sh "$config" zentharis)" ||
  fail "XScreenSaver's settings tool does not take the settings description"
echo "XScreenSaver's settings tool builds the command line: $command_line"
[[ -x "$contents/usr/libexec/xscreensaver/${command_line%% *}" ]] ||
  fail "the command line's program is not installed in /usr/libexec/xscreensaver"
phase "package checked (lintian, manual page, changelog, desktop entry, settings description)"

mirror="$(sed -n 's/^URIs: *//p' /etc/apt/sources.list.d/debian.sources 2> /dev/null | head -n 1)"
debootstrap --variant=minbase bookworm "$root" "${mirror:-http://deb.debian.org/debian}" > "$work/debootstrap.log" 2>&1 ||
  { tail -n 20 "$work/debootstrap.log"; fail "debootstrap failed"; }
phase "clean Debian 12 root (debootstrap minbase)"

cp /etc/resolv.conf "$root/etc/resolv.conf"
if [[ -f /etc/apt/sources.list.d/debian.sources ]]; then
  cp /etc/apt/sources.list.d/debian.sources "$root/etc/apt/sources.list.d/"
  rm -f "$root/etc/apt/sources.list"
fi
mount -t proc proc "$root/proc"
cp "$package" "$root/tmp/"
chroot "$root" apt-get -qq update
# dpkg -i stops at the missing dependencies; apt then brings them and completes it.
chroot "$root" dpkg -i "/tmp/$(basename "$package")" > "$work/dpkg.log" 2>&1 || true
DEBIAN_FRONTEND=noninteractive chroot "$root" apt-get -qq -y -f install --no-install-recommends \
  > "$work/apt.log" 2>&1 || { tail -n 20 "$work/apt.log"; fail "the dependencies did not install"; }
chroot "$root" dpkg-query -W -f '${Status}\n' zentharis | grep -qx "install ok installed" ||
  fail "the package is not installed"
echo "size of the root with the package: $(du -smx "$root" | cut -f1) MB"
phase "dpkg -i with dependencies from apt"

mkdir -p "$root/tmp/.X11-unix"
mount --bind /tmp/.X11-unix "$root/tmp/.X11-unix"

chroot "$root" env -i DISPLAY=":$display" HOME=/root PATH=/usr/bin:/bin /usr/bin/zentharis -root \
  > "$work/saver.out" 2>&1 &
saver=$!
log="$root/usr/libexec/xscreensaver/zentharis.log"
deadline=$((SECONDS + 120))
until grep -q "Scene has been initialized successfully" "$log" 2> /dev/null; do
  kill -0 "$saver" 2> /dev/null || { cat "$work/saver.out" "$log"; fail "the installed saver ended early"; }
  ((SECONDS < deadline)) || fail "the installed saver did not start"
  sleep 0.2
done
phase "installed saver built its scene"
shot="$build/test-work/debian-package/installed-root-window.png"
mkdir -p "$(dirname "$shot")"
# llvmpipe compiles the shaders' first variants at the first frames.
deadline=$((SECONDS + 60))
until
  DISPLAY=":$display" import -window root "$shot"
  stats="$(convert "$shot" -colorspace gray -format '%[fx:mean] %[fx:standard_deviation]' info:)"
  awk -v m="${stats% *}" -v s="${stats#* }" 'BEGIN { exit !(m > 0.03 && s > 0.02) }'
do
  ((SECONDS < deadline)) || fail "the installed saver shows no scene ($stats, $shot)"
  sleep 1
done
kill -TERM "$saver"
status=0
wait "$saver" || status=$?
[[ "$status" == 0 ]] || fail "the installed saver ended with $status after SIGTERM"
grep -qxF "   Notify : No sound device is available, the saver runs silently" "$log" ||
  fail "no notice of the silent run"
tail -n 2 "$log" | head -n 1 | grep -qxF "   Notify : Common uninstall has finished properly" ||
  fail "the log does not end properly"
phase "installed saver drew with -root and ended on SIGTERM"
echo "PASS (total $((SECONDS - started)) s; screenshot $shot)"
