// One copy of the program per desktop, from its first instruction to its
// last: two copies would open, edit and save the same note files.
//
// How to use: make one SingleCopy before anything else at start-up and keep
// it until the very end; call Claim() and run only on kRun. When the copy
// begins to quit, call AnnounceQuit(): a copy started from then on waits for
// this one to end and then runs, instead of waking a bar that is going away.
#pragma once

#include <windows.h>

#include <string>

#include "store/Handles.h"

namespace memo {

class SingleCopy {
 public:
  enum class Claim {
    kRun,           // this copy is the one: it runs
    kOtherIsLive,   // another copy is starting or running: wake it and end
    kOtherStuck,    // another copy has been ending for too long: end
    kNoLock,        // the locks could not be made: fall back to the window lookup
  };

  SingleCopy() = default;
  ~SingleCopy();
  SingleCopy(const SingleCopy&) = delete;
  SingleCopy& operator=(const SingleCopy&) = delete;

  // Waits at most waitMs for a copy that is ending.
  Claim ClaimDesktop(DWORD waitMs);
  void AnnounceQuit();

 private:
  // Held from the start until the quit begins: a copy is starting or running.
  UniqueHandle live_;
  // Held from the start to the end of the process.
  UniqueHandle alive_;
  bool ownsLive_ = false;
  bool ownsAlive_ = false;
};

// The name of one of the locks for a desktop: kernel object names are
// per session under "Local\", and may hold no further backslash.
std::string SingleCopyLockName(const char* role, const std::string& desktop);

}  // namespace memo
