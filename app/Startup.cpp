// Start-up and the message loop.
#include "app/Startup.h"

#include <commctrl.h>
#include <ole2.h>
#include <prsht.h>
#include <shlobj.h>

#include "app/Registry.h"
#include "app/SingleCopy.h"
#include "frame/ClassNames.h"
#include "frame/Messages.h"
#include "notes/AtlHost.h"
#include "resources/resource.h"
#include "store/FileSystem.h"
#include "store/Handles.h"
#include "store/Paths.h"
#include "store/Settings.h"
#include "store/Store.h"
#include "store/WinText.h"

namespace memo {

std::string DefaultRootFolder() {
  char documents[MAX_PATH] = {};
  if (FAILED(::SHGetFolderPathA(nullptr, CSIDL_PERSONAL | CSIDL_FLAG_CREATE, nullptr,
                                SHGFP_TYPE_CURRENT, documents))) {
    return {};
  }
  return PathJoin(documents, kDefaultRootName);
}

RootChoice ChooseRootFolder() {
  RootChoice choice;
  choice.root = RegReadString(HKEY_CURRENT_USER, kAppKey, kRootValue);
  if (!choice.root.empty() && !PathExists(choice.root)) {
    choice.unavailable = choice.root;
    choice.root = DefaultRootFolder();
  } else if (choice.root.empty() || !IsFolder(choice.root)) {
    choice.root = DefaultRootFolder();
    choice.firstRun = true;
  }
  return choice;
}

bool IsVersionXPOrLater(DWORD major, DWORD minor) { return major > 5 || (major == 5 && minor != 0); }

bool IsWindowsXPOrLater() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof(info);
  if (!::GetVersionExA(&info)) return false;
  return IsVersionXPOrLater(info.dwMajorVersion, info.dwMinorVersion);
}

POINT InitialMainBarPosition(const RECT& workArea) {
  constexpr int kWidth = 320;
  return POINT{(workArea.right - workArea.left - kWidth) / 2, 0};
}

namespace {

constexpr DWORD kMainBarStyle = 0x86000005;  // popup, clip siblings and children, note bits 0x5
constexpr int kMainBarWidth = 320;
constexpr int kMainBarHeight = 24;
// The system dialog class, also the class of property sheets.
constexpr ATOM kDialogClassAtom = 0x8002;

// The lock of the running program, for AnnounceQuit.
SingleCopy* gSingleCopy = nullptr;

struct SingleCopyScope {
  explicit SingleCopyScope(SingleCopy* copy) { gSingleCopy = copy; }
  ~SingleCopyScope() { gSingleCopy = nullptr; }
};

void ShowStartError(const char* text) { ::MessageBoxA(nullptr, text, kProductName, MB_ICONERROR); }

INT_PTR CALLBACK FirstRunProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      const auto* root = reinterpret_cast<const std::string*>(lParam);
      std::string text =
          "Memopane へようこそ。\r\n\r\n付箋はファイルとして次のフォルダに保存されます。\r\n\r\n" +
          *root;
      ::SetDlgItemTextA(dialog, IDC_FIRST_RUN_TEXT, text.c_str());
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDCANCEL) ::EndDialog(dialog, IDCANCEL);
      return TRUE;
  }
  return FALSE;
}

// Releases COM and OLE in the order the program ends with.
struct ComScope {
  bool com = false;
  bool ole = false;
  ~ComScope() {
    if (com) ::CoUninitialize();
    if (ole) ::OleUninitialize();
  }
};

int RunMessageLoop(HWND bar) {
  MSG msg;
  BOOL got;
  bool quitAgain = true;
  // Taken wide: a character typed into the Unicode body of a text note
  // would otherwise pass through the code page, and one it lacks arrive
  // as "?". ANSI windows still get theirs in the code page.
  while ((got = ::GetMessageW(&msg, nullptr, 0, 0)) != 0) {
    if (got == -1) return 1;
    RouteMessage(msg, kDialogClassAtom);
    // The bar's end posts the quit, and a modal loop running then may take
    // it (Wine's move loop ends on WM_QUIT without posting it again): back
    // here with the bar gone, the quit is posted once more, after whatever
    // is still queued.
    if (quitAgain && !::IsWindow(bar)) {
      quitAgain = false;
      ::PostQuitMessage(0);
    }
  }
  return static_cast<int>(msg.wParam);
}

// Offers a key to the embedded browser control: true when it consumed it.
bool OfferKeyToHostedControl(const MSG& msg) {
  HINSTANCE instance = ::GetModuleHandleA(nullptr);
  HWND window = msg.hwnd;
  while (window &&
         reinterpret_cast<HINSTANCE>(::GetWindowLongPtrA(window, GWLP_HINSTANCE)) != instance) {
    window = ::GetParent(window);
  }
  if (!window || HwndGetClass(window) != kAtlHostClass) return false;
  ComPtr<IUnknown> control;
  if (FAILED(AtlGetHostedControl(window, control.put())) || !control) return false;
  ComPtr<IOleInPlaceActiveObject> active;
  if (FAILED(control->QueryInterface(IID_IOleInPlaceActiveObject, active.put_void())) || !active) {
    return false;
  }
  MSG copy = msg;
  return active->TranslateAccelerator(&copy) == S_OK;
}

}  // namespace

void RouteMessage(MSG& msg, ATOM dialogAtom) {
  HWND foreground = ::GetForegroundWindow();
  if (foreground && ::GetWindowThreadProcessId(foreground, nullptr) == ::GetCurrentThreadId() &&
      static_cast<ATOM>(::GetClassLongPtrA(foreground, GCW_ATOM)) == dialogAtom) {
    if (msg.message != WM_CHAR &&
        ::SendMessageA(foreground, PSM_ISDIALOGMESSAGE, 0, reinterpret_cast<LPARAM>(&msg))) {
      return;
    }
    if (::IsDialogMessageW(foreground, &msg)) return;
  }
  // Every key message, not only WM_KEYDOWN: the control also handles the
  // Alt combinations (WM_SYSKEYDOWN), key releases and the characters that
  // its own accelerators take.
  if (msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST && OfferKeyToHostedControl(msg)) return;
  ::TranslateMessage(&msg);
  ::DispatchMessageW(&msg);
}

void AnnounceQuit() {
  if (gSingleCopy) gSingleCopy->AnnounceQuit();
}

int RunProgram(HINSTANCE instance, int showCommand) {
  // Before anything else, so that no dialog or file of a second copy can
  // come between: the main bar appears only after the first-run welcome.
  SingleCopy singleCopy;
  SingleCopyScope published(&singleCopy);
  int exitCode = 0;
  if (!StartAsSingleCopy(singleCopy, &exitCode)) return exitCode;

  RootChoice choice = ChooseRootFolder();
  std::string common = PathJoin(choice.root, kCommonFolderName);
  if (!CheckRoot(choice.root) || common.empty() || !CheckRoot(common)) {
    ShowStartError("CheckRoot failed");
    return 1;
  }
  if (choice.unavailable.empty()) {
    RegWriteString(HKEY_CURRENT_USER, kAppKey, kRootValue, choice.root);
  } else {
    ShowError(nullptr, "付箋のフォルダが見つかりません。今回は既定のフォルダを使用します。", choice.unavailable);
  }
  ::SetEnvironmentVariableA(kRootEnvVar, choice.root.c_str());

  // A bar without the lock: a copy that could not make the lock either.
  if (::FindWindowA(kClassMain, nullptr)) return WakeRunningCopy();

  if (choice.firstRun) {
    ::DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_FIRST_RUN), nullptr, FirstRunProc,
                      reinterpret_cast<LPARAM>(&choice.root));
  }

  ComScope com;
  if (FAILED(::CoInitialize(nullptr))) {
    ShowStartError("CoInitialize failed");
    return 1;
  }
  com.com = true;
  if (FAILED(::OleInitialize(nullptr))) {
    ShowStartError("OleInitialize failed");
    return 1;
  }
  com.ole = true;
  if (!InitAtlHost()) {
    ShowStartError("AtlAxWinInit failed");
    return 1;
  }

  RECT workArea{};
  ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea, 0);
  POINT at = InitialMainBarPosition(workArea);
  HWND bar = ::CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kClassMain, nullptr, kMainBarStyle,
                               at.x, at.y, kMainBarWidth, kMainBarHeight, nullptr, nullptr, instance,
                               nullptr);
  if (!bar) return 1;

  if (IniReadInt(RootIniPath(), kSectionInfo, kKeySplash, 1) != 0) {
    ::PostMessageA(bar, WM_COMMAND, kCmdSplash, 0);
  } else {
    ::ShowWindow(bar, showCommand);
  }
  return RunMessageLoop(bar);
}

}  // namespace memo
