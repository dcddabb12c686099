// Edge bar rules: its rectangle on each edge with the 64/48-pixel caps, the
// white line towards the middle of the screen, which way out restores, and
// dragging along the edge.
#include "frame/EdgeBarGeometry.h"

#include <gtest/gtest.h>

#include <string>

namespace memo {
namespace {

constexpr RECT kWork{0, 0, 1280, 994};
constexpr DWORD kTop = 0x004, kBottom = 0x006, kLeft = 0x000, kRight = 0x002;

std::string Show(const RECT& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
         std::to_string(r.bottom);
}

TEST(EdgeBarGeometryTest, BarSpansANarrowNoteAndCentresOnAWideOne) {
  const RECT narrow{100, 200, 150, 250};  // 50 x 50
  const RECT wide{100, 200, 400, 460};    // 300 x 260
  struct Case {
    DWORD style;
    RECT note, bar;
  } cases[] = {
      {kTop, narrow, {100, 0, 150, 3}},
      {kTop, wide, {218, 0, 282, 3}},
      {kBottom, narrow, {100, 991, 150, 994}},
      {kBottom | 0x300, wide, {218, 991, 282, 994}},  // other bits change nothing
      {kLeft, RECT{100, 200, 150, 240}, {0, 200, 4, 240}},
      {kLeft, wide, {0, 306, 4, 354}},
      {kRight, narrow, {1276, 201, 1280, 249}},
      {kRight | 0x001, wide, {1276, 306, 1280, 354}},  // bit 0 still picks an edge
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Show(EdgeBarRect(kWork, c.note, c.style)), Show(c.bar)) << "style " << c.style;
  }
}

TEST(EdgeBarGeometryTest, WhiteLineFacesTheMiddleOfTheScreen) {
  EXPECT_EQ(Show(EdgeBarInnerRect(RECT{0, 0, 64, 3}, kTop)), "1,0,63,2");
  EXPECT_EQ(Show(EdgeBarInnerRect(RECT{0, 0, 64, 3}, kBottom)), "1,1,63,3");
  EXPECT_EQ(Show(EdgeBarInnerRect(RECT{0, 0, 4, 48}, kLeft)), "0,1,3,47");
  EXPECT_EQ(Show(EdgeBarInnerRect(RECT{0, 0, 4, 48}, kRight)), "1,1,4,47");
}

TEST(EdgeBarGeometryTest, OnlyLeavingAcrossALongSideRestores) {
  const RECT top{218, 0, 282, 3};
  EXPECT_TRUE(LeftAcrossLongSide(top, POINT{250, 3}, kTop));
  EXPECT_FALSE(LeftAcrossLongSide(top, POINT{282, 1}, kTop));
  EXPECT_FALSE(LeftAcrossLongSide(top, POINT{217, 2}, kTop));
  const RECT right{1276, 306, 1280, 354};
  EXPECT_TRUE(LeftAcrossLongSide(right, POINT{1275, 330}, kRight));
  EXPECT_FALSE(LeftAcrossLongSide(right, POINT{1278, 354}, kRight));
  EXPECT_FALSE(LeftAcrossLongSide(right, POINT{1278, 305}, kRight));
}

TEST(EdgeBarGeometryTest, DragKeepsTheNoteInsideTheWorkAreaAndTheNoteFollowsTheBar) {
  const RECT note{100, 200, 400, 260};  // centre x 250, y 230
  // Pressed at the bar's centre: the cursor may go from 150 (note at 0) to
  // 1130 (note ending at 1280) along a top edge.
  EXPECT_EQ(Show(EdgeBarDragClip(kWork, note, POINT{250, 1}, kTop)), "150,1,1131,2");
  EXPECT_EQ(Show(EdgeBarDragClip(kWork, note, POINT{1278, 230}, kRight)), "1278,30,1279,965");

  // The bar moves with the cursor along the edge only, and no further than
  // the clip, wherever the hand drifts.
  const RECT bar{218, 0, 282, 3}, clip{150, 1, 1131, 2};
  EXPECT_EQ(Show(EdgeBarDragged(bar, POINT{250, 1}, POINT{290, 41}, clip)), "258,0,322,3");
  EXPECT_EQ(Show(EdgeBarDragged(bar, POINT{250, 1}, POINT{2000, 1}, clip)), "1098,0,1162,3");
  EXPECT_EQ(Show(EdgeBarDragged(bar, POINT{250, 1}, POINT{-50, 1}, clip)), "118,0,182,3");
  EXPECT_EQ(Show(EdgeBarDragged(bar, POINT{250, 1}, POINT{400, 1}, RECT{250, 1, 250, 2})), Show(bar))
      << "a note wider than the work area does not move";

  POINT along = NoteFollowingBar(RECT{500, 0, 564, 3}, note, kTop);
  EXPECT_EQ(along.x, 382);
  EXPECT_EQ(along.y, 200) << "across the edge the note stays";
  POINT down = NoteFollowingBar(RECT{1276, 600, 1280, 648}, note, kRight);
  EXPECT_EQ(down.x, 100);
  EXPECT_EQ(down.y, 594);
}

}  // namespace
}  // namespace memo
