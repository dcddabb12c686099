// The shared tooltip window.
#include "frame/Tooltip.h"

#include <commctrl.h>

#include "frame/CommonControls.h"

namespace memo {

HWND SharedTooltip() {
  static HWND tooltip = nullptr;
  if ((!tooltip || !::IsWindow(tooltip)) && EnsureCommonControls()) {
    tooltip = ::CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, TTS_ALWAYSTIP | TTS_NOPREFIX,
                                0, 0, 0, 0, nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
  }
  return tooltip;
}

void SetTooltip(HWND owner, HWND tool, const char* text) {
  if (!text) return;
  HWND tooltip = SharedTooltip();
  if (!tooltip) return;
  TTTOOLINFOA info{};
  info.cbSize = TTTOOLINFOA_V2_SIZE;
  info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  info.hwnd = owner;
  info.uId = reinterpret_cast<UINT_PTR>(tool);
  info.hinst = reinterpret_cast<HINSTANCE>(::GetWindowLongPtrA(owner, GWLP_HINSTANCE));
  info.lpszText = const_cast<char*>(text);
  TTTOOLINFOA existing = info;
  existing.lpszText = nullptr;  // the query must not copy text into our constant
  bool exists = ::SendMessageA(tooltip, TTM_GETTOOLINFOA, 0, reinterpret_cast<LPARAM>(&existing)) != 0;
  ::SendMessageA(tooltip, exists ? TTM_SETTOOLINFOA : TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info));
}

}  // namespace memo
