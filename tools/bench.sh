#!/usr/bin/env bash
# Builds the benchmarks in release mode (build-bench/) and runs them.
#   bash tools/bench.sh [--windows] [NAME] [BENCHMARK_ARGS...]
# NAME picks one benchmark executable (e.g. blit_bench); the other arguments
# go to Google Benchmark (e.g. --benchmark_filter=Fill). --windows builds the
# Windows benchmarks (build-bench-win/) and runs them under Wine in Xvfb.
set -euo pipefail

here="$(cd "$(dirname "$0")/.." && pwd)"
export CCACHE_DIR="${CCACHE_DIR:-/var/cache/lindar-ccache}" CCACHE_BASEDIR="$here" CCACHE_NOHASHDIR=1

run=()
if [ "${1:-}" = --windows ]; then
  shift
  build="$here/build-bench-win"
  if [ -z "${LINDAR_IN_XVFB:-}" ]; then
    exec env LINDAR_IN_XVFB=1 xvfb-run -a -s "-screen 0 1920x1200x24" bash "$0" --windows "$@"
  fi
  cmake -S "$here" -B "$build" -G Ninja --toolchain "$here/cmake/mingw-i686.cmake" -DCMAKE_BUILD_TYPE=Release \
    -DLINDAR_BENCH=ON -DLINDAR_TESTS=OFF -DLINDAR_EXAMPLES=OFF >/dev/null
  export LINDAR_WINEPREFIX="$build/wineprefix"
  run=("$here/tools/wine-run.sh")
  trap 'WINEPREFIX="$LINDAR_WINEPREFIX" wineserver -k 2>/dev/null || true' EXIT
  suffix=.exe
else
  build="$here/build-bench"
  cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DLINDAR_BENCH=ON -DLINDAR_TESTS=OFF \
    -DLINDAR_EXAMPLES=OFF >/dev/null
  suffix=
fi
cmake --build "$build" -j "$(nproc)" --target lindar_benches

only=""
if [ $# -gt 0 ] && [[ "$1" != -* ]]; then
  only="$1"
  shift
fi
found=0
for exe in "$build"/bench/*; do
  [ -f "$exe" ] && [ -x "$exe" ] || continue
  [ -z "$only" ] || [ "$(basename "$exe" "$suffix")" = "$only" ] || continue
  found=1
  echo "=== $(basename "$exe")"
  "${run[@]}" "$exe" "$@"
done
[ "$found" = 1 ] || { echo "no benchmark${only:+ named $only}" >&2; exit 1; }
