// The mini note window: creation from its section, painting, editing in
// its body, sizing and move snapping.
#include "frame/MiniNote.h"

#include <shellapi.h>
#include <windowsx.h>

#include "frame/ClassNames.h"
#include "frame/Colors.h"
#include "frame/EditTabs.h"
#include "frame/Geometry.h"
#include "frame/Layered.h"
#include "frame/Messages.h"
#include "frame/Monitors.h"
#include "frame/NoteWindows.h"
#include "frame/PropertySheet.h"
#include "frame/ThreadWindows.h"
#include "store/Settings.h"
#include "store/ShellDrag.h"
#include "store/Store.h"
#include "store/WinText.h"

namespace memo {
namespace {

constexpr COLORREF kIconStripColor = RGB(240, 240, 240);
constexpr COLORREF kFrameColor = RGB(0, 128, 0);
constexpr COLORREF kDefaultText = RGB(0, 0, 0);
constexpr COLORREF kDefaultBackground = RGB(255, 255, 255);
constexpr DWORD kBodyStyle = WS_CHILD | WS_CLIPSIBLINGS | ES_MULTILINE | ES_AUTOVSCROLL;
// Set on the body once it holds the stored text: only then may its
// destruction write the text back (a body that never loaded it would
// otherwise wipe the stored text).
constexpr char kPropBodyLoaded[] = "MiniBodyLoaded";

const ClassRegistrar kRegistrar(kClassMini, CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS, 0, &Dispatch<MiniNote>);

WNDPROC gEditProc = nullptr;  // the EDIT class procedure the body replaces

HFONT GuiFont() { return static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT)); }

int TextHeight(HDC dc, const char* sample) {
  SIZE size{};
  SelectScope font(dc, GuiFont());
  ::GetTextExtentPoint32A(dc, sample, 1, &size);
  return size.cy;
}

int MeasureLineHeight() {
  WindowDC screen(nullptr);
  return screen.get() ? TextHeight(screen.get(), "x") : 0;
}

HWND Body(HWND hwnd) { return ::GetDlgItem(hwnd, kIdBody); }

LRESULT CALLBACK BodyProc(HWND body, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND mini = ::GetParent(body);
  switch (message) {
    case WM_KILLFOCUS:
      ::ShowWindow(body, SW_HIDE);
      ::InvalidateRect(mini, nullptr, TRUE);  // the text is painted by the mini note again
      break;
    case WM_KEYDOWN:
      if (wParam == VK_ESCAPE) {
        ::SetFocus(mini);
        return 0;
      }
      break;
    case WM_DESTROY:
      // The mini note's object is gone by now (children are destroyed after
      // their parent's WM_DESTROY): the section is found from its window.
      if (::GetPropA(body, kPropBodyLoaded)) {
        ::RemovePropA(body, kPropBodyLoaded);
        std::string section = HwndGetText(mini);
        std::string file = MiniNoteSettingsFile(mini);
        if (!section.empty() && !file.empty()) {
          WriteMiniText(file, section, HwndGetText(body));
          IniFlush(file);
        }
      }
      break;
  }
  return ::CallWindowProcA(gEditProc, body, message, wParam, lParam);
}

bool IsBelow(HWND hwnd, HWND other) {
  for (HWND above = ::GetWindow(hwnd, GW_HWNDPREV); above; above = ::GetWindow(above, GW_HWNDPREV)) {
    if (above == other) return true;
  }
  return false;
}

bool IsTopmost(HWND hwnd) { return (::GetWindowLongA(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

// An owned window belongs above its owner. Wine does not keep it there: a
// note raised while its mini notes are still hidden covers them once they
// show. The mini note then goes to the top of its owner's band.
void KeepAboveOwner(HWND mini) {
  HWND owner = ::GetWindow(mini, GW_OWNER);
  if (!owner || !IsBelow(mini, owner)) return;
  ::SetWindowPos(mini, IsTopmost(owner) ? HWND_TOPMOST : HWND_TOP, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
}

}  // namespace

std::string MiniNoteSettingsFile(HWND mini) {
  HWND owner = ::GetWindow(mini, GW_OWNER);
  return owner ? SettingsFileOfWindow(owner) : std::string();
}

void WriteMiniText(const std::string& file, const std::string& section, const std::string& text) {
  if (text.empty()) {
    IniWriteString(file, section.c_str(), kKeyText, nullptr);
  } else {
    std::string hex = HexEncode(reinterpret_cast<const unsigned char*>(text.data()), text.size());
    IniWriteString(file, section.c_str(), kKeyText, hex.c_str());
  }
}

void StageMiniState(IniBatch* batch, const std::string& file, const std::string& section, HWND mini,
                    PCIDLIST_ABSOLUTE link) {
  const char* name = section.c_str();
  RECT r;
  ::GetWindowRect(mini, &r);
  IniSectionValues stored(file, name);
  const std::pair<const char*, int> place[] = {
      {kKeyX, r.left}, {kKeyY, r.top}, {kKeyCX, Width(r)}, {kKeyCY, Height(r)}};
  for (const auto& value : place) {
    if (!stored.Has(value.first) || stored.Int(value.first, 0) != value.second) {
      batch->SetInt(name, value.first, value.second);
    }
  }
  std::string storedLink = IniReadLongString(file, name, kKeyIdl);
  std::string linkText = link ? HexEncode(reinterpret_cast<const unsigned char*>(link), IdlSize(link)) : "";
  if (linkText != storedLink) batch->SetString(name, kKeyIdl, link ? linkText.c_str() : nullptr);
  if (!MiniBodyHoldsText(mini)) return;
  std::string text = HwndGetText(Body(mini));
  if (text == ReadMiniText(file, section)) return;
  std::string hex = HexEncode(reinterpret_cast<const unsigned char*>(text.data()), text.size());
  batch->SetString(name, kKeyText, text.empty() ? nullptr : hex.c_str());
}

bool MiniBodyHoldsText(HWND mini) {
  HWND body = Body(mini);
  return body && ::GetPropA(body, kPropBodyLoaded);
}

MiniNote::MiniNote() : metrics_(MiniMetricsForLineHeight(MeasureLineHeight())) {}

LRESULT MiniNote::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      return OnCreate(hwnd, *reinterpret_cast<const CREATESTRUCTA*>(lParam));
    case WM_DESTROY:
      OnDestroy(hwnd);
      return 0;
    case WM_SETTEXT:
      return OnSetText(hwnd, reinterpret_cast<const char*>(lParam), wParam, lParam);
    case WM_SIZE:
      OnSize(hwnd);
      return 0;
    case WM_WINDOWPOSCHANGED:
      if (reinterpret_cast<const WINDOWPOS*>(lParam)->flags & SWP_SHOWWINDOW) KeepAboveOwner(hwnd);
      break;
    case WM_ERASEBKGND:
      Paint(hwnd, reinterpret_cast<HDC>(wParam));
      return 1;
    case WM_PRINTCLIENT:
      Paint(hwnd, reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_SETCURSOR:
      if (OnSetCursor(hwnd)) return TRUE;
      break;
    case WM_GETMINMAXINFO: {
      SIZE least = MiniMinimumSize(metrics_);
      reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = POINT{least.cx, least.cy};
      return 0;
    }
    case WM_NCHITTEST: {
      RECT window;
      ::GetWindowRect(hwnd, &window);
      LRESULT hit = MiniHitTest(window, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      if (hit != HTCLIENT) return hit;
      break;
    }
    case WM_SIZING:
      *reinterpret_cast<RECT*>(lParam) = MiniSnapSizing(*reinterpret_cast<RECT*>(lParam), static_cast<int>(wParam), metrics_);
      return TRUE;
    case WM_ENTERSIZEMOVE:
      OnEnterSizeMove(hwnd);
      break;
    case WM_MOVING:
      OnMoving(hwnd, reinterpret_cast<RECT*>(lParam));
      return TRUE;
    case WM_EXITSIZEMOVE:
      pressed_ = false;
      siblings_.clear();
      break;
    case WM_LBUTTONDOWN:
      pressed_ = true;
      press_ = POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      ::SetFocus(hwnd);
      ::PostMessageA(hwnd, WM_NCLBUTTONDOWN, HTCAPTION, lParam);
      return 0;
    case WM_LBUTTONDBLCLK:
      OnLButtonDblClk(hwnd, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      return 0;
    case WM_RBUTTONDOWN:
      rightDown_ = true;
      rightPress_ = POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      return 0;
    case WM_MOUSEMOVE:
      OnMouseMove(hwnd, wParam, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      return 0;
    case WM_CONTEXTMENU:
      OnContextMenu(hwnd, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      return 0;
    case WM_COMMAND:
      OnCommand(hwnd, LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_TIMER:
      if (wParam == kTimerSave) {
        ::KillTimer(hwnd, kTimerSave);
        std::string section = HwndGetText(hwnd);
        if (!section.empty() && MiniBodyHoldsText(hwnd)) {
          WriteMiniText(MiniNoteSettingsFile(hwnd), section, HwndGetText(Body(hwnd)));
        }
        return 0;
      }
      break;
    case WM_DISPLAYCHANGE:
      KeepWindowOnScreen(hwnd);
      break;
    case WM_CTLCOLOREDIT: {
      HDC dc = reinterpret_cast<HDC>(wParam);
      ::SetTextColor(dc, GetColorProp(hwnd, kPropColorText));
      ::SetBkColor(dc, GetColorProp(hwnd, kPropColorBG));
      return reinterpret_cast<LRESULT>(background_.get());
    }
    case kMsgSettingsChanged:
      OnSettingsChanged(hwnd);
      return 0;
    case kMsgSetLink:
      link_.reset(reinterpret_cast<ITEMIDLIST*>(lParam));
      ::InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case kMsgDropQuery:
      return OnDropQuery(reinterpret_cast<IDataObject*>(lParam));
    case kMsgDropEffect:
      if (lParam) *reinterpret_cast<DWORD*>(lParam) |= DROPEFFECT_LINK;
      return 0;
    case kMsgDrop:
      OnDrop(hwnd, reinterpret_cast<DWORD*>(wParam), reinterpret_cast<IDataObject*>(lParam));
      return 0;
  }
  return WindowObject::WindowProc(hwnd, message, wParam, lParam);
}

LRESULT MiniNote::OnCreate(HWND hwnd, const CREATESTRUCTA& create) {
  SetColorProp(hwnd, kPropColorText, kDefaultText);
  SetColorProp(hwnd, kPropColorBG, kDefaultBackground);
  if (!RegisterDropTarget(hwnd)) {
    // Made for a drop, the owner reports the failure once the drop is over.
    if (!create.lpCreateParams) ShowError(hwnd, "RegisterDragDrop failed");
    return -1;
  }
  SIZE size = MiniDefaultSize(metrics_);
  ::SetWindowPos(hwnd, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

  HWND body = ::CreateWindowExA(0, "EDIT", nullptr, kBodyStyle, 0, 0, 0, 0, hwnd,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdBody)), ::GetModuleHandleA(nullptr),
                                nullptr);
  if (body) {
    ::SendMessageA(body, WM_SETFONT, reinterpret_cast<WPARAM>(GuiFont()), FALSE);
    EditSetTabStop(body, kNoteTabStopUnits);
    WNDPROC previous =
        reinterpret_cast<WNDPROC>(::SetWindowLongPtrA(body, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&BodyProc)));
    if (!gEditProc && previous != &BodyProc) gEditProc = previous;
    OnSize(hwnd);
  }

  std::string file = MiniNoteSettingsFile(hwnd);
  std::string section = HwndGetText(hwnd);
  IniSectionValues saved(file, section.c_str());
  RECT current;
  ::GetWindowRect(hwnd, &current);
  // A label saved on a screen that is gone comes back onto one that is there.
  RECT placed = OntoScreen(ClampWindowRect(
      SavedWindowRect(saved.Int(kKeyX, current.left), saved.Int(kKeyY, current.top), saved.Int(kKeyCX, Width(current)),
                      saved.Int(kKeyCY, Height(current))),
      WorkArea()));
  ::SetWindowPos(hwnd, nullptr, placed.left, placed.top, Width(placed), Height(placed),
                 SWP_NOACTIVATE | SWP_NOZORDER);

  if (CoTaskMem<ITEMIDLIST> idl = IniReadIdl(file, section.c_str(), kKeyIdl)) {
    ::SendMessageA(hwnd, kMsgSetLink, 0, reinterpret_cast<LPARAM>(idl.release()));
  }
  if (body) {
    ::SetWindowTextA(body, ReadMiniText(file, section).c_str());
    // Loading the text is no change to save.
    ::KillTimer(hwnd, kTimerSave);
    ::SetPropA(body, kPropBodyLoaded, reinterpret_cast<HANDLE>(1));
  }
  ::SendMessageA(hwnd, kMsgSettingsChanged, 0, 0);
  return 0;
}

void MiniNote::OnDestroy(HWND hwnd) {
  ::KillTimer(hwnd, kTimerSave);
  std::string section = HwndGetText(hwnd);
  if (Created() && !section.empty()) {
    // The place, the link and the text in one pass over the file; the body,
    // destroyed after this, then has nothing left to write.
    std::string file = MiniNoteSettingsFile(hwnd);
    IniBatch batch(file);
    StageMiniState(&batch, file, section, hwnd, link_.get());
    if (batch.Commit()) {
      if (HWND body = Body(hwnd)) ::RemovePropA(body, kPropBodyLoaded);
    }
  }
  RevokeDropTarget();
  EditReleaseTabStops(::GetDlgItem(hwnd, kIdBody));
  RemoveColorProps(hwnd);
}

LRESULT MiniNote::OnSetText(HWND hwnd, const char* text, WPARAM wParam, LPARAM lParam) {
  std::string section = HwndGetText(hwnd);
  if (section.empty()) return WindowObject::WindowProc(hwnd, WM_SETTEXT, wParam, lParam);
  if (text && *text) {
    // The text is the section name: a new name would lose the section.
    ShowError(hwnd, "WC_MINI invalid title");
    return FALSE;
  }
  std::string file = MiniNoteSettingsFile(hwnd);
  IniWriteString(file, section.c_str(), nullptr, nullptr);
  IniFlush(file);
  LRESULT result = WindowObject::WindowProc(hwnd, WM_SETTEXT, wParam, lParam);
  if (::GetForegroundWindow() == hwnd) {
    if (HWND owner = ::GetWindow(hwnd, GW_OWNER)) ::SetFocus(owner);
  }
  ::PostMessageA(hwnd, WM_CLOSE, 0, 0);
  return result;
}

void MiniNote::OnSize(HWND hwnd) {
  RECT client;
  ::GetClientRect(hwnd, &client);
  RECT body = MiniBodyRect(client, metrics_);
  if (HWND edit = Body(hwnd)) ::MoveWindow(edit, body.left, body.top, Width(body), Height(body), TRUE);
  ::InvalidateRect(hwnd, nullptr, TRUE);
}

bool MiniNote::OverIcon(POINT client) const {
  return ::PtInRect(&iconRect_, client) != FALSE;
}

bool MiniNote::OnSetCursor(HWND hwnd) {
  POINT cursor;
  ::GetCursorPos(&cursor);
  ::ScreenToClient(hwnd, &cursor);
  if (!OverIcon(cursor)) return false;
  ::SetCursor(::LoadCursor(nullptr, IDC_HAND));
  return true;
}

void MiniNote::OnEnterSizeMove(HWND hwnd) {
  siblings_.clear();
  HWND owner = ::GetWindow(hwnd, GW_OWNER);
  for (HWND other : ThreadWindows()) {
    if (other == hwnd || !(::GetWindowLongA(other, GWL_STYLE) & WS_POPUP)) continue;
    if (::GetWindow(other, GW_OWNER) != owner) continue;
    RECT r;
    if (::GetWindowRect(other, &r)) siblings_.push_back(r);
  }
}

void MiniNote::OnMoving(HWND hwnd, RECT* proposed) {
  if (!proposed) return;
  if (pressed_) {
    // The window follows the cursor at the point where it was taken.
    POINT cursor;
    ::GetCursorPos(&cursor);
    int width = Width(*proposed), height = Height(*proposed);
    proposed->left = cursor.x - press_.x;
    proposed->top = cursor.y - press_.y;
    proposed->right = proposed->left + width;
    proposed->bottom = proposed->top + height;
  }
  *proposed = MiniSnapMove(*proposed, siblings_);
}

void MiniNote::OnLButtonDblClk(HWND hwnd, POINT client) {
  if (OverIcon(client)) {
    OpenLink(hwnd);
    return;
  }
  HWND body = Body(hwnd);
  if (!body) return;
  ::ShowWindow(body, SW_SHOW);
  ::SetFocus(body);
}

void MiniNote::OnMouseMove(HWND hwnd, WPARAM keys, POINT client) {
  if (!(keys & MK_RBUTTON)) {
    rightDown_ = false;
    return;
  }
  if (!rightDown_ || (client.x == rightPress_.x && client.y == rightPress_.y)) return;
  if (!link_ || !OverIcon(client)) return;
  rightDown_ = false;  // one drag per press
  DragShellItem(link_.get());
}

void MiniNote::OnSettingsChanged(HWND hwnd) {
  std::string file = MiniNoteSettingsFile(hwnd);
  std::string section = HwndGetText(hwnd);
  IniSectionValues saved(file, section.c_str());
  COLORREF background = saved.Color(kKeyColorBG, GetColorProp(hwnd, kPropColorBG));
  SetColorProp(hwnd, kPropColorBG, background);
  SetColorProp(hwnd, kPropColorText, saved.Color(kKeyColorText, GetColorProp(hwnd, kPropColorText)));
  ApplyTransparency(hwnd, saved.Int(kKeyAlpha, 0));
  background_.reset(::CreateSolidBrush(background));
  ::InvalidateRect(hwnd, nullptr, TRUE);
  if (HWND body = Body(hwnd)) ::InvalidateRect(body, nullptr, TRUE);
}

void MiniNote::Paint(HWND hwnd, HDC dc) {
  RECT client;
  ::GetClientRect(hwnd, &client);
  RECT strip = client;
  strip.right = client.left + metrics_.iconStrip;
  RECT rest = client;
  rest.left = strip.right;
  UniqueBrush stripBrush(::CreateSolidBrush(kIconStripColor));
  ::FillRect(dc, &strip, stripBrush.get());
  if (background_) {
    ::FillRect(dc, &rest, background_.get());
  } else {
    UniqueBrush fill(::CreateSolidBrush(GetColorProp(hwnd, kPropColorBG)));
    ::FillRect(dc, &rest, fill.get());
  }
  UniqueBrush frame(::CreateSolidBrush(kFrameColor));
  ::FrameRect(dc, &client, frame.get());

  iconRect_ = RECT{};
  if (link_) {
    SHFILEINFOA info{};
    if (::SHGetFileInfoA(reinterpret_cast<LPCSTR>(link_.get()), 0, &info, sizeof(info),
                         SHGFI_PIDL | SHGFI_ICON | SHGFI_SMALLICON | SHGFI_DISPLAYNAME) &&
        info.hIcon) {
      UniqueIcon icon(info.hIcon);
      int x = (metrics_.iconStrip - 16) / 2;
      int y = (Height(client) - 16) / 2;
      ::DrawIconEx(dc, x, y, icon.get(), 0, 0, 0, nullptr, DI_NORMAL);
      iconRect_ = RECT{x, y, x + 16, y + 16};
    }
  }

  HWND body = Body(hwnd);
  if (!body) return;
  std::string text = HwndGetText(body);
  RECT area = MiniBodyRect(client, metrics_);
  int firstLine = static_cast<int>(::SendMessageA(body, EM_GETFIRSTVISIBLELINE, 0, 0));
  int shift = firstLine * TextHeight(dc, "A");
  area.top -= shift;
  area.bottom -= shift;
  SelectScope font(dc, GuiFont());
  ::SetTextColor(dc, GetColorProp(hwnd, kPropColorText));
  ::SetBkColor(dc, GetColorProp(hwnd, kPropColorBG));
  ::SetBkMode(dc, TRANSPARENT);
  DRAWTEXTPARAMS params{};
  params.cbSize = sizeof(params);
  params.iTabLength = 2;
  std::vector<char> buffer(text.begin(), text.end());
  buffer.push_back('\0');
  ::DrawTextExA(dc, buffer.data(), static_cast<int>(text.size()), &area,
                DT_WORDBREAK | DT_EXPANDTABS | DT_TABSTOP | DT_NOPREFIX | DT_EDITCONTROL, &params);
}

}  // namespace memo
