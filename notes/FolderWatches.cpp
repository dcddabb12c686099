// Change notifications of a folder note, polled by its timer.
#include "notes/FolderWatches.h"

namespace memo {

void FolderWatches::Set(Key key, const std::string& folder) {
  constexpr DWORD kFilter =
      FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME | FILE_NOTIFY_CHANGE_ATTRIBUTES;
  UniqueChangeHandle handle(folder.empty() ? INVALID_HANDLE_VALUE
                                           : ::FindFirstChangeNotificationA(folder.c_str(), FALSE, kFilter));
  watches_[key] = std::move(handle);
}

void FolderWatches::Remove(Key key) { watches_.erase(key); }

void FolderWatches::Clear() { watches_.clear(); }

std::vector<FolderWatches::Key> FolderWatches::TakeChanged() {
  std::vector<Key> changed;
  for (auto& [key, handle] : watches_) {
    if (!handle) continue;
    if (::WaitForSingleObject(handle.get(), 0) != WAIT_OBJECT_0) continue;
    ::FindNextChangeNotification(handle.get());
    changed.push_back(key);
  }
  return changed;
}

}  // namespace memo
