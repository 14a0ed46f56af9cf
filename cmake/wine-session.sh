#!/bin/sh
# Starts or stops the persistent Wine server the tests run under, and the private Xvfb
# display (DISPLAY, when set) that windows needing OpenGL draw on. Wine's desktop binds
# to the display at wineboot, so the X server comes first.
# The servers and wineboot must not inherit ctest's pipes, or ctest waits for them forever.
set -u
action=${1:-start}
: "${WINEPREFIX:?WINEPREFIX must name the project's own prefix}"
export WINEDEBUG=-all
# No Mono or Gecko installers: the tests need neither, and their prompts would stall a headless run.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
WINESERVER=${WINESERVER:-wineserver}
display=${DISPLAY:-}
number=${display#:}
xvfb_pid="$WINEPREFIX/xvfb.pid"

start_xvfb() {
  [ -n "$number" ] || return 0
  lock="/tmp/.X$number-lock"
  if [ -f "$lock" ] && kill -0 "$(tr -d ' ' <"$lock")" 2>/dev/null; then return 0; fi   # already served
  command -v Xvfb >/dev/null 2>&1 || { echo "Xvfb is missing; windows needing OpenGL will fail" >&2; return 0; }
  Xvfb ":$number" -screen 0 1280x1024x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
  echo $! >"$xvfb_pid"
  i=0
  while [ ! -S "/tmp/.X11-unix/X$number" ] && [ $i -lt 50 ]; do sleep 0.1; i=$((i + 1)); done
}

case "$action" in
  start)
    mkdir -p "$WINEPREFIX"
    start_xvfb
    # A server left from a run without the display would keep a desktop that has none.
    "$WINESERVER" -k </dev/null >/dev/null 2>&1
    "$WINESERVER" -p </dev/null >/dev/null 2>&1
    wine wineboot --init </dev/null >/dev/null 2>&1
    exit 0 ;;
  stop)
    "$WINESERVER" -k </dev/null >/dev/null 2>&1
    if [ -f "$xvfb_pid" ]; then
      kill "$(cat "$xvfb_pid")" 2>/dev/null
      rm -f "$xvfb_pid"
    fi
    exit 0 ;;
  *)
    echo "usage: $0 start|stop" >&2; exit 2 ;;
esac
