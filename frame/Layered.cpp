// The program-wide layered-window function pointer.
#include "frame/Layered.h"

#include "frame/Colors.h"

namespace memo {
namespace {

SetLayeredWindowAttributesFn LookUpLayered() {
  HMODULE user32 = ::GetModuleHandleA("user32.dll");
  if (!user32) return nullptr;
  return reinterpret_cast<SetLayeredWindowAttributesFn>(
      reinterpret_cast<void*>(::GetProcAddress(user32, "SetLayeredWindowAttributes")));
}

const SetLayeredWindowAttributesFn gLayered = LookUpLayered();

}  // namespace

SetLayeredWindowAttributesFn LayeredFunction() { return gLayered; }

void ApplyTransparency(HWND hwnd, int storedAlpha) {
  if (!gLayered) return;
  int alpha = ClampAlpha(storedAlpha);
  LONG exStyle = ::GetWindowLongA(hwnd, GWL_EXSTYLE);
  if (alpha > 0) {
    if (!(exStyle & WS_EX_LAYERED)) ::SetWindowLongA(hwnd, GWL_EXSTYLE, exStyle | WS_EX_LAYERED);
    gLayered(hwnd, 0, OpacityFromAlpha(alpha), LWA_ALPHA);
  } else if (exStyle & WS_EX_LAYERED) {
    ::SetWindowLongA(hwnd, GWL_EXSTYLE, exStyle & ~WS_EX_LAYERED);
  }
}

}  // namespace memo
