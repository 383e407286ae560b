#!/bin/sh
# Builds the tar reader's fuzz target natively (clang, libFuzzer, ASan, UBSan) and runs it for
# the given number of seconds (default 60) from seeds made by GNU tar.
#   standins/tar/fuzz/run-fuzz.sh [seconds]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../../.." && pwd)
build=${TAR_FUZZ_BUILD:-$top/build/tar-fuzz}
seconds=${1:-60}
CXX=clang++ cmake -S "$here/.." -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target tar_fuzz -j"$(nproc)" >/dev/null
corpus=$build/corpus
mkdir -p "$corpus"
cp "$top"/tests/archiver/backends/fixtures/gnutar-* "$top"/tests/archiver/backends/fixtures/gzip-*.tgz \
  "$top"/tests/archiver/backends/fixtures/python-*.tar "$corpus"/
"$build/tar_fuzz" -max_total_time="$seconds" -max_len=12000 -timeout=10 "$corpus"
