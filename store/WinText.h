// Window text helpers: the window text carries identity (page, note name).
#pragma once

#include <windows.h>

#include <string>

namespace memo {

std::string HwndGetText(HWND hwnd);
std::string HwndGetClass(HWND hwnd);
// A message box in the program's form: the message, and "\r\n\r\n" + detail
// when a detail is given.
int ShowError(HWND owner, const std::string& message, const std::string& detail = std::string());
constexpr char kProductName[] = "Memopane";

}  // namespace memo
