// The note property sheet: one sheet at a time for the whole program.
#pragma once

#include <windows.h>

namespace memo {

// The open sheet, or nullptr.
HWND OpenSheetWindow();

// Opens the sheet of window on the page with template id startPage (0: the
// first page). While a sheet is open anywhere, beeps, brings that sheet
// forward and returns 0.
INT_PTR OpenPropertySheet(HWND window, int startPage);

}  // namespace memo
