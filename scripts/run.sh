#!/bin/sh
# Installs what is missing, builds, and starts Kestrane.exe through Wine with the given arguments.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
build=${KESTRANE_BUILD_DIR:-$top/build}
"$top/scripts/install-deps.sh"
"$top/scripts/build.sh" >&2
export WINEPREFIX=${WINEPREFIX:-$build/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
[ -d "$WINEPREFIX" ] || sh "$top/cmake/wine-session.sh" start
exec wine "$build/bin/Kestrane.exe" "$@"
