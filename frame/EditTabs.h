// The tab stop of the edit controls that hold a note's text.
#pragma once

#include <windows.h>

namespace memo {

// The tab stop of a note's text, in dialog template units: two average
// characters.
constexpr int kNoteTabStopUnits = 8;

// Sets one tab stop, in dialog template units.
void EditSetTabStop(HWND edit, int dialogUnits);

// Lets the control's tab stops go; call it while the control is destroyed
// (its owner's WM_DESTROY). Wine's edit control keeps its stops in a block
// of its own that a later EM_SETTABSTOPS frees but its destruction does not:
// without this every note closed leaves one behind, and since they lie
// among the freed blocks of the note, a page of 200 notes opened again and
// again grew the heap by most of a MiB at each opening. Windows frees them
// either way.
void EditReleaseTabStops(HWND edit);

}  // namespace memo
