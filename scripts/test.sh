#!/bin/sh
# Installs what is missing, builds, and runs every test under Wine. Fails when a test fails.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
build=${KESTRANE_BUILD_DIR:-$top/build}
"$top/scripts/install-deps.sh" --tests
"$top/scripts/build.sh"
cd "$build"
ctest --output-on-failure -j"$(nproc)" "$@"
