#!/usr/bin/env bash
# The dependency check on a small tree of its own: it names an include against the direction, lets
# the ones along it pass, and keeps the stand-ins to the handle wrappers.
#   check_deps_test.sh CHECK_SCRIPT
set -uo pipefail
CHECK=$1
root=$(mktemp -d "${TMPDIR:-/tmp}/check-deps.XXXXXX")
trap 'rm -rf "$root"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
mkdir -p "$root"/{base,archiver/backends,engine,runner,standins/lib/src}
touch "$root/base/Text.h" "$root/base/WinHandles.h" "$root/engine/Run.h" "$root/archiver/Arc.h"
printf '#include "Text.h"\n#include <windows.h>\n' > "$root/archiver/Arc.cpp"
printf '#include "Arc.h"\n#include "Text.h"\n' > "$root/engine/Run.cpp"
printf '#include "Run.h"\n' > "$root/runner/Main.cpp"
printf '#include "WinHandles.h"\n#include "Own.h"\n' > "$root/standins/lib/src/Lib.cpp"
touch "$root/standins/lib/src/Own.h"
out=$(bash "$CHECK" "$root" 2>&1) || fail "a tree along the direction was refused: $out"

printf '#include "Text.h"\n  #  include "Run.h"\n' > "$root/archiver/backends/Back.cpp"
printf '#include "Text.h"\n' >> "$root/standins/lib/src/Lib.cpp"
out=$(bash "$CHECK" "$root" 2>&1) && fail "includes against the direction passed"
grep -qF 'archiver/backends/Back.cpp:2: includes Run.h (engine, above archiver)' <<<"$out" || fail "no report of the back-end: $out"
grep -qF 'standins/lib/src/Lib.cpp:3: includes Text.h (base, in a stand-in library)' <<<"$out" || fail "no report of the stand-in: $out"
[ "$(grep -c includes <<<"$out")" = 2 ] || fail "more reported than was wrong: $out"
echo "ok"
