// The main bar window.
#include "app/MainBar.h"

#include "frame/ClassNames.h"
#include "frame/Messages.h"
#include "resources/resource.h"
#include "store/Handles.h"

namespace memo {
namespace {

const ClassRegistrar kRegistrar(kClassMain, CS_DBLCLKS, IDI_APP, &Dispatch<MainBar>);

}  // namespace

LRESULT MainBar::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      return OnCreate(hwnd);
    case WM_DESTROY:
      OnDestroy(hwnd);
      return 0;
    case WM_ERASEBKGND:
      Paint(hwnd, reinterpret_cast<HDC>(wParam));
      return 1;
    case WM_COMMAND:
      return OnCommand(hwnd, LOWORD(wParam));
  }
  return WindowObject::WindowProc(hwnd, message, wParam, lParam);
}

LRESULT MainBar::OnCreate(HWND hwnd) {
  ::SetPropA(hwnd, "ColorText", reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(0)));
  ::SetPropA(hwnd, "ColorBG", reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(0xFFFFFF)));
  return 0;
}

void MainBar::OnDestroy(HWND hwnd) {
  ::RemovePropA(hwnd, "ColorText");
  ::RemovePropA(hwnd, "ColorBG");
  ::PostQuitMessage(0);
}

void MainBar::Paint(HWND hwnd, HDC dc) {
  RECT client;
  ::GetClientRect(hwnd, &client);
  UniqueBrush brush(::CreateSolidBrush(
      static_cast<COLORREF>(reinterpret_cast<UINT_PTR>(::GetPropA(hwnd, "ColorBG")))));
  ::FillRect(dc, &client, brush.get());
}

LRESULT MainBar::OnCommand(HWND hwnd, int id) {
  switch (id) {
    case kCmdClose:
      ::PostMessageA(hwnd, WM_CLOSE, 0, 0);
      return 0;
    case kCmdSplash:
      // Until the splash window exists, show the bar as the splash would.
      if (!::IsWindowVisible(hwnd)) ::ShowWindow(hwnd, SW_SHOWNOACTIVATE);
      return 0;
    case kCmdBringToFront:
      return 0;
  }
  return 0;
}

}  // namespace memo
