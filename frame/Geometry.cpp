// Rectangle rules of the window framework.
#include "frame/Geometry.h"

#include <algorithm>
#include <climits>
#include <utility>

namespace memo {
namespace {

LONG Saturated(long long value) {
  if (value > LONG_MAX) return LONG_MAX;
  if (value < LONG_MIN) return LONG_MIN;
  return static_cast<LONG>(value);
}

}  // namespace

RECT SavedWindowRect(int x, int y, int cx, int cy) {
  return RECT{x, y, Saturated(static_cast<long long>(x) + cx), Saturated(static_cast<long long>(y) + cy)};
}

RECT ClampWindowRect(RECT rect, const RECT& workArea) {
  if (rect.left > rect.right) std::swap(rect.left, rect.right);
  if (rect.top > rect.bottom) std::swap(rect.top, rect.bottom);
  // Sizes in 64 bits: a rectangle from a settings file may span more than
  // the range of a coordinate.
  long long width = static_cast<long long>(rect.right) - rect.left;
  long long height = static_cast<long long>(rect.bottom) - rect.top;
  // A negative coordinate moves the window onto the screen; shrinking it
  // instead would lose its size a little more at every start.
  if (rect.left < 0) rect.left = 0;
  if (rect.top < 0) rect.top = 0;
  width = std::min<long long>(width, Width(workArea));
  height = std::min<long long>(height, Height(workArea));
  rect.right = Saturated(rect.left + width);
  rect.bottom = Saturated(rect.top + height);
  return rect;
}

RECT MainBarDragClip(const RECT& window, const RECT& workArea, POINT press) {
  return RECT{workArea.left + press.x - window.left, workArea.top + press.y - window.top,
              workArea.right + press.x - window.right, workArea.bottom + press.y - window.bottom};
}

}  // namespace memo
