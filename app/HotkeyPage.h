// The shortcut key page of the main bar's property sheet: sets or clears
// each system-wide hotkey and says which one another program holds.
#pragma once

#include <windows.h>

namespace memo {

INT_PTR CALLBACK HotkeyPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace memo
