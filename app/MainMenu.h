// The main menu of the main bar, built afresh at every showing so that it
// reflects the current page, the notes on disk and which of them are open.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "store/Handles.h"

namespace memo {

// Menu ids of the two generated sub-menus.
constexpr UINT kPageItemBase = 0x4000;  // + index in the sorted root listing
constexpr UINT kNoteItemBase = 0x5000;  // + index in the note list

// Shows the menu at the screen point, owned by the bar, and carries out the
// chosen item.
void ShowMainMenu(HWND bar, int x, int y);

// What a menu was built from: the ids of its generated items are indices
// into these lists, so the chosen id is carried out against the same lists
// even if the disk changed while the menu was open.
struct MainMenuSources {
  std::vector<WIN32_FIND_DATAA> rootListing;  // SortedRootListing()
  std::vector<std::string> noteList;          // NoteList(), empty without a page
};

// Builds the menu from the store as it is now. hasPage: the main bar shows
// a current page (its window text is not empty).
UniqueMenu BuildMainMenu(bool hasPage, MainMenuSources* sources);

// The root folder's entries sorted by name without regard to case, as the
// "pages to show" sub-menu numbers them.
std::vector<WIN32_FIND_DATAA> SortedRootListing();

// Shows a note as "表示する付箋" does, also one that is hidden, or restores
// it from its edge bar; the note's window, or nullptr.
HWND ShowNote(const std::string& name);

// Carries out a chosen id against the listings the menu was built from.
void RunMainMenuCommand(HWND bar, UINT id, const std::vector<WIN32_FIND_DATAA>& rootListing,
                        const std::vector<std::string>& noteList);

}  // namespace memo
