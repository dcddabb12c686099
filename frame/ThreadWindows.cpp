// Operations over the top-level windows of the user-interface thread.
#include "frame/ThreadWindows.h"

#include "frame/ClassNames.h"
#include "frame/Messages.h"
#include "store/WinText.h"

namespace memo {

namespace {

// A named CALLBACK function, not a lambda: on 32-bit Windows a lambda
// converts only to a cdecl pointer, and the system calls it stdcall.
BOOL CALLBACK AddWindow(HWND hwnd, LPARAM lParam) {
  reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(hwnd);
  return TRUE;
}

}  // namespace

std::vector<HWND> ThreadWindows() {
  std::vector<HWND> windows;
  ::EnumThreadWindows(::GetCurrentThreadId(), AddWindow, reinterpret_cast<LPARAM>(&windows));
  return windows;
}

namespace {

bool IsVisibleWithoutParent(HWND hwnd) { return ::IsWindowVisible(hwnd) && !::GetParent(hwnd); }

bool IsPageWindowClass(const std::string& cls) {
  for (const char* name : kPageWindowClasses) {
    if (cls == name) return true;
  }
  return false;
}

}  // namespace

HWND FindOtherWindow(HWND except) {
  for (HWND hwnd : ThreadWindows()) {
    if (hwnd != except && IsVisibleWithoutParent(hwnd)) return hwnd;
  }
  return nullptr;
}

void BringAllToTop() {
  // Raised one by one to the top, the windows must go bottom first, or their
  // order among themselves is turned over at every activation of the bar.
  // The system's order is read explicitly: the order of the thread's window
  // list is not promised to be the z-order.
  DWORD thread = ::GetCurrentThreadId();
  std::vector<HWND> topFirst;
  for (HWND hwnd = ::GetTopWindow(nullptr); hwnd; hwnd = ::GetWindow(hwnd, GW_HWNDNEXT)) {
    if (::GetWindowThreadProcessId(hwnd, nullptr) != thread) continue;
    // Owned windows (mini notes, dialogs) follow their owners.
    if (!IsVisibleWithoutParent(hwnd) || ::GetWindow(hwnd, GW_OWNER)) continue;
    if (::GetWindowLongA(hwnd, GWL_STYLE) & kStyleNotWithMain) continue;
    topFirst.push_back(hwnd);
  }
  for (auto it = topFirst.rbegin(); it != topFirst.rend(); ++it) {
    HWND hwnd = *it;
    if (!::IsWindow(hwnd)) continue;  // a restore before it may have closed it
    if (HwndGetClass(hwnd) == kClassEdgeBar) {
      ::SendMessageA(hwnd, kMsgRestore, 0, 0);
    } else {
      ::SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
  }
}

void BroadcastRefresh(WPARAM wParam) {
  for (HWND hwnd : ThreadWindows()) {
    if (IsVisibleWithoutParent(hwnd)) ::SendMessageA(hwnd, kMsgRefresh, wParam, 0);
  }
}

void CloseNotes() {
  // The active note goes last: closing it hands the activation to the next
  // window, and a chain of notes activated only to be closed repaints each
  // one twice.
  HWND active = ::GetActiveWindow();
  std::vector<HWND> notes;
  for (HWND hwnd : ThreadWindows()) {
    if (hwnd != active && IsPageWindowClass(HwndGetClass(hwnd))) notes.push_back(hwnd);
  }
  if (active && IsPageWindowClass(HwndGetClass(active))) notes.push_back(active);
  for (HWND hwnd : notes) {
    if (::IsWindow(hwnd)) ::SendMessageA(hwnd, WM_CLOSE, 0, 0);
  }
}

std::vector<HWND> MiniNotesOf(HWND owner) {
  // Looked up by class rather than by walking every window of the thread:
  // each note asks on every move and show, and a page may hold a hundred.
  std::vector<HWND> minis;
  DWORD thread = ::GetCurrentThreadId();
  for (HWND hwnd = ::FindWindowExA(nullptr, nullptr, kClassMini, nullptr); hwnd;
       hwnd = ::FindWindowExA(nullptr, hwnd, kClassMini, nullptr)) {
    if (::GetWindowThreadProcessId(hwnd, nullptr) == thread &&
        (::GetWindowLongA(hwnd, GWL_STYLE) & WS_POPUP) && ::GetParent(hwnd) == owner) {
      minis.push_back(hwnd);
    }
  }
  return minis;
}

}  // namespace memo
