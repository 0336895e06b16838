# shellcheck shell=bash disable=SC2034 # the variables are for the scripts that source this
# Sourced by setup.sh, run.sh, test.sh and stress-ctest.sh: each step's full
# output (apt, CMake, the compilers, ctest) goes to its own log file in $logs,
# and the terminal gets one line per step.
#
# The caller sets $here (the top of the clone) before sourcing.

logs="${LINDAR_LOGS:-$here/build-logs}"
mkdir -p "$logs"

# step LOG LABEL COMMAND...: runs COMMAND (a program or a shell function)
# with its output in LOG (emptied first) and prints "LABEL ... ok (N s)";
# returns COMMAND's status.
step() {
  local log="$1" label="$2" start=$SECONDS rc=0
  shift 2
  printf '%s ... ' "$label"
  "$@" >"$log" 2>&1 </dev/null || rc=$?
  step_result "$rc" "$log" "$((SECONDS - start)) s"
  return "$rc"
}

# step_result STATUS LOG TEXT: ends a step's line with "ok (TEXT)", or on
# failure with the log's path and, for logs that are all a CI run keeps, the
# log's last lines.
step_result() {
  if [ "$1" = 0 ]; then
    echo "ok ($3)"
    return 0
  fi
  echo "FAILED ($3), full output in $2"
  tail -n 20 "$2" | sed 's/^/    /'
  return 0
}

# failed_outputs LOG [LINES]: each failed test of a ctest log written with
# --output-on-failure: its result line, then the last LINES lines of what it
# printed (all of them when LINES is not given).
failed_outputs() {
  awk -v keep="${2:-0}" '
    function flush(  i) {
      if (name != "") {
        print name
        for (i = (keep > 0 && n > keep) ? n - keep : 0; i < n; i++) print "    " out[i]
      }
      name = ""; n = 0
    }
    /^ *[0-9]+\/[0-9]+ Test +#[0-9]+: / { flush(); if (/\*\*\*/ && !/\*\*\*(Skipped|Not Run \(Disabled\))/) name = $0; next }
    /^ *Start +[0-9]+: / || /^[0-9]+% tests passed/ { flush(); next }
    name != "" { out[n++] = $0 }
    END { flush() }
  ' "$1"
}

# What every test run shares (test.sh, stress-ctest.sh): the limit per test,
# so a hung test (a modal window under Wine, say) fails instead of stalling
# the run, and the sanitizer suite's options.
test_timeout=120
sanitizer_asan_options="detect_leaks=1:detect_stack_use_after_return=1:strict_string_checks=1:check_initialization_order=1"
sanitizer_ubsan_options="print_stacktrace=1:halt_on_error=1"
