#!/usr/bin/env bash
# Runs ctest on the Windows build under Wine: one X display (Xvfb) and one
# Wine server for the whole run, ended with `wineserver -k`.
#   bash tools/wine-ctest.sh [BUILD_DIR] [CTEST_ARGS...]     (default build-win)
set -euo pipefail

here="$(cd "$(dirname "$0")/.." && pwd)"
build="$here/build-win"
if [ $# -gt 0 ] && [ -d "$1" ]; then
  build="$1"
  shift
fi
build="$(cd "$build" && pwd)"

if [ -z "${LINDAR_IN_XVFB:-}" ]; then
  exec env LINDAR_IN_XVFB=1 xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$build" "$@"
fi

export LINDAR_WINEPREFIX="$build/wineprefix"
export WINEPREFIX="$LINDAR_WINEPREFIX" WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
"$here/tools/wine-run.sh" --init "$build"

# A persistent server keeps Wine's start-up out of every test; its service
# processes are started here, away from ctest's output pipes, which they would
# otherwise hold open until the server ends.
wineserver -k 2>/dev/null || true # a server left over from a run cut short
wineserver -p
wineboot </dev/null >/dev/null 2>&1

rc=0
ctest --test-dir "$build" "$@" || rc=$?
wineserver -k || true
exit "$rc"
