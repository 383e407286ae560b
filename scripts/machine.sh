# Sourced by the scripts: what this machine can run.
# runs_32bit_programs: true when 32-bit Linux programs start here, which wine32 (and so every i686
# Windows program under Wine) needs. Some sandboxed kernels run only 64-bit programs: there the
# shipping i686 build is still built, and its programs are run through the x86_64 build instead.
runs_32bit_programs() {
  local loader=/lib/ld-linux.so.2
  [ -e "$loader" ] && "$loader" --version >/dev/null 2>&1
}

# wine_64bit_only DIR: Debian's `wine` starts the 32-bit loader whenever wine32 is installed, even
# for a 64-bit program; where that loader cannot start, a `wine` in DIR (put first on PATH) starts
# the 64-bit loader directly. The scripts and the tests' runner call `wine` by name.
wine_64bit_only() {
  mkdir -p "$1"
  local name
  for name in wine wine-stable; do  # wineboot and its kin start wine-stable
    printf '%s\n' '#!/bin/sh' 'export WINELOADER=/usr/lib/wine/wine64' 'exec /usr/lib/wine/wine64 "$@"' >"$1/$name"
    chmod +x "$1/$name"
  done
  export PATH="$1:$PATH"
}
