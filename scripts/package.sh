#!/usr/bin/env bash
# The release a user downloads: builds the shipping (i686) programs and writes
# build/dist/Pelmira-<version>.zip, one folder Pelmira\ with the two programs, the archiver
# libraries (stripped), the help and the Japanese read-me. Two runs on one commit give the same bytes.
#   scripts/package.sh [--no-build] [--out DIR]
#     PELMIRA_PACKAGE_ARCH=x86_64 packages the 64-bit build instead (a machine that runs no 32-bit
#     programs tries the release that way; the shipping zip is the i686 one)
#     --no-build  package the build folder as it stands (the package test, beside the other tests)
#     --out DIR   write the zip into DIR (default build/dist); the last line printed is its path
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
arch=${PELMIRA_PACKAGE_ARCH:-i686}
build=${PELMIRA_BUILD:-$top/build/$arch}
out=$top/build/dist
do_build=1
while [ $# -gt 0 ]; do
  case $1 in
    --no-build) do_build=0 ;;
    --out) out=${2:?--out needs a folder}; shift ;;
    *) echo "usage: scripts/package.sh [--no-build] [--out DIR]" >&2; exit 2 ;;
  esac
  shift
done
die() { echo "package: $*" >&2; exit 1; }

# The version is the one the main window's title shows; the zip is named after it.
version=$(sed -n 's/.*kMainCaption = "Pelmira : \([0-9][0-9.]*\)".*/\1/p' "$top/app/FormMain.h")
[ -n "$version" ] || die "no version in app/FormMain.h (kMainCaption \"Pelmira : x.y.z\")"
# The notice in the read-me must name the zlib the libraries are linked with.
zlib=$(sed -n 's/^#define ZLIB_VERSION "\(.*\)"/\1/p' /usr/i686-w64-mingw32/include/zlib.h 2>/dev/null)
grep -qF "contain zlib $zlib:" "$top/LICENSE" ||
  die "LICENSE does not name zlib ${zlib:-?}, the one UNZIP32.DLL, ZIP32J.DLL and TAR32.DLL are built with"
command -v chmcmd >/dev/null || die "chmcmd (package fp-utils) is needed for the help file"

# Every time in the zip (file entries, the programs' headers, the read-me's date) is the commit's.
# Outside a git checkout: 2026-01-01.
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git -C "$top" log -1 --format=%ct 2>/dev/null) || true
fi
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-1767225600}

if [ $do_build = 1 ]; then
  bash "$top/scripts/build.sh" "$arch" --target ostrun ostra unlha32 unzip32 zip32j tar32
fi
programs=(ostra.exe ostrun.exe UNLHA32.DLL UNZIP32.DLL ZIP32J.DLL TAR32.DLL)
for f in "${programs[@]}"; do
  [ -f "$build/bin/$f" ] || die "$build/bin/$f is not built (run scripts/package.sh without --no-build)"
done
grep -qaF "Pelmira : $version" "$build/bin/ostra.exe" ||
  die "$build/bin/ostra.exe is not version $version: the build is older than the sources"

mkdir -p "$out"
work=$(mktemp -d "$out/.package.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir "$work/Pelmira" "$work/help"
# strip stamps the current time into the PE header unless SOURCE_DATE_EPOCH names one.
for f in "${programs[@]}"; do
  "$arch-w64-mingw32-strip" --strip-all -o "$work/Pelmira/$f" "$build/bin/$f"
done

# The help, compiled here from its pages (UTF-8 in the sources, Shift-JIS in the file) so that its
# compile times can be cleared (chmcmd writes the time of day into it; package-zip.py clears it).
for f in "$top"/app/help/*; do
  case $f in
    */CMakeLists.txt) ;;
    *.html | *.hhc | *.hhk | *.hhp | *.css) iconv -f UTF-8 -t CP932 "$f" >"$work/help/$(basename "$f")" ;;
    *) cp "$f" "$work/help/" ;;
  esac
done
(cd "$work/help" && chmcmd Pelmira.hhp >chmcmd.log 2>&1) || die "chmcmd failed: $(tail -5 "$work/help/chmcmd.log")"
mv "$work/help/Pelmira.chm" "$work/Pelmira/"

# The read-me, the help's times and the zip. Debian's python3 where it is: one earlier on PATH may
# be a version manager's shim, which takes seconds to start.
python=$(command -v /usr/bin/python3 || command -v python3) || die "python3 is needed"
zip=$out/Pelmira-$version.zip
"$python" "$top/scripts/package-zip.py" "$top/dist/Readme.txt" "$top/LICENSE" "$version" \
  "$SOURCE_DATE_EPOCH" "$work/Pelmira" "$zip"
echo "$zip"
