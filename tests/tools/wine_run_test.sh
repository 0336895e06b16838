#!/usr/bin/env bash
# tools/wine-run.sh against a stand-in for wine that follows a plan, one step
# per start: a status or "segv" (killed by a signal). Wine's own deaths are
# run once more, the program's failures and crashes never; the status passes
# through.
set -uo pipefail
script="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/bin" "$work/prefix"
touch "$work/prefix/.lindar-ready-unmanaged"
cat >"$work/bin/wine" <<'FAKE'
#!/usr/bin/env bash
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

[ "$failed" = 0 ] && echo "all cases passed"
exit "$failed"
