#!/bin/sh
# Starts or stops the persistent Wine server the tests run under.
# The server and wineboot must not inherit ctest's pipes, or ctest waits for them forever.
set -u
action=${1:-start}
: "${WINEPREFIX:?WINEPREFIX must name the project's own prefix}"
export WINEDEBUG=-all
# No Mono or Gecko installers: the tests need neither, and their prompts would stall a headless run.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
WINESERVER=${WINESERVER:-wineserver}
case "$action" in
  start)
    mkdir -p "$WINEPREFIX"
    "$WINESERVER" -p </dev/null >/dev/null 2>&1
    wine wineboot --init </dev/null >/dev/null 2>&1
    exit 0 ;;
  stop)
    "$WINESERVER" -k </dev/null >/dev/null 2>&1
    exit 0 ;;
  *)
    echo "usage: $0 start|stop" >&2; exit 2 ;;
esac
