// Browser notes in the real program: a new note and its shortcut file, the
// browser host it shows once its URL is loaded, and the context menu with
// the user's favourites. What the control is asked to open is checked in
// the test process, where its events can be heard.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "frame/Messages.h"
#include "tests/support/AppDriver.h"
#include "tests/support/Menus.h"
#include "tests/support/NoteSession.h"
#include "tests/support/TestFiles.h"

namespace memo::test {
namespace {

constexpr char kBrowserClass[] = "Memopane-Browser";
constexpr char kNewBrowserName[] = "新しいブラウザ1.url";

std::string Shortcut(const std::string& url) { return "[InternetShortcut]\r\nURL=" + url + "\r\n"; }

// The user's Favorites folder with test entries in it, each removed again
// when the test ends; whatever the folder held before stays.
class FavoritesScope {
 public:
  FavoritesScope() {
    char path[MAX_PATH] = {};
    if (SUCCEEDED(::SHGetFolderPathA(nullptr, CSIDL_FAVORITES | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT,
                                     path))) {
      folder_ = path;
    }
  }
  ~FavoritesScope() {
    for (auto it = made_.rbegin(); it != made_.rend(); ++it) DeleteTree(*it);
  }
  FavoritesScope(const FavoritesScope&) = delete;
  FavoritesScope& operator=(const FavoritesScope&) = delete;

  bool Empty() const { return folder_.empty() || !ListNames(folder_).empty(); }
  bool AddFolder(const std::string& name) { return Track(name) && MakeFolder(Join(folder_, name)); }
  bool AddFile(const std::string& name, const std::string& bytes) {
    return Track(name) && WriteBytes(Join(folder_, name), bytes);
  }
  void Hide(const std::string& name) { ::SetFileAttributesA(Join(folder_, name).c_str(), FILE_ATTRIBUTE_HIDDEN); }

 private:
  bool Track(const std::string& name) {
    if (folder_.empty()) return false;
    made_.push_back(Join(folder_, name));
    return true;
  }
  std::string folder_;
  std::vector<std::string> made_;
};

// For a look at the program: MEMOPANE_TEST_HOLD_MS keeps a menu open that long.
void HoldForALook() {
  const char* hold = std::getenv("MEMOPANE_TEST_HOLD_MS");
  if (hold) PumpFor(static_cast<DWORD>(std::atoi(hold)));
}

TEST(BrowserNoteTest, ANewNoteHoldsAboutBlankAndShowsItsBrowserOnceLoaded) {
  NoteSession session;
  ASSERT_TRUE(session.Start());
  ::PostMessageA(session.bar(), WM_COMMAND, kCmdNewBrowser, 0);
  HWND note = session.WaitNote(kNewBrowserName, kBrowserClass);
  ASSERT_TRUE(note);
  EXPECT_EQ(IniGet(session.NotePath(kNewBrowserName), "InternetShortcut", "URL"), "about:blank");

  HWND host = NoteSession::Body(note);
  ASSERT_TRUE(host);
  EXPECT_EQ(ClassOf(host), "WC_WWW");
  EXPECT_TRUE(WaitUntil([&] { return ::IsWindowVisible(host) != FALSE; })) << "shown by the load";
  HWND container = ::GetDlgItem(host, 101);
  ASSERT_TRUE(container);
  EXPECT_EQ(ClassOf(container), "AtlAxWin");
  RECT hostRect = WindowRect(host);
  RECT containerRect = WindowRect(container);
  EXPECT_EQ(containerRect.right - containerRect.left, hostRect.right - hostRect.left);
  EXPECT_EQ(containerRect.bottom - containerRect.top, hostRect.bottom - hostRect.top);
  EXPECT_TRUE(session.app().NoDialogFor(500));

  // The load reads the file again; it writes nothing.
  IniSet(session.NotePath(kNewBrowserName), "InternetShortcut", "URL", "about:home");
  ::SendMessageA(note, kMsgBrowserLoad, 0, 0);
  EXPECT_EQ(IniGet(session.NotePath(kNewBrowserName), "InternetShortcut", "URL"), "about:home");
  EXPECT_TRUE(::IsWindowVisible(host));

  ASSERT_TRUE(NoteSession::CloseNote(note));
  EXPECT_EQ(IniGet(session.NotePath(kNewBrowserName), "InternetShortcut", "URL"), "about:home");
  EXPECT_EQ(session.app().Quit(), 0u);
}

TEST(BrowserNoteTest, TheContextMenuOffersTheFavouritesAndTheNoteCommands) {
  FavoritesScope favorites;
  if (favorites.Empty()) GTEST_SKIP() << "the Favorites folder is missing or not empty";
  ASSERT_TRUE(favorites.AddFolder("A"));
  ASSERT_TRUE(favorites.AddFolder("b"));
  ASSERT_TRUE(favorites.AddFile("C.url", Shortcut("http://example.com/C")));
  ASSERT_TRUE(favorites.AddFile("a.url", Shortcut("http://example.com/a")));
  ASSERT_TRUE(favorites.AddFile("b\\inner.url", Shortcut("http://example.com/inner")));
  ASSERT_TRUE(favorites.AddFile("hidden.url", Shortcut("http://example.com/hidden")));
  favorites.Hide("hidden.url");

  NoteSession session;
  ASSERT_TRUE(WriteBytes(session.NotePath("web.url"), Shortcut("about:blank")));
  ASSERT_TRUE(session.Start());
  HWND note = session.WaitNote("web.url", kBrowserClass);
  ASSERT_TRUE(note);
  const DWORD pid = session.app().pid();
  RECT r = WindowRect(note);

  // A favourite is shown, never stored in the note's own file.
  ::PostMessageA(note, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(note), MAKELPARAM(r.left + 20, r.top + 30));
  HWND menu = WaitPopupMenu(pid);
  ASSERT_TRUE(menu);
  MenuPostChar(menu, 'f');  // お気に入り(&F)
  menu = WaitPopupMenu(pid, 2);
  ASSERT_TRUE(menu);
  HoldForALook();
  MenuPostKey(menu, VK_DOWN);  // A, b, a, C
  MenuPostKey(menu, VK_DOWN);
  MenuPostKey(menu, VK_RETURN);
  EXPECT_TRUE(WaitNoPopupMenu(pid));
  EXPECT_TRUE(session.app().NoDialogFor(300));
  EXPECT_EQ(IniGet(session.NotePath("web.url"), "InternetShortcut", "URL"), "about:blank");

  // Other commands go to the note: duplicate makes a copy beside it.
  ::PostMessageA(note, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(note), MAKELPARAM(r.left + 20, r.top + 30));
  menu = WaitPopupMenu(pid);
  ASSERT_TRUE(menu);
  MenuPostChar(menu, 'd');  // 複製(&D)
  HWND copy = session.WaitNote("web1.url", kBrowserClass);
  ASSERT_TRUE(copy);
  EXPECT_EQ(IniGet(session.NotePath("web1.url"), "InternetShortcut", "URL"), "about:blank");
  EXPECT_EQ(session.app().Quit(), 0u);
}

}  // namespace
}  // namespace memo::test
