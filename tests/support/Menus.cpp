// Choosing items of the program's pop-up menus from the test process.
#include "tests/support/Menus.h"

#include "tests/support/AppDriver.h"

namespace memo::test {

std::vector<HWND> PopupMenus(DWORD pid) {
  std::vector<HWND> found;
  for (HWND hwnd : TopLevelWindows()) {
    DWORD owner = 0;
    ::GetWindowThreadProcessId(hwnd, &owner);
    if (owner == pid && ::IsWindowVisible(hwnd) && ClassOf(hwnd) == "#32768") found.push_back(hwnd);
  }
  return found;
}

HWND WaitPopupMenu(DWORD pid, size_t count, DWORD ms) {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        std::vector<HWND> menus = PopupMenus(pid);
        if (menus.size() < count) return false;
        found = menus.front();
        return true;
      },
      ms);
  if (found) PumpFor(50);  // let the menu finish drawing before keys arrive
  return found;
}

bool WaitNoPopupMenu(DWORD pid, DWORD ms) {
  return WaitUntil([&] { return PopupMenus(pid).empty(); }, ms);
}

void MenuPostChar(HWND menu, char letter) {
  ::PostMessageA(menu, WM_CHAR, static_cast<unsigned char>(letter), 1);
}

void MenuPostKey(HWND menu, UINT virtualKey) {
  UINT scan = ::MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC);
  ::PostMessageA(menu, WM_KEYDOWN, virtualKey, 1 | (scan << 16));
  ::PostMessageA(menu, WM_KEYUP, virtualKey, 1 | (scan << 16) | 0xC0000000u);
}

}  // namespace memo::test
