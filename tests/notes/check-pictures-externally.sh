#!/bin/sh
# Pictures checked against ImageMagick, a program we did not write:
# - pictures that ImageMagick makes (JPEG, GIF, bitmaps of several depths,
#   a cut JPEG) are loaded by the program's picture loader, which must report
#   their sizes (or refuse the cut one);
# - bitmap files that the program writes (one per depth, with the pixels it
#   expects as raw RGB, top row first) are read back by identify and convert.
# Usage: check-pictures-externally.sh EMULATOR... TEST-PROGRAM
set -eu
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
mkdir "$out/in" "$out/written"
cd "$out/in"
convert -size 64x48 gradient:red-blue -quality 60 photo.jpg
convert -size 66x45 xc:green -fill yellow -draw "rectangle 3,2 20,30" anim.gif
convert -size 61x47 xc:white -fill black -draw "rectangle 2,1 20,30" -monochrome BMP3:mono.bmp
convert -size 13x7 xc:white -fill red -draw "rectangle 1,1 5,3" -fill blue -draw "point 9,5" \
  -type Palette -depth 4 BMP3:pal4.bmp
convert -size 33x9 xc: +noise Random -colors 40 -type Palette BMP3:pal8.bmp
convert -size 17x11 gradient:yellow-navy -type TrueColor BMP3:true24.bmp
head -c 200 photo.jpg >cut.jpg
for f in photo.jpg anim.gif mono.bmp pal4.bmp pal8.bmp true24.bmp; do
  identify -format "$f %w %h\n" "$f"
done >manifest.txt
echo "cut.jpg 0 0" >>manifest.txt

towin() { printf 'Z:%s' "$1" | tr / '\\'; }
MEMOPANE_PICTURES_IN="$(towin "$out/in")" MEMOPANE_BITMAP_OUT="$(towin "$out/written")" \
  "$@" --gtest_filter='BitmapFileTest.EveryDepthReadsBackPixelForPixel:PictureLoaderTest.PicturesMadeByOtherTools*'

passed=0
failed=0
for bmp in "$out/written"/*.bmp; do
  name=$(basename "$bmp" .bmp)
  size=$(identify -format '%w %h' "$bmp" 2>&1 || true)
  if [ "$size" = "7 5" ] && convert "$bmp" -depth 8 rgb:- | cmp -s - "$out/written/$name.rgb"; then
    passed=$((passed + 1))
  else
    echo "$name: ImageMagick reads it as '$size' or with other pixels"
    failed=$((failed + 1))
  fi
done
echo "$passed passed, $failed failed"
[ "$passed" -eq 6 ] && [ "$failed" -eq 0 ]
