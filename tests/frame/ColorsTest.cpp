// Colour arithmetic of the window framework: the background tint, the
// caption button fills, the bevelled border and transparency.
#include "frame/Colors.h"

#include <gtest/gtest.h>

namespace memo {
namespace {

// Colours whose components cover the ends and the middle of the range.
constexpr COLORREF kSamples[] = {0x000000, 0xFFFFFF, 0x77FFFF, 0xFFF0F0, 0x123456, 0x010203, 0xFE7F80};

// Each formula, applied to one component, for comparison.
COLORREF PerComponent(COLORREF c, int (*f)(int)) {
  return RGB(f(GetRValue(c)), f(GetGValue(c)), f(GetBValue(c)));
}

TEST(ColorsTest, BackgroundTintFollowsTheFormulaWithIntegerSteps) {
  EXPECT_EQ(BackgroundTint(0xFFFFFF), RGB(234, 234, 234));
  EXPECT_EQ(BackgroundTint(0x000000), RGB(75, 75, 75));
  // Light yellow of a text note: components 255, 255, 119.
  EXPECT_EQ(BackgroundTint(0x77FFFF), RGB(234, 234, 149));
  for (COLORREF c : kSamples) {
    SCOPED_TRACE(c);
    EXPECT_EQ(BackgroundTint(c), PerComponent(c, [](int v) { return (2 * v + 240) / 3 * 15 / 16; }));
  }
}

TEST(ColorsTest, ButtonFillsFollowTheirFormulas) {
  EXPECT_EQ(ButtonDisabledFill(0x000000), RGB(127, 127, 127));
  EXPECT_EQ(ButtonCheckedFill(0x000000), RGB(218, 218, 218));
  EXPECT_EQ(ButtonCheckedFill(0xFFFFFF), RGB(255, 255, 255));
  EXPECT_EQ(ButtonGradientTop(0xFFFFFF), RGB(255, 255, 255));
  EXPECT_EQ(ButtonGradientMiddle(0xFFFFFF), RGB(223, 223, 223));
  for (COLORREF c : kSamples) {
    SCOPED_TRACE(c);
    EXPECT_EQ(ButtonDisabledFill(c), PerComponent(c, [](int v) { return (v + 255) / 2; }));
    EXPECT_EQ(ButtonCheckedFill(c), PerComponent(c, [](int v) { return (v + 1530) / 7; }));
    EXPECT_EQ(ButtonGradientTop(c), PerComponent(c, [](int v) { return (2 * v + 1275) / 7; }));
    EXPECT_EQ(ButtonGradientMiddle(c), PerComponent(c, [](int v) { return (2 * v + 1275) / 7 * 7 / 8; }));
  }
}

TEST(ColorsTest, ButtonGradientGoesFromTopToMiddleRowAndBack) {
  const COLORREF c = 0x123456;
  const int top = 0, bottom = 20, middle = (3 * top + bottom) / 4;
  EXPECT_EQ(ButtonGradientRow(c, top, bottom, top), ButtonGradientTop(c));
  EXPECT_EQ(ButtonGradientRow(c, top, bottom, middle), ButtonGradientMiddle(c));
  // Every component moves monotonically towards D and back to T.
  for (int y = top + 1; y < bottom; ++y) {
    COLORREF previous = ButtonGradientRow(c, top, bottom, y - 1);
    COLORREF now = ButtonGradientRow(c, top, bottom, y);
    if (y <= middle) {
      EXPECT_LE(GetRValue(now), GetRValue(previous)) << y;
    } else {
      EXPECT_GE(GetRValue(now), GetRValue(previous)) << y;
    }
  }
  // A button one row high (no span) does not divide by zero.
  EXPECT_EQ(ButtonGradientRow(c, 5, 5, 5), ButtonGradientMiddle(c));
}

TEST(ColorsTest, BevelRingsFollowTheBorderFormula) {
  // White: M = (510 + 225) / 3 = 245.
  EXPECT_EQ(BevelLight(0xFFFFFF, 0), RGB(248, 248, 248));
  EXPECT_EQ(BevelDark(0xFFFFFF, 0), RGB(153, 153, 153));
  EXPECT_EQ(BevelLight(0xFFFFFF, 2), RGB(246, 246, 246));
  EXPECT_EQ(BevelDark(0xFFFFFF, 2), RGB(214, 214, 214));
  for (COLORREF c : kSamples) {
    for (int ring = 0; ring < 3; ++ring) {
      SCOPED_TRACE(testing::Message() << c << " ring " << ring);
      auto m = [](int v) { return (2 * v + 225) / 3; };
      EXPECT_EQ(BevelLight(c, ring), RGB((765 - 255 * ring + (5 + ring) * m(GetRValue(c))) / 8,
                                         (765 - 255 * ring + (5 + ring) * m(GetGValue(c))) / 8,
                                         (765 - 255 * ring + (5 + ring) * m(GetBValue(c))) / 8));
      EXPECT_EQ(BevelDark(c, ring), RGB((5 + ring) * m(GetRValue(c)) / 8, (5 + ring) * m(GetGValue(c)) / 8,
                                        (5 + ring) * m(GetBValue(c)) / 8));
    }
  }
}

TEST(ColorsTest, AlphaIsReadAsAByteAndCappedAtNinety) {
  struct Case {
    int stored;
    int alpha;
    BYTE opacity;
  };
  const Case cases[] = {
      {0, 0, 255},    {1, 1, 252},     {50, 50, 127},  {89, 89, 28},  {90, 90, 25},
      {91, 90, 25},   {100, 90, 25},   {255, 90, 25},  {256, 0, 255},  // the byte of 256 is 0
      {300, 44, 142}, {-1, 90, 25},    {-256, 0, 255},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored);
    EXPECT_EQ(ClampAlpha(c.stored), c.alpha);
    EXPECT_EQ(OpacityFromAlpha(c.stored), c.opacity);
  }
}

TEST(ColorsTest, ColourPropertiesHoldTheColourAsTheValue) {
  HWND window = ::CreateWindowExA(0, "STATIC", nullptr, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(window);
  SetColorProp(window, kPropColorBG, 0x00ABCDEF);
  SetColorProp(window, kPropColorText, 0);
  EXPECT_EQ(GetColorProp(window, kPropColorBG), 0x00ABCDEFu);
  EXPECT_EQ(reinterpret_cast<UINT_PTR>(::GetPropA(window, "ColorBG")), 0x00ABCDEFu);
  EXPECT_EQ(GetColorProp(window, kPropColorText), 0u);
  SetColorProp(window, kPropColorBG, 0x00123456);
  EXPECT_EQ(GetColorProp(window, kPropColorBG), 0x00123456u) << "a new colour replaces the kept one";
  RemoveColorProps(window);
  EXPECT_EQ(::GetPropA(window, "ColorBG"), nullptr);
  EXPECT_EQ(::GetPropA(window, "ColorText"), nullptr);
  // Gone with the properties: a later window given the same handle must
  // not paint in this one's colours.
  EXPECT_EQ(GetColorProp(window, kPropColorBG), 0u);
  ::DestroyWindow(window);
}

}  // namespace
}  // namespace memo
