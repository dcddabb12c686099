// Page and note file operations: names that may become page folders, the
// content of new notes, and moving, renaming and deleting notes together
// with their settings files.
#pragma once

#include <windows.h>

#include <string>

#include "store/Store.h"

namespace memo {

enum class PageNameCheck {
  kOk,
  kInvalid,   // a forbidden character, or no usable folder name on Windows
  kReserved,  // "common" in any letter case
};

// The eleven characters that a page name may not hold.
constexpr char kForbiddenPageChars[] = "\\/:,;*?\"<>|";

// Checks a non-empty page name. Besides the forbidden characters, names that
// Windows cannot use as a folder (device names such as CON or NUL, a
// trailing space or dot, control characters, a folder path over the limit)
// are invalid: they would make a page that cannot be reached again. So are
// names that do not read back the same from root.ini (a leading space, a
// pair of single quotes around the name).
PageNameCheck CheckPageName(const std::string& name, const std::string& rootFolder);

// The name rules of CheckPageName without the length of the folder path:
// whether a folder of this name can be opened as a page.
bool IsPageName(const std::string& name);

// The content of a new note: an empty file for text, image and calendar
// notes (an existing file stays), the folder for folder notes, and a URL of
// about:blank for browser notes. False when it could not be made. A settings
// file left at the path of a note that does not exist yet is set aside
// (renamed to ".ini.old"), so that the new note starts from the defaults.
bool CreateNoteContent(NoteKind kind, const std::string& path);

// Moves or renames the note oldName to newName with its settings file.
// Refused (false, nothing changed) when the old note is missing or the new
// path exists; false as well when the shell fails or the user cancels.
bool MoveNote(HWND owner, const std::string& oldName, const std::string& newName);

// Deletes the note (to the Recycle Bin) and its settings file.
bool DeleteNote(HWND owner, const std::string& noteName);

}  // namespace memo
