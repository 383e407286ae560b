#!/usr/bin/env bash
# Cross-checks UNLHA32.DLL with the Linux LHA tools, used as black boxes:
#  1. archives the DLL makes (lh5, lh6, lh7; header level 2 and 1) are listed, tested and extracted
#     byte-exact by lhasa and by jlha-utils' lha (jlha);
#  2. archives jlha makes (each method, header levels 0, 1, 2) are listed and extracted byte-exact
#     by the DLL;
#  3. the hand-made hostile fixtures are archives lhasa accepts.
# The DLL runs under Wine through unlha-run.exe; the work folder lives on Z: (the Unix root).
# Usage: crosscheck.sh WINE_RUN UNLHA_RUN_EXE FIXTURES_DIR
set -euo pipefail
WINE_RUN=$1 RUNNER=$2 FIXTURES=$3
command -v lhasa >/dev/null && command -v jlha >/dev/null || { echo "lhasa and jlha are needed"; exit 1; }

work=$(mktemp -d /tmp/unlha32-cross.XXXXXX)
trap 'rm -rf "$work"' EXIT
win() { printf 'Z:%s' "${1//\//\\}"; }
fails=0
fail() { echo "FAIL: $*"; fails=$((fails + 1)); }
run() { "$WINE_RUN" "$RUNNER" "$@"; }

# The tree: text, noise, empty, one byte, a folder, and several MiB.
src=$work/src
mkdir -p "$src/sub/deep"
seq 1 40000 | sed 's/$/ lorem ipsum dolor sit amet/' > "$src/text.txt"
head -c 300000 /dev/urandom > "$src/noise.bin"
: > "$src/empty"
printf 'x' > "$src/one"
printf 'in a folder\n' > "$src/sub/b.txt"
awk 'BEGIN { for (i = 0; i < 9000; i++) print "repetition repetition" }' > "$src/sub/deep/rep.txt"
{ seq 1 300000; head -c 1000000 /dev/urandom; } > "$src/big.bin"
names=(text.txt noise.bin empty one 'sub\b.txt' 'sub\deep\rep.txt' big.bin)

quoted=""
for n in "${names[@]}"; do quoted+=" \"$n\""; done

# 1. Ours, read by theirs.
for m in 2 3 4; do
  for h in 2 1; do
    arc=$work/ours-jm$m-h$h.lzh
    out=$(run "u -+ -a1 -n1 -x1 -jm$m -h$h -jso1  \"$(win "$arc")\" \"$(win "$src")\\\"$quoted ") || {
      fail "DLL pack -jm$m -h$h: $out"; continue; }
    want="-lh$((m + 3))-"
    lhasa l "$arc" > /dev/null || fail "lhasa lists ours-jm$m-h$h"
    lhasa v "$arc" | grep -q -- "$want .*text.txt" || fail "lhasa sees $want for text.txt in ours-jm$m-h$h"
    lhasa t "$arc" > /dev/null || fail "lhasa tests ours-jm$m-h$h"
    # jlha exits 0 even on a fatal error and reports trouble only in its output (a CRC error, a
    # "SEVERE" decoder exception): every file must be "Tested" and nothing else said.
    status=0; tested=$(jlha t "$arc" 2>&1) || status=$?
    if [ "$status" -ne 0 ] || grep -qiE 'error|crc|severe|exception|fatal' <<< "$tested" ||
       [ "$(grep -c -- '- Tested' <<< "$tested")" -ne "${#names[@]}" ]; then
      fail "jlha tests ours-jm$m-h$h (status $status): $tested"
    fi
    for tool in lhasa jlha; do
      dest=$work/x-$tool-jm$m-h$h
      mkdir -p "$dest"
      (cd "$dest" && $tool x "$arc" > /dev/null 2>&1) || fail "$tool extracts ours-jm$m-h$h"
      diff -r "$src" "$dest" > /dev/null || fail "$tool extraction of ours-jm$m-h$h differs"
    done
  done
done

# 2. Theirs, read by ours.
for o in 5 6 7; do
  for level in 0 1 2; do
    arc=$work/jlha-lh$o-level$level.lzh
    (cd "$src" && jlha "a${level}o$o" "$arc" text.txt noise.bin empty one sub/b.txt sub/deep/rep.txt big.bin > /dev/null 2>&1) ||
      { fail "jlha packs lh$o level $level"; continue; }
    lhasa v "$arc" | grep -q -- "-lh$o- .*text.txt" || fail "jlha wrote lh$o for level $level"
    listing=$(run --list "$(win "$arc")" | tr -d '\r') || fail "DLL lists jlha-lh$o-level$level"
    grep -q "^-lh$o- $(stat -c %s "$src/text.txt") text.txt$" <<< "$listing" || fail "DLL listing of jlha-lh$o-level$level: $listing"
    grep -q "sub\\\\deep\\\\rep.txt$" <<< "$listing" || fail "DLL sees the folders of jlha-lh$o-level$level"
    dest=$work/ours-from-jlha-lh$o-level$level
    out=$(run "x -+ -n1 -jse1 -jso1  \"$(win "$arc")\" \"$(win "$dest")\\\" ") || fail "DLL extracts jlha-lh$o-level$level: $out"
    diff -r "$src" "$dest" > /dev/null || fail "DLL extraction of jlha-lh$o-level$level differs"
    out=$(run "t -+ -jso1  \"$(win "$arc")\" ") || fail "DLL tests jlha-lh$o-level$level: $out"
  done
done

# 3. Japanese names whose characters end in 0x5C ("表", "ソ", "能"). Under Wine the Unix names
#    (UTF-8) are Shift-JIS; jlha's y option converts between the two, lhasa keeps the bytes.
jp=$work/jp
mkdir -p "$jp/src/表/ソ能" && printf 'sjis\n' > "$jp/src/表/ソ能/予定表.txt" && printf 'top\n' > "$jp/src/ソ.txt"
out=$(run "u -+ -n1 -x1 -jm2 -jso1  \"$(win "$jp/ours.lzh")\" \"$(win "$jp/src")\\\" \"表\\ソ能\\予定表.txt\" \"ソ.txt\" ") ||
  fail "DLL packs Japanese names: $out"
mkdir -p "$jp/by-jlha" "$jp/by-lhasa"
(cd "$jp/by-jlha" && jlha xy "$jp/ours.lzh" > /dev/null 2>&1) || fail "jlha extracts Japanese names"
diff -r "$jp/src" "$jp/by-jlha" > /dev/null || fail "jlha extraction of Japanese names differs"
(cd "$jp/by-lhasa" && lhasa x "$jp/ours.lzh" > /dev/null 2>&1) || fail "lhasa extracts Japanese names"
lhasa_names=$(cd "$jp/by-lhasa" && find . -type f | iconv -f CP932 -t UTF-8 | sort)
src_names=$(cd "$jp/src" && find . -type f | sort)
[ "$lhasa_names" = "$src_names" ] || fail "lhasa sees other folders: $lhasa_names"
(cd "$jp/src" && jlha a2y "$jp/theirs.lzh" 表/ソ能/予定表.txt ソ.txt > /dev/null 2>&1) || fail "jlha packs Japanese names"
out=$(run "x -+ -n1 -jse1 -jso1  \"$(win "$jp/theirs.lzh")\" \"$(win "$jp/by-dll")\\\" ") ||
  fail "DLL extracts jlha's Japanese names: $out"
diff -r "$jp/src" "$jp/by-dll" > /dev/null || fail "DLL extraction of jlha's Japanese names differs"

# 4. The hostile fixtures are well-formed archives.
for f in "$FIXTURES"/handmade-*.lzh "$FIXTURES"/jlha-*.lzh; do
  lhasa t "$f" > /dev/null 2>&1 || fail "lhasa tests $(basename "$f")"
done

if [ "$fails" -gt 0 ]; then echo "$fails cross-check(s) failed"; exit 1; fi
echo "all cross-checks passed"
