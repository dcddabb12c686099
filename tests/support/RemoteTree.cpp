// Tree and list views of another process.
#include "tests/support/RemoteTree.h"

#include <cstring>

namespace memo::test {
namespace {

constexpr size_t kTextOffset = 512;
constexpr size_t kBufferSize = 4096;

// A page of the tree's process, freed at the end of the scope.
class RemoteBuffer {
 public:
  explicit RemoteBuffer(HWND hwnd) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    process_ = ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (process_) {
      base_ = static_cast<char*>(
          ::VirtualAllocEx(process_, nullptr, kBufferSize, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    }
  }
  ~RemoteBuffer() {
    if (base_) ::VirtualFreeEx(process_, base_, 0, MEM_RELEASE);
    if (process_) ::CloseHandle(process_);
  }
  RemoteBuffer(const RemoteBuffer&) = delete;
  RemoteBuffer& operator=(const RemoteBuffer&) = delete;

  char* base() const { return base_; }
  bool Write(size_t offset, const void* data, size_t size) {
    return base_ && ::WriteProcessMemory(process_, base_ + offset, data, size, nullptr);
  }
  bool Read(size_t offset, void* data, size_t size) {
    return base_ && ::ReadProcessMemory(process_, base_ + offset, data, size, nullptr);
  }

 private:
  HANDLE process_ = nullptr;
  char* base_ = nullptr;
};

LRESULT Send(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  if (!::SendMessageTimeoutA(hwnd, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result)) return 0;
  return static_cast<LRESULT>(result);
}

}  // namespace

std::vector<TreeItem> TreeChildren(HWND tree, HTREEITEM parent) {
  std::vector<TreeItem> items;
  RemoteBuffer buffer(tree);
  if (!buffer.base()) return items;
  auto next = [&](HTREEITEM item, UINT how) {
    return reinterpret_cast<HTREEITEM>(Send(tree, TVM_GETNEXTITEM, how, reinterpret_cast<LPARAM>(item)));
  };
  for (HTREEITEM child = next(parent, TVGN_CHILD); child; child = next(child, TVGN_NEXT)) {
    TVITEMA query{};
    query.mask = TVIF_TEXT | TVIF_STATE | TVIF_CHILDREN | TVIF_HANDLE;
    query.hItem = child;
    query.stateMask = 0xFFFF;
    query.pszText = buffer.base() + kTextOffset;
    query.cchTextMax = static_cast<int>(kBufferSize - kTextOffset);
    char empty = '\0';
    buffer.Write(kTextOffset, &empty, 1);
    buffer.Write(0, &query, sizeof(query));
    Send(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(buffer.base()));
    buffer.Read(0, &query, sizeof(query));
    char text[kBufferSize - kTextOffset] = {};
    buffer.Read(kTextOffset, text, sizeof(text) - 1);
    items.push_back(TreeItem{child, text, query.state, query.cChildren});
  }
  return items;
}

std::vector<std::string> TreeTexts(HWND tree, HTREEITEM parent) {
  std::vector<std::string> texts;
  for (const TreeItem& item : TreeChildren(tree, parent)) texts.push_back(item.text);
  return texts;
}

std::optional<TreeItem> FindTreeItem(HWND tree, const std::string& text, HTREEITEM parent) {
  for (const TreeItem& item : TreeChildren(tree, parent)) {
    if (item.text == text) return item;
  }
  return std::nullopt;
}

bool TreeRenameItem(HWND tree, HTREEITEM item, const std::string& text) {
  HWND edit = reinterpret_cast<HWND>(Send(tree, TVM_EDITLABELA, 0, reinterpret_cast<LPARAM>(item)));
  if (!edit) return false;
  DWORD_PTR ignored = 0;
  ::SendMessageTimeoutA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG, 5000,
                        &ignored);
  return ::PostMessageA(tree, TVM_ENDEDITLABELNOW, FALSE, 0) != FALSE;
}

std::optional<RECT> TreeItemLabelRect(HWND tree, HTREEITEM item) {
  RemoteBuffer buffer(tree);
  RECT rect{};
  std::memcpy(&rect, &item, sizeof(item));
  if (!buffer.Write(0, &rect, sizeof(rect)) ||
      !Send(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(buffer.base())) ||
      !buffer.Read(0, &rect, sizeof(rect))) {
    return std::nullopt;
  }
  ::MapWindowPoints(tree, nullptr, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

std::vector<std::vector<std::string>> ListViewRows(HWND list, int columns) {
  std::vector<std::vector<std::string>> rows;
  RemoteBuffer buffer(list);
  if (!buffer.base()) return rows;
  LRESULT count = Send(list, LVM_GETITEMCOUNT, 0, 0);
  for (LRESULT row = 0; row < count; ++row) {
    std::vector<std::string> texts;
    for (int column = 0; column < columns; ++column) {
      LVITEMW query{};
      query.iSubItem = column;
      query.pszText = reinterpret_cast<LPWSTR>(buffer.base() + kTextOffset);
      query.cchTextMax = static_cast<int>((kBufferSize - kTextOffset) / sizeof(WCHAR));
      WCHAR empty = 0;
      buffer.Write(kTextOffset, &empty, sizeof(empty));
      buffer.Write(0, &query, sizeof(query));
      DWORD_PTR ignored = 0;
      ::SendMessageTimeoutW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(buffer.base()),
                            SMTO_ABORTIFHUNG, 5000, &ignored);
      WCHAR text[(kBufferSize - kTextOffset) / sizeof(WCHAR)] = {};
      buffer.Read(kTextOffset, text, sizeof(text) - sizeof(WCHAR));
      char ansi[kBufferSize] = {};
      ::WideCharToMultiByte(CP_ACP, 0, text, -1, ansi, sizeof(ansi) - 1, nullptr, nullptr);
      texts.push_back(ansi);
    }
    rows.push_back(std::move(texts));
  }
  return rows;
}

}  // namespace memo::test
