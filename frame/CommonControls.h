// The common controls library, loaded once the program needs its first
// control (the tooltip, a folder tree, a calendar, a property sheet) rather
// than at every start: its initialisation registers all of its window
// classes, which the main bar does not need to appear.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

namespace memo {

// Loads the library and registers its window classes, once; call it before
// making a window of theirs. False when the library cannot be loaded.
bool EnsureCommonControls();

namespace late {

// As the system functions of the same name; when the library or the
// function is missing they fail as those report failures.
INT_PTR PropertySheetA(const PROPSHEETHEADERA* header);  // -1
COLORREF ImageList_GetBkColor(HIMAGELIST list);         // CLR_NONE
COLORREF ImageList_SetBkColor(HIMAGELIST list, COLORREF color);

}  // namespace late

// Draws a control without the visual style of the common controls 6, for a
// control whose colours the program sets: a styled month calendar ignores
// MCM_SETCOLOR. Does nothing where styles are off or uxtheme is missing.
void DrawWithoutVisualStyle(HWND control);

namespace late {

}  // namespace late
}  // namespace memo
