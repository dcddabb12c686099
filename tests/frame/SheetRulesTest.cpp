// The property sheet's rules: caption choice, the name shown, new names
// refused or accepted, the Layout page's style bits both ways, and the
// transparency entry that a stored Alpha selects.
#include "frame/SheetRules.h"

#include <gtest/gtest.h>

namespace memo {
namespace {

TEST(SheetRulesTest, CaptionAndShownNameFollowTheTitle) {
  EXPECT_EQ(SheetCaptionFor(0x86000005, "仕事"), SheetCaption::kPage);
  EXPECT_EQ(SheetCaptionFor(0x00040002, "\"memo.txt\""), SheetCaption::kCommonNote);
  EXPECT_EQ(SheetCaptionFor(0x00040002, "memo.txt"), SheetCaption::kNote);

  EXPECT_EQ(NameShownForNote("memo.txt", false), "memo");
  EXPECT_EQ(NameShownForNote("\"v1.2.txt\"", false), "v1.2");
  EXPECT_EQ(NameShownForNote("box.d", true), "box.d") << "a folder keeps its whole name";
  EXPECT_EQ(NameShownForNote("表.txt", false), "表") << "0x5C trail byte";
}

TEST(SheetRulesTest, NewNamesWithForbiddenCharactersOrATrailingDotAreRefused) {
  struct Case {
    const char* name;
    NameFault fault;
  } cases[] = {
      {"plan", NameFault::kNone},      {"表", NameFault::kNone},         {"a.b", NameFault::kNone},
      {"", NameFault::kEmpty},         {"plan.", NameFault::kTrailingDot}, {"..", NameFault::kTrailingDot},
      {"a,b", NameFault::kBadChar},    {"a;b", NameFault::kBadChar},     {"a\\b", NameFault::kBadChar},
      {"a\"b", NameFault::kBadChar},   {"a|b", NameFault::kBadChar},     {"a:b", NameFault::kBadChar},
  };
  for (const Case& c : cases) EXPECT_EQ(CheckNewName(c.name), c.fault) << c.name;
}

TEST(SheetRulesTest, NewTitleKeepsTheExtensionOfTheNameAndQuotesForCommon) {
  EXPECT_EQ(NewNoteTitle("plan", "memo.txt", false, false), "plan.txt");
  EXPECT_EQ(NewNoteTitle("plan", "memo.txt", false, true), "\"plan.txt\"");
  EXPECT_EQ(NewNoteTitle("plan", "\"memo.url\"", false, false), "plan.url");
  EXPECT_EQ(NewNoteTitle("box", "old", true, false), "box") << "folders have no extension";
  EXPECT_EQ(NewNoteTitle("plan", "memo", false, false), "plan");
}

TEST(SheetRulesTest, LayoutChoicesRoundTripAndKeepTheOtherBits) {
  // Combo index <-> edge bits, both ways.
  const DWORD edges[] = {0x004, 0x006, 0x000, 0x002};
  for (int index = 0; index < 4; ++index) {
    EXPECT_EQ(MinimizeIndexFromStyle(edges[index]), index);
    LayoutChoice choice;
    choice.minimizeIndex = index;
    EXPECT_EQ(ApplyLayout(0, choice) & 0x007, edges[index]) << index;
  }
  EXPECT_EQ(MinimizeIndexFromStyle(0x007), kMinimizeNone);

  LayoutChoice none;
  none.minimizeIndex = kMinimizeNone;
  none.topmost = true;
  none.restoreByDblClick = true;
  none.restoreWithMain = false;
  // Hidden (0x010), pinned (0x020), bits 4-7, 10, 11 and the window's own
  // style bits stay as they were.
  EXPECT_EQ(ApplyLayout(0x46CF0CF6, none), 0x46CF0FF9u);
  LayoutChoice plain;  // top, mouse, not on top, with main
  EXPECT_EQ(ApplyLayout(0x0000030F, plain), 0x004u);
}

TEST(SheetRulesTest, StoredAlphaSelectsTheEntryBelowIt) {
  struct Case {
    int stored, entry;
  } cases[] = {{0, 0}, {9, 0}, {10, 10}, {35, 30}, {95, 90}, {99, 90}, {100, 0}, {150, 0}, {255, 0},
               {256 + 35, 30}, {-1, 0}};
  for (const Case& c : cases) EXPECT_EQ(AlphaEntryFor(c.stored), c.entry) << c.stored;
}

}  // namespace
}  // namespace memo
