#!/bin/bash
# run-fuzz.sh BUILD_DIR TARGET [-runs N | -time SECONDS]
# Runs the fuzz target lha_fuzz_TARGET (decode: header walk and decoders; roundtrip: encoder and
# decoder) of a clang build over a freshly made seed corpus. Default: a short, fixed number of runs
# (for CI); -time runs as long as asked. The target's regression inputs are replayed first. The
# corpus grows in BUILD_DIR/fuzz-corpus-TARGET, findings land in BUILD_DIR/fuzz-crashes-TARGET.
# FUZZ_RSS_MB (default 1024) is the memory limit of the run.
set -euo pipefail
BUILD=${1:?usage: run-fuzz.sh BUILD_DIR decode|roundtrip [-runs N | -time SECONDS]}
TARGET=${2:?usage: run-fuzz.sh BUILD_DIR decode|roundtrip [-runs N | -time SECONDS]}
BUILD=$(cd "$BUILD" && pwd)
case $TARGET in decode | roundtrip) ;; *) echo "run-fuzz.sh: unknown target $TARGET" >&2; exit 2 ;; esac
HERE=$(cd "$(dirname "$0")" && pwd)
LIMIT=(-runs=20000)
if [ "${3:-}" = "-runs" ]; then LIMIT=(-runs="${4:?}"); fi
if [ "${3:-}" = "-time" ]; then LIMIT=(-max_total_time="${4:?}"); fi
FUZZER="$BUILD/lha_fuzz_$TARGET"
SEEDS="$BUILD/fuzz-seeds"
CORPUS="$BUILD/fuzz-corpus-$TARGET"
CRASHES="$BUILD/fuzz-crashes-$TARGET"
rm -rf "$SEEDS"
bash "$HERE/make-seeds.sh" "$BUILD/lhatool" "$SEEDS"
mkdir -p "$CORPUS" "$CRASHES"
# Earlier findings are replayed first: every past crash stays a regression input.
REGRESSIONS="$HERE/regressions/$TARGET"
if ls "$REGRESSIONS"/* > /dev/null 2>&1; then
  "$FUZZER" "$REGRESSIONS"/*
fi
"$FUZZER" "${LIMIT[@]}" -max_len=65536 -timeout=20 -rss_limit_mb="${FUZZ_RSS_MB:-1024}" \
  -artifact_prefix="$CRASHES/" -print_final_stats=1 "$CORPUS" "$SEEDS/$TARGET"
