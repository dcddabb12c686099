// Caption buttons: hover procedure and painting.
#include "frame/CaptionButton.h"

#include "frame/Colors.h"
#include "frame/Tooltip.h"
#include "store/Handles.h"
#include "store/WinText.h"

namespace memo {
namespace {

// The procedure of the BUTTON class that every caption button had before
// the hover procedure replaced it. All of them are plain BUTTON windows made
// here and subclassed at once, so they share it; it is kept in one variable
// because a window property lookup on every message of every button costs a
// round trip to the window system.
WNDPROC gButtonProc = nullptr;

LRESULT CALLBACK HoverProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_MOUSEMOVE:
      if (!(wParam & MK_LBUTTON)) {
        if (::GetCapture() == button) {
          RECT client;
          ::GetClientRect(button, &client);
          POINT pt{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
          if (!::PtInRect(&client, pt)) ::ReleaseCapture();
        } else if (!::GetCapture()) {
          ::SetCapture(button);
          ::InvalidateRect(button, nullptr, FALSE);
        }
      }
      break;
    case WM_CAPTURECHANGED:
      ::InvalidateRect(button, nullptr, FALSE);
      break;
  }
  return gButtonProc ? ::CallWindowProcW(gButtonProc, button, message, wParam, lParam)
                     : ::DefWindowProcW(button, message, wParam, lParam);
}

void FillSolid(HDC dc, const RECT& r, COLORREF color) {
  UniqueBrush brush(::CreateSolidBrush(color));
  ::FillRect(dc, &r, brush.get());
}

void FrameSolid(HDC dc, const RECT& r, COLORREF color) {
  UniqueBrush brush(::CreateSolidBrush(color));
  ::FrameRect(dc, &r, brush.get());
}

void FillGradient(HDC dc, const RECT& r, COLORREF background) {
  for (int y = r.top; y < r.bottom; ++y) {
    UniquePen pen(::CreatePen(PS_SOLID, 1, ButtonGradientRow(background, r.top, r.bottom, y)));
    SelectScope select(dc, pen.get());
    ::MoveToEx(dc, r.left, y, nullptr);
    ::LineTo(dc, r.right, y);
  }
}

// The minimize button's "_" is drawn as a bar rather than as a glyph: some
// fonts put the underscore below the cell (the Japanese font that Wine
// substitutes for the GUI font does), and the button would look blank.
void DrawUnderscoreMark(HDC dc, const RECT& r, COLORREF color) {
  int width = r.right - r.left, height = r.bottom - r.top;
  int length = width * 2 / 5 > 3 ? width * 2 / 5 : 3;
  int thickness = height / 10 > 1 ? height / 10 : 1;
  int left = r.left + (width - length) / 2;
  int bottom = r.top + height * 3 / 4;
  FillSolid(dc, RECT{left, bottom - thickness, left + length, bottom}, color);
}

// Replaces the button's window procedure by the hover procedure. The
// procedure is a Unicode one, as the common controls' button is: one of the
// other character set would make the system change the window's kind too,
// one more round trip for every button. None of the messages it looks at
// carries text.
void SubclassCaptionButton(HWND button) {
  if (reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(button, GWLP_WNDPROC)) == &HoverProc) return;
  auto previous = reinterpret_cast<WNDPROC>(
      ::SetWindowLongPtrW(button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&HoverProc)));
  if (!gButtonProc) gButtonProc = previous;
}

}  // namespace

HWND CreateCaptionButton(HWND parent, int id, const char* text, const char* tooltip, const RECT& place,
                         bool visible) {
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS | BS_OWNERDRAW | (visible ? WS_VISIBLE : 0);
  // No notice to the parent: it would give the button the GUI font, which
  // its painting selects itself, and a page makes six buttons a note.
  HWND button = ::CreateWindowExA(WS_EX_NOPARENTNOTIFY, "BUTTON", text, style, place.left,
                                  place.top, place.right - place.left, place.bottom - place.top, parent,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleA(nullptr),
                                  nullptr);
  if (!button) return nullptr;
  // The class is the process's: once is enough.
  static bool classBrushSet = false;
  if (!classBrushSet) {
    ::SetClassLongPtrA(button, GCLP_HBRBACKGROUND, reinterpret_cast<LONG_PTR>(::GetStockObject(NULL_BRUSH)));
    classBrushSet = true;
  }
  SubclassCaptionButton(button);
  SetTooltip(parent, button, tooltip);
  return button;
}

bool IsButtonChecked(HWND button) { return (::GetWindowLongPtrA(button, GWLP_USERDATA) & 1) != 0; }

void SetButtonChecked(HWND button, bool checked) {
  ::SetWindowLongPtrA(button, GWLP_USERDATA, checked ? 1 : 0);
  ::InvalidateRect(button, nullptr, FALSE);
}

void DrawCaptionButton(const DRAWITEMSTRUCT& item, COLORREF background) {
  HDC dc = item.hDC;
  bool enabled = !(item.itemState & ODS_DISABLED);
  bool hovered = enabled && ::GetCapture() == item.hwndItem;
  bool pressed = enabled && (item.itemState & ODS_SELECTED);
  bool checked = IsButtonChecked(item.hwndItem);

  RECT fill = item.rcItem;
  if (pressed || checked) ::OffsetRect(&fill, 1, 1);
  if (!enabled) {
    FillSolid(dc, fill, ButtonDisabledFill(background));
  } else if (checked) {
    FillSolid(dc, fill, ButtonCheckedFill(background));
  } else {
    FillGradient(dc, fill, background);
  }

  COLORREF border = hovered ? RGB(255, 170, 85) : enabled ? RGB(204, 204, 204) : RGB(238, 238, 238);
  FrameSolid(dc, item.rcItem, border);
  if (pressed || checked) {
    RECT second = item.rcItem;
    ::OffsetRect(&second, 1, 1);
    FrameSolid(dc, second, border);
  }

  std::string text = HwndGetText(item.hwndItem);
  RECT textRect = item.rcItem;
  int shift = (pressed ? 1 : 0) + (checked ? 1 : 0);
  ::OffsetRect(&textRect, shift, shift);
  COLORREF textColor = !enabled ? RGB(204, 204, 204) : checked ? RGB(64, 64, 64) : RGB(44, 44, 44);
  if (text == "_") {
    DrawUnderscoreMark(dc, textRect, textColor);
    return;
  }
  SelectScope font(dc, ::GetStockObject(DEFAULT_GUI_FONT));
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, textColor);
  ::DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &textRect,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
}

}  // namespace memo
