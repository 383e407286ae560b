#!/bin/bash
# make-seeds.sh LHATOOL DEST: writes the seed corpora of the fuzz targets. DEST/decode: archives
# of every method and header level, made by our tool and (when installed) by jlha, each prefixed
# with the selector byte of lha_fuzz_decode, and raw streams cut out of them. DEST/roundtrip: short
# data for lha_fuzz_roundtrip, behind its selector byte.
set -euo pipefail
TOOL=${1:?usage: make-seeds.sh LHATOOL DEST}
DEST=${2:?usage: make-seeds.sh LHATOOL DEST}
mkdir -p "$DEST/decode" "$DEST/roundtrip"
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
mkdir -p "$WORK/in/sub"
printf 'hello hello hello hello\n' > "$WORK/in/a.txt"
head -c 3000 /dev/zero | tr '\0' 'x' > "$WORK/in/sub/b.txt"
( for i in $(seq 1 200); do echo "line $i of some text, line $((i % 7))"; done ) > "$WORK/in/c.txt"
head -c 700 /bin/sh > "$WORK/in/d.bin"
: > "$WORK/in/empty"
sel() { printf "\\x$(printf %02x "$1")"; }
n=0
for m in lh0 lh5 lh6 lh7; do
  for level in 0 1 2; do
    ( cd "$WORK/in" && "$TOOL" c -m $m -level $level "$WORK/o.lzh" a.txt sub c.txt d.bin empty )
    { sel 0; cat "$WORK/o.lzh"; } > "$DEST/decode/ours-$m-level$level"
    n=$((n + 1))
  done
done
if command -v jlha > /dev/null; then
  for o in 5 6 7; do
    for level in 0 1 2; do
      rm -f "$WORK/j.lzh"
      ( cd "$WORK/in" && jlha a${level}o${o}q "$WORK/j.lzh" a.txt sub/b.txt c.txt d.bin > /dev/null )
      { sel 0; cat "$WORK/j.lzh"; } > "$DEST/decode/jlha-lh$o-level$level"
    done
  done
fi
# Raw streams: the packed data of a single-entry level-0 archive begins after its header.
for m in 5 6 7; do
  ( cd "$WORK/in" && "$TOOL" c -m lh$m -level 0 "$WORK/s.lzh" c.txt )
  hs=$(( $(od -An -tu1 -N1 "$WORK/s.lzh") + 2 ))
  case $m in 5) s=1 ;; 6) s=2 ;; 7) s=3 ;; esac
  size=$(stat -c %s "$WORK/in/c.txt")
  { sel $((0x40 + s)); printf "\\x$(printf %02x $((size & 255)))\\x$(printf %02x $(((size >> 8) & 255)))"; tail -c +$((hs + 1)) "$WORK/s.lzh"; } > "$DEST/decode/stream-lh$m"
done
{ sel 0x80; cat "$WORK/in/a.txt"; } > "$DEST/roundtrip/pack-a"
{ sel 0x91; head -c 300 "$WORK/in/c.txt"; } > "$DEST/roundtrip/pack-c"
{ sel 0x82; head -c 200 "$WORK/in/d.bin"; } > "$DEST/roundtrip/pack-d"
echo "seeds: $(ls "$DEST/decode" | wc -l) in $DEST/decode, $(ls "$DEST/roundtrip" | wc -l) in $DEST/roundtrip"
