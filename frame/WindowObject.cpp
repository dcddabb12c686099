// Window objects and the registration of the program's window classes.
#include "frame/WindowObject.h"

#include <cstring>

namespace memo {

LRESULT WindowObject::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return ::DefWindowProcA(hwnd, message, wParam, lParam);
}

LRESULT SafeResultAfterException(UINT message) { return message == WM_CREATE ? -1 : 0; }

ClassRegistrar::ClassRegistrar(const char* className, UINT classStyle, int iconId,
                               WNDPROC windowProc, int cursorId) {
  size_t length = std::strlen(className);
  name_ = new char[length + 1];
  std::memcpy(name_, className, length + 1);

  HINSTANCE instance = ::GetModuleHandleA(nullptr);
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof(wc);
  wc.style = classStyle;
  wc.lpfnWndProc = windowProc;
  wc.hInstance = instance;
  wc.hIcon = iconId ? ::LoadIconA(instance, MAKEINTRESOURCEA(iconId)) : nullptr;
  // Given no small icon, the system makes one from the large icon for every
  // class, which costs the start of the program a few milliseconds a
  // class; the shared small image of the same resource is what it would
  // pick, loaded once for all of them.
  if (iconId) {
    wc.hIconSm = static_cast<HICON>(::LoadImageA(instance, MAKEINTRESOURCEA(iconId), IMAGE_ICON,
                                                 ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON),
                                                 LR_SHARED));
  }
  wc.hCursor = cursorId ? ::LoadCursorA(instance, MAKEINTRESOURCEA(cursorId)) : nullptr;
  if (!wc.hCursor) {
    // Not one of ours: a system cursor with that id (IDC_APPSTARTING).
    wc.hCursor = ::LoadCursorA(nullptr, cursorId ? MAKEINTRESOURCEA(cursorId) : reinterpret_cast<LPCSTR>(IDC_ARROW));
  }
  // Every window paints its own background in WM_ERASEBKGND.
  wc.hbrBackground = static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH));
  wc.lpszClassName = name_;
  atom_ = ::RegisterClassExA(&wc);
}

ClassRegistrar::~ClassRegistrar() { delete[] name_; }

}  // namespace memo
