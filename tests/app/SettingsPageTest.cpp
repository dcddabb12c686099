// Which folders the settings page refuses as a new root folder: those below
// the current one, however they are spelled.
#include <gtest/gtest.h>

#include <string>

#include "app/SettingsPage.h"

namespace memo {
namespace {

TEST(SettingsPageTest, FoldersBelowTheRootAreFoundInAnySpelling) {
  const std::string root = "C:\\Users\\me\\Memo";
  struct Case {
    const char* path;
    bool below;
  } cases[] = {
      {"C:\\Users\\me\\Memo\\work", true},
      {"C:\\Users\\me\\Memo\\common", true},
      {"C:\\Users\\me\\Memo\\common\\deeper", true},
      {"c:\\users\\ME\\memo\\Work", true},   // letters without regard to case
      {"C:/Users/me/Memo/work", true},       // either separator
      {"C:\\Users\\me\\Memo\\work\\", true},
      {"C:\\Users\\me\\Memo", false},        // the root itself
      {"C:\\Users\\me\\Memo\\", false},
      {"C:\\Users\\me\\Memo\\\\", false},
      {"C:\\Users\\me\\Memo2", false},       // a sibling sharing the prefix
      {"C:\\Users\\me", false},              // above
      {"D:\\Users\\me\\Memo\\work", false},
      {"", false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsBelowFolder(c.path, root), c.below) << c.path;
  EXPECT_TRUE(IsBelowFolder("C:\\Users\\me\\Memo\\work", root + "\\")) << "a root given with its separator";
  EXPECT_TRUE(IsBelowFolder("C:\\work", "C:\\")) << "a drive root";
  EXPECT_FALSE(IsBelowFolder("C:\\work", "")) << "no root";
}

TEST(SettingsPageTest, DoubleByteNamesCompareExactly) {
  // In the Japanese code page a trail byte may be "\" (ソ is 0x83 0x5C) or
  // an ASCII letter (ア 0x83 0x41, チ 0x83 0x60... ): it is neither a
  // separator nor a letter to fold.
  const std::string memo = "C:\\\x83\x81\x83\x82";  // メモ
  const std::string so = "C:\\\x83\x5C";              // ソ
  EXPECT_TRUE(IsBelowFolder(memo + "\\page", memo));
  EXPECT_TRUE(IsBelowFolder(so + "\\page", so));
  EXPECT_FALSE(IsBelowFolder(so + "x\\page", so)) << "the name only continues";
  EXPECT_FALSE(IsBelowFolder("C:\\\x83\x61\\page", "C:\\\x83\x41")) << "two kana, not one letter in two cases";
}

}  // namespace
}  // namespace memo
