// The favourites menu of the browser note: the user's Favorites folder as
// owner-drawn menu entries, folders as submenus (filled depth first), then
// the Internet shortcuts of each folder. Command ids run from
// kCmdFirstFavorite over folders and shortcuts alike, in creation order.
//
// How to use: build into a popup menu, track it, then look up the command
// that came back; the entries live as long as the FavoritesMenu.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "frame/IconMenuItem.h"
#include "store/Handles.h"

namespace memo {

// A Favorites tree may hold links that loop or more entries than any menu
// can show: the menu stops there.
struct FavoritesLimits {
  int maxDepth = 8;                   // nested folders below the top
  size_t maxEntries = 1000;           // entries of the whole menu
  size_t maxNamesPerFolder = 4096;    // names read from one folder
};

// The user's Favorites folder (not created when missing); "" when none.
std::string FavoritesFolder();

// The menu name of a file or folder: without its last extension.
std::string FavoriteDisplayName(const std::string& fileName);

// Multibyte, case-insensitive order of names (ASCII letters folded; the
// trail byte of a double-byte character is never folded).
bool FavoriteNameLess(const std::string& a, const std::string& b);

class FavoritesMenu {
 public:
  // Appends the folder's entries to menu. A missing or unreadable folder
  // appends nothing.
  void Build(HMENU menu, const std::string& folder, const FavoritesLimits& limits = {});
  // The shortcut file of a command id, or "" when the id is none of ours.
  std::string ShortcutOf(UINT id) const;
  size_t EntryCount() const { return entries_.size(); }

 private:
  struct Entry {
    IconMenuItem item;
    bool folder = false;
  };
  void Fill(HMENU menu, const std::string& folder, int depth);

  std::vector<std::unique_ptr<Entry>> entries_;
  FavoritesLimits limits_;
  UniqueIcon shortcutIcon_;
};

}  // namespace memo
