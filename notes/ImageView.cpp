// The image view and the picture loader.
#include "notes/ImageView.h"

#include <ocidl.h>
#include <olectl.h>

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

bool PictureSizeAcceptable(long width, long height) {
  if (width <= 0 || height <= 0 || width > kMaxPictureSide || height > kMaxPictureSide) return false;
  return static_cast<uint64_t>(width) * static_cast<uint64_t>(height) <= kMaxPicturePixels;
}

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
  return std::nullopt;
}

SIZE HimetricToPixels(long width, long height, int dpiX, int dpiY) {
  return SIZE{::MulDiv(width, dpiX, kHimetricPerInch), ::MulDiv(height, dpiY, kHimetricPerInch)};
}

std::optional<SIZE> LoadPicture(HDC dc, const std::string& path, SIZE target) {
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
  bool sane = false;
  if (auto* bytes = static_cast<unsigned char*>(::GlobalLock(memory.get()))) {
    DWORD read = 0;
    if (::ReadFile(file.get(), bytes, size, &read, nullptr) && read == size) {
      std::optional<SIZE> claimed = RasterDimensions(bytes, size);
      sane = !claimed || PictureSizeAcceptable(claimed->cx, claimed->cy);
    }
    ::GlobalUnlock(memory.get());
  }
  file.reset();
  if (!sane) return std::nullopt;

  ComPtr<IStream> stream;
  if (FAILED(::CreateStreamOnHGlobal(memory.get(), TRUE, stream.put()))) return std::nullopt;
  memory.release();  // the stream frees the block when it is released
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
  int dpiX = dc ? ::GetDeviceCaps(dc, LOGPIXELSX) : kDefaultDpi;
  int dpiY = dc ? ::GetDeviceCaps(dc, LOGPIXELSY) : kDefaultDpi;
  SIZE natural = HimetricToPixels(himetricWidth, himetricHeight, dpiX, dpiY);
  if (!PictureSizeAcceptable(natural.cx, natural.cy)) return std::nullopt;
  if (!dc) return natural;

  UniqueBitmap canvas(::CreateCompatibleBitmap(dc, natural.cx, natural.cy));
  UniqueMemDC memoryDc(::CreateCompatibleDC(dc));
  if (!canvas || !memoryDc) return std::nullopt;
  {
    SelectScope select(memoryDc.get(), canvas.get());
    ::PatBlt(memoryDc.get(), 0, 0, natural.cx, natural.cy, WHITENESS);
    // The picture's HIMETRIC origin is its bottom-left corner: render from
    // its top down.
    picture->Render(memoryDc.get(), 0, 0, natural.cx, natural.cy, 0, himetricHeight, himetricWidth,
                    -himetricHeight, nullptr);
    if (target.cx == natural.cx && target.cy == natural.cy) {
      ::BitBlt(dc, 0, 0, natural.cx, natural.cy, memoryDc.get(), 0, 0, SRCCOPY);
    } else {
      int oldMode = ::SetStretchBltMode(dc, HALFTONE);
      POINT oldOrigin{};
      ::SetBrushOrgEx(dc, 0, 0, &oldOrigin);
      ::StretchBlt(dc, 0, 0, target.cx, target.cy, memoryDc.get(), 0, 0, natural.cx, natural.cy, SRCCOPY);
      ::SetBrushOrgEx(dc, oldOrigin.x, oldOrigin.y, nullptr);
      ::SetStretchBltMode(dc, oldMode);
    }
  }
  return natural;
}

LRESULT ImageView::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SETTEXT: {
      LRESULT result = WindowObject::WindowProc(hwnd, message, wParam, lParam);
      ::ShowWindow(hwnd, SW_SHOW);
      ::RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE);
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

void ImageView::Paint(HWND hwnd, HDC dc) {
  RECT client;
  ::GetClientRect(hwnd, &client);
  if (!LoadPicture(dc, HwndGetText(hwnd), SIZE{client.right, client.bottom})) {
    // The note's own background shows instead.
    ::ShowWindow(hwnd, SW_HIDE);
  }
}

void ImageView::ApplyNaturalSize(HWND hwnd) {
  std::optional<SIZE> natural = LoadPicture(nullptr, HwndGetText(hwnd), SIZE{});
  if (!natural) return;
  HWND note = ::GetParent(hwnd);
  RECT view, frame;
  ::GetWindowRect(hwnd, &view);
  ::GetWindowRect(note, &frame);
  int width = (frame.right - frame.left) + natural->cx - (view.right - view.left);
  int height = (frame.bottom - frame.top) + natural->cy - (view.bottom - view.top);
  ::SetWindowPos(note, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace memo
