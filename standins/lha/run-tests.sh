#!/bin/bash
# Configures, builds and runs the native tests of the LHA codec, then a short fuzz run.
# Exits nonzero on any failure. Build folder: $LHA_BUILD_DIR, else build-lha-native beside the
# repository. Extra: FUZZ_DECODE_RUNS (default 30000) and FUZZ_RUNS (default 3000) set the length
# of the fuzz runs of the decoders and of the round trip.
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
REPO=$(cd "$HERE/../.." && pwd)
BUILD=${LHA_BUILD_DIR:-$(dirname "$REPO")/build-lha-native}
command -v clang++ > /dev/null || { echo "run-tests.sh: clang++ is needed for the fuzz target" >&2; exit 1; }
for tool in lhasa jlha; do
  command -v $tool > /dev/null || { echo "run-tests.sh: reference tool $tool is missing (scripts/setup.sh installs it)" >&2; exit 1; }
done
mkdir -p "$BUILD"
CXX=clang++ cmake -S "$HERE" -B "$BUILD" -DCMAKE_BUILD_TYPE=Release > "$BUILD/configure.log" 2>&1 ||
  { cat "$BUILD/configure.log"; exit 1; }
cmake --build "$BUILD" -j2
ctest --test-dir "$BUILD" -j2 --timeout 300 --output-on-failure
bash "$HERE/fuzz/run-fuzz.sh" "$BUILD" decode -runs "${FUZZ_DECODE_RUNS:-30000}"
bash "$HERE/fuzz/run-fuzz.sh" "$BUILD" roundtrip -runs "${FUZZ_RUNS:-3000}"
echo "lha codec: all tests passed"
