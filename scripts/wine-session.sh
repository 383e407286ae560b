# Sourced by the scripts: a prefix for the build folder $build, made once, with a persistent
# wineserver so that each Windows process starts in a fraction of a second.
wine_session_start() {
  export WINEPREFIX="$1/wineprefix" LC_ALL=ja_JP.UTF-8 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  [ -f "$WINEPREFIX/system.reg" ] || wineboot -i >/dev/null 2>&1
  if wineserver -p >/dev/null 2>&1; then
    wine cmd /c exit </dev/null >/dev/null 2>&1 || true
  fi
}
wine_session_stop() {
  wineserver -k >/dev/null 2>&1 || true
  local display_prefix="${WINEPREFIX%/wineprefix}/wineprefix-display"
  [ -d "$display_prefix" ] && WINEPREFIX=$display_prefix wineserver -k >/dev/null 2>&1 || true
}
