// Reading and writing text note files.
#include "store/TextFile.h"

#include <windows.h>

#include "store/Handles.h"
#include "store/Paths.h"

namespace memo {
namespace {

constexpr ULONGLONG kStaleTempAge = 10ULL * 60 * 10000000;  // ten minutes in 100 ns units

ULONGLONG Ticks(const FILETIME& time) {
  return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// Gives the file that took a note's place the note's attributes and
// creation time; the text is saved either way.
void KeepIdentity(const std::string& path, DWORD attributes, const FILETIME& created) {
  DWORD kept = attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                             FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
  ::SetFileAttributesA(path.c_str(), kept ? kept : FILE_ATTRIBUTE_NORMAL);
  if (created.dwLowDateTime == 0 && created.dwHighDateTime == 0) return;
  UniqueHandle file(::CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file) ::SetFileTime(file.get(), &created, nullptr, nullptr);
}

}  // namespace

bool ReadWholeFile(const std::string& path, std::string* bytes) {
  bytes->clear();
  if (path.empty()) return false;
  UniqueHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  char buffer[65536];
  DWORD got = 0;
  for (;;) {
    if (!::ReadFile(file.get(), buffer, sizeof(buffer), &got, nullptr)) return false;
    if (got == 0) break;
    bytes->append(buffer, got);
  }
  return true;
}

bool WriteWholeFile(const std::string& path, const std::string& bytes) {
  if (path.empty()) return false;
  UniqueHandle file(::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  DWORD written = 0;
  if (bytes.empty()) return true;
  return ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size();
}

bool SaveFileReplacing(const std::string& path, const std::string& bytes) {
  if (path.empty()) return false;
  DWORD attributes = ::GetFileAttributesA(path.c_str());
  // A read-only note stays as it is. A folder is no note file.
  if (attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))) {
    return false;
  }
  // Another program holds the note file open without letting it be
  // replaced: the replace would fail after the temporary file was made. A
  // hold of a moment (a scanner, an indexer) is waited out, as the rename is.
  for (int attempt = 0; attributes != INVALID_FILE_ATTRIBUTES; ++attempt) {
    UniqueHandle probe(::CreateFileA(path.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (probe || ::GetLastError() != ERROR_SHARING_VIOLATION) break;
    if (attempt == 9) return false;
    ::Sleep(20);
  }
  // What a replace should keep of the note file: its attributes and the
  // time it was created.
  FILETIME created{};
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) created = data.ftCreationTime;
  }
  std::string folder = ParentForCreate(path);
  if (folder.empty()) folder = ".";
  char temp[MAX_PATH] = {};
  // Creates a unique empty file in the note's own folder, so that the final
  // rename stays on one volume. ".~m*.tmp": sync tools skip names that start
  // with ".~" or end in ".tmp", and no note kind ends in ".tmp".
  if (!::GetTempFileNameA(folder.c_str(), kSaveTempPrefix, 0, temp)) return false;
  bool written = false;
  {
    UniqueHandle file(::CreateFileA(temp, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD count = 0;
    written = file && (bytes.empty() || (::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()),
                                                     &count, nullptr) &&
                                         count == bytes.size()));
    written = written && ::FlushFileBuffers(file.get());
  }
  bool replaced = false;
  if (written) {
    // One rename over the note: the file holds the old or the new text at
    // every moment, even when the program is killed. ReplaceFile is not
    // used: Wine's moves the note aside and deletes it before it moves the
    // new file in, so a kill in between loses the note.
    replaced = RenameOver(temp, path);
    if (replaced && attributes != INVALID_FILE_ATTRIBUTES) KeepIdentity(path, attributes, created);
  }
  // When another program took the note file away meanwhile, the temporary
  // file is the only copy of the text and must stay.
  bool noteFileGone = attributes != INVALID_FILE_ATTRIBUTES &&
                      ::GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES;
  if (!replaced && !(written && noteFileGone)) ::DeleteFileA(temp);
  return replaced;
}

bool RenameOver(const std::string& from, const std::string& to) {
  // A virus scanner, an indexer or a sync tool may hold the file for a
  // moment without letting it be replaced; the rename is tried again for a
  // short while before the save counts as failed.
  for (int attempt = 0;; ++attempt) {
    if (::MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
    DWORD error = ::GetLastError();
    if (attempt == 9 || (error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED)) return false;
    ::Sleep(20);
  }
}

void RemoveStaleSaveTemps(const std::string& folder) {
  if (folder.empty()) return;
  std::string pattern = PathJoin(folder, std::string(kSaveTempPrefix) + "*.tmp");
  if (!FitsMaxPath(pattern)) return;
  FILETIME now;
  ::GetSystemTimeAsFileTime(&now);
  WIN32_FIND_DATAA found;
  UniqueFindHandle find(::FindFirstFileA(pattern.c_str(), &found));
  if (!find) return;
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    if (Ticks(now) < Ticks(found.ftLastWriteTime) + kStaleTempAge) continue;
    ::DeleteFileA(PathJoin(folder, found.cFileName).c_str());
  } while (::FindNextFileA(find.get(), &found));
}

std::string MailDraft(const std::string& subject, const std::string& body) {
  return "Subject: " + subject + "\r\nX-Unsent: 1\r\n\r\n" + body;
}

}  // namespace memo
