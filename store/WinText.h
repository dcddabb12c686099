// Window text helpers: the window text carries identity (page, note name).
#pragma once

#include <windows.h>

#include <string>

namespace memo {

std::string HwndGetText(HWND hwnd);
// The text of a Unicode window (a text note's body, the search window's
// controls); "" for one longer than maxChars.
std::wstring HwndGetTextW(HWND hwnd, size_t maxChars = static_cast<size_t>(-1));
std::string HwndGetClass(HWND hwnd);
// A text cut to at most maxBytes plus "..." in its middle (keeping its start
// and, for a path, its file name), never inside a double-byte character. A
// box built from an over-long name would otherwise be wider than the screen,
// with its title and buttons off it.
std::string ShortenForDisplay(const std::string& text, size_t maxBytes = 100);
// A message box in the program's form: the message, and "\r\n\r\n" + detail
// (shortened for display) when a detail is given.
int ShowError(HWND owner, const std::string& message, const std::string& detail = std::string());
constexpr char kProductName[] = "Memopane";

}  // namespace memo
