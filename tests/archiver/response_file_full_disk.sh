#!/usr/bin/env bash
# A response file whose write fails: the archiver tests run with the size of the files they write
# limited (a write past the limit fails, as on a full disk), so the response file is made but cannot
# be written whole.
#   response_file_full_disk.sh WINE_RUN ARCHIVER_TESTS_EXE
set -uo pipefail
WINE_RUN=$1 EXE=$2
# The prefix and its server first, without the limit: Wine's own files are larger.
"$WINE_RUN" "$EXE" --gtest_list_tests >/dev/null || exit 1
limit_kib=64
trap '' XFSZ  # a write past the limit fails instead of ending the process
ulimit -f $limit_kib
PELMIRA_FILE_SIZE_LIMIT=$((limit_kib * 1024)) "$WINE_RUN" "$EXE" \
  --gtest_filter=CmdOptTest.AResponseFileWhoseWriteFailsIsRemoved 2>&1 |
  tee /dev/stderr | grep -q '^\[  PASSED  \] 1 test'
