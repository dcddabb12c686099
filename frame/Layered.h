// SetLayeredWindowAttributes, looked up in user32.dll once before the entry
// point runs. Empty on systems without layered windows: every transparency
// feature is then skipped.
#pragma once

#include <windows.h>

namespace memo {

using SetLayeredWindowAttributesFn = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);

SetLayeredWindowAttributesFn LayeredFunction();

}  // namespace memo
