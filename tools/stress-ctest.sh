#!/usr/bin/env bash
# Runs a test suite N times under an artificial load of twice the cores
# (stress-ng) and reports every failure with its output: a test that fails
# by chance under load shows up here before it reddens a CI run.
#   bash tools/stress-ctest.sh [--asan] N [CTEST_ARGS...]
# Without --asan the Windows suite (build-win/, under Wine through
# tools/wine-ctest.sh); with it the native sanitizer suite (build-asan/).
# The build must exist (bash tools/test.sh makes both); it is brought up to
# date first. Each run's full output goes to build-logs/stress-KIND-I.log.
# Exits non-zero when any run had a failure.
set -uo pipefail

here="$(cd "$(dirname "$0")/.." && pwd)"
# shellcheck source=tools/steps.sh
source "$here/tools/steps.sh"

kind=windows
if [ "${1:-}" = --asan ]; then
  kind=asan
  shift
fi
runs="${1:-}"
if ! [[ "$runs" =~ ^[1-9][0-9]*$ ]]; then
  echo "usage: stress-ctest.sh [--asan] N [CTEST_ARGS...]" >&2
  exit 2
fi
shift

jobs="$(nproc)"
if [ "$kind" = asan ]; then
  build="$here/build-asan"
  export ASAN_OPTIONS="$sanitizer_asan_options" UBSAN_OPTIONS="$sanitizer_ubsan_options"
  suite=(ctest --test-dir "$build")
else
  build="$here/build-win"
  suite=(bash "$here/tools/wine-ctest.sh" "$build")
fi
if [ ! -f "$build/CMakeCache.txt" ]; then
  echo "stress-ctest.sh: no build in $build; run bash tools/test.sh first" >&2
  exit 2
fi
command -v stress-ng >/dev/null || { echo "stress-ctest.sh: stress-ng is missing (bash tools/setup.sh)" >&2; exit 2; }
export CCACHE_DIR="${CCACHE_DIR:-/var/cache/lindar-ccache}" CCACHE_BASEDIR="$here" CCACHE_NOHASHDIR=1
step "$logs/stress-$kind-build.log" "build $build" cmake --build "$build" -j "$jobs" || exit 1

# The load: one CPU hog per core twice over, for as long as the runs last.
workers=$((2 * jobs))
stress-ng --cpu "$workers" --timeout 24h --quiet </dev/null >/dev/null 2>&1 &
load=$!
trap 'kill "$load" 2>/dev/null; wait "$load" 2>/dev/null' EXIT
echo "stress-ctest: $kind suite, $runs runs, load stress-ng --cpu $workers on $jobs cores"

start=$SECONDS
failed_runs=0
failed_tests=()
for ((i = 1; i <= runs; i++)); do
  log="$logs/stress-$kind-$i.log"
  run_start=$SECONDS
  "${suite[@]}" --output-on-failure -j "$jobs" --timeout "$test_timeout" "$@" >"$log" 2>&1 </dev/null
  rc=$?
  line="$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)"
  load_now="$(cut -d' ' -f1 /proc/loadavg)"
  printf 'run %d/%d: %s, %d s, load %s\n' "$i" "$runs" "${line:-ctest did not report (status $rc)}" \
    "$((SECONDS - run_start))" "$load_now"
  if [ "$rc" != 0 ] || [ -z "$line" ]; then
    failed_runs=$((failed_runs + 1))
    mapfile -t names < <(awk '/^The following tests FAILED:/ { on = 1; next }
                             on && /^[[:space:]]+[0-9]+ - / { sub(/^[[:space:]]+[0-9]+ - /, ""); print; next }
                             { on = 0 }' "$log")
    failed_tests+=("${names[@]}")
    [ "${#names[@]}" = 0 ] && tail -n 20 "$log" | sed 's/^/    /'
    failed_outputs "$log" | sed 's/^/    /'
    echo "    full output: $log"
  fi
done

echo
printf 'stress-ctest: %s suite, %d runs, %d with failures, %d failed tests, %d s in all\n' \
  "$kind" "$runs" "$failed_runs" "${#failed_tests[@]}" "$((SECONDS - start))"
if [ "${#failed_tests[@]}" -gt 0 ]; then
  printf '%s\n' "${failed_tests[@]}" | sort | uniq -c | sed 's/^/  /'
fi
[ "$failed_runs" = 0 ]
