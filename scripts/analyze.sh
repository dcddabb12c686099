#!/bin/sh
# Static analysis of the product code with clang-tidy, with the checks of
# .clang-tidy at the root, over the compile commands of the clang build
# (configured here when missing; nothing needs to be compiled). Exits non-zero
# on any finding. Usage: analyze.sh [FILE-REGEX]   (default: every product file)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build="${MEMOPANE_CLANG_BUILD_DIR:-$root/build-clang}"
if [ ! -f "$build/compile_commands.json" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/clang-mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >/dev/null
fi
tidy=$(command -v run-clang-tidy || command -v run-clang-tidy-14 || true)
[ -n "$tidy" ] || { echo "analyze: run-clang-tidy not found (scripts/setup.sh clang installs it)" >&2; exit 2; }
filter="${1:-$root/(app|store|frame|notes)/}"
log="$build/clang-tidy.log"
status=0
"$tidy" -p "$build" -j "$(nproc)" -quiet "$filter" >"$log" 2>&1 || status=$?
# Findings are printed once per translation unit that includes them.
findings=$(sed 's/\x1b\[[0-9;]*m//g' "$log" | grep -E '^[^ ]+:[0-9]+:[0-9]+: (warning|error):' | sort -u || true)
if [ -n "$findings" ] || [ "$status" -ne 0 ]; then
  echo "analyze: clang-tidy findings in the product code:" >&2
  [ -n "$findings" ] && printf '%s\n' "$findings" >&2
  [ -n "$findings" ] || tail -n 40 "$log" >&2
  exit 1
fi
echo "analyze: no findings in $(grep -c '"file"' "$build/compile_commands.json") compile commands' product files"
