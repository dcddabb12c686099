#!/bin/sh
# Configures and builds Memopane with the MinGW-w64 cross compiler, through
# ccache when it is installed.
# Usage: build.sh [TARGET...]   (default: every target)
# MEMOPANE_ARCH chooses the Windows to build for: x86_64 (default, in
# ./build) or i686 (32-bit, in ./build-i686); MEMOPANE_ARCH=clang builds for
# 64-bit Windows with clang instead of GCC (in ./build-clang, with the
# compile commands the analysis reads). The build folder may also be given in
# $MEMOPANE_BUILD_DIR. MEMOPANE_WERROR=1 makes a warning in the product code
# fail the build (CI sets it; it is off for users, whose compilers may be
# newer than ours).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
arch="${MEMOPANE_ARCH:-x86_64}"
case "$arch" in
  x86_64) build="${MEMOPANE_BUILD_DIR:-$root/build}"; toolchain=mingw-w64-x86_64 ;;
  i686) build="${MEMOPANE_BUILD_DIR:-$root/build-i686}"; toolchain=mingw-w64-i686 ;;
  clang) build="${MEMOPANE_BUILD_DIR:-$root/build-clang}"; toolchain=clang-mingw-w64-x86_64 ;;
  *) echo "build: MEMOPANE_ARCH is x86_64, i686 or clang, not $arch" >&2; exit 2 ;;
esac
if [ ! -f "$build/CMakeCache.txt" ]; then
  launcher=""
  if command -v ccache >/dev/null 2>&1; then
    launcher="-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache"
  fi
  # shellcheck disable=SC2086
  cmake -S "$root" -B "$build" \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$toolchain.cmake" \
    -DCMAKE_BUILD_TYPE="${MEMOPANE_BUILD_TYPE:-Release}" -DCMAKE_EXPORT_COMPILE_COMMANDS=ON \
    -DMEMOPANE_WERROR="${MEMOPANE_WERROR:-0}" $launcher
fi
if [ $# -gt 0 ]; then
  cmake --build "$build" -j "$(nproc)" --target "$@"
else
  cmake --build "$build" -j "$(nproc)"
fi
