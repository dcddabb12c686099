// The settings page of the main bar's sheet, driven through its controls:
// the three boxes stored without touching the open notes, the Run value
// (only this very program counts, clearing it sticks across starts), and a
// new root folder (closes the page, falls back to the default folder for a
// path that does not exist, refused below the current root).
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>

#include "frame/Messages.h"
#include "tests/support/AppTest.h"

namespace memo::test {
namespace {

constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kAppKey[] = "Software\\Quendra\\Memopane";
constexpr int kSettingsPage = 3;  // after General, Layout and Colour
constexpr int kRootEdit = 1003, kBrowseButton = 1004, kAutoRunBox = 1006, kMinAnimBox = 1015, kSplashBox = 1021;

class SettingsPageTest : public AppTest {
 protected:
  void SetUp() override { DeleteTree(DefaultRoot()); }
  void TearDown() override {
    app_.Kill();
    DeleteTree(DefaultRoot());
  }

  static std::string DefaultRoot() { return Join(DocumentsFolder(), "My Memopane"); }

  // The bar's sheet, shown on the settings page; nullptr when it did not open.
  HWND OpenSettings(HWND bar, HWND* sheetOut) {
    ::PostMessageA(bar, WM_COMMAND, kCmdProperties, 0);
    std::string caption = "\"" + WindowText(bar) + "\"ページのプロパティ";
    HWND sheet = app_.WaitWindow("#32770", caption.c_str());
    if (!sheet || !WaitUntil([&] { return ::IsWindowVisible(sheet) != FALSE; })) return nullptr;
    *sheetOut = sheet;
    ::SendMessageA(sheet, PSM_SETCURSEL, kSettingsPage, 0);
    return reinterpret_cast<HWND>(::SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
  }

  static bool Checked(HWND page, int id) { return ::SendDlgItemMessageA(page, id, BM_GETCHECK, 0, 0) == BST_CHECKED; }
  static void SetChecked(HWND page, int id, bool on) {
    ::SendDlgItemMessageA(page, id, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
  }

  // Clicks OK or Cancel; true once the sheet is gone.
  bool Close(HWND sheet, int button) {
    app_.Answer(ReadDialog(sheet), button);
    return WaitUntil([&] { return !::IsWindow(sheet); });
  }

  // A page with one note that stays up while no window is in front.
  HWND StartOnPageWithNote() {
    MakeFolder(root_ / "page");
    WriteBytes(root_ / "page\\memo.txt", "memo");
    IniSet(root_ / "page\\memo.txt.ini", "Window", "Style", "1");
    HWND bar = Start("page");
    if (bar && !WaitNotes({"memo.txt"})) return nullptr;
    return bar;
  }

  RegValueGuard runGuard_{kRunKey, "Memopane"};
};

TEST_F(SettingsPageTest, UnchangedFolderKeepsTheNotesOpenAndStoresTheBoxes) {
  IniSet(root_ / "root.ini", "Info", "AutoRun", "1");
  HWND bar = StartOnPageWithNote();
  ASSERT_TRUE(bar);
  ASSERT_EQ(RegGet(kRunKey, "Memopane").value_or(""), MemopaneExe()) << "written at start";
  HWND sheet = nullptr;
  HWND page = OpenSettings(bar, &sheet);
  ASSERT_TRUE(page);
  EXPECT_EQ(WindowText(::GetDlgItem(page, kRootEdit)), root_.path());
  EXPECT_TRUE(Checked(page, kAutoRunBox));
  EXPECT_TRUE(Checked(page, kMinAnimBox)) << "on unless stored off";
  EXPECT_FALSE(Checked(page, kSplashBox)) << "the test root stores Splash=0";

  SetChecked(page, kAutoRunBox, false);
  SetChecked(page, kMinAnimBox, false);
  SetChecked(page, kSplashBox, true);
  ASSERT_TRUE(Close(sheet, IDOK));
  std::string ini = root_ / "root.ini";
  EXPECT_EQ(IniGet(ini, "Info", "AutoRun"), "0");
  EXPECT_EQ(IniGet(ini, "Info", "MinAnim"), "0");
  EXPECT_EQ(IniGet(ini, "Info", "Splash"), "1");
  EXPECT_FALSE(RegGet(kRunKey, "Memopane").has_value()) << "deleted at once";
  PumpFor(300);
  EXPECT_EQ(app_.NoteTitles(), std::vector<std::string>{"memo.txt"});
  EXPECT_EQ(WindowText(bar), "page");
  EXPECT_EQ(RegGet(kAppKey, "RootPath2").value_or(""), root_.path());
  EXPECT_EQ(app_.Quit(), 0u);

  // The next start leaves the Run value away.
  ASSERT_TRUE(app_.StartWithRoot(root_.path()));
  ASSERT_TRUE(app_.WaitMainBarVisible());
  EXPECT_FALSE(RegGet(kRunKey, "Memopane").has_value());
  EXPECT_EQ(app_.Quit(), 0u);
}

TEST_F(SettingsPageTest, OnlyARunValueOfThisVeryProgramShowsAsStartingAtLogon) {
  // The test root stores AutoRun=0: the start leaves the value alone.
  std::string upper = MemopaneExe();
  std::transform(upper.begin(), upper.end(), upper.begin(), [](char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); });
  ASSERT_NE(upper, MemopaneExe());
  ASSERT_TRUE(app_.StartWithRoot(root_.path()));
  HWND bar = app_.WaitMainBarVisible();
  ASSERT_TRUE(bar);
  struct Case {
    std::string value;
    bool checked;
  } cases[] = {
      {"C:\\elsewhere\\memopane.exe", false},
      {upper, false},
      {"\"" + MemopaneExe() + "\"", false},
      {MemopaneExe(), true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    RegSet(kRunKey, "Memopane", c.value);
    HWND sheet = nullptr;
    HWND page = OpenSettings(bar, &sheet);
    ASSERT_TRUE(page);
    EXPECT_EQ(Checked(page, kAutoRunBox), c.checked);
    ASSERT_TRUE(Close(sheet, IDCANCEL));
  }

  // Checking the box records this program in place of another copy.
  RegSet(kRunKey, "Memopane", "C:\\elsewhere\\memopane.exe");
  HWND sheet = nullptr;
  HWND page = OpenSettings(bar, &sheet);
  ASSERT_TRUE(page);
  SetChecked(page, kAutoRunBox, true);
  ASSERT_TRUE(Close(sheet, IDOK));
  EXPECT_EQ(RegGet(kRunKey, "Memopane").value_or(""), MemopaneExe());
  EXPECT_EQ(IniGet(root_ / "root.ini", "Info", "AutoRun"), "1");
  EXPECT_EQ(app_.Quit(), 0u);
}

TEST_F(SettingsPageTest, FolderBrowserPutsTheChosenFolderInTheFieldAndCancelKeepsIt) {
  ASSERT_TRUE(app_.StartWithRoot(root_.path()));
  HWND bar = app_.WaitMainBarVisible();
  ASSERT_TRUE(bar);
  HWND sheet = nullptr;
  HWND page = OpenSettings(bar, &sheet);
  ASSERT_TRUE(page);
  HWND field = ::GetDlgItem(page, kRootEdit);
  ASSERT_TRUE(SetText(field, "typed"));
  for (int button : {IDCANCEL, IDOK}) {
    SCOPED_TRACE(button);
    ::PostMessageA(page, WM_COMMAND, MAKEWPARAM(kBrowseButton, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(page, kBrowseButton)));
    HWND browser = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
      for (HWND hwnd : app_.Windows("#32770", nullptr, true)) {
        if (hwnd != sheet) browser = hwnd;
      }
      return browser != nullptr;
    }));
    PumpFor(300);
    EXPECT_NE(ReadDialog(browser).text.find("RootPath"), std::string::npos);
    app_.Answer(ReadDialog(browser), button);
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(browser); }));
    if (button == IDCANCEL) {
      EXPECT_EQ(WindowText(field), "typed");
    }
  }
  // Whichever folder the browser had selected, its path is in the field.
  std::string chosen = WindowText(field);
  EXPECT_NE(chosen, "typed");
  EXPECT_TRUE(FolderExists(chosen)) << chosen;
  ASSERT_TRUE(Close(sheet, IDCANCEL));
  EXPECT_EQ(RegGet(kAppKey, "RootPath2").value_or(""), root_.path()) << "Cancel changes nothing";
  EXPECT_EQ(app_.Quit(), 0u);
}

TEST_F(SettingsPageTest, NewRootClosesThePageAndAMissingOneFallsBackToTheDefault) {
  TempFolder other("memo-other");
  ASSERT_TRUE(MakeFolder(other / "p2"));
  ASSERT_TRUE(WriteBytes(other / "p2\\x.txt", "x"));
  IniSet(other / "p2\\x.txt.ini", "Window", "Style", "1");
  // Each root has a mini note on the bar: "old" and "new".
  IniSet(root_ / "root.ini", "Mini1", "Text", "6F6C64.");
  IniSet(other / "root.ini", "Mini1", "Text", "6E6577.");
  HWND bar = StartOnPageWithNote();
  ASSERT_TRUE(bar);

  HWND sheet = nullptr;
  HWND page = OpenSettings(bar, &sheet);
  ASSERT_TRUE(page);
  ASSERT_TRUE(SetText(::GetDlgItem(page, kRootEdit), other.path()));
  ASSERT_TRUE(Close(sheet, IDOK));
  EXPECT_TRUE(WaitNotes({}));
  EXPECT_EQ(WindowText(bar), "") << "no page until one is picked";
  EXPECT_EQ(IniGet(root_ / "root.ini", "Info", "CurrentPage", "<missing>"), "");
  EXPECT_EQ(RegGet(kAppKey, "RootPath2").value_or(""), other.path());
  EXPECT_TRUE(FolderExists(other / "common"));
  EXPECT_EQ(IniGet(other / "root.ini", "Info", "Splash"), "0") << "the boxes go to the new root.ini";
  EXPECT_TRUE(FileExists(root_ / "page\\memo.txt")) << "the old store stays as it was";
  // The bar's mini note is now the new root's, and the old one saved where
  // it came from.
  std::vector<HWND> minis = app_.Windows("Memopane-Mini", "Mini1", true);
  ASSERT_EQ(minis.size(), 1u);
  EXPECT_EQ(WindowText(::GetDlgItem(minis[0], 267)), "new");
  EXPECT_EQ(IniGet(root_ / "root.ini", "Mini1", "Text"), "6F6C64.");
  // The program now works in the new root: its page opens there.
  ASSERT_TRUE(SetText(bar, "p2"));
  EXPECT_TRUE(WaitNotes({"x.txt"}));

  page = OpenSettings(bar, &sheet);
  ASSERT_TRUE(page);
  ASSERT_TRUE(SetText(::GetDlgItem(page, kRootEdit), other / "gone"));
  ASSERT_TRUE(Close(sheet, IDOK));
  EXPECT_TRUE(WaitNotes({}));
  EXPECT_EQ(WindowText(bar), "");
  EXPECT_EQ(RegGet(kAppKey, "RootPath2").value_or(""), DefaultRoot());
  EXPECT_TRUE(FolderExists(Join(DefaultRoot(), "common")));
  EXPECT_FALSE(FolderExists(other / "gone"));
  EXPECT_EQ(IniGet(other / "root.ini", "Info", "CurrentPage", "<missing>"), "");
  EXPECT_EQ(app_.Quit(), 0u);
  EXPECT_EQ(IniGet(other / "root.ini", "Mini1", "Text"), "6E6577.") << "never saved over by the old root's";
  EXPECT_EQ(IniGet(root_ / "root.ini", "Mini1", "Text"), "6F6C64.");
}

TEST_F(SettingsPageTest, FolderBelowTheCurrentRootIsRefusedAndNothingCloses) {
  ASSERT_TRUE(MakeFolder(root_ / "inner"));
  HWND bar = StartOnPageWithNote();
  ASSERT_TRUE(bar);
  for (const std::string& below : {root_ / "inner", root_ / "common", root_ / "page\\..\\inner\\"}) {
    SCOPED_TRACE(below);
    HWND sheet = nullptr;
    HWND page = OpenSettings(bar, &sheet);
    ASSERT_TRUE(page);
    ASSERT_TRUE(SetText(::GetDlgItem(page, kRootEdit), below));
    app_.Answer(ReadDialog(sheet), IDOK);
    auto box = app_.WaitDialog(kDefaultWaitMs, "Memopane");
    ASSERT_TRUE(box);
    EXPECT_NE(box->text.find("現在の保存フォルダの中にあるフォルダは保存フォルダにできません。"), std::string::npos)
        << box->text;
    EXPECT_TRUE(box->errorIcon);
    app_.Answer(*box, IDOK);
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(sheet); }));
    EXPECT_EQ(app_.NoteTitles(), std::vector<std::string>{"memo.txt"});
    EXPECT_EQ(WindowText(bar), "page");
    EXPECT_EQ(RegGet(kAppKey, "RootPath2").value_or(""), root_.path());
    EXPECT_FALSE(FolderExists(root_ / "inner\\common"));
  }
  EXPECT_EQ(app_.Quit(), 0u);
}

// The shortcut key page after it: a key another program holds is named
// there, and a key cleared is given up at once.
TEST_F(SettingsPageTest, ShortcutKeyPageNamesAHeldKeyAndGivesUpACleared) {
  constexpr int kNewKey = 1030, kNewState = 1040, kFrontState = 1042;
  HWND other = ::CreateWindowExA(0, "STATIC", "other program", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 ::GetModuleHandleA(nullptr), nullptr);
  ASSERT_TRUE(::RegisterHotKey(other, 1, MOD_CONTROL | MOD_ALT, 'M'));
  MakeFolder(root_ / "page");
  HWND bar = Start("page");
  ASSERT_TRUE(bar);
  EXPECT_TRUE(app_.NoDialogFor(500)) << "no box at the start";
  HWND sheet = nullptr;
  ASSERT_TRUE(OpenSettings(bar, &sheet));
  ::SendMessageA(sheet, PSM_SETCURSEL, kSettingsPage + 1, 0);
  HWND page = reinterpret_cast<HWND>(::SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
  ASSERT_TRUE(page);
  EXPECT_EQ(WindowText(page), "ショートカットキー");
  EXPECT_EQ(::SendDlgItemMessageA(page, kNewKey, HKM_GETHOTKEY, 0, 0), 0x64E) << "Ctrl+Alt+N";
  EXPECT_EQ(WindowText(::GetDlgItem(page, kNewState)), "");
  EXPECT_EQ(WindowText(::GetDlgItem(page, kFrontState)), "他のプログラムが使用しています");

  ::SendDlgItemMessageA(page, kNewKey, HKM_SETHOTKEY, 0, 0);
  ASSERT_TRUE(Close(sheet, IDOK));
  EXPECT_EQ(IniGet(root_ / "root.ini", "Info", "HotkeyNew"), "0");
  EXPECT_TRUE(::RegisterHotKey(other, 2, MOD_CONTROL | MOD_ALT, 'N')) << "no longer the program's";
  ::DestroyWindow(other);
  EXPECT_EQ(app_.Quit(), 0u);
}

}  // namespace
}  // namespace memo::test
