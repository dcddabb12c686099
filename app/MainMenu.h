// The main menu of the main bar, built afresh at every showing so that it
// reflects the current page, the notes on disk and which of them are open.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace memo {

// Menu ids of the two generated sub-menus.
constexpr UINT kPageItemBase = 0x4000;  // + index in the sorted root listing
constexpr UINT kNoteItemBase = 0x5000;  // + index in the note list

// Shows the menu at the screen point, owned by the bar, and carries out the
// chosen item.
void ShowMainMenu(HWND bar, int x, int y);

// The root folder's entries sorted by name without regard to case, as the
// "pages to show" sub-menu numbers them.
std::vector<WIN32_FIND_DATAA> SortedRootListing();

// Carries out a chosen id against the listings the menu was built from.
void RunMainMenuCommand(HWND bar, UINT id, const std::vector<WIN32_FIND_DATAA>& rootListing,
                        const std::vector<std::string>& noteList);

}  // namespace memo
