#!/usr/bin/env bash
# Runs one case of SaverWindowWin32Test under Wine with a display. The cases share a
# Wine prefix of their own: a Wine server started without a display (as the other unit
# tests start theirs) cannot make windows for a later process that has one.
# Usage: run-window-case.sh PROGRAM CASE
set -euo pipefail
program=${1:?usage: run-window-case.sh PROGRAM CASE}
case_name=${2:?usage: run-window-case.sh PROGRAM CASE}
if [[ -z "${ZEN_WINDOW_CASE_IN_XVFB:-}" ]]; then
  ZEN_WINDOW_CASE_IN_XVFB=1 exec xvfb-run -a -s "-screen 0 1024x768x24 -noreset" bash "$0" "$@"
fi
status=0
bash "${ZEN_SCRIPTS_DIR:?}/wine-run.sh" "$program" --gtest_filter="SaverWindowWin32.$case_name" || status=$?
# The server goes with the display: the next case has another one.
wineserver -k 2> /dev/null || true
exit "$status"
