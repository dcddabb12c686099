#!/bin/sh
# Bitmap files written by the program, read back by ImageMagick: the test
# program writes one file per depth and the pixels it expects (raw RGB, top
# row first); identify must see the size and convert the same pixels.
# Usage: check-bitmaps-externally.sh EMULATOR... TEST-PROGRAM
set -eu
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
winout="Z:$(printf '%s' "$out" | tr / '\\')"
MEMOPANE_BITMAP_OUT="$winout" "$@" --gtest_filter='BitmapFileTest.EveryDepthReadsBackPixelForPixel'
passed=0
failed=0
for bmp in "$out"/*.bmp; do
  name=$(basename "$bmp" .bmp)
  size=$(identify -format '%w %h' "$bmp" 2>&1 || true)
  if [ "$size" = "7 5" ] && convert "$bmp" -depth 8 rgb:- | cmp -s - "$out/$name.rgb"; then
    passed=$((passed + 1))
  else
    echo "$name: ImageMagick reads it as '$size' or with other pixels"
    failed=$((failed + 1))
  fi
done
echo "$passed passed, $failed failed"
[ "$passed" -eq 6 ] && [ "$failed" -eq 0 ]
