#!/usr/bin/env bash
# Builds the benchmarks in release mode (build-bench/) and runs them.
#   bash tools/bench.sh [NAME] [BENCHMARK_ARGS...]
# NAME picks one benchmark executable (e.g. blit_bench); the other arguments
# go to Google Benchmark (e.g. --benchmark_filter=Fill).
set -euo pipefail

here="$(cd "$(dirname "$0")/.." && pwd)"
build="$here/build-bench"
export CCACHE_DIR="${CCACHE_DIR:-/var/cache/lindar-ccache}" CCACHE_BASEDIR="$here" CCACHE_NOHASHDIR=1

cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DLINDAR_BENCH=ON -DLINDAR_TESTS=OFF \
  -DLINDAR_EXAMPLES=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target lindar_benches

only=""
if [ $# -gt 0 ] && [[ "$1" != -* ]]; then
  only="$1"
  shift
fi
found=0
for exe in "$build"/bench/*; do
  [ -f "$exe" ] && [ -x "$exe" ] || continue
  [ -z "$only" ] || [ "$(basename "$exe")" = "$only" ] || continue
  found=1
  echo "=== $(basename "$exe")"
  "$exe" "$@"
done
[ "$found" = 1 ] || { echo "no benchmark${only:+ named $only}" >&2; exit 1; }
