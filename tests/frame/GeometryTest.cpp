// Rectangle rules of the window framework: saved rectangles made usable and
// the main bar's cursor clip while it is dragged.
#include "frame/Geometry.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace memo {
namespace {

constexpr RECT kWork{0, 0, 1280, 1024};

bool Same(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::string Show(const RECT& r) {
  return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
         std::to_string(r.bottom) + ")";
}

TEST(GeometryTest, ClampWindowRectKeepsAUsableRectangleAsItIs) {
  RECT r{100, 150, 400, 330};
  EXPECT_TRUE(Same(ClampWindowRect(r, kWork), r)) << Show(ClampWindowRect(r, kWork));
}

TEST(GeometryTest, ClampWindowRectPutsNegativeCornersAtZero) {
  RECT r = ClampWindowRect(RECT{-50, -20, 250, 180}, kWork);
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.top, 0);
  EXPECT_EQ(Width(r), 300) << "the size is kept";
  EXPECT_EQ(Height(r), 200);
}

TEST(GeometryTest, ClampWindowRectOrdersReversedSides) {
  RECT r = ClampWindowRect(RECT{400, 330, 100, 150}, kWork);
  EXPECT_TRUE(Same(r, RECT{100, 150, 400, 330})) << Show(r);
}

TEST(GeometryTest, ClampWindowRectCutsToTheWorkAreaSize) {
  RECT r = ClampWindowRect(RECT{10, 20, 10 + 5000, 20 + 3000}, kWork);
  EXPECT_EQ(r.left, 10);
  EXPECT_EQ(r.top, 20);
  EXPECT_EQ(Width(r), 1280);
  EXPECT_EQ(Height(r), 1024);
  // The work area's size counts, not its position.
  RECT r2 = ClampWindowRect(RECT{0, 0, 900, 900}, RECT{100, 50, 900, 650});
  EXPECT_EQ(Width(r2), 800);
  EXPECT_EQ(Height(r2), 600);
}

TEST(GeometryTest, SavedRectanglesAtTheEndsOfTheIntegerRangeStayUsable) {
  // Settings files are plain text that anyone may edit.
  RECT r = SavedWindowRect(INT_MAX, INT_MAX, INT_MAX, INT_MAX);
  EXPECT_LE(r.left, r.right);
  EXPECT_LE(r.top, r.bottom);
  RECT c = ClampWindowRect(SavedWindowRect(INT_MIN, INT_MIN, INT_MAX, INT_MAX), kWork);
  EXPECT_TRUE(Same(c, RECT{0, 0, 1280, 1024})) << Show(c);
  c = ClampWindowRect(RECT{INT_MIN, INT_MIN, INT_MAX, INT_MAX}, kWork);
  EXPECT_TRUE(Same(c, RECT{0, 0, 1280, 1024})) << Show(c);
  c = ClampWindowRect(SavedWindowRect(-100, -100, INT_MIN, 50), kWork);
  EXPECT_GE(c.left, 0);
  EXPECT_GE(Width(c), 0);
  EXPECT_LE(Width(c), 1280);
  EXPECT_EQ(Height(c), 50);
  // Ordinary values are taken as they are.
  RECT plain = SavedWindowRect(100, 150, 300, 180);
  EXPECT_TRUE(Same(plain, RECT{100, 150, 400, 330})) << Show(plain);
}

TEST(GeometryTest, MainBarDragClipKeepsTheWholeBarInTheWorkArea) {
  // Bar 320 x 24 at (480, 0), pressed at (640, 12).
  RECT bar{480, 0, 800, 24};
  POINT press{640, 12};
  RECT clip = MainBarDragClip(bar, kWork, press);
  EXPECT_TRUE(Same(clip, RECT{160, 12, 1120, 1012})) << Show(clip);
  // The extreme cursor positions put the bar exactly into the corners.
  int dxMin = clip.left - press.x, dxMax = clip.right - press.x;
  int dyMin = clip.top - press.y, dyMax = clip.bottom - press.y;
  EXPECT_EQ(bar.left + dxMin, kWork.left);
  EXPECT_EQ(bar.right + dxMax, kWork.right);
  EXPECT_EQ(bar.top + dyMin, kWork.top);
  EXPECT_EQ(bar.bottom + dyMax, kWork.bottom);
}

TEST(GeometryTest, MainBarDragClipFollowsAWorkAreaThatDoesNotStartAtZero) {
  // Task bar on the left (60 wide) and at the top (30 high).
  RECT work{60, 30, 1280, 1024};
  RECT bar{300, 40, 620, 64};
  POINT press{310, 50};
  RECT clip = MainBarDragClip(bar, work, press);
  EXPECT_TRUE(Same(clip, RECT{70, 40, 970, 1010})) << Show(clip);
}

}  // namespace
}  // namespace memo
