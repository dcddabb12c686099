// The application settings page of the main bar's property sheet: the root
// folder of the note store, start at logon, animation of minimizing and
// restoring, and the splash window at start.
#pragma once

#include <windows.h>

#include <string>

namespace memo {

INT_PTR CALLBACK SettingsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

// True when path names a folder strictly below folder (both full paths;
// "\" and "/" alike, letters compared without regard to case, double-byte
// characters exactly). A root folder there would list the old store as one
// of its pages.
bool IsBelowFolder(const std::string& path, const std::string& folder);

}  // namespace memo
