// A mini note's menus and commands: its link (open, properties, attach,
// detach, drops onto it), moving it to another owner, duplicating and
// deleting it.
#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>

#include "frame/ClassNames.h"
#include "frame/MiniNote.h"
#include "frame/MiniNotes.h"
#include "frame/Messages.h"
#include "frame/NoteMenu.h"
#include "frame/NoteWindows.h"
#include "frame/PropertySheet.h"
#include "store/DataTransfer.h"
#include "store/LateLibrary.h"
#include "store/Paths.h"
#include "store/Settings.h"
#include "store/Store.h"
#include "store/WinText.h"

namespace memo {
namespace {


// The file and section that a move command puts the mini note into, or
// false when there is no such target (or it is the current owner).
struct MoveTarget {
  std::string file;
  HWND window = nullptr;  // the open owner to create the moved mini note in
};

bool FindMoveTarget(HWND mini, int id, MoveTarget* target) {
  HWND owner = ::GetWindow(mini, GW_OWNER);
  if (id == kCmdMoveToMain) {
    HWND bar = ::FindWindowA(kClassMain, nullptr);
    if (!bar || bar == owner) return false;
    target->window = bar;
    target->file = SettingsFileOfWindow(bar);
    return !target->file.empty();
  }
  std::vector<std::string> notes = NoteList();
  size_t index = static_cast<size_t>(id - kCmdMoveToNoteFirst);
  if (id < kCmdMoveToNoteFirst || index >= notes.size() || notes[index].empty()) return false;
  std::string path = NotePath(notes[index]);
  target->file = path.empty() ? std::string() : PathAppend(path, ".ini");
  if (target->file.empty() || target->file == MiniNoteSettingsFile(mini)) return false;
  target->window = FindNoteWindow(notes[index]);
  return true;
}

// Copies a section under a new name into a file; the new name, or "" when
// nothing was written.
std::string CopySection(const std::string& from, const std::string& section, const std::string& to) {
  std::string name = NewMiniSection(to);
  if (name.empty()) return name;
  std::string lines = IniReadSection(from, section.c_str());
  bool written = IniWriteSection(to, name.c_str(), lines);
  IniFlush(to);
  return written ? name : std::string();
}

HMENU BuildMoveMenu(HWND mini, const std::vector<std::string>& notes) {
  HMENU menu = ::CreatePopupMenu();
  if (!menu) return nullptr;
  HWND owner = ::GetWindow(mini, GW_OWNER);
  bool ownedByBar = owner && HwndGetClass(owner) == kClassMain;
  ::AppendMenuA(menu, MF_STRING | (ownedByBar ? MF_GRAYED : 0), kCmdMoveToMain, "メイン");
  if (!notes.empty()) ::AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  std::string ownerName = ownedByBar || !owner ? std::string() : HwndGetText(owner);
  for (size_t i = 0; i < notes.size(); ++i) {
    if (notes[i].empty()) {
      ::AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
      continue;
    }
    UINT flags = MF_STRING | (notes[i] == ownerName ? MF_GRAYED : 0);
    ::AppendMenuA(menu, flags, kCmdMoveToNoteFirst + i, notes[i].c_str());
  }
  return menu;
}

}  // namespace

void MiniNote::OnContextMenu(HWND hwnd, POINT screen) {
  if (screen.x == -1 && screen.y == -1) {  // from the keyboard
    RECT r;
    ::GetWindowRect(hwnd, &r);
    screen = POINT{r.left, r.top};
  }
  POINT client = screen;
  ::ScreenToClient(hwnd, &client);
  if (link_ && OverIcon(client)) {
    UniqueMenu menu(::CreatePopupMenu());
    if (!menu) return;
    ::AppendMenuA(menu.get(), MF_STRING, kCmdOpen, "開く(&O)");
    ::AppendMenuA(menu.get(), MF_SEPARATOR, 0, nullptr);
    ::AppendMenuA(menu.get(), MF_STRING, kCmdPropertiesOfLink, "プロパティ(&R)");
    ::TrackPopupMenu(menu.get(), TPM_RIGHTBUTTON, screen.x, screen.y, 0, hwnd, nullptr);
    return;
  }
  UniqueMenu menu(::CreatePopupMenu());
  HMENU file = ::CreatePopupMenu();
  HMENU move = BuildMoveMenu(hwnd, NoteList());
  if (!menu || !file || !move) {
    if (file) ::DestroyMenu(file);
    if (move) ::DestroyMenu(move);
    return;
  }
  ::AppendMenuA(file, MF_STRING, kCmdAttach, "取り付け(&A)");
  ::AppendMenuA(file, MF_STRING, kCmdDetach, "取り外し(&D)");
  // From here the menu owns its sub-menus.
  ::AppendMenuA(menu.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(file), "ファイル(&F)");
  ::AppendMenuA(menu.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(move), "移動(&M)");
  ::AppendMenuA(menu.get(), MF_SEPARATOR, 0, nullptr);
  ::AppendMenuA(menu.get(), MF_STRING, kCmdDelete, "削除(&D)");
  ::AppendMenuA(menu.get(), MF_SEPARATOR, 0, nullptr);
  MenuAppendNoteCommands(menu.get());
  int id = static_cast<int>(
      ::TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, screen.x, screen.y, 0, hwnd, nullptr));
  if (id != 0) ::SendMessageA(hwnd, WM_COMMAND, static_cast<WPARAM>(id), 0);
}

void MiniNote::OnCommand(HWND hwnd, int id, int code) {
  switch (id) {
    case kIdBody:
      if (code == EN_UPDATE) ::SetTimer(hwnd, kTimerSave, 10000, nullptr);
      return;
    case kCmdOpen:
      OpenLink(hwnd);
      return;
    case kCmdPropertiesOfLink:
      ShowLinkProperties(hwnd);
      return;
    case kCmdAttach:
      Attach(hwnd);
      return;
    case kCmdDetach:
      ::SendMessageA(hwnd, kMsgSetLink, 0, 0);
      return;
    case kCmdDelete:
      ::SetWindowTextA(hwnd, "");
      ::PostMessageA(hwnd, WM_CLOSE, 0, 0);
      return;
    case kCmdDuplicate:
      Duplicate(hwnd);
      return;
    case kCmdProperties:
      OpenPropertySheet(hwnd, 0);
      return;
  }
  if (id == kCmdMoveToMain || id >= kCmdMoveToNoteFirst) MoveToOwner(hwnd, id);
}

void MiniNote::OpenLink(HWND hwnd) {
  if (!link_) return;
  char path[MAX_PATH] = "";
  if (::SHGetPathFromIDListA(link_.get(), path) && path[0]) {
    ::ShellExecuteA(hwnd, nullptr, path, nullptr, nullptr, SW_SHOWNORMAL);
    return;
  }
  SHELLEXECUTEINFOA info{};
  info.cbSize = sizeof(info);
  info.fMask = SEE_MASK_INVOKEIDLIST;
  info.hwnd = hwnd;
  info.lpIDList = link_.get();
  info.nShow = SW_SHOWNORMAL;
  ::ShellExecuteExA(&info);
}

void MiniNote::ShowLinkProperties(HWND hwnd) {
  if (!link_) return;
  SHELLEXECUTEINFOA info{};
  info.cbSize = sizeof(info);
  info.fMask = SEE_MASK_INVOKEIDLIST;
  info.hwnd = hwnd;
  info.lpVerb = "properties";
  info.lpIDList = link_.get();
  info.nShow = SW_SHOWNORMAL;
  ::ShellExecuteExA(&info);
}

void MiniNote::Attach(HWND hwnd) {
  char file[kMaxPathBytes] = "";
  OPENFILENAMEA ofn{};
  ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
  ofn.hwndOwner = hwnd;
  ofn.lpstrFilter = "All files(*.*)\0*.*\0";
  ofn.lpstrFile = file;
  ofn.nMaxFile = sizeof(file);
  ofn.Flags = OFN_EXPLORER | OFN_NOREADONLYRETURN | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR |
              OFN_HIDEREADONLY;
  if (!late::GetOpenFileNameA(&ofn)) return;
  ::SendMessageA(hwnd, kMsgSetLink, 0, reinterpret_cast<LPARAM>(IdlFromPath(file).release()));
}

LRESULT MiniNote::OnDropQuery(IDataObject* data) {
  return OffersHGlobal(data, CF_HDROP) || OffersHGlobal(data, ShellIdListClipFormat());
}

void MiniNote::OnDrop(HWND hwnd, DWORD* effect, IDataObject* data) {
  if (effect) *effect = DROPEFFECT_NONE;
  if (!data) return;
  bool linked = false;
  std::vector<unsigned char> bytes;
  if (GetHGlobalBytes(data, ShellIdListClipFormat(), &bytes)) {
    std::vector<IdlBytes> items = AbsoluteIdlsFromCida(bytes.data(), bytes.size());
    if (!items.empty()) {
      ::SendMessageA(hwnd, kMsgSetLink, 0, reinterpret_cast<LPARAM>(IdlFromBytes(items.front()).release()));
      linked = true;
    }
  }
  // A path names the item more plainly than the shell's list: it wins, but
  // only when the shell can parse it (else the link just made would go).
  if (GetHGlobalBytes(data, CF_HDROP, &bytes)) {
    std::vector<std::string> files = FilesFromDropFiles(bytes.data(), bytes.size());
    CoTaskMem<ITEMIDLIST> idl = files.empty() ? CoTaskMem<ITEMIDLIST>() : IdlFromPath(files.front());
    if (idl) {
      ::SendMessageA(hwnd, kMsgSetLink, 0, reinterpret_cast<LPARAM>(idl.release()));
      linked = true;
    }
  }
  if (linked && effect) *effect = DROPEFFECT_LINK;
}

void MiniNote::SaveAll(HWND hwnd) {
  std::string section = HwndGetText(hwnd);
  std::string file = MiniNoteSettingsFile(hwnd);
  if (section.empty() || file.empty()) return;
  // Without its body the stored text is the only copy: an empty one written
  // here would go with a move or duplicate, and the move deletes the
  // original.
  IniBatch batch(file);
  StageMiniState(&batch, file, section, hwnd, link_.get());
  batch.Commit();  // flushes
}

void MiniNote::MoveToOwner(HWND hwnd, int id) {
  SaveAll(hwnd);
  MoveTarget target;
  if (!FindMoveTarget(hwnd, id, &target)) return;
  std::string name = CopySection(MiniNoteSettingsFile(hwnd), HwndGetText(hwnd), target.file);
  // Deleting the mini note before its copy is safely written would lose it.
  if (name.empty()) return;
  ::SetWindowTextA(hwnd, "");
  ::PostMessageA(hwnd, WM_CLOSE, 0, 0);
  // A note that is not open shows the mini note when it opens next.
  if (!target.window) return;
  if (HWND moved = CreateMiniNoteWindow(target.window, name)) ::ShowWindow(moved, SW_SHOWNORMAL);
}

void MiniNote::Duplicate(HWND hwnd) {
  SaveAll(hwnd);
  std::string file = MiniNoteSettingsFile(hwnd);
  HWND owner = ::GetWindow(hwnd, GW_OWNER);
  std::string section = HwndGetText(hwnd);
  if (file.empty() || section.empty() || !owner) return;
  std::string name = CopySection(file, section, file);
  if (name.empty()) return;
  HWND copy = CreateMiniNoteWindow(owner, name);
  if (!copy) return;
  RECT r;
  ::GetWindowRect(copy, &r);
  ::SetWindowPos(copy, nullptr, r.left + 10, r.top + 10, 0, 0,
                 SWP_SHOWWINDOW | SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOSIZE);
}

}  // namespace memo
