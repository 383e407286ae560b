#!/usr/bin/env bash
# Benchmark (not a test): an ostrun run over a generated tree of a few thousand files, and a
# second run with Timestamp=1 that finds everything up to date, each against `cp -a` of the same
# tree on the same disk.   bench/run-bench.sh [FILES]   (ARCHIVE=0: without the archive step)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
files=${1:-3000}
bash "$top/scripts/build.sh" i686 --target ostrun unlha32 >/dev/null
build=$top/build/i686
. "$top/scripts/wine-session.sh"
wine_session_start "$build"
trap wine_session_stop EXIT

work=$top/build/bench-run
rm -rf "$work"; mkdir -p "$work/program" "$work/base" "$work/arc" "$work/tree"
cp "$build/bin/ostrun.exe" "$build/bin/UNLHA32.DLL" "$work/program/"
# A tree of small and medium files in nested folders, text-like so that packing has work to do.
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
printf '[Option]\r\nBaseDir=%s\r\nArcDir=%s\r\nTimestamp=1\r\nArchive=%s\r\nlha=0\r\n' \
  "$(win "$work/base")" "$(win "$work/arc")" "${ARCHIVE:-1}" > "$work/program/ostra.ini"
printf '%s,Tree,*.*,1\r\n' "$(win "$work/tree")" > "$work/program/backfol.ini"

now() { date +%s.%N; }
t0=$(now); cp -a "$work/tree" "$work/cp-copy"; sync; t1=$(now)
cp_time=$(awk -v a="$t0" -v b="$t1" 'BEGIN{print b-a}')
t0=$(now); wine "$work/program/ostrun.exe" 2>/dev/null; sync; t1=$(now)
full=$(awk -v a="$t0" -v b="$t1" 'BEGIN{print b-a}')
rm -f "$work/arc/"*
t0=$(now); wine "$work/program/ostrun.exe" 2>/dev/null; sync; t1=$(now)
second=$(awk -v a="$t0" -v b="$t1" 'BEGIN{print b-a}')
bytes=$(du -sb "$work/tree" | cut -f1)
printf 'tree: %s files, %s bytes; archive step %s\n' "$files" "$bytes" "$([ "${ARCHIVE:-1}" = 1 ] && echo on || echo off)"
printf 'cp -a:                     %8.2f s\n' "$cp_time"
printf 'ostrun full run:           %8.2f s  (%.1f x cp -a)\n' "$full" "$(awk -v a="$full" -v b="$cp_time" 'BEGIN{print a/b}')"
printf 'ostrun second, Timestamp=1:%8.2f s  (%.1f x cp -a)\n' "$second" "$(awk -v a="$second" -v b="$cp_time" 'BEGIN{print a/b}')"
