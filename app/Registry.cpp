// String values under HKEY_CURRENT_USER.
#include "app/Registry.h"

#include "store/Handles.h"
#include "store/Paths.h"

namespace memo {

std::string RegReadString(HKEY root, const char* subKey, const char* value) {
  UniqueRegKey key;
  if (::RegOpenKeyExA(root, subKey, 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS) return {};
  char buffer[kMaxPathBytes + 1] = {};
  DWORD type = 0;
  DWORD size = kMaxPathBytes;  // one spare byte stays zero: a value stored without its terminator
  if (::RegQueryValueExA(key.get(), value, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) !=
          ERROR_SUCCESS ||
      type != REG_SZ) {
    return {};
  }
  std::string text(buffer, size < sizeof(buffer) ? size : sizeof(buffer) - 1);
  text.resize(std::char_traits<char>::length(text.c_str()));
  return FitsMaxPath(text) ? text : std::string();
}

bool RegWriteString(HKEY root, const char* subKey, const char* value, const std::string& data) {
  UniqueRegKey key;
  if (::RegCreateKeyExA(root, subKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.put(), nullptr) !=
      ERROR_SUCCESS) {
    return false;
  }
  return ::RegSetValueExA(key.get(), value, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                          static_cast<DWORD>(data.size() + 1)) == ERROR_SUCCESS;
}

bool RegDeleteValueOf(HKEY root, const char* subKey, const char* value) {
  UniqueRegKey key;
  if (::RegOpenKeyExA(root, subKey, 0, KEY_SET_VALUE, key.put()) != ERROR_SUCCESS) return false;
  return ::RegDeleteValueA(key.get(), value) == ERROR_SUCCESS;
}

std::string ProgramPath() {
  char path[kMaxPathBytes] = {};
  DWORD n = ::GetModuleFileNameA(nullptr, path, sizeof(path));
  return n > 0 && n < sizeof(path) ? std::string(path, n) : std::string();
}

bool AutoStartIsThisProgram() {
  std::string self = ProgramPath();
  return !self.empty() && RegReadString(HKEY_CURRENT_USER, kRunKey, kRunValue) == self;
}

bool SetAutoStart(bool on) {
  if (!on) return RegDeleteValueOf(HKEY_CURRENT_USER, kRunKey, kRunValue);
  std::string self = ProgramPath();
  return !self.empty() && RegWriteString(HKEY_CURRENT_USER, kRunKey, kRunValue, self);
}

}  // namespace memo
