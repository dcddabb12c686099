// Reading the program's tree and list views from the test process: the
// items live in the program's memory, so each query goes through a buffer
// allocated there.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <optional>
#include <string>
#include <vector>

namespace memo::test {

struct TreeItem {
  HTREEITEM handle = nullptr;
  std::string text;
  UINT state = 0;
  int children = 0;
};

// The children of parent (the first level for TVI_ROOT), in tree order.
std::vector<TreeItem> TreeChildren(HWND tree, HTREEITEM parent = TVI_ROOT);
std::vector<std::string> TreeTexts(HWND tree, HTREEITEM parent = TVI_ROOT);
std::optional<TreeItem> FindTreeItem(HWND tree, const std::string& text, HTREEITEM parent = TVI_ROOT);

// The item's label in screen coordinates, or nullopt.
std::optional<RECT> TreeItemLabelRect(HWND tree, HTREEITEM item);

// Label editing: starts it on the item, types text into the edit box and
// posts its end, so that the program's answer (a box) can be awaited.
bool TreeRenameItem(HWND tree, HTREEITEM item, const std::string& text);

// The texts of a report list's rows (columns 0 to columns - 1), read through
// the wide messages and given in the code page.
std::vector<std::vector<std::string>> ListViewRows(HWND list, int columns);

}  // namespace memo::test
