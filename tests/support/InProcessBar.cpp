// The main bar inside the test process, and the object and memory counts
// that leak and soak tests compare.
#include "tests/support/InProcessBar.h"

#include <windows.h>
#include <commctrl.h>
#include <ole2.h>
#include <psapi.h>

#include <gtest/gtest.h>

#include "frame/ClassNames.h"
#include "frame/ThreadWindows.h"
#include "tests/support/AppDriver.h"

namespace memo::test {
namespace {

constexpr DWORD kMainBarStyle = 0x86000005;

template <typename Handle, typename Make, typename Free>
long CountFree(Make make, Free free) {
  std::vector<Handle> made;
  made.reserve(70000);
  while (made.size() < 200000) {
    Handle h = make();
    if (!h) break;
    made.push_back(h);
  }
  for (Handle h : made) free(h);
  return static_cast<long>(made.size());
}

std::string ThisProgram() {
  char path[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  return path;
}

}  // namespace

long FreeGdiObjects() {
  return CountFree<HRGN>([] { return ::CreateRectRgn(0, 0, 1, 1); }, [](HRGN h) { ::DeleteObject(h); });
}

long FreeUserObjects() {
  return CountFree<HMENU>([] { return ::CreateMenu(); }, [](HMENU h) { ::DestroyMenu(h); });
}

size_t WorkingSetBytes() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof(counters);
  if (!::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof(counters))) return 0;
  return counters.WorkingSetSize;
}

long HeapBlocksInUse() {
  std::vector<HANDLE> heaps(64);
  DWORD count = ::GetProcessHeaps(static_cast<DWORD>(heaps.size()), heaps.data());
  if (count > heaps.size()) {
    heaps.resize(count);
    count = ::GetProcessHeaps(count, heaps.data());
  }
  long blocks = 0;
  for (DWORD i = 0; i < count && i < heaps.size(); ++i) {
    if (!::HeapLock(heaps[i])) continue;
    PROCESS_HEAP_ENTRY entry{};
    while (::HeapWalk(heaps[i], &entry)) {
      if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) ++blocks;
    }
    ::HeapUnlock(heaps[i]);
  }
  return blocks;
}

void Drain() {
  MSG msg;
  for (int round = 0; round < 3; ++round) {
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) continue;
      ::TranslateMessage(&msg);
      ::DispatchMessageA(&msg);
    }
  }
}

std::vector<HWND> NoteWindowsOfThisThread() {
  std::vector<HWND> found;
  for (HWND hwnd : ThreadWindows()) {
    std::string cls = ClassOf(hwnd);
    for (const char* note : kNoteClasses) {
      if (cls == note) found.push_back(hwnd);
    }
  }
  return found;
}

bool RunInUnmanagedCopy(const char* filter, DWORD waitMs) {
  constexpr char kCopyFlag[] = "MEMOPANE_UNMANAGED_COPY";
  if (!RunningUnderWine() || ::GetEnvironmentVariableA(kCopyFlag, nullptr, 0) != 0) return false;
  std::string program = ThisProgram();
  UnmanagedWindowsScope unmanaged(program.substr(program.find_last_of('\\') + 1).c_str());
  std::string commandLine = "\"" + program + "\" --gtest_filter=" + filter;
  ::SetEnvironmentVariableA(kCopyFlag, "1");
  STARTUPINFOA si{};
  si.cb = sizeof(si);
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
  si.hStdOutput = ::GetStdHandle(STD_OUTPUT_HANDLE);
  si.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION pi{};
  BOOL started = ::CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                  &si, &pi);
  ::SetEnvironmentVariableA(kCopyFlag, nullptr);
  EXPECT_TRUE(started) << commandLine;
  if (!started) return true;
  DWORD code = STILL_ACTIVE;
  if (::WaitForSingleObject(pi.hProcess, waitMs) == WAIT_OBJECT_0) {
    ::GetExitCodeProcess(pi.hProcess, &code);
  } else {
    ::TerminateProcess(pi.hProcess, 99);
  }
  ::CloseHandle(pi.hThread);
  ::CloseHandle(pi.hProcess);
  EXPECT_EQ(code, 0u) << "the copy of the test program failed (its output is above)";
  return true;
}

InProcessBar::InProcessBar(const std::string& root) {
  ::SetEnvironmentVariableA("RootPath2", root.c_str());
  ole_ = SUCCEEDED(::OleInitialize(nullptr));
  bar_ = ::CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kClassMain, nullptr, kMainBarStyle, 100, 0, 320, 24,
                           nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
  if (bar_) ::ShowWindow(bar_, SW_SHOWNOACTIVATE);
  Drain();
}

InProcessBar::~InProcessBar() {
  if (bar_ && ::IsWindow(bar_)) ::DestroyWindow(bar_);
  Drain();
  // The bar posts WM_QUIT when it goes; it must not end a later loop.
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
  if (ole_) ::OleUninitialize();
  ::SetEnvironmentVariableA("RootPath2", nullptr);
}

}  // namespace memo::test
