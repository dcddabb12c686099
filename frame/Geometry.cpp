// Rectangle rules of the window framework.
#include "frame/Geometry.h"

#include <utility>

namespace memo {

RECT ClampWindowRect(RECT rect, const RECT& workArea) {
  if (rect.left > rect.right) std::swap(rect.left, rect.right);
  if (rect.top > rect.bottom) std::swap(rect.top, rect.bottom);
  // A negative coordinate moves the window onto the screen; shrinking it
  // instead would lose its size a little more at every start.
  if (rect.left < 0) {
    rect.right -= rect.left;
    rect.left = 0;
  }
  if (rect.top < 0) {
    rect.bottom -= rect.top;
    rect.top = 0;
  }
  if (Width(rect) > Width(workArea)) rect.right = rect.left + Width(workArea);
  if (Height(rect) > Height(workArea)) rect.bottom = rect.top + Height(workArea);
  return rect;
}

RECT MainBarDragClip(const RECT& window, const RECT& workArea, POINT press) {
  return RECT{workArea.left + press.x - window.left, workArea.top + press.y - window.top,
              workArea.right + press.x - window.right, workArea.bottom + press.y - window.bottom};
}

}  // namespace memo
