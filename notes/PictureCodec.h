// Pictures decoded, and PNG files encoded, through the system's imaging
// codecs (WIC), with the format rules around them that need no codec: the
// limits a picture must keep, the orientation a photo asks for, the pixels
// of a 32-bit clipboard bitmap. The codecs are COM objects: the thread must
// have COM initialised, and windowscodecs.dll is loaded at the first picture
// rather than at every start.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "store/Handles.h"

namespace memo {

// Limits on what a picture may cost: the file is read whole into memory and
// the picture is kept as a bitmap of its natural size, so a large file or a
// header claiming absurd dimensions would exhaust memory. 64 MiB of file and
// 16384 pixels a side, 40 million pixels in all (160 MB at 32 bits), cover
// photographs and screen captures of every current screen.
constexpr uint64_t kMaxPictureFileBytes = 64ull << 20;
constexpr long kMaxPictureSide = 16384;
constexpr uint64_t kMaxPicturePixels = 40000000;
bool PictureSizeAcceptable(long width, long height);

// A decoded picture at its natural size.
struct Picture {
  UniqueBitmap bitmap;       // 32-bit top-down DIB section, alpha premultiplied
  SIZE size{};
  bool translucent = false;  // some pixel lets what is behind it show
};

// 32-bit pixels, blue-green-red-alpha in memory order, top row first, rows
// without padding; alpha is straight (not multiplied into the colours).
struct Pixels {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> bgra;
};

// The EXIF orientation (1 to 8) that a JPEG's Exif segment or a TIFF's first
// directory gives; 1 when there is none or it cannot be read. Bytes come from
// any file: every read is bounded by size.
int PictureOrientation(const unsigned char* bytes, size_t size);

// Writes the picture of width x height pixels (from) into to, turned the way
// the orientation says it is meant to be seen; to holds height x width
// pixels for orientations 5 to 8, which turn it a quarter.
void OrientPixels(const uint32_t* from, int width, int height, int orientation, uint32_t* to);

// Decodes the first frame of a picture held in memory, turned by its
// orientation. nullopt when no codec reads it, or when its frame's size
// (known before its pixels are decoded) is refused by the limits above.
std::optional<Picture> DecodePicture(const unsigned char* bytes, size_t size);

// The pixels of a packed 32-bit bitmap (CF_DIB or CF_DIBV5: header, masks,
// pixels) that carries alpha: a V5 or V4 header with an alpha mask, or any
// header whose alpha bytes are not all zero. nullopt for other bitmaps,
// which have no transparency to keep.
std::optional<Pixels> TranslucentPixelsOfPackedDib(const unsigned char* bytes, size_t size);

// The opaque pixels of a bitmap handle; nullopt when they cannot be read.
std::optional<Pixels> PixelsOfBitmap(HBITMAP bitmap);

// A PNG file of the pixels, with an alpha channel only when translucent.
std::optional<std::string> EncodePng(const Pixels& pixels, bool translucent);
// The same with any WIC container format (the encoder's GUID).
std::optional<std::string> EncodePicture(const GUID& container, const Pixels& pixels, bool translucent);

// Whether bytes start like a PNG file.
bool IsPngBytes(const unsigned char* bytes, size_t size);

}  // namespace memo
