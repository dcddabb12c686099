// Rectangle rules of the window framework, over plain values.
#pragma once

#include <windows.h>

#include <vector>

namespace memo {

// The rectangle of saved X, Y, CX, CY: right = X + CX and bottom = Y + CY,
// kept inside the range of a coordinate (the values come from a text file).
RECT SavedWindowRect(int x, int y, int cx, int cy);

// A saved width or height, or fallback when it is too small to be any
// window's (0 in a damaged file): such a window could not be seen or
// grasped. A negative size is a reversed side and counts by its length.
int SavedSizeOr(int saved, int fallback);

// A saved window rectangle made usable: reversed sides put in order, moved
// so that left and top are not negative (keeping the size), and cut to the
// work area's width and height.
RECT ClampWindowRect(RECT rect, const RECT& workArea);

// A window rectangle that shows on none of the monitors (one unplugged, a
// resolution lowered) moved, and if need be cut, into the work area of the
// monitor nearest to it; a rectangle that shows on one is left alone. With
// no monitor known the rectangle is returned as it is.
RECT BringOntoMonitors(const RECT& rect, const std::vector<RECT>& monitors, const std::vector<RECT>& workAreas);

// The main bar's cursor clip while it is dragged: with the bar at window,
// pressed at press, the whole bar stays inside the work area.
RECT MainBarDragClip(const RECT& window, const RECT& workArea, POINT press);

inline int Width(const RECT& r) { return r.right - r.left; }
inline int Height(const RECT& r) { return r.bottom - r.top; }

}  // namespace memo
