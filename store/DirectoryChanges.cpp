// The names that change in one folder.
#include "store/DirectoryChanges.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "store/TextCodec.h"

namespace memo {
namespace {

constexpr DWORD kWatched = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME |
                           FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE;

}  // namespace

bool ParseDirectoryChanges(const void* records, size_t bytes, std::vector<std::wstring>* names) {
  const auto* base = static_cast<const unsigned char*>(records);
  constexpr size_t kHead = offsetof(FILE_NOTIFY_INFORMATION, FileName);
  size_t at = 0;
  for (;;) {
    if (at > bytes || bytes - at < kHead) return false;
    FILE_NOTIFY_INFORMATION record;
    memcpy(&record, base + at, kHead);
    size_t nameBytes = record.FileNameLength;
    if (nameBytes % sizeof(wchar_t) != 0 || bytes - at - kHead < nameBytes) return false;
    std::wstring name(nameBytes / sizeof(wchar_t), L'\0');
    if (nameBytes) memcpy(&name[0], base + at + kHead, nameBytes);
    if (std::find(names->begin(), names->end(), name) == names->end()) names->push_back(name);
    if (record.NextEntryOffset == 0) return true;
    // Records are DWORD-aligned and each lies after the one before.
    if (record.NextEntryOffset % sizeof(DWORD) != 0 || record.NextEntryOffset < kHead + nameBytes) return false;
    at += record.NextEntryOffset;
  }
}

DirectoryChanges::~DirectoryChanges() { Stop(); }

bool DirectoryChanges::Start(const std::string& folder) {
  Stop();
  if (folder.empty()) return false;
  folder_.reset(::CreateFileA(folder.c_str(), FILE_LIST_DIRECTORY,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr));
  if (!folder_) return false;
  event_.reset(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
  path_ = folder;
  if (!event_ || !Arm()) {
    Stop();
    return false;
  }
  return true;
}

void DirectoryChanges::Stop() {
  Cancel();
  folder_.reset();
  event_.reset();
  path_.clear();
}

void DirectoryChanges::Cancel() {
  if (!pending_) return;
  // The system may still write into the buffer until the read has ended.
  ::CancelIoEx(folder_.get(), &overlapped_);
  DWORD ignored = 0;
  ::GetOverlappedResult(folder_.get(), &overlapped_, &ignored, TRUE);
  pending_ = false;
}

bool DirectoryChanges::Arm() {
  overlapped_ = OVERLAPPED{};
  overlapped_.hEvent = event_.get();
  ::ResetEvent(event_.get());
  pending_ = ::ReadDirectoryChangesW(folder_.get(), buffer_, sizeof(buffer_), FALSE, kWatched, nullptr,
                                     &overlapped_, nullptr) != FALSE;
  return pending_;
}

DirectoryChanges::Batch DirectoryChanges::Take() {
  Batch batch;
  if (!folder_ || !pending_) return batch;
  DWORD got = 0;
  if (!::GetOverlappedResult(folder_.get(), &overlapped_, &got, FALSE)) {
    if (::GetLastError() == ERROR_IO_INCOMPLETE) return batch;  // nothing yet
    // The folder went away or the read failed: look at it all once more,
    // and keep watching if it can still be watched.
    pending_ = false;
    batch.overflow = true;
    if (!Arm()) folder_.reset();
    return batch;
  }
  pending_ = false;
  std::vector<std::wstring> names;
  // No bytes: the changes did not fit and the system kept none of them.
  batch.overflow = got == 0 || !ParseDirectoryChanges(buffer_, std::min<size_t>(got, sizeof(buffer_)), &names);
  for (const std::wstring& wide : names) {
    std::string name = AnsiFromWide(wide);
    if (!name.empty() && WideFromAnsi(name) == wide) batch.names.push_back(name);
  }
  if (!Arm()) folder_.reset();
  return batch;
}

}  // namespace memo
