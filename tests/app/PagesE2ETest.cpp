// Pages through the real program: switching with the page list, creating,
// renaming and deleting pages, and the page names that the main bar refuses.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "frame/Messages.h"
#include "tests/support/AppDriver.h"
#include "tests/support/AppTest.h"
#include "tests/support/ReadOnly.h"
#include "tests/support/TestFiles.h"

namespace memo::test {
namespace {


using Names = std::vector<std::string>;

class PagesTest : public AppTest {
 protected:
  std::string CurrentPage() { return IniGet(root_ / "root.ini", "Info", "CurrentPage", "<missing>"); }

  // Opens the page list as its button does; the combo box once it is there.
  HWND OpenPageList(HWND bar) {
    ::PostMessageA(bar, WM_COMMAND, kCmdPageList, 0);
    HWND combo = nullptr;
    WaitUntil([&] { return (combo = ::GetDlgItem(bar, kIdBody)) != nullptr && ::IsWindowVisible(combo); });
    return combo;
  }

  std::vector<HWND> SortedNoteWindows() {
    std::vector<HWND> windows = app_.NoteWindows();
    std::sort(windows.begin(), windows.end());
    return windows;
  }

  bool WaitPageListGone(HWND bar) {
    return WaitUntil([&] { return ::GetDlgItem(bar, kIdBody) == nullptr; });
  }

  // Clicks a button of a dialog and waits until the dialog is gone.
  void Answer(const DialogInfo& dialog, int buttonId) {
    ASSERT_TRUE(app_.Answer(dialog, buttonId));
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(dialog.hwnd) || !::IsWindowVisible(dialog.hwnd); }));
  }

  // Answers the shell's Recycle Bin question with its "yes" or "no" button.
  void AnswerShellQuestion(bool yes) {
    auto confirm = app_.WaitDialog();
    ASSERT_TRUE(confirm) << "no confirmation from the shell";
    Answer(*confirm, yes ? IDYES : IDNO);
  }

  // A text note file in a folder of the root.
  void Note(const std::string& folder, const std::string& name) {
    ASSERT_TRUE(MakeFolder(root_ / folder));
    ASSERT_TRUE(WriteBytes(Join(root_ / folder, name), name));
  }

};

TEST_F(PagesTest, PageListSwitchesPagesAndClosesWithoutChangeOnTheCurrentPageOrEsc) {
  Note("A", "a1.txt");
  Note("A", "a2.txt");
  ASSERT_TRUE(WriteBytes(root_ / "A\\skip.doc", "no note"));
  Note("B", "b1.txt");
  Note("B", "b2.txt");
  IniSet(root_ / "B\\b2.txt.ini", "Window", "Style", "18");  // hidden
  // The notes shown on every page; the folder's letter case does not matter.
  Note("Common", "c.txt");
  ASSERT_TRUE(MakeFolder(root_ / "Locked"));
  ASSERT_TRUE(MakeReadOnly(root_ / "Locked"));
  ASSERT_TRUE(WriteBytes(root_ / "file.txt", "a file in the root is no page"));

  HWND bar = Start("A");
  ASSERT_TRUE(bar);
  ASSERT_TRUE(WaitNotes({"\"c.txt\"", "a1.txt", "a2.txt"})) << ::testing::PrintToString(app_.NoteTitles());

  // The list: pages only, sorted, the current page selected, dropped down;
  // the two buttons are disabled while it exists. A dropped list selects
  // what the pointer is over, so the pointer is kept out of its way.
  XPointer("mousemove 1270 1010");
  HWND combo = OpenPageList(bar);
  ASSERT_TRUE(combo);
  EXPECT_EQ(ClassOf(combo), "ComboBox");
  EXPECT_EQ(ComboItems(combo), (Names{"A", "B"}));
  EXPECT_EQ(ComboSelection(combo), 0);
  EXPECT_TRUE(::SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0));
  EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(bar, kCmdMenuButton)));
  EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(bar, kCmdPageList)));

  // Choosing B: its notes and the common notes open, A's close.
  ::SendMessageA(combo, CB_SETCURSEL, 1, 0);
  ::SendMessageA(combo, CB_SHOWDROPDOWN, FALSE, 0);
  EXPECT_TRUE(WaitPageListGone(bar));
  EXPECT_EQ(WindowText(bar), "B");
  EXPECT_EQ(CurrentPage(), "B");
  EXPECT_TRUE(WaitNotes({"\"c.txt\"", "b1.txt"})) << ::testing::PrintToString(app_.NoteTitles());
  EXPECT_TRUE(WaitUntil([&] { return ::IsWindowEnabled(::GetDlgItem(bar, kCmdMenuButton)) &&
                                     ::IsWindowEnabled(::GetDlgItem(bar, kCmdPageList)); }));

  // Choosing the current page again reloads nothing: the same windows stay.
  std::vector<HWND> open = SortedNoteWindows();
  combo = OpenPageList(bar);
  ASSERT_TRUE(combo);
  EXPECT_EQ(ComboSelection(combo), 1);
  ::SendMessageA(combo, CB_SHOWDROPDOWN, FALSE, 0);
  EXPECT_TRUE(WaitPageListGone(bar));
  EXPECT_EQ(WindowText(bar), "B");
  EXPECT_EQ(SortedNoteWindows(), open);

  // Esc closes the list without a change.
  combo = OpenPageList(bar);
  ASSERT_TRUE(combo);
  ::PostMessageA(combo, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
  ::PostMessageA(combo, WM_KEYUP, VK_ESCAPE, 0xC0010001);
  EXPECT_TRUE(WaitPageListGone(bar));
  EXPECT_EQ(WindowText(bar), "B");
  EXPECT_EQ(CurrentPage(), "B");
  EXPECT_EQ(SortedNoteWindows(), open);
  EXPECT_FALSE(app_.FindWindowOf("#32770"));
  EXPECT_EQ(app_.Quit(), 0u);
  ClearReadOnly(root_ / "Locked");
}

TEST_F(PagesTest, CreateRenameAndDeletePages) {
  Note("B", "b.txt");
  HWND bar = Start("");
  ASSERT_TRUE(bar);

  // Create page: 新しいページ1 with a new text note, made current.
  ::PostMessageA(bar, WM_COMMAND, kCmdNewPage, 0);
  ASSERT_TRUE(WaitUntil([&] { return WindowText(bar) == "新しいページ1"; })) << WindowText(bar);
  EXPECT_TRUE(FolderExists(root_ / "新しいページ1"));
  EXPECT_EQ(CurrentPage(), "新しいページ1");
  EXPECT_TRUE(WaitNotes({"新しいテキスト1.txt"})) << ::testing::PrintToString(app_.NoteTitles());
  EXPECT_TRUE(FileExists(root_ / "新しいページ1\\新しいテキスト1.txt"));
  HWND note = app_.FindWindowOf("Memopane-Text", "新しいテキスト1.txt");

  // Rename: the folder gets the new name, the open note stays open.
  EXPECT_EQ(SetText(bar, "改名"), TRUE);
  EXPECT_EQ(WindowText(bar), "改名");
  EXPECT_EQ(CurrentPage(), "改名");
  EXPECT_FALSE(FolderExists(root_ / "新しいページ1"));
  EXPECT_TRUE(FileExists(root_ / "改名\\新しいテキスト1.txt"));
  EXPECT_EQ(app_.NoteWindows(), std::vector<HWND>{note});

  // Renaming to a page that exists switches to it instead.
  EXPECT_EQ(SetText(bar, "B"), TRUE);
  EXPECT_EQ(CurrentPage(), "B");
  EXPECT_TRUE(FolderExists(root_ / "改名"));
  EXPECT_TRUE(FileExists(root_ / "改名\\新しいテキスト1.txt"));
  EXPECT_TRUE(WaitNotes({"b.txt"}));

  // A rename that fails changes nothing: another program holds the page
  // folder open without sharing its deletion, so the shell cannot rename it
  // (Windows reports that in a box of its own, which is cancelled).
  {
    HANDLE held = ::CreateFileA((root_ / "B").c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    AsyncSetText rename(bar, "C");
    if (auto shellBox = app_.WaitDialog(1000)) Answer(*shellBox, IDCANCEL);
    EXPECT_EQ(rename.Wait().value_or(-1), FALSE);
    ::CloseHandle(held);
    EXPECT_EQ(WindowText(bar), "B");
    EXPECT_EQ(CurrentPage(), "B");
    EXPECT_TRUE(FolderExists(root_ / "B"));
    EXPECT_FALSE(FolderExists(root_ / "C"));
    EXPECT_EQ(app_.NoteTitles(), Names{"b.txt"});
  }

  // Delete page, answered "no" by the user: nothing happens.
  ::PostMessageA(bar, WM_COMMAND, kCmdDelete, 0);
  auto question = app_.WaitDialog();
  ASSERT_TRUE(question);
  EXPECT_EQ(question->title, "Memopane");
  EXPECT_EQ(question->text, "\"B\"に含まれるファイルを全て削除します。\r\n\r\nよろしいですか？");
  EXPECT_TRUE(question->questionIcon);
  EXPECT_EQ(question->owner, bar);
  Answer(*question, IDNO);
  EXPECT_TRUE(app_.NoDialogFor(300));
  EXPECT_EQ(WindowText(bar), "B");
  EXPECT_TRUE(FolderExists(root_ / "B"));

  // Answered "yes": the bar empties, the notes close, the folder goes to the
  // Recycle Bin after the shell's own question.
  ::PostMessageA(bar, WM_COMMAND, kCmdDelete, 0);
  question = app_.WaitDialog();
  ASSERT_TRUE(question);
  Answer(*question, IDYES);
  AnswerShellQuestion(true);
  EXPECT_TRUE(WaitUntil([&] { return !FolderExists(root_ / "B"); }));
  EXPECT_EQ(WindowText(bar), "");
  EXPECT_EQ(CurrentPage(), "");
  EXPECT_TRUE(WaitNotes({}));

  // Cancelling the shell's question keeps the folder; the bar still shows no
  // page.
  EXPECT_EQ(SetText(bar, "改名"), TRUE);
  EXPECT_TRUE(WaitNotes({"新しいテキスト1.txt"}));
  ::PostMessageA(bar, WM_COMMAND, kCmdDelete, 0);
  question = app_.WaitDialog();
  ASSERT_TRUE(question);
  Answer(*question, IDYES);
  AnswerShellQuestion(false);
  EXPECT_TRUE(app_.NoDialogFor(300));
  EXPECT_TRUE(FileExists(root_ / "改名\\新しいテキスト1.txt"));
  EXPECT_EQ(WindowText(bar), "");
  EXPECT_EQ(CurrentPage(), "");
  EXPECT_TRUE(WaitNotes({}));
  EXPECT_EQ(app_.Quit(), 0u);
}

TEST_F(PagesTest, NamesThatCannotBePagesAreRefusedWithTheirBoxes) {
  HWND bar = Start("A");
  ASSERT_TRUE(bar);
  const std::string room(230 - (root_.path().size() + 1), 'x');  // a folder path of 230 bytes
  const Names invalid = {
      // The eleven forbidden characters.
      "a\\b", "a/b", "a:b", "a,b", "a;b", "a*b", "a?b", "a\"b", "a<b", "a>b", "a|b",
      // Names that Windows cannot use as a folder.
      "CON", "nul", "Com1", "lpt9", "aux.txt", "page ", "page.", room + "yyyyyyyyyyyyyyyyyyyyyyyyyyyyyy",
      std::string(300, 'z'),
      // Names that root.ini would not give back as they are.
      " lead space", "'quoted'",
      // A name that would make a box far wider than the screen.
      std::string(50000, 'w') + std::string(50000, 'v')};
  const RECT screen = WorkArea();
  for (const std::string& name : invalid) {
    SCOPED_TRACE(name);
    AsyncSetText set(bar, name);
    auto box = app_.WaitDialog();
    ASSERT_TRUE(box);
    EXPECT_EQ(box->title, "Memopane");
    if (name.size() <= 100) {
      EXPECT_EQ(box->text, "Invalid FileName\r\n\r\n" + name);
    } else {
      // A long name is shortened in its middle, and the box stays on the
      // screen with its title and its button.
      EXPECT_EQ(box->text.rfind("Invalid FileName\r\n\r\n" + name.substr(0, 40), 0), 0u);
      EXPECT_EQ(box->text.substr(box->text.size() - 30), name.substr(name.size() - 30));
      EXPECT_NE(box->text.find("..."), std::string::npos);
      EXPECT_LE(box->text.size(), 140u);
      RECT r = WindowRect(box->hwnd);
      EXPECT_TRUE(r.left >= screen.left && r.right <= screen.right && r.top >= screen.top &&
                  r.bottom <= screen.bottom);
    }
    EXPECT_TRUE(box->errorIcon);
    EXPECT_EQ(box->owner, bar);
    Answer(*box, IDOK);
    EXPECT_EQ(set.Wait().value_or(-1), FALSE);
    EXPECT_EQ(WindowText(bar), "A");
  }
  for (const std::string& name : Names{"common", "COMMON", "Common"}) {
    SCOPED_TRACE(name);
    AsyncSetText set(bar, name);
    auto box = app_.WaitDialog();
    ASSERT_TRUE(box);
    EXPECT_EQ(box->title, "Memopane");
    EXPECT_EQ(box->text, "このページ名は使用できません\r\n\r\n" + name);
    EXPECT_TRUE(box->errorIcon);
    EXPECT_EQ(box->owner, bar);
    Answer(*box, IDOK);
    EXPECT_EQ(set.Wait().value_or(-1), FALSE);
  }
  EXPECT_EQ(WindowText(bar), "A");
  EXPECT_EQ(CurrentPage(), "A");
  EXPECT_EQ(ListNames(root_.path()), (Names{"A", "common", "root.ini"}));

  // A double-byte character whose second byte is the code of a backslash
  // ("表" is 0x95 0x5C) is no forbidden character; neither is a long name
  // that leaves room for notes.
  EXPECT_EQ(SetText(bar, "表"), TRUE);
  EXPECT_TRUE(FolderExists(root_ / "表"));
  EXPECT_EQ(CurrentPage(), "表");
  EXPECT_EQ(SetText(bar, room), TRUE);
  EXPECT_TRUE(FolderExists(root_ / room));
  EXPECT_TRUE(app_.NoDialogFor(200));
  EXPECT_EQ(app_.Quit(), 0u);
}

TEST_F(PagesTest, FoldersThatCannotBePagesAreNotListed) {
  Note("A", "a.txt");
  Note("B", "b.txt");
  // Names the code page cannot hold, made with the wide functions as another
  // program or a sync tool would; and one that root.ini cannot give back.
  for (const wchar_t* name : {L"emoji \U0001F600", L"\u00DCn\u00EFc\u00F6d\u00E9"}) {
    std::wstring path = std::wstring(root_.path().begin(), root_.path().end()) + L"\\" + name;
    ASSERT_TRUE(::CreateDirectoryW(path.c_str(), nullptr));
  }
  ASSERT_TRUE(MakeFolder(root_ / " lead space"));
  HWND bar = Start("A");
  ASSERT_TRUE(bar);
  ASSERT_TRUE(WaitNotes({"a.txt"}));

  HWND combo = OpenPageList(bar);
  ASSERT_TRUE(combo);
  EXPECT_EQ(ComboItems(combo), (Names{"A", "B"}));
  ::PostMessageA(combo, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
  ::PostMessageA(combo, WM_KEYUP, VK_ESCAPE, 0xC0010001);
  EXPECT_TRUE(WaitPageListGone(bar));

  // Named on purpose, the folder is refused rather than opened empty.
  AsyncSetText set(bar, " lead space");
  auto box = app_.WaitDialog();
  ASSERT_TRUE(box);
  EXPECT_EQ(box->text, "Invalid FileName\r\n\r\n lead space");
  Answer(*box, IDOK);
  EXPECT_EQ(set.Wait().value_or(-1), FALSE);
  EXPECT_EQ(CurrentPage(), "A");
  EXPECT_EQ(app_.Quit(), 0u);
}

}  // namespace
}  // namespace memo::test
