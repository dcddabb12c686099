// The search window: a query box over a list of every note of every page
// and of common that matches it, found while the user types, in slices
// between messages. A row opens its note on its page, brings it to the
// front and, in a text note, selects the match. A wide window: a note's
// text may hold characters the code page has not.
#pragma once

#include <windows.h>

namespace memo {

constexpr wchar_t kClassSearch[] = L"Memopane-Search";
constexpr int kIdSearchQuery = 1001;
constexpr int kIdSearchList = 1002;

// Opens the one search window of the bar, or brings the open one to the
// front with its query selected.
HWND OpenSearchWindow(HWND bar);

// Closes the search window of this thread, if one is open (the bar ends).
void CloseSearchWindow();

}  // namespace memo
