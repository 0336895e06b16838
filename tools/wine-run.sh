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

# A test may ask for another screen: LINDAR_WINE_DPI (the resolution Wine
# gives its programs, 96 by default) and LINDAR_WINE_SCREEN (WxH, a display
# of its own of that size). Wine reads the resolution once per process from
# the prefix's registry, and a program's desktop belongs to the display it
# started on, so such a program runs in a prefix of its own ("-dpiN" beside
# the main one, made once from it: the Windows folder shared by hard links,
# the registry and the users' folders copied), one such run at a time, its
# server ended after it.
screen="${LINDAR_WINE_SCREEN:-}"
dpi="${LINDAR_WINE_DPI:-}"
# Listing a test program's cases shows nothing: it runs as any other.
if [ "${1:-}" = --gtest_list_tests ]; then
  screen=""
  dpi=""
fi
xvfb=""
files=()
# shellcheck disable=SC2317 # run by the trap
end_run() {
  if [ -n "$screen$dpi" ]; then
    timeout 30 wineserver -k 2>/dev/null || true
    [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null || true
  fi
  rm -f "${files[@]}"
}
trap end_run EXIT
if [ -n "$screen$dpi" ]; then
  dpi="${dpi:-96}"
  variant="$prefix-dpi$dpi"
  exec 8>"$variant.lock"
  flock 8
  # Made again when the main prefix was made again after it.
  if ! [ "$variant/.lindar-ready-screen" -nt "$ready" ]; then
    rm -rf "$variant"
    cp -al "$prefix" "$variant" 2>/dev/null || { rm -rf "$variant"; cp -a "$prefix" "$variant"; }
    for part in system.reg user.reg userdef.reg; do
      cp --remove-destination "$prefix/$part" "$variant/$part"
    done
    rm -rf "$variant/drive_c/users"
    cp -a "$prefix/drive_c/users" "$variant/drive_c/users"
    # The lock's descriptor is not handed on: a server outliving the run
    # would hold it.
    WINEPREFIX="$variant" wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f \
      </dev/null >/dev/null 2>&1 8>&-
    WINEPREFIX="$variant" timeout 120 wineserver -w 8>&- || true
    touch "$variant/.lindar-ready-screen"
  fi
  export WINEPREFIX="$variant"
  if [ -n "$screen" ]; then
    shown="$(mktemp "${TMPDIR:-/tmp}/wine-run.XXXXXX")"
    files+=("$shown")
    # The server picks a free display and writes its number once it takes
    # connections.
    Xvfb -displayfd 7 -screen 0 "${screen}x24" -nolisten tcp 7>"$shown" </dev/null >/dev/null 2>&1 8>&- &
    xvfb=$!
    for _ in $(seq 1 100); do
      [ -s "$shown" ] && break
      sleep 0.1
    done
    [ -s "$shown" ] || { echo "wine-run.sh: no display of $screen" >&2; exit 1; }
    DISPLAY=":$(head -n 1 "$shown")"
    export DISPLAY
  fi
fi
# Wine hands every process it starts the Unix stderr of the process that
# started it, whatever the program asked for. The desktop process
# (explorer.exe), which the first program to need a window starts when none
# runs, then keeps that program's output open until the desktop closes, a
# second after the last program on it has ended; ctest waits for the end of
# a test's output, so a test that had long passed waited for the parallel UI
# tests, up to the time-out. The program writes to files instead, copied
# out as they grow (each to its own stream) and no longer once it has ended.
# Sets $status.
run_program() {
  local out err pid copies=()
  status=0
  out="$(mktemp "${TMPDIR:-/tmp}/wine-run.XXXXXX")"
  err="$(mktemp "${TMPDIR:-/tmp}/wine-run.XXXXXX")"
  files+=("$out" "$err")
  wine "$exe" "$@" <&0 >"$out" 2>"$err" 8>&- & # <&0: a background job's input is /dev/null by default
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
