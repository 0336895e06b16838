#!/usr/bin/env bash
# The README's run command: sets up the machine (tools/setup.sh), builds the
# native tree (build/) and runs the image converter without arguments, which
# round-trips its sample image through every format the library writes.
# Prints one line per step; apt's and CMake's output go to build-logs/.
set -euo pipefail

here="$(cd "$(dirname "$0")/.." && pwd)"
export CCACHE_DIR="${CCACHE_DIR:-/var/cache/lindar-ccache}" CCACHE_BASEDIR="$here" CCACHE_NOHASHDIR=1
# shellcheck source=tools/steps.sh
source "$here/tools/steps.sh"

build_imgconv() {
  # A folder made by another generator cannot be reused.
  if [ -f "$here/build/CMakeCache.txt" ] && ! grep -q '^CMAKE_GENERATOR:INTERNAL=Ninja$' "$here/build/CMakeCache.txt"; then
    rm -rf "$here/build"
  fi
  cmake -S "$here" -B "$here/build" -G Ninja &&
    cmake --build "$here/build" -j "$(nproc)" --target imgconv
}

bash "$here/tools/setup.sh"
step "$logs/imgconv-build.log" "native: configure and build imgconv (build/)" build_imgconv
echo
exec "$here/build/examples/imgconv/imgconv"
