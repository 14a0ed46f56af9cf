#!/bin/sh
# Builds and runs the resource-data benchmark under Wine: ResourceCrc and read throughput,
# texture decoding per format, and a full scan beside reading its files. Prints figures.
#   scripts/bench-resdata.sh [FOLDER] [MIB]
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
build=${KESTRANE_BUILD_DIR:-$top/build}
"$top/scripts/install-deps.sh"
"$top/scripts/build.sh" >/dev/null
export WINEPREFIX=${WINEPREFIX:-$build/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
[ -d "$WINEPREFIX" ] || sh "$top/cmake/wine-session.sh" start
exec wine "$build/bin/resdata_bench.exe" "$@"
