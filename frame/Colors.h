// Colour arithmetic of the program's painting: the background tint, the
// caption buttons, the bevelled note border and transparency.
#pragma once

#include <windows.h>

namespace memo {

// Applies f to each of the three components of c.
template <typename F>
COLORREF MapComponents(COLORREF c, F f) {
  return RGB(f(GetRValue(c)), f(GetGValue(c)), f(GetBValue(c)));
}

// The client-area fill of a top-level window: white gives RGB(234, 234, 234).
COLORREF BackgroundTint(COLORREF background);

// Caption button fills.
COLORREF ButtonDisabledFill(COLORREF background);
COLORREF ButtonCheckedFill(COLORREF background);
// The unchecked gradient: top colour T and middle colour D (= T * 7 / 8).
COLORREF ButtonGradientTop(COLORREF background);
COLORREF ButtonGradientMiddle(COLORREF background);
// The colour of row y of a gradient from top to bottom (exclusive): T at the
// top, D at the quarter row, back to T at the bottom.
COLORREF ButtonGradientRow(COLORREF background, int top, int bottom, int y);

// Ring i (0..2) of the bevelled border: light top/left, dark bottom/right.
COLORREF BevelLight(COLORREF background, int ring);
COLORREF BevelDark(COLORREF background, int ring);

// Alpha: transparency in per cent as stored (read as an unsigned byte);
// above 90 counts as 90. Returns the opacity for SetLayeredWindowAttributes.
int ClampAlpha(int storedAlpha);
BYTE OpacityFromAlpha(int storedAlpha);

// Window properties "ColorBG" and "ColorText": COLORREF values held as the
// property values. A window that sets them removes them with
// RemoveColorProps as it is destroyed.
constexpr char kPropColorBG[] = "ColorBG";
constexpr char kPropColorText[] = "ColorText";
COLORREF GetColorProp(HWND hwnd, const char* name);
void SetColorProp(HWND hwnd, const char* name, COLORREF color);
void RemoveColorProps(HWND hwnd);

}  // namespace memo
