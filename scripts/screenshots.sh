#!/usr/bin/env bash
# Screenshots of every screen the programs show, as PNG files in build/screens/ (or $1):
#   ostrun-error-box.png     ostrun's error box when UNLHA32.DLL is missing
#   unlha32-progress.png     UNLHA32.DLL's progress dialog while it packs with -n0
#   ostra-files.png, ostra-folders.png, ostra-registry.png, ostra-settings.png, ostra-archives.png
#                            ostra's main window on each of its five tabs, at its smallest size, with
#                            the example configuration (examples/) and one archive made by ostrun
#   ostra-settings-hint.png  the settings tab with the hint of a check box shown
#   ostra-settings-keep-hint.png  the same with the hint of the number of archives to keep
#   ostra-folders-selected.png  the folder tab with a folder clicked: its settings in the group below
#   ostra-archives-menu.png  the archive tab with a row selected and its pop-up menu open below it
#   ostra-detail-run.png, ostra-detail-registry.png, ostra-detail-archive.png
#                            the detail window beside the main window: the log of a run started with
#                            Ctrl+B, the values of a registry key, the entries of an archive
#   ostra-detail-archive-menu.png  two of those entries selected and the list's pop-up menu open
#                            ("選択したファイルを展開...")
#   ostra-project-dialog.png the project dialog over the main window, two projects listed, a name typed
#   ostra-project-menu.png   the project menu after that name was saved: its items below the separator
#   ostra-restore-progress.png  "展開..." restoring a large archive: the progress window over the
#                            main window, with the entry being written, the bar and the cancel button
#   ostra-restore-cancelled.png the notice after that restore was cancelled
#   ostra-lastrun-notice.png the notice at start of an unattended run that did not finish cleanly
#   ostra-detail-lastrun.png the detail window on the settings tab: that run's record from ostrun.log
# Each screen is shown on the test X display (:99 unless PELMIRA_DISPLAY says) inside a Wine desktop of its own (so that Wine draws
# the window frames), photographed, then closed. Nothing waits for a person: every wait is bounded.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$top/build/screens}
bash "$top/scripts/setup.sh" >/dev/null
# The shipping build; where the kernel runs no 32-bit programs, the x86_64 one.
arch=${SCREENSHOTS_ARCH:-i686}
if [ "$arch" = i686 ] && ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
  echo "note: this machine runs no 32-bit programs; the x86_64 build is photographed"
  arch=x86_64
  . "$top/scripts/machine.sh"
  wine_64bit_only "$top/build/wine64-only"  # `wine` would start the 32-bit loader all the same
fi
bash "$top/scripts/build.sh" "$arch" --target ostrun ostra unlha32 unlha-run >/dev/null
build=$top/build/$arch
. "$top/scripts/display.sh"
display_start
export DISPLAY=:$PELMIRA_DISPLAY WINEPREFIX=$build/wineprefix-display LC_ALL=ja_JP.UTF-8 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
[ -f "$WINEPREFIX/system.reg" ] || wineboot -i >/dev/null 2>&1
wineserver -k >/dev/null 2>&1 || true  # no window of an earlier session may be taken for ours
. "$top/scripts/wine-display-prefix.sh"
wine_display_fonts
wineserver -w
work=$(mktemp -d "$top/build/screens-work.XXXXXX")
trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
mkdir -p "$out"
win() { echo "Z:$1" | tr / '\\'; }

# find_window NAME SECONDS: prints the id of the first visible window called NAME.
find_window() {
  local id
  for _ in $(seq $(($2 * 10))); do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1 || true)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  echo "screenshots: no window \"$1\" appeared" >&2
  return 1
}
# shoot DESKTOP FILE: photographs the Wine desktop named DESKTOP.
shoot() {
  local desk
  desk=$(find_window "$1 - Wine desktop" 10)
  sleep 0.5  # let the window paint
  import -window "$desk" "$out/$2"
  echo "  $out/$2"
}

echo "== screens =="
# ostrun without its archiver library: the error box.
mkdir -p "$work/prog" "$work/base" "$work/arc"
cp "$build/bin/ostrun.exe" "$work/prog/"
printf '[Option]\r\nBaseDir=%s\r\nArcDir=%s\r\nArchive=1\r\n' "$(win "$work/base")" "$(win "$work/arc")" \
  > "$work/prog/ostra.ini"
printf '%s\r\n' "$(win "$work/prog/ostra.ini")" > "$work/prog/backup.ini"
wine explorer /desktop=error,560x200 "$work/prog/ostrun.exe" >/dev/null 2>&1 &
run=$!
find_window "ｱﾌﾟﾘｹｰｼｮﾝ ｴﾗｰ" 30 >/dev/null
shoot error ostrun-error-box.png
# Press OK. Wine may have made the box's X window anew meanwhile: look it up at each try.
for _ in $(seq 50); do
  kill -0 "$run" 2>/dev/null || break
  box=$(xdotool search --onlyvisible --name "^ｱﾌﾟﾘｹｰｼｮﾝ ｴﾗｰ\$" 2>/dev/null | tail -1 || true)
  [ -n "$box" ] && xdotool key --window "$box" Return 2>/dev/null || true
  sleep 0.2
done
wait "$run" || true

# UNLHA32.DLL packing a large file with its progress dialog.
mkdir -p "$work/pack"
head -c 80000000 /dev/urandom > "$work/pack/large.bin"
cp "$build/bin/unlha-run.exe" "$build/bin/UNLHA32.DLL" "$work/"
wine explorer /desktop=progress,520x200 "$work/unlha-run.exe" \
  "a -n0 -jm2 $(win "$work/large.lzh") $(win "$work/pack/") large.bin" >/dev/null 2>&1 &
find_window "書庫を作成しています" 30 >/dev/null || true
shoot progress unlha32-progress.png
wait

# ostra on each tab. The example configuration in a program folder of its own, with one archive
# that ostrun makes from it, so that every tab has something to show.
prog=$work/ostra
mkdir -p "$prog" "$work/obase" "$work/oarc"
cp -r "$top/examples/data" "$work/odata"
cp "$build/bin/ostra.exe" "$build/bin/ostrun.exe" "$build/bin/UNLHA32.DLL" "$prog/"
zpath() { echo "Z:$1" | sed 's|/|\\\\|g'; }
example_config() {  # writes the example configuration with the page index $1
  for f in "$top/examples/config/"*.ini; do
    sed -e "s|@DATA@|$(zpath "$work/odata")|g" -e "s|@BASE@|$(zpath "$work/obase")|g" \
        -e "s|@ARC@|$(zpath "$work/oarc")|g" "$f" | sed 's/$/\r/' | iconv -f UTF-8 -t CP932 > "$prog/$(basename "$f")"
  done
  printf 'Index=%s\r\n' "$1" >> "$prog/ostra.ini"
  # The settings tab shows a number of archives to keep.
  if [ "$1" = 3 ]; then printf 'KeepArchives=3\r\n' >> "$prog/ostra.ini"; fi
}
example_config 3
wine "$prog/ostrun.exe" >/dev/null 2>&1 || true
# close_ostra DESKTOP: asks ostra to close as the user would (taskkill sends WM_CLOSE; it must run
# on the program's desktop), then waits for it.
close_ostra() {
  wine explorer /desktop=$1,400x420 taskkill /im ostra.exe >/dev/null 2>&1 || true
  # Its desktop goes too: the next one must not be photographed while this one still shows.
  for _ in $(seq 100); do
    xdotool search --name "^Pelmira : 0.0.9.5\$" >/dev/null 2>&1 ||
      xdotool search --name "^$1 - Wine desktop\$" >/dev/null 2>&1 || return 0
    sleep 0.1
  done
}
# Points in the desktop (ostra at its smallest size, top left): the first row of the folder list
# and of the archive list.
FOLDER_ROW="60 110"
ARCHIVE_ROW="60 125"
# Rows of the detail window's list, in its own coordinates (frame, header, rows of 17 pixels).
ENTRY_ROW1="60 52"
ENTRY_ROW3="60 86"
index=0
for tab in files folders registry settings archives; do
  example_config $index
  wine explorer /desktop=ostra$index,400x420 "$prog/ostra.exe" >/dev/null 2>&1 &
  find_window "Pelmira : 0.0.9.5" 30 >/dev/null
  shoot ostra$index ostra-$tab.png
  desk=$(find_window "ostra$index - Wine desktop" 10)
  if [ $tab = folders ]; then
    # A click on the first folder fills the settings group from its entry.
    xdotool mousemove --window "$desk" $FOLDER_ROW click 1
    sleep 0.5
    import -window "$desk" "$out/ostra-folders-selected.png"
    echo "  $out/ostra-folders-selected.png"
  fi
  if [ $tab = archives ]; then
    # The first archive selected, then its pop-up menu from the keyboard (Shift+F10: a right click
    # made by xdotool opens it only now and then on this desktop); a try that opened nothing (the
    # picture did not change) is made again.
    sleep 1
    xdotool mousemove --window "$desk" $ARCHIVE_ROW click 1
    sleep 0.5
    import -window "$desk" "$work/selected.png"
    for _ in 1 2 3 4 5; do
      xdotool key shift+F10
      sleep 0.8
      import -window "$desk" "$out/ostra-archives-menu.png"
      [ "$(compare -metric AE "$work/selected.png" "$out/ostra-archives-menu.png" null: 2>&1 || true)" != 0 ] && break
      xdotool key --window "$desk" Escape || true
      sleep 0.5
    done
    echo "  $out/ostra-archives-menu.png"
    xdotool key --window "$desk" Escape || true
  fi
  if [ $tab = settings ]; then
    # The pointer rests on the progress-dialog check box: its hint appears after 100 ms.
    xdotool mousemove --window "$desk" 60 290 sleep 0.3 mousemove --window "$desk" 62 291
    sleep 1
    import -window "$desk" "$out/ostra-settings-hint.png"
    echo "  $out/ostra-settings-hint.png"
    # The hint of the number of archives to keep, at the right of the same row.
    xdotool mousemove --window "$desk" 330 290 sleep 0.3 mousemove --window "$desk" 331 291
    sleep 1
    import -window "$desk" "$out/ostra-settings-keep-hint.png"
    echo "  $out/ostra-settings-keep-hint.png"
  fi
  close_ostra ostra$index
  index=$((index + 1))
done

# The detail window, open at start ([Key] Visible), beside the main window on a wider desktop.
wine reg add 'HKCU\Software\Pelmira' /v Name /t REG_SZ /d "例の値" /f >/dev/null 2>&1 || true
wine reg add 'HKCU\Software\Pelmira' /v Count /t REG_DWORD /d 10 /f >/dev/null 2>&1 || true
wine reg add 'HKCU\Software\Pelmira' /v Data /t REG_BINARY /d 0102 /f >/dev/null 2>&1 || true
for shot in run registry archive; do
  case $shot in run) index=3 ;; registry) index=2 ;; archive) index=4 ;; esac
  example_config $index
  printf '[Key]\r\nVisible=1\r\nWidth=300\r\nName=150\r\nData=120\r\n' >> "$prog/ostra.ini"
  wine explorer /desktop=detail$shot,700x420 "$prog/ostra.exe" >/dev/null 2>&1 &
  main=$(find_window "Pelmira : 0.0.9.5" 30)
  find_window "詳細情報" 30 >/dev/null
  desk=$(find_window "detail$shot - Wine desktop" 10)
  sleep 1
  case $shot in
    run)
      xdotool key --window "$main" ctrl+b
      sleep 8 ;;  # the registry editor's export and the archive step
    registry)
      # HKEY_CURRENT_USER clicked, then Software and Pelmira below it from the keyboard.
      xdotool mousemove --window "$desk" 120 136 click 1
      sleep 0.5
      xdotool key Right
      sleep 0.5
      xdotool type --delay 150 Software
      sleep 0.8
      xdotool key Right
      sleep 0.5
      xdotool type --delay 150 Pelmira
      sleep 1.5 ;;
    archive)
      sleep 1
      xdotool mousemove --window "$desk" $ARCHIVE_ROW click 1
      sleep 1 ;;
  esac
  import -window "$desk" "$out/ostra-detail-$shot.png"
  echo "  $out/ostra-detail-$shot.png"
  if [ $shot = archive ]; then
    # The first entry clicked, the third Ctrl+clicked, then the list's menu from the keyboard
    # (again when a try opened nothing, as for the archive tab's menu).
    detail=$(find_window "詳細情報" 10)
    xdotool mousemove --window "$detail" $ENTRY_ROW1 click 1
    sleep 0.3
    xdotool keydown ctrl mousemove --window "$detail" $ENTRY_ROW3 click 1 keyup ctrl
    sleep 0.5
    import -window "$desk" "$work/entries.png"
    for _ in 1 2 3 4 5; do
      xdotool key shift+F10
      sleep 0.8
      import -window "$desk" "$out/ostra-detail-archive-menu.png"
      [ "$(compare -metric AE "$work/entries.png" "$out/ostra-detail-archive-menu.png" null: 2>&1 || true)" != 0 ] && break
      xdotool key --window "$desk" Escape || true
      sleep 0.5
    done
    echo "  $out/ostra-detail-archive-menu.png"
    xdotool key --window "$desk" Escape || true
  fi
  close_ostra detail$shot
done
# An unattended run that did not finish cleanly (its archive folder is missing, so no archive was
# made): the next start of ostra tells of it once, over the main window, with the detail window
# open on the settings tab; then the detail window with that run's record.
nprog=$work/notice
mkdir -p "$nprog" "$work/nbase"
cp "$build/bin/ostra.exe" "$build/bin/ostrun.exe" "$build/bin/UNLHA32.DLL" "$nprog/"
for f in "$top/examples/config/"*.ini; do
  sed -e "s|@DATA@|$(zpath "$work/odata")|g" -e "s|@BASE@|$(zpath "$work/nbase")|g" \
      -e "s|@ARC@|$(zpath "$work/no-such-folder")|g" "$f" | sed 's/$/\r/' | iconv -f UTF-8 -t CP932 > "$nprog/$(basename "$f")"
done
wine "$nprog/ostrun.exe" >/dev/null 2>&1 || true
printf 'Index=3\r\n[Key]\r\nVisible=1\r\nWidth=420\r\nHeight=380\r\n' >> "$nprog/ostra.ini"
wine explorer /desktop=notice,820x440 "$nprog/ostra.exe" >/dev/null 2>&1 &
find_window "詳細情報" 30 >/dev/null
box=$(find_window "Pelmira" 30)
sleep 0.5
shoot notice ostra-lastrun-notice.png
xdotool key --window "$box" Return || true
sleep 1
shoot notice ostra-detail-lastrun.png
close_ostra notice

# Projects: two saved already; Ctrl+S opens the dialog, a name is typed and saved, then
# the project menu shows the three.
example_config 0
mkdir -p "$prog/Project"
for p in 自宅PC ノート; do cp "$(ls "$work/oarc/"*.lzh | head -1)" "$prog/Project/$p.lzh"; done
wine explorer /desktop=project,400x420 "$prog/ostra.exe" >/dev/null 2>&1 &
find_window "Pelmira : 0.0.9.5" 30 >/dev/null
desk=$(find_window "project - Wine desktop" 10)
xdotool mousemove --window "$desk" 200 12 click 1  # the caption: the window takes the keys
sleep 0.5
xdotool key ctrl+s
find_window "Ostra プロジェクト" 10 >/dev/null
sleep 0.5
xdotool type --delay 80 work
sleep 0.5
import -window "$desk" "$out/ostra-project-dialog.png"
echo "  $out/ostra-project-dialog.png"
xdotool mousemove --window "$desk" 226 153 click 1  # the save button
find_window "Ostra -work-" 10 >/dev/null
sleep 0.5
xdotool mousemove --window "$desk" 117 32 click 1  # the project menu
sleep 0.8
import -window "$desk" "$out/ostra-project-menu.png"
echo "  $out/ostra-project-menu.png"
xdotool key Escape
sleep 0.3
xdotool key Escape || true
close_ostra project

# A restore of a large archive (thousands of files: each costs Wine a few calls to its server):
# its progress window, then the notice of its cancel button.
python3 - "$work/big" <<'PY'
import os, random, sys
root = sys.argv[1]
rnd = random.Random(3)
words = [("w%d" % i).encode() for i in range(2000)]
for i in range(2000):
    d = os.path.join(root, "d%02d" % (i % 6))
    os.makedirs(d, exist_ok=True)
    data = b" ".join(rnd.choice(words) for _ in range(2000))
    open(os.path.join(d, "f%04d.txt" % i), "wb").write(data)
PY
wine "$work/unlha-run.exe" "a -n1 -r2 -x1 -jm2 $(win "$work/oarc/0000_big.lzh") $(win "$work/big/") d00 d01 d02 d03 d04 d05" \
  >/dev/null 2>&1
example_config 4
wine explorer /desktop=restore,400x420 "$prog/ostra.exe" >/dev/null 2>&1 &
find_window "Pelmira : 0.0.9.5" 30 >/dev/null
desk=$(find_window "restore - Wine desktop" 10)
sleep 1
xdotool mousemove --window "$desk" $ARCHIVE_ROW click 1  # the first row: 0000_big.lzh
sleep 0.5
xdotool key shift+F10
sleep 0.8
xdotool key --delay 200 Down Down Down Down Down  # "展開..."
sleep 0.5
xdotool key Return
sleep 2.5  # the folder dialog, and its tree opened at the initial folder
xdotool key Return  # the dialog starts at the archive's folder: restored beside it
find_window "展開しています" 30 >/dev/null
sleep 0.4
import -window "$desk" "$out/ostra-restore-progress.png"
echo "  $out/ostra-restore-progress.png"
progress=$(xdotool search --onlyvisible --name "^展開しています\$" 2>/dev/null | head -1 || true)
[ -n "$progress" ] && xdotool key --window "$progress" Return  # its cancel button has the focus
find_window "Pelmira" 20 >/dev/null || true
sleep 1
import -window "$desk" "$out/ostra-restore-cancelled.png"
echo "  $out/ostra-restore-cancelled.png"
xdotool key Return || true
sleep 0.5
close_ostra restore
wait
