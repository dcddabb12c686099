// The single-copy locks: two named mutexes per desktop, and what a start
// does when another copy holds them.
#include "app/SingleCopy.h"

#include <cstring>

#include "frame/ClassNames.h"
#include "frame/Messages.h"
#include "store/WinText.h"

namespace memo {
namespace {

// A copy that holds the desktop but shows no bar that answers, or that has
// no window left and does not end, is given this long before the user is
// asked; a copy still closing its windows (a page of hundreds of notes
// takes seconds) is given the long wait.
constexpr DWORD kPatienceMs = 10000;
constexpr DWORD kClosingPatienceMs = 120000;
constexpr DWORD kAnswerMs = 1000;
constexpr DWORD kPollMs = 100;
constexpr DWORD kEndMs = 5000;

struct ViewTraits {
  using Type = void*;
  static Type Empty() { return nullptr; }
  static bool IsValid(Type view) { return view != nullptr; }
  static void Close(Type view) { ::UnmapViewOfFile(view); }
};
using UniqueView = UniqueResource<ViewTraits>;

std::string ThreadDesktopName() {
  char name[256] = {};
  DWORD needed = 0;
  HDESK desktop = ::GetThreadDesktop(::GetCurrentThreadId());
  if (!desktop || !::GetUserObjectInformationA(desktop, UOI_NAME, name, sizeof(name) - 1, &needed)) {
    return "Default";
  }
  return name;
}

bool Acquired(DWORD wait) { return wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED; }

bool Answers(HWND hwnd) {
  DWORD_PTR result = 0;
  return ::SendMessageTimeoutA(hwnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kAnswerMs, &result) != 0;
}

// What the holding copy has on the screen.
struct HolderWindows {
  DWORD pid = 0;
  bool ours = false;      // a visible window of the program's classes
  HWND dialog = nullptr;  // a visible dialog: its welcome, or a box of its start
};

BOOL CALLBACK InspectWindow(HWND hwnd, LPARAM lParam) {
  auto* holder = reinterpret_cast<HolderWindows*>(lParam);
  DWORD pid = 0;
  ::GetWindowThreadProcessId(hwnd, &pid);
  if (pid != holder->pid || !::IsWindowVisible(hwnd)) return TRUE;
  char name[64] = {};
  ::GetClassNameA(hwnd, name, sizeof(name));
  const size_t prefix = std::strlen(kProductName);
  if (std::strncmp(name, kProductName, prefix) == 0 && name[prefix] == '-') holder->ours = true;
  if (!holder->dialog && std::strcmp(name, "#32770") == 0) holder->dialog = hwnd;
  return TRUE;
}

HolderWindows InspectHolder(DWORD pid) {
  HolderWindows holder;
  holder.pid = pid;
  if (pid) ::EnumWindows(InspectWindow, reinterpret_cast<LPARAM>(&holder));
  return holder;
}

// Asks what to do about the copy that blocks the start: IDYES ends it,
// IDNO waits for it, IDCANCEL gives up.
int AskAboutBlockingCopy(SingleCopy::Claim claim, DWORD pid) {
  std::string text = claim == SingleCopy::Claim::kOtherStuck
                         ? "Memopane を起動できません。先に動いていた Memopane が終了の途中のまま終わりません。"
                         : "Memopane を起動できません。先に動いている Memopane が応答しません。";
  text += "\r\n\r\n[はい] そのコピーを終了して起動します (保存していない変更は失われます)。\r\n"
          "[いいえ] そのコピーが終わるのを待ちます。\r\n[キャンセル] 起動をやめます。";
  if (pid) text += "\r\n\r\nプロセス ID " + std::to_string(pid);
  return ::MessageBoxA(nullptr, text.c_str(), kProductName, MB_YESNOCANCEL | MB_ICONERROR | MB_SETFOREGROUND);
}

void EndCopy(DWORD pid) {
  UniqueHandle process(::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid));
  if (!process || !::TerminateProcess(process.get(), 1)) return;
  ::WaitForSingleObject(process.get(), kEndMs);
}

}  // namespace

std::string SingleCopyLockName(const char* role, const std::string& desktop) {
  std::string name = std::string("Local\\Memopane.") + role + ".";
  for (char c : desktop.substr(0, 128)) name.push_back(c == '\\' ? '_' : c);
  return name;
}

SingleCopy::~SingleCopy() {
  AnnounceQuit();
  if (ownsAlive_) ::ReleaseMutex(alive_.get());
}

SingleCopy::Claim SingleCopy::ClaimDesktop(DWORD waitMs) {
  if (!live_ || !alive_) {
    std::string desktop = ThreadDesktopName();
    live_.reset(::CreateMutexA(nullptr, FALSE, SingleCopyLockName("Live", desktop).c_str()));
    alive_.reset(::CreateMutexA(nullptr, FALSE, SingleCopyLockName("Alive", desktop).c_str()));
    holder_.reset(::CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(DWORD),
                                       SingleCopyLockName("Holder", desktop).c_str()));
    if (!live_ || !alive_) return Claim::kNoLock;
  }
  // Always the live lock first, then the other: a copy that waits for an
  // ending one holds the live lock, so a third copy cannot slip in between.
  // An abandoned lock is one whose copy died: it is ours now.
  if (!ownsLive_) ownsLive_ = Acquired(::WaitForSingleObject(live_.get(), 0));
  if (!ownsLive_) return Claim::kOtherIsLive;
  if (!ownsAlive_) {
    ownsAlive_ = Acquired(::WaitForSingleObject(alive_.get(), waitMs));
    if (!ownsAlive_) return Claim::kOtherStuck;
    if (holder_) {
      UniqueView view(::MapViewOfFile(holder_.get(), FILE_MAP_WRITE, 0, 0, sizeof(DWORD)));
      if (view) *static_cast<DWORD*>(view.get()) = ::GetCurrentProcessId();
    }
  }
  return Claim::kRun;
}

DWORD SingleCopy::HolderProcessId() const {
  if (!holder_) return 0;
  UniqueView view(::MapViewOfFile(holder_.get(), FILE_MAP_READ, 0, 0, sizeof(DWORD)));
  return view ? *static_cast<const DWORD*>(view.get()) : 0;
}

void SingleCopy::AnnounceQuit() {
  if (!ownsLive_) return;
  ::ReleaseMutex(live_.get());
  ownsLive_ = false;
}

int WakeRunningCopy() {
  HWND running = ::FindWindowA(kClassMain, nullptr);
  return running && ::PostMessageA(running, WM_COMMAND, kCmdBringToFront, 0) ? 1 : 0;
}

bool StartAsSingleCopy(SingleCopy& copy, int* exitCode) {
  DWORD since = ::GetTickCount();
  for (;;) {
    SingleCopy::Claim claim = copy.ClaimDesktop(kPollMs);
    if (claim == SingleCopy::Claim::kRun || claim == SingleCopy::Claim::kNoLock) return true;
    HolderWindows holder = InspectHolder(copy.HolderProcessId());
    if (claim == SingleCopy::Claim::kOtherIsLive) {
      HWND bar = ::FindWindowA(kClassMain, nullptr);
      if (bar && Answers(bar)) {
        *exitCode = WakeRunningCopy();
        return false;
      }
      // No bar yet: the copy is in its start, perhaps showing its welcome.
      if (!bar && holder.dialog && Answers(holder.dialog)) {
        ::SetForegroundWindow(holder.dialog);
        *exitCode = 0;
        return false;
      }
    }
    bool closing = claim == SingleCopy::Claim::kOtherStuck && (holder.ours || holder.dialog);
    DWORD patience = closing ? kClosingPatienceMs : kPatienceMs;
    if (::GetTickCount() - since < patience) {
      if (claim == SingleCopy::Claim::kOtherIsLive) ::Sleep(kPollMs);
      continue;
    }
    switch (AskAboutBlockingCopy(claim, holder.pid)) {
      case IDYES:
        if (holder.pid && holder.pid != ::GetCurrentProcessId()) EndCopy(holder.pid);
        break;
      case IDNO:
        break;
      default:
        *exitCode = 1;
        return false;
    }
    since = ::GetTickCount();
  }
}

}  // namespace memo
