// The folder note's rules (order, refused labels, numbering), its watches,
// and the note in the test process: refusing what is no folder, refreshing
// a level without rebuilding it, and letting go of an open folder before
// deleting it.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <iterator>
#include <thread>
#include <string>
#include <vector>

#include "frame/Messages.h"
#include "frame/WindowObject.h"
#include "notes/FolderRules.h"
#include "notes/FolderWatches.h"
#include "notes/ItemFolder.h"
#include "store/Handles.h"
#include "tests/support/AppDriver.h"
#include "tests/support/InProcessStore.h"
#include "tests/support/RemoteTree.h"
#include "tests/support/TestFiles.h"

namespace memo::test {
namespace {

struct Entry {
  bool folder;
  const char* text;
};

TEST(FolderRulesTest, OrdersFoldersFirstThenByExtensionThenByNameWithoutCase) {
  // Each entry comes before every later one.
  const Entry ordered[] = {
      {true, "Alpha"},   {true, "beta.old"}, {false, "z.bmp"},  {false, "a.DOC"},
      {false, "B.doc"},  {false, "a.txt"},   {false, "表.TXT"}, {false, "表z.txt"},
  };
  for (size_t i = 0; i < std::size(ordered); ++i) {
    for (size_t j = i + 1; j < std::size(ordered); ++j) {
      EXPECT_LT(CompareFolderEntries(ordered[i].folder, ordered[i].text, ordered[j].folder, ordered[j].text), 0)
          << ordered[i].text << " before " << ordered[j].text;
      EXPECT_GT(CompareFolderEntries(ordered[j].folder, ordered[j].text, ordered[i].folder, ordered[i].text), 0)
          << ordered[j].text << " after " << ordered[i].text;
    }
  }
  EXPECT_EQ(CompareFolderEntries(false, "Read.ME", false, "read.me"), 0);
  // Without an extension the whole names are compared.
  EXPECT_LT(CompareFolderEntries(false, "b.zip", false, "c"), 0);
  EXPECT_GT(CompareFolderEntries(false, "d.abc", false, "c"), 0);
  // The trail bytes of "ア" (83 41) and "ヂ" (83 61) are the codes of "A"
  // and "a": a byte-wise comparison without case takes them for one name.
  EXPECT_NE(CompareNoCaseMb("\x83\x41", "\x83\x61"), 0);
  EXPECT_EQ(CompareNoCaseMb("ABC表", "abc表"), 0);
}

TEST(FolderRulesTest, RefusesForbiddenCharactersAndShortcutNames) {
  for (const char* bad : {"a,b", "a;b", "a\\b", "a/b", "a:b", "a*b", "a?b", "a\"b", "a<b", "a>b", "a|b"}) {
    EXPECT_EQ(CheckNewLabel(bad), LabelCheck::kForbiddenChar) << bad;
  }
  EXPECT_EQ(CheckNewLabel("x.lnk"), LabelCheck::kShortcutName);
  EXPECT_EQ(CheckNewLabel("x.LnK"), LabelCheck::kShortcutName);
  EXPECT_EQ(CheckNewLabel("表示.txt"), LabelCheck::kOk) << "a trail byte is no backslash";
  EXPECT_EQ(CheckNewLabel("x.lnk.txt"), LabelCheck::kOk);
  // Joined to the folder these would name the folder itself or its parent.
  for (const char* none : {"", ".", "..", " ", ". ."}) EXPECT_EQ(CheckNewLabel(none), LabelCheck::kNoName) << none;
  EXPECT_EQ(CheckNewLabel("..a"), LabelCheck::kOk);
}

TEST(FolderRulesTest, APathIsInsideAFolderOnlyBelowASeparator) {
  EXPECT_TRUE(IsSameOrInside("C:\\Docs", "c:\\docs"));
  EXPECT_TRUE(IsSameOrInside("C:\\docs\\sub\\x", "C:\\docs\\"));
  EXPECT_TRUE(IsSameOrInside("C:\\docs\\表\\x", "C:\\docs\\表"));
  EXPECT_FALSE(IsSameOrInside("C:\\docs2", "C:\\docs"));
  EXPECT_FALSE(IsSameOrInside("C:\\doc", "C:\\docs"));
  EXPECT_FALSE(IsSameOrInside("C:\\docs", ""));
  // "ア" (83 41) is no "a": its trail byte is not folded.
  EXPECT_FALSE(IsSameOrInside("C:\\\x83\x61\\x", "C:\\\x83\x41"));
}

TEST(FolderWatchesTest, ReleasesTheWatchesOfAFolderAndOfTheFoldersInsideIt) {
  TempFolder top("memo-watch");
  for (const char* name : {"a", "a\\sub", "a sub", "b"}) ASSERT_TRUE(MakeFolder(top / name));
  FolderWatches watches;
  watches.Set(1, top / "a");
  watches.Set(2, top / "a\\sub");
  watches.Set(3, top / "a sub");
  watches.Set(4, top / "b");
  EXPECT_TRUE(watches.HoldsUnder(top / "a"));
  EXPECT_EQ(watches.ReleaseUnder(top / "A"), (std::vector<FolderWatches::Key>{1, 2}));
  EXPECT_FALSE(watches.HoldsUnder(top / "a"));
  EXPECT_TRUE(watches.Has(3) && watches.Has(4));
}

TEST(FolderWatchesTest, AWatchThatCannotBeArmedAgainIsReportedOnceAndDropped) {
  TempFolder top("memo-watch");
  FolderWatches watches;
  // Signalled for good, and no change notification to re-arm.
  UniqueChangeHandle stuck(::CreateEventA(nullptr, TRUE, TRUE, nullptr));
  ASSERT_TRUE(stuck);
  watches.Set(7, top.path(), std::move(stuck));
  watches.Set(8, top.path());
  FolderWatches::Changes first = watches.TakeChanged();
  EXPECT_EQ(first.changed, std::vector<FolderWatches::Key>{7});
  EXPECT_EQ(first.lost, std::vector<FolderWatches::Key>{7});
  EXPECT_FALSE(watches.Has(7));
  EXPECT_TRUE(watches.TakeChanged().changed.empty()) << "the folder is not read at every poll";

  ASSERT_TRUE(WriteBytes(top / "new.txt", "x"));
  ASSERT_TRUE(WaitUntil([&] { return watches.TakeChanged().changed == std::vector<FolderWatches::Key>{8}; }, 3000));
  EXPECT_TRUE(watches.Has(8)) << "a watch that re-arms stays";
}

TEST(FolderRulesTest, NumberingEndsOnAFolderThatRefusesEveryName) {
  EXPECT_EQ(FirstFreeNumberedName(kNewSubfolderFormat, [](const std::string&) { return true; }), "");
}

class ItemFolderTest : public InProcessStoreTest {
 protected:
  void SetUp() override {
    InProcessStoreTest::SetUp();
    UsePage("page");
  }
  std::string PathOf(const std::string& name) { return Join(root_ / "page", name); }
  HWND Open(const std::string& name) { return OpenHiddenNote("Memopane-Folder", name); }
};

TEST_F(ItemFolderTest, AMissingFolderOrAFileIsNoFolderNote) {
  ASSERT_TRUE(WriteBytes(PathOf("file"), "x"));
  for (const char* name : {"missing", "file"}) {
    SCOPED_TRACE(name);
    HWND note = nullptr;
    std::optional<DialogInfo> box = AnswerOwnDialog(IDOK, [&] { note = Open(name); });
    EXPECT_EQ(note, nullptr);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->title, "Memopane");
    EXPECT_EQ(box->text, "ItemFolder init failed\r\n\r\n" + PathOf(name));
  }
  EXPECT_FALSE(FolderExists(PathOf("missing")));
}

TEST_F(ItemFolderTest, ARefreshKeepsTheItemsThatStayed) {
  ASSERT_TRUE(MakeFolder(PathOf("docs")));
  ASSERT_TRUE(WriteBytes(PathOf("docs\\b.txt"), "x"));
  ASSERT_TRUE(WriteBytes(PathOf("docs\\c.txt"), "x"));
  HWND note = Open("docs");
  ASSERT_TRUE(note);
  HWND tree = ::GetDlgItem(note, 267);
  std::vector<TreeItem> before = TreeChildren(tree);
  ASSERT_EQ(before.size(), 2u);
  // A mark that only this test sets: a re-inserted item would not carry it.
  TVITEMA mark{};
  mark.mask = TVIF_STATE | TVIF_HANDLE;
  mark.hItem = before[0].handle;
  mark.state = mark.stateMask = TVIS_BOLD;
  ::SendMessageA(tree, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&mark));

  ASSERT_TRUE(WriteBytes(PathOf("docs\\a.txt"), "x"));
  ASSERT_TRUE(::DeleteFileA(PathOf("docs\\c.txt").c_str()));
  ASSERT_TRUE(WaitUntil(
      [&] {
        PumpFor(50);
        return TreeTexts(tree) == std::vector<std::string>{"a.txt", "b.txt"};
      },
      3000));
  EXPECT_TRUE(FindTreeItem(tree, "b.txt")->state & TVIS_BOLD) << "b.txt was not inserted again";
}

TEST_F(ItemFolderTest, AnOpenFolderIsNoLongerWatchedWhileTheShellDeletesIt) {
  ASSERT_TRUE(MakeFolder(PathOf("docs\\sub\\deeper")));
  ASSERT_TRUE(WriteBytes(PathOf("docs\\sub\\deeper\\d.txt"), "x"));
  ASSERT_TRUE(WriteBytes(PathOf("docs\\keep.txt"), "x"));
  HWND note = Open("docs");
  ASSERT_TRUE(note);
  const auto* folder = static_cast<const ItemFolder*>(::GetPropA(note, kThisProperty));
  ASSERT_TRUE(folder);
  HWND tree = ::GetDlgItem(note, 267);
  HTREEITEM sub = FindTreeItem(tree, "sub")->handle;
  ::SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(sub));
  ::SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(FindTreeItem(tree, "deeper", sub)->handle));
  const std::string path = PathOf("docs\\sub");
  ASSERT_TRUE(folder->Watches().HoldsUnder(path));

  // What the note holds while the shell asks, then after each answer.
  auto deleteAnswering = [&](int button) {
    std::optional<bool> heldWhileAsked;
    ::SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(FindTreeItem(tree, "sub")->handle));
    std::optional<DialogInfo> box = AnswerOwnDialog(button, [&] {
      std::thread look([&] {
        for (DWORD start = ::GetTickCount(); !VisibleDialogOfThisProcess() && ::GetTickCount() - start < 5000;) {
          ::Sleep(10);
        }
        heldWhileAsked = folder->Watches().HoldsUnder(path);
      });
      ::SendMessageA(note, WM_COMMAND, kCmdDeleteItem, 0);
      look.join();
    });
    EXPECT_TRUE(box) << "the shell asks";
    return heldWhileAsked;
  };
  EXPECT_EQ(deleteAnswering(IDNO), std::optional<bool>(false));
  EXPECT_TRUE(FolderExists(path));
  EXPECT_TRUE(folder->Watches().HoldsUnder(PathOf("docs\\sub\\deeper"))) << "the kept branches are watched again";

  EXPECT_EQ(deleteAnswering(IDYES), std::optional<bool>(false));
  EXPECT_FALSE(FolderExists(path));
  EXPECT_TRUE(WaitUntil(
      [&] {
        PumpFor(50);
        return TreeTexts(tree) == std::vector<std::string>{"keep.txt"};
      },
      6000));
}

}  // namespace
}  // namespace memo::test
