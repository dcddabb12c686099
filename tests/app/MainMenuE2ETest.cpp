// The main menu of the real program: "表示するページ" hides a page from the
// page list by making its folder read-only, and shows it again;
// "表示する付箋" closes a note, minimized or not.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "frame/Messages.h"
#include "tests/support/AppDriver.h"
#include "tests/support/Keys.h"
#include "tests/support/Menus.h"
#include "tests/support/NoteSession.h"
#include "tests/support/ReadOnly.h"
#include "tests/support/TestFiles.h"

namespace memo::test {
namespace {

constexpr int kPageListCommand = 272;

// Opens the bar's page list, reads its entries and closes it again.
std::vector<std::string> PageList(HWND bar) {
  std::vector<std::string> pages;
  ::PostMessageA(bar, WM_COMMAND, kPageListCommand, 0);
  HWND combo = nullptr;
  WaitUntil([&] {
    combo = ::GetDlgItem(bar, kBodyId);
    return combo && ::IsWindowVisible(combo);
  });
  if (!combo) return pages;
  DWORD_PTR count = 0;
  ::SendMessageTimeoutA(combo, CB_GETCOUNT, 0, 0, SMTO_NORMAL, 5000, &count);
  for (DWORD_PTR i = 0; i < count; ++i) {
    // Wine hands only the first character of an item to another process
    // through the ANSI message; the Unicode one carries it whole.
    WCHAR text[MAX_PATH] = {};
    DWORD_PTR length = 0;
    ::SendMessageTimeoutW(combo, CB_GETLBTEXTLEN, i, 0, SMTO_NORMAL, 5000, &length);
    if (length >= MAX_PATH) continue;
    ::SendMessageTimeoutW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 5000, &length);
    char ansi[MAX_PATH * 2] = {};
    ::WideCharToMultiByte(CP_ACP, 0, text, -1, ansi, sizeof(ansi), nullptr, nullptr);
    pages.push_back(ansi);
  }
  // Closing the list on the current page leaves the page as it is.
  PostKey(combo, VK_ESCAPE);
  WaitUntil([&] { return !::IsWindow(combo); });
  return pages;
}

// Chooses item `index` (0 = first) of the "表示するページ" sub-menu.
void ChoosePage(NoteSession& session, int index) {
  HWND menu = session.OpenMainMenu();
  ASSERT_TRUE(menu);
  MenuPostChar(menu, 'p');  // 表示するページ(&P): its first item is selected
  ASSERT_TRUE(WaitPopupMenu(session.app().pid(), 2));
  for (int i = 0; i < index; ++i) MenuPostKey(menu, VK_DOWN);
  MenuPostKey(menu, VK_RETURN);
  ASSERT_TRUE(WaitNoPopupMenu(session.app().pid()));
  PumpFor(300);
}

class PagesToShowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(MakeFolder(session_.PageFolder("beta")));
    ASSERT_TRUE(MakeFolder(session_.PageFolder("zeta")));
  }
  void TearDown() override {
    ClearReadOnly(session_.PageFolder("beta"));
    ClearReadOnly(session_.PageFolder("zeta"));
  }
  NoteSession session_;  // the current page is "page"
};

TEST_F(PagesToShowTest, HiddenPageComesBackToThePageList) {
  ASSERT_TRUE(MakeReadOnly(session_.PageFolder("zeta")));
  ASSERT_TRUE(session_.Start());
  EXPECT_EQ(PageList(session_.bar()), (std::vector<std::string>{"beta", "page"}));

  // Sorted without case: beta, common (no item), page, root.ini (no item), zeta.
  ChoosePage(session_, 2);
  EXPECT_FALSE(IsReadOnly(session_.PageFolder("zeta")));
  EXPECT_EQ(PageList(session_.bar()), (std::vector<std::string>{"beta", "page", "zeta"}));
  EXPECT_EQ(session_.app().Quit(), 0u);
}

TEST_F(PagesToShowTest, ShownPageIsHiddenFromThePageList) {
  if (!PlatformKeepsReadOnlyFolders()) {
    GTEST_SKIP() << "this platform keeps no read-only attribute on folders (Wine), "
                    "which is how a page is hidden";
  }
  ASSERT_TRUE(session_.Start());
  EXPECT_EQ(PageList(session_.bar()), (std::vector<std::string>{"beta", "page", "zeta"}));
  ChoosePage(session_, 0);
  EXPECT_TRUE(IsReadOnly(session_.PageFolder("beta")));
  EXPECT_EQ(PageList(session_.bar()), (std::vector<std::string>{"page", "zeta"}));
  EXPECT_EQ(session_.app().Quit(), 0u);
}

TEST(NotesToShowTest, AMinimizedNoteClosesWithItsEdgeBar) {
  UnmanagedWindowsScope unmanaged;
  NoteSession session;
  ASSERT_TRUE(WriteBytes(session.NotePath("a.txt"), "a"));
  IniSet(session.NotePath("a.txt") + ".ini", "Window", "Style", "1");
  ASSERT_TRUE(session.Start());
  HWND note = session.WaitNote("a.txt");
  ASSERT_TRUE(note);
  ::PostMessageA(note, WM_COMMAND, kCmdMinimize, 0);
  ASSERT_TRUE(session.app().WaitWindow("Memopane-Bar", "a.txt"));

  HWND menu = session.OpenMainMenu();
  ASSERT_TRUE(menu);
  MenuPostChar(menu, 'h');  // 表示する付箋(&H): its first item, a.txt, is selected
  ASSERT_TRUE(WaitPopupMenu(session.app().pid(), 2));
  MenuPostKey(menu, VK_RETURN);
  ASSERT_TRUE(WaitNoPopupMenu(session.app().pid()));
  EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(note); }));
  EXPECT_TRUE(WaitUntil([&] { return session.app().Windows("Memopane-Bar").empty(); }, 3000))
      << "the edge bar of the closed note stayed";
  EXPECT_EQ(session.app().Quit(), 0u);
}

}  // namespace
}  // namespace memo::test
