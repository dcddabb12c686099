// Where the parts of a mini note lie and how it sizes and moves, over plain
// values: the metrics that follow from the height of "x", the body's place,
// the resize borders, sizes snapped to whole cells and lines, and the
// snapping of a dragged mini note to its siblings.
#pragma once

#include <windows.h>

#include <vector>

namespace memo {

struct MiniMetrics {
  int cell = 24;        // one step of the width
  int iconStrip = 24;   // the grey strip at the left that holds the link icon
  int lineHeight = 12;  // the height of "x"
  int topMargin = 4;
  int rightMargin = 1;
  int bottomMargin = 4;
};

// The metrics for a line height: one line and its margins make 20 pixels.
MiniMetrics MiniMetricsForLineHeight(int lineHeight);

// Icon strip, eight cells and the right margin by one line: 217 x 20.
SIZE MiniDefaultSize(const MiniMetrics& m);
// The icon strip by one line: 24 x 20.
SIZE MiniMinimumSize(const MiniMetrics& m);

// The edit control's place in a client rectangle.
RECT MiniBodyRect(const RECT& client, const MiniMetrics& m);

// The resize border under a cursor, both in screen coordinates; HTCLIENT
// where the default handling applies. The right and bottom grips are wider
// than the left and top ones.
LRESULT MiniHitTest(const RECT& window, POINT cursor);

// A proposed rectangle of WM_SIZING (edge = WMSZ_*) moved on the dragged
// sides to whole cells across (widths 25 + 24n) and whole lines down
// (heights 20 + line height * (n - 1)).
RECT MiniSnapSizing(RECT proposed, int edge, const MiniMetrics& m);

// A proposed rectangle of a move, shifted by less than 10 pixels at a time
// to line up with each sibling it touches, or to overlap its edge by one
// pixel so that the two frames draw one shared line.
RECT MiniSnapMove(RECT proposed, const std::vector<RECT>& siblings);

}  // namespace memo
