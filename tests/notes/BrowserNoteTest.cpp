// The browser note's files in the test process: the favourites menu as
// built from a folder tree, and the shortcut URL as read and written.
#include <windows.h>
#include <exdisp.h>
#include <exdispid.h>
#include <ocidl.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "frame/IconMenuItem.h"
#include "frame/Messages.h"
#include "notes/AtlHost.h"
#include "notes/FavoritesMenu.h"
#include "notes/ItemWeb.h"
#include "notes/WebHost.h"
#include "store/Handles.h"
#include "tests/support/AppDriver.h"
#include "tests/support/InProcessStore.h"
#include "tests/support/TestFiles.h"

namespace memo::test {
namespace {

struct Shown {
  std::string name;
  UINT id = 0;         // 0 for a folder
  HMENU sub = nullptr;  // a folder's own menu
};

std::vector<Shown> Entries(HMENU menu) {
  std::vector<Shown> shown;
  int count = ::GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    MENUITEMINFOA info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_DATA | MIIM_ID | MIIM_SUBMENU | MIIM_FTYPE;
    if (!::GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info)) continue;
    EXPECT_TRUE(info.fType & MFT_OWNERDRAW);
    const auto* item = reinterpret_cast<const IconMenuItem*>(info.dwItemData);
    shown.push_back({item ? item->name : "?", info.hSubMenu ? 0u : info.wID, info.hSubMenu});
  }
  return shown;
}

void Hide(const std::string& path) { ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_HIDDEN); }

TEST(FavoritesMenuTest, FoldersFirstThenShortcutsEachInNameOrderWithIdsInCreationOrder) {
  TempFolder fav("memo-fav");
  ASSERT_TRUE(MakeFolder(fav / "b"));
  ASSERT_TRUE(MakeFolder(fav / "A"));
  ASSERT_TRUE(MakeFolder(fav / "A\\inner"));
  ASSERT_TRUE(MakeFolder(fav / "secret"));
  Hide(fav / "secret");
  for (const char* name : {"C.url", "a.url", "hidden.url", "Readme.txt", "A\\x.URL", "b\\y.url"}) {
    ASSERT_TRUE(WriteBytes(fav / name, "[InternetShortcut]\r\nURL=http://example.com/\r\n"));
  }
  Hide(fav / "hidden.url");

  UniqueMenu menu(::CreatePopupMenu());
  FavoritesMenu favorites;
  favorites.Build(menu.get(), fav.path());
  std::vector<Shown> top = Entries(menu.get());
  ASSERT_EQ(top.size(), 4u);
  EXPECT_EQ(top[0].name, "A");
  EXPECT_EQ(top[1].name, "b");
  EXPECT_EQ(top[2].name, "a");
  EXPECT_EQ(top[3].name, "C");
  // A (0x5000) is filled before b: inner 0x5001, x 0x5002, b 0x5003, y 0x5004.
  std::vector<Shown> inA = Entries(top[0].sub);
  ASSERT_EQ(inA.size(), 2u);
  EXPECT_EQ(inA[0].name, "inner");
  EXPECT_TRUE(Entries(inA[0].sub).empty());
  EXPECT_EQ(inA[1].name, "x");
  EXPECT_EQ(inA[1].id, 0x5002u);
  std::vector<Shown> inB = Entries(top[1].sub);
  ASSERT_EQ(inB.size(), 1u);
  EXPECT_EQ(inB[0].id, 0x5004u);
  EXPECT_EQ(top[2].id, 0x5005u);
  EXPECT_EQ(top[3].id, 0x5006u);

  EXPECT_EQ(favorites.ShortcutOf(0x5005), fav / "a.url");
  EXPECT_EQ(favorites.ShortcutOf(0x5000), "") << "a folder is no shortcut";
  EXPECT_EQ(favorites.ShortcutOf(0x5007), "");
  EXPECT_EQ(favorites.ShortcutOf(kCmdDuplicate), "");
}

TEST(FavoritesMenuTest, ADeepOrCrowdedTreeStopsAtTheLimits) {
  TempFolder fav("memo-fav");
  std::string deep = fav.path();
  for (int i = 0; i < 12; ++i) {
    deep = Join(deep, "d");
    ASSERT_TRUE(MakeFolder(deep));
  }
  for (int i = 0; i < 40; ++i) ASSERT_TRUE(WriteBytes(fav / ("s" + std::to_string(i) + ".url"), ""));

  UniqueMenu menu(::CreatePopupMenu());
  FavoritesMenu favorites;
  FavoritesLimits limits;
  limits.maxDepth = 3;
  limits.maxEntries = 20;
  favorites.Build(menu.get(), fav.path(), limits);
  EXPECT_EQ(favorites.EntryCount(), 20u);
  // A missing folder adds nothing.
  favorites.Build(menu.get(), fav / "none", limits);
  EXPECT_EQ(favorites.EntryCount(), 20u);
  // Folders d at depths 0 to 3, the last one shown empty: five menus.
  int levels = 0;
  for (HMENU m = menu.get(); m; ++levels) {
    std::vector<Shown> shown = Entries(m);
    m = !shown.empty() && shown[0].sub ? shown[0].sub : nullptr;
  }
  EXPECT_EQ(levels, 5);
}

TEST(FavoritesMenuTest, NamesLoseTheirLastExtensionAndSortWithoutCase) {
  EXPECT_EQ(FavoriteDisplayName("a.b.url"), "a.b");
  EXPECT_EQ(FavoriteDisplayName("folder"), "folder");
  EXPECT_FALSE(FavoriteNameLess("abc", "ABC"));
  EXPECT_TRUE(FavoriteNameLess("ab", "abc"));
  // "ア" is 0x83 0x41: its trail byte is no "A" to fold to "a" (0x83 0x61
  // is another character), and a double-byte character sorts after ASCII.
  EXPECT_FALSE(FavoriteNameLess("\x83\x41", "b"));
  EXPECT_TRUE(FavoriteNameLess("\x83\x41", "\x83\x61"));
}

TEST(ShortcutFileTest, TheUrlIsReadAndWrittenAloneAndLiterally) {
  TempFolder folder("memo-url");
  std::string path = folder / "n.url";
  EXPECT_EQ(ReadShortcutUrl(path), "") << "no file";
  ASSERT_TRUE(WriteBytes(path, "[Other]\r\nURL=x\r\n"));
  EXPECT_EQ(ReadShortcutUrl(path), "") << "no key";
  ASSERT_TRUE(WriteShortcutUrl(path, "about:home"));
  EXPECT_EQ(IniGet(path, "Other", "URL"), "x");
  EXPECT_NE(ReadBytes(path)->find("URL=about:home"), std::string::npos);
}

TEST(ShortcutFileTest, OnlyWebAddressesAndTheBrowsersOwnPagesLoadUnasked) {
  for (const char* url : {"http://example.com/", "HTTPS://example.com/a?b&c", "about:blank", "about:home",
                          "About:Home", ""}) {
    EXPECT_TRUE(LoadsUnasked(url)) << url;
  }
  for (const char* url : {"\\\\host\\share\\page.html", "file:///C:/page.html", "FILE://host/share/x",
                          "C:\\page.html", "javascript:alert(1)", "res://ieframe.dll/x", "memotest:run",
                          "mk:@MSITStore:C:\\x.chm::/a.htm", "about:<script>alert(1)</script>",
                          " http://example.com/"}) {
    EXPECT_FALSE(LoadsUnasked(url)) << url;
  }
}

// Records the address of every navigation the browser control starts.
class NavigationRecorder : public IDispatch {
 public:
  STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == DIID_DWebBrowserEvents2) {
      *object = static_cast<IDispatch*>(this);
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 1; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override {
    // BeforeNavigate2(pDisp, URL, ...): the URL is the second argument.
    if (id == DISPID_BEFORENAVIGATE2 && params && params->cArgs >= 2) {
      DISPPARAMS url{&params->rgvarg[params->cArgs - 2], nullptr, 1, 0};
      if (url.rgvarg->vt == (VT_BYREF | VT_VARIANT)) url.rgvarg = url.rgvarg->pvarVal;
      urls.push_back(EventUrl(url));
    }
    return S_OK;
  }

  // Connects to the control of a browser note; false when there is none.
  bool Listen(HWND note) {
    HWND container = ::GetDlgItem(::GetDlgItem(note, kIdBody), kIdWebContainer);
    ComPtr<IUnknown> control;
    ComPtr<IConnectionPointContainer> points;
    if (FAILED(AtlGetHostedControl(container, control.put())) || !control ||
        FAILED(control->QueryInterface(IID_IConnectionPointContainer, points.put_void())) ||
        FAILED(points->FindConnectionPoint(DIID_DWebBrowserEvents2, point_.put()))) {
      return false;
    }
    return SUCCEEDED(point_->Advise(this, &cookie_));
  }
  void Stop() {
    if (point_ && cookie_) point_->Unadvise(cookie_);
    cookie_ = 0;
  }

  std::vector<std::string> urls;

 private:
  ComPtr<IConnectionPoint> point_;
  DWORD cookie_ = 0;
};

class BrowserNoteInProcessTest : public InProcessStoreTest {
 protected:
  void SetUp() override {
    InProcessStoreTest::SetUp();
    UsePage("page");
    ASSERT_TRUE(InitAtlHost());
  }
  void TearDown() override {
    recorder_.Stop();
    InProcessStoreTest::TearDown();
  }

  std::string PathOf(const std::string& name) { return Join(root_ / "page", name); }

  // Opens the note hidden, as the main bar would open it, and records what
  // its load asks the control for.
  HWND Open(const std::string& name) {
    HWND note = Track(::CreateWindowExA(WS_EX_TOOLWINDOW, "Memopane-Browser", name.c_str(),
                                        WS_THICKFRAME | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, CW_USEDEFAULT,
                                        CW_USEDEFAULT, 400, 200, nullptr, nullptr, ::GetModuleHandleA(nullptr),
                                        nullptr));
    // The load is posted: the recorder is connected before it runs.
    if (note && !recorder_.Listen(note)) return nullptr;
    PumpFor(100);
    return note;
  }

  NavigationRecorder recorder_;
};

TEST_F(BrowserNoteInProcessTest, TheLoadHandsTheStoredUrlToTheBrowserCutToItsBufferEachTime) {
  const std::string longUrl = "http://example.com/" + std::string(1500, 'q');
  ASSERT_TRUE(WriteShortcutUrl(PathOf("long.url"), longUrl));
  HWND note = Open("long.url");
  ASSERT_TRUE(note);
  ASSERT_EQ(recorder_.urls.size(), 1u);
  EXPECT_EQ(recorder_.urls[0], longUrl.substr(0, 1023));
  EXPECT_TRUE(::GetWindowLongA(::GetDlgItem(note, kIdBody), GWL_STYLE) & WS_VISIBLE);

  // Each load reads the file again. "about:home" is the home page only in
  // its own spelling; the file keeps what it holds.
  const char* const next[] = {"about:home", "About:Home"};
  for (const char* url : next) {
    ASSERT_TRUE(WriteShortcutUrl(PathOf("long.url"), url));
    ::SendMessageA(note, kMsgBrowserLoad, 0, 0);
    PumpFor(200);
  }
  ASSERT_EQ(recorder_.urls.size(), 3u);
  EXPECT_NE(recorder_.urls[1], "about:home") << "went home instead";
  EXPECT_EQ(recorder_.urls[2], "About:Home");
  EXPECT_EQ(IniGet(PathOf("long.url"), "InternetShortcut", "URL"), "About:Home");
}

// A shortcut comes with any folder copied or synced in: at open the note
// loads a web page by itself, and names anything else in a strip until the
// user confirms it (the URL page's OK).
TEST_F(BrowserNoteInProcessTest, OnlyAWebAddressLoadsUnaskedTheRestWaitsForTheUsersOk) {
  auto notice = [](HWND note) -> HWND {
    HWND strip = ::FindWindowExA(note, nullptr, "Static", nullptr);
    return strip && (::GetWindowLongA(strip, GWL_STYLE) & WS_VISIBLE) ? strip : nullptr;
  };
  const std::string page = root_ / "page.html";
  ASSERT_TRUE(WriteBytes(page, "<p>"));
  const std::string fileUrl = "file:///" + page;
  ASSERT_TRUE(WriteShortcutUrl(PathOf("share.url"), "\\\\memo-nohost\\share\\page.html"));
  ASSERT_TRUE(WriteShortcutUrl(PathOf("file.url"), fileUrl));
  ASSERT_TRUE(WriteShortcutUrl(PathOf("other.url"), "memotest:run"));
  HWND share = Open("share.url");
  ASSERT_TRUE(share);
  EXPECT_TRUE(recorder_.urls.empty()) << recorder_.urls[0];
  ASSERT_TRUE(notice(share));
  EXPECT_NE(WindowText(notice(share)).find("\\\\memo-nohost\\share\\page.html"), std::string::npos);
  // The strip lies over the top of the body.
  RECT strip = WindowRect(notice(share)), body = WindowRect(::GetDlgItem(share, kIdBody));
  EXPECT_EQ(strip.top, body.top);
  EXPECT_EQ(strip.right - strip.left, body.right - body.left);
  EXPECT_LT(strip.bottom - strip.top, 40);
  recorder_.Stop();

  for (const char* name : {"file.url", "other.url"}) {
    NavigationRecorder recorder;
    HWND note = Track(::CreateWindowExA(WS_EX_TOOLWINDOW, "Memopane-Browser", name, WS_THICKFRAME, 0, 0, 400,
                                        200, nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr));
    ASSERT_TRUE(note && recorder.Listen(note));
    PumpFor(100);
    EXPECT_TRUE(recorder.urls.empty()) << name;
    EXPECT_TRUE(notice(note)) << name;
    if (std::string(name) == "file.url") {
      // Confirmed, it loads, and the strip goes; a web address later needs
      // no word.
      ::SendMessageA(note, kMsgBrowserLoad, kLoadConfirmed, 0);
      PumpFor(100);
      ASSERT_EQ(recorder.urls.size(), 1u);
      EXPECT_NE(recorder.urls[0].find("page.html"), std::string::npos) << recorder.urls[0];
      EXPECT_FALSE(notice(note));
      ASSERT_TRUE(WriteShortcutUrl(PathOf(name), "http://example.com/"));
      ::SendMessageA(note, kMsgBrowserLoad, 0, 0);
      PumpFor(100);
      EXPECT_EQ(recorder.urls.size(), 2u);
      EXPECT_FALSE(notice(note));
    }
    recorder.Stop();
  }
}

int gPopupCloses = 0;

LRESULT CALLBACK PopupProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) ++gPopupCloses;
  return ::DefWindowProcA(hwnd, message, wParam, lParam);
}

TEST_F(BrowserNoteInProcessTest, ClosingClosesThePagesOwnDialogFirst) {
  ASSERT_TRUE(WriteShortcutUrl(PathOf("n.url"), "about:blank"));
  HWND note = Open("n.url");
  ASSERT_TRUE(note);
  WNDCLASSA wc{};
  wc.lpfnWndProc = PopupProc;
  wc.hInstance = ::GetModuleHandleA(nullptr);
  wc.lpszClassName = "memo-test-page-dialog";
  ::RegisterClassA(&wc);
  HWND popup = ::CreateWindowExA(0, wc.lpszClassName, "alert", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, note, nullptr,
                                 wc.hInstance, nullptr);
  ASSERT_TRUE(popup);
  ::SetActiveWindow(popup);
  PumpFor(50);
  ASSERT_EQ(::GetLastActivePopup(note), popup);
  gPopupCloses = 0;
  ::SendMessageA(note, WM_CLOSE, 0, 0);
  EXPECT_EQ(gPopupCloses, 1);
  EXPECT_FALSE(::IsWindow(popup));
  EXPECT_FALSE(::IsWindow(note));
}

}  // namespace
}  // namespace memo::test
