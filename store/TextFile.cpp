// Reading and writing text note files.
#include "store/TextFile.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>

#include "store/Handles.h"
#include "store/Paths.h"

namespace memo {
namespace {

constexpr ULONGLONG kStaleTempAge = 10ULL * 60 * 10000000;  // ten minutes in 100 ns units

ULONGLONG Ticks(const FILETIME& time) {
  return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// Gives the file that took a note's place the note's attributes and
// creation time; the text is saved either way. The archive bit is set, as
// any write sets it, so that a backup that copies changed files takes it.
void KeepIdentity(const std::string& path, DWORD attributes, const FILETIME& created) {
  DWORD kept = attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
  ::SetFileAttributesA(path.c_str(), kept | FILE_ATTRIBUTE_ARCHIVE);
  if (created.dwLowDateTime == 0 && created.dwHighDateTime == 0) return;
  UniqueHandle file(::CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file) ::SetFileTime(file.get(), &created, nullptr, nullptr);
}

bool SameFile(const BY_HANDLE_FILE_INFORMATION& a, const BY_HANDLE_FILE_INFORMATION& b) {
  return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
         a.nFileIndexLow == b.nFileIndexLow;
}

// What a save must know of the file under a note's name: the path of the
// file itself when the name is a symbolic link (empty when it is the name),
// and how many names the file has.
struct FileIdentity {
  std::string finalPath;
  DWORD links = 0;
};

FileIdentity IdentityOf(const std::string& path) {
  FileIdentity identity;
  UniqueHandle file(::CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  BY_HANDLE_FILE_INFORMATION info{};
  if (!file || !::GetFileInformationByHandle(file.get(), &info)) return identity;
  identity.links = info.nNumberOfLinks;
  char buffer[kMaxPathBytes + 16];
  DWORD length = ::GetFinalPathNameByHandleA(file.get(), buffer, sizeof(buffer), FILE_NAME_NORMALIZED);
  if (length == 0 || length >= sizeof(buffer)) return identity;
  std::string final(buffer, length);
  // The system answers in the "\\?\" form; the program's paths are plain.
  if (final.compare(0, 8, "\\\\?\\UNC\\") == 0) {
    final = "\\\\" + final.substr(8);
  } else if (final.compare(0, 4, "\\\\?\\") == 0) {
    final.erase(0, 4);
  }
  // Only a path that leads back to this very file is used: a name that the
  // code page cannot spell comes back with '?' in it.
  if (!FitsMaxPath(final) || EqualsNoCase(final, path.c_str())) return identity;
  UniqueHandle again(::CreateFileA(final.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  BY_HANDLE_FILE_INFORMATION finalInfo{};
  if (again && ::GetFileInformationByHandle(again.get(), &finalInfo) && SameFile(info, finalInfo)) {
    identity.finalPath = final;
  }
  return identity;
}

// Writes bytes to a new temporary file beside target and flushes it to the
// disk; its path, or "" (nothing left behind) on any failure.
std::string WriteTempBeside(const std::string& target, const std::string& bytes) {
  std::string folder = ParentForCreate(target);
  if (folder.empty()) folder = ".";
  char temp[MAX_PATH] = {};
  // Creates a unique empty file in the note's own folder, so that the final
  // rename stays on one volume. ".~m*.tmp": sync tools skip names that start
  // with ".~" or end in ".tmp", and no note kind ends in ".tmp".
  if (!::GetTempFileNameA(folder.c_str(), kSaveTempPrefix, 0, temp)) return std::string();
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
  if (written) return temp;
  ::DeleteFileA(temp);
  return std::string();
}

// A file with a second name (a hard link) is written where it is: a rename
// would give the note's name a file of its own, and the other names would
// keep the old text. The flushed temporary file holds the new text until the
// write is on the disk, so that a kill in between leaves it beside the note.
bool WriteInPlace(const std::string& target, const std::string& bytes, const std::string& temp) {
  UniqueHandle file(::CreateFileA(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    ::DeleteFileA(temp.c_str());
    return false;
  }
  DWORD count = 0;
  bool written = (bytes.empty() || (::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()),
                                                &count, nullptr) &&
                                    count == bytes.size())) &&
                 ::SetEndOfFile(file.get()) && ::FlushFileBuffers(file.get());
  // A write that failed part way leaves the temporary file as the only
  // whole copy of the text.
  if (written) ::DeleteFileA(temp.c_str());
  return written;
}

// Wine's ReplaceFile moves the note aside and deletes it before it moves the
// new file in, so a kill in between loses the note; there a rename is used,
// and what ReplaceFile keeps by itself is put back by hand.
bool SystemReplaceIsAtomic() {
  static const bool atomic = ::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "wine_get_version") == nullptr;
  return atomic;
}

// ReplaceFile keeps what a rename would lose: the note's other data
// streams, its security (an explicit ACL, the owner), compression and
// encryption, its short name. False leaves the note and the temporary file
// as they were.
bool ReplaceKeepingFile(const std::string& temp, const std::string& target) {
  for (int attempt = 0;; ++attempt) {
    if (::ReplaceFileA(target.c_str(), temp.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                       nullptr)) {
      break;
    }
    DWORD error = ::GetLastError();
    if (attempt == 9 || (error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED)) return false;
    ::Sleep(20);
  }
  // The replace copies the old file's attributes, archive bit included.
  DWORD attributes = ::GetFileAttributesA(target.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_ARCHIVE)) {
    ::SetFileAttributesA(target.c_str(), attributes | FILE_ATTRIBUTE_ARCHIVE);
  }
  return true;
}

std::string Base64(const std::string& bytes) {
  static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (size_t i = 0; i < bytes.size(); i += 3) {
    uint32_t group = static_cast<uint32_t>(static_cast<unsigned char>(bytes[i])) << 16;
    if (i + 1 < bytes.size()) group |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[i + 1])) << 8;
    if (i + 2 < bytes.size()) group |= static_cast<unsigned char>(bytes[i + 2]);
    out += kDigits[(group >> 18) & 63];
    out += kDigits[(group >> 12) & 63];
    out += i + 1 < bytes.size() ? kDigits[(group >> 6) & 63] : '=';
    out += i + 2 < bytes.size() ? kDigits[group & 63] : '=';
  }
  return out;
}

// A header value in encoded words when it is not plain ASCII: each word
// short enough for a header line and never splitting a UTF-8 character.
std::string MailHeaderWords(const std::string& utf8) {
  bool plain = true;
  for (char c : utf8) plain = plain && c >= 0x20 && c < 0x7F;
  if (plain) return utf8;
  constexpr size_t kWordBytes = 45;
  std::string out;
  for (size_t start = 0; start < utf8.size();) {
    size_t end = std::min(utf8.size(), start + kWordBytes);
    while (end < utf8.size() && end > start + 1 && (static_cast<unsigned char>(utf8[end]) & 0xC0) == 0x80) --end;
    if (!out.empty()) out += "\r\n ";
    out += "=?utf-8?B?" + Base64(utf8.substr(start, end - start)) + "?=";
    start = end;
  }
  return out;
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
  // A note that is a symbolic link is saved into the file the link names:
  // replacing the link itself would turn it into a plain file, and its
  // target would stop getting the text.
  FileIdentity identity = IdentityOf(path);
  const std::string& target = identity.finalPath.empty() ? path : identity.finalPath;
  DWORD attributes = ::GetFileAttributesA(target.c_str());
  // A read-only note stays as it is. A folder is no note file.
  if (attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))) {
    return false;
  }
  // Another program holds the note file open without letting it be
  // replaced: the replace would fail after the temporary file was made. A
  // hold of a moment (a scanner, an indexer) is waited out, as the rename is.
  for (int attempt = 0; attributes != INVALID_FILE_ATTRIBUTES; ++attempt) {
    UniqueHandle probe(::CreateFileA(target.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
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
    if (::GetFileAttributesExA(target.c_str(), GetFileExInfoStandard, &data)) created = data.ftCreationTime;
  }
  std::string temp = WriteTempBeside(target, bytes);
  if (temp.empty()) return false;
  if (identity.links > 1) return WriteInPlace(target, bytes, temp);
  bool replaced = false;
  if (attributes != INVALID_FILE_ATTRIBUTES && SystemReplaceIsAtomic()) replaced = ReplaceKeepingFile(temp, target);
  if (!replaced) {
    // One rename over the note: the file holds the old or the new text at
    // every moment, even when the program is killed.
    replaced = RenameOver(temp, target);
    if (replaced && attributes != INVALID_FILE_ATTRIBUTES) KeepIdentity(target, attributes, created);
  }
  // When another program took the note file away meanwhile, the temporary
  // file is the only copy of the text and must stay.
  bool noteFileGone = attributes != INVALID_FILE_ATTRIBUTES &&
                      ::GetFileAttributesA(target.c_str()) == INVALID_FILE_ATTRIBUTES;
  if (!replaced && !noteFileGone) ::DeleteFileA(temp.c_str());
  return replaced;
}

bool SaveFileNew(const std::string& path, const std::string& bytes) {
  if (path.empty()) return false;
  std::string temp = WriteTempBeside(path, bytes);
  if (temp.empty()) return false;
  // Without MOVEFILE_REPLACE_EXISTING: a file that took the name meanwhile
  // stays.
  if (::MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_WRITE_THROUGH)) return true;
  ::DeleteFileA(temp.c_str());
  return false;
}

bool FlushFileToDisk(const std::string& path) {
  UniqueHandle file(::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  return file && ::FlushFileBuffers(file.get());
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
  return "Subject: " + MailHeaderWords(subject) +
         "\r\nX-Unsent: 1\r\nMIME-Version: 1.0\r\nContent-Type: text/plain; charset=utf-8\r\n"
         "Content-Transfer-Encoding: 8bit\r\n\r\n" +
         body;
}

}  // namespace memo
