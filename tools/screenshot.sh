#!/usr/bin/env bash
# Shows an image file in the example viewer, or one page of the gallery (a
# dialog or control by name), under Wine on a virtual X display and saves a
# screenshot of its window; with --screen, of the whole screen, so that the
# window's popups and floating bars show too.
#   bash tools/screenshot.sh [--screen] FILE OUT.png
#   bash tools/screenshot.sh [--screen] --gallery NAME OUT.png
# The Windows build is $LINDAR_WIN_BUILD (default build-win); the viewer is
# built there first when missing. Wine runs in a prefix of its own inside
# that build folder, ended with `wineserver -k` when done.
set -euo pipefail

screen="${LINDAR_SCREENSHOT_SCREEN:-}"
if [ "${1:-}" = "--screen" ]; then
  screen=1
  shift
fi
gallery=""
if [ "${1:-}" = "--gallery" ]; then
  gallery="${2:-}"
  shift 2 || true
fi
if [ $# -ne 2 ] && { [ -z "$gallery" ] || [ $# -ne 1 ]; }; then
  echo "usage: screenshot.sh [--screen] FILE OUT.png | [--screen] --gallery NAME OUT.png" >&2
  exit 2
fi
here="$(cd "$(dirname "$0")/.." && pwd)"
if [ -n "$gallery" ]; then
  file=""
  out="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
  target=gallery
  exe_rel=examples/gallery/gallery.exe
else
  file="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
  out="$(cd "$(dirname "$2")" && pwd)/$(basename "$2")"
  [ -f "$file" ] || { echo "screenshot.sh: no file $1" >&2; exit 2; }
  target=viewer
  exe_rel=examples/viewer/viewer.exe
fi
build="${LINDAR_WIN_BUILD:-$here/build-win}"

if [ -z "${LINDAR_IN_XVFB:-}" ]; then
  exe="$build/$exe_rel"
  if [ ! -f "$exe" ]; then
    cmake -S "$here" -B "$build" -G Ninja --toolchain "$here/cmake/mingw-i686.cmake" >/dev/null
    cmake --build "$build" --target "$target" >/dev/null
  fi
  if [ -n "$gallery" ]; then set -- --gallery "$gallery" "$out"; else set -- "$file" "$out"; fi
  exec env LINDAR_IN_XVFB=1 LINDAR_WIN_BUILD="$build" LINDAR_SCREENSHOT_SCREEN="$screen" xvfb-run -a -s "-screen 0 1280x1024x24" \
    bash "$0" "$@"
fi

exe="$build/$exe_rel"
# Not the tests' prefix: ending this server must not end their programs.
export LINDAR_WINEPREFIX="$build/wineprefix-screenshot"
export WINEPREFIX="$LINDAR_WINEPREFIX" WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
"$here/tools/wine-run.sh" --init "$build"
if [ -n "$gallery" ]; then
  # The page's window carries the caption the gallery names.
  title="$(wine "$exe" --title "$gallery" </dev/null 2>/dev/null | tr -d '\r' | iconv -f CP1252 -t UTF-8)"
  [ -n "$title" ] || { echo "screenshot.sh: the gallery has no page $gallery" >&2; exit 2; }
  wine "$exe" "$gallery" </dev/null >/dev/null 2>&1 &
else
  title="$(basename "$file")"
  winfile="$(winepath -w "$file" 2>/dev/null)"
  wine "$exe" "$winfile" </dev/null >/dev/null 2>&1 &
fi
viewer=$!
finish() {
  kill "$viewer" 2>/dev/null || true
  wineserver -k 2>/dev/null || true
}
trap finish EXIT

# The viewer's X window carries the file name as its title, a gallery page
# its caption; a file the viewer cannot show gives its message box "Fehler".
window=""
for _ in $(seq 1 300); do
  if ! kill -0 "$viewer" 2>/dev/null; then
    echo "screenshot.sh: the program ended without a window" >&2
    exit 1
  fi
  for t in "$title" ${file:+Fehler}; do
    window="$(xwininfo -root -tree 2>/dev/null | awk -v t="\"$t\":" 'index($0, t) {print $1; exit}')"
    [ -n "$window" ] && break
  done
  [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || { echo "screenshot.sh: no window \"$title\" after 30 s" >&2; exit 1; }
sleep 1 # the first paint
if [ -n "$screen" ]; then import -window root "$out"; else import -window "$window" "$out"; fi
echo "$out"
