// The one tooltip window that all of the program's windows share.
#pragma once

#include <windows.h>

namespace memo {

// Adds or updates the tool (owner, tool window) with this text; none for a
// null text. The text must stay valid while the tool exists: pass constants
// or text that lives as long as the tool window.
void SetTooltip(HWND owner, HWND tool, const char* text);

// The shared tooltip window (created on first use).
HWND SharedTooltip();

}  // namespace memo
