#!/bin/sh
# Installs what is missing, builds, and starts Kestrane.exe through Wine with the given
# arguments, in a Wine prefix of its own (build/wineprefix-run unless WINEPREFIX is set):
# the tests' session never touches it.
#   KESTRANE_RUN_EXE   another of the build's programs to start, e.g. KestraneTestBuild.exe
#   KESTRANE_NO_BUILD  when set, starts what is built without installing or building first
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
build=${KESTRANE_BUILD_DIR:-$top/build}
if [ -z "${KESTRANE_NO_BUILD:-}" ]; then
  "$top/scripts/install-deps.sh"
  "$top/scripts/build.sh" >&2
fi
export WINEPREFIX="${WINEPREFIX:-$build/wineprefix-run}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
# The server and Windows' services start here, away from this script's output: started
# by the program's own Wine they would hold a pipe reading it open after the program ends.
# This process, which becomes the program, is a member if it joins a session's server.
sh "$top/cmake/wine-session.sh" boot $$
exec wine "$build/bin/${KESTRANE_RUN_EXE:-Kestrane.exe}" "$@"
