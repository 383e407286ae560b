#!/usr/bin/env bash
# Benchmark (not a test): a whole run and its steps against the usual tools on the same tree, in
# one run, each measured REPEAT times (default 5) with ours and theirs taking turns; prints the
# median wall time of each and the ratio ours/theirs per row.
#   bench/run-bench.sh [FILES]     (FILES: files in the generated tree, default 3000)
# To measure another version (an older checkout, say), BENCH_BUILD names its i686 build folder
# and BENCH_NATIVE its native codec build folder; they are used as they are. A build without
# empty-folder-bench.exe leaves out the emptying rows. BENCH_WORK names the work folder (default
# build/bench-run); one in memory (/dev/shm/...) shows the figures without the disk's writes.
# Rows:
#   full run     ostrun: copy into the base folder, pack lh5, empty the base folder (own walk)
#                against cp -a, jlha a2o5q and rm -rf
#   copy step    ostrun with the archive step off, against cp -a
#   pack         UNLHA32.DLL through unlha-run.exe, against jlha a2o5q, on the tree
#   emptying     DeleteBaseFolder (empty-folder-bench.exe) against rm -rf; the shell's delete
#                for scale
#   1 text file  lh5, the native codec (lhatool c) against jlha, on the corpus text file
#   decode       the native codec (lhatool t) against lhasa t, on our archive of that file
# Whole-process wall times (Wine start-up included for ours, Java's for jlha). The machine's load is printed: on a shared machine the figures vary with it.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
files=${1:-3000}
repeat=${REPEAT:-5}
build=${BENCH_BUILD:-$top/build/i686}
native=${BENCH_NATIVE:-$top/build/lha-bench}  # not lha-native: the tests configure that one with clang
if [ -z "${BENCH_BUILD:-}" ]; then
  bash "$top/scripts/build.sh" i686 --target ostrun unlha32 unlha-run empty-folder-bench >/dev/null
fi
if [ -z "${BENCH_NATIVE:-}" ]; then
  cmake -S "$top/standins/lha" -B "$native" -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$native" -j"$(nproc)" --target lhatool >/dev/null
fi
. "$top/scripts/wine-session.sh"
wine_session_start "$build"
trap wine_session_stop EXIT

work=${BENCH_WORK:-$top/build/bench-run}
rm -rf "$work"; mkdir -p "$work/program" "$work/base" "$work/arc" "$work/tree" "$work/theirs"
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
# The text file of the codec's corpus (the C++ library headers in one stream).
text=$work/cxx12.txt
( cd /usr/include/c++/12 && find . -type f -print0 | LC_ALL=C sort -z | xargs -0 cat ) > "$text"

win() { echo "Z:$1" | tr / '\\'; }
settings() {  # settings ARCHIVE: ostra.ini for a run from an empty base folder
  printf '[Option]\r\nBaseDir=%s\r\nArcDir=%s\r\nTimestamp=0\r\nArchive=%s\r\nlha=0\r\nDeleteFiles=1\r\nDelUseRecycleBin=0\r\n' \
    "$(win "$work/base")" "$(win "$work/arc")" "$1" > "$work/program/ostra.ini"
}
printf '%s,Tree,*.*,1\r\n' "$(win "$work/tree")" > "$work/program/backfol.ini"

# secs CMD...: wall seconds of the command. The disk is synced before, not after: a sync
# flushes what every process on the machine wrote, which on a shared machine is mostly noise.
secs() {
  local a b
  sync; a=$(date +%s.%N); "$@" >/dev/null 2>&1; b=$(date +%s.%N)
  awk -v a="$a" -v b="$b" 'BEGIN{printf "%.3f", b - a}'
}
median() { printf '%s\n' "$@" | sort -g | awk '{v[NR]=$1} END{print (NR % 2) ? v[(NR+1)/2] : (v[NR/2]+v[NR/2+1])/2}'; }
row() {  # row NAME THEIRS-NAME OURS... -- THEIRS...
  local name=$1 tname=$2 o t
  o=$(median "${ours[@]}"); t=$(median "${theirs[@]}")
  printf '| %-40s | %7.2f s | %7.2f s: %-28s | %5.2f |\n' "$name" "$o" "$t" "$tname" \
    "$(awk -v a="$o" -v b="$t" 'BEGIN{print a/b}')"
}
clean_ours() { rm -rf "$work/base" "$work/arc"; mkdir -p "$work/base" "$work/arc"; }
clean_theirs() { rm -rf "$work/theirs"; mkdir -p "$work/theirs"; }
full_theirs() {
  cp -a "$work/tree" "$work/theirs/Tree" && (cd "$work/theirs" && jlha a2o5q "$work/theirs/run.lzh" Tree) &&
    rm -rf "$work/theirs/Tree"
}

echo "tree: $files files, $(du -sb "$work/tree" | cut -f1) bytes; text file $(stat -c %s "$text") bytes;" \
  "median of $repeat; load before: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "| what | ours | the usual tools | ratio |"
echo "|---|---|---|---|"

ours=(); theirs=()
settings 1
for _ in $(seq "$repeat"); do
  clean_ours; ours+=("$(secs wine "$work/program/ostrun.exe")")
  [ -z "$(ls -A "$work/base")" ] && [ -n "$(ls -A "$work/arc")" ] || { echo "full run left no archive or a full base folder" >&2; exit 1; }
  clean_theirs; theirs+=("$(secs full_theirs)")
done
row "full run: copy, pack lh5, empty" "cp -a, jlha a2o5q, rm -rf"

ours=(); theirs=()
settings 0
for _ in $(seq "$repeat"); do
  clean_ours; ours+=("$(secs wine "$work/program/ostrun.exe")")
  clean_theirs; theirs+=("$(secs cp -a "$work/tree" "$work/theirs/Tree")")
done
row "copy step only (archive off)" "cp -a"

ours=(); theirs=()
dirs=$(cd "$work/tree" && for d in */; do printf '"%s" ' "${d%/}"; done)
line="u -+ -a1 -n1 -x1 -r2 -jm2 -jso1  \"$(win "$work/arc/pack.lzh")\" \"$(win "$work/tree")\\\" $dirs"
for _ in $(seq "$repeat"); do
  clean_ours; ours+=("$(secs wine "$build/bin/unlha-run.exe" "$line")")
  clean_theirs; theirs+=("$(secs bash -c "cd '$work/tree' && jlha a2o5q '$work/theirs/pack.lzh' d*")")
done
row "pack only, through UNLHA32.DLL" "jlha a2o5q"
pack_size=$(stat -c %s "$work/arc/pack.lzh"); pack_size_j=$(stat -c %s "$work/theirs/pack.lzh")
lhasa tq "$work/arc/pack.lzh" && jlha tq "$work/arc/pack.lzh" >/dev/null || { echo "our archive fails lhasa's or jlha's test" >&2; exit 1; }
pack_kb=$( /usr/bin/time -f %M wine "$build/bin/unlha-run.exe" "$line" 2>&1 >/dev/null | tail -1)

ours=(); theirs=(); shell=()
[ -f "$build/bin/empty-folder-bench.exe" ] || repeat_empty=0
for _ in $(seq "${repeat_empty:-$repeat}"); do
  rm -rf "$work/empty"; cp -a "$work/tree" "$work/empty"; sync
  ours+=("$(secs wine "$build/bin/empty-folder-bench.exe" "$(win "$work/empty")")")
  [ -d "$work/empty" ] && [ -z "$(ls -A "$work/empty")" ] || { echo "emptying left files" >&2; exit 1; }
  rm -rf "$work/empty"; cp -a "$work/tree" "$work/empty"; sync
  theirs+=("$(secs rm -rf "$work/empty")")
  cp -a "$work/tree" "$work/empty"; sync
  shell+=("$(secs wine "$build/bin/empty-folder-bench.exe" "$(win "$work/empty")" shell)")
done
if [ "${repeat_empty:-1}" != 0 ]; then
  row "emptying the base folder (own walk)" "rm -rf"
  ours=("${shell[@]}")
  row "  the shell's delete, for scale" "rm -rf"
fi

ours=(); theirs=()
for _ in $(seq "$repeat"); do
  rm -f "$work/text.lzh" "$work/text-j.lzh"
  ours+=("$(secs bash -c "cd '$work' && '$native/lhatool' c -m lh5 text.lzh cxx12.txt")")
  theirs+=("$(secs bash -c "cd '$work' && jlha a2o5q text-j.lzh cxx12.txt")")
done
row "one text file, lh5, native codec" "jlha a2o5q"
text_size=$(stat -c %s "$work/text.lzh"); text_size_j=$(stat -c %s "$work/text-j.lzh")

ours=(); theirs=()
for _ in $(seq "$repeat"); do
  ours+=("$(secs "$native/lhatool" t "$work/text.lzh")")
  theirs+=("$(secs lhasa tq "$work/text.lzh")")
done
row "decode the same archive, native codec" "lhasa t"

ratio() { awk -v a="$1" -v b="$2" 'BEGIN{printf "%.3f", a/b}'; }
echo "archive sizes ours/jlha: tree $(ratio "$pack_size" "$pack_size_j") ($pack_size / $pack_size_j bytes)," \
  "text file $(ratio "$text_size" "$text_size_j") ($text_size / $text_size_j bytes)"
echo "peak memory of the Wine process packing the tree: $((pack_kb / 1024)) MiB; load after: $(cut -d' ' -f1-3 /proc/loadavg)"
