// The folder note's drag and drop: items dragged out of the tree as shell
// items, and files, shell items and web links dropped onto the note's folder
// or onto a folder or program of the tree.
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "frame/Messages.h"
#include "frame/PostedBox.h"
#include "notes/FolderRules.h"
#include "notes/ItemFolder.h"
#include "store/DataTransfer.h"
#include "store/Handles.h"
#include "store/Paths.h"
#include "store/ShellDrag.h"
#include "store/ShellLinks.h"
#include "store/Store.h"
#include "store/WinText.h"

namespace memo {
namespace {

constexpr DWORD kHoverDone = 0xFFFFFFFF;
constexpr DWORD kHoverOpenMs = 1000;
constexpr int kScrollMargin = 10;

// Right-button drop menu results.
constexpr UINT kDropCopy = 1000;
constexpr UINT kDropMove = 1001;
constexpr UINT kDropLink = 1002;
constexpr UINT kDropOpenWith = 1;

// One drag at a time runs in the program, so every folder note shares this.
struct DragState {
  bool rightButton = false;   // seen during the drag; the button is up at the drop
  HTREEITEM target = nullptr;  // TVI_ROOT is the note's own folder
  bool targetLost = false;     // the target item left the tree during the drag
  DWORD hoverTick = 0;
  HTREEITEM dragged = nullptr;
  bool filesOffered = false;  // files or a web link, which a program can be started with
};
DragState gDrag;

// The temporary files of one drop, in a folder of their own inside the
// temporary folder: a file that was already there under the same name is
// never written over or deleted. Everything goes when the drop ends.
class DropScratch {
 public:
  DropScratch() {
    char temp[MAX_PATH] = {};
    DWORD n = ::GetTempPathA(MAX_PATH, temp);
    if (n == 0 || n >= MAX_PATH) return;
    for (int attempt = 0; attempt < 100; ++attempt) {
      char name[48];
      std::snprintf(name, sizeof(name), "memopane-drop%lu-%d", static_cast<unsigned long>(::GetTickCount()), attempt);
      std::string path = PathJoin(temp, name);
      if (!path.empty() && ::CreateDirectoryA(path.c_str(), nullptr)) {
        folder_ = path;
        return;
      }
    }
  }
  ~DropScratch() {
    for (const std::string& file : files_) ::DeleteFileA(file.c_str());
    if (!folder_.empty()) ::RemoveDirectoryA(folder_.c_str());
  }
  DropScratch(const DropScratch&) = delete;
  DropScratch& operator=(const DropScratch&) = delete;

  // The path for a plain name in the folder; "" when there is none.
  std::string PathFor(const std::string& name) const {
    return folder_.empty() || name.empty() ? std::string() : PathJoin(folder_, name);
  }
  // Removed at the end, in the order made.
  void Keep(const std::string& file) { files_.push_back(file); }

 private:
  std::string folder_;
  std::vector<std::string> files_;
};

// The shell's file operation on many paths at once, so that one dialog
// asks about clashes and one undo step covers them all.
void ShellFiles(HWND owner, UINT operation, const std::vector<std::string>& from, const std::string& to) {
  if (from.empty() || to.empty()) return;
  std::vector<char> fromList;
  for (const std::string& path : from) {
    fromList.insert(fromList.end(), path.begin(), path.end());
    fromList.push_back('\0');
  }
  fromList.push_back('\0');
  std::vector<char> toList(to.begin(), to.end());
  toList.push_back('\0');
  toList.push_back('\0');
  SHFILEOPSTRUCTA op{};
  op.hwnd = owner;
  op.wFunc = operation;
  op.pFrom = fromList.data();
  op.pTo = toList.data();
  op.fFlags = FOF_ALLOWUNDO;
  ::SHFileOperationA(&op);
}

// A shortcut to target made in the scratch folder under name + ".lnk"; its
// path, or "" when it could not be made.
std::string ScratchShortcut(DropScratch* scratch, const std::string& name, const std::string& target,
                            PCIDLIST_ABSOLUTE idl) {
  std::string plain = PlainFileName(name);
  std::string path = plain.empty() ? std::string() : PathAppend(scratch->PathFor(plain), ".lnk");
  if (path.empty()) return path;
  bool made = idl ? MakeShortcutToIdList(path, idl) : MakeShortcutToPath(path, target);
  if (!made) {
    ::DeleteFileA(path.c_str());
    return std::string();
  }
  scratch->Keep(path);
  return path;
}

// Removes the drop highlight. Wine's tree ignores a selection of no item
// while no item has the caret, so the highlight's own state bit is cleared
// as well.
void ClearDropHighlight(HWND tree) {
  ::SendMessageA(tree, TVM_SELECTITEM, TVGN_DROPHILITE, 0);
  auto left = reinterpret_cast<HTREEITEM>(::SendMessageA(tree, TVM_GETNEXTITEM, TVGN_DROPHILITE, 0));
  if (!left) return;
  TVITEMA item{};
  item.mask = TVIF_STATE | TVIF_HANDLE;
  item.hItem = left;
  item.stateMask = TVIS_DROPHILITED;
  ::SendMessageA(tree, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

UINT TrackMenu(HWND owner, HMENU menu) {
  POINT at;
  ::GetCursorPos(&at);
  return static_cast<UINT>(::TrackPopupMenuEx(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, owner, nullptr));
}

}  // namespace

void ItemFolder::OnBeginDrag(HWND hwnd, HTREEITEM item) {
  gDrag.dragged = item;
  // The entry itself: a shortcut is dragged as the shortcut file.
  std::string path = ItemPath(hwnd, item);
  CoTaskMem<ITEMIDLIST> idl = IdlFromPath(path);
  if (idl) {
    // Whatever takes the drop may move the entry: an open branch of it
    // holds notifications that would keep it in place.
    bool released = !watches_.ReleaseUnder(path).empty();
    DragShellItem(idl.get());
    if (released) WatchOpenBranches(hwnd);
  }
  gDrag.dragged = nullptr;
}

void ItemFolder::OnItemDeleted(HTREEITEM item) {
  if (item == gDrag.dragged) gDrag.dragged = nullptr;
  if (item == gDrag.target) {
    gDrag.target = nullptr;
    gDrag.targetLost = true;
  }
}

LRESULT ItemFolder::OnDropQuery(IDataObject* data) {
  gDrag.hoverTick = 0;
  gDrag.target = nullptr;
  gDrag.targetLost = false;
  gDrag.rightButton = false;
  if (tree_) {
    ::SendMessageA(tree_, TVM_SELECTITEM, TVGN_CARET, 0);
    ClearDropHighlight(tree_);
  }
  gDrag.filesOffered = OffersHGlobal(data, CF_HDROP) || OffersHGlobal(data, UrlClipFormat());
  return gDrag.filesOffered || OffersHGlobal(data, ShellIdListClipFormat());
}

bool ItemFolder::IsDropTarget(HWND hwnd, HTREEITEM item, DWORD* effect) {
  TVITEMA query{};
  query.mask = TVIF_CHILDREN | TVIF_HANDLE;
  query.hItem = item;
  ::SendMessageA(tree_, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&query));
  bool hasChildren = query.cChildren != 0;
  // Only files start a program; shell items alone are no drop for it.
  bool program = !hasChildren && gDrag.filesOffered && IsProgramPath(TargetPath(hwnd, item));
  DWORD add = DropEffectOverItem(hasChildren, program, gDrag.rightButton);
  *effect |= add;
  if (!hasChildren) return add != 0;
  // A closed folder opens once the pointer has rested on it for a second.
  if (item != gDrag.target) {
    gDrag.hoverTick = ::GetTickCount();
  } else if (gDrag.hoverTick != kHoverDone && ::GetTickCount() - gDrag.hoverTick > kHoverOpenMs) {
    ::SendMessageA(tree_, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item));
    gDrag.hoverTick = kHoverDone;
  }
  return true;
}

void ItemFolder::OnDropEffect(HWND hwnd, DWORD* effect) {
  if (!effect || !tree_) return;
  // The button is up again when the drop comes: remember it from the drag.
  if (!gDrag.rightButton && (::GetKeyState(VK_RBUTTON) & 0x8000)) gDrag.rightButton = true;
  TVHITTESTINFO hit{};
  ::GetCursorPos(&hit.pt);
  ::ScreenToClient(tree_, &hit.pt);
  HTREEITEM item = reinterpret_cast<HTREEITEM>(::SendMessageA(tree_, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
  if (item) {
    // Only the label counts: beside it is the note's own folder.
    RECT label{};
    // The item goes in, its rectangle comes out: the handle's bytes, by the
    // message's own convention.
    std::memcpy(&label, &item, sizeof(item));  // NOLINT(bugprone-sizeof-expression)
    if (!::SendMessageA(tree_, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&label)) ||
        !::PtInRect(&label, hit.pt)) {
      item = nullptr;
    }
  }
  RECT client;
  ::GetClientRect(tree_, &client);
  if (hit.pt.y < client.top + kScrollMargin) {
    ::SendMessageA(tree_, WM_VSCROLL, SB_LINEUP, 0);
    ::SendMessageA(tree_, WM_VSCROLL, SB_LINEUP, 0);
    *effect |= DROPEFFECT_SCROLL;
  } else if (hit.pt.y > client.bottom - kScrollMargin) {
    ::SendMessageA(tree_, WM_VSCROLL, SB_LINEDOWN, 0);
    ::SendMessageA(tree_, WM_VSCROLL, SB_LINEDOWN, 0);
    *effect |= DROPEFFECT_SCROLL;
  }
  if (!item) {
    ClearDropHighlight(tree_);
    gDrag.target = TVI_ROOT;
    gDrag.targetLost = false;
    *effect |= DROPEFFECT_LINK;
    return;
  }
  if (item == gDrag.dragged) return;  // an item is never dropped onto itself
  bool target = IsDropTarget(hwnd, item, effect);
  if (target) ::SendMessageA(tree_, TVM_SELECTITEM, TVGN_DROPHILITE, reinterpret_cast<LPARAM>(item));
  auto visible = [&](UINT which) {
    return reinterpret_cast<HTREEITEM>(::SendMessageA(tree_, TVM_GETNEXTITEM, which, 0));
  };
  if (item == visible(TVGN_FIRSTVISIBLE)) {
    ::SendMessageA(tree_, WM_VSCROLL, SB_LINEUP, 0);
    *effect |= DROPEFFECT_SCROLL;
  } else if (item == visible(TVGN_LASTVISIBLE)) {
    ::SendMessageA(tree_, WM_VSCROLL, SB_LINEDOWN, 0);
    *effect |= DROPEFFECT_SCROLL;
  }
  if (target) {
    gDrag.target = item;
    gDrag.targetLost = false;
  }
}

void ItemFolder::OnDragLeave() {
  if (tree_) ClearDropHighlight(tree_);
}

void ItemFolder::OnDrop(HWND hwnd, DWORD* effect, IDataObject* data) {
  if (data) {
    FORMATETC fe{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    std::vector<unsigned char> bytes;
    if (SUCCEEDED(data->GetData(&fe, &medium))) {
      if (medium.tymed == TYMED_HGLOBAL && medium.hGlobal) {
        ::SendMessageA(hwnd, WM_DROPFILES, reinterpret_cast<WPARAM>(medium.hGlobal), 0);
      }
      ::ReleaseStgMedium(&medium);
    } else if (GetHGlobalBytes(data, ShellIdListClipFormat(), &bytes)) {
      DropShellItems(hwnd, bytes);
    } else {
      DropWebLink(hwnd, data);
    }
  }
  // Any copy or move is the shell's own and done: the source must not
  // remove its data as after a move.
  if (effect) *effect = DROPEFFECT_NONE;
}

void ItemFolder::DropShellItems(HWND hwnd, const std::vector<unsigned char>& cida) {
  if (gDrag.targetLost) return;
  std::string folder = TargetPath(hwnd, gDrag.target ? gDrag.target : TVI_ROOT);
  // Shell items become shortcuts copied into a folder: a program is no
  // folder, and a copy onto it would replace it.
  if (folder.empty() || IsProgramPath(folder)) return;
  DropScratch scratch;
  std::vector<std::string> copies;
  // Shell items are always linked, whatever the button.
  for (const IdlBytes& bytes : AbsoluteIdlsFromCida(cida.data(), cida.size())) {
    CoTaskMem<ITEMIDLIST> idl = IdlFromBytes(bytes);
    if (!idl) continue;
    SHFILEINFOA info{};
    if (!::SHGetFileInfoA(reinterpret_cast<LPCSTR>(idl.get()), 0, &info, sizeof(info),
                          SHGFI_PIDL | SHGFI_DISPLAYNAME)) {
      continue;
    }
    info.szDisplayName[sizeof(info.szDisplayName) - 1] = '\0';
    // A display name such as "Local Disk (C:)" is no file name as it is.
    std::string link = ScratchShortcut(&scratch, info.szDisplayName, std::string(), idl.get());
    if (!link.empty()) copies.push_back(link);
  }
  ShellFiles(hwnd, FO_COPY, copies, folder);
}

void ItemFolder::DropWebLink(HWND hwnd, IDataObject* data) {
  std::vector<unsigned char> bytes;
  std::string url;
  if (GetHGlobalBytes(data, UrlClipFormat(), &bytes) && !UrlFromBytes(bytes.data(), bytes.size(), &url)) return;
  std::string proposed;
  if (!GetHGlobalBytes(data, FileGroupClipFormat(), &bytes) ||
      !FirstNameFromFileGroup(bytes.data(), bytes.size(), &proposed)) {
    return;
  }
  // Only a plain name is joined to the scratch folder: "..\..\x.url" from
  // the source must not write anywhere else.
  DropScratch scratch;
  std::string file = scratch.PathFor(PlainFileName(proposed));
  if (file.empty()) return;
  scratch.Keep(file);
  ::WritePrivateProfileStringA("InternetShortcut", "URL", url.c_str(), file.c_str());
  ::WritePrivateProfileStringA(nullptr, nullptr, nullptr, file.c_str());
  GlobalMem drop = GlobalFromBytes(DropFilesFor({file}));
  if (drop) ::SendMessageA(hwnd, WM_DROPFILES, reinterpret_cast<WPARAM>(drop.get()), 0);
}

void ItemFolder::OnDropFiles(HWND hwnd, HDROP drop) {
  std::vector<std::string> files = FilesFromHDrop(drop);
  if (files.empty() || gDrag.targetLost) return;
  std::string folder = TargetPath(hwnd, gDrag.target ? gDrag.target : TVI_ROOT);
  if (folder.empty()) return;
  if (IsProgramPath(folder)) {
    if (gDrag.rightButton) {
      UniqueMenu menu(::CreatePopupMenu());
      if (!menu) return;
      ::AppendMenuA(menu.get(), MF_STRING, kDropOpenWith, "アプリケーションから開く(&O)");
      ::AppendMenuA(menu.get(), MF_SEPARATOR, 0, nullptr);
      ::AppendMenuA(menu.get(), MF_STRING, 0, "キャンセル(&C)");
      if (TrackMenu(hwnd, menu.get()) != kDropOpenWith) return;
    }
    std::string arguments = QuotedArguments(files);
    auto started = reinterpret_cast<INT_PTR>(
        ::ShellExecuteA(hwnd, nullptr, folder.c_str(), arguments.c_str(), nullptr, SW_SHOWNORMAL));
    // A program that did not start is no folder to copy into either.
    if (started <= 32) PostErrorBox(hwnd, "プログラムを起動できませんでした", folder);
    return;
  }
  if (gDrag.rightButton) {
    UniqueMenu menu(::CreatePopupMenu());
    if (!menu) return;
    ::AppendMenuA(menu.get(), MF_STRING, kDropCopy, "ここにコピー(&C)");
    ::AppendMenuA(menu.get(), MF_STRING, kDropMove, "ここに移動(&M)");
    ::AppendMenuA(menu.get(), MF_STRING, kDropLink, "ショートカットをここに作成(&S)");
    ::AppendMenuA(menu.get(), MF_SEPARATOR, 0, nullptr);
    ::AppendMenuA(menu.get(), MF_STRING, 0, "キャンセル");
    switch (TrackMenu(hwnd, menu.get())) {
      case kDropCopy:
        ShellFiles(hwnd, FO_COPY, files, folder);
        return;
      case kDropMove: {
        // Open branches of the moved entries hold notifications that would
        // keep them in place.
        bool released = false;
        for (const std::string& file : files) released |= !watches_.ReleaseUnder(file).empty();
        ShellFiles(hwnd, FO_MOVE, files, folder);
        if (released) WatchOpenBranches(hwnd);
        return;
      }
      case kDropLink:
        break;
      default:
        return;
    }
  }
  DropScratch scratch;
  std::vector<std::string> copies;
  for (const std::string& file : files) {
    if (IsCopiedAsIs(file)) {
      copies.push_back(file);
      continue;
    }
    std::string name = ShortcutBaseName(file);
    if (name.empty()) {
      char label[kMaxPathBytes] = {};
      std::string root = EndsWithSeparator(file) ? file : file + '\\';
      if (::GetVolumeInformationA(root.c_str(), label, sizeof(label), nullptr, nullptr, nullptr, nullptr, 0)) {
        label[sizeof(label) - 1] = '\0';
        name = label;
      }
      // A drive without a label is named by its letter.
      if (PlainFileName(name).empty()) name = file.substr(0, 1);
    }
    std::string link = ScratchShortcut(&scratch, name, file, nullptr);
    if (!link.empty()) copies.push_back(link);
  }
  ShellFiles(hwnd, FO_COPY, copies, folder);
}

}  // namespace memo
