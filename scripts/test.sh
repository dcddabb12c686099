#!/bin/sh
# Sets up, builds and runs every test of Memopane under Wine inside Xvfb.
# Extra arguments go to ctest (for example -R store).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh"
build="${MEMOPANE_BUILD_DIR:-$root/build}"
# Always a private X server: the tests open windows and answer message boxes,
# which must not land on the user's desktop.
exec xvfb-run -a -s "-screen 0 1280x1024x24" "$root/scripts/ctest-session.sh" "$build" "$@"
