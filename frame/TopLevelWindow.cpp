// The behaviour shared by the main bar and every note.
#include "frame/TopLevelWindow.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstdio>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "frame/CaptionButton.h"
#include "frame/ClassNames.h"
#include "frame/Colors.h"
#include "frame/Geometry.h"
#include "frame/IconMenuItem.h"
#include "frame/Layered.h"
#include "frame/Links.h"
#include "frame/Messages.h"
#include "frame/MiniNotes.h"
#include "frame/Minimize.h"
#include "frame/Monitors.h"
#include "frame/NoteWindows.h"
#include "frame/PropertySheet.h"
#include "frame/ThreadWindows.h"
#include "frame/Tooltip.h"
#include "store/DataTransfer.h"
#include "store/Handles.h"
#include "store/Paths.h"
#include "store/Settings.h"
#include "store/ShellOps.h"
#include "store/Store.h"
#include "store/WinText.h"

namespace memo {
namespace {

constexpr DWORD kKeptStyleMask = 0xFF3FF000;  // drops the note bits, WS_DLGFRAME and WS_BORDER

// Points at the window object's loaded settings while the window lives, so
// that the static save finds them.
constexpr char kPropLoadedSettings[] = "LoadedSettings";

bool HasHotBit(DWORD style) { return (style & (WS_POPUP | kStylePinned | kStyleTopmost)) != 0; }

// Moves a set of windows by one DeferWindowPos batch.
void MoveWindowsBy(const std::vector<HWND>& windows, int dx, int dy) {
  if (windows.empty() || (dx == 0 && dy == 0)) return;
  HDWP batch = ::BeginDeferWindowPos(static_cast<int>(windows.size()));
  for (HWND hwnd : windows) {
    RECT r;
    ::GetWindowRect(hwnd, &r);
    if (batch) {
      batch = ::DeferWindowPos(batch, hwnd, nullptr, r.left + dx, r.top + dy, 0, 0,
                               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
  }
  if (batch) ::EndDeferWindowPos(batch);
}

void ShowWindowsTogether(const std::vector<HWND>& windows, bool show) {
  if (windows.empty()) return;
  HDWP batch = ::BeginDeferWindowPos(static_cast<int>(windows.size()));
  for (HWND hwnd : windows) {
    if (batch) {
      batch = ::DeferWindowPos(batch, hwnd, nullptr, 0, 0, 0, 0,
                               (show ? SWP_SHOWWINDOW : SWP_HIDEWINDOW) | SWP_NOACTIVATE | SWP_NOZORDER |
                                   SWP_NOSIZE | SWP_NOMOVE);
    }
  }
  if (batch) ::EndDeferWindowPos(batch);
}

POINT WindowPosition(HWND hwnd) {
  RECT r;
  ::GetWindowRect(hwnd, &r);
  return POINT{r.left, r.top};
}

// A linked mini note for one dropped item at point, which then moves on;
// false when the window could not be made.
bool MakeMiniNoteForItem(HWND owner, const std::string& section, CoTaskMem<ITEMIDLIST> idl, POINT* point) {
  HWND mini = section.empty() ? nullptr : CreateMiniNoteWindow(owner, section, MiniCreation::kQuiet);
  if (!mini) return false;  // idl is freed on the way out
  std::string name;
  if (idl) {
    SHFILEINFOA info{};
    if (::SHGetFileInfoA(reinterpret_cast<LPCSTR>(idl.get()), 0, &info, sizeof(info),
                         SHGFI_PIDL | SHGFI_DISPLAYNAME)) {
      name = info.szDisplayName;
    }
  }
  ITEMIDLIST* link = idl.release();
  ::SendMessageA(mini, kMsgSetLink, 0, reinterpret_cast<LPARAM>(link));
  ::SetDlgItemTextA(mini, kIdBody, name.c_str());
  ::SetWindowPos(mini, nullptr, point->x, point->y, 0, 0,
                 SWP_SHOWWINDOW | SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOSIZE);
  point->x += 10;
  point->y += 10;
  return true;
}

// The shared tooltip keeps the tool of every caption button until it is
// told otherwise; without this, each page switch would leave the tools of
// the closed notes behind in it for good.
void ForgetTooltipsOfChildren(HWND hwnd) {
  HWND tooltip = SharedTooltip();
  if (!tooltip) return;
  for (HWND child = ::GetWindow(hwnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    TTTOOLINFOA info{};
    info.cbSize = TTTOOLINFOA_V2_SIZE;
    info.hwnd = hwnd;
    info.uId = reinterpret_cast<UINT_PTR>(child);
    ::SendMessageA(tooltip, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&info));
  }
}

// A colour stored with bits above the 24 of a COLORREF ("-1" reads as
// 0xFFFFFFFF) is none the program wrote: the window keeps its default.
COLORREF StoredColorOr(COLORREF stored, COLORREF fallback) { return (stored & 0xFF000000u) ? fallback : stored; }

// A settings file with bytes in it but neither a Window section nor a mini
// note's is damaged (or another program's): the window opens from its
// defaults and leaves the file as it is.
bool IsUnreadableSettingsFile(const std::string& file) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (file.empty() || !::GetFileAttributesExA(file.c_str(), GetFileExInfoStandard, &data)) return false;
  if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || (data.nFileSizeHigh == 0 && data.nFileSizeLow == 0)) {
    return false;
  }
  for (const std::string& section : IniSectionNames(file)) {
    if (EqualsNoCase(section, kSectionWindow) || EqualsNoCase(section.substr(0, 4), "Mini")) return false;
  }
  return true;
}

}  // namespace

void StartMinimizeTimer(HWND hwnd) {
  ::SetTimer(hwnd, kTimerMinimize, 100, nullptr);
  ::SetPropA(hwnd, kPropMinimizeCounter,
             reinterpret_cast<HANDLE>(static_cast<INT_PTR>(kMinimizeCounterStart)));
}

LRESULT TopLevelWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      return OnCreate(hwnd, *reinterpret_cast<const CREATESTRUCTA*>(lParam));
    case WM_DESTROY:
      OnDestroy(hwnd);
      return 0;
    case WM_CLOSE:
      ShowWindowsTogether(MiniNotesOf(hwnd), false);
      break;
    case WM_SHOWWINDOW:
      OnShowWindow(hwnd, wParam != 0);
      break;
    case WM_ACTIVATE:
      OnActivate(hwnd, LOWORD(wParam));
      break;
    case WM_TIMER:
      if (wParam == kTimerMinimize) {
        OnMinimizeTimer(hwnd);
        return 0;
      }
      if (wParam == kTimerDropMinis) {
        OnDropTimer(hwnd);
        return 0;
      }
      if (wParam == kTimerDropTarget) {
        // A failure here has no one to tell: the note works, it only takes
        // no drops, as a window refused by OLE would.
        ::KillTimer(hwnd, kTimerDropTarget);
        RegisterDropTarget(hwnd);
        return 0;
      }
      break;
    case WM_MOVE:
      OnMove(hwnd);
      break;
    case WM_ENTERSIZEMOVE:
      lastPosition_ = WindowPosition(hwnd);
      break;
    case WM_DISPLAYCHANGE:
      // A screen unplugged or made smaller must not take the window with it.
      KeepWindowOnScreen(hwnd);
      break;
    case WM_ERASEBKGND:
      Paint(hwnd, reinterpret_cast<HDC>(wParam));
      return 1;
    case WM_PRINTCLIENT:
      Paint(hwnd, reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_STYLECHANGING:
      if (wParam == static_cast<WPARAM>(GWL_STYLE)) {
        OnStyleChanging(hwnd, *reinterpret_cast<const STYLESTRUCT*>(lParam));
      }
      break;
    case WM_LBUTTONDOWN:
      // A press anywhere in the client area drags the window.
      ::SendMessageA(hwnd, WM_NCLBUTTONDOWN, HTCAPTION, lParam);
      return 0;
    case WM_LBUTTONDBLCLK:
      ::SendMessageA(hwnd, WM_COMMAND, kCmdProperties, 0);
      return 0;
    case WM_PARENTNOTIFY:
      if (LOWORD(wParam) == WM_CREATE) {
        ::SendMessageA(reinterpret_cast<HWND>(lParam), WM_SETFONT,
                       reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)), FALSE);
      }
      break;
    case WM_MEASUREITEM: {
      auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
      if (measure->CtlType == ODT_MENU) {
        MeasureIconMenuItem(*measure);
        return TRUE;
      }
      break;
    }
    case WM_DRAWITEM: {
      const auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (draw->CtlType == ODT_MENU) {
        DrawIconMenuItem(*draw);
        return TRUE;
      }
      if (draw->CtlType == ODT_BUTTON) {
        DrawCaptionButton(*draw, GetColorProp(hwnd, kPropColorBG));
        return TRUE;
      }
      break;
    }
    case WM_COMMAND:
      return OnCommand(hwnd, LOWORD(wParam), reinterpret_cast<HWND>(lParam));
    case kMsgSettingsChanged:
      OnSettingsChanged(hwnd);
      return 0;
    case kMsgRedraw:
      ::RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_ERASENOW);
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

RECT SavedPlacement(const IniSectionValues& saved, const RECT& current) {
  int x = saved.Int(kKeyX, current.left);
  int y = saved.Int(kKeyY, current.top);
  int cx = SavedSizeOr(saved.Int(kKeyCX, Width(current)), Width(current));
  int cy = SavedSizeOr(saved.Int(kKeyCY, Height(current)), Height(current));
  return OntoScreen(ClampWindowRect(SavedWindowRect(x, y, cx, cy), WorkArea()));
}

namespace {

// The window's style with the note bits of its settings, without the frame
// bits the system gives a new window and a note does not have.
DWORD StyleFromSettings(DWORD style, const IniSectionValues& saved) {
  DWORD noteBits = static_cast<DWORD>(saved.Int(kKeyStyle, static_cast<int>(style & kNoteStyleMask)));
  return (noteBits & kNoteStyleMask) | (style & kKeptStyleMask);
}

}  // namespace

void TopLevelWindow::OnNcCreate(HWND hwnd, const CREATESTRUCTA& create) {
  const auto* creation = static_cast<const WindowCreation*>(create.lpCreateParams);
  if (!creation || !creation->saved) return;
  DWORD style = static_cast<DWORD>(::GetWindowLongA(hwnd, GWL_STYLE));
  DWORD newStyle = StyleFromSettings(style, *creation->saved);
  if (newStyle != style) ::SetWindowLongA(hwnd, GWL_STYLE, static_cast<LONG>(newStyle));
}

LRESULT TopLevelWindow::OnCreate(HWND hwnd, const CREATESTRUCTA& create) {
  DWORD style = static_cast<DWORD>(::GetWindowLongA(hwnd, GWL_STYLE));
  // A note takes drops once the notes of its page are up: registering costs
  // as much as a third of making the window, and no drag can reach a note
  // before it shows. The timer comes after the page's input and painting.
  // The bar takes them at once, and cannot be made without.
  if (style & WS_POPUP) {
    if (!RegisterDropTarget(hwnd)) {
      ShowError(hwnd, "RegisterDragDrop failed");
      return -1;
    }
  } else {
    ::SetTimer(hwnd, kTimerDropTarget, USER_TIMER_MINIMUM, nullptr);
  }
  std::string file = SettingsFileOfWindow(hwnd);
  const auto* creation = static_cast<const WindowCreation*>(create.lpCreateParams);
  std::optional<IniSectionValues> read;
  if (!creation || !creation->saved) read.emplace(file, kSectionWindow);
  const IniSectionValues& saved = read ? *read : *creation->saved;
  DWORD newStyle = StyleFromSettings(style, saved);
  bool frameChanged = newStyle != style;
  if (frameChanged) ::SetWindowLongA(hwnd, GWL_STYLE, static_cast<LONG>(newStyle));

  RECT current;
  ::GetWindowRect(hwnd, &current);
  ::SetPropA(hwnd, kPropLoadedSettings, &loaded_);
  // Placed by its opener, the window need not ask the monitors again.
  RECT placed = creation && creation->placed ? current : SavedPlacement(saved, current);
  // The new frame and the saved place in one move, and none when the
  // window was made where it belongs: a page opens many notes, and every
  // move of a note lays out its caption again. Without SWP_NOACTIVATE each
  // note would be activated as it opens, only to be deactivated by the next.
  UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
  if (frameChanged) flags |= SWP_FRAMECHANGED;
  if (newStyle & WS_POPUP) flags |= SWP_NOSIZE;  // the main bar keeps its size
  bool inPlace = (newStyle & WS_POPUP) ? placed.left == current.left && placed.top == current.top
                                       : ::EqualRect(&placed, &current) != FALSE;
  if (frameChanged || !inPlace) {
    ::SetWindowPos(hwnd, nullptr, placed.left, placed.top, Width(placed), Height(placed), flags);
  }
  // The kinds lay out their body at WM_SIZE. A new frame brings one; a note
  // made with its frame gets none while it is made, even when it moves.
  if (!frameChanged && !(newStyle & WS_POPUP)) {
    RECT client;
    ::GetClientRect(hwnd, &client);
    ::SendMessageA(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(Width(client), Height(client)));
  }
  lastPosition_ = WindowPosition(hwnd);
  RememberPlacement(hwnd, saved, file);

  ApplySettings(hwnd, saved);
  CreateMiniNotesFromSettings(hwnd, file);
  // The bar shows its buttons once it is up; a note shows its own with its
  // caption.
  if (newStyle & WS_POPUP) ::PostMessageA(hwnd, kMsgShowButtons, 0, 0);
  return 0;
}

// The save writes what changed since the window opened. A value that the
// window could not take as it was (a rectangle off the screen, a style with
// bits of no meaning) counts as loaded in the form the window took, so an
// untouched window leaves its file as it is. Keys missing from a readable
// file are written: they record where a new window was put.
void TopLevelWindow::RememberPlacement(HWND hwnd, const IniSectionValues& saved, const std::string& file) {
  bool unreadable = saved.Empty() && IsUnreadableSettingsFile(file);
  RECT r;
  ::GetWindowRect(hwnd, &r);
  const std::pair<const char*, int> placed[] = {
      {kKeyStyle, static_cast<int>(::GetWindowLongA(hwnd, GWL_STYLE) & kNoteStyleMask)},
      {kKeyX, r.left},
      {kKeyY, r.top},
      {kKeyCX, Width(r)},
      {kKeyCY, Height(r)},
  };
  for (const auto& value : placed) {
    if (unreadable || saved.Has(value.first)) loaded_.Set(value.first, value.second);
  }
}

void TopLevelWindow::OnDestroy(HWND hwnd) {
  RevokeDropTarget();
  if (HasChildTooltips()) ForgetTooltipsOfChildren(hwnd);
  ::KillTimer(hwnd, kTimerMinimize);
  ::KillTimer(hwnd, kTimerDropMinis);
  ::KillTimer(hwnd, kTimerDropTarget);
  ::RemovePropA(hwnd, kPropMinimizeCounter);
  // A window that refused its creation was never placed from its settings:
  // writing them would record a note that never opened.
  if (Created() && !HwndGetText(hwnd).empty()) SaveWindowSettings(hwnd);
  ::RemovePropA(hwnd, kPropLoadedSettings);
  RemoveColorProps(hwnd);
}

void TopLevelWindow::SaveWindowSettings(HWND hwnd) {
  std::string file = SettingsFileOfWindow(hwnd);
  if (file.empty()) return;
  RECT r;
  ::GetWindowRect(hwnd, &r);
  IniIntBaseline writeAll;
  auto* loaded = static_cast<IniIntBaseline*>(::GetPropA(hwnd, kPropLoadedSettings));
  IniIntBaseline& baseline = loaded ? *loaded : writeAll;
  // One pass over the file for all of them, none when nothing moved.
  baseline.Write(file, kSectionWindow,
                 {{kKeyStyle, static_cast<int>(::GetWindowLongA(hwnd, GWL_STYLE) & kNoteStyleMask)},
                  {kKeyX, r.left},
                  {kKeyY, r.top},
                  {kKeyCX, Width(r)},
                  {kKeyCY, Height(r)}});
}

void TopLevelWindow::OnShowWindow(HWND hwnd, bool show) {
  ShowWindowsTogether(MiniNotesOf(hwnd), show);
  StartMinimizeTimer(hwnd);
}

void TopLevelWindow::OnActivate(HWND hwnd, WORD state) {
  if (state == WA_INACTIVE) {
    StartMinimizeTimer(hwnd);
  } else {
    ::KillTimer(hwnd, kTimerMinimize);
  }
}

void TopLevelWindow::OnMinimizeTimer(HWND hwnd) {
  DWORD style = static_cast<DWORD>(::GetWindowLongA(hwnd, GWL_STYLE));
  if (style & (kStylePinned | kStyleNoAutoMinimize)) {
    ::KillTimer(hwnd, kTimerMinimize);
    return;
  }
  // The count pauses while the user works with the program: a modal dialog,
  // a button held down, the cursor over one of its windows, or it in front.
  DWORD thread = ::GetCurrentThreadId();
  POINT cursor{};
  ::GetCursorPos(&cursor);
  HWND under = ::WindowFromPoint(cursor);
  HWND foreground = ::GetForegroundWindow();
  if (!::IsWindowEnabled(hwnd) || (::GetKeyState(VK_LBUTTON) & 0x8000) ||
      (::GetKeyState(VK_RBUTTON) & 0x8000) ||
      (under && ::GetWindowThreadProcessId(under, nullptr) == thread) ||
      (foreground && ::GetWindowThreadProcessId(foreground, nullptr) == thread)) {
    return;
  }
  INT_PTR counter = reinterpret_cast<INT_PTR>(::GetPropA(hwnd, kPropMinimizeCounter)) - kMinimizeCounterStep;
  ::SetPropA(hwnd, kPropMinimizeCounter, reinterpret_cast<HANDLE>(counter));
  if (counter > 0) return;
  ::SendMessageA(hwnd, WM_COMMAND, kCmdMinimize, 0);
  ::KillTimer(hwnd, kTimerMinimize);
}

void TopLevelWindow::OnMove(HWND hwnd) {
  POINT now = WindowPosition(hwnd);
  int dx = now.x - lastPosition_.x, dy = now.y - lastPosition_.y;
  lastPosition_ = now;
  if (dx != 0 || dy != 0) MoveWindowsBy(MiniNotesOf(hwnd), dx, dy);
}

void TopLevelWindow::OnStyleChanging(HWND hwnd, const STYLESTRUCT& change) {
  DWORD oldStyle = change.styleOld, newStyle = change.styleNew;
  if (HasHotBit(oldStyle) && !HasHotBit(newStyle)) {
    ::SetWindowPos(hwnd, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
  } else if (!HasHotBit(oldStyle) && HasHotBit(newStyle)) {
    ::SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
  }
  if ((oldStyle ^ newStyle) & kStylePinned) {
    if (HWND pin = ::GetDlgItem(hwnd, kCmdPin)) SetButtonChecked(pin, (newStyle & kStylePinned) != 0);
  }
  if ((oldStyle ^ newStyle) & kStyleRestoreByDblClick) {
    if (HWND button = ::GetDlgItem(hwnd, kCmdRestoreByDblClick)) {
      SetButtonChecked(button, (newStyle & kStyleRestoreByDblClick) != 0);
    }
  }
}

void TopLevelWindow::OnSettingsChanged(HWND hwnd) {
  ApplySettings(hwnd, IniSectionValues(SettingsFileOfWindow(hwnd), kSectionWindow));
}

void TopLevelWindow::ApplySettings(HWND hwnd, const IniSectionValues& saved) {
  for (const auto& color : {std::make_pair(kKeyColorBG, kPropColorBG), std::make_pair(kKeyColorText, kPropColorText)}) {
    COLORREF current = GetColorProp(hwnd, color.second);
    SetColorProp(hwnd, color.second, StoredColorOr(saved.Color(color.first, current), current));
  }
  if (SetLayeredWindowAttributesFn layered = LayeredFunction()) {
    int alpha = ClampAlpha(saved.Int(kKeyAlpha, 0));
    LONG exStyle = ::GetWindowLongA(hwnd, GWL_EXSTYLE);
    if (alpha > 0) {
      if (!(exStyle & WS_EX_LAYERED)) ::SetWindowLongA(hwnd, GWL_EXSTYLE, exStyle | WS_EX_LAYERED);
      layered(hwnd, 0, OpacityFromAlpha(alpha), LWA_ALPHA);
    } else if (exStyle & WS_EX_LAYERED) {
      ::SetWindowLongA(hwnd, GWL_EXSTYLE, exStyle & ~WS_EX_LAYERED);
    }
  }
  // Sent while the window is made as well: the kinds take their colours
  // (brushes, a tree's, a calendar's) from it.
  ::SendMessageA(hwnd, kMsgRedraw, 0, 0);
}

LRESULT TopLevelWindow::OnCommand(HWND hwnd, int id, HWND control) {
  switch (id) {
    case kCmdClose:
      ::PostMessageA(hwnd, WM_CLOSE, 0, 0);
      return 0;
    case kCmdManual:
      ::ShellExecuteA(hwnd, nullptr, kManualUrl, nullptr, nullptr, SW_SHOWNORMAL);
      return 0;
    case kCmdDownload:
      ::ShellExecuteA(hwnd, nullptr, kDownloadUrl, nullptr, nullptr, SW_SHOWNORMAL);
      return 0;
    case kCmdProperties:
      OpenPropertySheet(hwnd, 0);
      return 0;
    case kCmdMenuButton: {
      RECT r{};
      if (control) ::GetWindowRect(control, &r);
      ::SendMessageA(hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(r.left, r.bottom));
      return 0;
    }
    case kCmdMinimize:
      MinimizeToEdge(hwnd);
      return 0;
    case kCmdRestoreByDblClick:
      HwndSetStyle(hwnd, HwndStyle(hwnd) ^ kStyleRestoreByDblClick);
      return 0;
    case kCmdPin:
      HwndSetStyle(hwnd, HwndStyle(hwnd) ^ kStylePinned);
      return 0;
    case kCmdNewMini:
      NewMiniNoteAtCursor(hwnd);
      return 0;
    case kCmdDuplicate:
      if (!(::GetWindowLongA(hwnd, GWL_STYLE) & WS_POPUP)) {
        SaveBeforeCopy(hwnd);
        DuplicateNote(hwnd);
      }
      return 0;
  }
  return 0;
}

void TopLevelWindow::DuplicateNote(HWND hwnd) {
  SaveWindowSettings(hwnd);
  HWND bar = ::FindWindowA(kClassMain, nullptr);
  if (!bar || bar == hwnd) return;
  std::string oldName = HwndGetText(hwnd);
  std::string newName = UniqueNoteName(oldName);
  std::string oldPath = NotePath(oldName);
  std::string newPath = NotePath(newName);
  if (newName.empty() || oldPath.empty() || newPath.empty()) return;
  if (!ShellCopy(hwnd, oldPath, newPath)) return;
  std::string oldIni = PathAppend(oldPath, ".ini");
  std::string newIni = PathAppend(newPath, ".ini");
  if (!oldIni.empty() && !newIni.empty()) ::CopyFileA(oldIni.c_str(), newIni.c_str(), FALSE);
  HWND copy = reinterpret_cast<HWND>(
      ::SendMessageA(bar, kMsgOpenNote, 1, reinterpret_cast<LPARAM>(newName.c_str())));
  if (copy) {
    RECT r;
    ::GetWindowRect(copy, &r);
    ::SetWindowPos(copy, nullptr, r.left + 10, r.top + 10, 0, 0, SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOSIZE);
  }
}

LRESULT TopLevelWindow::OnDropQuery(IDataObject* data) {
  return OffersHGlobal(data, CF_HDROP) || OffersHGlobal(data, ShellIdListClipFormat());
}

void TopLevelWindow::OnDrop(HWND hwnd, DWORD* effect, IDataObject* data) {
  if (effect) *effect = DROPEFFECT_NONE;
  if (!data) return;
  std::vector<unsigned char> bytes;
  std::vector<IdlBytes> idls;
  std::vector<std::string> files;
  if (GetHGlobalBytes(data, ShellIdListClipFormat(), &bytes)) {
    idls = AbsoluteIdlsFromCida(bytes.data(), bytes.size());
  } else if (GetHGlobalBytes(data, CF_HDROP, &bytes)) {
    files = FilesFromDropFiles(bytes.data(), bytes.size());
  }
  size_t count = idls.empty() ? files.size() : idls.size();
  if (count == 0) return;
  size_t taken = count < kMaxMiniNotesPerDrop ? count : kMaxMiniNotesPerDrop;
  for (size_t i = 0; i < taken; ++i) {
    DroppedItem item;
    if (idls.empty()) {
      item.file = std::move(files[i]);
    } else {
      item.idl = std::move(idls[i]);
    }
    dropped_.push_back(std::move(item));
  }
  droppedBeyondLimit_ += count - taken;
  ::GetCursorPos(&dropPoint_);
  ::SetTimer(hwnd, kTimerDropMinis, USER_TIMER_MINIMUM, nullptr);
}

void TopLevelWindow::OnDropTimer(HWND hwnd) {
  // A few per tick: a timer comes only when no input and no painting is
  // waiting, so the user's clicks and keys go first.
  constexpr size_t kPerTick = 10;
  // Named afresh at every tick: between ticks other mini notes may be made.
  MiniSectionNamer names = NewMiniSections(SettingsFileOfWindow(hwnd));
  for (size_t i = 0; i < kPerTick && !dropped_.empty(); ++i) {
    DroppedItem& item = dropped_.front();
    CoTaskMem<ITEMIDLIST> idl = item.file.empty() ? IdlFromBytes(item.idl) : IdlFromPath(item.file);
    // One window that cannot be made means the next cannot either (the
    // system is out of window handles, or OLE refuses drop targets).
    if (!MakeMiniNoteForItem(hwnd, names.Next(), std::move(idl), &dropPoint_)) {
      dropFailed_ = true;
      droppedBeyondLimit_ += dropped_.size();
      dropped_.clear();
      break;
    }
    dropped_.pop_front();
  }
  if (!dropped_.empty()) return;
  ::KillTimer(hwnd, kTimerDropMinis);
  size_t left = droppedBeyondLimit_;
  bool failed = dropFailed_;
  droppedBeyondLimit_ = 0;
  dropFailed_ = false;
  if (left == 0) return;
  char text[256];
  if (failed) {
    std::snprintf(text, sizeof(text), "ミニ付箋を作成できませんでした。\r\n残りの %u 個は作成していません。",
                  static_cast<unsigned>(left));
  } else {
    std::snprintf(text, sizeof(text),
                  "一度にミニ付箋にできるのは %u 個までです。\r\n残りの %u 個は作成していません。",
                  static_cast<unsigned>(kMaxMiniNotesPerDrop), static_cast<unsigned>(left));
  }
  ::MessageBoxA(hwnd, text, kProductName, failed ? MB_ICONERROR : MB_ICONINFORMATION);
}

void TopLevelWindow::Paint(HWND hwnd, HDC dc) {
  RECT client;
  ::GetClientRect(hwnd, &client);
  UniqueBrush brush(::CreateSolidBrush(BackgroundTint(GetColorProp(hwnd, kPropColorBG))));
  ::FillRect(dc, &client, brush.get());
}

}  // namespace memo
