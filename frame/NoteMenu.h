// What the context menus of the notes share: where a menu opens, and the
// commands every note's menu ends with.
#pragma once

#include <windows.h>

#include "frame/Messages.h"

namespace memo {

// Where the menu of a WM_CONTEXTMENU opens: the point it carries, or the
// cursor's position for one from the keyboard (lParam -1).
inline POINT ContextMenuPoint(LPARAM point) {
  POINT at{static_cast<short>(LOWORD(point)), static_cast<short>(HIWORD(point))};
  if (point == -1) ::GetCursorPos(&at);
  return at;
}

// "複製(&D)", a separator and "プロパティ(&R)", the end of every note's menu.
inline void MenuAppendNoteCommands(HMENU menu) {
  ::AppendMenuA(menu, MF_STRING, kCmdDuplicate, "複製(&D)");
  ::AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  ::AppendMenuA(menu, MF_STRING, kCmdProperties, "プロパティ(&R)");
}

}  // namespace memo
