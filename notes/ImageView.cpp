// The image view and the picture loader.
#include "notes/ImageView.h"

#include <ocidl.h>
#include <olectl.h>

#include <cstring>

#include "frame/Colors.h"
#include "frame/Messages.h"
#include "notes/Capture.h"
#include "store/Handles.h"
#include "store/WinText.h"

namespace memo {
namespace {

const ClassRegistrar kRegistrar(kClassImageView, CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS, 0, &Dispatch<ImageView>);

constexpr int kDefaultDpi = 96;
constexpr long kHimetricPerInch = 2540;

uint32_t Le16(const unsigned char* p) { return p[0] | (p[1] << 8); }
uint32_t Le32(const unsigned char* p) { return Le16(p) | (Le16(p + 2) << 16); }
uint32_t Be16(const unsigned char* p) { return (p[0] << 8) | p[1]; }
uint32_t Be32(const unsigned char* p) { return (Be16(p) << 16) | Be16(p + 2); }

// An enhanced metafile (its first record, the header, carries " EMF") or a
// placeable Windows metafile (its key): the pictures left to the OLE loader,
// which the imaging codecs do not read.
bool IsMetafileBytes(const unsigned char* bytes, size_t size) {
  if (size >= 44 && Le32(bytes) == 1 && std::memcmp(bytes + 40, " EMF", 4) == 0) return true;
  return size >= 22 && Le32(bytes) == 0x9AC6CDD7u;
}

// A metafile drawn once at its natural size on white.
std::optional<Picture> RenderMetafile(HGLOBAL memory, DWORD size) {
  ComPtr<IStream> stream;
  if (FAILED(::CreateStreamOnHGlobal(memory, TRUE, stream.put()))) {
    ::GlobalFree(memory);
    return std::nullopt;
  }
  ComPtr<IPicture> picture;
  if (FAILED(::OleLoadPicture(stream.get(), static_cast<LONG>(size), FALSE, IID_IPicture, picture.put_void())) ||
      !picture) {
    return std::nullopt;
  }
  OLE_XSIZE_HIMETRIC himetricWidth = 0;
  OLE_YSIZE_HIMETRIC himetricHeight = 0;
  if (FAILED(picture->get_Width(&himetricWidth)) || FAILED(picture->get_Height(&himetricHeight))) {
    return std::nullopt;
  }
  Picture result;
  result.size = HimetricToPixels(himetricWidth, himetricHeight, kDefaultDpi, kDefaultDpi);
  if (!PictureSizeAcceptable(result.size.cx, result.size.cy)) return std::nullopt;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = result.size.cx;
  info.bmiHeader.biHeight = -result.size.cy;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  result.bitmap.reset(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  UniqueMemDC memoryDc(::CreateCompatibleDC(nullptr));
  if (!result.bitmap || !memoryDc) return std::nullopt;
  SelectScope select(memoryDc.get(), result.bitmap.get());
  ::PatBlt(memoryDc.get(), 0, 0, result.size.cx, result.size.cy, WHITENESS);
  // The picture's HIMETRIC origin is its bottom-left corner: render from
  // its top down.
  picture->Render(memoryDc.get(), 0, 0, result.size.cx, result.size.cy, 0, himetricHeight, himetricWidth,
                  -himetricHeight, nullptr);
  return result;
}

std::optional<SIZE> JpegDimensions(const unsigned char* bytes, size_t size) {
  size_t at = 2;
  while (at + 4 <= size) {
    if (bytes[at] != 0xFF) return std::nullopt;
    unsigned char marker = bytes[at + 1];
    if (marker == 0xFF) {  // fill byte
      ++at;
      continue;
    }
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {  // no length
      at += 2;
      continue;
    }
    size_t length = Be16(bytes + at + 2);
    bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (frame) {
      if (at + 9 > size || length < 7) return std::nullopt;
      return SIZE{static_cast<LONG>(Be16(bytes + at + 7)), static_cast<LONG>(Be16(bytes + at + 5))};
    }
    if (length < 2) return std::nullopt;
    at += 2 + length;
  }
  return std::nullopt;
}

}  // namespace

std::optional<SIZE> RasterDimensions(const unsigned char* bytes, size_t size) {
  if (!bytes) return std::nullopt;
  if (size >= 26 && bytes[0] == 'B' && bytes[1] == 'M') {
    uint32_t header = Le32(bytes + 14);
    if (header == 12) return SIZE{static_cast<LONG>(Le16(bytes + 18)), static_cast<LONG>(Le16(bytes + 20))};
    auto width = static_cast<int32_t>(Le32(bytes + 18));
    auto height = static_cast<int32_t>(Le32(bytes + 22));
    // Top-down bitmaps give a negative height; INT32_MIN has no magnitude.
    if (height == INT32_MIN) return SIZE{width, INT32_MAX};
    return SIZE{width, height < 0 ? -height : height};
  }
  if (size >= 10 && bytes[0] == 'G' && bytes[1] == 'I' && bytes[2] == 'F') {
    return SIZE{static_cast<LONG>(Le16(bytes + 6)), static_cast<LONG>(Le16(bytes + 8))};
  }
  if (size >= 4 && bytes[0] == 0xFF && bytes[1] == 0xD8) return JpegDimensions(bytes, size);
  // A PNG's first chunk is its header: width and height, big-endian.
  if (size >= 24 && IsPngBytes(bytes, size) && std::memcmp(bytes + 12, "IHDR", 4) == 0) {
    return SIZE{static_cast<LONG>(Be32(bytes + 16)), static_cast<LONG>(Be32(bytes + 20))};
  }
  return std::nullopt;
}

SIZE HimetricToPixels(long width, long height, int dpiX, int dpiY) {
  return SIZE{::MulDiv(width, dpiX, kHimetricPerInch), ::MulDiv(height, dpiY, kHimetricPerInch)};
}

std::optional<Picture> LoadPicture(const std::string& path) {
  // Other programs open a picture right after it is written (a virus
  // scanner, a sync client, the editor that saved it): the picture is read
  // whole at once, so it may share the file with any of them.
  UniqueHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return std::nullopt;
  LARGE_INTEGER fileSize{};
  if (!::GetFileSizeEx(file.get(), &fileSize) || fileSize.QuadPart <= 0 ||
      static_cast<uint64_t>(fileSize.QuadPart) > kMaxPictureFileBytes) {
    return std::nullopt;
  }
  const auto size = static_cast<DWORD>(fileSize.QuadPart);
  GlobalMem memory(::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size));
  if (!memory) return std::nullopt;
  std::optional<Picture> picture;
  bool metafile = false;
  if (auto* bytes = static_cast<unsigned char*>(::GlobalLock(memory.get()))) {
    DWORD read = 0;
    if (::ReadFile(file.get(), bytes, size, &read, nullptr) && read == size) {
      file.reset();
      std::optional<SIZE> claimed = RasterDimensions(bytes, size);
      if (!claimed || PictureSizeAcceptable(claimed->cx, claimed->cy)) {
        metafile = IsMetafileBytes(bytes, size);
        if (!metafile) picture = DecodePicture(bytes, size);
      }
    }
    ::GlobalUnlock(memory.get());
  }
  if (!metafile) return picture;
  return RenderMetafile(memory.release(), size);  // the stream frees the block
}

uint32_t OverBackground(uint32_t premultiplied, COLORREF background) {
  const uint32_t clear = 255 - (premultiplied >> 24);
  auto channel = [&](int shift, uint32_t behind) {
    uint32_t c = ((premultiplied >> shift) & 0xFF) + (behind * clear + 127) / 255;
    return (c > 255 ? 255 : c) << shift;
  };
  return 0xFF000000u | channel(16, GetRValue(background)) | channel(8, GetGValue(background)) |
         channel(0, GetBValue(background));
}

LRESULT ImageView::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      // Decoded before the note is first shown: the note appears with its
      // picture, and its first paint finds it ready.
      Loaded(hwnd);
      break;
    case WM_SETTEXT: {
      LRESULT result = WindowObject::WindowProc(hwnd, message, wParam, lParam);
      OnSetText(hwnd);
      return result;
    }
    case WM_ERASEBKGND:
      Paint(hwnd, reinterpret_cast<HDC>(wParam));
      return 1;
    case WM_PRINTCLIENT:
      Paint(hwnd, reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_PAINT: {
      PaintDC paint(hwnd);  // the picture was drawn with the background
      return 0;
    }
    case WM_LBUTTONDOWN: {
      // A press on the picture moves the note as its caption would.
      POINT pt{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      ::ClientToScreen(hwnd, &pt);
      ::PostMessageA(::GetParent(hwnd), WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(pt.x, pt.y));
      return 0;
    }
    case WM_LBUTTONDBLCLK: {
      HWND note = ::GetParent(hwnd);
      POINT pt{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      ::MapWindowPoints(hwnd, note, &pt, 1);
      ::SendMessageA(note, WM_LBUTTONDBLCLK, wParam, MAKELPARAM(pt.x, pt.y));
      return 0;
    }
    case kMsgImageNaturalSize:
      ApplyNaturalSize(hwnd);
      return 0;
    case kMsgImageCapture:
      OpenCapture(hwnd);
      return 0;
  }
  return WindowObject::WindowProc(hwnd, message, wParam, lParam);
}

void ImageView::OnSetText(HWND hwnd) {
  // A new picture was put in, or the note's file moved: decoded now, once.
  loaded_ = false;
  picture_.reset();
  composed_.reset();
  ::ShowWindow(hwnd, Loaded(hwnd) ? SW_SHOW : SW_HIDE);
  ::RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE);
}

const Picture* ImageView::Loaded(HWND hwnd) {
  if (!loaded_) {
    loaded_ = true;
    picture_ = LoadPicture(HwndGetText(hwnd));
  }
  return picture_ ? &*picture_ : nullptr;
}

HBITMAP ImageView::Shown(HWND hwnd) {
  const Picture* picture = Loaded(hwnd);
  if (!picture) return nullptr;
  if (!picture->translucent) return picture->bitmap.get();
  COLORREF background = GetColorProp(::GetParent(hwnd), kPropColorBG);
  if (composed_ && composedOver_ == background) return composed_.get();
  composed_.reset();
  DIBSECTION from{};
  if (::GetObjectA(picture->bitmap.get(), sizeof(from), &from) != sizeof(from) || !from.dsBm.bmBits) return nullptr;
  BITMAPINFO info{};
  info.bmiHeader = from.dsBmih;
  void* bits = nullptr;
  UniqueBitmap composed(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!composed) return nullptr;
  const auto* source = static_cast<const uint32_t*>(from.dsBm.bmBits);
  auto* target = static_cast<uint32_t*>(bits);
  const size_t count = static_cast<size_t>(picture->size.cx) * static_cast<size_t>(picture->size.cy);
  for (size_t i = 0; i < count; ++i) target[i] = OverBackground(source[i], background);
  composed_ = std::move(composed);
  composedOver_ = background;
  return composed_.get();
}

void ImageView::Paint(HWND hwnd, HDC dc) {
  HBITMAP shown = Shown(hwnd);
  if (!shown) {
    // The note's own background shows instead.
    ::ShowWindow(hwnd, SW_HIDE);
    return;
  }
  RECT client;
  ::GetClientRect(hwnd, &client);
  const SIZE natural = picture_->size;
  UniqueMemDC memoryDc(::CreateCompatibleDC(dc));
  if (!memoryDc) return;
  SelectScope select(memoryDc.get(), shown);
  if (client.right == natural.cx && client.bottom == natural.cy) {
    ::BitBlt(dc, 0, 0, natural.cx, natural.cy, memoryDc.get(), 0, 0, SRCCOPY);
    return;
  }
  int oldMode = ::SetStretchBltMode(dc, HALFTONE);
  POINT oldOrigin{};
  ::SetBrushOrgEx(dc, 0, 0, &oldOrigin);
  ::StretchBlt(dc, 0, 0, client.right, client.bottom, memoryDc.get(), 0, 0, natural.cx, natural.cy, SRCCOPY);
  ::SetBrushOrgEx(dc, oldOrigin.x, oldOrigin.y, nullptr);
  ::SetStretchBltMode(dc, oldMode);
}

void ImageView::ApplyNaturalSize(HWND hwnd) {
  const Picture* picture = Loaded(hwnd);
  if (!picture) return;
  const SIZE* natural = &picture->size;
  HWND note = ::GetParent(hwnd);
  RECT view, frame;
  ::GetWindowRect(hwnd, &view);
  ::GetWindowRect(note, &frame);
  int width = (frame.right - frame.left) + natural->cx - (view.right - view.left);
  int height = (frame.bottom - frame.top) + natural->cy - (view.bottom - view.top);
  ::SetWindowPos(note, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace memo
