#!/bin/bash
# bench.sh [BUILD_DIR]: compares our native encoder and decoder with jlha-utils (and the decoder
# with lhasa) on the shared benchmark corpus, per corpus part and method. Not a test: it prints
# figures. Times are whole-command wall times (best of $BENCH_REPEAT runs, default 3), so Java's
# start-up counts for jlha; peak memory is the maximum resident set of the command.
# BENCH_THREADS=1 packs on one thread (what a busy second core leaves), default: the library's.
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
LHA=$(cd "$HERE/.." && pwd)
REPO=$(cd "$LHA/../.." && pwd)
BUILD=${1:-$(dirname "$REPO")/build-lha-bench}
REPEAT=${BENCH_REPEAT:-3}
PARTS=${BENCH_PARTS:-text bin mixed}
METHODS=${BENCH_METHODS:-5 6 7}
THREADS=()
[ -n "${BENCH_THREADS:-}" ] && THREADS=(-threads "$BENCH_THREADS")
MAKE_CORPUS=${MAKE_CORPUS:-$(dirname "$REPO")/shared/bench/make-corpus.sh}
[ -f "$MAKE_CORPUS" ] || MAKE_CORPUS=/work/shared/bench/make-corpus.sh

cmake -S "$LHA" -B "$BUILD" -DCMAKE_BUILD_TYPE=Release > /dev/null
cmake --build "$BUILD" -j2 --target lhatool > /dev/null
TOOL="$BUILD/lhatool"
CORPUS="$BUILD/corpus"
OUT="$BUILD/bench-out"
bash "$MAKE_CORPUS" "$CORPUS"
rm -rf "$OUT"; mkdir -p "$OUT"

# best_of CMD...: runs the command REPEAT times in the corpus folder; sets SECS (best wall time),
# CPU (user + system seconds of that run) and KB (its peak resident set).
best_of() {
  SECS=""; KB=""; CPU=""
  for _ in $(seq 1 "$REPEAT"); do
    ( cd "$CORPUS" && /usr/bin/time -f "%e %M %U %S" -o "$OUT/time" "$@" > /dev/null 2> "$OUT/stderr" ) ||
      { echo "command failed: $*" >&2; cat "$OUT/stderr" >&2; exit 1; }
    read -r s k u y < <(tail -1 "$OUT/time")
    if [ -z "$SECS" ] || awk -v a="$s" -v b="$SECS" 'BEGIN{exit !(a<b)}'; then
      SECS=$s; KB=$k; CPU=$(awk -v u="$u" -v y="$y" 'BEGIN{printf "%.2f", u + y}')
    fi
  done
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN{ if (b == 0) print "n/a"; else printf "%.3f", a / b }'; }

printf '%-6s %-4s %11s %11s %6s | %6s %6s %6s %11s | %6s %6s %6s %6s %6s | %7s %7s\n' \
  part meth ours jlha size enc enc-j ratio cpu/cpu-j dec dec-j ratio dec-x ratio encMiB decMiB
for part in $PARTS; do
  for m in $METHODS; do
    ours="$OUT/ours-$part-lh$m.lzh"; theirs="$OUT/jlha-$part-lh$m.lzh"
    best_of "$TOOL" c -m "lh$m" "${THREADS[@]}" "$ours" "$part"; enc=$SECS; enc_kb=$KB; cpu=$CPU
    best_of bash -c "rm -f '$theirs' && jlha a2o${m}q '$theirs' $part"; enc_j=$SECS; cpu_j=$CPU
    # Decoding: each tool tests (decodes and checks) the same archive, ours.
    best_of "$TOOL" t "$ours"; dec=$SECS; dec_kb=$KB
    best_of jlha tq "$ours"; dec_j=$SECS
    best_of lhasa tq "$ours"; dec_x=$SECS
    so=$(stat -c %s "$ours"); st=$(stat -c %s "$theirs")
    printf '%-6s lh%-2s %11d %11d %6s | %6s %6s %6s %11s | %6s %6s %6s %6s %6s | %7.1f %7.1f\n' \
      "$part" "$m" "$so" "$st" "$(ratio "$so" "$st")" "$enc" "$enc_j" "$(ratio "$enc" "$enc_j")" "$cpu/$cpu_j" \
      "$dec" "$dec_j" "$(ratio "$dec" "$dec_j")" "$dec_x" "$(ratio "$dec" "$dec_x")" \
      "$(awk -v k="$enc_kb" 'BEGIN{print k/1024}')" "$(awk -v k="$dec_kb" 'BEGIN{print k/1024}')"
  done
done
echo "size = ours/jlha bytes; enc/dec = wall seconds (best of $REPEAT), ratio = ours/theirs;"
echo "cpu/cpu-j = user+system seconds of those runs (we parse on ${BENCH_THREADS:-two} thread(s), Java runs several);"
echo "dec-j = jlha t, dec-x = lhasa t, both on our archive; encMiB/decMiB = our peak memory."
