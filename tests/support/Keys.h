// Typing into the program's controls from the test process.
//
// Keys are posted to the control as WM_KEYDOWN and WM_KEYUP, so that the
// program's own message loop translates them into characters as it does
// for a user's typing. Characters that need a shift state are posted as
// WM_CHAR. Japanese text goes in with EM_REPLACESEL: Wine's edit control,
// created through the ANSI functions, takes only one byte of a double-byte
// character from each WM_CHAR.
#pragma once

#include <windows.h>

#include <string>

namespace memo::test {

// Makes the top-level window the foreground window; true once it is.
bool BringToForeground(HWND hwnd, DWORD ms = 5000);

// One press and release of a virtual key, posted to the control.
void PostKey(HWND control, UINT virtualKey);

// Types ASCII text into an edit control: lower-case letters, digits, space,
// "\n" (Enter) and "\t" (Tab) as key presses, every other character as
// WM_CHAR. Waits for each character to arrive before the next, since the
// characters that the program translates from key presses join the end of
// its queue. False when a character did not arrive.
bool PostTyping(HWND edit, const std::string& ascii);

// Replaces the selection of an edit control with CP932 text, as an input
// method does when it commits a conversion.
void InsertText(HWND edit, const std::string& text);

}  // namespace memo::test
