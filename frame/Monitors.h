// Keeping windows where the user can reach them while monitors come and go.
//
// How to use: place a window from its saved rectangle through OntoScreen,
// and call KeepWindowOnScreen on WM_DISPLAYCHANGE.
#pragma once

#include <windows.h>

namespace memo {

// A window rectangle that shows on no monitor of this session brought into
// the nearest monitor's work area; any other rectangle as it is.
RECT OntoScreen(const RECT& rect);

// Moves a window whose rectangle shows on no monitor any more (a screen
// unplugged, a resolution lowered) onto the nearest one, keeping its size
// where it fits.
void KeepWindowOnScreen(HWND hwnd);

}  // namespace memo
