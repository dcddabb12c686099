// The real program running on a root folder of its own, with a current page.
#include "tests/support/NoteSession.h"

#include "tests/support/Menus.h"

namespace memo::test {

NoteSession::NoteSession(const std::string& page) : page_(page) {
  MakeFolder(root_ / "common");
  MakeFolder(root_ / page_);
  IniSet(root_ / "root.ini", "Info", "CurrentPage", page_.c_str());
}

bool NoteSession::Start() {
  if (!app_.StartWithRoot(root_.path())) return false;
  bar_ = app_.WaitMainBarVisible();
  return bar_ && WaitUntil([&] { return WindowText(bar_) == page_; });
}

std::string NoteSession::NotePath(const std::string& name) const {
  if (name.size() >= 2 && name.front() == '"' && name.back() == '"') {
    return Join(root_ / "common", name.substr(1, name.size() - 2));
  }
  return Join(PageFolder(), name);
}

HWND NoteSession::WaitNote(const std::string& title, const char* windowClass, DWORD ms) {
  HWND note = nullptr;
  WaitUntil(
      [&] {
        note = app_.FindWindowOf(windowClass, title.c_str());
        return (note && ::IsWindowVisible(note)) || !app_.Running();
      },
      ms);
  return note && ::IsWindowVisible(note) ? note : nullptr;
}

bool NoteSession::CloseNote(HWND note, DWORD ms) {
  ::PostMessageA(note, WM_CLOSE, 0, 0);
  return WaitUntil([&] { return !::IsWindow(note); }, ms);
}

HWND NoteSession::OpenMainMenu() {
  RECT r = WindowRect(bar_);
  ::PostMessageA(bar_, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(bar_), MAKELPARAM(r.left + 40, r.bottom));
  return WaitPopupMenu(app_.pid());
}

bool NoteSession::SwitchPage(const std::string& page) {
  // A name without a folder would rename the current page instead.
  if (!MakeFolder(root_ / page)) return false;
  // Leaving a page closes its notes, and Wine takes up to two seconds to
  // hide each window when no window manager runs.
  DWORD_PTR result = 0;
  ::SendMessageTimeoutA(bar_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(page.c_str()), SMTO_NORMAL, 60000,
                        &result);
  if (WindowText(bar_) != page) return false;
  page_ = page;
  return true;
}

std::string NoteSession::NoticeText(HWND note) {
  for (HWND child = nullptr; (child = ::FindWindowExA(note, child, "Static", nullptr));) {
    if (::IsWindowVisible(child)) return WindowText(child);
  }
  return "";
}

std::string WaitBodyText(HWND body, const std::string& expected, DWORD ms) {
  std::string text;
  WaitUntil([&] { return (text = WindowText(body)) == expected; }, ms);
  return text;
}

}  // namespace memo::test
