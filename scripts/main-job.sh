#!/usr/bin/env bash
# The main job: sets the machine up, builds the shipping (i686) programs, and runs one unattended
# backup with the bundled example configuration under Wine, then shows what it made.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bash "$top/scripts/setup.sh"
bash "$top/scripts/build.sh" i686 --target ostrun unlha32
build=$top/build/i686
. "$top/scripts/wine-session.sh"
wine_session_start "$build"
trap wine_session_stop EXIT

# A program folder of its own: ostrun reads its configuration from beside itself.
work=$top/build/example
rm -rf "$work"; mkdir -p "$work/program" "$work/base" "$work/archives"
# What a user's program folder holds: the runner and the archiver library beside it.
cp "$build/bin/ostrun.exe" "$build/bin/UNLHA32.DLL" "$work/program/"
cp -r "$top/examples/data" "$work/data"
# Z: is the root of the Unix file system under Wine; the result is escaped for sed.
zpath() { echo "Z:$1" | sed 's|/|\\\\|g'; }
# The example configuration names its folders with placeholders; fill them in for this machine.
for f in "$top/examples/config/"*.ini; do
  sed -e "s|@DATA@|$(zpath "$work/data")|g" -e "s|@BASE@|$(zpath "$work/base")|g" \
      -e "s|@ARC@|$(zpath "$work/archives")|g" "$f" | sed 's/$/\r/' | iconv -f UTF-8 -t CP932 > "$work/program/$(basename "$f")"
done

echo "== ostrun (configuration: examples/config) =="
set +e
wine "$work/program/ostrun.exe" 2>/dev/null  # Wine notes about the Z: volume are not ours
rc=$?
set -e
echo "exit status: $rc"
echo "== base folder after the run =="
(cd "$work/base" && find . -type f | sort | while read -r f; do printf '  %-40s %8s bytes\n' "$f" "$(stat -c %s "$f")"; done)
if compgen -G "$work/archives/*" >/dev/null; then
  echo "== archives =="
  # jlha shows the Shift-JIS names as they are (lhasa prints "?" for them) and each entry's method.
  for a in "$work/archives/"*; do
    echo "  $(basename "$a")"
    { LC_ALL=ja_JP.UTF-8 jlha v "$a" 2>/dev/null || lhasa l "$a" 2>/dev/null; } | sed 's/^/    /' || true
  done
fi
exit $rc
