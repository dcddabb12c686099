// Typing into the program's controls from the test process.
#include "tests/support/Keys.h"

#include "tests/support/AppDriver.h"

namespace memo::test {

bool BringToForeground(HWND hwnd, DWORD ms) {
  return WaitUntil(
      [&] {
        if (::GetForegroundWindow() == hwnd) return true;
        ::SetForegroundWindow(hwnd);
        return false;
      },
      ms);
}

void PostKey(HWND control, UINT virtualKey) {
  UINT scan = ::MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC);
  ::PostMessageA(control, WM_KEYDOWN, virtualKey, 1 | (scan << 16));
  ::PostMessageA(control, WM_KEYUP, virtualKey, 1 | (scan << 16) | 0xC0000000u);
}

bool PostTyping(HWND edit, const std::string& ascii) {
  for (char c : ascii) {
    std::string before = WindowText(edit);
    if (c >= 'a' && c <= 'z') {
      PostKey(edit, static_cast<UINT>(c - 'a' + 'A'));
    } else if ((c >= '0' && c <= '9')) {
      PostKey(edit, static_cast<UINT>(c));
    } else if (c == ' ') {
      PostKey(edit, VK_SPACE);
    } else if (c == '\n') {
      PostKey(edit, VK_RETURN);
    } else if (c == '\t') {
      PostKey(edit, VK_TAB);
    } else {
      ::PostMessageA(edit, WM_CHAR, static_cast<unsigned char>(c), 1);
    }
    if (!WaitUntil([&] { return WindowText(edit) != before; }, 3000)) return false;
  }
  return true;
}

void InsertText(HWND edit, const std::string& text) {
  DWORD_PTR result = 0;
  ::SendMessageTimeoutA(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()), SMTO_NORMAL,
                        kDefaultWaitMs, &result);
}

}  // namespace memo::test
