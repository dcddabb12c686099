// Minimizing to an edge in the real program: notes minimize by themselves
// once another program is in front and the cursor is elsewhere (unless
// pinned or set not to), their edge bars stand on the edge and at the place
// the rules give, and the bars restore their notes by mouse action across a
// long side, by double click, and with the main bar's bring-to-front; a
// bar dragged with the real pointer slides along its edge with its note,
// and the program still ends and starts again after it; a bar shows the
// name its note is given while minimized.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "frame/Messages.h"
#include "tests/support/AppDriver.h"
#include "tests/support/Keys.h"
#include "tests/support/NoteSession.h"
#include "tests/support/TestFiles.h"

namespace memo::test {
namespace {

constexpr char kBarClass[] = "Memopane-Bar";

std::string Show(const RECT& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
         std::to_string(r.bottom);
}

// A window of the test program, so that another program than Memopane is
// in front and the cursor rests on something that is not Memopane's.
class ForegroundWindow {
 public:
  ForegroundWindow() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = ::DefWindowProcA;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.hbrBackground = static_cast<HBRUSH>(::GetStockObject(GRAY_BRUSH));
    wc.lpszClassName = "EdgeBarTestForeground";
    ::RegisterClassA(&wc);
    hwnd_ = ::CreateWindowExA(WS_EX_TOPMOST, wc.lpszClassName, "other program", WS_POPUP | WS_VISIBLE, 600, 500,
                              300, 300, nullptr, nullptr, wc.hInstance, nullptr);
  }
  ~ForegroundWindow() { ::DestroyWindow(hwnd_); }
  bool TakeFront() {
    MouseMoveTo(750, 650);
    return BringToForeground(hwnd_);
  }

 private:
  HWND hwnd_ = nullptr;
};

class EdgeBarTest : public ::testing::Test {
 protected:
  void AddNote(const std::string& name, int style, int x, int y, int cx, int cy) {
    std::string path = session_.NotePath(name);
    ASSERT_TRUE(WriteBytes(path, name));
    std::string ini = path + ".ini";
    for (auto [key, value] : {std::pair<const char*, int>{"Style", style}, {"X", x}, {"Y", y}, {"CX", cx}, {"CY", cy}}) {
      IniSet(ini, "Window", key, std::to_string(value).c_str());
    }
  }

  HWND BarOf(const std::string& name) { return session_.app().FindWindowOf(kBarClass, name.c_str()); }
  HWND WaitBar(const std::string& name, DWORD ms = kDefaultWaitMs) {
    return session_.app().WaitWindow(kBarClass, name.c_str(), ms);
  }

  NoteSession session_;
  ForegroundWindow other_;
};

TEST_F(EdgeBarTest, NotesInTheBackgroundMinimizeAfterASecondUnlessPinnedOrSetNotTo) {
  // One wide note per edge, minimizing together.
  AddNote("top.txt", 0x004, 100, 100, 300, 200);
  AddNote("bottom.txt", 0x006, 150, 250, 300, 200);
  AddNote("left.txt", 0x000, 200, 150, 300, 200);
  AddNote("right.txt", 0x002, 250, 200, 300, 200);
  AddNote("pinned.txt", 0x022, 300, 400, 100, 60);
  AddNote("fixed.txt", 0x007, 300, 480, 100, 60);  // bottom edge, no automatic minimize
  ASSERT_TRUE(session_.Start());
  for (const char* name : {"top.txt", "bottom.txt", "left.txt", "right.txt"}) ASSERT_TRUE(session_.WaitNote(name));
  HWND pinned = session_.WaitNote("pinned.txt");
  HWND fixed = session_.WaitNote("fixed.txt");
  ASSERT_TRUE(pinned && fixed);
  ASSERT_TRUE(other_.TakeFront());
  DWORD start = ::GetTickCount();
  HWND top = WaitBar("top.txt");
  ASSERT_TRUE(top) << [&] {
    std::string state = "fg " + ClassOf(::GetForegroundWindow()) + " under " + ClassOf(::WindowFromPoint(POINT{750, 650})) + ": ";
    for (HWND note : session_.app().NoteWindows()) {
      state += WindowText(note) + (::IsWindowVisible(note) ? " shown " : " hidden ") +
               std::to_string(reinterpret_cast<INT_PTR>(::GetPropA(note, "MinimizeCounter"))) + "; ";
    }
    for (HWND bar : session_.app().Windows(kBarClass)) {
      state += "bar '" + WindowText(bar) + "' " + (::IsWindowVisible(bar) ? "shown " : "hidden ") + Show(WindowRect(bar)) + "; ";
    }
    return state;
  }();
  EXPECT_GE(::GetTickCount() - start, 800u) << "ten ticks of 100 ms first";
  EXPECT_FALSE(::IsWindowVisible(session_.app().FindWindowOf(kTextClass, "top.txt")));
  RECT work = WorkArea();
  EXPECT_EQ(Show(WindowRect(top)), Show(RECT{218, work.top, 282, work.top + 3}));
  HWND bottom = WaitBar("bottom.txt"), left = WaitBar("left.txt"), right = WaitBar("right.txt");
  ASSERT_TRUE(bottom && left && right) << "every note in the background minimizes";
  EXPECT_EQ(Show(WindowRect(bottom)), Show(RECT{268, work.bottom - 3, 332, work.bottom}));
  EXPECT_EQ(Show(WindowRect(left)), Show(RECT{work.left, 226, work.left + 4, 274}));
  EXPECT_EQ(Show(WindowRect(right)), Show(RECT{work.right - 4, 276, work.right, 324}));

  PumpFor(1500);
  EXPECT_TRUE(::IsWindowVisible(pinned) && ::IsWindowVisible(fixed)) << "never by themselves";
  // "_" minimizes them all the same.
  ::PostMessageA(pinned, WM_COMMAND, kCmdMinimize, 0);
  ::PostMessageA(fixed, WM_COMMAND, kCmdMinimize, 0);
  HWND pinnedBar = WaitBar("pinned.txt");
  HWND fixedBar = WaitBar("fixed.txt");
  ASSERT_TRUE(pinnedBar && fixedBar);
  EXPECT_EQ(WindowRect(pinnedBar).right, work.right);
  EXPECT_EQ(WindowRect(fixedBar).bottom, work.bottom);
  EXPECT_FALSE(::IsWindowVisible(pinned));
  EXPECT_EQ(session_.app().Quit(), 0u);
}

TEST_F(EdgeBarTest, BarsStandOnTheirEdgeSpanningNarrowNotesAndCentredOnWideOnes) {
  struct Case {
    const char* name;
    int style, x, y, cx, cy;
  } cases[] = {
      {"top-narrow.txt", 0x005, 20, 100, 50, 50},    {"top-wide.txt", 0x005, 100, 100, 300, 200},
      {"bottom-narrow.txt", 0x007, 20, 400, 50, 50}, {"bottom-wide.txt", 0x007, 150, 250, 300, 200},
      {"left-narrow.txt", 0x001, 20, 200, 50, 50},   {"left-wide.txt", 0x001, 200, 150, 300, 200},
      {"right-narrow.txt", 0x003, 20, 300, 50, 50},  {"right-wide.txt", 0x003, 250, 200, 300, 200},
  };
  for (const Case& c : cases) AddNote(c.name, c.style, c.x, c.y, c.cx, c.cy);
  ASSERT_TRUE(session_.Start());
  for (const Case& c : cases) {
    HWND note = session_.WaitNote(c.name);
    ASSERT_TRUE(note) << c.name;
    ::PostMessageA(note, WM_COMMAND, kCmdMinimize, 0);
  }
  RECT work = WorkArea();
  for (const Case& c : cases) {
    HWND note = session_.app().FindWindowOf(kTextClass, c.name);
    HWND bar = WaitBar(c.name);
    ASSERT_TRUE(note && bar) << c.name;
    EXPECT_FALSE(::IsWindowVisible(note)) << c.name;
    RECT n = WindowRect(note), expected{};
    if (c.style & 0x004) {  // along the top or bottom, at most 64 wide
      int centre = (n.left + n.right) / 2;
      bool capped = n.right - n.left > 64;
      expected.left = capped ? centre - 32 : n.left;
      expected.right = capped ? centre + 32 : n.right;
      expected.top = (c.style & 0x002) ? work.bottom - 3 : work.top;
      expected.bottom = expected.top + 3;
    } else {  // along the left or right, at most 48 high (no note is lower)
      int centre = (n.top + n.bottom) / 2;
      expected.top = centre - 24;
      expected.bottom = centre + 24;
      expected.left = (c.style & 0x002) ? work.right - 4 : work.left;
      expected.right = expected.left + 4;
    }
    EXPECT_EQ(Show(WindowRect(bar)), Show(expected)) << c.name << " note " << Show(n);
  }
  EXPECT_EQ(Show(WindowRect(BarOf("top-narrow.txt"))), Show(RECT{20, work.top, 70, work.top + 3}));
  EXPECT_EQ(session_.app().Quit(), 0u);
}

TEST_F(EdgeBarTest, MouseRestoresAcrossALongSideOnlyAndDoubleClickAlways) {
  AddNote("mouse.txt", 0x003, 100, 300, 300, 200);  // right edge; minimized by hand only
  AddNote("dbl.txt", 0x107, 100, 300, 300, 200);    // bottom edge, restore by double click only
  ASSERT_TRUE(session_.Start());
  HWND mouse = session_.WaitNote("mouse.txt");
  HWND dbl = session_.WaitNote("dbl.txt");
  ASSERT_TRUE(mouse && dbl);
  ASSERT_TRUE(other_.TakeFront());
  ::PostMessageA(mouse, WM_COMMAND, kCmdMinimize, 0);
  ::PostMessageA(dbl, WM_COMMAND, kCmdMinimize, 0);
  HWND mouseBar = WaitBar("mouse.txt");
  HWND dblBar = WaitBar("dbl.txt");
  ASSERT_TRUE(mouseBar && dblBar);

  // Right bar: over it, then out through its lower end.
  RECT r = WindowRect(mouseBar);
  int midY = (r.top + r.bottom) / 2;
  MouseMoveTo(r.left + 1, midY);
  EXPECT_TRUE(WaitUntil([&] { return ::GetCapture() == nullptr && ::IsWindowVisible(mouseBar); }, 300));
  PumpFor(300);
  MouseMoveTo(r.left + 1, r.bottom + 20);
  PumpFor(500);
  EXPECT_FALSE(::IsWindowVisible(mouse)) << "a short end does not restore";
  // Over it again, and out towards the middle of the screen.
  MouseMoveTo(r.left + 2, midY);
  PumpFor(300);
  MouseMoveTo(r.left - 40, midY);
  EXPECT_TRUE(WaitUntil([&] { return ::IsWindowVisible(mouse) != FALSE; })) << "a long side restores";
  EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(mouseBar); }));

  // Bottom bar of a note restored by double click only.
  RECT d = WindowRect(dblBar);
  int midX = (d.left + d.right) / 2;
  MouseMoveTo(midX, d.top + 1);
  PumpFor(300);
  MouseMoveTo(midX, d.top - 40);
  PumpFor(500);
  EXPECT_FALSE(::IsWindowVisible(dbl)) << "passing over only colours the bar";
  ::PostMessageA(dblBar, WM_LBUTTONDBLCLK, 0, MAKELPARAM(1, 1));
  EXPECT_TRUE(WaitUntil([&] { return ::IsWindowVisible(dbl) != FALSE; }));
  EXPECT_EQ(session_.app().Quit(), 0u);
}

TEST_F(EdgeBarTest, BringToFrontRestoresBarsExceptThoseKeptApart) {
  AddNote("with.txt", 0x003, 100, 300, 200, 100);
  AddNote("apart.txt", 0x203, 100, 450, 200, 100);
  ASSERT_TRUE(session_.Start());
  HWND with = session_.WaitNote("with.txt");
  HWND apart = session_.WaitNote("apart.txt");
  ASSERT_TRUE(with && apart);
  ::PostMessageA(with, WM_COMMAND, kCmdMinimize, 0);
  ::PostMessageA(apart, WM_COMMAND, kCmdMinimize, 0);
  HWND apartBar = WaitBar("apart.txt");
  ASSERT_TRUE(WaitBar("with.txt") && apartBar);
  ::PostMessageA(session_.bar(), WM_COMMAND, kCmdBringToFront, 0);
  EXPECT_TRUE(WaitUntil([&] { return ::IsWindowVisible(with) != FALSE; }));
  EXPECT_TRUE(WaitUntil([&] { return BarOf("with.txt") == nullptr; }));
  PumpFor(300);
  EXPECT_FALSE(::IsWindowVisible(apart));
  EXPECT_TRUE(::IsWindowVisible(apartBar));
  EXPECT_EQ(session_.app().Quit(), 0u);
}

TEST_F(EdgeBarTest, ADragWithTheRealPointerSlidesTheBarAndTheProgramStillEnds) {
  UnmanagedWindowsScope unmanaged;  // the quit is timed: no two-second hides
  AddNote("drag.txt", 0x001, 100, 300, 200, 100);  // left edge, minimized by hand only
  ASSERT_TRUE(session_.Start());
  HWND note = session_.WaitNote("drag.txt");
  ASSERT_TRUE(note);
  ::PostMessageA(note, WM_COMMAND, kCmdMinimize, 0);
  HWND bar = WaitBar("drag.txt");
  ASSERT_TRUE(bar);
  RECT from = WindowRect(bar);
  int x = from.left + 1, y = (from.top + from.bottom) / 2;
  // Pressed, and dragged down the edge by a hand that drifts well off it.
  std::string drag = "mousemove " + std::to_string(x) + " " + std::to_string(y) + " sleep 0.3 mousedown 1 sleep 0.2";
  for (int step = 1; step <= 6; ++step) {
    drag += " mousemove " + std::to_string(x + 6 * step) + " " + std::to_string(y + 20 * step) + " sleep 0.05";
  }
  drag += " sleep 0.2 mouseup 1 sleep 0.2 mousemove 700 700";
  if (!XPointer(drag)) GTEST_SKIP() << "no xdotool";
  PumpFor(300);
  RECT to = WindowRect(bar);
  EXPECT_EQ(to.left, from.left) << "the bar left its edge";
  EXPECT_EQ(to.top, from.top + 120) << Show(to);
  EXPECT_FALSE(::IsWindowVisible(note)) << "a drag is no leaving";
  RECT n = WindowRect(note);
  EXPECT_EQ((n.top + n.bottom) / 2, (to.top + to.bottom) / 2) << "the note follows its bar";

  EXPECT_EQ(session_.app().Quit(5000), 0u) << "the program outlived its bar";
  ASSERT_TRUE(session_.Start()) << "the next start shows no bar";
  EXPECT_EQ(session_.app().Quit(), 0u);
}

TEST_F(EdgeBarTest, TheBarOfAMinimizedNoteTakesItsNewName) {
  AddNote("old.txt", 0x001, 100, 300, 200, 100);
  ASSERT_TRUE(session_.Start());
  HWND note = session_.WaitNote("old.txt");
  ASSERT_TRUE(note);
  ::PostMessageA(note, WM_COMMAND, kCmdMinimize, 0);
  HWND bar = WaitBar("old.txt");
  ASSERT_TRUE(bar);
  // As the property sheet opened from the bar's menu renames it.
  ASSERT_TRUE(SetText(note, "new.txt"));
  EXPECT_TRUE(FileExists(session_.NotePath("new.txt")));
  EXPECT_TRUE(WaitUntil([&] { return WindowText(bar) == "new.txt"; }, 2000)) << WindowText(bar);
  EXPECT_EQ(session_.app().Quit(), 0u);
}

}  // namespace
}  // namespace memo::test
