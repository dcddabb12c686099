// The folder note: a tree of a folder's entries with the system's icons,
// shortcuts that open in place, branches read when they open and watched
// while they are open, and the file commands of a small file manager.
//
// The class is split by concern: ItemFolder.cpp (messages, creation, the
// note's own folder), ItemFolderTree.cpp (items, refresh, order, watches),
// ItemFolderCommands.cpp (menus, commands, keys, label edits),
// ItemFolderDrop.cpp (dragging items out, drops onto the tree).
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <ole2.h>
#include <shellapi.h>

#include <string>
#include <utility>
#include <vector>

#include "frame/NoteFrame.h"
#include "notes/FolderWatches.h"

namespace memo {

class ItemFolder : public NoteFrame {
 public:
  LRESULT WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;

  // The folders watched now.
  const FolderWatches& Watches() const { return watches_; }

 private:
  LRESULT OnCreate(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnNotify(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnSetText(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  void OnRefresh(HWND hwnd, bool release);
  void OnPoll(HWND hwnd);
  // Watches every open branch again and reads it, level by level; the
  // first level itself is not read again and the root's watch is kept.
  void WatchOpenBranches(HWND hwnd);

  // Tree items.
  std::string ItemPath(HWND hwnd, HTREEITEM item) const;
  // The item path, or for a shortcut the path it points to when it has one.
  std::string TargetPath(HWND hwnd, HTREEITEM item) const;
  HTREEITEM InsertChild(HTREEITEM parent, const std::string& folder, const WIN32_FIND_DATAA& entry,
                        HTREEITEM after);
  // Adds what appeared in the item's folder and removes what vanished;
  // returns the number of children now.
  int RefreshChildren(HWND hwnd, HTREEITEM parent);
  void SortChildren(HTREEITEM parent);
  void SetWatch(HWND hwnd, HTREEITEM item);
  void OnExpanding(HWND hwnd, HTREEITEM item);
  void OnExpanded(HWND hwnd, HTREEITEM item, UINT action);
  void ResetBranch(HTREEITEM item);
  void OnGetDispInfo(HWND hwnd, NMTVDISPINFOA& info);
  UINT ItemState(HTREEITEM item) const;
  std::string ItemText(HTREEITEM item) const;

  // File commands.
  HTREEITEM Selected() const;
  void OnContextMenu(HWND hwnd, LPARAM point);
  void ShowItemMenu(HWND hwnd, HTREEITEM item, POINT at);
  void ShowBackgroundMenu(HWND hwnd, POINT at);
  bool OnCommand(HWND hwnd, int id);
  LRESULT OnKeyDown(HWND hwnd, WORD key);
  void OnEndLabelEdit(HWND hwnd, const NMTVDISPINFOA& info);
  void NewSubfolder(HWND hwnd);
  void CopyPath(HWND hwnd);

  // Drag and drop.
  void OnBeginDrag(HWND hwnd, HTREEITEM item);
  LRESULT OnDropQuery(IDataObject* data);
  void OnDropEffect(HWND hwnd, DWORD* effect);
  void OnDrop(HWND hwnd, DWORD* effect, IDataObject* data);
  void OnDragLeave();
  void OnDropFiles(HWND hwnd, HDROP drop);
  void OnItemDeleted(HTREEITEM item);
  void DropShellItems(HWND hwnd, const std::vector<unsigned char>& cida);
  void DropWebLink(HWND hwnd, IDataObject* data);
  bool IsDropTarget(HWND hwnd, HTREEITEM item, DWORD* effect);

  HWND tree_ = nullptr;
  FolderWatches watches_;
  // Watches lost during a poll, until their items are known to stay.
  std::vector<FolderWatches::Key> lostWatches_;
};

}  // namespace memo
