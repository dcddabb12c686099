// Change notifications of a folder note, polled by its timer.
#include "notes/FolderWatches.h"

#include "notes/FolderRules.h"

namespace memo {

void FolderWatches::Set(Key key, const std::string& folder) {
  constexpr DWORD kFilter =
      FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME | FILE_NOTIFY_CHANGE_ATTRIBUTES;
  // The old notification closes first: it may be on the same folder.
  watches_.erase(key);
  UniqueChangeHandle handle(folder.empty() ? INVALID_HANDLE_VALUE
                                           : ::FindFirstChangeNotificationA(folder.c_str(), FALSE, kFilter));
  Set(key, folder, std::move(handle));
}

void FolderWatches::Set(Key key, const std::string& folder, UniqueChangeHandle handle) {
  Watch& watch = watches_[key];
  watch.folder = folder;
  watch.handle = std::move(handle);
}

void FolderWatches::Remove(Key key) { watches_.erase(key); }

void FolderWatches::Clear() { watches_.clear(); }

std::vector<FolderWatches::Key> FolderWatches::ReleaseUnder(const std::string& folder) {
  std::vector<Key> released;
  for (auto it = watches_.begin(); it != watches_.end();) {
    if (IsSameOrInside(it->second.folder, folder)) {
      released.push_back(it->first);
      it = watches_.erase(it);
    } else {
      ++it;
    }
  }
  return released;
}

bool FolderWatches::HoldsUnder(const std::string& folder) const {
  for (const auto& [key, watch] : watches_) {
    if (watch.handle && IsSameOrInside(watch.folder, folder)) return true;
  }
  return false;
}

FolderWatches::Changes FolderWatches::TakeChanged() {
  Changes changes;
  for (auto& [key, watch] : watches_) {
    if (!watch.handle) continue;
    if (::WaitForSingleObject(watch.handle.get(), 0) != WAIT_OBJECT_0) continue;
    changes.changed.push_back(key);
    // A notification that cannot be re-armed stays signalled: kept, it
    // would read its folder again at every poll for the note's life.
    if (!::FindNextChangeNotification(watch.handle.get())) changes.lost.push_back(key);
  }
  for (Key key : changes.lost) watches_.erase(key);
  return changes;
}

}  // namespace memo
