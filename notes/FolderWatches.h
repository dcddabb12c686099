// The folders a folder note watches: one change notification per open
// branch (and one for the note's own folder), polled without waiting.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "store/Handles.h"

namespace memo {

class FolderWatches {
 public:
  using Key = std::uintptr_t;  // a tree item; the tree's root for the note's folder

  // Watches names, sub-folder names and attributes of the folder (not its
  // subtree), replacing what the key watched before. A folder that cannot
  // be watched keeps an entry that is never signalled.
  void Set(Key key, const std::string& folder);
  // The same with a notification opened elsewhere, taken over.
  void Set(Key key, const std::string& folder, UniqueChangeHandle handle);
  void Remove(Key key);
  void Clear();
  bool Has(Key key) const { return watches_.count(key) != 0; }
  size_t size() const { return watches_.size(); }

  // An open notification keeps its folder from being deleted, moved or
  // renamed: this closes every watch on the folder or on a folder inside
  // it, and returns their keys in key order.
  std::vector<Key> ReleaseUnder(const std::string& folder);
  // Whether a watch with a live notification is on the folder or inside it.
  bool HoldsUnder(const std::string& folder) const;

  struct Changes {
    std::vector<Key> changed;  // key order; notifications re-armed
    // Keys whose notification could not be re-armed: their watches are
    // gone. Each also appears in changed, so its branch is read once more.
    std::vector<Key> lost;
  };
  // The keys whose folders changed since the last call. Callers refresh
  // each key that is still watched: refreshing one branch may remove the
  // watches of others.
  Changes TakeChanged();

 private:
  struct Watch {
    std::string folder;
    UniqueChangeHandle handle;
  };
  std::map<Key, Watch> watches_;
};

}  // namespace memo
