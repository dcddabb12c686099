// The splash window.
#include "app/Splash.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "app/Registry.h"
#include "frame/ClassNames.h"
#include "frame/Messages.h"
#include "frame/ThreadWindows.h"
#include "resources/resource.h"
#include "store/LateLibrary.h"
#include "store/WinText.h"

namespace memo {
namespace {

const ClassRegistrar kRegistrar(kClassSplash, 0, 0, &Dispatch<Splash>,
                                static_cast<int>(reinterpret_cast<ULONG_PTR>(IDC_APPSTARTING)));

constexpr UINT kFadeMs = 15;
constexpr UINT kHoldMs = 1000;
constexpr int kStepPerTick = 4;
constexpr int kLastFadeStep = 254;  // beyond it the picture is shown whole
constexpr int kTextRight = 300;
constexpr int kTitleTop = 212;
constexpr int kVersionBottom = 210;
constexpr COLORREF kTitleColor = 0x408040;
constexpr COLORREF kVersionColor = 0x333333;

// A 24-bit DIB section of this size; its bits through bits.
UniqueBitmap MakeDib24(int width, int height, unsigned char** bits) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* memory = nullptr;
  UniqueBitmap dib(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &memory, nullptr, 0));
  *bits = dib ? static_cast<unsigned char*>(memory) : nullptr;
  return dib;
}

// Copies width × height pixels from source (a DC's contents at x, y) into
// the bitmap target.
bool CopyInto(HBITMAP target, HDC source, int x, int y, int width, int height) {
  UniqueMemDC dc(::CreateCompatibleDC(source));
  if (!dc) return false;
  SelectScope select(dc.get(), target);
  return ::BitBlt(dc.get(), 0, 0, width, height, source, x, y, SRCCOPY) != FALSE;
}

HWND MainBarOfThisThread() {
  for (HWND window : ThreadWindows()) {
    if (HwndGetClass(window) == kClassMain) return window;
  }
  return nullptr;
}

}  // namespace

BlendWeights SplashBlendWeights(int step) {
  if (step < 0) step = 0;
  if (step > 255) step = 255;
  // a² × 255 = (255 - step)² / 255, exactly, in integers.
  const int rest = 255 - step;
  const int square = rest * rest;
  return BlendWeights{square / 255, (255 * 255 - square) / 255};
}

size_t DibRowBytes24(int width) { return (static_cast<size_t>(width) * 3 + 3) & ~static_cast<size_t>(3); }

void BlendInto(unsigned char* composition, const unsigned char* picture, int width, int height,
               BlendWeights weights) {
  const size_t stride = DibRowBytes24(width);
  const size_t colourBytes = static_cast<size_t>(width) * 3;
  for (int row = 0; row < height; ++row) {
    unsigned char* out = composition + stride * row;
    const unsigned char* in = picture + stride * row;
    for (size_t i = 0; i < colourBytes; ++i) {
      out[i] = static_cast<unsigned char>((out[i] * weights.background + in[i] * weights.picture) / 256);
    }
  }
}

std::string SplashVersionText(DWORD productVersionMS, DWORD productVersionLS) {
  char text[32] = "";
  std::snprintf(text, sizeof(text), "Ver %d.%d%c", static_cast<int>(HIWORD(productVersionMS)),
                static_cast<int>(LOWORD(productVersionMS)), 'a' + static_cast<int>(HIWORD(productVersionLS)));
  return text;
}

std::string FileVersionText(const std::string& path) {
  DWORD ms = 0, ls = 0;
  DWORD ignored = 0;
  DWORD size = path.empty() ? 0 : late::GetFileVersionInfoSizeA(path.c_str(), &ignored);
  if (size > 0) {
    std::vector<char> data(size);
    void* value = nullptr;
    UINT length = 0;
    if (late::GetFileVersionInfoA(path.c_str(), 0, size, data.data()) &&
        late::VerQueryValueA(data.data(), "\\", &value, &length) && value && length >= sizeof(VS_FIXEDFILEINFO)) {
      const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
      if (fixed->dwSignature == 0xFEEF04BD) {
        ms = fixed->dwProductVersionMS;
        ls = fixed->dwProductVersionLS;
      }
    }
  }
  return SplashVersionText(ms, ls);
}

RECT SplashPlace(int screenWidth, int screenHeight, int width, int height) {
  int x = (screenWidth - width) / 2;
  int y = (screenHeight - height) / 2;
  return RECT{x, y, x + width, y + height};
}

HWND ShowSplash() {
  return ::CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kClassSplash, kSplashTitle, WS_POPUP | WS_VISIBLE, 0,
                           0, 0, 0, nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
}

LRESULT Splash::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      return OnCreate(hwnd);
    case WM_DESTROY:
      OnDestroy(hwnd);
      break;
    case WM_TIMER:
      OnTimer(hwnd, wParam);
      return 0;
    case WM_ERASEBKGND:
    case WM_PRINTCLIENT:
      Paint(hwnd, reinterpret_cast<HDC>(wParam));
      return message == WM_ERASEBKGND ? 1 : 0;
    case WM_LBUTTONDOWN: {
      // Any press moves the splash.
      POINT at{};
      ::GetCursorPos(&at);
      ::PostMessageA(hwnd, WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(at.x, at.y));
      return 0;
    }
  }
  return WindowObject::WindowProc(hwnd, message, wParam, lParam);
}

LRESULT Splash::OnCreate(HWND hwnd) {
  HINSTANCE instance = ::GetModuleHandleA(nullptr);
  UniqueBitmap resource(static_cast<HBITMAP>(
      ::LoadImageA(instance, MAKEINTRESOURCEA(IDB_SPLASH), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  BITMAP info{};
  if (!resource || !::GetObjectA(resource.get(), sizeof(info), &info) || info.bmWidth <= 0 || info.bmHeight <= 0) {
    return -1;
  }
  width_ = info.bmWidth;
  height_ = info.bmHeight < 0 ? -info.bmHeight : info.bmHeight;
  picture_ = MakeDib24(width_, height_, &pictureBits_);
  composition_ = MakeDib24(width_, height_, &compositionBits_);
  background_ = MakeDib24(width_, height_, &backgroundBits_);
  if (!picture_ || !composition_ || !background_) return -1;
  {
    UniqueMemDC source(::CreateCompatibleDC(nullptr));
    if (!source) return -1;
    SelectScope select(source.get(), resource.get());
    if (!CopyInto(picture_.get(), source.get(), 0, 0, width_, height_)) return -1;
  }

  RECT place = SplashPlace(::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN), width_, height_);
  ::SetWindowPos(hwnd, nullptr, place.left, place.top, width_, height_, SWP_NOACTIVATE | SWP_NOZORDER);
  // Not shown yet: the screen there is what the picture fades in over.
  {
    WindowDC screen(nullptr);
    if (!screen.get() || !CopyInto(background_.get(), screen.get(), place.left, place.top, width_, height_)) {
      return -1;
    }
  }
  version_ = FileVersionText(ProgramPath());
  ::SetTimer(hwnd, kTimerSplashFade, kFadeMs, nullptr);
  return 0;
}

void Splash::OnTimer(HWND hwnd, UINT_PTR id) {
  if (id == kTimerSplashFade) {
    step_ += kStepPerTick;
    ::InvalidateRect(hwnd, nullptr, TRUE);
    if (step_ > kLastFadeStep) {
      ::KillTimer(hwnd, kTimerSplashFade);
      ::SetTimer(hwnd, kTimerSplashHold, kHoldMs, nullptr);
    }
  } else if (id == kTimerSplashHold) {
    ::KillTimer(hwnd, kTimerSplashHold);
    ::PostMessageA(hwnd, WM_CLOSE, 0, 0);
  }
}

void Splash::OnDestroy(HWND hwnd) {
  ::KillTimer(hwnd, kTimerSplashFade);
  ::KillTimer(hwnd, kTimerSplashHold);
  if (!Created()) return;
  HWND bar = MainBarOfThisThread();
  if (!bar) return;
  RECT from{}, to{};
  ::GetWindowRect(hwnd, &from);
  ::GetWindowRect(bar, &to);
  ::DrawAnimatedRects(hwnd, IDANI_CAPTION, &from, &to);
  if (!::IsWindowVisible(bar)) ::ShowWindow(bar, SW_SHOWNOACTIVATE);
}

void Splash::Paint(HWND hwnd, HDC dc) {
  if (!dc || !compositionBits_) return;
  ::GdiFlush();  // the bits are written directly below
  const size_t bytes = DibRowBytes24(width_) * static_cast<size_t>(height_);
  if (step_ > kLastFadeStep) {
    std::memcpy(compositionBits_, pictureBits_, bytes);
  } else {
    std::memcpy(compositionBits_, backgroundBits_, bytes);
    BlendInto(compositionBits_, pictureBits_, width_, height_, SplashBlendWeights(step_));
  }

  UniqueMemDC memory(::CreateCompatibleDC(dc));
  if (!memory) return;
  SelectScope bitmap(memory.get(), composition_.get());
  SelectScope font(memory.get(), ::GetStockObject(DEFAULT_GUI_FONT));
  ::SetBkMode(memory.get(), TRANSPARENT);
  ::SetTextAlign(memory.get(), TA_RIGHT | TA_TOP);
  std::string title = HwndGetText(hwnd);
  int versionTop = kTitleTop;
  if (!title.empty()) {
    ::SetTextColor(memory.get(), kTitleColor);
    ::TextOutA(memory.get(), kTextRight, kTitleTop, title.c_str(), static_cast<int>(title.size()));
    SIZE extent{};
    ::GetTextExtentPoint32A(memory.get(), title.c_str(), static_cast<int>(title.size()), &extent);
    versionTop = kVersionBottom - extent.cy;
  }
  ::SetTextColor(memory.get(), kVersionColor);
  ::TextOutA(memory.get(), kTextRight, versionTop, version_.c_str(), static_cast<int>(version_.size()));
  ::BitBlt(dc, 0, 0, width_, height_, memory.get(), 0, 0, SRCCOPY);
}

}  // namespace memo
