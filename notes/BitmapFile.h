// Windows bitmap files written from bitmap handles, for pictures pasted from
// the clipboard and cut out of the screen.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace memo {

// What the file says about a bitmap.
struct BitmapFormat {
  int width = 0;
  int height = 0;      // rows stored bottom-up
  int widthBytes = 0;  // the bitmap's own bytes per scan line
  int planes = 1;
  int bitsPerPixel = 0;
  std::vector<RGBQUAD> colors;  // colour table, at most 256 entries
  bool fiveFiveFive = false;    // 16 bits per pixel: 5-5-5 rather than 5-6-5
};

struct BitmapFileHeaders {
  std::string bytes;  // file header, info header, colour table or masks
  uint32_t stride = 0;
  uint32_t imageSize = 0;
};

// The colour table that a file of this depth carries, given the entries read
// from the bitmap: black and white for a bare 1-bit bitmap, none above 8 bits,
// at most 2^bits entries otherwise.
std::vector<RGBQUAD> FileColorTable(int bitsPerPixel, const std::vector<RGBQUAD>& read);

// The headers of the file; nullopt when the bitmap cannot be described (no
// pixels, a depth files do not hold) or would not fit a bitmap file.
std::optional<BitmapFileHeaders> MakeBitmapFileHeaders(const BitmapFormat& format);

// Writes the bitmap as a bitmap file at path, replacing any file there.
// False, with no file left behind, when the bitmap cannot be described or
// the file cannot be written.
bool WriteBitmapFile(HBITMAP bitmap, const std::string& path);

}  // namespace memo
