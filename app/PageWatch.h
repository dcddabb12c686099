// The open page as other programs change it: a sync engine delivering a
// note edited on another computer, or its conflict copy, an editor saving
// one. The page's folder and common are watched; on the main bar's timer a
// changed note shows its new text, a new note file opens and a note whose
// file went away closes. Only the names that changed are looked at, each
// once its changes have settled, so a folder of thousands of files or one
// rewritten constantly does not keep the program busy.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <string>

#include "store/DirectoryChanges.h"

namespace memo {

class PageWatch {
 public:
  // Watches the current page and common, replacing what was watched.
  void Start(HWND bar);
  // Lets the folders go: before the page closes, renames or goes away.
  void Stop();
  // On the bar's timer.
  void Poll();

 private:
  struct Seen {
    DWORD first = 0;
    DWORD last = 0;
  };
  struct Folder {
    DirectoryChanges changes;
    bool common = false;
    bool rescan = false;
    std::map<std::string, Seen> names;
  };

  void Collect(Folder& folder, DWORD now);
  void Settle(Folder& folder, DWORD now);
  void Look(const Folder& folder, const std::string& name);
  void LookAtAll(const Folder& folder);

  HWND bar_ = nullptr;
  std::unique_ptr<Folder> page_;
  std::unique_ptr<Folder> common_;
};

}  // namespace memo
