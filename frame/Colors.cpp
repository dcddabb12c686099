// Colour arithmetic of the program's painting.
#include "frame/Colors.h"

namespace memo {

COLORREF BackgroundTint(COLORREF background) {
  return MapComponents(background, [](int c) { return (2 * c + 240) / 3 * 15 / 16; });
}

COLORREF ButtonDisabledFill(COLORREF background) {
  return MapComponents(background, [](int c) { return (c + 255) / 2; });
}

COLORREF ButtonCheckedFill(COLORREF background) {
  return MapComponents(background, [](int c) { return (c + 1530) / 7; });
}

COLORREF ButtonGradientTop(COLORREF background) {
  return MapComponents(background, [](int c) { return (2 * c + 1275) / 7; });
}

COLORREF ButtonGradientMiddle(COLORREF background) {
  return MapComponents(background, [](int c) { return (2 * c + 1275) / 7 * 7 / 8; });
}

COLORREF ButtonGradientRow(COLORREF background, int top, int bottom, int y) {
  int middle = (3 * top + bottom) / 4;
  COLORREF t = ButtonGradientTop(background);
  COLORREF d = ButtonGradientMiddle(background);
  auto lerp = [](int from, int to, int pos, int span) {
    return span <= 0 ? from : from + (to - from) * pos / span;
  };
  auto mix = [&](COLORREF a, COLORREF b, int pos, int span) {
    return RGB(lerp(GetRValue(a), GetRValue(b), pos, span), lerp(GetGValue(a), GetGValue(b), pos, span),
               lerp(GetBValue(a), GetBValue(b), pos, span));
  };
  if (y < middle) return mix(t, d, y - top, middle - top);
  return mix(d, t, y - middle, bottom - middle);
}

namespace {

int BevelBase(int c) { return (2 * c + 225) / 3; }

}  // namespace

COLORREF BevelLight(COLORREF background, int ring) {
  return MapComponents(background,
                       [ring](int c) { return (765 - 255 * ring + (5 + ring) * BevelBase(c)) / 8; });
}

COLORREF BevelDark(COLORREF background, int ring) {
  return MapComponents(background, [ring](int c) { return (5 + ring) * BevelBase(c) / 8; });
}

int ClampAlpha(int storedAlpha) {
  int alpha = static_cast<BYTE>(storedAlpha);
  return alpha > 90 ? 90 : alpha;
}

BYTE OpacityFromAlpha(int storedAlpha) {
  return static_cast<BYTE>(255.0f - static_cast<float>(ClampAlpha(storedAlpha)) * 2.55f);
}

COLORREF GetColorProp(HWND hwnd, const char* name) {
  return static_cast<COLORREF>(reinterpret_cast<UINT_PTR>(::GetPropA(hwnd, name)));
}

void SetColorProp(HWND hwnd, const char* name, COLORREF color) {
  ::SetPropA(hwnd, name, reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(color)));
}

}  // namespace memo
