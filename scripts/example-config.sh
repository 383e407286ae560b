# Sourced by the main job and the package test: the bundled example configuration (examples/config,
# whose folders are placeholders) written into a program folder as the programs read it, Shift-JIS
# with CR LF, and the example data it backs up.
#   example_config PROGRAM_DIR WORK_DIR   makes WORK_DIR/data (a copy of examples/data), base, archives
example_config() {
  local top program=$1 work=$2 f
  top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
  mkdir -p "$work/base" "$work/archives"
  cp -r "$top/examples/data" "$work/data"
  for f in "$top/examples/config/"*.ini; do
    sed -e "s|@DATA@|$(example_zpath "$work/data")|g" -e "s|@BASE@|$(example_zpath "$work/base")|g" \
        -e "s|@ARC@|$(example_zpath "$work/archives")|g" "$f" | sed 's/$/\r/' |
      iconv -f UTF-8 -t CP932 >"$program/$(basename "$f")"
  done
}
# Z: is the root of the Unix file system under Wine; the result is escaped for sed.
example_zpath() { echo "Z:$1" | sed 's|/|\\\\|g'; }
