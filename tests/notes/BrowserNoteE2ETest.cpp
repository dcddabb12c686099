// Browser notes in the real program: a new note and its shortcut file, the
// browser host it shows once its URL is loaded, the context menu with the
// user's favourites, and the URL page of its property sheet. What the control is asked to open is checked in
// the test process, where its events can be heard.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "frame/Messages.h"
#include "store/Handles.h"
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

// A named pipe of the test's: whatever opens its path is seen to connect.
// Standing in for a share on another computer, it shows whether the program
// went there at all.
class PipeWatch {
 public:
  explicit PipeWatch(const std::string& name)
      : path_("\\\\.\\pipe\\" + name),
        pipe_(::CreateNamedPipeA(path_.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED, PIPE_TYPE_BYTE, 1, 4096,
                                 4096, 0, nullptr)),
        event_(::CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
    overlapped_.hEvent = event_.get();
    if (pipe_ && !::ConnectNamedPipe(pipe_.get(), &overlapped_) && ::GetLastError() == ERROR_PIPE_CONNECTED) {
      ::SetEvent(event_.get());
    }
  }
  ~PipeWatch() { Close(); }
  PipeWatch(const PipeWatch&) = delete;
  PipeWatch& operator=(const PipeWatch&) = delete;

  bool Ready() const { return pipe_ && event_; }
  const std::string& path() const { return path_; }
  bool Opened() const { return ::WaitForSingleObject(event_.get(), 0) == WAIT_OBJECT_0; }
  // Whatever waits to read from it is let go.
  void Close() { pipe_.reset(); }

 private:
  std::string path_;
  UniqueHandle pipe_;
  UniqueHandle event_;
  OVERLAPPED overlapped_{};
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

// The URL page of a browser note: opened by its own command on its own tab,
// filled from the shortcut file, taking the address shown now, and on OK
// storing the text as it is and loading it.
TEST(BrowserNoteTest, TheUrlPageStoresTheUrlLiterallyAndLoadsIt) {
  constexpr int kUrlCombo = 1000, kBrowse = 1006, kCurrentUrl = 1022, kGeneralName = 1000;
  NoteSession session;
  ASSERT_TRUE(WriteBytes(session.NotePath("web.url"), Shortcut("http://example.com/start")));
  IniSet(session.NotePath("web.url") + ".ini", "Window", "Style", "1");  // stays up
  ASSERT_TRUE(session.Start());
  HWND note = session.WaitNote("web.url", kBrowserClass);
  ASSERT_TRUE(note);
  HWND host = NoteSession::Body(note);
  ASSERT_TRUE(WaitUntil([&] { return ::IsWindowVisible(host) != FALSE; }));

  auto openOnUrlPage = [&](const char* caption) -> HWND {
    ::PostMessageA(note, WM_COMMAND, 1000, 0);  // "&URLを入力"
    HWND sheet = session.app().WaitWindow("#32770", caption);
    if (!sheet || !WaitUntil([&] { return ::IsWindowVisible(sheet) != FALSE; })) return nullptr;
    return sheet;
  };
  auto currentPage = [](HWND sheet) {
    return reinterpret_cast<HWND>(::SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
  };
  auto pressOk = [&](HWND sheet) {
    session.app().Answer(ReadDialog(sheet), IDOK);
    return WaitUntil([&] { return !::IsWindow(sheet); });
  };

  HWND sheet = openOnUrlPage("\"web.url\"のプロパティ");
  ASSERT_TRUE(sheet);
  HWND page = currentPage(sheet);
  EXPECT_EQ(::SendMessageA(sheet, PSM_HWNDTOINDEX, reinterpret_cast<WPARAM>(page), 0), 3)
      << "after General, Layout and Colour";
  HWND combo = ::GetDlgItem(page, kUrlCombo);
  ASSERT_TRUE(combo);
  EXPECT_EQ(WindowText(combo), "http://example.com/start");
  // The list in its sorted order, read through the field: the list texts
  // of a page's combo box do not cross processes whole under Wine.
  std::vector<std::string> listed;
  for (int i = 0; i < ::SendMessageA(combo, CB_GETCOUNT, 0, 0); ++i) {
    ::SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
    listed.push_back(WindowText(combo));
  }
  EXPECT_EQ(listed, (std::vector<std::string>{"about:blank", "about:home"}));
  // The host's text is the address of its last completed navigation.
  ASSERT_TRUE(SetText(host, "http://example.com/followed"));
  HWND current = ::GetDlgItem(page, kCurrentUrl);
  EXPECT_EQ(WindowText(current), "現在のURL");
  ::SendMessageA(page, WM_COMMAND, MAKEWPARAM(kCurrentUrl, BN_CLICKED), reinterpret_cast<LPARAM>(current));
  EXPECT_EQ(WindowText(combo), "http://example.com/followed");
  HoldForALook();

  // "about:home" is kept as written; the load shows the host again.
  ASSERT_TRUE(SetText(combo, "about:home"));
  ::ShowWindow(host, SW_HIDE);
  ASSERT_TRUE(WaitUntil([&] { return !::IsWindowVisible(host); }));
  ASSERT_TRUE(pressOk(sheet));
  EXPECT_NE(ReadBytes(session.NotePath("web.url")).value_or("").find("URL=about:home\r\n"), std::string::npos);
  EXPECT_TRUE(WaitUntil([&] { return ::IsWindowVisible(host) != FALSE; })) << "no load after OK";

  // Picked from the list, renamed on the General page of the same sheet:
  // the URL goes into the renamed file, none is left under the old name.
  sheet = openOnUrlPage("\"web.url\"のプロパティ");
  ASSERT_TRUE(sheet);
  combo = ::GetDlgItem(currentPage(sheet), kUrlCombo);
  EXPECT_EQ(WindowText(combo), "about:home");
  // "..." starts the file dialog on the file that the field names, and
  // puts the chosen path in the field.
  TempFolder files("memo-url-file");
  const std::string picked = files / "page.html";
  ASSERT_TRUE(WriteBytes(picked, "<p>"));
  ASSERT_TRUE(SetText(combo, picked));
  HWND urlPage = currentPage(sheet);
  ::PostMessageA(urlPage, WM_COMMAND, MAKEWPARAM(kBrowse, BN_CLICKED),
                 reinterpret_cast<LPARAM>(::GetDlgItem(urlPage, kBrowse)));
  HWND chooser = nullptr;
  ASSERT_TRUE(WaitUntil([&] {
    for (HWND dialog : session.app().Windows("#32770", nullptr, true)) {
      if (dialog != sheet) chooser = dialog;
    }
    return chooser != nullptr;
  })) << "no file dialog";
  ASSERT_TRUE(SetText(combo, "typed meanwhile"));
  session.app().Answer(ReadDialog(chooser), IDOK);
  EXPECT_TRUE(WaitUntil([&] { return WindowText(combo) == picked; })) << WindowText(combo);
  ::SendMessageA(combo, CB_SETCURSEL, 0, 0);
  EXPECT_EQ(WindowText(combo), "about:blank");
  ::SendMessageA(sheet, PSM_SETCURSEL, 0, 0);
  ASSERT_TRUE(SetText(::GetDlgItem(currentPage(sheet), kGeneralName), "site"));
  ::ShowWindow(host, SW_HIDE);
  ASSERT_TRUE(pressOk(sheet));
  EXPECT_TRUE(WaitUntil([&] { return WindowText(note) == "site.url"; })) << WindowText(note);
  EXPECT_EQ(IniGet(session.NotePath("site.url"), "InternetShortcut", "URL"), "about:blank");
  EXPECT_FALSE(FileExists(session.NotePath("web.url")));
  EXPECT_TRUE(WaitUntil([&] { return ::IsWindowVisible(host) != FALSE; })) << "no load after OK";
  EXPECT_TRUE(session.app().NoDialogFor(300));

  // A file that cannot be written (another program holds it) says so,
  // rather than seem to take the URL.
  sheet = openOnUrlPage("\"site.url\"のプロパティ");
  ASSERT_TRUE(sheet);
  ASSERT_TRUE(SetText(::GetDlgItem(currentPage(sheet), kUrlCombo), "http://example.com/lost"));
  HANDLE held = ::CreateFileA(session.NotePath("site.url").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  session.app().Answer(ReadDialog(sheet), IDOK);
  auto box = session.app().WaitDialog(kDefaultWaitMs, "Memopane");
  ::CloseHandle(held);
  ASSERT_TRUE(box);
  EXPECT_EQ(box->text.rfind("URLを保存できませんでした", 0), 0u) << box->text;
  EXPECT_TRUE(box->errorIcon);
  session.app().Answer(*box, IDOK);
  EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(sheet); }));
  EXPECT_EQ(IniGet(session.NotePath("site.url"), "InternetShortcut", "URL"), "about:blank");
  EXPECT_EQ(session.app().Quit(), 0u);
}

// Shortcuts that came with a folder from elsewhere: at open a web page loads
// by itself, but a share, a file and another program's protocol are only
// named in a strip over the note, until the user says OK on the URL page.
TEST(BrowserNoteTest, AShortcutToAShareAFileOrAnotherProtocolOpensOnlyOnTheUsersOk) {
  PipeWatch share("memo-web-share");
  PipeWatch file("memo-web-file");
  ASSERT_TRUE(share.Ready() && file.Ready());
  const std::pair<const char*, std::string> shortcuts[] = {
      {"share.url", share.path()}, {"file.url", "file://./pipe/memo-web-file"}, {"other.url", "memotest:run"}};
  NoteSession session;
  for (const auto& shortcut : shortcuts) {
    ASSERT_TRUE(WriteBytes(session.NotePath(shortcut.first), Shortcut(shortcut.second)));
  }
  ASSERT_TRUE(session.Start());
  for (const auto& shortcut : shortcuts) {
    HWND note = session.WaitNote(shortcut.first, kBrowserClass);
    ASSERT_TRUE(note) << shortcut.first;
    std::string notice;
    EXPECT_TRUE(WaitUntil([&] {
      return (notice = NoteSession::NoticeText(note)).find(shortcut.second) != std::string::npos;
    })) << shortcut.first << ": " << notice;
  }
  HoldForALook();
  PumpFor(1500);
  EXPECT_FALSE(share.Opened()) << "went to the share at open";
  EXPECT_FALSE(file.Opened()) << "opened the file at open";
  EXPECT_TRUE(session.app().NoDialogFor(300));

  // A click on the strip leads to the URL page; its OK loads the address,
  // and the strip goes.
  HWND note = session.WaitNote("share.url", kBrowserClass);
  ASSERT_TRUE(note);
  HWND strip = nullptr;
  for (HWND child = nullptr; (child = ::FindWindowExA(note, child, "Static", nullptr));) {
    if (::IsWindowVisible(child)) strip = child;
  }
  ASSERT_TRUE(strip);
  ::PostMessageA(strip, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  ::PostMessageA(strip, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  HWND sheet = session.app().WaitWindow("#32770", "\"share.url\"のプロパティ");
  ASSERT_TRUE(sheet);
  ASSERT_TRUE(WaitUntil([&] { return ::IsWindowVisible(sheet) != FALSE; }));
  session.app().Answer(ReadDialog(sheet), IDOK);
  EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(sheet); }));
  EXPECT_TRUE(WaitUntil([&] { return NoteSession::NoticeText(note).empty(); }));
  EXPECT_TRUE(WaitUntil([&] { return share.Opened(); })) << "not loaded after OK";
  share.Close();
  EXPECT_EQ(IniGet(session.NotePath("share.url"), "InternetShortcut", "URL"), share.path());
  EXPECT_FALSE(file.Opened());
  // Under Wine every note takes some two seconds to close: three notes
  // outlast the default wait.
  EXPECT_EQ(session.app().Quit(30000), 0u);
}

// A library named as the system's, put beside the program, is not loaded in
// the system's place.
TEST(BrowserNoteTest, AnAtlLibraryBesideTheProgramIsNotLoaded) {
  TempFolder folder("memo-atl");
  const std::string program = folder / "memopane.exe";
  ASSERT_TRUE(::CopyFileA(MemopaneExe().c_str(), program.c_str(), FALSE));
  ASSERT_TRUE(WriteBytes(folder / "atl.dll", "MZ not a library"));
  NoteSession session;
  ASSERT_TRUE(WriteBytes(session.NotePath("web.url"), Shortcut("about:blank")));
  session.app().SetProgram(program);
  ASSERT_TRUE(session.Start()) << "the program did not start";
  EXPECT_TRUE(session.WaitNote("web.url", kBrowserClass));
  EXPECT_TRUE(session.app().NoDialogFor(300));
  EXPECT_EQ(session.app().Quit(), 0u);
}

}  // namespace
}  // namespace memo::test
