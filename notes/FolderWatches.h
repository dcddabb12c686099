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
  void Remove(Key key);
  void Clear();
  bool Has(Key key) const { return watches_.count(key) != 0; }
  size_t size() const { return watches_.size(); }

  // The keys whose folders changed since the last call, in key order; their
  // notifications are re-armed. Callers refresh each key that is still
  // watched: refreshing one branch may remove the watches of others.
  std::vector<Key> TakeChanged();

 private:
  std::map<Key, UniqueChangeHandle> watches_;
};

}  // namespace memo
