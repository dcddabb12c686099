// The note frame.
#include "frame/NoteFrame.h"

#include "frame/CaptionButton.h"
#include "frame/Colors.h"
#include "frame/EdgeBar.h"
#include "frame/Geometry.h"
#include "frame/Messages.h"
#include "frame/ThreadWindows.h"
#include "frame/Tooltip.h"
#include "store/Handles.h"
#include "store/NoteOps.h"
#include "store/WinText.h"

namespace memo {
namespace {

constexpr int kMinSize = 50;
constexpr int kBorder = 2;
constexpr UINT kMenuHide = 101;
constexpr UINT kMenuDelete = 100;

struct ButtonSpec {
  int id;
  const char* text;
  const char* tooltip;
};
// In creation order, indexed by NoteFrame::ButtonIndex.
constexpr ButtonSpec kButtons[] = {
    {kCmdPin, "@", "常に手前に表示&最小化しない"},
    {kCmdMinimize, "_", "最小化"},
    {kCmdRestoreByDblClick, "C", "ダブル･クリックで開く"},
    {kCmdDelete, "X", "削除"},
    {kCmdNewMini, "-", "ミニ付箋を作成"},
    {kCmdMenuButton, ">", "メニュー"},
};

// The size of "A" in the GUI font, the unit of the caption layout. The font
// is the same for every note, so it is measured once, on the first note.
SIZE MeasureLetterA(HWND hwnd) {
  static SIZE measured{};
  if (measured.cx > 0) return measured;
  WindowDC dc(hwnd);
  if (!dc.get()) return measured;
  SelectScope font(dc.get(), ::GetStockObject(DEFAULT_GUI_FONT));
  ::GetTextExtentPoint32A(dc.get(), "A", 1, &measured);
  return measured;
}

RECT ChildRectInClient(HWND parent, HWND child) {
  RECT r;
  ::GetWindowRect(child, &r);
  ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// A rectangle in client coordinates, moved into the coordinates of the
// window's top-left corner (those of window regions).
RECT ClientToWindowRect(HWND hwnd, RECT r) {
  RECT window;
  ::GetWindowRect(hwnd, &window);
  POINT origin{0, 0};
  ::ClientToScreen(hwnd, &origin);
  ::OffsetRect(&r, origin.x - window.left, origin.y - window.top);
  return r;
}

void Line(HDC dc, COLORREF color, int x1, int y1, int x2, int y2) {
  UniquePen pen(::CreatePen(PS_SOLID, 1, color));
  SelectScope select(dc, pen.get());
  ::MoveToEx(dc, x1, y1, nullptr);
  ::LineTo(dc, x2, y2);
}

}  // namespace

CaptionLayout LayoutCaption(int clientWidth, int clientHeight, SIZE letterA) {
  int w = letterA.cx + 10;
  int h = letterA.cy + 4;
  int r = clientWidth;
  auto button = [h](int x, int width) { return RECT{x, 0, x + width, h}; };
  CaptionLayout layout;
  layout.body = RECT{2, h + 2, 2 + (r - 4), h + 2 + (clientHeight - letterA.cy - 9)};
  layout.pin = button(r - w, w);
  layout.minimize = button(r - 3 * w, 2 * w);
  layout.dblClick = button(r - 4 * w, w);
  layout.remove = button(r - 5 * w, w);
  layout.mini = button(r - 7 * w, 2 * w);
  layout.menu = button(r - 9 * w, 2 * w);
  return layout;
}

LRESULT NoteBorderHitTest(const RECT& window, POINT pt) {
  bool left = pt.x < window.left + kBorder;
  bool right = pt.x >= window.right - kBorder;
  bool top = pt.y < window.top + kBorder;
  bool bottom = pt.y >= window.bottom - kBorder;
  if (top) return left ? HTTOPLEFT : right ? HTTOPRIGHT : HTTOP;
  if (bottom) return left ? HTBOTTOMLEFT : right ? HTBOTTOMRIGHT : HTBOTTOM;
  if (left) return HTLEFT;
  if (right) return HTRIGHT;
  return 0;
}

LRESULT NoteFrame::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      return OnCreate(hwnd, message, wParam, lParam);
    case WM_SIZE:
      OnSize(hwnd);
      break;
    case WM_SETFOCUS:
      if (body_) ::SetFocus(body_);
      return 0;
    case WM_SETTEXT: {
      if (!OnSetText(hwnd, reinterpret_cast<const char*>(lParam))) return FALSE;
      LRESULT result = TopLevelWindow::WindowProc(hwnd, message, wParam, lParam);
      EdgeBarFollowNoteName(hwnd);
      return result;
    }
    case WM_ERASEBKGND:
    case WM_PRINTCLIENT:
      TopLevelWindow::WindowProc(hwnd, message, wParam, lParam);
      PaintName(hwnd, reinterpret_cast<HDC>(wParam));
      return message == WM_ERASEBKGND ? 1 : 0;
    case WM_GETMINMAXINFO: {
      auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
      info->ptMinTrackSize.x = kMinSize;
      info->ptMinTrackSize.y = kMinSize;
      return 0;
    }
    case WM_NCHITTEST: {
      POINT pt{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      RECT bodyRect{};
      if (body_) ::GetWindowRect(body_, &bodyRect);
      if (!body_ || !::PtInRect(&bodyRect, pt)) {
        RECT window;
        ::GetWindowRect(hwnd, &window);
        if (LRESULT border = NoteBorderHitTest(window, pt)) return border;
      }
      break;
    }
    case WM_NCPAINT:
      if (::GetWindowLongA(hwnd, GWL_STYLE) & WS_THICKFRAME) PaintBorder(hwnd);
      return 1;
    case WM_NCACTIVATE:
      if (wParam) {
        ShowButtons(hwnd);
        GiveButtonTooltips(hwnd);
      }
      OnNcActivate(hwnd, wParam != 0);
      break;
    case WM_SETCURSOR:
      GiveButtonTooltips(hwnd);
      break;
    case WM_COMMAND:
      if (LOWORD(wParam) == kCmdDelete) {
        ShowDeleteMenu(hwnd);
        return 0;
      }
      break;
    case kMsgShowButtons:
      ShowButtons(hwnd);
      return 0;
  }
  return TopLevelWindow::WindowProc(hwnd, message, wParam, lParam);
}

LRESULT NoteFrame::OnCreate(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!body_) body_ = ::GetDlgItem(hwnd, kIdBody);
  // The shared creation places the note first, so that the buttons are made
  // where they belong: moving a child afterwards is one more round trip to
  // the window system per button, and a page may open a hundred notes.
  LRESULT result = TopLevelWindow::WindowProc(hwnd, message, wParam, lParam);
  if (result == -1) return result;
  RECT client;
  ::GetClientRect(hwnd, &client);
  CaptionLayout layout = LayoutCaption(Width(client), Height(client), MeasureLetterA(hwnd));
  const RECT* places[kButtonCount] = {&layout.pin,    &layout.minimize, &layout.dblClick,
                                      &layout.remove, &layout.mini,     &layout.menu};
  // An inactive note's region hides its caption, all but the pin of a
  // pinned note: the others are shown with the caption, when the note is
  // first activated. Each shown button is a few round trips to the window
  // system and a paint, six a note, and most notes of a page are never
  // activated.
  DWORD style = static_cast<DWORD>(::GetWindowLongA(hwnd, GWL_STYLE));
  for (int i = 0; i < kButtonCount; ++i) {
    bool visible = i == kPin && (style & kStylePinned);
    buttons_[i] = CreateCaptionButton(hwnd, kButtons[i].id, kButtons[i].text, nullptr, *places[i], visible);
  }
  if (buttons_[kPin]) SetButtonChecked(buttons_[kPin], (style & kStylePinned) != 0);
  if (buttons_[kDblClick]) SetButtonChecked(buttons_[kDblClick], (style & kStyleRestoreByDblClick) != 0);
  // A note opens inactive unless it is opened to be worked in; it must look
  // inactive from the start, not only after its first deactivation.
  if (::GetActiveWindow() != hwnd) ApplyInactiveRegion(hwnd, false);
  return result;
}

void NoteFrame::OnSize(HWND hwnd) {
  RECT client;
  ::GetClientRect(hwnd, &client);
  CaptionLayout layout = LayoutCaption(Width(client), Height(client), MeasureLetterA(hwnd));
  const std::pair<HWND, const RECT*> places[] = {
      {body_, &layout.body},
      {buttons_[kPin], &layout.pin},
      {buttons_[kMinimize], &layout.minimize},
      {buttons_[kDblClick], &layout.dblClick},
      {buttons_[kRemove], &layout.remove},
      {buttons_[kMini], &layout.mini},
      {buttons_[kMenu], &layout.menu},
  };
  // A note gets WM_SIZE more than once as it opens; a child already in
  // place is not moved again, and with none to move there is no batch.
  std::pair<HWND, const RECT*> moves[7];
  int count = 0;
  for (const auto& place : places) {
    if (!place.first) continue;
    RECT now = ChildRectInClient(hwnd, place.first);
    if (!::EqualRect(&now, place.second)) moves[count++] = place;
  }
  HDWP batch = count > 0 ? ::BeginDeferWindowPos(count) : nullptr;
  for (int i = 0; i < count && batch; ++i) {
    const RECT& r = *moves[i].second;
    batch = ::DeferWindowPos(batch, moves[i].first, nullptr, r.left, r.top, Width(r), Height(r),
                             SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (batch) ::EndDeferWindowPos(batch);
  ::InvalidateRect(hwnd, nullptr, TRUE);
}

bool NoteFrame::OnSetText(HWND hwnd, const char* text) {
  std::string current = HwndGetText(hwnd);
  if (current.empty()) return true;  // the first title, given at creation
  std::string name = text ? text : "";
  if (name.empty()) {
    if (!DeleteNote(hwnd, current)) return false;
    if (HWND other = FindOtherWindow(hwnd)) ::SetFocus(other);
    ::PostMessageA(hwnd, WM_CLOSE, 0, 0);
    return true;
  }
  if (!MoveNote(hwnd, current, name)) return false;
  ::InvalidateRect(hwnd, nullptr, TRUE);
  return true;
}

void NoteFrame::PaintName(HWND hwnd, HDC dc) {
  if (!buttons_[kMenu]) return;
  RECT button = ChildRectInClient(hwnd, buttons_[kMenu]);
  RECT r{2, 2, button.left - 2, button.bottom};
  std::string name = HwndGetText(hwnd);
  SelectScope font(dc, ::GetStockObject(DEFAULT_GUI_FONT));
  int oldMode = ::SetBkMode(dc, TRANSPARENT);
  COLORREF oldColor = ::SetTextColor(dc, GetColorProp(hwnd, kPropColorText));
  ::DrawTextA(dc, name.c_str(), static_cast<int>(name.size()), &r, DT_END_ELLIPSIS | DT_NOPREFIX);
  ::SetTextColor(dc, oldColor);
  ::SetBkMode(dc, oldMode);
}

void NoteFrame::PaintBorder(HWND hwnd) {
  WindowDC dc(hwnd, WindowDC::kWindow);
  if (!dc.get()) return;
  RECT window;
  ::GetWindowRect(hwnd, &window);
  int right = Width(window), bottom = Height(window);
  COLORREF background = GetColorProp(hwnd, kPropColorBG);
  for (int i = 0; i < 3; ++i) {
    COLORREF light = BevelLight(background, i);
    COLORREF dark = BevelDark(background, i);
    Line(dc.get(), light, i, i, right - i, i);
    Line(dc.get(), light, i, i, i, bottom - i);
    Line(dc.get(), dark, i + 1, bottom - i - 1, right - i, bottom - i - 1);
    Line(dc.get(), dark, right - i - 1, i + 1, right - i - 1, bottom - i);
  }
}

void NoteFrame::OnNcActivate(HWND hwnd, bool active) {
  if (!body_) return;
  RECT bodyRect = ChildRectInClient(hwnd, body_);
  if (active) {
    ::SetWindowRgn(hwnd, nullptr, TRUE);
    // Everything outside the body: the caption, the buttons and the border.
    RECT window;
    ::GetWindowRect(hwnd, &window);
    ::MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&window), 2);
    UniqueRgn outside(::CreateRectRgnIndirect(&window));
    RECT inner = bodyRect;
    inner.bottom -= 1;
    UniqueRgn bodyRgn(::CreateRectRgnIndirect(&inner));
    ::CombineRgn(outside.get(), outside.get(), bodyRgn.get(), RGN_DIFF);
    ::RedrawWindow(hwnd, nullptr, outside.get(),
                   RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_ERASENOW | RDW_FRAME);
    return;
  }
  ApplyInactiveRegion(hwnd, true);
}

void NoteFrame::ApplyInactiveRegion(HWND hwnd, bool redraw) {
  if (!body_) return;
  // Only the body, a two-pixel margin and, when pinned, the pin.
  RECT shown = ChildRectInClient(hwnd, body_);
  ::InflateRect(&shown, kBorder, kBorder);
  shown = ClientToWindowRect(hwnd, shown);
  UniqueRgn region(::CreateRectRgnIndirect(&shown));
  if (!region) return;
  if (buttons_[kPin] && (::GetWindowLongA(hwnd, GWL_STYLE) & kStylePinned)) {
    // Pinned while inactive (from its properties), the note shows its pin.
    if (!::IsWindowVisible(buttons_[kPin])) ::ShowWindow(buttons_[kPin], SW_SHOWNOACTIVATE);
    RECT pinRect = ClientToWindowRect(hwnd, ChildRectInClient(hwnd, buttons_[kPin]));
    UniqueRgn pinRgn(::CreateRectRgnIndirect(&pinRect));
    ::CombineRgn(region.get(), region.get(), pinRgn.get(), RGN_OR);
  }
  // On success the system owns the region.
  if (::SetWindowRgn(hwnd, region.get(), redraw)) region.release();
}

void NoteFrame::ShowDeleteMenu(HWND hwnd) {
  UniqueMenu menu(::CreatePopupMenu());
  if (!menu) return;
  ::AppendMenuA(menu.get(), MF_STRING, kMenuHide, "非表示(&H)");
  ::AppendMenuA(menu.get(), MF_SEPARATOR, 0, nullptr);
  ::AppendMenuA(menu.get(), MF_STRING, kMenuDelete, "削除(&D)");
  RECT button{};
  if (buttons_[kRemove]) ::GetWindowRect(buttons_[kRemove], &button);
  UINT chosen = static_cast<UINT>(::TrackPopupMenuEx(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, button.left,
                                                     button.bottom, hwnd, nullptr));
  if (chosen == kMenuHide) {
    HwndSetStyle(hwnd, HwndStyle(hwnd) | kStyleHidden);
    ::PostMessageA(hwnd, WM_CLOSE, 0, 0);
  } else if (chosen == kMenuDelete) {
    ::SetWindowTextA(hwnd, "");
  }
}

void NoteFrame::ShowButtons(HWND) {
  if (buttonsShown_) return;
  buttonsShown_ = true;
  for (HWND button : buttons_) {
    if (button && !(::GetWindowLongA(button, GWL_STYLE) & WS_VISIBLE)) ::ShowWindow(button, SW_SHOWNOACTIVATE);
  }
}

void NoteFrame::GiveButtonTooltips(HWND hwnd) {
  if (tooltipsGiven_) return;
  tooltipsGiven_ = true;
  for (int i = 0; i < kButtonCount; ++i) {
    if (buttons_[i]) SetTooltip(hwnd, buttons_[i], kButtons[i].tooltip);
  }
}

}  // namespace memo
