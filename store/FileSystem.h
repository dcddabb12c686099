// Folders and files as the store sees them: existence tests, the root check
// that creates missing folders, listing in the file system's own order.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace memo {

bool PathExists(const std::string& path);
bool IsFolder(const std::string& path);

// Makes sure that the folder exists, creating missing parents first.
// An empty path, or a name without a folder part, fails.
bool CheckRoot(const std::string& path);

// Opens the file for writing (OPEN_ALWAYS, read sharing) and closes it: a new
// file is empty, an existing one is left as it was.
bool CreateEmptyFile(const std::string& path);

// The entries of a folder as find records in enumeration order, without "."
// and "..". An empty path or an unreadable folder gives an empty list.
// Entries whose names the system code page cannot hold are left out: no
// ANSI call could open them by name.
std::vector<WIN32_FIND_DATAA> ListFolder(const std::string& folder);

}  // namespace memo
