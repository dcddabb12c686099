// The note frame of the real program: an inactive note is cut down to its
// body (and its pin button while pinned) by a window region, which goes
// again when the note becomes active.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/support/AppDriver.h"
#include "tests/support/Keys.h"
#include "tests/support/NoteSession.h"
#include "tests/support/TestFiles.h"

namespace memo::test {
namespace {

constexpr int kPinButton = 271;

// A child's rectangle relative to its window's top-left corner, the
// coordinates of window regions.
RECT InWindow(HWND window, HWND child) {
  RECT w = WindowRect(window);
  RECT c = WindowRect(child);
  ::OffsetRect(&c, -w.left, -w.top);
  return c;
}

// "none" when the window has no region, else whether it equals expected.
testing::AssertionResult RegionIs(HWND window, HRGN expected) {
  HRGN region = ::CreateRectRgn(0, 0, 0, 0);
  int type = ::GetWindowRgn(window, region);
  bool same = type != ERROR && expected && ::EqualRgn(region, expected);
  RECT box{};
  ::GetRgnBox(region, &box);
  ::DeleteObject(region);
  if (same || (type == ERROR && !expected)) return testing::AssertionSuccess();
  auto failure = testing::AssertionFailure();
  if (type == ERROR) return failure << "no region";
  return failure << "region type " << type << " box " << box.left << "," << box.top << "-" << box.right << ","
                 << box.bottom;
}

// The body and a two-pixel margin; the pin button as well when pinned.
HRGN InactiveRegion(HWND note, bool pinned) {
  RECT body = InWindow(note, NoteSession::Body(note));
  ::InflateRect(&body, 2, 2);
  HRGN region = ::CreateRectRgnIndirect(&body);
  if (pinned) {
    RECT pin = InWindow(note, ::GetDlgItem(note, kPinButton));
    HRGN pinRegion = ::CreateRectRgnIndirect(&pin);
    ::CombineRgn(region, region, pinRegion, RGN_OR);
    ::DeleteObject(pinRegion);
  }
  return region;
}

TEST(NoteFrameTest, InactiveNoteShowsOnlyItsBodyAndItsPinWhilePinned) {
  NoteSession session;
  ASSERT_TRUE(WriteBytes(session.NotePath("plain.txt"), "not pinned"));
  ASSERT_TRUE(WriteBytes(session.NotePath("pinned.txt"), "pinned"));
  IniSet(session.NotePath("pinned.txt") + ".ini", "Window", "Style", "34");  // pinned (0x20), far edge
  IniSet(session.NotePath("pinned.txt") + ".ini", "Window", "X", "500");
  ASSERT_TRUE(session.Start());
  HWND plain = session.WaitNote("plain.txt");
  HWND pinned = session.WaitNote("pinned.txt");
  ASSERT_TRUE(plain && pinned);
  ASSERT_TRUE(WaitUntil([&] { return ::IsWindowVisible(::GetDlgItem(pinned, kPinButton)); }));
  EXPECT_EQ(::GetWindowLongPtrA(::GetDlgItem(pinned, kPinButton), GWLP_USERDATA) & 1, 1) << "pin drawn checked";

  ASSERT_TRUE(BringToForeground(pinned));
  ASSERT_TRUE(BringToForeground(plain));
  PumpFor(300);
  EXPECT_TRUE(RegionIs(plain, nullptr)) << "the active note shows its caption";
  HRGN expected = InactiveRegion(pinned, true);
  EXPECT_TRUE(RegionIs(pinned, expected));
  ::DeleteObject(expected);

  // Activation brings the caption back; the other note loses it.
  ASSERT_TRUE(BringToForeground(pinned));
  PumpFor(300);
  EXPECT_TRUE(RegionIs(pinned, nullptr));
  expected = InactiveRegion(plain, false);
  EXPECT_TRUE(RegionIs(plain, expected));
  ::DeleteObject(expected);
  EXPECT_EQ(session.app().Quit(), 0u);
}

// The buttons' tooltips come only once the pointer reaches the note; they
// must still come, under the real pointer.
TEST(NoteFrameTest, CaptionButtonsTellWhatTheyDoUnderThePointer) {
  NoteSession session;
  ASSERT_TRUE(WriteBytes(session.NotePath("tips.txt"), "tips"));
  IniSet(session.NotePath("tips.txt") + ".ini", "Window", "X", "300");
  IniSet(session.NotePath("tips.txt") + ".ini", "Window", "Y", "300");
  ASSERT_TRUE(session.Start());
  HWND note = session.WaitNote("tips.txt");
  ASSERT_TRUE(note);
  ASSERT_TRUE(BringToForeground(note));
  PumpFor(300);
  RECT remove = WindowRect(::GetDlgItem(note, 265));
  int x = (remove.left + remove.right) / 2, y = (remove.top + remove.bottom) / 2;
  std::string path = "mousemove " + std::to_string(x - 3) + " " + std::to_string(y) + " sleep 0.2 mousemove " +
                     std::to_string(x) + " " + std::to_string(y);
  if (!XPointer(path)) GTEST_SKIP() << "no xdotool";
  auto tip = [&] {
    for (HWND t : session.app().Windows("tooltips_class32", nullptr, true)) {
      if (WindowText(t) == "削除") return true;
    }
    return false;
  };
  EXPECT_TRUE(WaitUntil(tip, 5000)) << "no tooltip over the delete button";
  EXPECT_EQ(session.app().Quit(), 0u);
}

}  // namespace
}  // namespace memo::test
