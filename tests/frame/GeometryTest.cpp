// Rectangle rules of the window framework: saved rectangles made usable and
// the main bar's cursor clip while it is dragged.
#include "frame/Geometry.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

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
  // A far side past the range keeps the size: the window is moved, not lost.
  r = SavedWindowRect(INT_MAX, INT_MIN, 300, -200);
  EXPECT_EQ(Width(r), 300);
  EXPECT_EQ(Height(r), -200);
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

TEST(GeometryTest, AWindowOnNoMonitorComesIntoTheNearestWorkArea) {
  // A primary screen with its task bar at the bottom, a second one to its
  // right that sits lower.
  const std::vector<RECT> monitors{{0, 0, 1280, 1024}, {1280, 200, 2560, 1224}};
  const std::vector<RECT> work{{0, 0, 1280, 984}, {1280, 200, 2560, 1224}};
  struct Case {
    RECT saved;
    RECT placed;
  } cases[] = {
      // On a monitor, even partly or over the task bar: left alone.
      {{100, 100, 400, 300}, {100, 100, 400, 300}},
      {{1200, 900, 1500, 1100}, {1200, 900, 1500, 1100}},
      {{1272, 0, 1580, 200}, {1272, 0, 1580, 200}},
      // A sliver of a few pixels cannot be reached with the mouse.
      {{1276, 0, 1576, 198}, {980, 0, 1280, 198}},
      {{-296, 100, 4, 300}, {0, 100, 300, 300}},
      // Far right and below of everything: into the second screen's corner.
      {{5000, 5000, 5300, 5200}, {2260, 1024, 2560, 1224}},
      // Above the second screen, well right of the first: the second is nearer.
      {{2000, -400, 2200, -100}, {2000, 200, 2200, 500}},
      // Below the first screen: above its task bar.
      {{100, 1100, 400, 1300}, {100, 784, 400, 984}},
      // Larger than the nearest work area: cut to it.
      {{-5000, -3000, -1000, 0}, {0, 0, 1280, 984}},
  };
  for (const Case& c : cases) {
    RECT placed = BringOntoMonitors(c.saved, monitors, work);
    EXPECT_TRUE(Same(placed, c.placed)) << Show(c.saved) << " -> " << Show(placed);
  }
  // A size too small to grasp is no size: the window keeps its own.
  EXPECT_EQ(SavedSizeOr(0, 300), 300);
  EXPECT_EQ(SavedSizeOr(-3, 300), 300);
  EXPECT_EQ(SavedSizeOr(8, 300), 8);
  EXPECT_EQ(SavedSizeOr(-250, 300), -250) << "a reversed side keeps its length";
  EXPECT_EQ(SavedSizeOr(INT_MIN, 300), INT_MIN);
  // Nothing known about the monitors: nothing to go by.
  RECT away{5000, 5000, 5300, 5200};
  EXPECT_TRUE(Same(BringOntoMonitors(away, {}, {}), away));
  // The ends of the coordinate range do not overflow.
  RECT huge = BringOntoMonitors(RECT{LONG_MAX - 10, LONG_MIN, LONG_MAX, LONG_MIN + 10}, monitors, work);
  EXPECT_TRUE(Same(huge, RECT{2550, 200, 2560, 210})) << Show(huge);
}

}  // namespace
}  // namespace memo
