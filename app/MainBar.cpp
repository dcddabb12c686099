// The main bar window.
#include "app/MainBar.h"

#include <commctrl.h>
#include <shellapi.h>

#include <memory>

#include "app/Hotkeys.h"
#include "app/MainMenu.h"
#include "app/Registry.h"
#include "app/SearchWindow.h"
#include "app/SettingsPage.h"
#include "app/Splash.h"
#include "app/Startup.h"
#include "frame/CaptionButton.h"
#include "frame/ClassNames.h"
#include "frame/Colors.h"
#include "frame/Geometry.h"
#include "frame/Messages.h"
#include "frame/Monitors.h"
#include "frame/NoteWindows.h"
#include "frame/ThreadWindows.h"
#include "frame/Tooltip.h"
#include "resources/resource.h"
#include "store/FileSystem.h"
#include "store/NoteOps.h"
#include "store/Paths.h"
#include "store/Settings.h"
#include "store/ShellOps.h"
#include "store/Store.h"
#include "store/TextFile.h"
#include "store/WinText.h"

namespace memo {
namespace {

const ClassRegistrar kRegistrar(kClassMain, CS_DBLCLKS, IDI_APP, &Dispatch<MainBar>);

constexpr int kMinWidth = 120;
constexpr int kHeight = 24;
constexpr int kEdgeGrip = 5;       // resize zone at each end
constexpr int kTextMargin = 31;    // room for the buttons beside the page name
constexpr int kButtonWidth = 20;
constexpr COLORREF kActiveFrame = 0x55AAFF;    // orange
constexpr COLORREF kInactiveFrame = 0xFFAA55;  // light blue
constexpr DWORD kPageListStyle = WS_CHILD | WS_CLIPSIBLINGS | CBS_DROPDOWNLIST | CBS_SORT;
constexpr DWORD kPageListExStyle = WS_EX_CLIENTEDGE | WS_EX_TOPMOST;
constexpr int kPageListDropHeight = 600;
// How long the end waits for the shell to take the tray icon away.
constexpr DWORD kTrayRemovalWaitMs = 10000;

// Waits for the object, answering what other threads send to this one
// meanwhile (a shell that calls back must not wait for us in turn), no
// longer than ms.
void WaitAnsweringSentMessages(HANDLE object, DWORD ms) {
  DWORD start = ::GetTickCount();
  for (;;) {
    DWORD spent = ::GetTickCount() - start;
    if (spent >= ms) return;
    DWORD woke = ::MsgWaitForMultipleObjects(1, &object, FALSE, ms - spent, QS_SENDMESSAGE);
    if (woke != WAIT_OBJECT_0 + 1) return;
    MSG msg;
    ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
}

// A named CALLBACK function, as the thread entry must be stdcall on 32-bit
// Windows. It owns data.
DWORD WINAPI RemoveTrayIconThread(void* data) {
  std::unique_ptr<NOTIFYICONDATAA> icon(static_cast<NOTIFYICONDATAA*>(data));
  ::Shell_NotifyIconA(NIM_DELETE, icon.get());
  return 0;
}

// The message the shell broadcasts when it (re)starts: its notification area
// is new and empty then, so every tray icon must be added again.
UINT TaskbarCreatedMessage() {
  static const UINT message = ::RegisterWindowMessageA("TaskbarCreated");
  return message;
}

// The shared tooltip would stay over a menu or list that the bar opens
// beneath the button it describes, and come back there at the next mouse
// move: it is put away and kept off while that menu or list is open.
void HoldTooltip(bool hold) {
  HWND tooltip = SharedTooltip();
  if (!tooltip) return;
  if (hold) ::SendMessageA(tooltip, TTM_POP, 0, 0);
  ::SendMessageA(tooltip, TTM_ACTIVATE, hold ? FALSE : TRUE, 0);
}

// A drag of the bar: where the left button went down, and whether the move
// loop that follows was started by that press.
POINT gPressPoint{};
bool gDragging = false;

void FrameWith(HDC dc, RECT r, int inset, COLORREF color) {
  ::InflateRect(&r, -inset, -inset);
  UniqueBrush brush(::CreateSolidBrush(color));
  ::FrameRect(dc, &r, brush.get());
}

struct NewNoteModel {
  int command;
  const char* model;
  NoteKind kind;
};
constexpr NewNoteModel kNewNoteModels[] = {
    {kCmdNewText, kModelText, NoteKind::kText},          {kCmdNewFolder, kModelFolder, NoteKind::kFolder},
    {kCmdNewBrowser, kModelBrowser, NoteKind::kBrowser}, {kCmdNewImage, kModelImage, NoteKind::kImage},
    {kCmdNewCalendar, kModelCalendar, NoteKind::kCalendar},
};

}  // namespace

LRESULT MainBar::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == TaskbarCreatedMessage() && message != 0) {
    if (Created()) AddTrayIcon(hwnd);
    return 0;
  }
  switch (message) {
    case WM_CREATE:
      return OnCreate(hwnd, message, wParam, lParam);
    case WM_DESTROY:
      OnDestroy(hwnd);
      break;  // the shared handling saves the bar's place
    case WM_ENDSESSION:
      if (wParam) ::SendMessageA(hwnd, WM_CLOSE, 0, 0);
      return 0;
    case WM_SIZE:
      OnSize(hwnd);
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE) ::SendMessageA(hwnd, WM_COMMAND, kCmdBringToFront, 0);
      break;
    case WM_NCACTIVATE:
      // The frame colour shows whether the bar is in front.
      ::InvalidateRect(hwnd, nullptr, TRUE);
      return ::DefWindowProcA(hwnd, message, wParam, lParam);
    case WM_SETTEXT: {
      std::string text = lParam ? reinterpret_cast<const char*>(lParam) : "";
      if (!OnSetText(hwnd, text)) return FALSE;
      return ::DefWindowProcA(hwnd, message, wParam, lParam);
    }
    case WM_SHOWWINDOW:
      // The page opens once the bar is on the screen: a page of many notes
      // takes seconds, and the user should see the program start meanwhile.
      if (wParam && HwndGetText(hwnd).empty()) ::PostMessageA(hwnd, kMsgOpenStartPage, 0, 0);
      break;
    case kMsgOpenStartPage:
      OpenStartPage(hwnd);
      return 0;
    case WM_TIMER:
      if (wParam == kTimerPageWatch) {
        pageWatch_.Poll();
        return 0;
      }
      break;
    case kMsgFinishStart:
      SetTooltip(hwnd, ::GetDlgItem(hwnd, kCmdMenuButton), "メニュー");
      SetTooltip(hwnd, ::GetDlgItem(hwnd, kCmdPageList), "ページ一覧");
      AddTrayIcon(hwnd);
      RegisterHotkeys(hwnd);
      return 0;
    case WM_ERASEBKGND:
    case WM_PRINTCLIENT:
      Paint(hwnd, reinterpret_cast<HDC>(wParam));
      return message == WM_ERASEBKGND ? 1 : 0;
    case WM_GETMINMAXINFO: {
      auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
      info->ptMinTrackSize.x = kMinWidth;
      info->ptMaxTrackSize.y = kHeight;
      return 0;
    }
    case WM_NCHITTEST:
      return OnNcHitTest(hwnd, message, wParam, lParam);
    case WM_LBUTTONDOWN:
      OnLButtonDown(hwnd);
      return 0;
    case WM_ENTERSIZEMOVE:
      OnEnterSizeMove(hwnd);
      break;
    case WM_EXITSIZEMOVE:
      ::ClipCursor(nullptr);
      gDragging = false;
      break;
    case WM_CONTEXTMENU: {
      POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      if (lParam == -1) ::GetCursorPos(&at);  // from the keyboard
      HoldTooltip(true);
      ShowMainMenu(hwnd, at.x, at.y);
      HoldTooltip(false);
      return 0;
    }
    case WM_PARENTNOTIFY:
      OnParentNotify(hwnd, wParam);
      break;
    case kMsgTray:
      OnTray(hwnd, lParam);
      return 0;
    case kMsgExtraPages:
      // The application settings and shortcut key pages follow the page's
      // own pages.
      if (lParam) *reinterpret_cast<const ExtraPage**>(lParam) = pages_;
      return sizeof(pages_) / sizeof(pages_[0]);
    case WM_HOTKEY:
      OnHotkey(hwnd, wParam);
      return 0;
    case kMsgShowButtons:
      ShowButtons(hwnd);
      return 0;
    case kMsgOpenNote:
      return reinterpret_cast<LRESULT>(
          lParam ? OpenNoteWindow(reinterpret_cast<const char*>(lParam), wParam != 0, false) : nullptr);
    case WM_COMMAND: {
      LRESULT result = 0;
      if (OnCommand(hwnd, LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam), &result)) {
        return result;
      }
      break;
    }
  }
  return TopLevelWindow::WindowProc(hwnd, message, wParam, lParam);
}

LRESULT MainBar::OnCreate(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  SetColorProp(hwnd, kPropColorText, 0);
  SetColorProp(hwnd, kPropColorBG, 0xFFFFFF);
  std::string rootIni = RootIniPath();
  if (IniReadInt(rootIni, kSectionInfo, kKeyAutoRun, 1) != 0) SetAutoStart(true);
  // Their tooltips come once the bar shows: the tooltip loads the common
  // controls library, which the bar does not need to appear.
  CreateCaptionButton(hwnd, kCmdMenuButton, ">", nullptr);
  CreateCaptionButton(hwnd, kCmdPageList, "V", nullptr);
  LRESULT result = TopLevelWindow::WindowProc(hwnd, message, wParam, lParam);
  // The tray icon waits until the bar is on the screen: adding it is a
  // round trip to the shell that the user should not wait for. Start-up
  // shows the bar before its message loop runs, and the notes of the start
  // page are posted by that show, so the icon comes after the first and
  // before the others. Posted, it also comes only to a complete bar: an
  // icon added before a failing step would outlive the window it calls back.
  if (result != -1) ::PostMessageA(hwnd, kMsgFinishStart, 0, 0);
  return result;
}

void MainBar::OnDestroy(HWND hwnd) {
  // From here on the program is ending: a copy started now waits for this
  // one to end instead of waking a bar that is going away.
  AnnounceQuit();
  UnregisterHotkeys(hwnd);
  CloseSearchWindow();
  pageWatch_.Stop();
  // The shell takes the icon away in its own time (Wine's, without a
  // window manager, seconds when it was the last one): the notes close
  // meanwhile, and the end waits for both.
  UniqueHandle trayRemoval = RemoveTrayIcon(hwnd);
  CloseNotes();
  if (trayRemoval) WaitAnsweringSentMessages(trayRemoval.get(), kTrayRemovalWaitMs);
  ::PostQuitMessage(0);
}

void MainBar::AddTrayIcon(HWND hwnd) {
  int iconId = IsWindowsXPOrLater() ? IDI_APP : IDI_APP_CLASSIC;
  trayIcon_.reset(static_cast<HICON>(
      ::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(iconId), IMAGE_ICON, 16, 16, 0)));
  NOTIFYICONDATAA data{};
  data.cbSize = NOTIFYICONDATAA_V1_SIZE;
  data.hWnd = hwnd;
  data.uID = 0;
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data.uCallbackMessage = kMsgTray;
  data.hIcon = trayIcon_.get();
  lstrcpynA(data.szTip, kProductName, sizeof(data.szTip));
  // Told that the shell restarted while the icon is still there, the add
  // fails: the icon is then brought up to date instead of duplicated.
  trayAdded_ = ::Shell_NotifyIconA(NIM_ADD, &data) != FALSE ||
               (trayAdded_ && ::Shell_NotifyIconA(NIM_MODIFY, &data) != FALSE);
}

UniqueHandle MainBar::RemoveTrayIcon(HWND hwnd) {
  if (!trayAdded_) return UniqueHandle();
  trayAdded_ = false;
  auto data = std::make_unique<NOTIFYICONDATAA>();
  *data = NOTIFYICONDATAA{};
  data->cbSize = NOTIFYICONDATAA_V1_SIZE;
  data->hWnd = hwnd;
  data->uID = 0;
  NOTIFYICONDATAA* handed = data.release();  // the thread's once it runs
  UniqueHandle thread(::CreateThread(nullptr, 0, RemoveTrayIconThread, handed, 0, nullptr));
  if (!thread) {
    data.reset(handed);
    ::Shell_NotifyIconA(NIM_DELETE, data.get());
  }
  return thread;
}

void MainBar::OnSize(HWND hwnd) {
  RECT client;
  ::GetClientRect(hwnd, &client);
  int height = Height(client) - 6;
  UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
  if (HWND menu = ::GetDlgItem(hwnd, kCmdMenuButton)) {
    ::SetWindowPos(menu, nullptr, 3, 3, kButtonWidth, height, flags);
  }
  if (HWND pages = ::GetDlgItem(hwnd, kCmdPageList)) {
    ::SetWindowPos(pages, nullptr, Width(client) - 23, 3, kButtonWidth, height, flags);
  }
  ::InvalidateRect(hwnd, nullptr, TRUE);
}

LRESULT MainBar::OnNcHitTest(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  RECT r;
  ::GetWindowRect(hwnd, &r);
  int x = static_cast<short>(LOWORD(lParam));
  if (x < r.left + kEdgeGrip) return HTLEFT;
  if (x >= r.right - kEdgeGrip) return HTRIGHT;
  return TopLevelWindow::WindowProc(hwnd, message, wParam, lParam);
}

void MainBar::OnLButtonDown(HWND hwnd) {
  ::GetCursorPos(&gPressPoint);
  gDragging = true;
  ::PostMessageA(hwnd, WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(gPressPoint.x, gPressPoint.y));
}

void MainBar::OnEnterSizeMove(HWND hwnd) {
  if (!gDragging) return;
  RECT window, workArea{};
  ::GetWindowRect(hwnd, &window);
  ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea, 0);
  RECT clip = MainBarDragClip(window, workArea, gPressPoint);
  ::ClipCursor(&clip);
}

void MainBar::OnParentNotify(HWND hwnd, WPARAM wParam) {
  UINT event = LOWORD(wParam);
  if ((event == WM_CREATE || event == WM_DESTROY) && HIWORD(wParam) == kIdBody) {
    bool enable = event == WM_DESTROY;
    ::EnableWindow(::GetDlgItem(hwnd, kCmdMenuButton), enable);
    ::EnableWindow(::GetDlgItem(hwnd, kCmdPageList), enable);
    if (enable) HoldTooltip(false);
  }
}

void MainBar::OnTray(HWND hwnd, LPARAM mouseMessage) {
  if (mouseMessage == WM_LBUTTONDOWN) {
    ::SetForegroundWindow(hwnd);
    ::SendMessageA(hwnd, WM_COMMAND, kCmdBringToFront, 0);
  } else if (mouseMessage == WM_RBUTTONUP) {
    ::SetForegroundWindow(hwnd);
    POINT cursor;
    ::GetCursorPos(&cursor);
    ::SendMessageA(hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(cursor.x, cursor.y));
  }
}

void MainBar::ShowButtons(HWND hwnd) {
  ::ShowWindow(::GetDlgItem(hwnd, kCmdMenuButton), SW_SHOWNOACTIVATE);
  ::ShowWindow(::GetDlgItem(hwnd, kCmdPageList), SW_SHOWNOACTIVATE);
}

void MainBar::Paint(HWND hwnd, HDC dc) {
  RECT client;
  ::GetClientRect(hwnd, &client);
  COLORREF background = GetColorProp(hwnd, kPropColorBG);
  UniqueBrush fill(::CreateSolidBrush(background));
  ::FillRect(dc, &client, fill.get());
  FrameWith(dc, client, 0, background);
  FrameWith(dc, client, 1, ::GetForegroundWindow() == hwnd ? kActiveFrame : kInactiveFrame);
  FrameWith(dc, client, 2, background);

  std::string page = HwndGetText(hwnd);
  RECT text = client;
  text.left += kTextMargin;
  text.right -= kTextMargin;
  SelectScope font(dc, ::GetStockObject(DEFAULT_GUI_FONT));
  int oldMode = ::SetBkMode(dc, TRANSPARENT);
  COLORREF oldColor = ::SetTextColor(dc, GetColorProp(hwnd, kPropColorText));
  ::DrawTextA(dc, page.c_str(), static_cast<int>(page.size()), &text,
              DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
  ::SetTextColor(dc, oldColor);
  ::SetBkMode(dc, oldMode);
}

bool MainBar::OnCommand(HWND hwnd, int id, int code, HWND control, LRESULT* result) {
  switch (id) {
    case kCmdBringToFront:
      BringAllToTop();
      return true;
    case kCmdNewPage:
      NewPage(hwnd);
      return true;
    case kCmdNewText:
    case kCmdNewFolder:
    case kCmdNewBrowser:
    case kCmdNewImage:
    case kCmdNewCalendar:
      *result = NewNote(hwnd, id);
      return true;
    case kCmdDelete:
      DeletePage(hwnd);
      return true;
    case kIdBody:
      if (code == CBN_CLOSEUP) OnPageListCloseUp(hwnd, control);
      return true;
    case kCmdPageList:
      OpenPageList(hwnd);
      return true;
    case kCmdSearch:
      OpenSearchWindow(hwnd);
      return true;
    case kCmdSplash:
      // The splash shows the bar as it closes. Without one (no picture, no
      // memory) the bar must still appear, as the splash would leave it.
      if (!ShowSplash() && !::IsWindowVisible(hwnd)) ::ShowWindow(hwnd, SW_SHOWNOACTIVATE);
      return true;
  }
  return false;
}

bool MainBar::OnSetText(HWND hwnd, const std::string& text) {
  std::string root = RootFolder();
  if (!text.empty()) {
    switch (CheckPageName(text, root)) {
      case PageNameCheck::kInvalid:
        ShowError(hwnd, "Invalid FileName", text);
        return false;
      case PageNameCheck::kReserved:
        ShowError(hwnd, "このページ名は使用できません", text);
        return false;
      case PageNameCheck::kOk:
        break;
    }
    std::string current = HwndGetText(hwnd);
    std::string newFolder = PathJoin(root, text);
    if (!current.empty()) {
      if (text == current) return true;  // nothing is reloaded
      std::string oldFolder = PathJoin(root, current);
      if (IsFolder(oldFolder) && !PathExists(newFolder)) {
        BroadcastRefresh(1);
        // A watched folder cannot be renamed.
        pageWatch_.Stop();
        bool renamed = ShellRename(hwnd, oldFolder, newFolder);
        // The new name is current before the windows rebuild: a folder note
        // finds its folder through the current page.
        if (renamed) {
          std::string rootIni = RootIniPath();
          IniWriteString(rootIni, kSectionInfo, kKeyCurrentPage, text.c_str());
          IniFlush(rootIni);
        }
        BroadcastRefresh(0);
        // On the new name once it is the current page, or on the old one.
        pageWatch_.Start(hwnd);
        if (!renamed) return false;
        ::InvalidateRect(hwnd, nullptr, TRUE);
        return true;
      }
    }
    // A page whose folder is missing is created, so that its notes have a
    // place to go.
    if (!IsFolder(newFolder) && !CheckRoot(newFolder)) return false;
  }
  SwitchTo(hwnd, text);
  return true;
}

void MainBar::SwitchTo(HWND hwnd, const std::string& page) {
  pageWatch_.Stop();
  CloseNotes();
  std::string rootIni = RootIniPath();
  IniWriteString(rootIni, kSectionInfo, kKeyCurrentPage, page.c_str());
  IniFlush(rootIni);
  if (!CurrentPage().empty()) {
    RemoveStaleSaveTemps(RootFolder());
    RemoveStaleSaveTemps(CommonFolder());
    RemoveStaleSaveTemps(CurrentPageFolder());
    // Each note paints as it opens: otherwise a page of many notes shows
    // empty frames until the last one is made.
    ScreenSnapshot screen;
    for (const WIN32_FIND_DATAA& entry : ListFolder(CommonFolder())) {
      if (HWND note = OpenNoteWindow(Quote(entry.cFileName), false, false)) ::UpdateWindow(note);
    }
    for (const WIN32_FIND_DATAA& entry : ListFolder(CurrentPageFolder())) {
      if (HWND note = OpenNoteWindow(entry.cFileName, false, false)) ::UpdateWindow(note);
    }
    // Watched from now on: what another program changes in the page shows
    // without a switch.
    pageWatch_.Start(hwnd);
  }
  ::InvalidateRect(hwnd, nullptr, TRUE);
}

void MainBar::OpenStartPage(HWND hwnd) {
  // Another page may have been chosen since the bar showed.
  if (!::IsWindowVisible(hwnd) || !HwndGetText(hwnd).empty()) return;
  std::string page = CurrentPage();
  if (page.empty()) return;
  ::UpdateWindow(hwnd);
  ::SetWindowTextA(hwnd, page.c_str());
}

void MainBar::NewPage(HWND hwnd) {
  ::SetWindowTextA(hwnd, "");
  std::string name = UniquePageName(kModelPage);
  if (name.empty()) return;
  ::SetWindowTextA(hwnd, name.c_str());
  ::PostMessageA(hwnd, WM_COMMAND, kCmdNewText, 0);
  ::PostMessageA(hwnd, WM_COMMAND, kCmdProperties, 0);
}

void MainBar::DeletePage(HWND hwnd) {
  std::string page = CurrentPage();
  if (page.empty()) return;
  std::string question = "\"" + page + "\"に含まれるファイルを全て削除します。\r\n\r\nよろしいですか？";
  if (::MessageBoxA(hwnd, question.c_str(), kProductName, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
  std::string folder = PathJoin(RootFolder(), page);
  ::SetWindowTextA(hwnd, "");
  ShellDelete(hwnd, folder);
}

void MainBar::OnHotkey(HWND hwnd, WPARAM id) {
  int command = HotkeyCommand(id);
  if (command != kCmdNewText) {
    if (command != 0) ::SendMessageA(hwnd, WM_COMMAND, static_cast<WPARAM>(command), 0);
    return;
  }
  // Typed into at once: the system lets the program that received the
  // hotkey take the foreground.
  HWND note = nullptr;
  if (NewNote(hwnd, command, &note) != 0 || !note) return;
  ::SetForegroundWindow(note);
  if (HWND body = ::GetDlgItem(note, kIdBody)) ::SetFocus(body);
}

LRESULT MainBar::NewNote(HWND hwnd, int command, HWND* created) {
  // Without a current page a plain name would resolve into the root folder.
  if (CurrentPage().empty()) return 0;
  for (const NewNoteModel& model : kNewNoteModels) {
    if (model.command != command) continue;
    std::string name = UniqueNoteName(model.model);
    std::string path = NotePath(name);
    if (name.empty() || path.empty()) {
      ShowError(hwnd, model.kind == NoteKind::kFolder ? "Create new Folder failed" : "Create new File failed",
                name);
      return -1;
    }
    if (!CreateNoteContent(model.kind, path)) {
      ShowError(hwnd, model.kind == NoteKind::kFolder ? "Create new Folder failed" : "Create new File failed",
                path);
      return -1;
    }
    HWND note = OpenNoteWindow(name, true, false);
    if (created) *created = note;
    return 0;
  }
  return 0;
}

void MainBar::OpenPageList(HWND hwnd) {
  if (HWND open = ::GetDlgItem(hwnd, kIdBody)) ::SendMessageA(open, WM_CLOSE, 0, 0);
  std::vector<WIN32_FIND_DATAA> entries = ListFolder(RootFolder());
  RECT client;
  ::GetClientRect(hwnd, &client);
  RECT r{kTextMargin, client.top + 4, Width(client) - kTextMargin, Height(client) - 6};
  ::AdjustWindowRectEx(&r, kPageListStyle, FALSE, kPageListExStyle);
  // Gone before the list is there, until the list is destroyed.
  HoldTooltip(true);
  HWND combo = ::CreateWindowExA(kPageListExStyle, "COMBOBOX", nullptr, kPageListStyle, r.left, r.top,
                                 Width(r), Height(r) + kPageListDropHeight, hwnd,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdBody)),
                                 ::GetModuleHandleA(nullptr), nullptr);
  if (!combo) {
    HoldTooltip(false);
    return;
  }
  ::SetFocus(combo);
  for (const WIN32_FIND_DATAA& entry : entries) {
    if (IsPageEntry(entry)) ::SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.cFileName));
  }
  // The combo's own search ignores case; the current page is found exactly.
  std::string current = HwndGetText(hwnd);
  LRESULT count = ::SendMessageA(combo, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    char item[kMaxPathBytes] = {};
    if (::SendMessageA(combo, CB_GETLBTEXTLEN, i, 0) >= static_cast<LRESULT>(sizeof(item))) continue;
    ::SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
    if (current == item) {
      ::SendMessageA(combo, CB_SETCURSEL, i, 0);
      break;
    }
  }
  ::ShowWindow(combo, SW_SHOWNORMAL);
  ::SendMessageA(combo, CB_SHOWDROPDOWN, TRUE, 0);
}

void MainBar::OnPageListCloseUp(HWND hwnd, HWND combo) {
  LRESULT selected = ::SendMessageA(combo, CB_GETCURSEL, 0, 0);
  if (selected != CB_ERR && ::SendMessageA(combo, CB_GETLBTEXTLEN, selected, 0) < static_cast<LRESULT>(kMaxPathBytes)) {
    char item[kMaxPathBytes] = {};
    ::SendMessageA(combo, CB_GETLBTEXT, selected, reinterpret_cast<LPARAM>(item));
    if (IsFolder(PathJoin(RootFolder(), item))) ::SetWindowTextA(hwnd, item);
  }
  ::PostMessageA(combo, WM_CLOSE, 0, 0);
}

}  // namespace memo
