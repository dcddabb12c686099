// Message boxes shown once the message being handled is finished. A modal box
// must not run inside IDropTarget::Drop: the drag source (the shell, another
// program) waits in DoDragDrop until Drop returns, frozen for as long as the
// box is up.
//
// How to use, in place of ShowError or MessageBoxA in a drop handler:
//   PostErrorBox(hwnd, kCannotCopy, path);  // as ShowError would show it
//   PostMessageBox(hwnd, text, caption, MB_ICONWARNING);
// The box shows on the next pass of the thread's message loop, owned by the
// window if it still exists then and by no window otherwise. Its answer is
// lost: post only boxes that inform. Call these on the user-interface thread.
#pragma once

#include <windows.h>

#include <string>

namespace memo {

// False when the box could not be queued (no timer was left).
bool PostMessageBox(HWND owner, std::string text, std::string caption, UINT type);
bool PostErrorBox(HWND owner, const std::string& message, const std::string& detail = std::string());

}  // namespace memo
