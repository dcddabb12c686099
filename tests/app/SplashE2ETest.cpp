// The splash window of the real program: at start it comes first and the
// main bar appears only as it closes, without taking the focus; from the
// menu it is the version window, leaving the bar as it was. Once faded in
// it shows the program's picture with the edition and version text.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "frame/Messages.h"
#include "resources/resource.h"
#include "tests/support/AppTest.h"

namespace memo::test {
namespace {

constexpr char kSplashClass[] = "Memopane-Splash";

class SplashTest : public AppTest {};

// 24-bit pixels of a bitmap or of the screen, top row first.
class Pixels {
 public:
  Pixels(int width, int height) : width_(width), height_(height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    dib_ = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
    dc_ = ::CreateCompatibleDC(nullptr);
    old_ = ::SelectObject(dc_, dib_);
  }
  ~Pixels() {
    ::SelectObject(dc_, old_);
    ::DeleteDC(dc_);
    ::DeleteObject(dib_);
  }
  Pixels(const Pixels&) = delete;
  Pixels& operator=(const Pixels&) = delete;

  void CopyFrom(HDC source, int x, int y) {
    ::BitBlt(dc_, 0, 0, width_, height_, source, x, y, SRCCOPY);
    ::GdiFlush();
  }
  COLORREF At(int x, int y) const {
    const unsigned char* p = bits_ + static_cast<size_t>(y) * (((width_ * 3) + 3) & ~3) + x * 3;
    return RGB(p[2], p[1], p[0]);
  }

 private:
  int width_, height_;
  HBITMAP dib_ = nullptr;
  unsigned char* bits_ = nullptr;
  HDC dc_ = nullptr;
  HGDIOBJ old_ = nullptr;
};

TEST_F(SplashTest, AtStartTheBarAppearsOnlyAsTheSplashClosesWithoutTheFocus) {
  ASSERT_TRUE(app_.StartWithRoot(root_.path(), true));
  HWND splash = app_.WaitWindow(kSplashClass, "FREE USE");
  ASSERT_TRUE(splash);
  DWORD shown = ::GetTickCount();
  RECT r = WindowRect(splash);
  EXPECT_EQ(r.left, (::GetSystemMetrics(SM_CXSCREEN) - 320) / 2);
  EXPECT_EQ(r.top, (::GetSystemMetrics(SM_CYSCREEN) - 240) / 2);
  EXPECT_EQ(r.right - r.left, 320);
  EXPECT_EQ(r.bottom - r.top, 240);
  EXPECT_EQ(::GetWindowLongA(splash, GWL_EXSTYLE) & (WS_EX_TOOLWINDOW | WS_EX_TOPMOST),
            WS_EX_TOOLWINDOW | WS_EX_TOPMOST);
  HWND bar = app_.WaitMainBar();
  ASSERT_TRUE(bar);

  bool barWhileSplash = false;
  ASSERT_TRUE(WaitUntil([&] {
    bool visible = ::IsWindowVisible(bar) != FALSE;
    if (visible && ::IsWindowVisible(splash)) barWhileSplash = true;
    return visible;
  }));
  DWORD elapsed = ::GetTickCount() - shown;
  EXPECT_FALSE(barWhileSplash);
  // A second of fading and a second of holding, less what passed before the
  // window was seen.
  EXPECT_GE(elapsed, 1500u);
  EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(splash); }));
  PumpFor(300);
  EXPECT_NE(::GetForegroundWindow(), bar);
  EXPECT_EQ(app_.Quit(), 0u);
}

TEST_F(SplashTest, VersionWindowShowsThePictureWithItsTextsAndLeavesTheBarAsItWas) {
  HWND bar = Start("page");
  ASSERT_TRUE(bar);
  RECT before = WindowRect(bar);
  ASSERT_TRUE(::PostMessageA(bar, WM_COMMAND, kCmdSplash, 0));
  HWND splash = app_.WaitWindow(kSplashClass, "FREE USE");
  ASSERT_TRUE(splash);
  RECT r = WindowRect(splash);

  // The same picture as the program's (this test carries its resources).
  HBITMAP picture = static_cast<HBITMAP>(
      ::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_SPLASH), IMAGE_BITMAP, 0, 0, 0));
  ASSERT_TRUE(picture);
  Pixels expected(320, 240);
  {
    HDC source = ::CreateCompatibleDC(nullptr);
    HGDIOBJ old = ::SelectObject(source, picture);
    expected.CopyFrom(source, 0, 0);
    ::SelectObject(source, old);
    ::DeleteDC(source);
    ::DeleteObject(picture);
  }
  // Once faded in, the screen there is the picture, except where the texts
  // are drawn into its lower right corner.
  Pixels screen(320, 240);
  HDC screenDc = ::GetDC(nullptr);
  auto sameOutsideTheTexts = [&] {
    for (int y = 0; y < 240; y += 3) {
      for (int x = 0; x < 320; x += 3) {
        if (x >= 200 && y >= 180) continue;
        if (screen.At(x, y) != expected.At(x, y)) return false;
      }
    }
    return true;
  };
  bool faded = WaitUntil([&] {
    screen.CopyFrom(screenDc, r.left, r.top);
    return sameOutsideTheTexts();
  }, 5000);
  int titlePixels = 0, versionPixels = 0;
  for (int y = 180; y < 240; ++y) {
    for (int x = 200; x < 300; ++x) {
      if (screen.At(x, y) == RGB(0x40, 0x80, 0x40)) ++titlePixels;
      if (screen.At(x, y) == RGB(0x33, 0x33, 0x33)) ++versionPixels;
    }
  }
  ::ReleaseDC(nullptr, screenDc);
  EXPECT_TRUE(faded) << "the picture never showed whole";
  EXPECT_GT(titlePixels, 0) << "no edition text";
  EXPECT_GT(versionPixels, 0) << "no version text";

  EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(splash); }));
  EXPECT_TRUE(::IsWindowVisible(bar));
  RECT after = WindowRect(bar);
  EXPECT_TRUE(::EqualRect(&before, &after));
  EXPECT_EQ(WindowText(bar), "page");
  EXPECT_EQ(app_.Quit(), 0u);
}

}  // namespace
}  // namespace memo::test
