// The open page as other programs change it.
#include "app/PageWatch.h"

#include <vector>

#include "frame/Messages.h"
#include "frame/NoteWindows.h"
#include "store/FileSystem.h"
#include "store/Paths.h"
#include "store/Store.h"

namespace memo {
namespace {

constexpr UINT kPollMs = 250;
// A name is looked at once nothing happened to it for a poll, or after a
// second of constant change: an editor that saves by deleting and writing
// again is seen once, with its new file.
constexpr DWORD kQuietMs = 200;
constexpr DWORD kLongestWaitMs = 1000;

}  // namespace

void PageWatch::Start(HWND bar) {
  Stop();
  bar_ = bar;
  const std::string folders[] = {CurrentPageFolder(), CommonFolder()};
  for (int i = 0; i < 2; ++i) {
    auto folder = std::make_unique<Folder>();
    folder->common = i == 1;
    if (folders[i].empty() || !folder->changes.Start(folders[i])) continue;
    (i == 0 ? page_ : common_) = std::move(folder);
  }
  if (page_ || common_) ::SetTimer(bar_, kTimerPageWatch, kPollMs, nullptr);
}

void PageWatch::Stop() {
  if (bar_) ::KillTimer(bar_, kTimerPageWatch);
  page_.reset();
  common_.reset();
}

void PageWatch::Poll() {
  DWORD now = ::GetTickCount();
  for (Folder* folder : {page_.get(), common_.get()}) {
    if (!folder) continue;
    Collect(*folder, now);
  }
  // Collected first, then acted on: opening or closing notes may stop the
  // watch (a note's close can run the program's end).
  for (Folder* folder : {page_.get(), common_.get()}) {
    if (folder) Settle(*folder, now);
  }
}

void PageWatch::Collect(Folder& folder, DWORD now) {
  DirectoryChanges::Batch batch = folder.changes.Take();
  folder.rescan = folder.rescan || batch.overflow;
  for (const std::string& name : batch.names) {
    // A change inside a sub-folder names that folder; only names of notes
    // matter, and settings files and the temporary files of saves are none.
    if (NoteKindOf(name, false) == NoteKind::kNone && NoteKindOf(name, true) == NoteKind::kNone) continue;
    auto found = folder.names.find(name);
    if (found == folder.names.end()) {
      folder.names[name] = Seen{now, now};
    } else {
      found->second.last = now;
    }
  }
}

void PageWatch::Settle(Folder& folder, DWORD now) {
  if (folder.rescan) {
    folder.rescan = false;
    folder.names.clear();
    LookAtAll(folder);
    return;
  }
  std::vector<std::string> ready;
  for (auto it = folder.names.begin(); it != folder.names.end();) {
    if (now - it->second.last >= kQuietMs || now - it->second.first >= kLongestWaitMs) {
      ready.push_back(it->first);
      it = folder.names.erase(it);
    } else {
      ++it;
    }
  }
  for (const std::string& name : ready) {
    // A look may switch the page (a note's prompt runs a message loop).
    if (folder.changes.folder().empty()) return;
    Look(folder, name);
  }
}

void PageWatch::Look(const Folder& folder, const std::string& name) {
  std::string path = PathJoin(folder.changes.folder(), name);
  if (path.empty()) return;
  std::string noteName = folder.common ? Quote(name) : name;
  bool exists = PathExists(path);
  if (exists && NoteKindOf(name, IsFolder(path)) == NoteKind::kNone) return;
  HWND open = FindNoteWindow(noteName);
  if (!open) {
    // A note made elsewhere, or a sync engine's conflict copy: it opens as
    // the page's notes do, unless its settings keep it hidden.
    if (exists) OpenNoteWindow(noteName, false, false);
    return;
  }
  if (::SendMessageA(open, kMsgNoteFileChanged, exists ? 1 : 0, 0) || exists) return;
  // Gone, and nothing of the note is left to keep: it closes without
  // writing settings beside a file that is no more (the empty title is the
  // frame's sign of a note deleted).
  ::DefWindowProcA(open, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
  ::PostMessageA(open, WM_CLOSE, 0, 0);
}

void PageWatch::LookAtAll(const Folder& folder) {
  // Every note file there, and every open note of the folder whose file
  // may have gone.
  std::vector<std::string> names;
  for (const WIN32_FIND_DATAA& entry : ListFolder(folder.changes.folder())) {
    if (NoteKindOfEntry(entry) != NoteKind::kNone) names.push_back(entry.cFileName);
  }
  for (const std::string& noteName : OpenNoteNames()) {
    if (IsQuotedName(noteName) == folder.common) names.push_back(Unquote(noteName));
  }
  for (const std::string& name : names) {
    if (folder.changes.folder().empty()) return;
    Look(folder, name);
  }
}

}  // namespace memo
