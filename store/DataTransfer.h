// Readers of the shell's drag-and-drop and clipboard blocks. The bytes come
// from other programs: every offset and size is checked against the block
// before it is followed.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "store/Handles.h"

namespace memo {

using IdlBytes = std::vector<unsigned char>;  // an item id list without its terminator

// "Shell IDList Array" (CIDA): for each item, the parent folder's list
// followed by the item's list. A malformed block gives no items.
std::vector<IdlBytes> AbsoluteIdlsFromCida(const unsigned char* data, size_t size);

// CF_HDROP (DROPFILES, ANSI or wide): the paths in the system code page.
// Paths that would not fit 260 bytes, and wide paths that the code page
// cannot hold exactly, are skipped.
std::vector<std::string> FilesFromDropFiles(const unsigned char* data, size_t size);

// A copy in COM task memory with the two-byte terminator appended.
CoTaskMem<ITEMIDLIST> IdlFromBytes(const IdlBytes& bytes);

// A path parsed by the desktop folder, or empty.
CoTaskMem<ITEMIDLIST> IdlFromPath(const std::string& path);

}  // namespace memo
