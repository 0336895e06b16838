#!/usr/bin/env bash
# The README's run command: sets up the machine (tools/setup.sh), builds the
# native tree (build/) and runs the image converter without arguments, which
# round-trips its sample image through every format the library writes.
set -euo pipefail

here="$(cd "$(dirname "$0")/.." && pwd)"
export CCACHE_DIR="${CCACHE_DIR:-/var/cache/lindar-ccache}" CCACHE_BASEDIR="$here" CCACHE_NOHASHDIR=1

bash "$here/tools/setup.sh"
# A folder made by another generator cannot be reused.
if [ -f "$here/build/CMakeCache.txt" ] && ! grep -q '^CMAKE_GENERATOR:INTERNAL=Ninja$' "$here/build/CMakeCache.txt"; then
  rm -rf "$here/build"
fi
cmake -S "$here" -B "$here/build" -G Ninja >/dev/null
cmake --build "$here/build" -j "$(nproc)" --target imgconv
exec "$here/build/examples/imgconv/imgconv"
