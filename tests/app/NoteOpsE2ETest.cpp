// Notes through the real program: new notes named from their model names,
// renaming, moving and deleting a note through its window text, and the
// window settings that a note and the main bar keep across a restart.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "frame/Messages.h"
#include "tests/support/AppDriver.h"
#include "tests/support/AppTest.h"
#include "tests/support/TestFiles.h"

namespace memo::test {
namespace {


using Names = std::vector<std::string>;

class NoteOpsTest : public AppTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(MakeFolder(root_ / "p"));
    ASSERT_TRUE(MakeFolder(root_ / "common"));
  }

  // The visible window of a note, once it is there.
  HWND WaitNote(const char* windowClass, const std::string& title) {
    HWND note = nullptr;
    WaitUntil([&] {
      note = app_.FindWindowOf(windowClass, title.c_str());
      return note && ::IsWindowVisible(note);
    });
    return note && ::IsWindowVisible(note) ? note : nullptr;
  }

  std::string Page(const std::string& name) const { return Join(root_ / "p", name); }
  std::string Common(const std::string& name) const { return Join(root_ / "common", name); }

};

TEST_F(NoteOpsTest, NewNotesAreNamedFromTheirModelNames) {
  HWND bar = Start("p");
  ASSERT_TRUE(bar);

  ::PostMessageA(bar, WM_COMMAND, kCmdNewText, 0);
  HWND text = WaitNote("Memopane-Text", "新しいテキスト1.txt");
  ASSERT_TRUE(text);
  EXPECT_EQ(ReadBytes(Page("新しいテキスト1.txt")).value_or("<missing>"), "");
  // Shown and activated.
  EXPECT_TRUE(WaitUntil([&] { return ::GetForegroundWindow() == text; }));

  ::PostMessageA(bar, WM_COMMAND, kCmdNewFolder, 0);
  EXPECT_TRUE(WaitNote("Memopane-Folder", "新しいフォルダ1"));
  EXPECT_TRUE(FolderExists(Page("新しいフォルダ1")));

  ::PostMessageA(bar, WM_COMMAND, kCmdNewBrowser, 0);
  EXPECT_TRUE(WaitNote("Memopane-Browser", "新しいブラウザ1.url"));
  EXPECT_EQ(IniGet(Page("新しいブラウザ1.url"), "InternetShortcut", "URL"), "about:blank");

  ::PostMessageA(bar, WM_COMMAND, kCmdNewImage, 0);
  EXPECT_TRUE(WaitNote("Memopane-Image", "新しいイメージ1.bmp"));
  EXPECT_TRUE(FileExists(Page("新しいイメージ1.bmp")));

  // The calendar's model name is quoted: it goes to common.
  ::PostMessageA(bar, WM_COMMAND, kCmdNewCalendar, 0);
  EXPECT_TRUE(WaitNote("Memopane-Calender", "\"新しいカレンダー1.calender\""));
  EXPECT_TRUE(FileExists(Common("新しいカレンダー1.calender")));
  EXPECT_FALSE(FileExists(Page("新しいカレンダー1.calender")));

  // Numbers go on; a name taken in common is taken for the page too.
  ::PostMessageA(bar, WM_COMMAND, kCmdNewText, 0);
  EXPECT_TRUE(WaitNote("Memopane-Text", "新しいテキスト2.txt"));
  ASSERT_TRUE(WriteBytes(Common("新しいテキスト3.txt"), "in common"));
  ::PostMessageA(bar, WM_COMMAND, kCmdNewText, 0);
  EXPECT_TRUE(WaitNote("Memopane-Text", "新しいテキスト4.txt"));
  EXPECT_TRUE(FileExists(Page("新しいテキスト4.txt")));
  EXPECT_EQ(ReadBytes(Common("新しいテキスト3.txt")).value_or(""), "in common");

  // Without a current page no note is made (the root is no page).
  EXPECT_EQ(SetText(bar, ""), TRUE);
  EXPECT_TRUE(WaitNotes({}));
  ::PostMessageA(bar, WM_COMMAND, kCmdNewText, 0);
  ::PostMessageA(bar, WM_COMMAND, kCmdNewFolder, 0);
  EXPECT_TRUE(app_.NoDialogFor(300));
  EXPECT_TRUE(app_.NoteWindows().empty());
  EXPECT_EQ(ListNames(root_.path()), (Names{"common", "p", "root.ini"}));
  EXPECT_EQ(app_.Quit(), 0u);
}

TEST_F(NoteOpsTest, RenamingANoteMovesItsSettingsFileAndQuotesMoveItToCommon) {
  ASSERT_TRUE(WriteBytes(Page("memo.txt"), "hello"));
  IniSet(Page("memo.txt.ini"), "Window", "ColorBG", "112233");
  ASSERT_TRUE(WriteBytes(Page("other.txt"), "other"));
  IniSet(Page("other.txt.ini"), "Window", "ColorBG", "445566");
  HWND bar = Start("p");
  ASSERT_TRUE(bar);
  ASSERT_TRUE(WaitNotes({"memo.txt", "other.txt"}));
  HWND memo = app_.FindWindowOf("Memopane-Text", "memo.txt");
  HWND other = app_.FindWindowOf("Memopane-Text", "other.txt");

  // Rename in place: the file and its settings file take the new name.
  EXPECT_EQ(SetText(memo, "renamed.txt"), TRUE);
  EXPECT_EQ(WindowText(memo), "renamed.txt");
  EXPECT_FALSE(FileExists(Page("memo.txt")));
  EXPECT_FALSE(FileExists(Page("memo.txt.ini")));
  EXPECT_EQ(ReadBytes(Page("renamed.txt")).value_or(""), "hello");
  EXPECT_EQ(IniGet(Page("renamed.txt.ini"), "Window", "ColorBG"), "112233");

  // A name that is taken, or differs only in letter case, is refused
  // silently.
  EXPECT_EQ(SetText(memo, "other.txt"), FALSE);
  EXPECT_EQ(SetText(memo, "RENAMED.TXT"), FALSE);
  EXPECT_TRUE(app_.NoDialogFor(200));
  EXPECT_EQ(WindowText(memo), "renamed.txt");
  EXPECT_EQ(ReadBytes(Page("other.txt")).value_or(""), "other");
  EXPECT_EQ(IniGet(Page("other.txt.ini"), "Window", "ColorBG"), "445566");

  // The quoted name moves the note and its settings into common; the
  // plain name brings them back.
  EXPECT_EQ(SetText(memo, "\"renamed.txt\""), TRUE);
  EXPECT_EQ(WindowText(memo), "\"renamed.txt\"");
  EXPECT_FALSE(FileExists(Page("renamed.txt")));
  EXPECT_FALSE(FileExists(Page("renamed.txt.ini")));
  EXPECT_EQ(ReadBytes(Common("renamed.txt")).value_or(""), "hello");
  EXPECT_EQ(IniGet(Common("renamed.txt.ini"), "Window", "ColorBG"), "112233");
  EXPECT_EQ(SetText(memo, "back.txt"), TRUE);
  EXPECT_EQ(ReadBytes(Page("back.txt")).value_or(""), "hello");
  EXPECT_EQ(IniGet(Page("back.txt.ini"), "Window", "ColorBG"), "112233");
  EXPECT_FALSE(FileExists(Common("renamed.txt")));
  EXPECT_FALSE(FileExists(Common("renamed.txt.ini")));

  // An empty text deletes the note (after the shell's question): the file
  // goes to the Recycle Bin, its settings file for good, the window closes.
  {
    AsyncSetText remove(other, "");
    auto confirm = app_.WaitDialog();
    ASSERT_TRUE(confirm) << "no confirmation from the shell";
    ASSERT_TRUE(app_.Answer(*confirm, IDYES));
    EXPECT_EQ(remove.Wait().value_or(-1), TRUE);
  }
  EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(other); }));
  EXPECT_FALSE(FileExists(Page("other.txt")));
  EXPECT_FALSE(FileExists(Page("other.txt.ini")));

  // The renamed note saves its window settings under its new name.
  EXPECT_EQ(app_.Quit(), 0u);
  EXPECT_NE(IniGet(Page("back.txt.ini"), "Window", "CX"), "");
  EXPECT_EQ(IniGet(Page("back.txt.ini"), "Window", "ColorBG"), "112233");
  EXPECT_EQ(ListNames(root_ / "p"), (Names{"back.txt", "back.txt.ini"}));
  EXPECT_EQ(ListNames(root_ / "common"), Names{});
}

struct Layered {
  bool layered;
  BYTE alpha;
};

Layered LayeredOf(HWND hwnd) {
  Layered result{(::GetWindowLongA(hwnd, GWL_EXSTYLE) & WS_EX_LAYERED) != 0, 0};
  DWORD flags = 0;
  if (result.layered && !::GetLayeredWindowAttributes(hwnd, nullptr, &result.alpha, &flags)) result.alpha = 0;
  return result;
}

COLORREF ColorProp(HWND hwnd, const char* name) {
  return static_cast<COLORREF>(reinterpret_cast<UINT_PTR>(::GetPropA(hwnd, name)));
}

TEST_F(NoteOpsTest, WindowSettingsSurviveARestart) {
  const std::string ini = Page("note.txt.ini");
  ASSERT_TRUE(WriteBytes(Page("note.txt"), "text"));
  // Style: restore by double click, kept on top, no automatic minimize.
  IniSet(ini, "Window", "Style", "265");
  IniSet(ini, "Window", "X", "100");
  IniSet(ini, "Window", "Y", "150");
  IniSet(ini, "Window", "CX", "300");
  IniSet(ini, "Window", "CY", "180");
  IniSet(ini, "Window", "ColorBG", "123456");
  IniSet(ini, "Window", "ColorText", "654321");
  IniSet(ini, "Window", "Alpha", "100");  // taken as 90
  // A note saved off the screen and wider than the work area.
  ASSERT_TRUE(WriteBytes(Page("wide.txt"), ""));
  IniSet(Page("wide.txt.ini"), "Window", "X", "-50");
  IniSet(Page("wide.txt.ini"), "Window", "Y", "-20");
  IniSet(Page("wide.txt.ini"), "Window", "CX", "5000");
  IniSet(Page("wide.txt.ini"), "Window", "CY", "120");
  IniSet(root_ / "root.ini", "Window", "X", "200");
  IniSet(root_ / "root.ini", "Window", "Y", "300");

  HWND bar = Start("p");
  ASSERT_TRUE(bar);
  ASSERT_TRUE(WaitNotes({"note.txt", "wide.txt"}));
  HWND note = app_.FindWindowOf("Memopane-Text", "note.txt");
  HWND wide = app_.FindWindowOf("Memopane-Text", "wide.txt");
  RECT r = WindowRect(note);
  EXPECT_EQ(r.left, 100);
  EXPECT_EQ(r.top, 150);
  EXPECT_EQ(r.right - r.left, 300);
  EXPECT_EQ(r.bottom - r.top, 180);
  EXPECT_EQ(::GetWindowLongA(note, GWL_STYLE) & 0xFFF, 265);
  EXPECT_TRUE(::GetWindowLongA(note, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_EQ(ColorProp(note, "ColorBG"), 0x123456u);
  EXPECT_EQ(ColorProp(note, "ColorText"), 0x654321u);
  Layered layered = LayeredOf(note);
  EXPECT_TRUE(layered.layered);
  EXPECT_EQ(layered.alpha, 25) << "Alpha 100 is taken as 90: opacity 255 - 90 * 2.55";
  RECT w = WindowRect(wide);
  RECT work = WorkArea();
  EXPECT_EQ(w.left, 0);
  EXPECT_EQ(w.top, 0);
  EXPECT_EQ(w.right - w.left, work.right - work.left);
  EXPECT_EQ(w.bottom - w.top, 120);
  EXPECT_FALSE(LayeredOf(wide).layered);
  RECT b = WindowRect(bar);
  EXPECT_EQ(b.left, 200);
  EXPECT_EQ(b.top, 300);
  EXPECT_EQ(b.right - b.left, 320);
  EXPECT_EQ(b.bottom - b.top, 24);

  // Transparency follows the settings-changed message: 50 % gives opacity
  // 127, and 0 takes the layered style away.
  IniSet(ini, "Window", "Alpha", "50");
  ::SendMessageA(note, kMsgSettingsChanged, 0, 0);
  layered = LayeredOf(note);
  EXPECT_TRUE(layered.layered);
  EXPECT_EQ(layered.alpha, 127);
  IniSet(ini, "Window", "Alpha", "0");
  ::SendMessageA(note, kMsgSettingsChanged, 0, 0);
  EXPECT_FALSE(LayeredOf(note).layered);
  IniSet(ini, "Window", "Alpha", "90");
  ::SendMessageA(note, kMsgSettingsChanged, 0, 0);
  EXPECT_EQ(LayeredOf(note).alpha, 25);

  // Moved and sized, then the program ends: the settings files hold the new
  // places, and nothing else of them changed.
  ::SetWindowPos(note, nullptr, 120, 160, 310, 190, SWP_NOZORDER | SWP_NOACTIVATE);
  ::SetWindowPos(bar, nullptr, 250, 350, 0, 0, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSIZE);
  ASSERT_TRUE(WaitUntil([&] { return WindowRect(note).left == 120 && WindowRect(bar).left == 250; }));
  EXPECT_EQ(app_.Quit(), 0u);
  EXPECT_EQ(IniGet(ini, "Window", "Style"), "265");
  EXPECT_EQ(IniGet(ini, "Window", "X"), "120");
  EXPECT_EQ(IniGet(ini, "Window", "Y"), "160");
  EXPECT_EQ(IniGet(ini, "Window", "CX"), "310");
  EXPECT_EQ(IniGet(ini, "Window", "CY"), "190");
  EXPECT_EQ(IniGet(ini, "Window", "ColorBG"), "123456");
  EXPECT_EQ(IniGet(ini, "Window", "ColorText"), "654321");
  EXPECT_EQ(IniGet(ini, "Window", "Alpha"), "90");
  const std::string rootIni = root_ / "root.ini";
  EXPECT_EQ(IniGet(rootIni, "Window", "X"), "250");
  EXPECT_EQ(IniGet(rootIni, "Window", "Y"), "350");
  EXPECT_EQ(IniGet(rootIni, "Window", "CX"), "320");
  EXPECT_EQ(IniGet(rootIni, "Window", "CY"), "24");
  EXPECT_EQ(IniGet(rootIni, "Window", "Style"), "5");
  EXPECT_EQ(IniGet(rootIni, "Info", "CurrentPage"), "p");

  // The next start puts everything back.
  bar = Start("p");
  ASSERT_TRUE(bar);
  ASSERT_TRUE(WaitNotes({"note.txt", "wide.txt"}));
  note = app_.FindWindowOf("Memopane-Text", "note.txt");
  r = WindowRect(note);
  EXPECT_EQ(r.left, 120);
  EXPECT_EQ(r.top, 160);
  EXPECT_EQ(r.right - r.left, 310);
  EXPECT_EQ(r.bottom - r.top, 190);
  EXPECT_EQ(::GetWindowLongA(note, GWL_STYLE) & 0xFFF, 265);
  EXPECT_EQ(ColorProp(note, "ColorBG"), 0x123456u);
  EXPECT_EQ(ColorProp(note, "ColorText"), 0x654321u);
  EXPECT_EQ(LayeredOf(note).alpha, 25);
  b = WindowRect(bar);
  EXPECT_EQ(b.left, 250);
  EXPECT_EQ(b.top, 350);
  EXPECT_EQ(::GetWindowLongA(bar, GWL_STYLE) & 0xFFF, 5);
  EXPECT_EQ(app_.Quit(), 0u);
}

TEST_F(NoteOpsTest, ANewNoteStartsFromDefaultsBesideALeftoverSettingsFile) {
  // Left by a note deleted outside the program: another place, other
  // colours and the hidden bit.
  const std::string leftover = Page("新しいテキスト1.txt.ini");
  IniSet(leftover, "Window", "Style", "0x10");
  IniSet(leftover, "Window", "X", "611");
  IniSet(leftover, "Window", "Y", "433");
  IniSet(leftover, "Window", "ColorBG", "0000FF");
  IniSet(leftover, "Window", "ColorText", "00FF00");
  HWND bar = Start("p");
  ASSERT_TRUE(bar);

  ::PostMessageA(bar, WM_COMMAND, kCmdNewText, 0);
  HWND note = WaitNote("Memopane-Text", "新しいテキスト1.txt");
  ASSERT_TRUE(note) << "the new note is shown";
  EXPECT_FALSE(::GetWindowLongA(note, GWL_STYLE) & kStyleHidden);
  RECT r = WindowRect(note);
  EXPECT_FALSE(r.left == 611 && r.top == 433);
  EXPECT_NE(ColorProp(note, "ColorBG"), 0x0000FFu);
  EXPECT_NE(ColorProp(note, "ColorText"), 0x00FF00u);
  // The leftover is kept aside, not taken over.
  EXPECT_EQ(IniGet(leftover + ".old", "Window", "X"), "611");
  EXPECT_EQ(app_.Quit(), 0u);
  EXPECT_EQ(IniGet(leftover, "Window", "ColorBG"), "");
  EXPECT_EQ(IniGet(leftover, "Window", "X"), std::to_string(r.left));
}

TEST_F(NoteOpsTest, SettingsChangedOutsideWhileANoteIsOpenSurviveItsSave) {
  const std::string ini = Page("note.txt.ini");
  ASSERT_TRUE(WriteBytes(Page("note.txt"), "text"));
  IniSet(ini, "Window", "Style", "0x108");  // as another program may write it
  IniSet(ini, "Window", "X", "100");
  IniSet(ini, "Window", "Y", "150");
  IniSet(ini, "Window", "CX", "300");
  IniSet(ini, "Window", "CY", "180");
  IniSet(ini, "Window", "ColorBG", "123456");
  HWND bar = Start("p");
  ASSERT_TRUE(bar);
  ASSERT_TRUE(WaitNotes({"note.txt"}));
  HWND note = app_.FindWindowOf("Memopane-Text", "note.txt");
  EXPECT_EQ(::GetWindowLongA(note, GWL_STYLE) & 0xFFF, 0x108);

  // A sync tool brings in another place and colour; the user then only
  // makes the note taller and closes it.
  IniSet(ini, "Window", "X", "444");
  IniSet(ini, "Window", "ColorBG", "ABCDEF");
  ::SetWindowPos(note, nullptr, 0, 0, 300, 220, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
  ASSERT_TRUE(WaitUntil([&] { return WindowRect(note).bottom - WindowRect(note).top == 220; }));
  ::PostMessageA(note, WM_CLOSE, 0, 0);
  ASSERT_TRUE(WaitNotes({}));
  EXPECT_EQ(IniGet(ini, "Window", "X"), "444");
  EXPECT_EQ(IniGet(ini, "Window", "ColorBG"), "ABCDEF");
  EXPECT_EQ(IniGet(ini, "Window", "Style"), "0x108") << "an unchanged value keeps its form";
  EXPECT_EQ(IniGet(ini, "Window", "Y"), "150");
  EXPECT_EQ(IniGet(ini, "Window", "CY"), "220") << "what the user changed is written";
  EXPECT_EQ(app_.Quit(), 0u);
}

bool Inside(const RECT& r, const RECT& area) {
  return r.left >= area.left && r.top >= area.top && r.right <= area.right && r.bottom <= area.bottom;
}

TEST_F(NoteOpsTest, NotesOffEveryScreenComeBackWhenTheyOpenAndAfterADisplayChange) {
  // Saved on a second screen that is no longer there.
  const std::string ini = Page("far.txt.ini");
  ASSERT_TRUE(WriteBytes(Page("far.txt"), "far"));
  IniSet(ini, "Window", "Style", "1");  // stays up
  IniSet(ini, "Window", "X", "5000");
  IniSet(ini, "Window", "Y", "5000");
  IniSet(ini, "Window", "CX", "300");
  IniSet(ini, "Window", "CY", "200");
  ASSERT_TRUE(Start("p"));
  HWND note = WaitNote("Memopane-Text", "far.txt");
  ASSERT_TRUE(note);
  const RECT work = WorkArea();
  RECT r = WindowRect(note);
  EXPECT_TRUE(Inside(r, work)) << r.left << "," << r.top;
  EXPECT_EQ(r.right - r.left, 300);
  EXPECT_EQ(r.bottom - r.top, 200);

  // The screen it was on goes away while it is open.
  ::SetWindowPos(note, nullptr, 6000, -4000, 0, 0, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSIZE);
  ASSERT_TRUE(WaitUntil([&] { return WindowRect(note).left == 6000; }));
  ::SendMessageA(note, WM_DISPLAYCHANGE, 32, MAKELPARAM(work.right, work.bottom));
  r = WindowRect(note);
  EXPECT_TRUE(Inside(r, work)) << r.left << "," << r.top;
  EXPECT_EQ(r.right - r.left, 300);
  // Where the user saw it is where it comes back.
  EXPECT_EQ(app_.Quit(), 0u);
  ASSERT_TRUE(Start("p"));
  note = WaitNote("Memopane-Text", "far.txt");
  ASSERT_TRUE(note);
  RECT again = WindowRect(note);
  EXPECT_EQ(again.left, r.left);
  EXPECT_EQ(again.top, r.top);
  EXPECT_EQ(app_.Quit(), 0u);
}

TEST_F(NoteOpsTest, DamagedSettingsFilesGiveDefaultsAndStayAsTheyAreUntilChanged) {
  // Bytes that are no settings at all.
  std::string garbage = "\x01\x02";
  unsigned seed = 12345;
  for (int i = 0; i < 4096; ++i) {
    seed = seed * 1103515245u + 12345u;
    garbage.push_back(static_cast<char>(seed >> 16));
  }
  ASSERT_TRUE(WriteBytes(Page("garbage.txt"), "g"));
  ASSERT_TRUE(WriteBytes(Page("garbage.txt.ini"), garbage));
  // Values no window could take.
  const std::string absurd =
      "[Window]\r\nStyle=1\r\nX=2147483647\r\nY=-2147483648\r\nCX=999999999\r\nCY=0\r\n"
      "ColorBG=-1\r\nColorText=-FFFFF\r\n";
  ASSERT_TRUE(WriteBytes(Page("absurd.txt"), "a"));
  ASSERT_TRUE(WriteBytes(Page("absurd.txt.ini"), absurd));
  // A sound note beside them keeps its own.
  ASSERT_TRUE(WriteBytes(Page("good.txt"), "ok"));
  IniSet(Page("good.txt.ini"), "Window", "Style", "1");
  IniSet(Page("good.txt.ini"), "Window", "X", "100");
  IniSet(Page("good.txt.ini"), "Window", "Y", "150");
  IniSet(Page("good.txt.ini"), "Window", "ColorBG", "123456");
  const RECT work = WorkArea();

  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    ASSERT_TRUE(Start("p"));
    ASSERT_TRUE(WaitNotes({"absurd.txt", "garbage.txt", "good.txt"}));
    HWND absurdNote = app_.FindWindowOf("Memopane-Text", "absurd.txt");
    RECT r = WindowRect(absurdNote);
    EXPECT_TRUE(Inside(r, work)) << r.left << "," << r.top << "," << r.right << "," << r.bottom;
    EXPECT_GT(r.bottom - r.top, 20) << "a height of 0 gives the default";
    EXPECT_EQ(r.right - r.left, work.right - work.left);
    EXPECT_EQ(ColorProp(absurdNote, "ColorBG"), 0x77FFFFu);
    EXPECT_EQ(ColorProp(absurdNote, "ColorText"), 0u);
    HWND garbageNote = app_.FindWindowOf("Memopane-Text", "garbage.txt");
    EXPECT_EQ(ColorProp(garbageNote, "ColorBG"), 0x77FFFFu);
    EXPECT_TRUE(Inside(WindowRect(garbageNote), work));
    HWND good = app_.FindWindowOf("Memopane-Text", "good.txt");
    EXPECT_EQ(WindowRect(good).left, 100);
    EXPECT_EQ(WindowRect(good).top, 150);
    EXPECT_EQ(ColorProp(good, "ColorBG"), 0x123456u);
    EXPECT_TRUE(app_.NoDialogFor(300));
    EXPECT_EQ(app_.Quit(), 0u);
    EXPECT_EQ(ReadBytes(Page("garbage.txt.ini")).value_or(""), garbage);
    EXPECT_EQ(ReadBytes(Page("absurd.txt.ini")).value_or(""), absurd);
  }

  // Once the user moves the note, its place is saved.
  ASSERT_TRUE(Start("p"));
  ASSERT_TRUE(WaitNotes({"absurd.txt", "garbage.txt", "good.txt"}));
  HWND absurdNote = app_.FindWindowOf("Memopane-Text", "absurd.txt");
  ::SetWindowPos(absurdNote, nullptr, 40, 60, 0, 0, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSIZE);
  ASSERT_TRUE(WaitUntil([&] { return WindowRect(absurdNote).left == 40; }));
  EXPECT_EQ(app_.Quit(), 0u);
  EXPECT_EQ(IniGet(Page("absurd.txt.ini"), "Window", "X"), "40");
  EXPECT_EQ(IniGet(Page("absurd.txt.ini"), "Window", "Y"), "60");
  EXPECT_EQ(IniGet(Page("absurd.txt.ini"), "Window", "ColorBG"), "-1") << "what the user did not change stays";
}

}  // namespace
}  // namespace memo::test
