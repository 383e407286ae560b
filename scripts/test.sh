#!/usr/bin/env bash
# The test command: sets the machine up, builds both targets, runs every test suite.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bash "$top/scripts/setup.sh"
bash "$top/scripts/build.sh" x86_64          # the 64-bit build must build too
bash "$top/scripts/build.sh" i686

status=0
# The direction of the dependencies (base, archiver, engine, then the programs) holds.
bash "$top/scripts/check-deps.sh" || status=1
# The user's zone, where local time and UTC differ: every conversion between them is exercised
# (in UTC a missing or reversed one would pass unseen). Wine takes the zone from TZ.
export TZ=${PELMIRA_TEST_TZ:-Asia/Tokyo}
# Portable codec of the LHA stand-in, natively (tests, cross-checks, a short fuzz run).
if [ -f "$top/standins/lha/run-tests.sh" ]; then
  LHA_BUILD_DIR=$top/build/lha-native bash "$top/standins/lha/run-tests.sh" || status=1
fi

# A display for the tests that need one (they close their own boxes).
. "$top/scripts/display.sh"
display_start || status=1
# Windows tests under Wine: the shipping build, then the 64-bit one.
. "$top/scripts/wine-session.sh"
. "$top/scripts/machine.sh"
arches="i686 x86_64"
if ! runs_32bit_programs; then
  echo "######## this machine runs no 32-bit programs (wine32 cannot start): the i686 build was"
  echo "######## built warning-free above, its tests are NOT run here; the x86_64 tests run."
  arches="x86_64"
  wine_64bit_only "$top/build/wine64-only"
  # The release zip is still packaged twice and checked (all but the run of its ostrun.exe).
  echo "== the release zip (i686) =="
  rc=0; bash "$top/tests/scripts/package_test.sh" "$top/build/i686" || rc=$?
  [ $rc = 0 ] || [ $rc = 77 ] || status=1
fi
for arch in $arches; do
  build=$top/build/$arch
  echo "== tests, $arch =="
  wine_session_start "$build"
  # Tests that need the display get it themselves; no other test may open a window.
  env -u DISPLAY ctest --test-dir "$build" --timeout 180 --output-on-failure -j2 || status=1
  wine_session_stop
done
exit $status
