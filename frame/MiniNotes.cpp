// Mini notes as their owners see them.
#include "frame/MiniNotes.h"

#include "frame/ClassNames.h"
#include "frame/NoteWindows.h"
#include "store/Paths.h"
#include "store/Settings.h"
#include "store/WinText.h"

namespace memo {

MiniSectionNamer NewMiniSections(const std::string& settingsFile) {
  // Every mini note window counts, whatever its owner: two new mini notes
  // made before either has written its section must not share a name.
  std::vector<std::string> titles;
  for (HWND hwnd = ::FindWindowExA(nullptr, nullptr, kClassMini, nullptr); hwnd;
       hwnd = ::FindWindowExA(nullptr, hwnd, kClassMini, nullptr)) {
    std::string title = HwndGetText(hwnd);
    if (!title.empty()) titles.push_back(title);
  }
  return MiniSectionNamer(settingsFile, kMiniFormat, titles);
}

std::string NewMiniSection(const std::string& settingsFile) { return NewMiniSections(settingsFile).Next(); }

HWND CreateMiniNoteWindow(HWND owner, const std::string& section, MiniCreation creation) {
  // The mini note reads the creation parameter at WM_CREATE: non-null asks
  // it to fail without a box.
  static char quiet;
  return ::CreateWindowExA(WS_EX_TOOLWINDOW, kClassMini, section.c_str(), kMiniNoteStyle, 0, 0, 0, 0,
                           owner, nullptr, ::GetModuleHandleA(nullptr),
                           creation == MiniCreation::kQuiet ? &quiet : nullptr);
}

void CreateMiniNotesFromSettings(HWND owner, const std::string& settingsFile) {
  for (const std::string& name : IniSectionNames(settingsFile)) {
    if (name.size() >= 4 && EqualsNoCase(name.substr(0, 4), "Mini")) CreateMiniNoteWindow(owner, name);
  }
}

HWND NewMiniNoteAtCursor(HWND owner) {
  std::string file = SettingsFileOfWindow(owner);
  std::string section = NewMiniSection(file);
  if (section.empty()) return nullptr;
  HWND mini = CreateMiniNoteWindow(owner, section);
  if (!mini) return nullptr;
  POINT cursor;
  ::GetCursorPos(&cursor);
  RECT r;
  ::GetWindowRect(mini, &r);
  ::SetWindowPos(mini, nullptr, cursor.x, cursor.y, r.right - r.left, r.bottom - r.top + 12,
                 SWP_SHOWWINDOW | SWP_NOACTIVATE | SWP_NOZORDER);
  return mini;
}

}  // namespace memo
