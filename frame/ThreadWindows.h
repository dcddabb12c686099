// Operations over the top-level windows of the user-interface thread.
#pragma once

#include <windows.h>

#include <vector>

namespace memo {

// All top-level windows of this thread, in the system's order.
std::vector<HWND> ThreadWindows();

// The first visible window without parent other than except.
HWND FindOtherWindow(HWND except);

// Raises every visible window without parent whose note style lacks 0x200:
// an edge bar is told to restore its note (without animation), any other
// window moves to the top of the z-order without activation.
// Their order among themselves stays as it was.
void BringAllToTop();

// Sends the refresh message to every visible window without parent.
void BroadcastRefresh(WPARAM wParam);

// Sends WM_CLOSE to every edge bar and note window of this thread.
void CloseNotes();

// The mini notes of an owner: popup windows of this thread owned by it.
std::vector<HWND> MiniNotesOf(HWND owner);

}  // namespace memo
