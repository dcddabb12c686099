#!/bin/sh
# Kills the program at random moments while it types into and saves its
# notes, for many more rounds than the test suite does, and checks every
# note and settings file after each kill.
# Usage: kill-soak.sh [ROUNDS] [SEED]   (defaults: 500 rounds, seed from the clock)
# The build folder is ./build, or $MEMOPANE_BUILD_DIR when set.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build="${MEMOPANE_BUILD_DIR:-$root/build}"
[ -f "$build/CMakeCache.txt" ] || "$root/scripts/build.sh"
cmake --build "$build" -j "$(nproc)" --target memopane app_e2e
MEMOPANE_KILL_ROUNDS="${1:-500}"
MEMOPANE_KILL_SEED="${2:-$(date +%s)}"
# About seven seconds a round; the limit only stops a hung run. Straight to
# the test program, not through ctest, whose per-test limit would end it.
MEMOPANE_TEST_TIMEOUT=$((MEMOPANE_KILL_ROUNDS * 30 + 300))
export MEMOPANE_KILL_ROUNDS MEMOPANE_KILL_SEED MEMOPANE_TEST_TIMEOUT
echo "kill-soak: $MEMOPANE_KILL_ROUNDS rounds, seed $MEMOPANE_KILL_SEED"
exec xvfb-run -a -s "-screen 0 1280x1024x24" "$root/scripts/wine-run.sh" "$build/wineprefix-kill" \
  "$build/bin/app_e2e.exe" --gtest_filter='KilledTest.*'
