// One copy of the program per desktop, from its first instruction to its
// last: two copies would open, edit and save the same note files.
//
// How to use: make one SingleCopy before anything else at start-up and keep
// it until the very end; run only when StartAsSingleCopy says so. When the
// copy begins to quit, call AnnounceQuit(): a copy started from then on
// waits for this one to end and then runs, instead of waking a bar that is
// going away.
#pragma once

#include <windows.h>

#include <string>

#include "store/Handles.h"

namespace memo {

class SingleCopy {
 public:
  enum class Claim {
    kRun,           // this copy is the one: it runs
    kOtherIsLive,   // another copy is starting or running
    kOtherStuck,    // another copy is ending and has not ended within the wait
    kNoLock,        // the locks could not be made: fall back to the window lookup
  };

  SingleCopy() = default;
  ~SingleCopy();
  SingleCopy(const SingleCopy&) = delete;
  SingleCopy& operator=(const SingleCopy&) = delete;

  // Waits at most waitMs for a copy that is ending. May be called again
  // after a refusal; what was claimed stays claimed.
  Claim ClaimDesktop(DWORD waitMs);
  void AnnounceQuit();
  // The process of the copy that holds the desktop, as it recorded itself
  // when it claimed it; 0 when none is known.
  DWORD HolderProcessId() const;

 private:
  // Held from the start until the quit begins: a copy is starting or running.
  UniqueHandle live_;
  // Held from the start to the end of the process.
  UniqueHandle alive_;
  // The process id of the copy that holds alive_.
  UniqueHandle holder_;
  bool ownsLive_ = false;
  bool ownsAlive_ = false;
};

// The name of one of the locks for a desktop: kernel object names are
// per session under "Local\", and may hold no further backslash.
std::string SingleCopyLockName(const char* role, const std::string& desktop);

// Settles whether this start runs: true when it does. Otherwise *exitCode is
// the start's result: a running copy that answers is woken (1 when the wake
// was posted), a copy still showing its start-up dialog is brought to the
// front (0). A copy that holds the desktop but shows no bar that answers,
// or that does not end, is named to the user, who may end it, wait for it,
// or give up the start (1).
bool StartAsSingleCopy(SingleCopy& copy, int* exitCode);

// Posts bring-to-front to the main bar: 1 when it was posted, else 0.
int WakeRunningCopy();

}  // namespace memo
