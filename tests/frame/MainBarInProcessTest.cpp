// The main bar's window code run inside the test process (the product's
// object files are linked into every test program, so its window classes
// are registered here too).
//
// 500 page switches (each closing and opening note windows with their
// caption buttons, body, tooltips and regions) must leave the process's GDI
// and USER objects, and the blocks in use in its heaps, as they were.
//
// GetGuiResources is a stub under Wine (it returns 0), so the test measures
// what is still free instead: it creates cheap objects until creation fails,
// frees them again, and compares the counts before and after the switches.
//
// A page rename tells the windows before and after it (refresh message), and
// after it the page is current under its new name.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "frame/ClassNames.h"
#include "frame/Messages.h"
#include "frame/Tooltip.h"
#include "tests/support/AppDriver.h"
#include "tests/support/InProcessBar.h"
#include "tests/support/TestFiles.h"

namespace memo {
namespace {

using test::Join;

constexpr int kSwitches = 500;
// Objects that may come and go around a measurement without any leak (the
// system's own caches, other processes sharing Wine's USER handle table).
constexpr long kTolerance = 20;
// Heap blocks that caches (the shared tooltip's tool list, Wine's own) may
// hold on to after a measurement.
constexpr long kBlockTolerance = 50;

using test::Drain;
using test::FreeGdiObjects;
using test::FreeUserObjects;
using test::InProcessBar;
using test::NoteWindowsOfThisThread;
using test::RunInUnmanagedCopy;

TEST(PageSwitchLeakTest, FiveHundredSwitchesLeaveGdiAndUserObjectsAsTheyWere) {
  if (RunInUnmanagedCopy("PageSwitchLeakTest.*")) return;
  test::TempFolder root("memo-leak");
  // AutoRun off: the bar must not write the Run value for the test program.
  test::IniSet(root / "root.ini", "Info", "AutoRun", "0");
  ASSERT_TRUE(test::MakeFolder(root / "common"));
  ASSERT_TRUE(test::MakeFolder(root / "A"));
  ASSERT_TRUE(test::MakeFolder(root / "B"));
  // One note on each page, of two kinds (each note opened or closed costs
  // some 60 ms under Wine): a folder note, and a coloured, translucent text
  // note (layered style, colour brushes, its edit control) with a mini note
  // (an edit control of its own).
  ASSERT_TRUE(test::MakeFolder(Join(root / "A", "folder")));
  ASSERT_TRUE(test::WriteBytes(Join(root / "B", "b1.txt"), "note of B"));
  std::string b1Ini = Join(root / "B", "b1.txt.ini");
  test::IniSet(b1Ini, "Window", "ColorBG", "80C0FF");
  test::IniSet(b1Ini, "Window", "Alpha", "30");
  for (const auto& value : {std::make_pair("X", "300"), std::make_pair("Y", "300"), std::make_pair("CX", "121"),
                            std::make_pair("CY", "20"), std::make_pair("Text", "mini")}) {
    test::IniSet(b1Ini, "Mini1", value.first, value.second);
  }

  InProcessBar bar(root.path());
  ASSERT_TRUE(bar.get());
  ASSERT_EQ(::FindWindowA(kClassMain, nullptr), bar.get());

  const char* pages[] = {"A", "B"};
  auto switchTo = [&](const char* page) {
    ::SendMessageA(bar.get(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(page));
    Drain();
  };
  // The first rounds make what is made once (the shared tooltip, class
  // brushes, cached fonts).
  for (int i = 0; i < 6; ++i) switchTo(pages[(i + 1) % 2]);
  ASSERT_EQ(test::WindowText(bar.get()), "A");
  ASSERT_EQ(NoteWindowsOfThisThread().size(), 1u) << "the folder note of A";

  // The measurement sees objects that are held: 50 of each kind.
  {
    long gdiFree = FreeGdiObjects(), userFree = FreeUserObjects();
    std::vector<HRGN> regions;
    std::vector<HMENU> menus;
    for (int i = 0; i < 50; ++i) {
      regions.push_back(::CreateRectRgn(0, 0, 1, 1));
      menus.push_back(::CreateMenu());
    }
    EXPECT_LE(FreeGdiObjects(), gdiFree - 50 + kTolerance);
    EXPECT_LE(FreeUserObjects(), userFree - 50 + kTolerance);
    for (HRGN r : regions) ::DeleteObject(r);
    for (HMENU m : menus) ::DestroyMenu(m);
  }

  long gdiBefore = FreeGdiObjects();
  long userBefore = FreeUserObjects();
  DWORD guiGdiBefore = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
  DWORD guiUserBefore = ::GetGuiResources(::GetCurrentProcess(), GR_USEROBJECTS);
  LRESULT toolsBefore = ::SendMessageA(SharedTooltip(), TTM_GETTOOLCOUNT, 0, 0);
  long blocksBefore = test::HeapBlocksInUse();
  ASSERT_GT(gdiBefore, 1000);
  ASSERT_GT(userBefore, 1000);

  DWORD start = ::GetTickCount();
  for (int i = 0; i < kSwitches; ++i) switchTo(pages[(i + 1) % 2]);
  DWORD took = ::GetTickCount() - start;
  ASSERT_EQ(test::WindowText(bar.get()), "A");
  ASSERT_EQ(NoteWindowsOfThisThread().size(), 1u);

  long gdiAfter = FreeGdiObjects();
  long userAfter = FreeUserObjects();
  DWORD guiGdiAfter = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
  DWORD guiUserAfter = ::GetGuiResources(::GetCurrentProcess(), GR_USEROBJECTS);
  LRESULT toolsAfter = ::SendMessageA(SharedTooltip(), TTM_GETTOOLCOUNT, 0, 0);
  long blocksAfter = test::HeapBlocksInUse();

  std::printf("%d switches in %lu ms; free GDI objects %ld -> %ld, free USER objects %ld -> %ld, "
              "tooltip tools %ld -> %ld, heap blocks in use %ld -> %ld\n",
              kSwitches, took, gdiBefore, gdiAfter, userBefore, userAfter, static_cast<long>(toolsBefore),
              static_cast<long>(toolsAfter), blocksBefore, blocksAfter);
  EXPECT_GE(gdiAfter, gdiBefore - kTolerance) << "GDI objects leak at page switches";
  EXPECT_GE(userAfter, userBefore - kTolerance) << "USER objects leak at page switches";
  // Where the system counts objects (Windows), the counts agree.
  if (guiGdiBefore != 0) {
    EXPECT_LE(guiGdiAfter, guiGdiBefore + kTolerance);
  }
  if (guiUserBefore != 0) {
    EXPECT_LE(guiUserAfter, guiUserBefore + kTolerance);
  }
  // The shared tooltip forgets the tools of the windows that went.
  EXPECT_LE(toolsAfter, toolsBefore + kTolerance) << "tooltip tools pile up";
  // The text note and its mini note opened and closed 250 times: a block
  // kept per window (as the edit control's tab stops once were under Wine)
  // is 250 more.
  EXPECT_LE(blocksAfter, blocksBefore + kBlockTolerance) << "heap blocks pile up at page switches";
}

}  // namespace
}  // namespace memo

namespace memo {
namespace {

// A stand-in for a folder note: a visible top-level window of this thread
// that notes, for each refresh message, its wParam and the current page
// then, and whether that page's folder existed.
struct RefreshEntry {
  WPARAM wParam;
  std::string page;
  bool folderExists;
  bool operator==(const RefreshEntry& o) const {
    return wParam == o.wParam && page == o.page && folderExists == o.folderExists;
  }
};

struct RefreshLog {
  std::string root;
  std::vector<RefreshEntry> entries;
};

LRESULT CALLBACK RecordRefresh(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kMsgRefresh) {
    auto* log = reinterpret_cast<RefreshLog*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    std::string page = test::IniGet(log->root + "\\root.ini", "Info", "CurrentPage");
    log->entries.push_back({wParam, page, test::FolderExists(Join(log->root, page))});
    return 0;
  }
  return ::DefWindowProcA(hwnd, message, wParam, lParam);
}

void PrintTo(const RefreshEntry& e, std::ostream* os) {
  *os << "{" << e.wParam << ", " << e.page << ", " << (e.folderExists ? "exists" : "missing") << "}";
}

TEST(MainBarRenameTest, FolderNotesRebuildAfterARenameWithTheNewPageCurrent) {
  test::TempFolder root("memo-rename");
  test::IniSet(root / "root.ini", "Info", "AutoRun", "0");
  ASSERT_TRUE(test::MakeFolder(root / "common"));
  ASSERT_TRUE(test::MakeFolder(root / "A"));

  WNDCLASSEXA wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = RecordRefresh;
  wc.hInstance = ::GetModuleHandleA(nullptr);
  wc.lpszClassName = "MemopaneTest-RefreshRecorder";
  ::RegisterClassExA(&wc);
  RefreshLog log{root.path(), {}};
  HWND recorder = ::CreateWindowExA(WS_EX_TOOLWINDOW, wc.lpszClassName, nullptr, WS_POPUP, 0, 0, 10, 10, nullptr,
                                    nullptr, wc.hInstance, nullptr);
  ASSERT_TRUE(recorder);
  ::SetWindowLongPtrA(recorder, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&log));
  ::ShowWindow(recorder, SW_SHOWNOACTIVATE);

  {
    InProcessBar bar(root.path());
    ASSERT_TRUE(bar.get());
    ASSERT_TRUE(::SendMessageA(bar.get(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("A")));
    ASSERT_TRUE(log.entries.empty()) << "a switch is no rename";

    // The refresh with wParam 0 comes after the rename, when the page under
    // its new name is the current page: a folder note rebuilds from there.
    ASSERT_TRUE(::SendMessageA(bar.get(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("A2")));
    EXPECT_EQ(log.entries, (std::vector<RefreshEntry>{{1, "A", true}, {0, "A2", true}}));
    EXPECT_EQ(test::WindowText(bar.get()), "A2");

    // A rename that fails: the page keeps its name, and the rebuild finds
    // it. (Windows would report the failure in a box of its own, which
    // nobody here could answer.)
    if (test::RunningUnderWine()) {
      log.entries.clear();
      HANDLE held = ::CreateFileA((root / "A2").c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
      ASSERT_NE(held, INVALID_HANDLE_VALUE);
      EXPECT_FALSE(::SendMessageA(bar.get(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("A3")));
      ::CloseHandle(held);
      EXPECT_EQ(log.entries, (std::vector<RefreshEntry>{{1, "A2", true}, {0, "A2", true}}));
      EXPECT_EQ(test::WindowText(bar.get()), "A2");
      EXPECT_EQ(test::IniGet(root / "root.ini", "Info", "CurrentPage"), "A2");
    }
  }
  ::DestroyWindow(recorder);
  ::UnregisterClassA(wc.lpszClassName, wc.hInstance);
}

}  // namespace
}  // namespace memo
