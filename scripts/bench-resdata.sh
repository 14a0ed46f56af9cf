#!/bin/sh
# Builds and runs the resource-data benchmark under Wine over a generated fixture of about
# 200 MiB of resource sets: ResourceCrc beside reading the same bytes, drCreateTexture per
# format, and a full scan beside reading its files, from a warm and then from a cold file
# cache (each file's cached pages dropped with dd's nocache flag). Prints figures.
#   scripts/bench-resdata.sh [MIB]
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
build=${KESTRANE_BUILD_DIR:-$top/build}
mib=${1:-200}
"$top/scripts/install-deps.sh" --tests
"$top/scripts/build.sh" >/dev/null
# In the tests' Wine session, joined for the run: a ctest running meanwhile keeps its server.
. "$build/wine-tests.env"
sh "$top/cmake/wine-session.sh" start $$
fixture="$build/resdata-bench"
trap 'rm -rf "$fixture"; sh "$top/cmake/wine-session.sh" stop $$' EXIT
trap 'exit 130' HUP INT TERM

rm -rf "$fixture"
mkdir -p "$fixture"
bench() { wine "$build/bin/resdata_bench.exe" "$1" "Z:$(echo "$fixture" | tr / '\\')" "$mib" | tr -d '\r'; }
drop_cache() { for f in "$fixture"/*; do dd if="$f" iflag=nocache count=0 status=none; done; }

bench generate
bench warm
echo
drop_cache
read_line=$(bench read)
drop_cache
scan_line=$(bench scan)
echo "$read_line"
echo "$scan_line"
read_s=$(echo "$read_line" | sed -n 's/.* in \([0-9.]*\) s.*/\1/p')
scan_s=$(echo "$scan_line" | sed -n 's/.*: \([0-9.]*\) s$/\1/p')
awk -v r="$read_s" -v s="$scan_s" 'BEGIN { if (r > 0) printf "full scan, cold: %.2fx the time to read its files\n", s / r }'
bench remove
rm -rf "$fixture"
