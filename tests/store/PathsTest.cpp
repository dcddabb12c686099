// Path joins and name rules, with double-byte names whose trail byte is the
// code of a backslash ("表" is 0x95 0x5C, "ソ" is 0x83 0x5C).
#include "store/Paths.h"

#include <gtest/gtest.h>

#include <string>

namespace memo {
namespace {

TEST(Paths, LiteralsAreCodePage932) {
  // Every double-byte case below depends on this.
  ASSERT_EQ(std::string("表"), "\x95\x5C");
  ASSERT_TRUE(IsLeadByteAt("表", 0));
}

TEST(Paths, JoinAddsOneSeparatorOnlyWhereNeeded) {
  struct Case {
    const char* folder;
    const char* name;
    const char* joined;
  } cases[] = {
      {"C:\\a", "b", "C:\\a\\b"},
      {"C:\\a\\", "b", "C:\\a\\b"},
      {"C:\\a/", "b", "C:\\a/b"},
      {"C:\\表", "b", "C:\\表\\b"},  // trail byte 0x5C is no separator
      {"C:\\ソ\\", "表", "C:\\ソ\\表"},
      {"", "root.ini", ""},  // never relative to the current directory
  };
  for (const Case& c : cases) EXPECT_EQ(PathJoin(c.folder, c.name), c.joined) << c.folder;
}

TEST(Paths, OverLongResultsAreRefusedNotCut) {
  std::string folder = "C:\\" + std::string(250, 'f');  // 253 bytes
  EXPECT_EQ(PathJoin(folder, "12345").size(), 259u);  // 259 + terminator fits
  EXPECT_EQ(PathJoin(folder, "123456"), "");
  EXPECT_EQ(PathAppend(folder + "\\12", ".ini"), "");
  EXPECT_EQ(PathAppend(folder, ".ini"), folder + ".ini");
  EXPECT_EQ(PathAppend("", ".ini"), "");
}

TEST(Paths, ParentForCreate) {
  struct Case {
    const char* path;
    const char* parent;
  } cases[] = {
      {"C:\\a\\b", "C:\\a\\"},
      {"C:\\a\\b\\", "C:\\a\\"},  // one trailing separator is dropped first
      {"C:\\a\\表", "C:\\a\\"},    // not "C:\\a\\" + lead byte
      {"C:\\表\\ソ", "C:\\表\\"},
      {"C:\\表\\", "C:\\"},
      {"C:\\", "C:"},
      {"memo", ""},
      {"表", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(ParentForCreate(c.path), c.parent) << c.path;
}

TEST(Paths, NameRules) {
  struct Case {
    const char* base;
    const char* stripped;
  } cases[] = {{"新しいテキスト0", "新しいテキスト"}, {"memo12", "memo"}, {"7", "7"}, {"123", "1"}};
  for (const Case& c : cases) EXPECT_EQ(StripTrailingDigits(c.base), c.stripped) << c.base;
  EXPECT_FALSE(IsQuotedName("\""));  // one quote is first and last, but no pair
  EXPECT_EQ(Unquote("a.txt\""), "a.txt\"");
}

}  // namespace
}  // namespace memo
