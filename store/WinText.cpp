// Window text helpers.
#include "store/WinText.h"

#include <vector>

#include "store/Paths.h"

namespace memo {

std::string HwndGetText(HWND hwnd) {
  int length = ::GetWindowTextLengthA(hwnd);
  if (length <= 0) return std::string();
  std::vector<char> buffer(static_cast<size_t>(length) + 1);
  int copied = ::GetWindowTextA(hwnd, buffer.data(), static_cast<int>(buffer.size()));
  return std::string(buffer.data(), copied > 0 ? static_cast<size_t>(copied) : 0);
}

std::wstring HwndGetTextW(HWND hwnd, size_t maxChars) {
  int length = ::GetWindowTextLengthW(hwnd);
  if (length <= 0 || static_cast<size_t>(length) > maxChars) return std::wstring();
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  int copied = ::GetWindowTextW(hwnd, &text[0], length + 1);
  text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
  return text;
}

std::string HwndGetClass(HWND hwnd) {
  char name[256] = {};
  int length = ::GetClassNameA(hwnd, name, sizeof(name));
  return std::string(name, length > 0 ? static_cast<size_t>(length) : 0);
}

std::string ShortenForDisplay(const std::string& text, size_t maxBytes) {
  if (text.size() <= maxBytes) return text;
  // Start bytes of the characters, so that no cut splits a double-byte one.
  std::vector<size_t> starts;
  for (size_t i = 0; i < text.size(); i += IsLeadByteAt(text, i) ? 2 : 1) starts.push_back(i);
  starts.push_back(text.size());
  size_t headBudget = maxBytes * 3 / 5;
  size_t head = 0;
  for (size_t start : starts) {
    if (start > headBudget) break;
    head = start;
  }
  size_t tailBudget = maxBytes - head;
  size_t tail = text.size();
  for (auto it = starts.rbegin(); it != starts.rend(); ++it) {
    if (text.size() - *it > tailBudget) break;
    tail = *it;
  }
  return text.substr(0, head) + "..." + text.substr(tail);
}

int ShowError(HWND owner, const std::string& message, const std::string& detail) {
  std::string text = message;
  if (!detail.empty()) text += "\r\n\r\n" + ShortenForDisplay(detail);
  return ::MessageBoxA(owner, text.c_str(), kProductName, MB_ICONERROR);
}

}  // namespace memo
