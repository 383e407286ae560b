#!/usr/bin/env bash
# Benchmark (not a test) of the window program at a real size, on the tree of bench/run-bench.sh
# (FILES files, default 3000), each figure the median of REPEAT (default 3) measurements, with the
# window and what it is held against taking turns:
#   listing      the detail window listing the entries of the tree's archive (click to painted
#                rows) against the library's own listing of it (OpenArchive, FindFirst, FindNext);
#                target: at most 1 s more
#   restore      "展開..." of that archive (with the library's progress dialog) against the
#                library's own extraction (x -n1) of it; target: at most 1.5 times
#   run          a run from the window (copy, pack lh5, empty the base folder) with the detail
#                window open, its log following every line, against the same run with it closed;
#                target: at most 1.2 times; ostrun's run for scale
# Times are taken inside one Wine process each (window-bench.exe), Wine's start-up left out.
#   bench/window-bench.sh [FILES]
# BENCH_ARCH picks the build (i686 by default; x86_64 where the kernel runs no 32-bit programs),
# BENCH_BUILD a build folder to use as it is, BENCH_WORK the work folder.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
files=${1:-3000}
repeat=${REPEAT:-3}
arch=${BENCH_ARCH:-i686}
if [ "$arch" = i686 ] && [ -z "${BENCH_BUILD:-}" ] && ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
  echo "note: this machine runs no 32-bit programs; the x86_64 build is measured"
  arch=x86_64
fi
build=${BENCH_BUILD:-$top/build/$arch}
if [ -z "${BENCH_BUILD:-}" ]; then
  bash "$top/scripts/build.sh" "$arch" --target window-bench ostrun unlha32 >/dev/null
fi
. "$top/scripts/display.sh"
display_start
export DISPLAY=:$PELMIRA_DISPLAY WINEPREFIX=$build/wineprefix-display LC_ALL=ja_JP.UTF-8 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
[ -f "$WINEPREFIX/system.reg" ] || { wineboot -i >/dev/null 2>&1; wineserver -w; }
wineserver -p >/dev/null 2>&1 || true
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
. "$top/scripts/wine-display-prefix.sh"
wine_display_fonts

work=${BENCH_WORK:-$top/build/window-bench-run}
rm -rf "$work"; mkdir -p "$work/program" "$work/base" "$work/arc" "$work/tree" "$work/restore"
cp "$build/bin/window-bench.exe" "$build/bin/ostrun.exe" "$build/bin/UNLHA32.DLL" "$work/program/"
# The tree of bench/run-bench.sh: small and medium text-like files in nested folders.
python3 - "$work/tree" "$files" <<'PY'
import os, random, sys
root, n = sys.argv[1], int(sys.argv[2])
rnd = random.Random(7)
words = [("w%d" % i).encode() for i in range(500)]
for i in range(n):
    d = os.path.join(root, "d%02d" % (i % 37), "s%02d" % (i % 11))
    os.makedirs(d, exist_ok=True)
    size = rnd.choice([200, 1500, 6000, 30000])
    data = b" ".join(rnd.choice(words) for _ in range(size // 4))[:size]
    open(os.path.join(d, "f%05d.txt" % i), "wb").write(data)
PY
win() { echo "Z:$1" | tr / '\\'; }
prog=$work/program
settings() {  # settings DELETE: ostra.ini of a run that packs lh5 and (DELETE=1) empties by its own walk
  printf '[Option]\r\nBaseDir=%s\r\nArcDir=%s\r\nTimestamp=0\r\nArchive=1\r\nlha=0\r\nArcProgress=0\r\nDeleteFiles=%s\r\nDelConfirm=0\r\nDelShowDialog=0\r\nDelUseRecycleBin=0\r\n' \
    "$(win "$work/base")" "$(win "$work/arc")" "$1" > "$prog/ostra.ini"
}
printf '%s,Tree,*.*,1\r\n' "$(win "$work/tree")" > "$prog/backfol.ini"
clean() { rm -rf "$work/base" "$work/arc"; mkdir -p "$work/base" "$work/arc"; }
# figure WHAT OUTPUT: the seconds window-bench printed for WHAT.
figure() { awk -v w="$1" '$1 == w {print $2}' <<<"$2"; }
bench() { (cd "$prog" && wine "$prog/window-bench.exe" "$@"); }
median() { printf '%s\n' "$@" | sort -g | awk '{v[NR]=$1} END{print (NR % 2) ? v[(NR+1)/2] : (v[NR/2]+v[NR/2+1])/2}'; }
secs() { local a b; a=$(date +%s.%N); "$@" >/dev/null 2>&1; b=$(date +%s.%N); awk -v a="$a" -v b="$b" 'BEGIN{printf "%.3f", b - a}'; }

echo "tree: $files files, $(du -sb "$work/tree" | cut -f1) bytes; $arch build; median of $repeat;" \
  "load before: $(cut -d' ' -f1-3 /proc/loadavg)"

# The run, window closed and open by turns, ostrun for scale.
settings 1
closed=(); open=(); ostrun=(); lines=
for _ in $(seq "$repeat"); do
  clean; out=$(bench run "$(win "$prog")\\" closed); closed+=("$(figure run-closed "$out")")
  [ -z "$(ls -A "$work/base")" ] && [ -n "$(ls -A "$work/arc")" ] || { echo "the run left no archive or a full base folder" >&2; exit 1; }
  clean; out=$(bench run "$(win "$prog")\\" open); open+=("$(figure run-open "$out")"); lines=$(figure log-lines "$out")
  [ -z "$(ls -A "$work/base")" ] && [ -n "$(ls -A "$work/arc")" ] || { echo "the run left no archive or a full base folder" >&2; exit 1; }
  clean; ostrun+=("$(secs wine "$prog/ostrun.exe")")
done
run_closed=$(median "${closed[@]}"); run_open=$(median "${open[@]}"); run_ostrun=$(median "${ostrun[@]}")

# The archive of the tree, kept: listed and restored.
settings 0
clean; bench run "$(win "$prog")\\" closed >/dev/null
archive=$(ls "$work/arc/"*.lzh | head -1)
entries=$(wine "$build/bin/unlha-run.exe" --list "$(win "$archive")" 2>/dev/null | wc -l || true)
wlist=(); llist=(); wrest=(); lrest=()
for _ in $(seq "$repeat"); do
  out=$(bench list "$(win "$archive")")
  wlist+=("$(figure window-list "$out")"); llist+=("$(figure library-list "$out")")
  rm -rf "$work/restore"; mkdir -p "$work/restore"
  out=$(bench restore "$(win "$archive")" "$(win "$work/restore")")
  wrest+=("$(figure window-restore "$out")"); lrest+=("$(figure library-extract "$out")")
  diff -r "$work/restore/lib" "$work/restore/$(basename "$archive" .lzh)" >/dev/null ||
    { echo "the restore differs from the library's extraction" >&2; exit 1; }
done
list_w=$(median "${wlist[@]}"); list_l=$(median "${llist[@]}")
rest_w=$(median "${wrest[@]}"); rest_l=$(median "${lrest[@]}")

echo "| what | window | held against | figure | target |"
echo "|---|---|---|---|---|"
awk -v w="$list_w" -v l="$list_l" -v n="$entries" 'BEGIN{printf "| listing %d entries in the detail window | %.2f s | %.2f s: the library'"'"'s listing | +%.2f s | +1 s at most |\n", n, w, l, w - l}'
awk -v w="$rest_w" -v l="$rest_l" 'BEGIN{printf "| restore with \"展開...\" (progress dialog) | %.2f s | %.2f s: the library'"'"'s x -n1 | %.2f x | 1.5 x at most |\n", w, l, w / l}'
awk -v w="$run_open" -v l="$run_closed" -v n="$lines" 'BEGIN{printf "| run, detail window open (%d log lines) | %.2f s | %.2f s: the same run, window closed | %.2f x | 1.2 x at most |\n", n, w, l, w / l}'
awk -v o="$run_ostrun" 'BEGIN{printf "| ostrun, the same run, for scale | %.2f s (whole process) | | | |\n", o}'
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
