#!/usr/bin/env bash
# CTest's cross-compiling emulator for the Windows build: runs one program under
# Wine in a private prefix and passes its exit code through.
#
# The prefix is $LINDAR_WINEPREFIX (tools/test.sh sets it), else "wineprefix" in
# the build folder that holds the program. It is made once with wineboot; ctest
# may start several tests at once, so a lock guards that.
set -euo pipefail

# "wine-run.sh --init DIR" only makes the prefix of build folder DIR.
if [ $# -lt 1 ] || { [ "$1" = --init ] && [ $# -ne 2 ]; }; then
  echo "usage: wine-run.sh PROGRAM.exe [ARGS...] | wine-run.sh --init BUILD_DIR" >&2
  exit 2
fi
init_only=0
if [ "$1" = --init ]; then
  init_only=1
  exe="$2/CMakeCache.txt"
else
  exe="$1"
  shift
fi

build_dir_of() {
  local d
  d="$(cd "$(dirname "$1")" && pwd)"
  while [ "$d" != / ] && [ ! -f "$d/CMakeCache.txt" ]; do
    d="$(dirname "$d")"
  done
  [ "$d" = / ] && d="$(cd "$(dirname "$1")" && pwd)"
  echo "$d"
}

prefix="${LINDAR_WINEPREFIX:-$(build_dir_of "$exe")/wineprefix}"
export WINEPREFIX="$prefix"
export WINEARCH=win32 # the programs are 32-bit; a 32-bit prefix boots faster
export WINEDEBUG=-all
# No .NET or Gecko installers at boot; no debugger, so a crashing program
# ends at once with its exception code instead of waiting in a crash dialog.
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"

ready="$prefix/.lindar-ready-unmanaged"
if [ ! -f "$ready" ]; then
  mkdir -p "$(dirname "$prefix")"
  exec 9>"$prefix.lock"
  flock 9
  if [ ! -f "$ready" ]; then
    # A prefix without the mark is a boot that was cut short, or one made
    # before the current settings: start afresh.
    rm -rf "$prefix"
    wineboot --init </dev/null >/dev/null 2>&1
    # Xvfb has no window manager. Wine waits up to 2 s for one to withdraw a
    # managed window, at every close of a dialog or message box; unmanaged
    # windows are placed and activated by Wine itself, at once.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
    # Let the server write the registry before anyone relies on it (bounded:
    # a persistent server started by hand would never end).
    timeout 120 wineserver -w || true
    touch "$ready"
  fi
  flock -u 9
  exec 9>&-
fi

# Wine draws caption buttons, check marks and arrows with glyphs of the Marlett
# font and dialogs in Tahoma. Debian ships them apart (fonts-wine), and this
# Wine does not look in their folder: linked into the prefix's Fonts folder
# they are found as on Windows. Also for a prefix made before they came.
fonts="${LINDAR_WINE_FONTS:-/usr/share/wine/fonts}"
win_fonts="$prefix/drive_c/windows/Fonts"
if [ -f "$fonts/marlett.ttf" ] && [ -d "$win_fonts" ] && [ ! -e "$win_fonts/marlett.ttf" ]; then
  exec 9>"$prefix.lock"
  flock 9
  for font in "$fonts"/*; do
    # A font of the prefix's own (a test may install one) stays.
    [ -e "$win_fonts/${font##*/}" ] || ln -s "$font" "$win_fonts/${font##*/}"
  done
  flock -u 9
  exec 9>&-
fi

[ "$init_only" = 1 ] && exit 0
# Wine hands every process it starts the Unix stderr of the process that
# started it, whatever the program asked for. The desktop process
# (explorer.exe), which the first program to need a window starts when none
# runs, then keeps that program's output open until the desktop closes, a
# second after the last program on it has ended; ctest waits for the end of
# a test's output, so a test that had long passed waited for the parallel UI
# tests, up to the time-out. The program writes to files instead, copied
# out as they grow (each to its own stream) and no longer once it has ended.
# Sets $status.
files=()
trap 'rm -f "${files[@]}"' EXIT
run_program() {
  local out err pid copies=()
  status=0
  out="$(mktemp "${TMPDIR:-/tmp}/wine-run.XXXXXX")"
  err="$(mktemp "${TMPDIR:-/tmp}/wine-run.XXXXXX")"
  files+=("$out" "$err")
  wine "$exe" "$@" <&0 >"$out" 2>"$err" & # <&0: a background job's input is /dev/null by default
  pid=$!
  tail -n +1 -s 0.05 -f --pid="$pid" "$out" &
  copies+=($!)
  tail -n +1 -s 0.05 -f --pid="$pid" "$err" >&2 &
  copies+=($!)
  wait "$pid" || status=$?
  wait "${copies[@]}" || true
}

# Wine dies by SIGSEGV when a process ends while one of its threads is still
# inside Wine's own start-up (the exit signal reaches a thread Wine has not
# set up yet). The test programs' main waits for their threads; for any other
# such death of Wine itself the run is made once more. A crash of the program
# ends as an exception code (0xC0000005 gives 5), never as a signal, so it is
# never run again.
wine_failed() {
  [ "$status" -gt 128 ] && [ "$status" -lt 160 ]
}
run_program "$@"
if wine_failed; then
  echo "wine-run.sh: wine itself failed (status $status); running $exe once more" >&2
  run_program "$@"
fi
# ctest shows only "Failed"; the status tells a test's failure (1) from a
# crash (an exception code) or Wine's own failure.
[ "$status" = 0 ] || echo "wine-run.sh: $exe ended with status $status" >&2
exit "$status"
