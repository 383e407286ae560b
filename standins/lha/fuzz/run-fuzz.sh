#!/bin/bash
# run-fuzz.sh BUILD_DIR [-runs N | -time SECONDS]
# Runs the lha_fuzz target of a clang build over a freshly made seed corpus. Default: a short,
# fixed number of runs (for CI). -time runs as long as asked. Crashes land in BUILD_DIR/fuzz-crashes.
set -euo pipefail
BUILD=${1:?usage: run-fuzz.sh BUILD_DIR [-runs N | -time SECONDS]}
HERE=$(cd "$(dirname "$0")" && pwd)
LIMIT=(-runs=20000)
if [ "${2:-}" = "-runs" ]; then LIMIT=(-runs="${3:?}"); fi
if [ "${2:-}" = "-time" ]; then LIMIT=(-max_total_time="${3:?}"); fi
SEEDS="$BUILD/fuzz-seeds"
CORPUS="$BUILD/fuzz-corpus"
CRASHES="$BUILD/fuzz-crashes"
rm -rf "$SEEDS"
bash "$HERE/make-seeds.sh" "$BUILD/lhatool" "$SEEDS"
mkdir -p "$CORPUS" "$CRASHES"
# Earlier findings are replayed first: every past crash stays a regression input.
if [ -d "$HERE/regressions" ] && ls "$HERE/regressions"/* > /dev/null 2>&1; then
  "$BUILD/lha_fuzz" "$HERE/regressions"/*
fi
"$BUILD/lha_fuzz" "${LIMIT[@]}" -max_len=65536 -timeout=20 -rss_limit_mb=1024 \
  -artifact_prefix="$CRASHES/" -print_final_stats=1 "$CORPUS" "$SEEDS"
