#!/usr/bin/env bash
# The main job: sets the machine up, builds the release zip a user downloads, unpacks it into a
# fresh folder and runs one unattended backup with the bundled example configuration from there
# under Wine, then shows what it made.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bash "$top/scripts/setup.sh"
. "$top/scripts/machine.sh"
arch=i686
if ! runs_32bit_programs; then
  # The i686 release cannot start here; the same release built for x86_64 shows the same run.
  echo "== this machine runs no 32-bit programs: the release is built and run for x86_64 instead =="
  arch=x86_64
  wine_64bit_only "$top/build/wine64-only"
fi
out=$top/build/dist; [ $arch = i686 ] || out=$top/build/dist-$arch
zip=$(PELMIRA_PACKAGE_ARCH=$arch bash "$top/scripts/package.sh" --out "$out" | tail -1)
build=$top/build/$arch
. "$top/scripts/wine-session.sh"
wine_session_start "$build"
trap wine_session_stop EXIT

# The download unpacked as a user unpacks it: the folder Pelmira is the program folder, and
# ostrun reads its configuration from beside itself.
work=$top/build/example
rm -rf "$work"; mkdir -p "$work"
unzip -q "$zip" -d "$work"
program=$work/Pelmira
echo "== the release: ${zip#"$top"/}, unpacked into ${program#"$top"/} =="
(cd "$program" && for f in *; do printf '  %-14s %9s bytes\n' "$f" "$(stat -c %s "$f")"; done)
. "$top/scripts/example-config.sh"
example_config "$program" "$work"

echo "== ostrun (configuration: examples/config) =="
set +e
wine "$program/ostrun.exe" 2>/dev/null  # Wine notes about the Z: volume are not ours
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

# The window program on the same configuration, on the test display (:99, or $PELMIRA_DISPLAY),
# in a Wine desktop of its own: photographed, then closed as a user closes it (it then writes its
# window state into ostra.ini). Nothing waits for a person; every wait is bounded.
echo "== ostra (the window program on the same configuration) =="
shot=$work/ostra-main-window.png
if . "$top/scripts/display.sh" && display_start; then
  (
    export DISPLAY=:$PELMIRA_DISPLAY WINEPREFIX=$build/wineprefix-display
    [ -f "$WINEPREFIX/system.reg" ] || wineboot -i >/dev/null 2>&1
    wineserver -k >/dev/null 2>&1 || true
    . "$top/scripts/wine-display-prefix.sh"
    wine_display_fonts
    wineserver -w
    wine explorer /desktop=ostra,400x420 "$program/ostra.exe" >/dev/null 2>&1 &
    desk=
    for _ in $(seq 300); do
      if xdotool search --onlyvisible --name '^Pelmira : 0.0.9.5$' >/dev/null 2>&1; then
        desk=$(xdotool search --onlyvisible --name '^ostra - Wine desktop$' 2>/dev/null | head -1)
        break
      fi
      sleep 0.1
    done
    if [ -n "$desk" ]; then
      sleep 1  # let it paint
      import -window "$desk" "$shot" && echo "screenshot of the main window: $shot"
    else
      echo "ostra's window did not appear" >&2
    fi
    # taskkill asks the program's windows to close (WM_CLOSE); it must run on their desktop.
    wine explorer /desktop=ostra,400x420 taskkill /im ostra.exe >/dev/null 2>&1 || true
    for _ in $(seq 100); do xdotool search --name '^Pelmira : 0.0.9.5$' >/dev/null 2>&1 || break; sleep 0.1; done
    wineserver -k >/dev/null 2>&1 || true
  )
else
  echo "no test display: ostra was not started" >&2
fi
exit $rc
