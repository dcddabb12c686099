// The folder note's file commands: the item and background menus, open,
// new subfolder, the new-shortcut wizard, properties, copy path, delete,
// shortcuts to special folders, the keys of the tree and label renames.
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstring>
#include <memory>
#include <vector>

#include "frame/IconMenuItem.h"
#include "frame/Messages.h"
#include "frame/NoteMenu.h"
#include "frame/NoteWindows.h"
#include "notes/FolderRules.h"
#include "notes/ItemFolder.h"
#include "store/FileSystem.h"
#include "store/Handles.h"
#include "store/Paths.h"
#include "store/ShellLinks.h"
#include "store/ShellOps.h"
#include "store/Store.h"
#include "store/WinText.h"

namespace memo {
namespace {

constexpr UINT kShortcutMark = INDEXTOOVERLAYMASK(2);

// The special folders offered as shortcuts, in menu order.
constexpr int kSpecialFolders[] = {
    CSIDL_DESKTOP,   CSIDL_INTERNET, CSIDL_PROGRAMS, CSIDL_CONTROLS, CSIDL_PRINTERS,      CSIDL_PERSONAL,
    CSIDL_FAVORITES, CSIDL_MYMUSIC,  CSIDL_MYVIDEO,  CSIDL_NETWORK,  CSIDL_WINDOWS,       CSIDL_PROGRAM_FILES,
    CSIDL_MYPICTURES, CSIDL_PROFILE};

void ShellOpen(HWND owner, const char* verb, const std::string& path) {
  if (path.empty()) return;
  ::ShellExecuteA(owner, verb, path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace

HTREEITEM ItemFolder::Selected() const {
  if (!tree_) return nullptr;
  return reinterpret_cast<HTREEITEM>(::SendMessageA(tree_, TVM_GETNEXTITEM, TVGN_CARET, 0));
}

void ItemFolder::OnContextMenu(HWND hwnd, LPARAM point) {
  POINT at = ContextMenuPoint(point);
  HTREEITEM item = nullptr;
  if (tree_ && ::WindowFromPoint(at) == tree_) {
    TVHITTESTINFO hit{};
    hit.pt = at;
    ::ScreenToClient(tree_, &hit.pt);
    item = reinterpret_cast<HTREEITEM>(::SendMessageA(tree_, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
  }
  bool bothButtons = (::GetKeyState(VK_LBUTTON) & 0x8000) && (::GetKeyState(VK_RBUTTON) & 0x8000);
  if (item && !bothButtons) {
    ShowItemMenu(hwnd, item, at);
  } else {
    if (!item && tree_) ::SendMessageA(tree_, TVM_SELECTITEM, TVGN_CARET, 0);
    ShowBackgroundMenu(hwnd, at);
  }
}

void ItemFolder::ShowItemMenu(HWND hwnd, HTREEITEM item, POINT at) {
  ::SendMessageA(tree_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
  UniqueMenu menu(::CreatePopupMenu());
  if (!menu) return;
  bool folderTarget = IsFolder(TargetPath(hwnd, item));
  ::AppendMenuA(menu.get(), MF_STRING, kCmdOpen, "開く(&O)");
  ::AppendMenuA(menu.get(), MF_STRING, kCmdDeleteItem, "削除(&D)");
  ::AppendMenuA(menu.get(), MF_SEPARATOR, 0, nullptr);
  ::AppendMenuA(menu.get(), MF_STRING | (folderTarget ? 0 : MF_GRAYED), kCmdNewShortcut, "ショートカットの作成");
  ::AppendMenuA(menu.get(), MF_SEPARATOR, 0, nullptr);
  ::AppendMenuA(menu.get(), MF_STRING, kCmdCopyPath, "パスをコピー");
  ::AppendMenuA(menu.get(), MF_SEPARATOR, 0, nullptr);
  ::AppendMenuA(menu.get(), MF_STRING, kCmdItemProperties, "プロパティ(&R)");
  ::TrackPopupMenuEx(menu.get(), TPM_RIGHTBUTTON, at.x, at.y, hwnd, nullptr);
}

void ItemFolder::ShowBackgroundMenu(HWND hwnd, POINT at) {
  UniqueMenu menu(::CreatePopupMenu());
  HMENU shortcuts = ::CreatePopupMenu();
  if (!menu || !shortcuts) {
    if (shortcuts) ::DestroyMenu(shortcuts);
    return;
  }
  ::AppendMenuA(shortcuts, MF_STRING, kCmdNewShortcut, "新しいショートカット(&N)");
  ::AppendMenuA(shortcuts, MF_SEPARATOR, 0, nullptr);
  // The entries live until the menu has closed; the list frees them.
  std::vector<std::unique_ptr<IconMenuItem>> entries;
  for (int csidl : kSpecialFolders) {
    CoTaskMem<ITEMIDLIST> idl;
    if (FAILED(::SHGetSpecialFolderLocation(hwnd, csidl, idl.put())) || !idl) continue;
    auto entry = std::make_unique<IconMenuItem>();
    SHFILEINFOA info{};
    ::SHGetFileInfoA(reinterpret_cast<LPCSTR>(idl.get()), 0, &info, sizeof(info),
                     SHGFI_PIDL | SHGFI_ICON | SHGFI_SMALLICON | SHGFI_DISPLAYNAME | SHGFI_LINKOVERLAY);
    entry->idl = std::move(idl);
    entry->icon.reset(info.hIcon);
    info.szDisplayName[sizeof(info.szDisplayName) - 1] = '\0';
    entry->name = info.szDisplayName;
    ::AppendMenuA(shortcuts, MF_OWNERDRAW, kCmdSpecialFolderFirst + entries.size(),
                  reinterpret_cast<LPCSTR>(entry.get()));
    entries.push_back(std::move(entry));
  }
  ::AppendMenuA(menu.get(), MF_STRING, kCmdOpen, "このフォルダを開く(&O)");
  ::AppendMenuA(menu.get(), MF_SEPARATOR, 0, nullptr);
  ::AppendMenuA(menu.get(), MF_STRING, kCmdNewSubFolder, "新しいサブフォルダ(&N)");
  ::AppendMenuA(menu.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(shortcuts), "ショートカット");
  ::AppendMenuA(menu.get(), MF_SEPARATOR, 0, nullptr);
  MenuAppendNoteCommands(menu.get());
  int chosen = static_cast<int>(
      ::TrackPopupMenuEx(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, hwnd, nullptr));
  if (chosen >= kCmdSpecialFolderFirst && chosen < kCmdSpecialFolderFirst + static_cast<int>(entries.size())) {
    const IconMenuItem& entry = *entries[static_cast<size_t>(chosen - kCmdSpecialFolderFirst)];
    std::string link = PathAppend(PathJoin(NotePathOfWindow(hwnd), entry.name), ".lnk");
    if (!link.empty() && !entry.name.empty()) MakeShortcutToIdList(link, entry.idl.get());
  } else if (chosen != 0) {
    ::PostMessageA(hwnd, WM_COMMAND, static_cast<WPARAM>(chosen), 0);
  }
}

bool ItemFolder::OnCommand(HWND hwnd, int id) {
  HTREEITEM item = Selected();
  switch (id) {
    case kCmdOpen:
      if (item) {
        ShellOpen(hwnd, nullptr, ItemPath(hwnd, item));
      } else {
        ShellOpen(hwnd, "open", NotePathOfWindow(hwnd));
      }
      return true;
    case kCmdNewSubFolder:
      NewSubfolder(hwnd);
      return true;
    case kCmdNewShortcut: {
      std::string folder = item ? TargetPath(hwnd, item) : NotePathOfWindow(hwnd);
      if (folder.empty()) return true;
      if (!EndsWithSeparator(folder)) folder += '\\';
      std::string parameters = "appwiz.cpl,NewLinkHere " + folder;
      ::ShellExecuteA(nullptr, nullptr, "rundll32", parameters.c_str(), nullptr, SW_SHOWNORMAL);
      return true;
    }
    case kCmdItemProperties:
      if (item) ShellOpen(hwnd, "properties", ItemPath(hwnd, item));
      return true;
    case kCmdCopyPath:
      if (item) CopyPath(hwnd);
      return true;
    case kCmdDeleteItem: {
      if (!item) return true;
      // An open branch at or below the entry holds notifications that would
      // keep it from being deleted. The tree loses the item through the
      // watch of its folder, which stays.
      std::string path = ItemPath(hwnd, item);
      bool released = !watches_.ReleaseUnder(path).empty();
      bool deleted = ShellDelete(hwnd, path);
      // What stays open is watched again (the item may be gone by now).
      if (released && !deleted) WatchOpenBranches(hwnd);
      return true;
    }
  }
  return false;
}

void ItemFolder::NewSubfolder(HWND hwnd) {
  std::string folder = NotePathOfWindow(hwnd);
  if (folder.empty()) return;
  std::string name = FirstFreeNumberedName(kNewSubfolderFormat, [&](const std::string& candidate) {
    std::string path = PathJoin(folder, candidate);
    return path.empty() || PathExists(path);
  });
  std::string path = PathJoin(folder, name);
  if (!name.empty() && !path.empty()) ::CreateDirectoryA(path.c_str(), nullptr);
}

void ItemFolder::CopyPath(HWND hwnd) {
  std::string path = TargetPath(hwnd, Selected());
  if (path.empty()) return;
  GlobalMem memory(::GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, path.size() + 1));
  if (!memory) return;
  void* bytes = ::GlobalLock(memory.get());
  if (!bytes) return;
  std::memcpy(bytes, path.c_str(), path.size() + 1);
  ::GlobalUnlock(memory.get());
  ClipboardScope clipboard(hwnd);
  if (!clipboard.IsOpen()) return;
  ::EmptyClipboard();
  // On success the clipboard owns the memory.
  if (::SetClipboardData(CF_TEXT, memory.get())) memory.release();
}

LRESULT ItemFolder::OnKeyDown(HWND hwnd, WORD key) {
  HTREEITEM item = Selected();
  switch (key) {
    case VK_RETURN:
      if (!item) break;
      {
        TVITEMA query{};
        query.mask = TVIF_CHILDREN | TVIF_HANDLE;
        query.hItem = item;
        ::SendMessageA(tree_, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&query));
        if (query.cChildren != 0) {
          ::SendMessageA(tree_, TVM_EXPAND, TVE_TOGGLE, reinterpret_cast<LPARAM>(item));
          // Some tree controls report only the user's own collapses; a
          // branch closed here is emptied and unwatched all the same.
          if (!(ItemState(item) & TVIS_EXPANDED)) OnExpanded(hwnd, item, TVE_COLLAPSE);
        } else {
          ::SendMessageA(hwnd, WM_COMMAND, kCmdOpen, 0);
        }
      }
      break;
    case VK_DELETE:
      ::SendMessageA(hwnd, WM_COMMAND, kCmdDeleteItem, 0);
      break;
    case VK_F2:
      if (item) ::SendMessageA(tree_, TVM_EDITLABELA, 0, reinterpret_cast<LPARAM>(item));
      break;
  }
  return 0;
}

void ItemFolder::OnEndLabelEdit(HWND hwnd, const NMTVDISPINFOA& info) {
  if (!info.item.pszText) return;  // the edit was cancelled
  std::string label = info.item.pszText;
  HTREEITEM item = info.item.hItem;
  switch (CheckNewLabel(label)) {
    case LabelCheck::kForbiddenChar:
      ShowError(hwnd, "ファイル名に \\ / : , ; * ? \" < > | を使用することはできません");
      return;
    case LabelCheck::kShortcutName:
      ShowError(hwnd, "有効なショートカットではありません", label);
      return;
    case LabelCheck::kNoName:
      return;  // as a cancelled edit: the name stays
    case LabelCheck::kOk:
      break;
  }
  HTREEITEM parent = reinterpret_cast<HTREEITEM>(
      ::SendMessageA(tree_, TVM_GETNEXTITEM, TVGN_PARENT, reinterpret_cast<LPARAM>(item)));
  std::string folder = TargetPath(hwnd, parent ? parent : TVI_ROOT);
  std::string oldPath = PathJoin(folder, ItemText(item));
  std::string newPath = PathJoin(folder, label);
  bool shortcut = (ItemState(item) & kShortcutMark) != 0;
  if (shortcut) {
    oldPath = PathAppend(oldPath, ".lnk");
    newPath = PathAppend(newPath, ".lnk");
  }
  if (oldPath.empty() || newPath.empty() || oldPath == newPath) return;
  // Another entry of that name is never replaced; a change of letter case
  // alone renames the entry itself.
  if (PathExists(newPath) && !EqualsNoCase(oldPath, newPath.c_str())) {
    ShowError(hwnd, "同じ名前のファイルが既にあります", label);
    return;
  }
  if (shortcut) {
    // The watch replaces the item at the next poll.
    ShellRename(hwnd, oldPath, newPath);
    return;
  }
  // An open branch below the item holds a watch that would keep it from
  // being renamed.
  ::SendMessageA(hwnd, kMsgRefresh, 1, 0);
  if (ShellRename(hwnd, oldPath, newPath)) {
    // The item takes its new name, icon and marks in place, so an open
    // branch stays open; its place in the order follows at the next
    // refresh of the folder.
    DWORD attributes = ::GetFileAttributesA(newPath.c_str());
    bool isFolder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    bool hidden = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_HIDDEN);
    TVITEMA update{};
    update.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM | TVIF_STATE | TVIF_CHILDREN | TVIF_HANDLE;
    update.hItem = item;
    update.pszText = const_cast<char*>(label.c_str());
    update.iImage = I_IMAGECALLBACK;
    update.iSelectedImage = I_IMAGECALLBACK;
    update.lParam = reinterpret_cast<LPARAM>(item);
    update.state = hidden ? TVIS_CUT : 0;
    update.stateMask = TVIS_CUT;
    update.cChildren = isFolder ? 1 : 0;
    ::SendMessageA(tree_, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&update));
  }
  ::SendMessageA(hwnd, kMsgRefresh, 0, 0);
}

}  // namespace memo
