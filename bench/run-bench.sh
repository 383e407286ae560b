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
#   copy floor   the copy step (ostrun, archive off) against copy-floor.exe: CopyFileA for each
#                file of a ready list and nothing else, the floor of any copy step under Wine
#   large file   a file of BENCH_LARGE_MB MiB (default 200) of the corpus kind (a text half from
#                /usr/include, a binary half from /usr/lib), lh5 through UNLHA32.DLL, against
#                jlha a2o5q and against the native codec (lhatool c) on the same file, the
#                three taking turns; both archive checkers test our archive
#   beside small a file of BENCH_HUGE_MB MiB (default 1024: the large file's halves repeated)
#                beside 100 small files, packed as one tree through UNLHA32.DLL against jlha
#                a2o5q (BENCH_HUGE_REPEAT runs each, default REPEAT)
# BENCH_ROWS picks rows (default all: full copy pack empty text decode floor large huge).
# BENCH_ARCH=x86_64 measures the 64-bit build (build/x86_64) instead of the shipping i686 one.
# Whole-process wall times (Wine start-up included for ours, Java's for jlha). The machine's load
# is printed: on a shared machine the figures vary with it, the ratios of turns taken in the same
# minutes much less.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
files=${1:-3000}
repeat=${REPEAT:-5}
arch=${BENCH_ARCH:-i686}
build=${BENCH_BUILD:-$top/build/$arch}
rows=" ${BENCH_ROWS:-full copy pack empty text decode floor large huge} "
want() { [[ $rows == *" $1 "* ]]; }
native=${BENCH_NATIVE:-$top/build/lha-bench}  # not lha-native: the tests configure that one with clang
if [ -z "${BENCH_BUILD:-}" ]; then
  bash "$top/scripts/build.sh" "$arch" --target ostrun unlha32 unlha-run empty-folder-bench copy-floor >/dev/null
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

echo "$arch build; tree: $files files, $(du -sb "$work/tree" | cut -f1) bytes; text file $(stat -c %s "$text") bytes;" \
  "median of $repeat; load before: $(cut -d' ' -f1-3 /proc/loadavg)"
ratio() { awk -v a="$1" -v b="$2" 'BEGIN{printf "%.3f", a/b}'; }
notes=()
echo "| what | ours | the usual tools | ratio |"
echo "|---|---|---|---|"

if want full; then
  ours=(); theirs=()
  settings 1
  for _ in $(seq "$repeat"); do
    clean_ours; ours+=("$(secs wine "$work/program/ostrun.exe")")
    [ -z "$(ls -A "$work/base")" ] && [ -n "$(ls -A "$work/arc")" ] || { echo "full run left no archive or a full base folder" >&2; exit 1; }
    clean_theirs; theirs+=("$(secs full_theirs)")
  done
  row "full run: copy, pack lh5, empty" "cp -a, jlha a2o5q, rm -rf"
fi

if want copy; then
  ours=(); theirs=()
  settings 0
  for _ in $(seq "$repeat"); do
    clean_ours; ours+=("$(secs wine "$work/program/ostrun.exe")")
    clean_theirs; theirs+=("$(secs cp -a "$work/tree" "$work/theirs/Tree")")
  done
  row "copy step only (archive off)" "cp -a"
fi

if want floor; then
  # The same files as a ready list; the floor program copies them into a folder of its own.
  (cd "$work/tree" && find . -type f | LC_ALL=C sort | sed 's|^\./||; s|/|\\|g') > "$work/floor.lst"
  ours=(); theirs=()
  settings 0
  for _ in $(seq "$repeat"); do
    clean_ours; ours+=("$(secs wine "$work/program/ostrun.exe")")
    [ "$(find "$work/base" -type f | wc -l)" = "$files" ] || { echo "the copy step left out files" >&2; exit 1; }
    rm -rf "$work/floor"
    theirs+=("$(secs wine "$build/bin/copy-floor.exe" "$(win "$work/floor.lst")" "$(win "$work/tree")" "$(win "$work/floor")")")
    [ "$(find "$work/floor" -type f | wc -l)" = "$files" ] || { echo "copy-floor left out files" >&2; exit 1; }
  done
  row "copy step only (archive off)" "copy-floor (CopyFileA list)"
fi

if want pack; then
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
  notes+=("archive sizes ours/jlha: tree $(ratio "$pack_size" "$pack_size_j") ($pack_size / $pack_size_j bytes)")
  notes+=("peak memory of the Wine process packing the tree: $((pack_kb / 1024)) MiB")
fi

if want empty; then
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
  rm -rf "$work/empty"
fi

if want text || want decode; then
  ours=(); theirs=()
  for _ in $(seq "$repeat"); do
    rm -f "$work/text.lzh" "$work/text-j.lzh"
    ours+=("$(secs bash -c "cd '$work' && '$native/lhatool' c -m lh5 text.lzh cxx12.txt")")
    theirs+=("$(secs bash -c "cd '$work' && jlha a2o5q text-j.lzh cxx12.txt")")
  done
  want text && row "one text file, lh5, native codec" "jlha a2o5q"
  text_size=$(stat -c %s "$work/text.lzh"); text_size_j=$(stat -c %s "$work/text-j.lzh")
  notes+=("archive sizes ours/jlha: text file $(ratio "$text_size" "$text_size_j") ($text_size / $text_size_j bytes)")
fi

if want decode; then
  ours=(); theirs=()
  for _ in $(seq "$repeat"); do
    ours+=("$(secs "$native/lhatool" t "$work/text.lzh")")
    theirs+=("$(secs lhasa tq "$work/text.lzh")")
  done
  row "decode the same archive, native codec" "lhasa t"
fi

# large_file DEST MIB: MIB MiB of the corpus kind, its text and binary halves alternating every
# 100 MiB (each half from its own sorted list of files, so the same packages give the same bytes).
large_file() {
  local dest=$1 mib=$2 half=$((100 << 20))
  [ -f "$work/text.half" ] || ( cd /usr/include && find . -type f -print0 | LC_ALL=C sort -z | xargs -0 cat ) 2>/dev/null |
    head -c "$half" > "$work/text.half" || true
  [ -f "$work/bin.half" ] || find /usr/lib/x86_64-linux-gnu /usr/lib /usr/bin -maxdepth 1 -type f -size +64k -print0 2>/dev/null |
    LC_ALL=C sort -z | xargs -0 cat 2>/dev/null | head -c "$half" > "$work/bin.half" || true
  rm -f "$dest"
  local left=$((mib << 20)) i=0 take
  while [ "$left" -gt 0 ]; do
    take=$((left < half ? left : half))
    if [ $((i % 2)) = 0 ]; then head -c "$take" "$work/text.half"; else head -c "$take" "$work/bin.half"; fi >> "$dest"
    left=$((left - take)); i=$((i + 1))
  done
}
# dll_pack ARCHIVE FOLDER NAME...: the pack command line of the library for names in a folder.
dll_line() {
  local arc=$1 dir=$2 names="" n; shift 2
  for n in "$@"; do names="$names \"$n\""; done
  echo "u -+ -a1 -n1 -x1 -r2 -jm2 -jso1  \"$(win "$arc")\" \"$(win "$dir")\\\"$names"
}
# cpu CMD...: user + system seconds of the command (the cores it kept busy, times its wall time).
cpu() { /usr/bin/time -f '%U %S' "$@" 2>&1 >/dev/null | tail -1 | awk '{printf "%.2f", $1 + $2}'; }

if want large; then
  mib=${BENCH_LARGE_MB:-200}
  mkdir -p "$work/large"; large_file "$work/large/large.bin" "$mib"
  line=$(dll_line "$work/arc/large.lzh" "$work/large" large.bin)
  ours=(); theirs=(); native_t=()
  for _ in $(seq "$repeat"); do
    clean_ours; ours+=("$(secs wine "$build/bin/unlha-run.exe" "$line")")
    clean_theirs; theirs+=("$(secs bash -c "cd '$work/large' && jlha a2o5q '$work/theirs/large.lzh' large.bin")")
    rm -f "$work/large-n.lzh"; native_t+=("$(secs bash -c "cd '$work/large' && '$native/lhatool' c -m lh5 '$work/large-n.lzh' large.bin")")
  done
  row "$mib MiB file, lh5, through UNLHA32.DLL" "jlha a2o5q"
  theirs=("${native_t[@]}")
  row "  the same, DLL against the native codec" "lhatool c (native codec)"
  lhasa tq "$work/arc/large.lzh" && jlha tq "$work/arc/large.lzh" >/dev/null || { echo "our large archive fails lhasa's or jlha's test" >&2; exit 1; }
  large_size=$(stat -c %s "$work/arc/large.lzh"); large_size_j=$(stat -c %s "$work/theirs/large.lzh")
  clean_ours
  large_kb=$( /usr/bin/time -f %M wine "$build/bin/unlha-run.exe" "$line" 2>&1 >/dev/null | tail -1)
  clean_ours; large_cpu=$(cpu wine "$build/bin/unlha-run.exe" "$line")
  clean_theirs; large_cpu_j=$(cpu bash -c "cd '$work/large' && jlha a2o5q '$work/theirs/large.lzh' large.bin")
  notes+=("$mib MiB file: archive ours/jlha $(ratio "$large_size" "$large_size_j") ($large_size / $large_size_j bytes); lhasa and jlha test it; peak memory of the Wine process $((large_kb / 1024)) MiB; CPU seconds ours $large_cpu, jlha $large_cpu_j")
  rm -rf "$work/large" "$work/large-n.lzh"; clean_ours; clean_theirs
fi

if want huge; then
  mib=${BENCH_HUGE_MB:-1024}
  mkdir -p "$work/huge"
  large_file "$work/huge/huge.bin" "$mib"
  # 100 small files beside it, as the tree's generator makes them.
  python3 - "$work/huge" <<'PY'
import os, random, sys
rnd = random.Random(11)
words = [("w%d" % i).encode() for i in range(500)]
for i in range(100):
    size = rnd.choice([200, 1500, 6000, 30000])
    data = b" ".join(rnd.choice(words) for _ in range(size // 4))[:size]
    open(os.path.join(sys.argv[1], "s%03d.txt" % i), "wb").write(data)
PY
  names=$(cd "$work/huge" && ls)
  # shellcheck disable=SC2086
  line=$(dll_line "$work/arc/huge.lzh" "$work/huge" $names)
  ours=(); theirs=()
  for _ in $(seq "${BENCH_HUGE_REPEAT:-$repeat}"); do
    clean_ours; ours+=("$(secs wine "$build/bin/unlha-run.exe" "$line")")
    clean_theirs; theirs+=("$(secs bash -c "cd '$work/huge' && jlha a2o5q '$work/theirs/huge.lzh' *")")
  done
  row "$mib MiB file beside 100 small, lh5, DLL" "jlha a2o5q"
  lhasa tq "$work/arc/huge.lzh" && jlha tq "$work/arc/huge.lzh" >/dev/null || { echo "our archive of the tree with the huge file fails lhasa's or jlha's test" >&2; exit 1; }
  notes+=("$mib MiB file beside 100 small: archive ours/jlha $(ratio "$(stat -c %s "$work/arc/huge.lzh")" "$(stat -c %s "$work/theirs/huge.lzh")")")
  rm -rf "$work/huge"; clean_ours; clean_theirs
fi

for n in "${notes[@]}"; do echo "$n"; done
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
