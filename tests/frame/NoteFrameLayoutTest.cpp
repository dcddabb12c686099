// The note frame's rules over plain values: the caption layout scaled by the
// GUI font and the two-pixel resize border.
#include <gtest/gtest.h>

#include "frame/Geometry.h"
#include "frame/NoteFrame.h"

namespace memo {
namespace {

bool Same(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::string Show(const RECT& r) {
  return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
         std::to_string(r.bottom) + ")";
}

TEST(NoteFrameLayoutTest, ButtonsAndBodyFollowTheTable) {
  // "A" 7 x 13: W = 17, H = 17.
  CaptionLayout l = LayoutCaption(400, 200, SIZE{7, 13});
  EXPECT_TRUE(Same(l.pin, RECT{383, 0, 400, 17})) << Show(l.pin);
  EXPECT_TRUE(Same(l.minimize, RECT{349, 0, 383, 17})) << Show(l.minimize);
  EXPECT_TRUE(Same(l.dblClick, RECT{332, 0, 349, 17})) << Show(l.dblClick);
  EXPECT_TRUE(Same(l.remove, RECT{315, 0, 332, 17})) << Show(l.remove);
  EXPECT_TRUE(Same(l.mini, RECT{281, 0, 315, 17})) << Show(l.mini);
  EXPECT_TRUE(Same(l.menu, RECT{247, 0, 281, 17})) << Show(l.menu);
  // Body: x 2, y H + 2, width R - 4, height client height - cy - 9.
  EXPECT_TRUE(Same(l.body, RECT{2, 19, 398, 197})) << Show(l.body);
  EXPECT_EQ(200 - l.body.bottom, 3) << "the body ends 3 pixels above the client bottom";
}

TEST(NoteFrameLayoutTest, ButtonsTileTheCaptionFromTheRightForAnyFont) {
  for (SIZE a : {SIZE{5, 11}, SIZE{7, 13}, SIZE{9, 16}, SIZE{12, 24}}) {
    SCOPED_TRACE(testing::Message() << a.cx << "x" << a.cy);
    int w = a.cx + 10, h = a.cy + 4;
    CaptionLayout l = LayoutCaption(300, 150, a);
    // Right to left: pin (W), minimize (2W), restore (W), delete (W), mini (2W), menu (2W).
    const RECT* order[] = {&l.pin, &l.minimize, &l.dblClick, &l.remove, &l.mini, &l.menu};
    const int widths[] = {w, 2 * w, w, w, 2 * w, 2 * w};
    int right = 300;
    for (int i = 0; i < 6; ++i) {
      EXPECT_EQ(order[i]->right, right) << i;
      EXPECT_EQ(Width(*order[i]), widths[i]) << i;
      EXPECT_EQ(order[i]->top, 0) << i;
      EXPECT_EQ(Height(*order[i]), h) << i;
      right = order[i]->left;
    }
    EXPECT_EQ(l.body.top, h + 2);
    EXPECT_EQ(l.body.left, 2);
    EXPECT_EQ(Width(l.body), 296);
    EXPECT_EQ(Height(l.body), 150 - a.cy - 9);
  }
}

TEST(NoteFrameLayoutTest, BorderHitTestCombinesTheTwoPixelEdges) {
  const RECT w{100, 200, 500, 400};
  struct Case {
    POINT pt;
    LRESULT hit;
  };
  const Case cases[] = {
      {{100, 200}, HTTOPLEFT},     {{101, 201}, HTTOPLEFT},      {{102, 202}, 0},
      {{499, 200}, HTTOPRIGHT},    {{498, 201}, HTTOPRIGHT},     {{497, 201}, HTTOP},
      {{100, 399}, HTBOTTOMLEFT},  {{499, 399}, HTBOTTOMRIGHT},  {{300, 398}, HTBOTTOM},
      {{300, 397}, 0},             {{101, 300}, HTLEFT},         {{102, 300}, 0},
      {{498, 300}, HTRIGHT},       {{497, 300}, 0},              {{300, 201}, HTTOP},
      {{300, 300}, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(NoteBorderHitTest(w, c.pt), c.hit) << c.pt.x << "," << c.pt.y;
  }
}

}  // namespace
}  // namespace memo
