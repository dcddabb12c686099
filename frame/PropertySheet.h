// The note property sheet: one sheet at a time for the whole program, with
// the General, Layout and Colour pages and the pages that the window adds
// through the extra-pages message.
#pragma once

#include <windows.h>

namespace memo {

// One page that a window adds to its sheet (answer to the extra-pages
// message: the address of an array of these, and their count). The page's
// dialog procedure finds the window in DWLP_USER from WM_INITDIALOG on.
struct ExtraPage {
  int templateId;
  DLGPROC procedure;
  HINSTANCE instance;
};

// The open sheet, or nullptr.
HWND OpenSheetWindow();
// Records the sheet that is open (its pages call this as they open).
void RememberOpenSheet(HWND sheet);

// Opens the sheet of window on the page with template id startPage (0: the
// first page) and returns the result of the modal sheet. While a sheet is
// open anywhere, beeps, brings that sheet forward and returns 0.
INT_PTR OpenPropertySheet(HWND window, int startPage);

}  // namespace memo
