#!/usr/bin/env bash
# tools/wine-run.sh against a stand-in for wine that follows a plan, one step
# per start: a status or "segv" (killed by a signal). Wine's own deaths are
# run once more, the program's failures and crashes never; the status passes
# through. Then a program on a screen of its own, against stand-ins for the
# Wine server and Xvfb.
set -uo pipefail
script="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/bin" "$work/prefix"
touch "$work/prefix/.lindar-ready-unmanaged"
cat >"$work/bin/wine" <<'FAKE'
#!/usr/bin/env bash
if [ "${1:-}" = reg ]; then
  echo "$WINEPREFIX $*" >>"$WORK/reg"
  exit 0
fi
echo "$WINEPREFIX ${DISPLAY:-none} $*" >>"$WORK/ran"
n=$(($(cat "$WORK/starts" 2>/dev/null || echo 0) + 1))
echo "$n" >"$WORK/starts"
IFS=, read -ra plan <<<"$PLAN"
step="${plan[n - 1]:-0}"
echo "start $n"
case "$step" in
  segv) kill -SEGV $$ ;;
  *) exit "$step" ;;
esac
FAKE
chmod +x "$work/bin/wine"

# The servers a run on a screen of its own starts and ends.
cat >"$work/bin/wineserver" <<'FAKE'
#!/usr/bin/env bash
echo "$WINEPREFIX $*" >>"$WORK/wineserver"
FAKE
cat >"$work/bin/Xvfb" <<'FAKE'
#!/usr/bin/env bash
echo "$*" >>"$WORK/xvfb"
[ "$1" = -displayfd ] && echo 77 >&"$2"
exec -a "fake-xvfb-$WORK" sleep 60
FAKE
chmod +x "$work/bin/wineserver" "$work/bin/Xvfb"

failed=0
# plan | status | starts
while IFS='|' read -r plan want_status want_starts; do
  rm -f "$work/starts"
  status=0
  WORK="$work" PLAN="$plan" PATH="$work/bin:$PATH" LINDAR_WINEPREFIX="$work/prefix" \
    bash "$script" program.exe >/dev/null 2>&1 || status=$?
  starts="$(cat "$work/starts")"
  if [ "$status" != "$want_status" ] || [ "$starts" != "$want_starts" ]; then
    echo "plan $plan: status $status, $starts starts; want $want_status, $want_starts"
    failed=1
  fi
done <<'CASES'
0|0|1
1|1|1
5|5|1
3|3|1
segv,0|0|2
segv,segv|139|2
segv,5|5|2
CASES

# Wine's own fonts, shipped apart, are linked into a prefix that lacks them;
# a font the prefix has of its own stays.
fonts="$work/fonts"
win_fonts="$work/prefix/drive_c/windows/Fonts"
mkdir -p "$fonts" "$win_fonts"
touch "$fonts/marlett.ttf" "$fonts/tahoma.ttf" "$fonts/own.ttf"
echo mine >"$win_fonts/own.ttf"
for run in 1 2; do
  rm -f "$work/starts"
  WORK="$work" PLAN=0 PATH="$work/bin:$PATH" LINDAR_WINEPREFIX="$work/prefix" LINDAR_WINE_FONTS="$fonts" \
    bash "$script" program.exe >/dev/null 2>&1 || { echo "fonts, run $run: failed"; failed=1; }
done
for font in marlett.ttf tahoma.ttf; do
  [ "$(readlink "$win_fonts/$font")" = "$fonts/$font" ] || { echo "fonts: $font not linked"; failed=1; }
done
[ ! -L "$win_fonts/own.ttf" ] && [ "$(cat "$win_fonts/own.ttf")" = mine ] || { echo "fonts: own.ttf replaced"; failed=1; }

# A program asking for a screen of its own (800 x 600 at 144 dpi) runs in
# a prefix beside the main one, made once, whose registry is its own, on a
# display of its own; its server is ended after each run. Listing a test
# program's cases asks for no screen.
mkdir -p "$work/prefix/drive_c/users/tester" "$work/prefix/drive_c/windows/system32"
echo main >"$work/prefix/user.reg"
touch "$work/prefix/system.reg" "$work/prefix/userdef.reg" "$work/prefix/drive_c/windows/system32/kernel32.dll" \
  "$work/prefix/drive_c/users/tester/notes.txt"
rm -f "$work/ran" "$work/reg" "$work/wineserver" "$work/xvfb"
for args in "program.exe" "program.exe --gtest_filter=x" "program.exe --gtest_list_tests"; do
  # shellcheck disable=SC2086 # the program and its arguments
  WORK="$work" PLAN=0 PATH="$work/bin:$PATH" LINDAR_WINEPREFIX="$work/prefix" DISPLAY=:5 \
    LINDAR_WINE_SCREEN=800x600 LINDAR_WINE_DPI=144 bash "$script" $args >/dev/null 2>&1 ||
    { echo "screen, $args: failed"; failed=1; }
done
variant="$work/prefix-dpi144"
expect() { [ "$2" = "$3" ] || { echo "screen: $1: $2; want $3"; failed=1; }; }
expect "runs" "$(cat "$work/ran")" "$variant :77 program.exe
$variant :77 program.exe --gtest_filter=x
$work/prefix :5 program.exe --gtest_list_tests"
expect "registry" "$(cat "$work/reg")" \
  "$variant reg add HKCU\\Control Panel\\Desktop /v LogPixels /t REG_DWORD /d 144 /f"
expect "servers" "$(grep -c -- "^$variant -k" "$work/wineserver")" 2
expect "displays" "$(grep -c -- "-screen 0 800x600x24" "$work/xvfb")" 2
expect "displays left" "$(pgrep -c -f "fake-xvfb-$work")" 0
echo own >"$variant/user.reg"
expect "registry apart" "$(cat "$work/prefix/user.reg")" main
[ "$(stat -c %i "$variant/drive_c/windows/system32/kernel32.dll")" = \
  "$(stat -c %i "$work/prefix/drive_c/windows/system32/kernel32.dll")" ] || { echo "screen: windows copied"; failed=1; }
[ "$(stat -c %i "$variant/drive_c/users/tester/notes.txt")" != \
  "$(stat -c %i "$work/prefix/drive_c/users/tester/notes.txt")" ] ||
  { echo "screen: users shared"; failed=1; }

[ "$failed" = 0 ] && echo "all cases passed"
exit "$failed"
