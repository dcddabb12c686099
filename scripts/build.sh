#!/bin/sh
# Configures and builds Memopane with the MinGW-w64 cross compiler.
# The build folder is ./build, or $MEMOPANE_BUILD_DIR when set.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build="${MEMOPANE_BUILD_DIR:-$root/build}"
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE="${MEMOPANE_BUILD_TYPE:-Release}"
fi
cmake --build "$build" -j "$(nproc)"
