// The body of an image note: a child window that draws the note's picture
// stretched over its whole client area, and hides itself when the picture
// cannot be loaded. Its window text is the picture's full path. Pictures are
// decoded by the system's OLE picture loader (BMP, JPEG, GIF, EMF, WMF).
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "frame/WindowObject.h"

namespace memo {

constexpr char kClassImageView[] = "WC_IMAGE";

// Limits on what a picture may cost: the file is read whole into memory and
// the picture is drawn through a bitmap of its natural size, so a large file
// or a header claiming absurd dimensions would exhaust memory. 64 MiB of file
// and 16384 pixels a side, 40 million pixels in all (160 MB at 32 bits),
// cover photographs and screen captures of every current screen.
constexpr uint64_t kMaxPictureFileBytes = 64ull << 20;
constexpr long kMaxPictureSide = 16384;
constexpr uint64_t kMaxPicturePixels = 40000000;
bool PictureSizeAcceptable(long width, long height);

// The pixel dimensions that a BMP, GIF or JPEG header claims, read before
// the picture is decoded; nullopt for other formats or a header too short
// to say. Bytes come from any file: every read is bounded by size.
std::optional<SIZE> RasterDimensions(const unsigned char* bytes, size_t size);

// HIMETRIC (0.01 mm) to pixels at the given dots per inch.
SIZE HimetricToPixels(long width, long height, int dpiX, int dpiY);

// Loads the picture at path and reports its natural size in pixels: at the
// device context's resolution, or 96 dpi without one. With a device context
// it also draws the picture into (0, 0, target): copied at its natural size,
// stretched with HALFTONE otherwise. nullopt when the picture cannot be
// loaded or is refused by the limits above.
std::optional<SIZE> LoadPicture(HDC dc, const std::string& path, SIZE target);

class ImageView : public WindowObject, public virtual DropTarget {
 public:
  LRESULT WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void Paint(HWND hwnd, HDC dc);
  void ApplyNaturalSize(HWND hwnd);
};

}  // namespace memo
