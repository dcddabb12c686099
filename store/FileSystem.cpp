// Folders and files as the store sees them.
#include "store/FileSystem.h"

#include "store/Handles.h"
#include "store/Paths.h"

namespace memo {

bool PathExists(const std::string& path) {
  return !path.empty() && ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsFolder(const std::string& path) {
  if (path.empty()) return false;
  DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool CheckRoot(const std::string& path) {
  if (path.empty() || !FitsMaxPath(path)) return false;
  if (IsFolder(path)) return true;
  std::string parent = ParentForCreate(path);
  // A parent equal to the path itself ("C:" or "\\") cannot be created
  // either; stopping here keeps the recursion finite.
  if (parent.empty() || parent == path) return false;
  if (!CheckRoot(parent)) return false;
  return ::CreateDirectoryA(path.c_str(), nullptr) != FALSE;
}

bool CreateEmptyFile(const std::string& path) {
  if (path.empty()) return false;
  UniqueHandle file(::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  return static_cast<bool>(file);
}

std::vector<WIN32_FIND_DATAA> ListFolder(const std::string& folder) {
  std::vector<WIN32_FIND_DATAA> entries;
  std::string pattern = PathJoin(folder, "*");
  if (folder.empty() || pattern.empty()) return entries;
  WIN32_FIND_DATAA data{};
  UniqueFindHandle find(::FindFirstFileA(pattern.c_str(), &data));
  if (!find) return entries;
  do {
    if (std::string(data.cFileName) == "." || std::string(data.cFileName) == "..") continue;
    entries.push_back(data);
  } while (::FindNextFileA(find.get(), &data));
  return entries;
}

}  // namespace memo
