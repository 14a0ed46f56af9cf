#!/bin/sh
# Configures (first time) and builds Kestrane and its tests into build/.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
build=${KESTRANE_BUILD_DIR:-$top/build}
# Configure every time: folders join the build when their CMakeLists.txt appears, which
# an existing build tree would not notice on its own.
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$top" -B "$build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64-x86_64.cmake" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
else
  cmake "$build" >/dev/null
fi
cmake --build "$build" -- -j"$(nproc)"
