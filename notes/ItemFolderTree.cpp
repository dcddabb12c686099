// The folder note's tree: items and their paths, refreshing a level with
// only what appeared or vanished, the order of a level, opening and closing
// branches, and the watches of open branches.
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <unordered_map>
#include <vector>

#include "frame/NoteWindows.h"
#include "notes/FolderRules.h"
#include "notes/ItemFolder.h"
#include "store/FileSystem.h"
#include "store/Paths.h"
#include "store/ShellLinks.h"
#include "store/Store.h"

namespace memo {
namespace {

constexpr UINT kShortcutMark = INDEXTOOVERLAYMASK(2);
constexpr UINT kShareMark = INDEXTOOVERLAYMASK(1);

HTREEITEM NextItem(HWND tree, HTREEITEM item, UINT how) {
  return reinterpret_cast<HTREEITEM>(::SendMessageA(tree, TVM_GETNEXTITEM, how, reinterpret_cast<LPARAM>(item)));
}

DWORD ShellAttributes(const std::string& path) {
  SHFILEINFOA info{};
  info.dwAttributes = 0;
  if (!::SHGetFileInfoA(path.c_str(), 0, &info, sizeof(info), SHGFI_ATTRIBUTES)) return 0;
  return info.dwAttributes;
}

// The wait cursor for the scope of a branch read.
class WaitCursor {
 public:
  WaitCursor() : old_(::SetCursor(::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_WAIT)))) {}
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
  ~WaitCursor() { ::SetCursor(old_); }

 private:
  HCURSOR old_;
};

// What the order of one level reads of each item, gathered once per sort
// rather than asked of the tree twice per comparison.
struct SortKey {
  bool hasChildren;
  std::string text;
};
using SortKeys = std::unordered_map<LPARAM, SortKey>;

int CALLBACK CompareItems(LPARAM a, LPARAM b, LPARAM keys) {
  const auto& table = *reinterpret_cast<const SortKeys*>(keys);
  auto ka = table.find(a), kb = table.find(b);
  if (ka == table.end() || kb == table.end()) return 0;
  return CompareFolderEntries(ka->second.hasChildren, ka->second.text, kb->second.hasChildren, kb->second.text);
}

}  // namespace

UINT ItemFolder::ItemState(HTREEITEM item) const {
  return static_cast<UINT>(::SendMessageA(tree_, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), 0xFFFF));
}

std::string ItemFolder::ItemText(HTREEITEM item) const {
  char text[kMaxPathBytes] = {};
  TVITEMA query{};
  query.mask = TVIF_TEXT | TVIF_HANDLE;
  query.hItem = item;
  query.pszText = text;
  query.cchTextMax = sizeof(text);
  ::SendMessageA(tree_, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&query));
  text[sizeof(text) - 1] = '\0';
  return text;
}

std::string ItemFolder::ItemPath(HWND hwnd, HTREEITEM item) const {
  if (!item || item == TVI_ROOT) return NotePathOfWindow(hwnd);
  HTREEITEM parent = NextItem(tree_, item, TVGN_PARENT);
  std::string path = PathJoin(TargetPath(hwnd, parent ? parent : TVI_ROOT), ItemText(item));
  if (!path.empty() && (ItemState(item) & kShortcutMark)) path = PathAppend(path, ".lnk");
  return path;
}

std::string ItemFolder::TargetPath(HWND hwnd, HTREEITEM item) const {
  std::string path = ItemPath(hwnd, item);
  if (item && item != TVI_ROOT && (ItemState(item) & kShortcutMark)) {
    std::string target = ResolveShortcut(path);
    if (!target.empty()) return target;
  }
  return path;
}

HTREEITEM ItemFolder::InsertChild(HTREEITEM parent, const std::string& folder, const WIN32_FIND_DATAA& entry,
                                  HTREEITEM after) {
  std::string name = entry.cFileName;
  std::string path = PathJoin(folder, name);
  bool isFolder = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  UINT state = 0;
  // The shell is asked only about the entries it can mark: shortcuts, and
  // folders (shared). Hidden is the file's own attribute, as the shell
  // reports it for file-system entries; asking the shell about every file
  // would make a large folder open many times slower.
  bool link = false;
  if (!path.empty() && HasShortcutExtension(name) && !isFolder) {
    link = (ShellAttributes(path) & SFGAO_LINK) != 0;
  } else if (!path.empty() && isFolder) {
    if (ShellAttributes(path) & SFGAO_SHARE) state |= kShareMark;
  }
  if (link) {
    state |= kShortcutMark;
    std::string target = ResolveShortcut(path);
    isFolder = !target.empty() && IsFolder(target);
  }
  if (entry.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) state |= TVIS_CUT;
  std::string text = FolderDisplayName(name, link);

  TVINSERTSTRUCTA insert{};
  insert.hParent = parent;
  insert.hInsertAfter = after;
  insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN | (state ? TVIF_STATE : 0);
  insert.item.pszText = const_cast<char*>(text.c_str());
  // Icons are looked up when the tree first draws the item.
  insert.item.iImage = I_IMAGECALLBACK;
  insert.item.iSelectedImage = I_IMAGECALLBACK;
  insert.item.cChildren = isFolder ? 1 : 0;
  insert.item.state = state;
  insert.item.stateMask = state;
  auto item = reinterpret_cast<HTREEITEM>(::SendMessageA(tree_, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
  if (!item) return nullptr;
  // The order of a level reads each item through its own handle.
  TVITEMA param{};
  param.mask = TVIF_PARAM | TVIF_HANDLE;
  param.hItem = item;
  param.lParam = reinterpret_cast<LPARAM>(item);
  ::SendMessageA(tree_, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&param));
  return item;
}

int ItemFolder::RefreshChildren(HWND hwnd, HTREEITEM parent) {
  if (!tree_) return 0;
  std::string folder = TargetPath(hwnd, parent);
  // The children as they are now, by file name.
  std::unordered_map<std::string, HTREEITEM> current;
  for (HTREEITEM child = NextItem(tree_, parent, TVGN_CHILD); child; child = NextItem(tree_, child, TVGN_NEXT)) {
    std::string key = ItemText(child);
    if (ItemState(child) & kShortcutMark) key += ".lnk";
    current.emplace(std::move(key), child);
  }
  int count = static_cast<int>(current.size());
  HTREEITEM after = TVI_FIRST;
  for (const WIN32_FIND_DATAA& entry : ListFolder(folder)) {
    auto found = current.find(entry.cFileName);
    if (found != current.end()) {
      current.erase(found);
      continue;
    }
    if (HTREEITEM added = InsertChild(parent, folder, entry, after)) {
      after = added;
      ++count;
    }
  }
  std::vector<std::pair<std::string, HTREEITEM>> gone(current.begin(), current.end());
  std::sort(gone.begin(), gone.end());
  for (const auto& entry : gone) {
    // The last child leaving closes its branch first.
    if (count == 1 && parent != TVI_ROOT) {
      // Closed as the user closes it: emptied, and read again when it opens.
      ::SendMessageA(tree_, TVM_EXPAND, TVE_COLLAPSE | TVE_COLLAPSERESET, reinterpret_cast<LPARAM>(parent));
      ResetBranch(parent);
      if (!NextItem(tree_, parent, TVGN_CHILD)) return 0;
    }
    ::SendMessageA(tree_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(entry.second));
    --count;
  }
  SortChildren(parent);
  return count;
}

void ItemFolder::SortChildren(HTREEITEM parent) {
  SortKeys keys;
  for (HTREEITEM child = NextItem(tree_, parent, TVGN_CHILD); child; child = NextItem(tree_, child, TVGN_NEXT)) {
    char text[kMaxPathBytes] = {};
    TVITEMA query{};
    query.mask = TVIF_TEXT | TVIF_CHILDREN | TVIF_HANDLE;
    query.hItem = child;
    query.pszText = text;
    query.cchTextMax = sizeof(text);
    ::SendMessageA(tree_, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&query));
    text[sizeof(text) - 1] = '\0';
    keys.emplace(reinterpret_cast<LPARAM>(child), SortKey{query.cChildren != 0, text});
  }
  if (keys.size() < 2) return;
  TVSORTCB sort{};
  sort.hParent = parent;
  sort.lpfnCompare = &CompareItems;
  sort.lParam = reinterpret_cast<LPARAM>(&keys);
  ::SendMessageA(tree_, TVM_SORTCHILDRENCB, 0, reinterpret_cast<LPARAM>(&sort));
}

void ItemFolder::SetWatch(HWND hwnd, HTREEITEM item) {
  watches_.Set(reinterpret_cast<FolderWatches::Key>(item), TargetPath(hwnd, item));
}

void ItemFolder::OnExpanding(HWND hwnd, HTREEITEM item) {
  WaitCursor wait;
  // A branch is read only when it opens: a shortcut to a folder above it
  // opens one more level each time, never a loop.
  if (RefreshChildren(hwnd, item) > 0) {
    SetWatch(hwnd, item);
  } else {
    watches_.Remove(reinterpret_cast<FolderWatches::Key>(item));
  }
}

void ItemFolder::OnExpanded(HWND hwnd, HTREEITEM item, UINT action) {
  // The open or closed icon is looked up again when the item is drawn.
  TVITEMA icon{};
  icon.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_HANDLE;
  icon.hItem = item;
  icon.iImage = I_IMAGECALLBACK;
  icon.iSelectedImage = I_IMAGECALLBACK;
  ::SendMessageA(tree_, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&icon));
  if (action != TVE_COLLAPSE) return;
  WaitCursor wait;
  while (HTREEITEM child = NextItem(tree_, item, TVGN_CHILD)) {
    ::SendMessageA(tree_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(child));
  }
  watches_.Remove(reinterpret_cast<FolderWatches::Key>(item));
  ResetBranch(item);
}

void ItemFolder::ResetBranch(HTREEITEM item) {
  // The tree reports only the first expansion of an item to its parent
  // unless it is the user's: a closed branch is read again whenever it
  // opens, by the program as by the user, and keeps its button.
  TVITEMA reset{};
  reset.mask = TVIF_STATE | TVIF_CHILDREN | TVIF_HANDLE;
  reset.hItem = item;
  reset.cChildren = 1;
  reset.state = 0;
  reset.stateMask = TVIS_EXPANDEDONCE;
  ::SendMessageA(tree_, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&reset));
}

void ItemFolder::OnGetDispInfo(HWND hwnd, NMTVDISPINFOA& info) {
  if (!(info.item.mask & (TVIF_IMAGE | TVIF_SELECTEDIMAGE))) return;
  std::string path = ItemPath(hwnd, info.item.hItem);
  UINT flags = SHGFI_SYSICONINDEX | SHGFI_SMALLICON;
  if (ItemState(info.item.hItem) & TVIS_EXPANDED) flags |= SHGFI_OPENICON;
  SHFILEINFOA file{};
  auto list = reinterpret_cast<HIMAGELIST>(::SHGetFileInfoA(path.c_str(), 0, &file, sizeof(file), flags));
  if (list && reinterpret_cast<HIMAGELIST>(::SendMessageA(tree_, TVM_GETIMAGELIST, TVSIL_NORMAL, 0)) != list) {
    ::SendMessageA(tree_, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(list));
  }
  info.item.iImage = list ? file.iIcon : 0;
  info.item.iSelectedImage = info.item.iImage;
  info.item.mask |= TVIF_DI_SETITEM;
}

}  // namespace memo
