#!/usr/bin/env bash
# DirectSound under Wine: through an ALSA null device that also records what it is
# given, the saver's sound reaches the output; with no audio device at all the saver
# says it needs DirectX in its message box and ends properly.
set -euo pipefail
source "$(dirname "$0")/wine-test-lib.sh"
wine_test_setup "$0" "$@"

# Raw samples in whatever format Wine chose: any byte that is not zero is sound.
cat > "$WORK/recording.conf" << EOF
pcm.!default { type file slave.pcm { type null } file "$WORK/played.raw" format "raw" }
EOF
ALSA_CONFIG_PATH="$WORK/recording.conf" start_saver /s
wait_for_log "SoundManager has been created" 60 || fail "no sound device: $(plain_log)"
wait_for_log "Scene has been initialized successfully" 120 || fail "the scene was not built: $(plain_log)"
sleep 4
expect_running "the saver ended by itself"
xdotool key a
wait_saver_exit 30
[[ "$SAVER_STATUS" == 0 ]] || fail "exit status $SAVER_STATUS after a key"
expect_wine_records_in_order \
  "   Notify : Start common initialization" \
  "   Notify : SoundManager has been created"
[[ -s "$WORK/played.raw" ]] || fail "nothing reached the audio device"
sounding=$(tr -d '\0' < "$WORK/played.raw" | wc -c)
((sounding > 1000)) || fail "only silence reached the audio device ($sounding bytes not zero)"
echo "played: $(stat -c %s "$WORK/played.raw") bytes, $sounding not zero"

# No audio device: an ALSA configuration that names none.
: > "$WORK/no-device.conf"
ALSA_CONFIG_PATH="$WORK/no-device.conf" start_saver /s
box="$(wait_for_window "Screen saver" 60)" || fail "no message box: $(plain_log)"
expect_running "the saver ended before the box was closed"
screenshot "$WORK/box.png"
eval "$(xdotool getwindowgeometry --shell "$box")"
# The box holds its text: dark letters on a light face, not an empty window.
ink=$(colour_share "$WORK/box.png" 0 0 0 60 "${WIDTH}x${HEIGHT}+${X}+${Y}")
awk -v ink="$ink" 'BEGIN { exit !(ink > 0.005 && ink < 0.5) }' || fail "the box shows no text ($ink dark)"
[[ -n "${ZEN_SCREENSHOT_DIR:-}" ]] && cp "$WORK/box.png" "$ZEN_SCREENSHOT_DIR/no-audio-box.png"
xdotool key --window "$box" Return
wait_saver_exit 30
[[ "$SAVER_STATUS" == 0 ]] || fail "exit status $SAVER_STATUS after the box"
expect_wine_records_in_order \
  "   Notify : Start common initialization" \
  "(!)Error : SoundManager initialization is failed" \
  "   Notify : Error of common initialization" \
  "   Notify : Common uninstall has finished properly"
echo PASS
