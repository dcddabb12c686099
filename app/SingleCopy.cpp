// The single-copy locks: two named mutexes per desktop.
#include "app/SingleCopy.h"

namespace memo {
namespace {

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
  std::string desktop = ThreadDesktopName();
  live_.reset(::CreateMutexA(nullptr, FALSE, SingleCopyLockName("Live", desktop).c_str()));
  alive_.reset(::CreateMutexA(nullptr, FALSE, SingleCopyLockName("Alive", desktop).c_str()));
  if (!live_ || !alive_) return Claim::kNoLock;
  // Always the live lock first, then the other: a copy that waits for an
  // ending one holds the live lock, so a third copy cannot slip in between.
  // An abandoned lock is one whose copy died: it is ours now.
  ownsLive_ = Acquired(::WaitForSingleObject(live_.get(), 0));
  if (!ownsLive_) return Claim::kOtherIsLive;
  ownsAlive_ = Acquired(::WaitForSingleObject(alive_.get(), waitMs));
  return ownsAlive_ ? Claim::kRun : Claim::kOtherStuck;
}

void SingleCopy::AnnounceQuit() {
  if (!ownsLive_) return;
  ::ReleaseMutex(live_.get());
  ownsLive_ = false;
}

}  // namespace memo
