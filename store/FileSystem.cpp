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

namespace {

// The name in the system code page, only when it converts there and back
// unchanged. A name the code page cannot hold ("emoji 😀", "Ünïcödé") would
// come out of the ANSI find functions as "emoji ??" or a best-fit "Unicode":
// a name that opens nothing, or another entry.
bool NarrowExactly(const wchar_t* wide, char* out, int outBytes) {
  int bytes = ::WideCharToMultiByte(CP_ACP, 0, wide, -1, out, outBytes, nullptr, nullptr);
  if (bytes <= 0) return false;
  wchar_t back[MAX_PATH];
  int chars = ::MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, out, -1, back, MAX_PATH);
  return chars > 0 && ::lstrcmpW(back, wide) == 0;
}

std::wstring Widen(const std::string& text) {
  int chars = ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  if (chars <= 0) return std::wstring();
  std::wstring wide(static_cast<size_t>(chars), L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], chars);
  wide.resize(static_cast<size_t>(chars - 1));
  return wide;
}

}  // namespace

std::vector<WIN32_FIND_DATAA> ListFolder(const std::string& folder) {
  std::vector<WIN32_FIND_DATAA> entries;
  std::string pattern = PathJoin(folder, "*");
  if (folder.empty() || pattern.empty()) return entries;
  std::wstring widePattern = Widen(pattern);
  if (widePattern.empty()) return entries;
  WIN32_FIND_DATAW wide{};
  UniqueFindHandle find(::FindFirstFileW(widePattern.c_str(), &wide));
  if (!find) return entries;
  do {
    if (::lstrcmpW(wide.cFileName, L".") == 0 || ::lstrcmpW(wide.cFileName, L"..") == 0) continue;
    WIN32_FIND_DATAA data{};
    if (!NarrowExactly(wide.cFileName, data.cFileName, sizeof(data.cFileName))) continue;
    ::WideCharToMultiByte(CP_ACP, 0, wide.cAlternateFileName, -1, data.cAlternateFileName,
                          sizeof(data.cAlternateFileName), nullptr, nullptr);
    data.dwFileAttributes = wide.dwFileAttributes;
    data.ftCreationTime = wide.ftCreationTime;
    data.ftLastAccessTime = wide.ftLastAccessTime;
    data.ftLastWriteTime = wide.ftLastWriteTime;
    data.nFileSizeHigh = wide.nFileSizeHigh;
    data.nFileSizeLow = wide.nFileSizeLow;
    data.dwReserved0 = wide.dwReserved0;
    data.dwReserved1 = wide.dwReserved1;
    entries.push_back(data);
  } while (::FindNextFileW(find.get(), &wide));
  return entries;
}

}  // namespace memo
