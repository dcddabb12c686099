// Reading and writing text note files.
#include "store/TextFile.h"

#include <windows.h>

#include "store/Handles.h"
#include "store/Paths.h"

namespace memo {
namespace {

constexpr char kTempPrefix[] = ".~m";

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
  // A read-only note stays as it is. A folder is no note file: replacing it
  // would move the folder aside (Wine's ReplaceFile does) and report success.
  if (attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))) {
    return false;
  }
  // Another program holds the note file open without letting it be
  // replaced: the replace would fail after the temporary file was made, and
  // Wine's ReplaceFile would leave an empty file of its own beside the note.
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    UniqueHandle probe(::CreateFileA(path.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!probe && ::GetLastError() == ERROR_SHARING_VIOLATION) return false;
  }
  std::string folder = ParentForCreate(path);
  if (folder.empty()) folder = ".";
  char temp[MAX_PATH] = {};
  // Creates a unique empty file in the note's own folder, so that the final
  // rename stays on one volume. ".~m*.tmp": sync tools skip names that start
  // with ".~" or end in ".tmp", and no note kind ends in ".tmp".
  if (!::GetTempFileNameA(folder.c_str(), kTempPrefix, 0, temp)) return false;
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
    if (attributes != INVALID_FILE_ATTRIBUTES) {
      // Keeps the note's attributes and creation time.
      replaced = ::ReplaceFileA(path.c_str(), temp, nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                                nullptr) ||
                 ::MoveFileExA(temp, path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    } else {
      replaced = ::MoveFileExA(temp, path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    }
  }
  // A replace that failed half way may have taken the note file away; the
  // temporary file is then the only copy of the text and must stay.
  bool noteFileGone = attributes != INVALID_FILE_ATTRIBUTES &&
                      ::GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES;
  if (!replaced && !(written && noteFileGone)) ::DeleteFileA(temp);
  return replaced;
}

std::string MailDraft(const std::string& subject, const std::string& body) {
  return "Subject: " + subject + "\r\nX-Unsent: 1\r\n\r\n" + body;
}

}  // namespace memo
