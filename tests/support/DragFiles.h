// Files dragged and dropped with the real mouse, as a file manager drags
// them: the shell's own data object, moved by real input from a window of
// the test onto a window of the program.
//
// How to use (OLE initialised on this thread):
//   DWORD effect = DragFilesOnto(note, folder.path(), {"a.txt", "b.gif"});
#pragma once

#include <windows.h>
#include <objidl.h>

#include <string>
#include <vector>

namespace memo::test {

// The shell's data object for files of one folder (an ASCII path), or
// nullptr; the caller releases it.
IDataObject* ShellDataObject(const std::string& folder, const std::vector<std::string>& names);

// Drags the files onto the middle of target and drops them there; the
// effect that the target chose, or 0xFFFFFFFF when there was nothing to drag.
DWORD DragFilesOnto(HWND target, const std::string& folder, const std::vector<std::string>& names);

// Drags a data object of the test's own (a browser's web link, say) with
// the real mouse and drops it at a point of the screen; the effect that the
// target chose. With restMs the pointer rests there that long, stirring by
// a pixel, before the drop.
DWORD DragDataTo(IDataObject* data, POINT at, DWORD restMs = 0);

}  // namespace memo::test
