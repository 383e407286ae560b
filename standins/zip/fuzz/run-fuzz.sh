#!/bin/sh
# Builds the ZIP reader's fuzz target natively (clang, libFuzzer, ASan, UBSan) and runs it for
# the given number of seconds (default 60) from seeds made by Info-ZIP's zip.
#   standins/zip/fuzz/run-fuzz.sh [seconds]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../../.." && pwd)
build=${ZIP_FUZZ_BUILD:-$top/build/zip-fuzz}
seconds=${1:-60}
CXX=clang++ cmake -S "$here/.." -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target zip_fuzz -j"$(nproc)" >/dev/null
corpus=$build/corpus
mkdir -p "$corpus"
cp "$top"/tests/archiver/backends/fixtures/*.zip "$corpus"/ 2>/dev/null || true
cp "$here"/regressions/* "$corpus"/ 2>/dev/null || true
"$build/zip_fuzz" -max_total_time="$seconds" -max_len=4096 -timeout=10 "$corpus"
