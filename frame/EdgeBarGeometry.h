// Where an edge bar stands and how it behaves, over plain rectangles: its
// place on the edge that the note style bits select, its painted inner
// rectangle, which way out of it restores the note, the cursor clip while
// it is dragged and the note's place while it follows the bar.
#pragma once

#include <windows.h>

namespace memo {

enum class Edge { kLeft, kRight, kTop, kBottom };
// Bits 0x004 (top or bottom) and 0x002 (bottom or right) of a note style.
Edge EdgeOfStyle(DWORD noteStyle);
inline bool IsHorizontalEdge(Edge edge) { return edge == Edge::kTop || edge == Edge::kBottom; }

constexpr int kEdgeBarThicknessTopBottom = 3;
constexpr int kEdgeBarThicknessLeftRight = 4;
constexpr int kEdgeBarMaxWidth = 64;   // along a top or bottom edge
constexpr int kEdgeBarMaxHeight = 48;  // along a left or right edge

// The bar on the edge of the work area, spanning the note along it (at most
// 64 or 48 pixels, then centred on the note).
RECT EdgeBarRect(const RECT& workArea, const RECT& note, DWORD noteStyle);

// The coloured part of the bar's client rectangle: one white pixel is left
// at both ends and on the side that faces the middle of the screen.
RECT EdgeBarInnerRect(const RECT& client, DWORD noteStyle);

// Whether a cursor that left the bar did so across one of its long sides
// (which restores the note); leaving through a short end does not.
bool LeftAcrossLongSide(const RECT& bar, POINT cursor, DWORD noteStyle);

// The cursor clip while the bar is dragged: pressed at press, the cursor
// slides along the edge only, and only so far that the note stays inside
// the work area.
RECT EdgeBarDragClip(const RECT& workArea, const RECT& note, POINT press, DWORD noteStyle);

// The bar's rectangle while it is dragged: the bar at the press, moved as
// far as the cursor moved, counted only inside the clip.
RECT EdgeBarDragged(const RECT& barAtPress, POINT press, POINT cursor, const RECT& clip);

// The note's top-left corner once it follows the bar: centred on the bar
// along the edge, unchanged across it.
POINT NoteFollowingBar(const RECT& bar, const RECT& note, DWORD noteStyle);

}  // namespace memo
