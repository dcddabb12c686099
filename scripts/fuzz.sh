#!/bin/sh
# Feeds the decoders of settings values, item id lists, page names and the
# readers of dragged data far more random input than the test suite does.
# Usage: fuzz.sh [SCALE] [SEED]   (defaults: 100 times CI's cases, seed from the clock)
# The build folder is ./build, or $MEMOPANE_BUILD_DIR when set.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build="${MEMOPANE_BUILD_DIR:-$root/build}"
[ -f "$build/CMakeCache.txt" ] || "$root/scripts/build.sh"
cmake --build "$build" -j "$(nproc)" --target store_tests
scale="${1:-100}"
MEMOPANE_FUZZ_SEED="${2:-$(date +%s)}"
MEMOPANE_FUZZ_CASES=$((300 * scale))
MEMOPANE_FUZZ_BLOCKS=$((5000000 * scale))
# CI's counts take seconds; the limit only stops a hung run.
MEMOPANE_TEST_TIMEOUT=$((scale * 120 + 300))
export MEMOPANE_FUZZ_SEED MEMOPANE_FUZZ_CASES MEMOPANE_FUZZ_BLOCKS MEMOPANE_TEST_TIMEOUT
echo "fuzz: seed $MEMOPANE_FUZZ_SEED, $MEMOPANE_FUZZ_CASES cases a decoder, $MEMOPANE_FUZZ_BLOCKS drag blocks"
exec xvfb-run -a -s "-screen 0 1280x1024x24" "$root/scripts/wine-run.sh" "$build/wineprefix-fuzz" \
  "$build/bin/store_tests.exe" --gtest_filter='HostileInputTest.*:ReadersFuzzTest.*'
