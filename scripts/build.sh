#!/bin/sh
# Configures and builds Memopane with the MinGW-w64 cross compiler, through
# ccache when it is installed.
# Usage: build.sh [TARGET...]   (default: every target)
# MEMOPANE_ARCH chooses the Windows to build for: x86_64 (default, in
# ./build) or i686 (32-bit, in ./build-i686). The build folder may also be
# given in $MEMOPANE_BUILD_DIR.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
arch="${MEMOPANE_ARCH:-x86_64}"
case "$arch" in
  x86_64) build="${MEMOPANE_BUILD_DIR:-$root/build}" ;;
  i686) build="${MEMOPANE_BUILD_DIR:-$root/build-i686}" ;;
  *) echo "build: MEMOPANE_ARCH is x86_64 or i686, not $arch" >&2; exit 2 ;;
esac
if [ ! -f "$build/CMakeCache.txt" ]; then
  launcher=""
  if command -v ccache >/dev/null 2>&1; then
    launcher="-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache"
  fi
  # shellcheck disable=SC2086
  cmake -S "$root" -B "$build" \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-$arch.cmake" \
    -DCMAKE_BUILD_TYPE="${MEMOPANE_BUILD_TYPE:-Release}" $launcher
fi
if [ $# -gt 0 ]; then
  cmake --build "$build" -j "$(nproc)" --target "$@"
else
  cmake --build "$build" -j "$(nproc)"
fi
