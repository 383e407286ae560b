#!/usr/bin/env bash
# Configures and builds the Windows programs for one target (i686, the shipping build, by default).
#   scripts/build.sh [i686|x86_64] [extra cmake --build args]
set -euo pipefail
arch=${1:-i686}; shift || true
top=$(cd "$(dirname "$0")/.." && pwd)
build=${PELMIRA_BUILD:-$top/build/$arch}
# A configure that failed (say, before the compilers were installed) leaves a cache and no
# Makefile: start that one again from nothing.
if [ -f "$build/CMakeCache.txt" ] && [ ! -f "$build/Makefile" ]; then
  rm -rf "$build/CMakeCache.txt" "$build/CMakeFiles"
fi
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$top" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/toolchain-$arch.cmake" -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build" -j"$(nproc)" "$@"
