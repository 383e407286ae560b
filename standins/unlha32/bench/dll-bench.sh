#!/usr/bin/env bash
# Benchmark of UNLHA32.DLL under Wine (not a test): packs the shared corpus with each method
# through the main entry, extracts it again, and prints time, archive size and the peak memory
# of the Wine process, beside jlha (packing) and lhasa (extracting) for scale. Extraction is
# checked byte-exact.
# Usage: dll-bench.sh BUILD_DIR [CORPUS_DIR]   (the corpus is made by shared/bench/make-corpus.sh)
set -euo pipefail
build=$(cd "${1:?usage: dll-bench.sh BUILD_DIR [CORPUS_DIR]}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
corpus=${2:-/tmp/unlha32-bench-corpus}
if [ ! -f "$corpus/MANIFEST.sha256" ]; then
  bash "$here/../../../../shared/bench/make-corpus.sh" "$corpus" > /dev/null 2>&1 ||
    bash /work/shared/bench/make-corpus.sh "$corpus" > /dev/null
fi
work=$(mktemp -d /tmp/unlha32-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
win() { printf 'Z:%s' "${1//\//\\}"; }
dll=("$build/wine-run.sh" "$build/bin/unlha-run.exe")
# Seconds and peak resident kilobytes of one command.
measure() { /usr/bin/time -f '%e %M' -o "$work/t" "$@" > /dev/null 2>&1 || { echo "failed: $*" >&2; exit 1; }; cat "$work/t"; }

# One Wine process first, so that start-up costs are the same for every run.
"$build/wine-run.sh" cmd /c exit > /dev/null 2>&1 || true
total=$(du -sb "$corpus/text" "$corpus/bin" "$corpus/mixed" | awk '{s += $1} END {print s}')
printf 'corpus %s: %d bytes\n' "$corpus" "$total"
printf '%-6s %-16s %10s %10s %10s\n' method step seconds size_kB peak_MB
for m in 2 3 4; do
  name=lh$((m + 3))
  arc=$work/ours-$name.lzh
  read -r s kb < <(measure "${dll[@]}" "u -+ -a1 -n1 -x1 -r2 -jm$m -jso1  \"$(win "$arc")\" \"$(win "$corpus")\\\" \"text\" \"bin\" \"mixed\" ")
  printf '%-6s %-16s %10s %10d %10d\n' "$name" "DLL pack" "$s" $(( $(stat -c %s "$arc") / 1024 )) $((kb / 1024))
  theirs=$work/jlha-$name.lzh
  read -r s kb < <(cd "$corpus" && measure jlha "a2o$((m + 3))q" "$theirs" text bin mixed)
  printf '%-6s %-16s %10s %10d %10d\n' "$name" "jlha pack" "$s" $(( $(stat -c %s "$theirs") / 1024 )) $((kb / 1024))
  out=$work/out-$name
  read -r s kb < <(measure "${dll[@]}" "x -+ -n1 -jse1 -jso1  \"$(win "$arc")\" \"$(win "$out")\\\" ")
  printf '%-6s %-16s %10s %10s %10d\n' "$name" "DLL extract" "$s" - $((kb / 1024))
  for d in text bin mixed; do diff -r "$corpus/$d" "$out/$d" > /dev/null || { echo "DLL extraction differs in $d" >&2; exit 1; }; done
  mkdir -p "$work/lhasa-$name"
  read -r s kb < <(cd "$work/lhasa-$name" && measure lhasa xq "$arc")
  printf '%-6s %-16s %10s %10s %10d\n' "$name" "lhasa extract" "$s" - $((kb / 1024))
  rm -rf "$out" "$work/lhasa-$name" "$theirs"
done
