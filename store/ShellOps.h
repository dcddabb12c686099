// The shell's file operation, through which every user-visible delete,
// move, copy and rename goes, so that deletions land in the Recycle Bin and
// the shell asks and reports in its own dialogs.
#pragma once

#include <windows.h>

#include <string>

namespace memo {

// True only when the shell reports success and the user did not cancel.
bool ShellRename(HWND owner, const std::string& from, const std::string& to);
bool ShellMove(HWND owner, const std::string& from, const std::string& to);
bool ShellCopy(HWND owner, const std::string& from, const std::string& to);
bool ShellDelete(HWND owner, const std::string& path);  // to the Recycle Bin

}  // namespace memo
