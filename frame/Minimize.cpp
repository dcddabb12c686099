// Minimizing a note to an edge of the work area.
#include "frame/Minimize.h"

#include "frame/ClassNames.h"
#include "store/Settings.h"
#include "store/Store.h"

namespace memo {

void MinimizeToEdge(HWND note) {
  if (!::IsWindowVisible(note)) return;
  HWND bar = ::CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kClassEdgeBar, nullptr, WS_POPUP, 0, 0,
                               0, 0, nullptr, nullptr, ::GetModuleHandleA(nullptr), note);
  if (!bar) return;
  ::ShowWindow(bar, SW_SHOWNOACTIVATE);
  ::ShowWindow(note, SW_HIDE);
}

void Animate(HWND window, const RECT& from, const RECT& to) {
  if (IniReadInt(RootIniPath(), kSectionInfo, kKeyMinAnim, 1) == 0) return;
  ::DrawAnimatedRects(window, IDANI_CAPTION, &from, &to);
}

}  // namespace memo
