// The names that change in one folder (not its subtree), as other programs
// change them: a sync engine delivering a note, an editor saving one. Read
// without a thread: the system fills a buffer in the background and the
// owner polls it, so that a folder of thousands of entries costs nothing
// until one of them changes, and then only that name is looked at.
//
// How to use:
//   DirectoryChanges changes;
//   changes.Start(folder);                    // false: the folder cannot be watched
//   ... on a timer:
//   DirectoryChanges::Batch batch = changes.Take();
//   if (batch.overflow) ... look at the whole folder
//   for (const std::string& name : batch.names) ...
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "store/Handles.h"

namespace memo {

class DirectoryChanges {
 public:
  DirectoryChanges() = default;
  ~DirectoryChanges();
  // The system writes into buffer_ while a read is pending: never moved.
  DirectoryChanges(const DirectoryChanges&) = delete;
  DirectoryChanges& operator=(const DirectoryChanges&) = delete;

  // Watches file and folder names, sizes and write times in the folder,
  // replacing what was watched before. False when it cannot be watched.
  bool Start(const std::string& folder);
  // Lets the folder go (an open watch keeps it from being renamed).
  void Stop();
  bool watching() const { return static_cast<bool>(folder_); }
  const std::string& folder() const { return path_; }

  struct Batch {
    // Names that were added, removed, renamed from or to, or changed,
    // once each, in the order first seen. Names the code page cannot spell
    // are left out: no note has them.
    std::vector<std::string> names;
    // More changed than the system could keep: the whole folder is to be
    // looked at again. Also set when the watch was lost.
    bool overflow = false;
  };
  // What changed since the last call, without waiting.
  Batch Take();

 private:
  bool Arm();
  void Cancel();

  std::string path_;
  UniqueHandle folder_;
  UniqueHandle event_;
  OVERLAPPED overlapped_{};
  bool pending_ = false;
  // DWORD-aligned, as the system requires; 64 KiB is its limit over a
  // network share.
  DWORD buffer_[16 * 1024]{};
};

// The names in a block of FILE_NOTIFY_INFORMATION records that the system
// wrote: bytes from the system are still checked, every record must lie
// within them. False on a record that does not.
bool ParseDirectoryChanges(const void* records, size_t bytes, std::vector<std::wstring>* names);

}  // namespace memo
