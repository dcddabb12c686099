// Stamps of note files and conflict copy names.
#include "store/FileStamp.h"

#include <cstdio>
#include <cstring>

#include "store/FileSystem.h"
#include "store/Handles.h"
#include "store/Paths.h"
#include "store/TextFile.h"

namespace memo {
namespace {

constexpr char kConflictOpen[] = " (競合 ";

}  // namespace

uint64_t HashBytes(const std::string& bytes) {
  // FNV-1a: no security is needed, only a different value for other bytes.
  uint64_t hash = 1469598103934665603ull;
  for (unsigned char c : bytes) {
    hash ^= c;
    hash *= 1099511628211ull;
  }
  return hash;
}

FileStamp StampOf(const std::string& path, const std::string& bytes) {
  FileStamp stamp;
  stamp.known = true;
  stamp.size = bytes.size();
  stamp.hash = HashBytes(bytes);
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) stamp.written = data.ftLastWriteTime;
  return stamp;
}

DiskState CompareWithDisk(const std::string& path, const FileStamp& known, std::string* bytes, FileStamp* now) {
  bytes->clear();
  if (!known.known) return DiskState::kSame;
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return DiskState::kGone;
  }
  if (!ReadWholeFile(path, bytes)) {
    bytes->clear();
    // The file may have gone between the two calls.
    return ::GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES ? DiskState::kGone
                                                                         : DiskState::kUnreadable;
  }
  now->known = true;
  now->size = bytes->size();
  now->hash = HashBytes(*bytes);
  now->written = data.ftLastWriteTime;
  if (now->size == known.size && now->hash == known.hash) {
    bytes->clear();
    return DiskState::kSame;
  }
  return DiskState::kChanged;
}

std::string ConflictCopyName(const std::string& noteName, const SYSTEMTIME& when, int number) {
  bool quoted = IsQuotedName(noteName);
  std::string name = Unquote(noteName);
  std::string extension = ExtensionOf(name);
  std::string base = BaseNameOf(name);
  // " (" can be no trail byte of a double-byte character, so a match is real.
  size_t open = base.rfind(kConflictOpen);
  if (open != std::string::npos && open > 0 && !base.empty() && base.back() == ')') base.erase(open);
  char stamp[64];
  std::snprintf(stamp, sizeof(stamp), "%04u-%02u-%02u %02u%02u", when.wYear, when.wMonth, when.wDay, when.wHour,
                when.wMinute);
  std::string result = base + kConflictOpen + stamp;
  if (number > 1) result += " " + std::to_string(number);
  result += ")" + extension;
  return quoted ? Quote(result) : result;
}

std::vector<std::string> ConflictCopyOriginals(const std::string& name) {
  std::vector<std::string> originals;
  std::string extension = ExtensionOf(name);
  std::string base = BaseNameOf(name);
  auto isDigits = [](const std::string& text, size_t at, size_t n) {
    if (text.size() < at + n) return false;
    for (size_t i = at; i < at + n; ++i) {
      if (text[i] < '0' || text[i] > '9') return false;
    }
    return true;
  };
  auto isUpperOrDigit = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); };
  // Syncthing: ".sync-conflict-YYYYMMDD-HHMMSS-" and seven characters of
  // the device that lost. ASCII below 0x40 is never a trail byte, so the
  // searches below find no half of a double-byte character.
  const std::string syncthing = ".sync-conflict-";
  size_t at = name.find(syncthing);
  if (at != std::string::npos && at > 0) {
    size_t stamp = at + syncthing.size();
    size_t tail = stamp + 8 + 1 + 6 + 1 + 7;
    bool ok = name.size() >= tail && isDigits(name, stamp, 8) && name[stamp + 8] == '-' &&
              isDigits(name, stamp + 9, 6) && name[stamp + 15] == '-';
    for (size_t i = stamp + 16; ok && i < tail; ++i) ok = isUpperOrDigit(name[i]);
    if (ok && (tail == name.size() || name[tail] == '.')) originals.push_back(name.substr(0, at) + name.substr(tail));
  }
  // Ours and Dropbox's: a part in parentheses at the end of the base name.
  size_t open = base.rfind(" (");
  if (open != std::string::npos && open > 0 && base.back() == ')') {
    std::string inside = base.substr(open + 2, base.size() - open - 3);
    bool ours = base.compare(open, strlen(kConflictOpen), kConflictOpen) == 0;
    if (ours || inside.find("conflicted copy") != std::string::npos ||
        inside.find("競合コピー") != std::string::npos) {
      originals.push_back(base.substr(0, open) + extension);
    }
  }
  // OneDrive: "-" and the name of the computer that lost, up to 15
  // capitals, digits and hyphens; only where no other engine's form is.
  if (!originals.empty() || at != std::string::npos) return originals;
  for (size_t dash = base.rfind('-'); dash != std::string::npos && dash > 0; dash = base.rfind('-', dash - 1)) {
    std::string computer = base.substr(dash + 1);
    if (computer.empty() || computer.size() > 15) break;
    bool ok = true, letter = false;
    for (char c : computer) {
      ok = ok && (isUpperOrDigit(c) || c == '-');
      letter = letter || (c >= 'A' && c <= 'Z');
    }
    if (!ok) break;
    if (letter) originals.push_back(base.substr(0, dash) + extension);
  }
  return originals;
}

std::string ConflictCopyOriginalIn(const std::string& folder, const std::string& name) {
  for (const std::string& original : ConflictCopyOriginals(name)) {
    std::string path = PathJoin(folder, original);
    if (!path.empty() && original != name && PathExists(path) && !IsFolder(path)) return original;
  }
  return std::string();
}

bool IsFreeCopyName(const std::vector<std::string>& folders, const std::string& name) {
  for (const std::string& folder : folders) {
    if (folder.empty()) continue;
    std::string path = PathJoin(folder, name);
    std::string settings = PathAppend(path, ".ini");
    if (path.empty() || settings.empty() || PathExists(path) || PathExists(settings)) return false;
  }
  return true;
}

bool IsSameFile(const std::string& a, const std::string& b) {
  BY_HANDLE_FILE_INFORMATION info[2]{};
  const std::string* paths[2] = {&a, &b};
  for (int i = 0; i < 2; ++i) {
    UniqueHandle file(::CreateFileA(paths[i]->c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file || !::GetFileInformationByHandle(file.get(), &info[i])) return false;
  }
  return info[0].dwVolumeSerialNumber == info[1].dwVolumeSerialNumber &&
         info[0].nFileIndexHigh == info[1].nFileIndexHigh && info[0].nFileIndexLow == info[1].nFileIndexLow;
}

}  // namespace memo
