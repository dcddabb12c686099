// The folder note's rules (order, refused labels, numbering) and the note in
// the test process: refusing what is no folder, and refreshing a level
// without rebuilding it.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

#include "notes/FolderRules.h"
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

}  // namespace
}  // namespace memo::test
