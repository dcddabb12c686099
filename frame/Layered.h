// SetLayeredWindowAttributes, looked up in user32.dll once before the entry
// point runs. Empty on systems without layered windows: every transparency
// feature is then skipped.
#pragma once

#include <windows.h>

namespace memo {

using SetLayeredWindowAttributesFn = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);

SetLayeredWindowAttributesFn LayeredFunction();

// Makes the window layered with the opacity of a stored Alpha (per cent of
// transparency), or takes the layered style off for 0. Nothing happens on
// systems without layered windows.
void ApplyTransparency(HWND hwnd, int storedAlpha);

}  // namespace memo
