// Window text helpers.
#include "store/WinText.h"

#include <vector>

namespace memo {

std::string HwndGetText(HWND hwnd) {
  int length = ::GetWindowTextLengthA(hwnd);
  if (length <= 0) return std::string();
  std::vector<char> buffer(static_cast<size_t>(length) + 1);
  int copied = ::GetWindowTextA(hwnd, buffer.data(), static_cast<int>(buffer.size()));
  return std::string(buffer.data(), copied > 0 ? static_cast<size_t>(copied) : 0);
}

std::string HwndGetClass(HWND hwnd) {
  char name[256] = {};
  int length = ::GetClassNameA(hwnd, name, sizeof(name));
  return std::string(name, length > 0 ? static_cast<size_t>(length) : 0);
}

int ShowError(HWND owner, const std::string& message, const std::string& detail) {
  std::string text = message;
  if (!detail.empty()) text += "\r\n\r\n" + detail;
  return ::MessageBoxA(owner, text.c_str(), kProductName, MB_ICONERROR);
}

}  // namespace memo
