#!/bin/sh
# CTest's emulator: runs one Windows program of the build under Wine.
# Usage: wine-run.sh PREFIX PROGRAM [ARGS...]
# Without a display the program runs inside its own Xvfb. A timeout ends a
# program that hangs (say, on a message box nobody answers).
set -eu
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-env.sh"
prefix="$1"; shift
wine_prepare "$prefix"
[ -n "${MEMOPANE_WINE_SESSION:-}" ] || wine_warm_up
limit="${MEMOPANE_TEST_TIMEOUT:-600}"
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" timeout -k 10 "$limit" "$WINE" "$@"
fi
exec timeout -k 10 "$limit" "$WINE" "$@"
