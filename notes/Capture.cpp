// The screen capture window.
#include "notes/Capture.h"

#include <cstdio>
#include <string>

#include "frame/Messages.h"
#include "notes/BitmapFile.h"
#include "notes/ItemImage.h"
#include "notes/PictureCodec.h"
#include "resources/resource.h"
#include "store/Paths.h"
#include "store/TextFile.h"
#include "store/WinText.h"

namespace memo {
namespace {

const ClassRegistrar kRegistrar(kClassCapture, CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS, 0, &Dispatch<Capture>,
                                IDC_CAPTURE_TOP_LEFT);

// A 24-bit bottom-up DIB section; its pixels belong to the section.
HBITMAP CreateRgbSection(int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  return ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
}

std::string TickPicturePath(const char* extension) {
  char folder[MAX_PATH] = {};
  DWORD n = ::GetTempPathA(MAX_PATH, folder);
  if (n == 0 || n >= MAX_PATH) return {};
  char name[32];
  std::snprintf(name, sizeof(name), "%d%s", static_cast<int>(::GetTickCount()), extension);
  return PathJoin(folder, name);
}

POINT ScreenPoint(HWND hwnd, LPARAM lParam) {
  POINT pt{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
  ::ClientToScreen(hwnd, &pt);
  return pt;
}

}  // namespace

RECT OrderedRect(POINT a, POINT b) {
  return RECT{a.x < b.x ? a.x : b.x, a.y < b.y ? a.y : b.y, a.x < b.x ? b.x : a.x, a.y < b.y ? b.y : a.y};
}

std::array<RECT, 4> OutlineStrips(const RECT& r) {
  return {{{r.left, r.top, r.right, r.top + 1},
           {r.left, r.top + 1, r.left + 1, r.bottom - 1},
           {r.left, r.bottom, r.right, r.bottom + 1},
           {r.right, r.top + 1, r.right + 1, r.bottom - 1}}};
}

HWND OpenCapture(HWND imageView) {
  return ::CreateWindowExA(0, kClassCapture, nullptr, WS_POPUP | WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, imageView,
                           nullptr, ::GetModuleHandleA(nullptr), imageView);
}

LRESULT Capture::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      return OnCreate(hwnd, *reinterpret_cast<const CREATESTRUCTA*>(lParam));
    case WM_ERASEBKGND: {
      HDC dc = reinterpret_cast<HDC>(wParam);
      UniqueMemDC source(::CreateCompatibleDC(dc));
      if (source && frozen_) {
        SelectScope select(source.get(), frozen_.get());
        BITMAP info{};
        ::GetObjectA(frozen_.get(), sizeof(info), &info);
        ::BitBlt(dc, 0, 0, info.bmWidth, info.bmHeight, source.get(), 0, 0, SRCCOPY);
      }
      return 1;
    }
    case WM_PAINT: {
      PaintDC paint(hwnd);  // the frozen screen is drawn as the background
      return 0;
    }
    case WM_LBUTTONDOWN:
      ::SetCapture(hwnd);
      ::SetCursor(::LoadCursorA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDC_CAPTURE_BOTTOM_RIGHT)));
      anchor_ = current_ = ScreenPoint(hwnd, lParam);
      dragging_ = true;
      return 0;
    case WM_MOUSEMOVE:
      if (::GetCapture() == hwnd) OnMouseMove(hwnd, ScreenPoint(hwnd, lParam));
      return 0;
    case WM_LBUTTONUP:
      ::ReleaseCapture();
      return 0;
    case WM_CAPTURECHANGED:
      OnCaptureChanged(hwnd);
      return 0;
    case WM_KEYDOWN:
      if (wParam == VK_ESCAPE) ::PostMessageA(hwnd, WM_CLOSE, 0, 0);
      return 0;
    case WM_LBUTTONDBLCLK:
    case WM_KILLFOCUS:
      ::PostMessageA(hwnd, WM_CLOSE, 0, 0);
      return 0;
    case WM_NCACTIVATE:
      if (!wParam) ::PostMessageA(hwnd, WM_CLOSE, 0, 0);
      break;
  }
  return WindowObject::WindowProc(hwnd, message, wParam, lParam);
}

LRESULT Capture::OnCreate(HWND hwnd, const CREATESTRUCTA& create) {
  view_ = static_cast<HWND>(create.lpCreateParams);
  if (!view_ || !::IsWindow(view_)) return -1;
  int width = ::GetSystemMetrics(SM_CXSCREEN);
  int height = ::GetSystemMetrics(SM_CYSCREEN);
  ::SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, width, height, 0);
  // Taken before the window is first painted: the screen as it was.
  frozen_.reset(CreateRgbSection(width, height));
  if (!frozen_) return -1;
  HDC screen = ::GetDC(nullptr);
  UniqueMemDC target(::CreateCompatibleDC(screen));
  if (target) {
    SelectScope select(target.get(), frozen_.get());
    ::BitBlt(target.get(), 0, 0, width, height, screen, 0, 0, SRCCOPY);
  }
  ::ReleaseDC(nullptr, screen);
  return target ? 0 : -1;
}

void Capture::ToggleOutline(HWND hwnd) {
  if (anchor_.x == current_.x && anchor_.y == current_.y) return;
  HDC dc = ::GetDC(hwnd);
  RECT r = OrderedRect(anchor_, current_);
  ::MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&r), 2);
  for (const RECT& strip : OutlineStrips(r)) ::InvertRect(dc, &strip);
  ::ReleaseDC(hwnd, dc);
}

void Capture::OnMouseMove(HWND hwnd, POINT pt) {
  ToggleOutline(hwnd);  // erases the old outline
  current_ = pt;
  ToggleOutline(hwnd);
}

bool Capture::WriteSelection(const RECT& r, const std::string& path, bool png) {
  UniqueBitmap part(CreateRgbSection(r.right - r.left, r.bottom - r.top));
  UniqueMemDC from(::CreateCompatibleDC(nullptr));
  UniqueMemDC to(::CreateCompatibleDC(nullptr));
  if (!part || !from || !to || !frozen_) return false;
  {
    SelectScope selectFrom(from.get(), frozen_.get());
    SelectScope selectTo(to.get(), part.get());
    ::BitBlt(to.get(), 0, 0, r.right - r.left, r.bottom - r.top, from.get(), r.left, r.top, SRCCOPY);
  }
  if (!png) return WriteBitmapFile(part.get(), path);
  std::optional<Pixels> pixels = PixelsOfBitmap(part.get());
  std::optional<std::string> bytes = pixels ? EncodePng(*pixels, false) : std::nullopt;
  if (bytes && WriteWholeFile(path, *bytes)) return true;
  ::DeleteFileA(path.c_str());
  return false;
}

void Capture::OnCaptureChanged(HWND hwnd) {
  if (!dragging_) return;
  dragging_ = false;
  ToggleOutline(hwnd);
  RECT r = OrderedRect(anchor_, current_);
  // The put may show a box, which takes the activation: this window then
  // closes itself and its object is deleted before the put returns. From
  // the put on, only locals are used.
  const HWND view = view_;
  if (r.left < r.right && r.top < r.bottom && ::IsWindow(view)) {
    const bool png = WritesPng(HwndGetText(::GetParent(view)));
    std::string path = TickPicturePath(png ? ".png" : ".bmp");
    if (!path.empty()) {
      if (WriteSelection(r, path, png)) {
        ::SendMessageA(::GetParent(view), kMsgImagePut, 0, reinterpret_cast<LPARAM>(path.c_str()));
      }
      ::DeleteFileA(path.c_str());
    }
  }
  if (::IsWindow(view)) ::SendMessageA(view, kMsgImageNaturalSize, 0, 0);
  if (::IsWindow(hwnd)) ::PostMessageA(hwnd, WM_CLOSE, 0, 0);
}

}  // namespace memo
