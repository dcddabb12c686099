#!/bin/sh
# Pictures checked against ImageMagick, a program we did not write:
# - pictures that ImageMagick makes (JPEG, GIF, bitmaps of several depths,
#   PNG with transparency, a TIFF of two pages, a photo on its side, a cut
#   JPEG and PNG) are loaded by the program's picture loader, which must
#   report their sizes as seen (or refuse the cut ones);
# - bitmap files that the program writes (one per depth, with the pixels it
#   expects as raw RGB, top row first) and PNG files (raw RGBA) are read back
#   by identify and convert.
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
convert -size 30x20 xc:none -fill red -draw "rectangle 0,0 9,9" clear.png
convert -size 25x15 xc:red -size 50x50 xc:blue pages.tif
# ImageMagick writes no orientation into a JPEG without an Exif segment:
# one is put after the start marker, and identify must read it as RightTop.
convert -size 40x24 xc:green side.jpg
{
  head -c 2 side.jpg
  printf '\377\341\0\042Exif\0\0II*\0\010\0\0\0\001\0\022\001\003\0\001\0\0\0\006\0\0\0\0\0\0\0'
  tail -c +3 side.jpg
} >turned.jpg
rm side.jpg
[ "$(identify -format '%[orientation]' turned.jpg)" = RightTop ]
convert -size 64x64 xc: +noise Random noise.png
head -c 2000 noise.png >cut.png
for f in photo.jpg anim.gif mono.bmp pal4.bmp pal8.bmp true24.bmp clear.png; do
  identify -format "$f %w %h\n" "$f"
done >manifest.txt
# The first page; the photo as it is meant to be seen, turned a quarter.
printf 'pages.tif 25 15\nturned.jpg 24 40\ncut.jpg 0 0\ncut.png 0 0\n' >>manifest.txt

towin() { printf 'Z:%s' "$1" | tr / '\\'; }
MEMOPANE_PICTURES_IN="$(towin "$out/in")" MEMOPANE_BITMAP_OUT="$(towin "$out/written")" \
  "$@" --gtest_filter='BitmapFileTest.EveryDepthReadsBackPixelForPixel:PictureLoaderTest.PicturesMadeByOtherTools*:PictureLoaderTest.PngFiles*'

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
for png in "$out/written"/*.png; do
  name=$(basename "$png" .png)
  size=$(identify -format '%w %h' "$png" 2>&1 || true)
  if [ "$size" = "7 5" ] && convert "$png" -depth 8 rgba:- | cmp -s - "$out/written/$name.rgba"; then
    passed=$((passed + 1))
  else
    echo "$name.png: ImageMagick reads it as '$size' or with other pixels"
    failed=$((failed + 1))
  fi
done
echo "$passed passed, $failed failed"
[ "$passed" -eq 8 ] && [ "$failed" -eq 0 ]
