// The folder note's drop rules over plain values: which items take a drop
// with which effect, what a program is started with, and how shortcuts to
// dropped paths are named.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "notes/FolderRules.h"

namespace memo {
namespace {

TEST(FolderDropRulesTest, FoldersTakeLinksAndCopiesProgramsCopiesAndOtherItemsNothing) {
  EXPECT_EQ(DropEffectOverItem(true, false, false), 5u);
  EXPECT_EQ(DropEffectOverItem(true, false, true), 7u) << "move only after the right button";
  EXPECT_EQ(DropEffectOverItem(false, true, false), 1u);
  EXPECT_EQ(DropEffectOverItem(false, true, true), 1u);
  EXPECT_EQ(DropEffectOverItem(false, false, true), 0u);

  for (const char* program : {"C:\\a\\run.exe", "x.EXE", "job.Bat"}) EXPECT_TRUE(IsProgramPath(program)) << program;
  for (const char* other : {"C:\\a.exe\\readme", "C:\\a\\run.exe.txt", "exe", "C:\\a\\bat"}) {
    EXPECT_FALSE(IsProgramPath(other)) << other;
  }
  for (const char* asIs : {"a.url", "b.LNK", "C:\\x\\c.Url"}) EXPECT_TRUE(IsCopiedAsIs(asIs)) << asIs;
  for (const char* linked : {"a.url.txt", "lnk", "C:\\x.lnk\\report.doc"}) EXPECT_FALSE(IsCopiedAsIs(linked));
}

TEST(FolderDropRulesTest, ProgramsGetEveryPathQuotedAndShortcutsTheFileName) {
  EXPECT_EQ(QuotedArguments({"C:\\my files\\a.txt", "C:\\b.txt"}), "\"C:\\my files\\a.txt\" \"C:\\b.txt\"");
  EXPECT_EQ(QuotedArguments({}), "");

  EXPECT_EQ(ShortcutBaseName("C:\\docs\\report.doc"), "report.doc");
  EXPECT_EQ(ShortcutBaseName("C:\\docs\\表\\sub"), "sub");
  EXPECT_EQ(ShortcutBaseName("C:\\表"), "表") << "the trail byte of 表 is no separator";
  EXPECT_EQ(ShortcutBaseName("C:\\"), "") << "a drive root is named by its volume label";
  EXPECT_EQ(ShortcutBaseName("D:"), "");
  EXPECT_EQ(ShortcutBaseName("\\\\server\\share\\a.txt"), "a.txt");
}

}  // namespace
}  // namespace memo
