// Where an edge bar stands and how it behaves, over plain rectangles.
#include "frame/EdgeBarGeometry.h"

#include "frame/Geometry.h"
#include "frame/Messages.h"

namespace memo {

Edge EdgeOfStyle(DWORD noteStyle) {
  bool farEdge = (noteStyle & kStyleFarEdge) != 0;
  if (noteStyle & kStyleHorizontalEdge) return farEdge ? Edge::kBottom : Edge::kTop;
  return farEdge ? Edge::kRight : Edge::kLeft;
}

RECT EdgeBarRect(const RECT& workArea, const RECT& note, DWORD noteStyle) {
  RECT bar{};
  Edge edge = EdgeOfStyle(noteStyle);
  if (IsHorizontalEdge(edge)) {
    bar.left = note.left;
    bar.right = note.right;
    if (Width(note) > kEdgeBarMaxWidth) {
      int centre = (note.left + note.right) / 2;
      bar.left = centre - kEdgeBarMaxWidth / 2;
      bar.right = centre + kEdgeBarMaxWidth / 2;
    }
    bar.top = edge == Edge::kBottom ? workArea.bottom - kEdgeBarThicknessTopBottom : workArea.top;
    bar.bottom = bar.top + kEdgeBarThicknessTopBottom;
  } else {
    bar.top = note.top;
    bar.bottom = note.bottom;
    if (Height(note) > kEdgeBarMaxHeight) {
      int centre = (note.top + note.bottom) / 2;
      bar.top = centre - kEdgeBarMaxHeight / 2;
      bar.bottom = centre + kEdgeBarMaxHeight / 2;
    }
    bar.left = edge == Edge::kRight ? workArea.right - kEdgeBarThicknessLeftRight : workArea.left;
    bar.right = bar.left + kEdgeBarThicknessLeftRight;
  }
  return bar;
}

RECT EdgeBarInnerRect(const RECT& client, DWORD noteStyle) {
  Edge edge = EdgeOfStyle(noteStyle);
  int f = (edge == Edge::kBottom || edge == Edge::kRight) ? 1 : 0;
  if (IsHorizontalEdge(edge)) return RECT{client.left + 1, client.top + f, client.right - 1, client.bottom - 1 + f};
  return RECT{client.left + f, client.top + 1, client.right - 1 + f, client.bottom - 1};
}

bool LeftAcrossLongSide(const RECT& bar, POINT cursor, DWORD noteStyle) {
  if (IsHorizontalEdge(EdgeOfStyle(noteStyle))) return cursor.y < bar.top || cursor.y >= bar.bottom;
  return cursor.x < bar.left || cursor.x >= bar.right;
}

namespace {

// The note's sides as its centre minus and plus half its size.
void CentredSpan(LONG low, LONG high, LONG* from, LONG* to) {
  LONG centre = (low + high) / 2, half = (high - low) / 2;
  *from = centre - half;
  *to = centre + half;
}

}  // namespace

RECT EdgeBarDragClip(const RECT& workArea, const RECT& note, POINT press, DWORD noteStyle) {
  LONG from = 0, to = 0;
  if (IsHorizontalEdge(EdgeOfStyle(noteStyle))) {
    CentredSpan(note.left, note.right, &from, &to);
    return RECT{workArea.left + press.x - from, press.y, workArea.right + press.x - to + 1, press.y + 1};
  }
  CentredSpan(note.top, note.bottom, &from, &to);
  return RECT{press.x, workArea.top + press.y - from, press.x + 1, workArea.bottom + press.y - to + 1};
}

namespace {

// The clip's right and bottom sides are outside it, as with ClipCursor; a
// note larger than the work area leaves an empty span: no move then.
LONG KeptInside(LONG value, LONG from, LONG to, LONG pressed) {
  if (to <= from) return pressed;
  return value < from ? from : value >= to ? to - 1 : value;
}

}  // namespace

RECT EdgeBarDragged(const RECT& barAtPress, POINT press, POINT cursor, const RECT& clip) {
  RECT moved = barAtPress;
  ::OffsetRect(&moved, KeptInside(cursor.x, clip.left, clip.right, press.x) - press.x,
               KeptInside(cursor.y, clip.top, clip.bottom, press.y) - press.y);
  return moved;
}

POINT NoteFollowingBar(const RECT& bar, const RECT& note, DWORD noteStyle) {
  if (IsHorizontalEdge(EdgeOfStyle(noteStyle))) {
    return POINT{(bar.left + bar.right) / 2 - Width(note) / 2, note.top};
  }
  return POINT{note.left, (bar.top + bar.bottom) / 2 - Height(note) / 2};
}

}  // namespace memo
