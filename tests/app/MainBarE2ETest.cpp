// The main bar of the real program: dragged and sized with the mouse it stays
// inside the work area, at least 120 wide and 24 high; its buttons sit at
// its ends; its tray icon is there while the program runs.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <string>

#include "frame/Messages.h"
#include "tests/support/AppDriver.h"
#include "tests/support/AppTest.h"
#include "tests/support/Menus.h"
#include "tests/support/TestFiles.h"

namespace memo::test {
namespace {


RECT ClientRectOfChild(HWND parent, HWND child) {
  RECT r = WindowRect(child);
  ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

class MainBarTest : public AppTest {
 protected:
  // Presses the left button at from, moves in steps to to, and releases.
  void Drag(POINT from, POINT to) {
    MouseMoveTo(from.x, from.y);
    PumpFor(100);
    MouseLeft(true);
    PumpFor(200);
    for (int step = 1; step <= 4; ++step) {
      MouseMoveTo(from.x + (to.x - from.x) * step / 4, from.y + (to.y - from.y) * step / 4);
      PumpFor(100);
    }
    MouseLeft(false);
    PumpFor(200);
  }

};

TEST_F(MainBarTest, DraggedAndSizedTheBarStaysInTheWorkAreaAndKeepsItsHeight) {
  ASSERT_TRUE(app_.StartWithRoot(root_.path()));
  HWND bar = app_.WaitMainBarVisible();
  ASSERT_TRUE(bar);
  const RECT work = WorkArea();
  RECT r = WindowRect(bar);
  ASSERT_EQ(r.right - r.left, 320);

  // The buttons: menu at (3, 3), page list at (width - 23, 3), 20 wide and
  // the client height less 6.
  HWND menu = ::GetDlgItem(bar, kCmdMenuButton);
  HWND pages = ::GetDlgItem(bar, kCmdPageList);
  ASSERT_TRUE(WaitUntil([&] { return ::IsWindowVisible(menu) && ::IsWindowVisible(pages); }));
  RECT m = ClientRectOfChild(bar, menu), p = ClientRectOfChild(bar, pages);
  EXPECT_EQ(m.left, 3);
  EXPECT_EQ(m.top, 3);
  EXPECT_EQ(m.right - m.left, 20);
  EXPECT_EQ(m.bottom - m.top, 18);
  EXPECT_EQ(p.left, 320 - 23);
  EXPECT_EQ(p.top, 3);
  EXPECT_EQ(p.right - p.left, 20);
  EXPECT_EQ(WindowText(menu), ">");
  EXPECT_EQ(WindowText(pages), "V");

  // The bar is sized only at its two ends.
  const int midY = r.top + 12;
  EXPECT_EQ(::SendMessageA(bar, WM_NCHITTEST, 0, MAKELPARAM(r.left + 4, midY)), HTLEFT);
  EXPECT_EQ(::SendMessageA(bar, WM_NCHITTEST, 0, MAKELPARAM(r.right - 5, midY)), HTRIGHT);
  EXPECT_EQ(::SendMessageA(bar, WM_NCHITTEST, 0, MAKELPARAM(r.left + 160, midY)), HTCLIENT);
  MINMAXINFO limits{};
  limits.ptMinTrackSize = {1, 1};
  limits.ptMaxTrackSize = {5000, 5000};
  ::SendMessageA(bar, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
  EXPECT_EQ(limits.ptMinTrackSize.x, 120);
  EXPECT_EQ(limits.ptMaxTrackSize.y, 24);

  // A drag far past the bottom left corner stops with the bar in the corner
  // (the cursor clip's right and bottom edges are exclusive, so the bar may
  // stop one pixel short there); the cursor is released afterwards.
  POINT grip{r.left + 160, midY};
  Drag(grip, POINT{work.left + 1, work.bottom + 400});
  r = WindowRect(bar);
  EXPECT_EQ(r.left, work.left);
  EXPECT_LE(r.bottom, work.bottom);
  EXPECT_GE(r.bottom, work.bottom - 1);
  EXPECT_EQ(r.right - r.left, 320);
  EXPECT_EQ(r.bottom - r.top, 24);
  RECT clip{};
  ::GetClipCursor(&clip);
  EXPECT_GE(clip.right - clip.left, work.right - work.left) << "the cursor is still clipped";

  // And past the top right corner.
  grip = POINT{r.left + 160, r.top + 12};
  Drag(grip, POINT{work.right + 400, work.top - 400});
  r = WindowRect(bar);
  EXPECT_EQ(r.top, work.top);
  EXPECT_LE(r.right, work.right);
  EXPECT_GE(r.right, work.right - 1);

  // Sizing at the left end: it shrinks to no less than 120 and never grows
  // taller than 24, however far the mouse goes.
  const LONG rightEnd = r.right;
  grip = POINT{r.left + 2, r.top + 12};
  Drag(grip, POINT{r.left + 600, r.top + 300});
  r = WindowRect(bar);
  EXPECT_GE(r.right - r.left, 120);
  EXPECT_LE(r.right - r.left, 122) << "the bar did not shrink to its minimum";
  EXPECT_EQ(r.bottom - r.top, 24);
  EXPECT_EQ(r.right, rightEnd) << "the right end stays";
  // Widened again at the left end: still 24 high, and the page-list button
  // follows the right end.
  grip = POINT{r.left + 2, r.top + 12};
  Drag(grip, POINT{r.left - 280, r.top + 200});
  r = WindowRect(bar);
  EXPECT_GT(r.right - r.left, 380);
  EXPECT_EQ(r.bottom - r.top, 24);
  EXPECT_EQ(ClientRectOfChild(bar, pages).left, (r.right - r.left) - 23);
  EXPECT_EQ(app_.Quit(), 0u);
}

TEST_F(MainBarTest, TrayIconExistsWhileTheProgramRuns) {
  int before = TrayIconCount();
  ASSERT_TRUE(app_.StartWithRoot(root_.path()));
  ASSERT_TRUE(app_.WaitMainBarVisible());
  ASSERT_TRUE(WaitUntil([&] { return TrayIconCount() > 0; })) << "no tray icon";
  int running = TrayIconCount();
  EXPECT_EQ(running, (before < 0 ? 0 : before) + 1);
  EXPECT_EQ(app_.Quit(), 0u);
  EXPECT_TRUE(WaitUntil([&] { return TrayIconCount() == running - 1; })) << "the icon stays after the end";
}

TEST_F(MainBarTest, TrayIconComesBackWhenTheShellRestarts) {
  ASSERT_TRUE(app_.StartWithRoot(root_.path()));
  HWND bar = app_.WaitMainBarVisible();
  ASSERT_TRUE(bar);
  ASSERT_TRUE(WaitUntil([&] { return TrayIconCount() > 0; })) << "no tray icon";
  const int running = TrayIconCount();
  const UINT taskbarCreated = ::RegisterWindowMessageA("TaskbarCreated");

  // A restarted shell has lost the icon, and says so to every window.
  NOTIFYICONDATAA icon{};
  icon.cbSize = NOTIFYICONDATAA_V1_SIZE;
  icon.hWnd = bar;
  icon.uID = 0;
  ASSERT_TRUE(::Shell_NotifyIconA(NIM_DELETE, &icon));
  ASSERT_TRUE(WaitUntil([&] { return TrayIconCount() == running - 1; }));
  ::SendMessageA(bar, taskbarCreated, 0, 0);
  EXPECT_TRUE(WaitUntil([&] { return TrayIconCount() == running; })) << "the icon was not added again";

  // Told so while the icon is there, the bar keeps one icon, and still
  // removes it at the end.
  ::SendMessageA(bar, taskbarCreated, 0, 0);
  PumpFor(500);
  EXPECT_EQ(TrayIconCount(), running);
  EXPECT_EQ(app_.Quit(), 0u);
  EXPECT_TRUE(WaitUntil([&] { return TrayIconCount() == running - 1; })) << "the icon stays after the end";
}

TEST_F(MainBarTest, TooltipGivesWayToWhatTheButtonsOpen) {
  ASSERT_TRUE(app_.StartWithRoot(root_.path()));
  HWND bar = app_.WaitMainBarVisible();
  ASSERT_TRUE(bar);
  HWND menuButton = ::GetDlgItem(bar, kCmdMenuButton);
  HWND pagesButton = ::GetDlgItem(bar, kCmdPageList);
  ASSERT_TRUE(WaitUntil([&] { return ::IsWindowVisible(menuButton) && ::IsWindowVisible(pagesButton); }));
  auto tooltipShown = [&] { return !app_.Windows("tooltips_class32", nullptr, true).empty(); };
  auto hover = [&](HWND button) {
    RECT r = WindowRect(button);
    MouseMoveTo((r.left + r.right) / 2 - 2, (r.top + r.bottom) / 2);
    PumpFor(50);
    MouseMoveTo((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    return WaitUntil(tooltipShown, 5000);
  };
  // Watched for a while: the tooltip must not come back over the menu.
  auto tooltipStaysAway = [&] { return !WaitUntil(tooltipShown, 700); };

  ASSERT_TRUE(hover(menuButton)) << "no tooltip over the menu button";
  ::PostMessageA(bar, WM_COMMAND, kCmdMenuButton, reinterpret_cast<LPARAM>(menuButton));
  HWND menu = WaitPopupMenu(app_.pid());
  ASSERT_TRUE(menu);
  EXPECT_TRUE(tooltipStaysAway()) << "the tooltip covers the main menu";
  MenuPostKey(menu, VK_ESCAPE);
  ASSERT_TRUE(WaitNoPopupMenu(app_.pid()));

  ASSERT_TRUE(hover(pagesButton)) << "no tooltip over the page-list button";
  ::PostMessageA(bar, WM_COMMAND, kCmdPageList, 0);
  ASSERT_TRUE(WaitUntil([&] { return ::GetDlgItem(bar, kIdBody) != nullptr; }));
  EXPECT_TRUE(tooltipStaysAway()) << "the tooltip covers the page list";
  ::SendMessageA(::GetDlgItem(bar, kIdBody), CB_SHOWDROPDOWN, FALSE, 0);
  EXPECT_TRUE(WaitUntil([&] { return ::GetDlgItem(bar, kIdBody) == nullptr; }));
  MouseMoveTo(0, 500);
  EXPECT_EQ(app_.Quit(), 0u);
}

}  // namespace
}  // namespace memo::test
