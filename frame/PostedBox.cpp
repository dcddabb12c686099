// Message boxes shown from the message loop instead of inside a handler.
#include "frame/PostedBox.h"

#include <map>
#include <utility>

#include "store/WinText.h"

namespace memo {
namespace {

struct PendingBox {
  HWND owner;
  std::string text;
  std::string caption;
  UINT type;
};

// By thread timer id. A thread timer needs no window of ours, and the
// message loop that runs it may be any loop of the thread (a dialog's, a
// menu's) as well as the main one.
std::map<UINT_PTR, PendingBox>& Pending() {
  static std::map<UINT_PTR, PendingBox> pending;
  return pending;
}

void CALLBACK ShowPendingBox(HWND, UINT, UINT_PTR id, DWORD) {
  ::KillTimer(nullptr, id);
  auto found = Pending().find(id);
  if (found == Pending().end()) return;
  PendingBox box = std::move(found->second);
  Pending().erase(found);
  // The owner may have closed meanwhile: the box then has none.
  HWND owner = box.owner && ::IsWindow(box.owner) ? box.owner : nullptr;
  ::MessageBoxA(owner, box.text.c_str(), box.caption.c_str(), box.type);
}

}  // namespace

bool PostMessageBox(HWND owner, std::string text, std::string caption, UINT type) {
  UINT_PTR id = ::SetTimer(nullptr, 0, 0, &ShowPendingBox);
  if (id == 0) return false;
  Pending()[id] = PendingBox{owner, std::move(text), std::move(caption), type};
  return true;
}

bool PostErrorBox(HWND owner, const std::string& message, const std::string& detail) {
  std::string text = message;  // the layout of ShowError
  if (!detail.empty()) text += "\r\n\r\n" + ShortenForDisplay(detail);
  return PostMessageBox(owner, std::move(text), kProductName, MB_ICONERROR);
}

}  // namespace memo
