#!/usr/bin/env bash
# Runs the progress-dialog test of the DLL tests on the test X display (started by the test
# script; :99 unless PELMIRA_DISPLAY names another), where the dialog really appears and its cancel button is pressed. Without that
# display the test is skipped (exit 77). The dialog never waits for anybody, so nothing here
# can hang; ctest's time limit covers the rest.
# Usage: dialog-on-display.sh WINE_RUN DLL_TESTS_EXE
set -uo pipefail
d=${PELMIRA_DISPLAY:-99}
if [ ! -S /tmp/.X11-unix/X$d ]; then
  echo "no X display :$d; skipped"
  exit 77
fi
out=$(DISPLAY=:$d "$1" "$2" --gtest_filter='CallbackTest.ProgressDialog*' 2>&1)
status=$?
echo "$out"
[ $status -eq 0 ] || exit 1
# On a display the window must have been made: a skip there is a failure.
if grep -q '^\[  SKIPPED \]' <<< "$out" || ! grep -q '^\[  PASSED  \] 1 test' <<< "$out"; then exit 1; fi
