// Choosing items of the program's pop-up menus from the test process.
//
// Under Wine a pop-up menu's HMENU cannot be read from another process, so
// items are chosen as a keyboard user would: mnemonic characters and arrow
// keys posted to the menu window. The menu's modal loop reads every keyboard
// message of its thread's queue, so the menu window is only an address.
//
// How to use:
//   ::PostMessageA(bar, WM_CONTEXTMENU, (WPARAM) bar, MAKELPARAM(10, 10));
//   HWND menu = WaitPopupMenu(app.pid());
//   MenuPostChar(menu, 'n');                  // "新規作成(&N)"
//   menu = WaitPopupMenu(app.pid(), 2);       // its sub-menu
//   MenuPostChar(menu, 't');                  // "テキスト付箋(&T)"
//   EXPECT_TRUE(WaitNoPopupMenu(app.pid()));
#pragma once

#include <windows.h>

#include <vector>

namespace memo::test {

// The visible menu windows ("#32768") of a process.
std::vector<HWND> PopupMenus(DWORD pid);

// Waits until the process shows at least count menu windows; returns one of
// them, or nullptr after ms.
HWND WaitPopupMenu(DWORD pid, size_t count = 1, DWORD ms = 5000);

// Waits until the process shows no menu window.
bool WaitNoPopupMenu(DWORD pid, DWORD ms = 5000);

// A mnemonic: the menu carries out (or opens) the item with that letter.
void MenuPostChar(HWND menu, char letter);
// A navigation key (VK_DOWN, VK_RETURN, VK_ESCAPE ...).
void MenuPostKey(HWND menu, UINT virtualKey);

}  // namespace memo::test
