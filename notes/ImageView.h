// The body of an image note: a child window that draws the note's picture
// stretched over its whole client area, and hides itself when the picture
// cannot be loaded. Its window text is the picture's full path. Pictures are
// decoded once per new text (a put, a rename), by the system's imaging codecs
// (BMP, JPEG, GIF, PNG, TIFF) or, for metafiles, its OLE picture loader, and
// drawn from the decoded bitmap at every paint.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "frame/WindowObject.h"
#include "notes/PictureCodec.h"

namespace memo {

constexpr char kClassImageView[] = "WC_IMAGE";

// The pixel dimensions that a BMP, GIF, JPEG or PNG header claims, read before
// the picture is decoded; nullopt for other formats or a header too short
// to say. Bytes come from any file: every read is bounded by size.
std::optional<SIZE> RasterDimensions(const unsigned char* bytes, size_t size);

// HIMETRIC (0.01 mm) to pixels at the given dots per inch.
SIZE HimetricToPixels(long width, long height, int dpiX, int dpiY);

// Loads the picture at path at its natural size in pixels (a metafile's at
// 96 dpi). nullopt when the picture cannot be loaded or is refused by the
// limits on what a picture may cost.
std::optional<Picture> LoadPicture(const std::string& path);

// The colour of a premultiplied pixel laid over an opaque background.
uint32_t OverBackground(uint32_t premultiplied, COLORREF background);

class ImageView : public WindowObject, public virtual DropTarget {
 public:
  LRESULT WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void OnSetText(HWND hwnd);
  void Paint(HWND hwnd, HDC dc);
  void ApplyNaturalSize(HWND hwnd);
  // The picture of the view's text, decoded at the first need after the text
  // was set; nullptr when it cannot be shown.
  const Picture* Loaded(HWND hwnd);
  // What is drawn: the picture itself, or a translucent one laid over the
  // note's background colour (made again when that colour changes).
  HBITMAP Shown(HWND hwnd);

  bool loaded_ = false;
  std::optional<Picture> picture_;
  UniqueBitmap composed_;
  COLORREF composedOver_ = 0;
};

}  // namespace memo
