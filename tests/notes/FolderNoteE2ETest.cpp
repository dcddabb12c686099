// Folder notes in the real program: the tree of a folder in its order, with
// shortcuts, plain ".LNK" files and hidden entries, branches that follow
// the disk, shortcut loops, the file commands, and moving the note's own
// folder while branches are open.
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "frame/Messages.h"
#include "store/ShellLinks.h"
#include "tests/support/AppDriver.h"
#include "tests/support/Keys.h"
#include "tests/support/Menus.h"
#include "tests/support/NoteSession.h"
#include "tests/support/RemoteTree.h"
#include "tests/support/TestFiles.h"

namespace memo::test {
namespace {

constexpr char kFolderClass[] = "Memopane-Folder";
constexpr UINT kShortcutMark = 0x200;
// A change is seen at the next 500 ms poll: "about a second" with room.
constexpr DWORD kWatchMs = 1500;
// Wine's shell takes seconds to move an entry to the Recycle Bin.
constexpr DWORD kShellDeleteMs = 6000;

bool MakeShortcut(const std::string& link, const std::string& target) {
  ::CoInitialize(nullptr);
  bool made = MakeShortcutToPath(link, target);
  ::CoUninitialize();
  return made;
}

// The desktop's display name, as the shell gives it for its item list.
std::string DesktopName() {
  PIDLIST_ABSOLUTE idl = nullptr;
  if (FAILED(::SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOP, &idl)) || !idl) return "";
  SHFILEINFOA info{};
  ::SHGetFileInfoA(reinterpret_cast<LPCSTR>(idl), 0, &info, sizeof(info), SHGFI_PIDL | SHGFI_DISPLAYNAME);
  ::CoTaskMemFree(idl);
  return info.szDisplayName;
}

class FolderNoteTest : public ::testing::Test {
 protected:
  FolderNoteTest() { MakeFolder(Docs()); }

  // Starts the program with the note "docs" on the page; its tree.
  HWND StartWithNote() {
    if (!session_.Start()) return nullptr;
    note_ = session_.WaitNote("docs", kFolderClass);
    return note_ ? NoteSession::Body(note_) : nullptr;
  }
  std::string Docs(const std::string& name = "") const {
    return name.empty() ? session_.NotePath("docs") : Join(session_.NotePath("docs"), name);
  }
  bool WaitTexts(HWND tree, const std::vector<std::string>& texts, HTREEITEM parent = TVI_ROOT,
                 DWORD ms = kWatchMs) {
    return WaitUntil([&] { return TreeTexts(tree, parent) == texts; }, ms);
  }
  static bool Expand(HWND tree, HTREEITEM item, UINT action = TVE_EXPAND) {
    DWORD_PTR result = 0;
    return ::SendMessageTimeoutA(tree, TVM_EXPAND, action, reinterpret_cast<LPARAM>(item), SMTO_ABORTIFHUNG,
                                 5000, &result) != 0;
  }

  NoteSession session_;
  TempFolder outside_{"memo-target"};
  HWND note_ = nullptr;
};

TEST_F(FolderNoteTest, ShowsTheFolderSortedWithShortcutsPlainLnkFilesAndHiddenEntries) {
  ASSERT_TRUE(MakeFolder(Docs("b sub")));
  ASSERT_TRUE(MakeFolder(Docs("A sub")));
  for (const char* name : {"z.txt", "a.doc", "b.TXT", "secret.txt"}) ASSERT_TRUE(WriteBytes(Docs(name), "x"));
  ASSERT_TRUE(::SetFileAttributesA(Docs("secret.txt").c_str(), FILE_ATTRIBUTE_HIDDEN));
  ASSERT_TRUE(MakeShortcut(Docs("report.doc.lnk"), Docs("a.doc")));
  // A real shortcut whose extension is not written ".lnk" is a plain file.
  ASSERT_TRUE(MakeShortcut(Docs("plain.LNK"), Docs("a.doc")));
  ASSERT_TRUE(WriteBytes(outside_ / "x.txt", "x"));
  ASSERT_TRUE(MakeShortcut(Docs("elsewhere.lnk"), outside_.path()));

  HWND tree = StartWithNote();
  ASSERT_TRUE(tree);
  const std::vector<std::string> expected = {"A sub",     "b sub", "elsewhere", "a.doc",     "report.doc",
                                             "plain.LNK", "b.TXT", "secret.txt", "z.txt"};
  ASSERT_TRUE(WaitTexts(tree, expected)) << ::testing::PrintToString(TreeTexts(tree));

  std::vector<TreeItem> items = TreeChildren(tree);
  auto item = [&](const std::string& text) {
    for (const TreeItem& i : items) {
      if (i.text == text) return i;
    }
    return TreeItem{};
  };
  EXPECT_TRUE(item("report.doc").state & kShortcutMark);
  EXPECT_FALSE(item("plain.LNK").state & kShortcutMark);
  EXPECT_EQ(item("plain.LNK").children, 0);
  EXPECT_TRUE(item("secret.txt").state & TVIS_CUT);
  EXPECT_FALSE(item("z.txt").state & TVIS_CUT);
  EXPECT_EQ(item("A sub").children, 1);
  EXPECT_EQ(item("a.doc").children, 0);

  // A shortcut to a folder opens in place on the target's entries, and
  // follows the target folder while it is open.
  TreeItem link = item("elsewhere");
  EXPECT_TRUE(link.state & kShortcutMark);
  EXPECT_EQ(link.children, 1);
  ASSERT_TRUE(Expand(tree, link.handle));
  EXPECT_EQ(TreeTexts(tree, link.handle), std::vector<std::string>{"x.txt"});
  ASSERT_TRUE(WriteBytes(outside_ / "a.txt", "x"));
  EXPECT_TRUE(WaitTexts(tree, {"a.txt", "x.txt"}, link.handle));
  EXPECT_EQ(session_.app().Quit(), 0u);
}

TEST_F(FolderNoteTest, FollowsTheDiskAndClosesABranchWhoseLastEntryLeaves) {
  ASSERT_TRUE(MakeFolder(Docs("sub")));
  ASSERT_TRUE(WriteBytes(Docs("sub\\m.txt"), "x"));
  ASSERT_TRUE(WriteBytes(Docs("m.txt"), "x"));
  HWND tree = StartWithNote();
  ASSERT_TRUE(tree);
  ASSERT_TRUE(WaitTexts(tree, {"sub", "m.txt"}));
  HTREEITEM sub = FindTreeItem(tree, "sub")->handle;
  ASSERT_TRUE(Expand(tree, sub));
  ASSERT_EQ(TreeTexts(tree, sub), std::vector<std::string>{"m.txt"});

  ASSERT_TRUE(WriteBytes(Docs("a.txt"), "x"));
  ASSERT_TRUE(WriteBytes(Docs("sub\\b.txt"), "x"));
  EXPECT_TRUE(WaitTexts(tree, {"sub", "a.txt", "m.txt"})) << "a new file is sorted into place";
  EXPECT_TRUE(WaitTexts(tree, {"b.txt", "m.txt"}, sub));

  ASSERT_TRUE(::DeleteFileA(Docs("m.txt").c_str()));
  EXPECT_TRUE(WaitTexts(tree, {"sub", "a.txt"}));

  ASSERT_TRUE(::DeleteFileA(Docs("sub\\b.txt").c_str()));
  ASSERT_TRUE(::DeleteFileA(Docs("sub\\m.txt").c_str()));
  EXPECT_TRUE(WaitTexts(tree, {}, sub));
  std::optional<TreeItem> closed = FindTreeItem(tree, "sub");
  ASSERT_TRUE(closed);
  EXPECT_FALSE(closed->state & TVIS_EXPANDED) << "the emptied branch is closed";

  // Read again when it opens again, here with Enter.
  ASSERT_TRUE(WriteBytes(Docs("sub\\c.txt"), "x"));
  ::SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(sub));
  PostKey(tree, VK_RETURN);
  EXPECT_TRUE(WaitTexts(tree, {"c.txt"}, sub));
  // Closed by the user (Left) or by Enter, a branch lets its items go.
  for (UINT key : {VK_LEFT, VK_RETURN}) {
    PostKey(tree, key);
    EXPECT_TRUE(WaitTexts(tree, {}, sub)) << key;
    EXPECT_FALSE(FindTreeItem(tree, "sub")->state & TVIS_EXPANDED);
    PostKey(tree, VK_RETURN);
    EXPECT_TRUE(WaitTexts(tree, {"c.txt"}, sub)) << key;
  }
  EXPECT_EQ(session_.app().Quit(), 0u);
}

TEST_F(FolderNoteTest, AShortcutToTheNotesOwnFolderOpensLevelAfterLevelWithoutHanging) {
  ASSERT_TRUE(MakeShortcut(Docs("loop.lnk"), Docs()));
  ASSERT_TRUE(WriteBytes(Docs("f.txt"), "x"));
  HWND tree = StartWithNote();
  ASSERT_TRUE(tree);
  ASSERT_TRUE(WaitTexts(tree, {"loop", "f.txt"}));
  HTREEITEM level = FindTreeItem(tree, "loop")->handle;
  for (int depth = 0; depth < 4; ++depth) {
    ASSERT_TRUE(Expand(tree, level)) << "the program answers at depth " << depth;
    ASSERT_EQ(TreeTexts(tree, level), (std::vector<std::string>{"loop", "f.txt"})) << depth;
    level = FindTreeItem(tree, "loop", level)->handle;
  }
  // Every open level watches the one folder.
  ASSERT_TRUE(WriteBytes(Docs("g.txt"), "x"));
  EXPECT_TRUE(WaitTexts(tree, {"loop", "f.txt", "g.txt"}));
  EXPECT_EQ(session_.app().Quit(), 0u);
}

TEST_F(FolderNoteTest, CopyPathOfAShortcutGivesItsTargetAndNewSubfoldersSkipNamesInUse) {
  ASSERT_TRUE(MakeFolder(Docs("新しいサブフォルダ1")));
  ASSERT_TRUE(WriteBytes(Docs("新しいサブフォルダ2"), "a file takes the name too"));
  ASSERT_TRUE(WriteBytes(outside_ / "t.txt", "x"));
  ASSERT_TRUE(MakeShortcut(Docs("t.txt.lnk"), outside_ / "t.txt"));
  HWND tree = StartWithNote();
  ASSERT_TRUE(tree);
  // A name without "." is compared whole: "t" comes before the lead byte of "新".
  ASSERT_TRUE(WaitTexts(tree, {"新しいサブフォルダ1", "t.txt", "新しいサブフォルダ2"}));

  HTREEITEM link = FindTreeItem(tree, "t.txt")->handle;
  ::SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(link));
  ::SendMessageA(note_, WM_COMMAND, kCmdCopyPath, 0);
  std::string copied;
  ASSERT_TRUE(::OpenClipboard(nullptr));
  if (HANDLE data = ::GetClipboardData(CF_TEXT)) {
    if (const char* text = static_cast<const char*>(::GlobalLock(data))) copied = text;
    ::GlobalUnlock(data);
  }
  ::CloseClipboard();
  EXPECT_EQ(lstrcmpiA(copied.c_str(), (outside_ / "t.txt").c_str()), 0) << copied;

  // Made at the top of the note even with a folder selected.
  HTREEITEM first = FindTreeItem(tree, "新しいサブフォルダ1")->handle;
  ::SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(first));
  ::SendMessageA(note_, WM_COMMAND, kCmdNewSubFolder, 0);
  EXPECT_TRUE(FolderExists(Docs("新しいサブフォルダ3")));
  EXPECT_FALSE(FolderExists(Docs("新しいサブフォルダ1\\新しいサブフォルダ1")));
  EXPECT_TRUE(WaitTexts(tree, {"新しいサブフォルダ1", "新しいサブフォルダ3", "t.txt", "新しいサブフォルダ2"}));
  EXPECT_EQ(session_.app().Quit(), 0u);
}

TEST_F(FolderNoteTest, DeletingAShortcutKeepsItsTargetAndTheMenusActOnTheirItem) {
  ASSERT_TRUE(WriteBytes(outside_ / "t.txt", "keep"));
  ASSERT_TRUE(MakeShortcut(Docs("t.txt.lnk"), outside_ / "t.txt"));
  ASSERT_TRUE(WriteBytes(Docs("u.txt"), "u"));
  HWND tree = StartWithNote();
  ASSERT_TRUE(tree);
  ASSERT_TRUE(WaitTexts(tree, {"t.txt", "u.txt"}));

  // The Delete key on the shortcut: the shell asks, the shortcut goes.
  ::SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(FindTreeItem(tree, "t.txt")->handle));
  PostKey(tree, VK_DELETE);
  std::optional<DialogInfo> confirm = session_.app().WaitDialog();
  ASSERT_TRUE(confirm);
  ASSERT_TRUE(session_.app().Answer(*confirm, IDYES));
  EXPECT_TRUE(WaitTexts(tree, {"u.txt"}, TVI_ROOT, kShellDeleteMs));
  EXPECT_FALSE(FileExists(Docs("t.txt.lnk")));
  EXPECT_EQ(ReadBytes(outside_ / "t.txt"), "keep");

  // The item menu at an item selects it and deletes it.
  ASSERT_TRUE(BringToForeground(note_));
  ::SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, 0);  // nothing selected before
  RECT tr = WindowRect(tree);
  ::PostMessageA(note_, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(note_), MAKELPARAM(tr.left + 40, tr.top + 8));
  HWND menu = WaitPopupMenu(session_.app().pid());
  ASSERT_TRUE(menu);
  MenuPostChar(menu, 'd');  // 削除(&D)
  confirm = session_.app().WaitDialog();
  ASSERT_TRUE(confirm);
  ASSERT_TRUE(session_.app().Answer(*confirm, IDYES));
  EXPECT_TRUE(WaitTexts(tree, {}, TVI_ROOT, kShellDeleteMs));
  EXPECT_FALSE(FileExists(Docs("u.txt")));

  // The background menu below the items: a new subfolder of the note.
  ::PostMessageA(note_, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(note_), MAKELPARAM(tr.left + 40, tr.bottom - 8));
  menu = WaitPopupMenu(session_.app().pid());
  ASSERT_TRUE(menu);
  MenuPostChar(menu, 'n');  // 新しいサブフォルダ(&N)
  EXPECT_TRUE(WaitTexts(tree, {"新しいサブフォルダ1"}));
  EXPECT_EQ(session_.app().Quit(), 0u);
}

TEST_F(FolderNoteTest, ASpecialFolderShortcutIsNamedAfterTheFolderAndReplacesAnOlderOne) {
  const std::string desktop = DesktopName();
  ASSERT_FALSE(desktop.empty());
  ASSERT_TRUE(WriteBytes(Docs(desktop + ".lnk"), "not a shortcut"));
  HWND tree = StartWithNote();
  ASSERT_TRUE(tree);
  ASSERT_TRUE(WaitUntil([&] { return TreeTexts(tree).size() == 1; }));
  ASSERT_TRUE(BringToForeground(note_));
  RECT r = WindowRect(tree);
  ::PostMessageA(note_, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(note_), MAKELPARAM(r.left + 40, r.bottom - 8));
  HWND menu = WaitPopupMenu(session_.app().pid());
  ASSERT_TRUE(menu);
  // このフォルダを開く, 新しいサブフォルダ, then the ショートカット sub-menu.
  for (int i = 0; i < 3; ++i) MenuPostKey(menu, VK_DOWN);
  MenuPostKey(menu, VK_RIGHT);
  menu = WaitPopupMenu(session_.app().pid(), 2);
  ASSERT_TRUE(menu);
  MenuPostKey(menu, VK_DOWN);  // past 新しいショートカット to the desktop
  MenuPostKey(menu, VK_RETURN);
  ASSERT_TRUE(WaitNoPopupMenu(session_.app().pid()));
  EXPECT_TRUE(WaitUntil([&] { return ReadBytes(Docs(desktop + ".lnk")) != "not a shortcut"; }));
  std::optional<TreeItem> link;
  EXPECT_TRUE(WaitUntil([&] { return (link = FindTreeItem(tree, desktop)).has_value(); }, kWatchMs));
  if (link) {
    EXPECT_TRUE(link->state & kShortcutMark);
  }
  EXPECT_EQ(session_.app().Quit(), 0u);
}

TEST_F(FolderNoteTest, LabelRenamesRefuseForbiddenCharactersEmptyNamesAndNamesInUse) {
  ASSERT_TRUE(WriteBytes(Docs("a.txt"), "a"));
  ASSERT_TRUE(WriteBytes(Docs("b.txt"), "b"));
  HWND tree = StartWithNote();
  ASSERT_TRUE(tree);
  ASSERT_TRUE(WaitTexts(tree, {"a.txt", "b.txt"}));
  HTREEITEM a = FindTreeItem(tree, "a.txt")->handle;

  // An empty name would be the folder's own: for a shortcut, "docs.lnk"
  // beside the note's folder. Nothing is renamed and nothing asked.
  ASSERT_TRUE(MakeShortcut(Docs("s.lnk"), Docs("b.txt")));
  ASSERT_TRUE(WaitTexts(tree, {"a.txt", "b.txt", "s"}));
  for (HTREEITEM item : {a, FindTreeItem(tree, "s")->handle}) {
    ASSERT_TRUE(TreeRenameItem(tree, item, ""));
    EXPECT_TRUE(session_.app().NoDialogFor(1000));
  }
  EXPECT_EQ(ListNames(Docs()), (std::vector<std::string>{"a.txt", "b.txt", "s.lnk"}));
  EXPECT_FALSE(FileExists(Docs() + ".lnk"));
  ASSERT_TRUE(::DeleteFileA(Docs("s.lnk").c_str()));
  ASSERT_TRUE(WaitTexts(tree, {"a.txt", "b.txt"}));

  for (const char* refused : {"x,y.txt", "x;y.txt"}) {
    ASSERT_TRUE(TreeRenameItem(tree, a, refused));
    std::optional<DialogInfo> box = session_.app().WaitDialog();
    ASSERT_TRUE(box) << refused;
    EXPECT_EQ(box->title, "Memopane");
    EXPECT_TRUE(box->errorIcon);
    EXPECT_EQ(box->text, "ファイル名に \\ / : , ; * ? \" < > | を使用することはできません");
    session_.app().Answer(*box, IDOK);
    // Answers are posted: the next rename must not find this box again.
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindowVisible(box->hwnd); }));
    EXPECT_TRUE(FileExists(Docs("a.txt")));
    EXPECT_FALSE(FileExists(Docs(refused)));
  }

  ASSERT_TRUE(TreeRenameItem(tree, a, "b.txt"));
  std::optional<DialogInfo> box = session_.app().WaitDialog();
  ASSERT_TRUE(box) << "a name in use is refused";
  session_.app().Answer(*box, IDOK);
  EXPECT_EQ(ReadBytes(Docs("a.txt")), "a");
  EXPECT_EQ(ReadBytes(Docs("b.txt")), "b");

  ASSERT_TRUE(TreeRenameItem(tree, a, "c.txt"));
  EXPECT_TRUE(WaitUntil([&] { return FileExists(Docs("c.txt")); }));
  // The item itself takes the name; its place follows at the folder's next change.
  EXPECT_TRUE(WaitTexts(tree, {"c.txt", "b.txt"}));
  EXPECT_EQ(FindTreeItem(tree, "c.txt")->handle, a);
  ASSERT_TRUE(WriteBytes(Docs("d.txt"), "d"));
  EXPECT_TRUE(WaitTexts(tree, {"b.txt", "c.txt", "d.txt"}));
  EXPECT_EQ(ReadBytes(Docs("c.txt")), "a");
  EXPECT_EQ(session_.app().Quit(), 0u);
}

TEST_F(FolderNoteTest, MovesIntoCommonWhileABranchIsOpenAndKeepsWatching) {
  ASSERT_TRUE(MakeFolder(Docs("sub\\deeper")));
  ASSERT_TRUE(WriteBytes(Docs("sub\\deeper\\d.txt"), "x"));
  HWND tree = StartWithNote();
  ASSERT_TRUE(tree);
  ASSERT_TRUE(WaitTexts(tree, {"sub"}));
  HTREEITEM sub = FindTreeItem(tree, "sub")->handle;
  ASSERT_TRUE(Expand(tree, sub));
  HTREEITEM deeper = FindTreeItem(tree, "deeper", sub)->handle;
  ASSERT_TRUE(Expand(tree, deeper));
  ASSERT_EQ(TreeTexts(tree, deeper), std::vector<std::string>{"d.txt"});

  EXPECT_EQ(SetText(note_, "\"docs\""), TRUE);
  EXPECT_TRUE(FolderExists(session_.NotePath("\"docs\"")));
  EXPECT_FALSE(FolderExists(Docs()));
  EXPECT_EQ(WindowText(note_), "\"docs\"");

  ASSERT_TRUE(WriteBytes(session_.NotePath("\"docs\"") + "\\sub\\deeper\\e.txt", "x"));
  EXPECT_TRUE(WaitTexts(tree, {"d.txt", "e.txt"}, deeper)) << "the open branches are watched at their new place";

  // Deleted with its branches open: to the Recycle Bin, and the note closes.
  AsyncSetText erase(note_, "");
  std::optional<DialogInfo> confirm = session_.app().WaitDialog();
  ASSERT_TRUE(confirm);
  ASSERT_TRUE(session_.app().Answer(*confirm, IDYES));
  EXPECT_EQ(erase.Wait(kShellDeleteMs), TRUE);
  EXPECT_FALSE(FolderExists(session_.NotePath("\"docs\"")));
  EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(note_); }));
  EXPECT_EQ(session_.app().Quit(), 0u);
}

}  // namespace
}  // namespace memo::test
