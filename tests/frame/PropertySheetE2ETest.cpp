// The note property sheet of the real program, driven through its dialog
// controls as a user would: renaming and moving a note between its page and
// common, the refused names, colours written as COLORREF hex, the
// transparency entry, the Layout page's bits, the main bar's sheet and the
// one-sheet-at-a-time rule.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <gtest/gtest.h>

#include <string>

#include "frame/Messages.h"
#include "tests/support/AppDriver.h"
#include "tests/support/Keys.h"
#include "tests/support/NoteSession.h"
#include "tests/support/TestFiles.h"

namespace memo::test {
namespace {

constexpr int kGeneral = 0, kLayout = 1, kColor = 2;
constexpr int kName = 1000, kKind = 1001, kPlace = 1003, kCommonBox = 1006;
constexpr int kMinimizeCombo = 1004, kTopmostBox = 1000, kWithMainBox = 1016;
constexpr int kChangeButton = 1000, kAlphaCombo = 1007;
constexpr int kChooserRed = 706, kChooserGreen = 707, kChooserBlue = 708;

class PropertySheetTest : public ::testing::Test {
 protected:
  // Asks window for its sheet as the menus do; the sheet once it shows.
  HWND OpenSheet(HWND window, const std::string& caption) {
    ::PostMessageA(window, WM_COMMAND, kCmdProperties, 0);
    HWND sheet = session_.app().WaitWindow("#32770", caption.c_str());
    if (sheet) WaitUntil([&] { return ::IsWindowVisible(sheet) != FALSE; });
    return sheet;
  }

  // Shows the page at index, as a click on its tab does.
  static HWND Page(HWND sheet, int index) {
    ::SendMessageA(sheet, PSM_SETCURSEL, static_cast<WPARAM>(index), 0);
    return reinterpret_cast<HWND>(::SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
  }

  static bool Checked(HWND page, int id) { return ::SendDlgItemMessageA(page, id, BM_GETCHECK, 0, 0) == BST_CHECKED; }
  static void SetChecked(HWND page, int id, bool on) {
    ::SendDlgItemMessageA(page, id, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
  }
  static std::string Text(HWND page, int id) { return WindowText(::GetDlgItem(page, id)); }

  // Clicks OK; true once the sheet is gone.
  bool PressOk(HWND sheet) {
    session_.app().Answer(ReadDialog(sheet), IDOK);
    return WaitUntil([&] { return !::IsWindow(sheet); });
  }

  // Clicks OK, expects the program's box with this text and icon, answers it.
  void OkExpectingBox(HWND sheet, const std::string& text, bool question, int answer) {
    session_.app().Answer(ReadDialog(sheet), IDOK);
    auto box = session_.app().WaitDialog(kDefaultWaitMs, "Memopane");
    ASSERT_TRUE(box);
    EXPECT_EQ(box->text, text);
    EXPECT_EQ(box->questionIcon, question);
    EXPECT_EQ(box->errorIcon, !question);
    session_.app().Answer(*box, answer);
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(sheet); }));
  }

  NoteSession session_;
};

TEST_F(PropertySheetTest, RenamesMovesIntoCommonAndAsksBeforeMovingBack) {
  ASSERT_TRUE(WriteBytes(session_.NotePath("memo.txt"), "memo"));
  ASSERT_TRUE(session_.Start());
  HWND note = session_.WaitNote("memo.txt");
  ASSERT_TRUE(note);

  HWND sheet = OpenSheet(note, "\"memo.txt\"のプロパティ");
  ASSERT_TRUE(sheet);
  HWND general = Page(sheet, kGeneral);
  EXPECT_EQ(Text(general, kName), "memo");
  EXPECT_EQ(Text(general, kKind), "Memopane-Text");
  EXPECT_EQ(Text(general, kPlace), session_.PageFolder());
  EXPECT_FALSE(Checked(general, kCommonBox));
  ASSERT_TRUE(SetText(::GetDlgItem(general, kName), "plan"));
  ASSERT_TRUE(PressOk(sheet));
  EXPECT_TRUE(WaitUntil([&] { return WindowText(note) == "plan.txt"; })) << WindowText(note);
  EXPECT_TRUE(FileExists(session_.NotePath("plan.txt")));
  EXPECT_FALSE(FileExists(session_.NotePath("memo.txt")));

  // Into common: no question.
  sheet = OpenSheet(note, "\"plan.txt\"のプロパティ");
  ASSERT_TRUE(sheet);
  SetChecked(Page(sheet, kGeneral), kCommonBox, true);
  ASSERT_TRUE(PressOk(sheet));
  EXPECT_TRUE(WaitUntil([&] { return WindowText(note) == "\"plan.txt\""; })) << WindowText(note);
  EXPECT_TRUE(FileExists(session_.NotePath("\"plan.txt\"")));
  EXPECT_TRUE(session_.app().NoDialogFor(300));

  // Back to the page asks; No keeps the note in common while the colour
  // page still applies.
  sheet = OpenSheet(note, "共通付箋\"plan.txt\"のプロパティ");
  ASSERT_TRUE(sheet);
  general = Page(sheet, kGeneral);
  EXPECT_TRUE(Checked(general, kCommonBox));
  EXPECT_EQ(Text(general, kPlace), session_.root() + "\\common");
  SetChecked(general, kCommonBox, false);
  HWND color = Page(sheet, kColor);
  HWND alpha = ::GetDlgItem(color, kAlphaCombo);
  ::SendMessageA(alpha, CB_SETCURSEL, 5, 0);  // sorted: 0%, 10%, ... 50%
  OkExpectingBox(sheet, "\"plan.txt\"を現在のページに移動してよろしいですか？", true, IDNO);
  EXPECT_EQ(WindowText(note), "\"plan.txt\"");
  EXPECT_TRUE(FileExists(session_.NotePath("\"plan.txt\"")));
  EXPECT_EQ(IniGet(session_.NotePath("\"plan.txt\"") + ".ini", "Window", "Alpha"), "50");
  EXPECT_EQ(session_.app().Quit(), 0u);
}

TEST_F(PropertySheetTest, RefusesBadNamesWithTheirOwnMessagesAndKeepsTheNote) {
  ASSERT_TRUE(WriteBytes(session_.NotePath("memo.txt"), "memo"));
  ASSERT_TRUE(session_.Start());
  HWND note = session_.WaitNote("memo.txt");
  ASSERT_TRUE(note);
  struct Case {
    const char* name;
    const char* message;
  } cases[] = {
      {"plan.", "ファイル名の最後に.は使用できません"},
      {"a,b", "ファイル名に \\ / : , ; * ? \" < > | を使用することはできません"},
      {"", "名前を入力してください"},
  };
  for (const Case& c : cases) {
    HWND sheet = OpenSheet(note, "\"memo.txt\"のプロパティ");
    ASSERT_TRUE(sheet) << c.name;
    ASSERT_TRUE(SetText(::GetDlgItem(Page(sheet, kGeneral), kName), c.name));
    OkExpectingBox(sheet, c.message, false, IDOK);
    EXPECT_EQ(WindowText(note), "memo.txt") << c.name;
    EXPECT_TRUE(FileExists(session_.NotePath("memo.txt"))) << c.name;
  }
  EXPECT_EQ(session_.app().Quit(), 0u);
}

TEST_F(PropertySheetTest, ColourPageWritesColorrefHexAndSelectsTheStoredTransparency) {
  ASSERT_TRUE(WriteBytes(session_.NotePath("a.txt"), "a"));
  ASSERT_TRUE(WriteBytes(session_.NotePath("b.txt"), "b"));
  IniSet(session_.NotePath("a.txt") + ".ini", "Window", "Alpha", "35");
  IniSet(session_.NotePath("b.txt") + ".ini", "Window", "Alpha", "150");
  IniSet(session_.NotePath("b.txt") + ".ini", "Window", "X", "500");
  ASSERT_TRUE(session_.Start());
  HWND a = session_.WaitNote("a.txt");
  HWND b = session_.WaitNote("b.txt");
  ASSERT_TRUE(a && b);

  HWND sheet = OpenSheet(b, "\"b.txt\"のプロパティ");
  ASSERT_TRUE(sheet);
  HWND alpha = ::GetDlgItem(Page(sheet, kColor), kAlphaCombo);
  // Ten entries carrying their percentage, in order.
  std::vector<LRESULT> percents;
  for (WPARAM i = 0; i < 12; ++i) {
    LRESULT data = ::SendMessageA(alpha, CB_GETITEMDATA, i, 0);
    if (data != CB_ERR) percents.push_back(data);
  }
  EXPECT_EQ(percents, (std::vector<LRESULT>{0, 10, 20, 30, 40, 50, 60, 70, 80, 90}));
  EXPECT_EQ(WindowText(alpha), "0%") << "150 is no entry";
  ::PostMessageA(sheet, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(sheet); }));

  sheet = OpenSheet(a, "\"a.txt\"のプロパティ");
  ASSERT_TRUE(sheet);
  HWND color = Page(sheet, kColor);
  EXPECT_EQ(WindowText(::GetDlgItem(color, kAlphaCombo)), "30%") << "35 selects 30%";
  // Pure red through the system colour chooser.
  ::PostMessageA(color, WM_COMMAND, MAKEWPARAM(kChangeButton, BN_CLICKED),
                 reinterpret_cast<LPARAM>(::GetDlgItem(color, kChangeButton)));
  HWND chooser = nullptr;
  ASSERT_TRUE(WaitUntil([&] {
    for (HWND hwnd : session_.app().Windows("#32770", nullptr, true)) {
      if (hwnd != sheet) chooser = hwnd;
    }
    return chooser != nullptr;
  }));
  PumpFor(200);
  ASSERT_TRUE(SetText(::GetDlgItem(chooser, kChooserRed), "255"));
  ASSERT_TRUE(SetText(::GetDlgItem(chooser, kChooserGreen), "0"));
  ASSERT_TRUE(SetText(::GetDlgItem(chooser, kChooserBlue), "0"));
  session_.app().Answer(ReadDialog(chooser), IDOK);
  ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(chooser); }));
  ASSERT_TRUE(PressOk(sheet));
  std::string ini = session_.NotePath("a.txt") + ".ini";
  EXPECT_EQ(IniGet(ini, "Window", "ColorBG"), "0000FF");
  EXPECT_EQ(IniGet(ini, "Window", "ColorText"), "000000");
  EXPECT_EQ(IniGet(ini, "Window", "Alpha"), "30");
  // The note was told and took the colour at once.
  EXPECT_TRUE(WaitUntil([&] { return reinterpret_cast<UINT_PTR>(::GetPropA(a, "ColorBG")) == 0x0000FF; }));
  EXPECT_EQ(session_.app().Quit(), 0u);
}

TEST_F(PropertySheetTest, LayoutPageSetsItsBitsAndKeepsHiddenAndPinned) {
  ASSERT_TRUE(WriteBytes(session_.NotePath("memo.txt"), "memo"));
  IniSet(session_.NotePath("memo.txt") + ".ini", "Window", "Style", "34");  // pinned, right edge
  ASSERT_TRUE(session_.Start());
  HWND note = session_.WaitNote("memo.txt");
  ASSERT_TRUE(note);
  HWND sheet = OpenSheet(note, "\"memo.txt\"のプロパティ");
  ASSERT_TRUE(sheet);
  HWND layout = Page(sheet, kLayout);
  EXPECT_EQ(ComboSelection(::GetDlgItem(layout, kMinimizeCombo)), 3) << "right";
  EXPECT_FALSE(Checked(layout, kTopmostBox));
  EXPECT_TRUE(Checked(layout, kWithMainBox));
  ::SendDlgItemMessageA(layout, kMinimizeCombo, CB_SETCURSEL, 1, 0);  // bottom
  SetChecked(layout, kTopmostBox, true);
  SetChecked(layout, kWithMainBox, false);
  ASSERT_TRUE(PressOk(sheet));
  EXPECT_EQ(::GetWindowLongA(note, GWL_STYLE) & 0xFFF, 0x20 | 0x006 | 0x008 | 0x200);
  EXPECT_EQ(session_.app().Quit(), 0u);
  EXPECT_EQ(IniGet(session_.NotePath("memo.txt") + ".ini", "Window", "Style"), std::to_string(0x22E));
}

TEST_F(PropertySheetTest, MainBarSheetRenamesThePageAndASecondRequestRaisesTheOpenSheet) {
  ASSERT_TRUE(WriteBytes(session_.NotePath("memo.txt"), "memo"));
  ASSERT_TRUE(session_.Start());
  HWND note = session_.WaitNote("memo.txt");
  ASSERT_TRUE(note);
  HWND bar = session_.bar();
  HWND sheet = OpenSheet(bar, "\"page\"ページのプロパティ");
  ASSERT_TRUE(sheet);
  HWND general = Page(sheet, kGeneral);
  EXPECT_EQ(Text(general, kName), "page");
  EXPECT_EQ(Text(general, kKind), "Memopane-Main");
  EXPECT_EQ(Text(general, kPlace), session_.root());
  EXPECT_TRUE(Checked(general, kCommonBox));
  EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(general, kCommonBox)));
  HWND layout = Page(sheet, kLayout);
  EXPECT_TRUE(Checked(layout, kTopmostBox) && Checked(layout, kWithMainBox));
  EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(layout, kTopmostBox)));

  // While it is open, another window's request only raises it.
  ASSERT_TRUE(BringToForeground(note));
  ::PostMessageA(note, WM_COMMAND, kCmdProperties, 0);
  EXPECT_TRUE(WaitUntil([&] { return ::GetForegroundWindow() == sheet; }));
  EXPECT_EQ(session_.app().Windows("#32770", nullptr, true).size(), 1u);

  ASSERT_TRUE(SetText(::GetDlgItem(Page(sheet, kGeneral), kName), "work"));
  ASSERT_TRUE(PressOk(sheet));
  EXPECT_TRUE(WaitUntil([&] { return WindowText(bar) == "work"; })) << WindowText(bar);
  EXPECT_TRUE(FolderExists(session_.PageFolder("work")));
  EXPECT_FALSE(FolderExists(session_.PageFolder("page")));
  EXPECT_EQ(session_.app().Quit(), 0u);
}

}  // namespace
}  // namespace memo::test
