// Files, folders, ini values and registry values for tests.
#include "tests/support/TestFiles.h"

#include <shlobj.h>

#include <algorithm>
#include <cstdio>

#include "tests/support/AppDriver.h"

namespace memo::test {

std::string TempDir() {
  char buffer[MAX_PATH] = {};
  DWORD n = ::GetTempPathA(MAX_PATH, buffer);
  std::string dir(buffer, n);
  while (!dir.empty() && (dir.back() == '\\' || dir.back() == '/')) dir.pop_back();
  return dir;
}

std::string Join(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  return folder + "\\" + name;
}

TempFolder::TempFolder(const std::string& prefix) {
  static unsigned counter = 0;
  for (;;) {
    char name[64];
    std::snprintf(name, sizeof(name), "%s-%lu-%u-%lu", prefix.c_str(), ::GetCurrentProcessId(),
                  ++counter, ::GetTickCount());
    path_ = Join(TempDir(), name);
    if (::CreateDirectoryA(path_.c_str(), nullptr)) break;
  }
}

TempFolder::~TempFolder() { DeleteTree(path_); }

std::string TempFolder::operator/(const std::string& relative) const { return Join(path_, relative); }

bool WriteBytes(const std::string& path, const std::string& bytes) {
  HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  BOOL ok = bytes.empty() ||
            ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  ::CloseHandle(file);
  return ok && written == bytes.size();
}

std::optional<std::string> ReadBytes(const std::string& path) {
  HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string bytes;
  char buffer[4096];
  DWORD got = 0;
  while (::ReadFile(file, buffer, sizeof(buffer), &got, nullptr) && got > 0) bytes.append(buffer, got);
  ::CloseHandle(file);
  return bytes;
}

bool FileExists(const std::string& path) {
  DWORD a = ::GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::string& path) {
  DWORD a = ::GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool MakeFolder(const std::string& path) {
  if (FolderExists(path)) return true;
  size_t cut = path.find_last_of('\\');
  if (cut != std::string::npos && cut > 2) MakeFolder(path.substr(0, cut));
  return ::CreateDirectoryA(path.c_str(), nullptr) != FALSE;
}

void DeleteTree(const std::string& path) {
  DWORD a = ::GetFileAttributesA(path.c_str());
  if (a == INVALID_FILE_ATTRIBUTES) return;
  if (a & FILE_ATTRIBUTE_READONLY) ::SetFileAttributesA(path.c_str(), a & ~FILE_ATTRIBUTE_READONLY);
  if (!(a & FILE_ATTRIBUTE_DIRECTORY)) {
    ::DeleteFileA(path.c_str());
    return;
  }
  for (const std::string& name : ListNames(path)) DeleteTree(Join(path, name));
  ::RemoveDirectoryA(path.c_str());
}

std::vector<std::string> ListNames(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA data;
  HANDLE find = ::FindFirstFileA(Join(folder, "*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    std::string name = data.cFileName;
    if (name != "." && name != "..") names.push_back(name);
  } while (::FindNextFileA(find, &data));
  ::FindClose(find);
  std::sort(names.begin(), names.end());
  return names;
}

std::string IniGet(const std::string& file, const char* section, const char* key, const char* def) {
  char buffer[4096] = {};
  ::GetPrivateProfileStringA(section, key, def, buffer, sizeof(buffer), file.c_str());
  return buffer;
}

void IniSet(const std::string& file, const char* section, const char* key, const char* value) {
  ::WritePrivateProfileStringA(section, key, value, file.c_str());
  ::WritePrivateProfileStringA(nullptr, nullptr, nullptr, file.c_str());
}

std::optional<std::string> RegGet(const char* key, const char* value) {
  HKEY hkey;
  if (::RegOpenKeyExA(HKEY_CURRENT_USER, key, 0, KEY_QUERY_VALUE, &hkey) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  char buffer[1024] = {};
  DWORD size = sizeof(buffer) - 1, type = 0;
  LONG rc = ::RegQueryValueExA(hkey, value, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
  ::RegCloseKey(hkey);
  if (rc != ERROR_SUCCESS) return std::nullopt;
  return std::string(buffer);
}

std::optional<DWORD> RegGetType(const char* key, const char* value) {
  HKEY hkey;
  if (::RegOpenKeyExA(HKEY_CURRENT_USER, key, 0, KEY_QUERY_VALUE, &hkey) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  DWORD type = 0;
  LONG rc = ::RegQueryValueExA(hkey, value, nullptr, &type, nullptr, nullptr);
  ::RegCloseKey(hkey);
  if (rc != ERROR_SUCCESS) return std::nullopt;
  return type;
}

void RegSet(const char* key, const char* value, const std::string& data) {
  HKEY hkey;
  if (::RegCreateKeyExA(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &hkey,
                        nullptr) != ERROR_SUCCESS) {
    return;
  }
  ::RegSetValueExA(hkey, value, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                   static_cast<DWORD>(data.size() + 1));
  ::RegCloseKey(hkey);
}

void RegDelete(const char* key, const char* value) {
  HKEY hkey;
  if (::RegOpenKeyExA(HKEY_CURRENT_USER, key, 0, KEY_SET_VALUE, &hkey) != ERROR_SUCCESS) return;
  ::RegDeleteValueA(hkey, value);
  ::RegCloseKey(hkey);
}

RegValueGuard::RegValueGuard(const char* key, const char* value)
    : key_(key), value_(value), saved_(RegGet(key, value)) {}

RegValueGuard::~RegValueGuard() {
  if (saved_) {
    RegSet(key_.c_str(), value_.c_str(), *saved_);
  } else {
    RegDelete(key_.c_str(), value_.c_str());
  }
}

std::string DocumentsFolder() {
  char buffer[MAX_PATH] = {};
  ::SHGetFolderPathA(nullptr, CSIDL_PERSONAL | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, buffer);
  return buffer;
}

std::string FinalName(const std::string& path) {
  HANDLE file = ::CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "";
  char buffer[1024] = {};
  DWORD length = ::GetFinalPathNameByHandleA(file, buffer, sizeof(buffer), FILE_NAME_NORMALIZED);
  ::CloseHandle(file);
  std::string final(buffer, length < sizeof(buffer) ? length : 0);
  return final.substr(final.rfind('\\') + 1);
}

bool MakeSymbolicLink(const std::string& folder, const char* link, const char* target) {
  if (!RunningUnderWine()) {
    return ::CreateSymbolicLinkA(Join(folder, link).c_str(), Join(folder, target).c_str(),
                                 SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE) != FALSE;
  }
  std::string unixTarget = target;
  std::replace(unixTarget.begin(), unixTarget.end(), '\\', '/');
  std::string command = "ln -s " + unixTarget + " " + link;
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  if (!::CreateProcessA("Z:\\bin\\ln", &command[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                        &process)) {
    return false;
  }
  // The handle of a Unix program may end before the program has run.
  ::WaitForSingleObject(process.hProcess, 10000);
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  std::string targetName = target;
  targetName.erase(0, targetName.find_last_of("\\/") + 1);
  return WaitUntil([&] { return FinalName(Join(folder, link)) == targetName; }, 5000);
}

}  // namespace memo::test
