// Shortcut (.lnk) files through the shell's link object: reading the target
// of a shortcut and writing shortcuts to a path or to a shell item. COM must
// be initialised on the calling thread.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <string>

namespace memo {

// The file-system path a shortcut points to; "" when the file is no
// shortcut, is broken, or points to no file-system item.
std::string ResolveShortcut(const std::string& shortcutPath);

// Writes (or replaces) a shortcut; true when every step succeeded.
bool MakeShortcutToPath(const std::string& shortcutPath, const std::string& targetPath);
bool MakeShortcutToIdList(const std::string& shortcutPath, PCIDLIST_ABSOLUTE target);

}  // namespace memo
