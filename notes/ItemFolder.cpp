// The folder note: its messages, its creation, and the rename and delete of
// its own folder.
#include "notes/ItemFolder.h"

#include <shellapi.h>

#include <algorithm>

#include "frame/ClassNames.h"
#include "frame/Colors.h"
#include "frame/CommonControls.h"
#include "frame/Messages.h"
#include "frame/NoteWindows.h"
#include "frame/PostedBox.h"
#include "frame/ThreadWindows.h"
#include "resources/resource.h"
#include "store/FileSystem.h"
#include "store/NoteOps.h"
#include "store/Store.h"
#include "store/WinText.h"

namespace memo {
namespace {

const ClassRegistrar kRegistrar(kClassFolder, CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS, IDI_APP,
                                &Dispatch<ItemFolder>);

constexpr DWORD kTreeStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | TVS_HASBUTTONS | TVS_HASLINES |
                             TVS_LINESATROOT | TVS_EDITLABELS | TVS_SHOWSELALWAYS | TVS_NOTOOLTIPS;
constexpr COLORREF kDefaultBackground = 0xFFF0F0;
constexpr UINT kPollMs = 500;
// The expand or collapse of an expand notification, without its modifiers.
constexpr UINT kExpandActionMask = TVE_COLLAPSE | TVE_EXPAND;

// One previous procedure serves every folder note's tree: they are all of
// the one system class.
WNDPROC gTreeProc = nullptr;

// Icons are drawn with the system image list's own background colour;
// giving it the tree's colour before each paint keeps them on the note's
// colour instead of on white squares.
LRESULT CALLBACK TreeProc(HWND tree, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) {
    SHFILEINFOA info{};
    auto list = reinterpret_cast<HIMAGELIST>(
        ::SHGetFileInfoA(nullptr, 0, &info, sizeof(info),
                         SHGFI_SYSICONINDEX | SHGFI_ICONLOCATION | SHGFI_ATTRIBUTES | SHGFI_TYPENAME |
                             SHGFI_SMALLICON));
    COLORREF background = static_cast<COLORREF>(::SendMessageA(tree, TVM_GETBKCOLOR, 0, 0));
    if (list && background != CLR_NONE && late::ImageList_GetBkColor(list) != background) {
      late::ImageList_SetBkColor(list, background);
    }
  }
  return gTreeProc ? ::CallWindowProcA(gTreeProc, tree, message, wParam, lParam)
                   : ::DefWindowProcA(tree, message, wParam, lParam);
}

}  // namespace

LRESULT ItemFolder::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      return OnCreate(hwnd, message, wParam, lParam);
    case WM_DESTROY:
      // Deleting the items drops the watches of the open branches.
      if (tree_) ::SendMessageA(tree_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
      watches_.Clear();
      ::KillTimer(hwnd, kTimerFolderPoll);
      break;
    case WM_SETTEXT:
      return OnSetText(hwnd, message, wParam, lParam);
    case WM_TIMER:
      if (wParam == kTimerFolderPoll) {
        OnPoll(hwnd);
        return 0;
      }
      break;
    case WM_NOTIFY:
      if (reinterpret_cast<const NMHDR*>(lParam)->idFrom == static_cast<UINT_PTR>(kIdBody)) {
        return OnNotify(hwnd, message, wParam, lParam);
      }
      break;
    case kMsgRefresh:
      OnRefresh(hwnd, wParam != 0);
      return 0;
    case kMsgRedraw:
      if (tree_) {
        ::SendMessageA(tree_, TVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(GetColorProp(hwnd, kPropColorText)));
        ::SendMessageA(tree_, TVM_SETBKCOLOR, 0, static_cast<LPARAM>(GetColorProp(hwnd, kPropColorBG)));
      }
      break;
    case WM_CONTEXTMENU:
      OnContextMenu(hwnd, lParam);
      return 0;
    case kMsgDropQuery:
      return OnDropQuery(reinterpret_cast<IDataObject*>(lParam));
    case kMsgDropEffect:
      OnDropEffect(hwnd, reinterpret_cast<DWORD*>(lParam));
      return 0;
    case kMsgDrop:
      OnDrop(hwnd, reinterpret_cast<DWORD*>(wParam), reinterpret_cast<IDataObject*>(lParam));
      return 0;
    case kMsgDragLeave:
      OnDragLeave();
      return 0;
    case WM_DROPFILES:
      OnDropFiles(hwnd, reinterpret_cast<HDROP>(wParam));
      return 0;
    case WM_COMMAND:
      if (OnCommand(hwnd, LOWORD(wParam))) return 0;
      break;
  }
  return NoteFrame::WindowProc(hwnd, message, wParam, lParam);
}

LRESULT ItemFolder::OnCreate(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  SetColorProp(hwnd, kPropColorText, 0);
  SetColorProp(hwnd, kPropColorBG, kDefaultBackground);
  EnsureCommonControls();
  tree_ = ::CreateWindowExA(0, WC_TREEVIEWA, nullptr, kTreeStyle, 0, 0, 0, 0, hwnd,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdBody)), ::GetModuleHandleA(nullptr),
                            nullptr);
  std::string path = NotePathOfWindow(hwnd);
  if (!tree_ || path.empty() || !IsFolder(path)) {
    ShowError(hwnd, "ItemFolder init failed", path);
    return -1;
  }
  WNDPROC previous =
      reinterpret_cast<WNDPROC>(::SetWindowLongPtrA(tree_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TreeProc)));
  if (!gTreeProc && previous != &TreeProc) gTreeProc = previous;
  SHFILEINFOA info{};
  auto list = reinterpret_cast<HIMAGELIST>(
      ::SHGetFileInfoA(path.c_str(), 0, &info, sizeof(info), SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
  if (list) ::SendMessageA(tree_, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(list));
  SetWatch(hwnd, TVI_ROOT);
  RefreshChildren(hwnd, TVI_ROOT);
  ::PostMessageA(tree_, WM_VSCROLL, SB_TOP, 0);
  ::SetTimer(hwnd, kTimerFolderPoll, kPollMs, nullptr);
  return NoteFrame::WindowProc(hwnd, message, wParam, lParam);
}

LRESULT ItemFolder::OnNotify(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* header = reinterpret_cast<NMHDR*>(lParam);
  switch (header->code) {
    case TVN_GETDISPINFOA:
      OnGetDispInfo(hwnd, *reinterpret_cast<NMTVDISPINFOA*>(lParam));
      return 0;
    case TVN_ITEMEXPANDINGA: {
      const auto* tv = reinterpret_cast<const NMTREEVIEWA*>(lParam);
      if ((tv->action & kExpandActionMask) == TVE_EXPAND) OnExpanding(hwnd, tv->itemNew.hItem);
      return 0;
    }
    case TVN_ITEMEXPANDEDA: {
      const auto* tv = reinterpret_cast<const NMTREEVIEWA*>(lParam);
      OnExpanded(hwnd, tv->itemNew.hItem, tv->action & kExpandActionMask);
      return 0;
    }
    case TVN_DELETEITEMA: {
      HTREEITEM item = reinterpret_cast<const NMTREEVIEWA*>(lParam)->itemOld.hItem;
      auto key = reinterpret_cast<FolderWatches::Key>(item);
      watches_.Remove(key);
      lostWatches_.erase(std::remove(lostWatches_.begin(), lostWatches_.end(), key), lostWatches_.end());
      OnItemDeleted(item);
      return 0;
    }
    case TVN_BEGINDRAGA:
    case TVN_BEGINRDRAGA:
      OnBeginDrag(hwnd, reinterpret_cast<const NMTREEVIEWA*>(lParam)->itemNew.hItem);
      break;
    case NM_DBLCLK:
      if (Selected()) {
        ::SendMessageA(hwnd, WM_COMMAND, kCmdOpen, 0);
        return 1;  // no expand or collapse of its own
      }
      break;
    case NM_RCLICK: {
      TVHITTESTINFO hit{};
      ::GetCursorPos(&hit.pt);
      ::ScreenToClient(tree_, &hit.pt);
      if (!::SendMessageA(tree_, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit))) {
        ::SendMessageA(tree_, TVM_SELECTITEM, TVGN_CARET, 0);
      }
      break;
    }
    case TVN_KEYDOWN:
      return OnKeyDown(hwnd, reinterpret_cast<const NMTVKEYDOWN*>(lParam)->wVKey);
    case TVN_ENDLABELEDITA:
      OnEndLabelEdit(hwnd, *reinterpret_cast<const NMTVDISPINFOA*>(lParam));
      return 0;  // the label keeps its text; a rename shows through the item itself
  }
  return NoteFrame::WindowProc(hwnd, message, wParam, lParam);
}

LRESULT ItemFolder::OnSetText(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  // An open change notification keeps its folder, and every folder above it,
  // from being renamed or deleted.
  ::SendMessageA(hwnd, kMsgRefresh, 1, 0);
  std::string current = HwndGetText(hwnd);
  std::string name = lParam ? reinterpret_cast<const char*>(lParam) : "";
  LRESULT result = FALSE;
  bool done = true;
  if (!current.empty()) {
    if (name.empty()) {
      done = DeleteNote(hwnd, current);
      if (done) {
        if (HWND other = FindOtherWindow(hwnd)) ::SetFocus(other);
        ::PostMessageA(hwnd, WM_CLOSE, 0, 0);
      }
    } else {
      done = MoveNote(hwnd, current, name);
      if (done) ::InvalidateRect(hwnd, nullptr, TRUE);
    }
  }
  // The file operation is done: the frame's own rename is passed over, on
  // purpose, so the call goes past NoteFrame.
  if (done) result = TopLevelWindow::WindowProc(hwnd, message, wParam, lParam);  // NOLINT(bugprone-parent-virtual-call)
  ::SendMessageA(hwnd, kMsgRefresh, 0, 0);
  return result;
}

void ItemFolder::OnRefresh(HWND hwnd, bool release) {
  if (release) {
    watches_.Clear();
    return;
  }
  WatchOpenBranches(hwnd);
  SetWatch(hwnd, TVI_ROOT);
}

void ItemFolder::WatchOpenBranches(HWND hwnd) {
  if (!tree_) return;
  std::vector<HTREEITEM> queue{TVI_ROOT};
  for (size_t next = 0; next < queue.size(); ++next) {
    HTREEITEM child = reinterpret_cast<HTREEITEM>(
        ::SendMessageA(tree_, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(queue[next])));
    for (; child; child = reinterpret_cast<HTREEITEM>(
                      ::SendMessageA(tree_, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(child)))) {
      TVITEMA item{};
      item.mask = TVIF_CHILDREN | TVIF_STATE | TVIF_HANDLE;
      item.hItem = child;
      item.stateMask = TVIS_EXPANDED;
      ::SendMessageA(tree_, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
      if (item.cChildren == 0 || !(item.state & TVIS_EXPANDED)) continue;
      queue.push_back(child);
      SetWatch(hwnd, child);
      RefreshChildren(hwnd, child);
    }
  }
}

void ItemFolder::OnPoll(HWND hwnd) {
  FolderWatches::Changes changes = watches_.TakeChanged();
  lostWatches_ = changes.lost;
  for (FolderWatches::Key key : changes.changed) {
    auto item = reinterpret_cast<HTREEITEM>(key);
    bool lost = std::find(changes.lost.begin(), changes.lost.end(), key) != changes.lost.end();
    // Refreshing one branch may have removed another that also changed.
    if (lost ? std::find(lostWatches_.begin(), lostWatches_.end(), key) == lostWatches_.end()
             : !watches_.Has(key)) {
      continue;
    }
    int children = RefreshChildren(hwnd, item);
    if (item != TVI_ROOT && children == 0) {
      // Closed and unwatched as any emptied branch: nothing to tell.
      watches_.Remove(key);
      lostWatches_.erase(std::remove(lostWatches_.begin(), lostWatches_.end(), key), lostWatches_.end());
    }
  }
  // A branch whose folder went is gone from the tree by now; one that is
  // still open no longer follows its folder, and the user is told once.
  for (FolderWatches::Key key : lostWatches_) {
    std::string folder = TargetPath(hwnd, reinterpret_cast<HTREEITEM>(key));
    PostErrorBox(hwnd, "フォルダの変更を監視できなくなりました", folder);
  }
  lostWatches_.clear();
}

}  // namespace memo
