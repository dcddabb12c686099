// Mini note geometry: metrics, resize borders, size snapping and the
// snapping of a dragged mini note to its siblings.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "frame/MiniNoteGeometry.h"

namespace memo {
namespace {

bool Same(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::string Show(const RECT& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
         std::to_string(r.bottom);
}

TEST(MiniNoteGeometryTest, OneLineAndItsMarginsMakeTwentyPixels) {
  for (int line : {11, 12, 13, 16, 19}) {
    MiniMetrics m = MiniMetricsForLineHeight(line);
    EXPECT_EQ(m.topMargin + m.lineHeight + m.bottomMargin, 20) << line;
    EXPECT_EQ(m.topMargin, (20 - line) / 2) << line;
    SIZE size = MiniDefaultSize(m);
    EXPECT_EQ(size.cx, 217);
    EXPECT_EQ(size.cy, 20);
    SIZE least = MiniMinimumSize(m);
    EXPECT_EQ(least.cx, 24);
    EXPECT_EQ(least.cy, 20);
  }
  // A font taller than the box keeps the text inside the window.
  MiniMetrics tall = MiniMetricsForLineHeight(26);
  EXPECT_EQ(tall.topMargin, 0);
  EXPECT_EQ(tall.bottomMargin, 0);
  EXPECT_EQ(MiniDefaultSize(tall).cy, 26);

  MiniMetrics m = MiniMetricsForLineHeight(13);
  EXPECT_TRUE(Same(MiniBodyRect(RECT{0, 0, 217, 20}, m), RECT{25, 3, 216, 16}));
  EXPECT_TRUE(Same(MiniBodyRect(RECT{0, 0, 20, 5}, m), RECT{25, 3, 25, 3})) << "never negative";
}

TEST(MiniNoteGeometryTest, RightAndBottomGripsAreWiderThanLeftAndTop) {
  const RECT w{100, 200, 200, 240};
  struct Case {
    int x, y;
    LRESULT hit;
  } cases[] = {
      {100, 200, HTTOPLEFT},    {101, 201, HTTOPLEFT},     {102, 200, HTTOP},        {195, 201, HTTOP},
      {196, 201, HTTOPRIGHT},   {100, 202, HTLEFT},        {104, 233, HTLEFT},       {105, 220, HTCLIENT},
      {190, 233, HTCLIENT},     {191, 220, HTRIGHT},       {199, 202, HTRIGHT},      {101, 234, HTBOTTOMLEFT},
      {102, 239, HTBOTTOM},     {195, 234, HTBOTTOM},      {196, 239, HTBOTTOMRIGHT},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MiniHitTest(w, POINT{c.x, c.y}), c.hit) << c.x << "," << c.y;
  }
}

TEST(MiniNoteGeometryTest, SizingSnapsToCellsAcrossAndLinesDown) {
  const MiniMetrics m = MiniMetricsForLineHeight(13);
  // Dragging the right edge: widths 25, 49, 73, ...; the left edge stays.
  struct Width {
    int proposed, snapped;
  } widths[] = {{24, 25}, {30, 25}, {48, 25}, {49, 49}, {60, 49}, {73, 73}, {96, 73}, {97, 97}};
  for (const Width& c : widths) {
    RECT r = MiniSnapSizing(RECT{100, 100, 100 + c.proposed, 120}, WMSZ_RIGHT, m);
    EXPECT_TRUE(Same(r, RECT{100, 100, 100 + c.snapped, 120})) << c.proposed << " -> " << Show(r);
    r = MiniSnapSizing(RECT{300 - c.proposed, 100, 300, 120}, WMSZ_LEFT, m);
    EXPECT_TRUE(Same(r, RECT{300 - c.snapped, 100, 300, 120})) << c.proposed << " -> " << Show(r);
  }
  // Dragging the bottom edge: heights 20, 33, 46, ...; the top stays.
  struct Height {
    int proposed, snapped;
  } heights[] = {{20, 20}, {32, 20}, {33, 33}, {45, 33}, {46, 46}};
  for (const Height& c : heights) {
    RECT r = MiniSnapSizing(RECT{0, 50, 73, 50 + c.proposed}, WMSZ_BOTTOM, m);
    EXPECT_TRUE(Same(r, RECT{0, 50, 73, 50 + c.snapped})) << c.proposed << " -> " << Show(r);
    r = MiniSnapSizing(RECT{0, 200 - c.proposed, 73, 200}, WMSZ_TOP, m);
    EXPECT_TRUE(Same(r, RECT{0, 200 - c.snapped, 73, 200})) << c.proposed << " -> " << Show(r);
  }
  // A corner snaps both of its sides and leaves the others alone.
  EXPECT_TRUE(Same(MiniSnapSizing(RECT{10, 10, 70, 45}, WMSZ_BOTTOMRIGHT, m), RECT{10, 10, 59, 43}));
  EXPECT_TRUE(Same(MiniSnapSizing(RECT{10, 10, 70, 45}, WMSZ_TOPLEFT, m), RECT{21, 12, 70, 45}));
}

TEST(MiniNoteGeometryTest, DraggedMiniNoteLinesUpWithATouchedSiblingOrOverlapsItsEdgeByOnePixel) {
  const std::vector<RECT> sibling{RECT{100, 100, 200, 120}};
  struct Case {
    const char* what;
    RECT proposed, snapped;
  } cases[] = {
      {"below, a little to the right: left edges line up, frames share a line",
       RECT{105, 119, 205, 139}, RECT{100, 119, 200, 139}},
      {"right of it, a little lower: overlaps by one pixel, tops line up", RECT{195, 103, 295, 123},
       RECT{199, 100, 299, 120}},
      {"above, overlapping by three: bottom overlaps top by one", RECT{100, 83, 200, 103},
       RECT{100, 81, 200, 101}},
      {"apart: stays", RECT{100, 121, 200, 141}, RECT{100, 121, 200, 141}},
      {"overlapping but ten pixels off every edge: stays", RECT{110, 85, 190, 135}, RECT{110, 85, 190, 135}},
  };
  for (const Case& c : cases) {
    RECT r = MiniSnapMove(c.proposed, sibling);
    EXPECT_TRUE(Same(r, c.snapped)) << c.what << ": " << Show(r);
  }
  EXPECT_TRUE(Same(MiniSnapMove(RECT{5, 5, 50, 25}, {}), RECT{5, 5, 50, 25}));
}

}  // namespace
}  // namespace memo
