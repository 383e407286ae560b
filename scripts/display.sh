# Sourced by the scripts: makes sure an X server answers on display :99 (the window tests use it).
# A socket or lock file left behind by a server that is gone does not count: it is removed and a
# new server started. Returns nonzero when no server could be had within ten seconds.
display_live() { DISPLAY=:99 xdpyinfo >/dev/null 2>&1; }
display_start() {
  display_live && return 0
  command -v Xvfb >/dev/null || return 1
  rm -f /tmp/.X11-unix/X99 /tmp/.X99-lock
  (setsid Xvfb :99 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &)
  for _ in $(seq 100); do
    display_live && return 0
    sleep 0.1
  done
  echo "display :99: no X server answers" >&2
  return 1
}
