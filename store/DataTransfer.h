// Readers and builders of the shell's drag-and-drop and clipboard blocks.
// The bytes read come from other programs: every offset, count, size and
// terminator is checked against the block before it is followed.
#pragma once

#include <windows.h>
#include <shellapi.h>
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

// "FileGroupDescriptor" (ANSI): the file name of the first descriptor, or
// false when the block does not hold the descriptors its count announces or
// the name has no terminator.
bool FirstNameFromFileGroup(const unsigned char* data, size_t size, std::string* name);

// "UniformResourceLocator": the text up to its terminator, or false when
// there is none inside the block or the text holds control characters (a
// line break would add lines to the shortcut file it is written to).
bool UrlFromBytes(const unsigned char* data, size_t size, std::string* url);

// The name a drag source proposes for a file reduced to a plain file name:
// only its last part, no drive, forbidden and control characters as "_",
// no trailing dots or spaces, device names such as "CON" prefixed with "_".
// "" when nothing is left (".." among others).
std::string PlainFileName(const std::string& proposed);

// A "Shell IDList Array" for one item: the parent folder's list and the
// item's own list, each without its terminator.
std::vector<unsigned char> CidaForOneItem(const IdlBytes& parent, const IdlBytes& item);

// An ANSI CF_HDROP block for the paths.
std::vector<unsigned char> DropFilesFor(const std::vector<std::string>& paths);

// The items of an absolute list (ours, from the shell) but the last, and the
// last (both empty for the desktop's empty list); false for no list.
bool SplitLastItem(PCIDLIST_ABSOLUTE idl, IdlBytes* parent, IdlBytes* last);

// Zeroed movable global memory holding the bytes.
GlobalMem GlobalFromBytes(const std::vector<unsigned char>& bytes);

// The registered formats "Shell IDList Array", "UniformResourceLocator" and
// "FileGroupDescriptor".
CLIPFORMAT ShellIdListClipFormat();
CLIPFORMAT UrlClipFormat();
CLIPFORMAT FileGroupClipFormat();

// Whether the data object offers the format in global memory.
bool OffersHGlobal(IDataObject* data, CLIPFORMAT format);

// A copy of the format's global memory, bounded by the block's size; false
// when it is not offered.
bool GetHGlobalBytes(IDataObject* data, CLIPFORMAT format, std::vector<unsigned char>* bytes);

// The paths of an HDROP, read as CF_HDROP bytes bounded by its size.
std::vector<std::string> FilesFromHDrop(HDROP drop);

// A copy in COM task memory with the two-byte terminator appended.
CoTaskMem<ITEMIDLIST> IdlFromBytes(const IdlBytes& bytes);

// A path parsed by the desktop folder, or empty.
CoTaskMem<ITEMIDLIST> IdlFromPath(const std::string& path);

}  // namespace memo
