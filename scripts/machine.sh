# Sourced by the scripts: what this machine can run.
# runs_32bit_programs: true when 32-bit Linux programs start here, which wine32 (and so every i686
# Windows program under Wine) needs. Some sandboxed kernels run only 64-bit programs: there the
# shipping i686 build is still built, and its programs are run through the x86_64 build instead.
runs_32bit_programs() {
  local loader=/lib/ld-linux.so.2
  [ -e "$loader" ] && "$loader" --version >/dev/null 2>&1
}
