// The edge bar that stands for a minimized note.
#include "frame/EdgeBar.h"

#include <commctrl.h>

#include "frame/ClassNames.h"
#include "frame/EdgeBarGeometry.h"
#include "frame/Geometry.h"
#include "frame/Messages.h"
#include "frame/Minimize.h"
#include "frame/ThreadWindows.h"
#include "frame/Tooltip.h"
#include "resources/resource.h"
#include "store/Handles.h"
#include "store/WinText.h"

namespace memo {
namespace {

constexpr COLORREF kIdleColor = RGB(255, 170, 85);
constexpr COLORREF kHoverColor = RGB(85, 170, 85);

// Where the last left press on any edge bar was: the drag clip is reckoned
// from it.
POINT gPressPoint{};

RECT WorkArea() {
  RECT work{};
  ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  return work;
}

bool Intersect(const RECT& a, const RECT& b) {
  RECT common;
  return ::IntersectRect(&common, &a, &b) != FALSE;
}

RECT WindowRectOf(HWND hwnd) {
  RECT r{};
  ::GetWindowRect(hwnd, &r);
  return r;
}

}  // namespace

DWORD EdgeBar::NoteStyle() const {
  return static_cast<DWORD>(::GetWindowLongA(note_, GWL_STYLE)) & kNoteStyleMask;
}

LRESULT EdgeBar::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      return OnCreate(hwnd, *reinterpret_cast<const CREATESTRUCTA*>(lParam));
    case WM_DESTROY:
      OnDestroy(hwnd);
      return 0;
    case WM_ERASEBKGND:
      Paint(hwnd, reinterpret_cast<HDC>(wParam));
      return 1;
    case WM_PRINTCLIENT:
      Paint(hwnd, reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      ::BeginPaint(hwnd, &ps);
      ::EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_MOUSEMOVE:
      if (dragging_) {
        OnDrag(hwnd);
      } else {
        OnMouseMove(hwnd);
      }
      return 0;
    case WM_MOUSELEAVE:
      if (!dragging_) OnLeave(hwnd);
      return 0;
    case WM_CAPTURECHANGED:
      // Whoever else took the capture ends a drag where it is (lParam: the
      // window that has it now).
      if (dragging_ && reinterpret_cast<HWND>(lParam) != hwnd) EndDrag(hwnd);
      ::InvalidateRect(hwnd, nullptr, TRUE);  // back from the hover colour
      return 0;
    case WM_LBUTTONDOWN:
      OnLButtonDown(hwnd);
      return 0;
    case WM_LBUTTONUP:
      if (dragging_) EndDrag(hwnd);
      return 0;
    case WM_MOVE:
    case WM_SIZE:
      OnMove(hwnd);
      break;
    case WM_LBUTTONDBLCLK:
      ::SendMessageA(hwnd, kMsgRestore, 0, 1);
      return 0;
    case WM_CONTEXTMENU:
      return ::SendMessageA(note_, WM_CONTEXTMENU, wParam, lParam);
    case WM_WININICHANGE:
    case WM_DISPLAYCHANGE:
      // The work area may have changed: the bar follows its edge.
      Place(hwnd);
      break;
    case kMsgRestore:
      OnRestore(hwnd, lParam != 0);
      return 0;
    case kMsgDropQuery:
      return OnDropQuery(hwnd, wParam, lParam);
    case kMsgDropEffect:
    case kMsgDrop:
      return ::IsWindow(note_) ? ::SendMessageA(note_, message, wParam, lParam) : 0;
  }
  return WindowObject::WindowProc(hwnd, message, wParam, lParam);
}

LRESULT EdgeBar::OnCreate(HWND hwnd, const CREATESTRUCTA& create) {
  // Checked before anything is registered: Wine sends no WM_DESTROY after a
  // failed WM_CREATE, so nothing would undo it.
  HWND note = static_cast<HWND>(create.lpCreateParams);
  if (!note || !::IsWindow(note)) return -1;
  if (!RegisterDropTarget(hwnd)) {
    ShowError(hwnd, "RegisterDragDrop failed");
    return -1;
  }
  note_ = note;
  FollowNoteName(hwnd);
  // The bar carries the note style bits: bring-all-to-top reads 0x200 here.
  DWORD style = static_cast<DWORD>(::GetWindowLongA(hwnd, GWL_STYLE));
  ::SetWindowLongA(hwnd, GWL_STYLE, static_cast<LONG>((style & ~kNoteStyleMask) | NoteStyle()));
  Place(hwnd);
  RECT bar = WindowRectOf(hwnd), noteRect = WindowRectOf(note);
  if (!Intersect(bar, noteRect)) Animate(hwnd, noteRect, bar);
  return 0;
}

void EdgeBar::FollowNoteName(HWND hwnd) {
  title_ = HwndGetText(note_);
  ::SetWindowTextA(hwnd, title_.c_str());
  SetTooltip(hwnd, hwnd, title_.c_str());
}

void EdgeBarFollowNoteName(HWND note) {
  for (HWND hwnd : ThreadWindows()) {
    if (HwndGetClass(hwnd) != kClassEdgeBar) continue;
    auto* bar = static_cast<EdgeBar*>(::GetPropA(hwnd, kThisProperty));
    if (bar && bar->Note() == note) bar->FollowNoteName(hwnd);
  }
}

void EdgeBar::OnDestroy(HWND hwnd) {
  if (dragging_) EndDrag(hwnd);
  RevokeDropTarget();
  if (HWND tooltip = SharedTooltip()) {
    TTTOOLINFOA info{};
    info.cbSize = TTTOOLINFOA_V2_SIZE;
    info.hwnd = hwnd;
    info.uId = reinterpret_cast<UINT_PTR>(hwnd);
    ::SendMessageA(tooltip, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&info));
  }
  if (::GetCapture() == hwnd) ::ReleaseCapture();
}

void EdgeBar::Place(HWND hwnd) {
  if (!::IsWindow(note_)) return;
  RECT bar = EdgeBarRect(WorkArea(), WindowRectOf(note_), NoteStyle());
  // Placing the bar is no drag: the note stays where it is.
  placing_ = true;
  ::SetWindowPos(hwnd, nullptr, bar.left, bar.top, Width(bar), Height(bar), SWP_NOZORDER | SWP_NOACTIVATE);
  placing_ = false;
}

void EdgeBar::Paint(HWND hwnd, HDC dc) {
  RECT client;
  ::GetClientRect(hwnd, &client);
  ::FillRect(dc, &client, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
  RECT inner = EdgeBarInnerRect(client, NoteStyle());
  UniqueBrush brush(::CreateSolidBrush(::GetCapture() == hwnd ? kHoverColor : kIdleColor));
  ::FillRect(dc, &inner, brush.get());
}

void EdgeBar::OnMouseMove(HWND hwnd) {
  if (::GetCapture() != hwnd) {
    ::SetCapture(hwnd);
    // The capture brings no mouse message from over another program's
    // window unless a button is down, and a bar is mostly passed over while
    // another program is in front: the system reports the leaving itself.
    TRACKMOUSEEVENT track{};
    track.cbSize = sizeof(track);
    track.dwFlags = TME_LEAVE;
    track.hwndTrack = hwnd;
    ::TrackMouseEvent(&track);
    ::InvalidateRect(hwnd, nullptr, TRUE);
    return;
  }
  OnLeave(hwnd);
}

void EdgeBar::OnLeave(HWND hwnd) {
  POINT cursor{};
  ::GetCursorPos(&cursor);
  RECT bar = WindowRectOf(hwnd);
  if (::PtInRect(&bar, cursor)) return;
  if (::GetCapture() == hwnd) ::ReleaseCapture();
  ::InvalidateRect(hwnd, nullptr, TRUE);
  if (!(NoteStyle() & kStyleRestoreByDblClick) && LeftAcrossLongSide(bar, cursor, NoteStyle())) {
    ::SendMessageA(hwnd, kMsgRestore, 0, 1);
  }
}

void EdgeBar::OnLButtonDown(HWND hwnd) {
  ::GetCursorPos(&gPressPoint);
  if (!::IsWindow(note_)) return;
  dragFrom_ = WindowRectOf(hwnd);
  dragClip_ = EdgeBarDragClip(WorkArea(), WindowRectOf(note_), gPressPoint, NoteStyle());
  // The span is kept by reckoning, not by confining the cursor: under Wine
  // ClipCursor from a window that is not in front hands the pointer to the
  // program that is, and the bar would never see the release. A bar that
  // holds the capture already (hovered) keeps it for the drag; the hover's
  // leave test waits for the release.
  if (::GetCapture() != hwnd) ::SetCapture(hwnd);
  dragging_ = true;
  ::InvalidateRect(hwnd, nullptr, TRUE);
}

void EdgeBar::OnDrag(HWND hwnd) {
  POINT cursor{};
  ::GetCursorPos(&cursor);
  RECT to = EdgeBarDragged(dragFrom_, gPressPoint, cursor, dragClip_);
  RECT now = WindowRectOf(hwnd);
  if (to.left == now.left && to.top == now.top) return;
  // WM_MOVE brings the note along.
  ::SetWindowPos(hwnd, nullptr, to.left, to.top, 0, 0, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSIZE);
}

void EdgeBar::EndDrag(HWND hwnd) {
  dragging_ = false;
  if (::GetCapture() == hwnd) ::ReleaseCapture();
}

void EdgeBar::OnMove(HWND hwnd) {
  if (placing_ || restored_ || !::IsWindow(note_)) return;
  RECT noteRect = WindowRectOf(note_);
  POINT to = NoteFollowingBar(WindowRectOf(hwnd), noteRect, NoteStyle());
  if (to.x == noteRect.left && to.y == noteRect.top) return;
  ::SetWindowPos(note_, nullptr, to.x, to.y, 0, 0, SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOSIZE);
}

void EdgeBar::OnRestore(HWND hwnd, bool animate) {
  // A hover, a double click and a drop may all ask before the bar is gone.
  if (restored_) return;
  restored_ = true;
  if (::IsWindow(note_)) {
    RECT bar = WindowRectOf(hwnd), noteRect = WindowRectOf(note_);
    if (animate && !Intersect(bar, noteRect)) Animate(note_, bar, noteRect);
    // A note that is not kept on top is lifted above every other window by
    // a round trip through the topmost band. A pinned note is topmost too
    // and must stay so.
    if (!(NoteStyle() & (kStyleTopmost | kStylePinned))) {
      constexpr UINT kFlags = SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE;
      ::SetWindowPos(note_, HWND_TOPMOST, 0, 0, 0, 0, kFlags);
      ::SetWindowPos(note_, HWND_NOTOPMOST, 0, 0, 0, 0, kFlags);
    }
    ::ShowWindow(note_, ::GetForegroundWindow() == hwnd ? SW_SHOWNORMAL : SW_SHOWNOACTIVATE);
  }
  ::PostMessageA(hwnd, WM_CLOSE, 0, 0);
}

LRESULT EdgeBar::OnDropQuery(HWND hwnd, WPARAM wParam, LPARAM lParam) {
  if (::IsWindow(note_) && ::SendMessageA(note_, kMsgDropQuery, wParam, lParam)) {
    ::SendMessageA(hwnd, kMsgRestore, 0, 1);
  }
  return 0;
}

namespace {

const ClassRegistrar kEdgeBarClass(kClassEdgeBar, CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS, IDI_APP,
                                   &Dispatch<EdgeBar>);

}  // namespace
}  // namespace memo
