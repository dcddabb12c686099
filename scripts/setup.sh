#!/bin/sh
# Installs what building and testing Memopane needs on Debian or Ubuntu:
# the MinGW-w64 cross compilers for 64- and 32-bit Windows (posix thread
# model), Wine, Xvfb, Japanese fonts (VL Gothic stands in for the Windows
# ones), CMake, GoogleTest's sources, ImageMagick, xdotool (the tests
# drive the real pointer with it), and Syncthing with curl and jq for the
# check under a real sync engine (scripts/sync-test.sh). Safe to run again.
# "setup.sh clang" also installs clang and clang-tidy, for the second
# compiler's build and the static analysis (scripts/analyze.sh).
set -eu

packages="g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686
  wine64 xvfb xauth fonts-ipafont-gothic fonts-vlgothic cmake make googletest imagemagick locales
  xdotool syncthing curl jq"
if [ "${1:-}" = clang ]; then
  packages="$packages clang clang-tidy"
fi

missing=""
for p in $packages; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done

sudo_cmd=""
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null 2>&1 || { echo "setup: run as root or install sudo" >&2; exit 1; }
  sudo_cmd="sudo"
fi

if [ -n "$missing" ]; then
  echo "setup: installing$missing"
  $sudo_cmd env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  # shellcheck disable=SC2086
  $sudo_cmd env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $missing
fi

# Wine takes its ANSI code page from the locale; Memopane's texts are CP932.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  echo "setup: generating the ja_JP.UTF-8 locale"
  if [ -f /etc/locale.gen ]; then
    $sudo_cmd sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' | $sudo_cmd tee -a /etc/locale.gen >/dev/null
    $sudo_cmd locale-gen >/dev/null
  else
    $sudo_cmd locale-gen ja_JP.UTF-8 >/dev/null
  fi
fi
