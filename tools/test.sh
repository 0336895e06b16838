#!/usr/bin/env bash
# Builds and tests everything: the native build (build/), its ASan+UBSan twin
# (build-asan/), the Windows build under Wine (build-win/) and the fuzz targets
# with clang (build-fuzz/, each run briefly over its seed corpus). Prints one
# line per step (the full output of each in build-logs/), then one line per
# build and last "N passed, N failed"; exits non-zero on any failed build or
# test. A build that fails counts as one failed test.
set -uo pipefail

here="$(cd "$(dirname "$0")/.." && pwd)"
cd "$here"
jobs="$(nproc)"
# shellcheck source=tools/steps.sh
source "$here/tools/steps.sh"

# One cache for every clone on this machine: paths below the tree are hashed
# relative to it, so a fresh clone elsewhere hits what an earlier one stored.
export CCACHE_DIR="${CCACHE_DIR:-/var/cache/lindar-ccache}"
export CCACHE_BASEDIR="$here"
export CCACHE_NOHASHDIR=1
export CCACHE_MAXSIZE="${CCACHE_MAXSIZE:-10G}"

passed=0
failed=0
summary=()
failed_logs=()

# cmake_build DIR TARGET [CMAKE_ARGS...]: configures DIR and builds TARGET.
# Every build treats compiler warnings as errors: a warning fails the run.
cmake_build() {
  local dir="$1" target="$2"
  shift 2
  # A folder made by another generator cannot be reused.
  if [ -f "$dir/CMakeCache.txt" ] && ! grep -q '^CMAKE_GENERATOR:INTERNAL=Ninja$' "$dir/CMakeCache.txt"; then
    rm -rf "$dir"
  fi
  mkdir -p "$dir" &&
    cmake -S "$here" -B "$dir" -G Ninja -DLINDAR_WERROR=ON "$@" &&
    cmake --build "$dir" -j "$jobs" --target "$target"
}

# configure_and_build NAME DIR TARGET [CMAKE_ARGS...]: configures and builds TARGET in
# DIR as one step; records a failed build as one failed test.
configure_and_build() {
  local name="$1" dir="$2"
  shift 2
  step "$logs/$name-build.log" "$name: configure and build ($dir/)" cmake_build "$dir" "$@" && return 0
  summary+=("$name: build failed, 0 passed, 1 failed")
  failed=$((failed + 1))
  return 1
}

# run_tests NAME DIR COMMAND...: runs ctest (COMMAND) and counts its results
# from ctest's own summary; skipped tests count as neither.
run_tests() {
  local name="$1" dir="$2"
  shift 2
  local log="$logs/$name-tests.log" start=$SECONDS rc=0
  printf '%s ... ' "$name: tests"
  "$@" --output-on-failure -j "$jobs" --timeout "$test_timeout" >"$log" 2>&1 </dev/null || rc=$?
  local line total=0 bad=0 skipped=0
  line="$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)"
  if [ -n "$line" ]; then
    bad="$(sed -E 's/.* ([0-9]+) tests? failed.*/\1/' <<<"$line")"
    total="$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$line")"
    skipped="$(grep -cE '^[[:space:]]*[0-9]+ - .* \((Skipped|Disabled)\)$' "$log")"
  elif grep -q 'No tests were found' "$log" && [ "$rc" = 0 ]; then
    total=0
  else
    bad=1 # ctest itself failed before it could report
  fi
  [ "$rc" != 0 ] && [ "$bad" = 0 ] && bad=1
  local good=$((total - bad - skipped))
  local counts="$good passed, $bad failed, $skipped skipped"
  passed=$((passed + good))
  failed=$((failed + bad))
  summary+=("$name: $counts ($((SECONDS - start)) s)")
  [ "$bad" != 0 ] && failed_logs+=("$log")
  step_result "$bad" "$log" "$counts, $((SECONDS - start)) s"
}

run_start=$SECONDS
if ! bash "$here/tools/setup.sh"; then
  echo "0 passed, 1 failed"
  exit 1
fi
ccache -z >/dev/null 2>&1 || true

# Native: the library, its tests and examples with the system g++.
if configure_and_build native build all; then
  run_tests native build ctest --test-dir build
  # The blit, fill and conversion suites again on the general path alone,
  # the reference every fast path is held to.
  LINDAR_BLIT_GENERAL=1 run_tests native-general build ctest --test-dir build \
    -R '^(Blit[A-Za-z]*|ImageFill|ConvertFrom|MapToPalette|Resize|Grey)\.'
fi

# Native with AddressSanitizer and UndefinedBehaviorSanitizer: tests only, with
# asserts. -g1 keeps the line tables the reports need and compiles a third
# faster than -g.
if configure_and_build sanitizer build-asan all -DLINDAR_SANITIZE=ON -DLINDAR_EXAMPLES=OFF \
     -DCMAKE_BUILD_TYPE=Debug "-DCMAKE_CXX_FLAGS_DEBUG=-O1 -g1" "-DCMAKE_C_FLAGS_DEBUG=-O1 -g1"; then
  ASAN_OPTIONS="$sanitizer_asan_options" UBSAN_OPTIONS="$sanitizer_ubsan_options" \
    run_tests sanitizer build-asan ctest --test-dir build-asan
fi

# Windows: static i686 mingw, tests under Wine inside one Xvfb.
if configure_and_build windows build-win all --toolchain "$here/cmake/mingw-i686.cmake" \
     "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG" "-DCMAKE_C_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG"; then
  run_tests windows build-win bash "$here/tools/wine-ctest.sh" "$here/build-win"
fi

# Fuzz targets with clang's libFuzzer; each runs briefly over its seeds.
if CC=clang CXX=clang++ configure_and_build fuzz build-fuzz lindar_fuzzers -DLINDAR_FUZZ=ON -DLINDAR_TESTS=OFF \
     -DLINDAR_EXAMPLES=OFF; then
  run_tests fuzz build-fuzz ctest --test-dir build-fuzz
fi

hits="$(ccache -s 2>/dev/null | awk '/^ *Hits:/ {print $2 " of " $4; exit}')"
printf '\nsummary: %s s, ccache hits %s\n' "$((SECONDS - run_start))" "${hits:-unknown}"
printf '%s\n' "${summary[@]}"
# What the failed tests printed, last: a CI report that keeps only the end of
# the output still shows why they failed.
if [ "${#failed_logs[@]}" -gt 0 ]; then
  echo "failed tests, the end of what each printed:"
  for log in "${failed_logs[@]}"; do failed_outputs "$log" 12; done | head -n 40
fi
echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
