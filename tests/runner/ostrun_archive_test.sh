#!/usr/bin/env bash
# End-to-end runs of ostrun.exe under Wine on configurations in temporary program folders; the
# archives it makes are checked with lhasa, an LHA tool of its own.
#   ostrun_archive_test.sh WINE_RUN BIN_DIR SCENARIO
set -uo pipefail
WINE_RUN=$1 BIN=$2 SCENARIO=$3
root=$(mktemp -d "${TMPDIR:-/tmp}/ostrun-e2e.XXXXXX")
trap 'rm -rf "$root"' EXIT
fail() { echo "FAIL ($SCENARIO): $*" >&2; exit 1; }

prog=$root/program base=$root/base arc=$root/arc data=$root/data
mkdir -p "$prog" "$base" "$arc" "$data/docs/sub" "$data/mail"
cp "$BIN/ostrun.exe" "$prog/"
cp "$BIN/UNLHA32.DLL" "$prog/"
printf 'memo\r\n' > "$data/memo.txt"
printf 'doc one\r\n' > "$data/docs/one.txt"
printf 'deep\r\n' > "$data/docs/sub/deep.txt"
printf 'skip\r\n' > "$data/docs/sub/skip.doc"
head -c 200000 /dev/urandom > "$data/mail/inbox.bin"
for i in $(seq 1 400); do printf 'line %d of a letter that packs well\r\n' "$i"; done > "$data/mail/letter.txt"
win() { echo "Z:$1" | tr / '\\'; }

# write_config KEY=VALUE...  (ostra.ini in CP932 with CR LF, plus the three lists)
write_config() {
  { echo "[Option]"; for kv in "$@"; do echo "$kv"; done; } | sed 's/$/\r/' > "$prog/ostra.ini"
  printf '%s\r\n' "$(win "$data/memo.txt")" > "$prog/backup.ini"
  printf '%s\r\n%s\r\n' "$(win "$data/docs"),Docs,*.txt,1" "$(win "$data/mail"),Mail,*.*,0" > "$prog/backfol.ini"
}
# Without a display an error box returns at once instead of waiting for a person. It starts in
# its program folder, as a shortcut or a scheduler may start it: a relative folder would be found.
run_ostrun() { (cd "$prog" && env -u DISPLAY "$WINE_RUN" "$prog/ostrun.exe" </dev/null >/dev/null 2>&1); echo $?; }
base_files() { (cd "$base" && find . -type f | sed 's|^\./||' | LC_ALL=C sort); }
only_archive_in() {
  local n; n=$(ls "$1" | wc -l)
  [ "$n" = 1 ] || fail "expected one archive in $1, found $n: $(ls "$1")"
  echo "$1/$(ls "$1")"
}
only_archive() { only_archive_in "$arc"; }
# Names and methods of an archive, from lhasa's verbose listing: "method name" per entry.
listing() {
  lhasa v "$1" | awk '$1 ~ /^\[|^[-d][-r]/ { for (i = 1; i <= NF; i++) if ($i ~ /^-lh.-$/) { print $i, $NF } }' | LC_ALL=C sort -k2
}
expect_archive_of_base() {  # archive method
  local a=$1 m=$2 got want
  lhasa t "$a" >/dev/null 2>&1 || fail "lhasa finds the archive corrupt"
  got=$(listing "$a" | awk '{print $2}' | LC_ALL=C sort)
  want=$(base_files)
  [ "$got" = "$want" ] || fail "archive lists
$got
but the base folder holds
$want"
  if listing "$a" | awk -v m="$m" '$1 != m && $1 != "-lh0-" { bad = 1 } END { exit !bad }'; then
    fail "entries not packed with $m: $(listing "$a")"
  fi
  listing "$a" | grep -q -- "$m" || fail "no entry packed with $m"
}

B="BaseDir=$(win "$base")" A="ArcDir=$(win "$arc")"
case $SCENARIO in
  short-lh5)
    key='HKEY_CURRENT_USER\Software\PelmiraE2E'
    trap '"$WINE_RUN" reg delete "$key" /f >/dev/null 2>&1; rm -rf "$root"' EXIT
    "$WINE_RUN" reg add "$key\\Sub" /v Name /d Value /f >/dev/null 2>&1 || fail "cannot make the test key"
    write_config "$B" "$A" Archive=1 lha=0
    printf '%s\r\n' "$key" > "$prog/backreg.ini"
    [ "$(run_ostrun)" = 0 ] || fail "exit status"
    a=$(only_archive)
    [[ $(basename "$a") =~ ^[0-9]{4}_[0-9]{4}_[0-9]{4}\.lzh$ ]] || fail "short name: $(basename "$a")"
    [ -f "$base/backup/memo.txt" ] && [ -f "$base/Docs/sub/deep.txt" ] && [ -f "$base/Mail/inbox.bin" ] || fail "copies missing"
    [ -e "$base/Docs/sub/skip.doc" ] && fail "filter not applied"
    [ -s "$base/backreg/PelmiraE2E_current.reg" ] || fail "registry key not exported"
    iconv -f UTF-16LE -t UTF-8 "$base/backreg/PelmiraE2E_current.reg" | grep -q 'PelmiraE2E\\Sub' || fail "export lacks the subkey"
    expect_archive_of_base "$a" -lh5- ;;
  method-5-is-lh5) write_config "$B" "$A" Archive=1 lha=5; [ "$(run_ostrun)" = 0 ] || fail "exit"; expect_archive_of_base "$(only_archive)" -lh5- ;;
  lh6) write_config "$B" "$A" Archive=1 lha=1; [ "$(run_ostrun)" = 0 ] || fail "exit"; expect_archive_of_base "$(only_archive)" -lh6- ;;
  lh7) write_config "$B" "$A" Archive=1 lha=2; [ "$(run_ostrun)" = 0 ] || fail "exit"; expect_archive_of_base "$(only_archive)" -lh7- ;;
  long-name)
    write_config "$B" "$A" Archive=1 ArcName=2
    [ "$(run_ostrun)" = 0 ] || fail "exit status"
    a=$(only_archive)
    name=$(basename "$a")  # Wine keeps Unix file names in UTF-8
    [[ $name =~ ^[0-9]{4}年[0-9]{2}月[0-9]{2}日[0-9]{2}時[0-9]{2}分\.lzh$ ]] || fail "long name: $name" ;;
  delete-after-archive)
    write_config "$B" "$A" Archive=1 DeleteFiles=1 DelUseRecycleBin=0
    [ "$(run_ostrun)" = 0 ] || fail "exit status"
    a=$(only_archive)
    [ -d "$base" ] || fail "base folder not made again"
    [ -z "$(ls -A "$base")" ] || fail "base folder not emptied: $(ls -A "$base")"
    n=$(listing "$a" | wc -l)
    [ "$n" = 5 ] || fail "archive should hold the 5 copies, lists $n" ;;
  delete-needs-archive-option)
    write_config "$B" "$A" Archive=0 DeleteFiles=1 DelUseRecycleBin=0
    [ "$(run_ostrun)" = 0 ] || fail "exit status"
    [ -f "$base/backup/memo.txt" ] || fail "base folder emptied without an archive" ;;
  failed-archive-keeps-base)
    # Folders under the archive names of the next minutes: the library cannot write the archive.
    for m in 0 1 2; do mkdir -p "$arc/$(date -d "+$m min" +%Y_%m%d_%H%M).lzh"; done
    write_config "$B" "$A" Archive=1 DeleteFiles=1 DelUseRecycleBin=0
    [ "$(run_ostrun)" = 2 ] || fail "exit status should be 2: files were there, no archive came about"
    [ -f "$base/backup/memo.txt" ] && [ -f "$base/Mail/inbox.bin" ] || fail "base folder emptied without an archive"
    [ -z "$(find "$arc" -type f)" ] || fail "something was written: $(find "$arc" -type f)" ;;
  damaged-archive-keeps-base)
    # A library that damages what it packs: the archive lists every file, but does not read back.
    cp "$BIN/UNLHA32.DLL" "$prog/UNLHA32R.DLL"
    cp "$BIN/damaging/UNLHA32.DLL" "$prog/UNLHA32.DLL"
    write_config "$B" "$A" Archive=1 DeleteFiles=1 DelUseRecycleBin=0
    [ "$(run_ostrun)" = 2 ] || fail "exit status should be 2: the archive does not read back"
    a=$(only_archive)
    lhasa t "$a" >/dev/null 2>&1 && fail "the test library left the archive whole"
    [ -f "$base/backup/memo.txt" ] && [ -f "$base/Mail/inbox.bin" ] && [ -f "$base/Docs/sub/deep.txt" ] ||
      fail "base folder emptied after an archive that does not read back" ;;
  originals-inside-base)
    # The registered file and folders lie inside the base folder: emptying would delete them.
    base=$data B="BaseDir=$(win "$data")"
    write_config "$B" "$A" Archive=1 DeleteFiles=1 DelUseRecycleBin=0
    [ "$(run_ostrun)" = 2 ] || fail "exit status should be 2: the base folder was not emptied"
    [ -f "$data/memo.txt" ] && [ -f "$data/docs/sub/deep.txt" ] || fail "originals deleted"
    only_archive >/dev/null ;;
  program-inside-base)
    base=$root B="BaseDir=$(win "$root")"
    write_config "$B" "ArcDir=$(win "$root/../$(basename "$root")-arc")" Archive=1 DeleteFiles=1 DelUseRecycleBin=0
    mkdir -p "$root-arc"; trap 'rm -rf "$root" "$root-arc"' EXIT
    [ "$(run_ostrun)" = 2 ] || fail "exit status should be 2: the base folder was not emptied"
    [ -f "$prog/ostrun.exe" ] && [ -f "$prog/ostra.ini" ] || fail "the program folder was emptied"
    [ "$(ls "$root-arc" | wc -l)" = 1 ] || fail "no archive" ;;
  arcdir-inside-base-spelled)
    # The archive folder inside the base folder, written with "/" and "..": still refused.
    mkdir -p "$base/arc"
    write_config "$B" "ArcDir=$(win "$base")\\..\\$(basename "$base")/arc" Archive=1 DeleteFiles=1 DelUseRecycleBin=0
    [ "$(run_ostrun)" = 2 ] || fail "exit status should be 2: no archive"
    [ -f "$base/backup/memo.txt" ] || fail "copies not made, or deleted"
    [ -z "$(ls -A "$base/arc")" ] || fail "an archive was made inside the base folder" ;;
  relative-arcdir)
    mkdir -p "$prog/arc"
    write_config "$B" "ArcDir=arc" Archive=1 DeleteFiles=1 DelUseRecycleBin=0
    [ "$(run_ostrun)" = 2 ] || fail "exit status should be 2: no archive"
    [ -f "$base/backup/memo.txt" ] || fail "copies not made, or deleted"
    [ -z "$(ls -A "$prog/arc")" ] || fail "a relative archive folder was used" ;;
  arcdir-inside-registered-folder)
    # The archives are kept inside a folder that is backed up with its subfolders.
    mkdir -p "$data/docs/arc"; A="ArcDir=$(win "$data/docs/arc")"
    write_config "$B" "$A" Archive=1 DeleteFiles=1 DelUseRecycleBin=0
    printf '%s\r\n' "$(win "$data/docs"),Docs,*.*,1" > "$prog/backfol.ini"
    [ "$(run_ostrun)" = 0 ] || fail "exit status of the first run"
    first=$(only_archive_in "$data/docs/arc")
    mv "$first" "$data/docs/arc/2000_0101_0000.lzh"  # as if made by a run long ago
    [ "$(run_ostrun)" = 0 ] || fail "exit status of the second run"
    second=$(ls "$data/docs/arc" | grep -v '^2000_0101_0000.lzh$')
    [ "$(echo "$second" | wc -w)" = 1 ] || fail "expected one new archive, found: $second"
    lhasa l "$data/docs/arc/$second" | grep -q '\.lzh' && fail "the second archive holds the first: $(lhasa l "$data/docs/arc/$second")"
    lhasa l "$data/docs/arc/$second" | grep -q 'one\.txt' || fail "the second archive lacks the folder's files" ;;
  missing-arcdir)
    write_config "$B" "ArcDir=$(win "$root/none")" Archive=1 DeleteFiles=1 DelUseRecycleBin=0
    [ "$(run_ostrun)" = 2 ] || fail "exit status should be 2: no archive"
    [ -f "$base/Mail/inbox.bin" ] || fail "copies not made"
    [ -e "$root/none" ] && fail "archive folder created" ;;
  arcdir-inside-base)
    mkdir -p "$base/arc"
    write_config "$B" "ArcDir=$(win "$base/arc")" Archive=1 DeleteFiles=1 DelUseRecycleBin=0
    [ "$(run_ostrun)" = 2 ] || fail "exit status should be 2: no archive"
    [ -f "$base/backup/memo.txt" ] || fail "copies not made, or deleted"
    [ -z "$(ls -A "$base/arc")" ] || fail "an archive was made inside the base folder" ;;
  empty-basedir)
    write_config "BaseDir=" "$A" Archive=1
    [ "$(run_ostrun)" = 0 ] || fail "exit status"
    [ -z "$(ls -A "$arc")" ] || fail "something was archived" ;;
  no-ini)
    rm -f "$prog/ostra.ini"
    [ "$(run_ostrun)" = 0 ] || fail "exit status"
    [ -z "$(ls -A "$base")" ] || fail "something was copied" ;;
  relative-basedir)
    write_config "BaseDir=base" "$A" Archive=1
    mkdir -p "$prog/base"
    [ "$(run_ostrun)" = 2 ] || fail "exit status should be 2: nothing was done"
    [ -z "$(ls -A "$prog/base")" ] || fail "a relative base folder was used" ;;
  forward-slashes)
    # Settings and lists written with "/": taken as "\", as Windows takes them.
    write_config "BaseDir=$(win "$base" | tr '\\' /)" "ArcDir=$(win "$arc" | tr '\\' /)/" Archive=1
    printf '%s\r\n' "$(win "$data/memo.txt" | tr '\\' /)" > "$prog/backup.ini"
    printf '%s\r\n%s\r\n' "$(win "$data/docs" | tr '\\' /),Docs,*.txt,1" "$(win "$data/mail" | tr '\\' /)/,Mail,*.*,0" > "$prog/backfol.ini"
    [ "$(run_ostrun)" = 0 ] || fail "exit status"
    [ -f "$base/backup/memo.txt" ] && [ -f "$base/Docs/sub/deep.txt" ] || fail "copies missing"
    expect_archive_of_base "$(only_archive)" -lh5- ;;
  disk-full)
    # The base folder on a volume that fills up during the run (a tmpfs, which needs root): the
    # copy that does not fit is left out, the run says so, and no archive holds it cut.
    mount -t tmpfs -o size=1m pelmira-e2e "$base" 2>/dev/null || { echo "SKIP: cannot mount a small volume (needs root)"; exit 77; }
    trap 'umount "$base"; rm -rf "$root"' EXIT
    head -c 3000000 /dev/zero > "$data/mail/huge.bin"
    write_config "$B" "$A" Archive=1 DeleteFiles=1 DelUseRecycleBin=0
    [ "$(run_ostrun)" = 2 ] || fail "exit status should be 2: a copy did not fit"
    [ -e "$base/Mail/huge.bin" ] && fail "a cut copy carries the final name"
    ls -A "$base/Mail" | grep -q pelmira && fail "a cut copy was left: $(ls -A "$base/Mail")"
    a=$(only_archive)
    lhasa l "$a" | grep -q 'huge' && fail "the archive holds the copy that did not fit: $(lhasa l "$a")"
    lhasa t "$a" >/dev/null 2>&1 || fail "lhasa finds the archive corrupt"
    tail -1 "$prog/ostrun.log" | iconv -f CP932 -t UTF-8 | grep -q '終了コード=2' || fail "the run record lacks its status: $(tail -1 "$prog/ostrun.log" | iconv -f CP932 -t UTF-8)" ;;
  missing-dll)
    rm -f "$prog/UNLHA32.DLL"
    write_config "$B" "$A" Archive=1 DeleteFiles=1 DelUseRecycleBin=0
    [ "$(run_ostrun)" = 1 ] || fail "exit status should be 1"
    [ -f "$base/backup/memo.txt" ] || fail "copies missing or deleted" ;;
  *) fail "unknown scenario" ;;
esac
echo "ok: $SCENARIO"
