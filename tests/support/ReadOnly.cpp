// The read-only attribute of files and folders for tests.
#include "tests/support/ReadOnly.h"

#include <windows.h>

#include "tests/support/TestFiles.h"

namespace memo::test {

bool IsReadOnly(const std::string& path) {
  DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

namespace {

// Wine's own export: the host path of a Windows path, allocated on the
// process heap. Missing on Windows.
using UnixNameFn = char*(CDECL*)(const WCHAR*);

std::string HostPath(const std::string& path) {
  auto fn = reinterpret_cast<UnixNameFn>(
      ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name"));
  if (!fn) return std::string();
  WCHAR wide[MAX_PATH] = {};
  if (!::MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH)) return std::string();
  char* unix = fn(wide);
  if (!unix) return std::string();
  std::string result = unix;
  ::HeapFree(::GetProcessHeap(), 0, unix);
  return result;
}

// Runs the host's chmod; Wine starts host programs given by their Z: path.
bool HostRemoveWritePermission(const std::string& path) {
  std::string host = HostPath(path);
  if (host.empty() || host.find('"') != std::string::npos) return false;
  std::string commandLine = "/bin/chmod a-w \"" + host + "\"";
  STARTUPINFOA si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  if (!::CreateProcessA("Z:\\bin\\chmod", &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi)) {
    return false;
  }
  // The handle of a host process cannot be waited for: watch its effect.
  if (pi.hThread) ::CloseHandle(pi.hThread);
  if (pi.hProcess) ::CloseHandle(pi.hProcess);
  for (int i = 0; i < 250 && !IsReadOnly(path); ++i) ::Sleep(20);
  return IsReadOnly(path);
}

}  // namespace

bool MakeReadOnly(const std::string& path) {
  DWORD attributes = ::GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  ::SetFileAttributesA(path.c_str(), attributes | FILE_ATTRIBUTE_READONLY);
  if (IsReadOnly(path)) return true;
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) && HostRemoveWritePermission(path) && IsReadOnly(path);
}

bool ClearReadOnly(const std::string& path) {
  DWORD attributes = ::GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  ::SetFileAttributesA(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
  return !IsReadOnly(path);
}

bool PlatformKeepsReadOnlyFolders() {
  TempFolder probe("ro-probe");
  DWORD attributes = ::GetFileAttributesA(probe.path().c_str());
  ::SetFileAttributesA(probe.path().c_str(), attributes | FILE_ATTRIBUTE_READONLY);
  bool kept = IsReadOnly(probe.path());
  ClearReadOnly(probe.path());
  return kept;
}

}  // namespace memo::test
