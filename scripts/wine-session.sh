# Sourced by the scripts: a prefix for the build folder $build, made once, with a persistent
# wineserver so that each Windows process starts in a fraction of a second. Takes the same lock as
# the build's wine-run.sh, which does the same for tests that start first.
wine_session_start() {
  export WINEPREFIX="$1/wineprefix" LC_ALL=ja_JP.UTF-8 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  mkdir -p "$1"
  flock -o "$WINEPREFIX.lock" bash -c '
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
      wineboot -i </dev/null >/dev/null 2>&1
      wineserver -w   # wineboot'"'"'s server lingers and would refuse the persistent one
    fi
    if wineserver -p >/dev/null 2>&1; then
      wine cmd /c exit </dev/null >/dev/null 2>&1 || true
    fi'
}
wine_session_stop() {
  wineserver -k >/dev/null 2>&1 || true
  local display_prefix="${WINEPREFIX%/wineprefix}/wineprefix-display"
  [ -d "$display_prefix" ] && WINEPREFIX=$display_prefix wineserver -k >/dev/null 2>&1 || true
}
