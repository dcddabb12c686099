// The browser note's page of the property sheet: the URL that the note's
// shortcut file holds, chosen from a list, a file, or the page shown now.
#pragma once

#include <windows.h>

namespace memo {

// The page's dialog procedure (template IDD_PAGE_URL). The window it
// describes is a browser note: OK writes the note's shortcut file and has
// the note load it.
INT_PTR CALLBACK UrlPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace memo
