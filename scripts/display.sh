# Sourced by the scripts: makes sure an X server answers on the test display (the window tests use
# it): :99, or :$PELMIRA_DISPLAY where several builds on one machine test windows at the same time.
# A socket or lock file left behind by a server that is gone does not count: it is removed and a
# new server started. Returns nonzero when no server could be had within ten seconds.
export PELMIRA_DISPLAY=${PELMIRA_DISPLAY:-99}
display_live() { DISPLAY=:$PELMIRA_DISPLAY xdpyinfo >/dev/null 2>&1; }
display_start() {
  display_live && return 0
  command -v Xvfb >/dev/null || return 1
  rm -f /tmp/.X11-unix/X$PELMIRA_DISPLAY /tmp/.X$PELMIRA_DISPLAY-lock
  (setsid Xvfb :$PELMIRA_DISPLAY -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &)
  for _ in $(seq 100); do
    display_live && return 0
    sleep 0.1
  done
  echo "display :$PELMIRA_DISPLAY: no X server answers" >&2
  return 1
}
