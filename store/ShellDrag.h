// Dragging one shell item out of the program to any drop target: the
// program's own data object and drop source, with the item offered as a
// "Shell IDList Array" and, when it has a path, as CF_HDROP.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include "store/Handles.h"

namespace memo {

// The data object that the drag offers for the item: the item as a
// one-item "Shell IDList Array", and as CF_HDROP when it has a path.
ComPtr<IDataObject> ShellItemData(PCIDLIST_ABSOLUTE idl);

// Runs the drag of the item (an absolute item id list, not taken over) until
// it ends; the effect the target chose, DROPEFFECT_NONE when nothing was
// dropped or the drag could not start.
DWORD DragShellItem(PCIDLIST_ABSOLUTE idl);

}  // namespace memo
