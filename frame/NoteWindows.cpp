// The windows of notes, over the store's names and paths.
#include "frame/NoteWindows.h"

#include "frame/ClassNames.h"
#include "frame/Geometry.h"
#include "frame/Messages.h"
#include "frame/ThreadWindows.h"
#include "frame/TopLevelWindow.h"
#include "store/FileSystem.h"
#include "store/Paths.h"
#include "store/Settings.h"
#include "store/WinText.h"

namespace memo {
namespace {

constexpr int kNoteWindowWidth = 400;
constexpr int kNoteWindowHeight = 200;  // the size of a note that has no place saved
constexpr DWORD kNoteFrameStyle = WS_THICKFRAME | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;

}  // namespace

const char* NoteClassOf(NoteKind kind) {
  switch (kind) {
    case NoteKind::kText: return kClassText;
    case NoteKind::kFolder: return kClassFolder;
    case NoteKind::kBrowser: return kClassBrowser;
    case NoteKind::kImage: return kClassImage;
    case NoteKind::kCalendar: return kClassCalendar;
    case NoteKind::kNone: break;
  }
  return nullptr;
}

std::string NotePathOfWindow(HWND hwnd) { return NotePath(HwndGetText(hwnd)); }

std::string SettingsFileOfWindow(HWND hwnd) {
  if (hwnd == nullptr) return std::string();
  if (::GetWindowLongPtrA(hwnd, GWL_STYLE) & WS_POPUP) return RootIniPath();
  std::string title = HwndGetText(hwnd);
  if (title.empty()) return std::string();
  return PathAppend(NotePath(title), ".ini");
}

HWND FindNoteWindow(const std::string& noteName) {
  if (noteName.empty()) return nullptr;
  for (const char* windowClass : kNoteClasses) {
    if (HWND hwnd = ::FindWindowA(windowClass, noteName.c_str())) return hwnd;
  }
  return nullptr;
}

std::vector<std::string> OpenNoteNames() {
  std::vector<std::string> names;
  for (HWND hwnd : ThreadWindows()) {
    std::string windowClass = HwndGetClass(hwnd);
    for (const char* noteClass : kNoteClasses) {
      if (windowClass != noteClass) continue;
      std::string name = HwndGetText(hwnd);
      if (!name.empty()) names.push_back(name);
    }
  }
  return names;
}

DWORD NoteWindowExStyle(int storedStyle) {
  DWORD bits = static_cast<DWORD>(storedStyle);
  bool topmost = (bits & (kStyleTopmost | kStylePinned)) != 0;
  return WS_EX_TOOLWINDOW | (topmost ? WS_EX_TOPMOST : 0);
}

DWORD NoteWindowStyle(int storedStyle) {
  return (static_cast<DWORD>(storedStyle) & kNoteStyleMask) | kNoteFrameStyle;
}

HWND OpenNoteWindow(const std::string& noteName, bool show, bool force) {
  std::string path = NotePath(noteName);
  if (path.empty()) return nullptr;
  // The kind first: a page folder may hold thousands of other files (each
  // note's settings among them), and a settings read or a search of the
  // open windows costs far more than a look at the name.
  const char* windowClass = NoteClassOf(NoteKindOf(Unquote(noteName), IsFolder(path)));
  if (windowClass == nullptr) return nullptr;
  // Only its own kind's class: a name is of one kind, and each search is a
  // round trip to the window system for each new note of a page.
  if (HWND open = ::FindWindowA(windowClass, noteName.c_str())) return open;
  // Read once for the style, the place and the window's own creation.
  IniSectionValues saved(PathAppend(path, ".ini"), kSectionWindow);
  int style = saved.Int(kKeyStyle, static_cast<int>(kDefaultNoteStyle));
  if (!force && (static_cast<DWORD>(style) & kStyleHidden)) return nullptr;
  // Made where it was saved, the note need not be moved there as it is
  // made; one with no place yet gets the system's.
  WindowCreation creation;
  creation.saved = &saved;
  int x = CW_USEDEFAULT, y = CW_USEDEFAULT, cx = kNoteWindowWidth, cy = kNoteWindowHeight;
  if (saved.Has(kKeyX) && saved.Has(kKeyY) && saved.Has(kKeyCX) && saved.Has(kKeyCY)) {
    RECT placed = SavedPlacement(saved, RECT{0, 0, kNoteWindowWidth, kNoteWindowHeight});
    // While it is made, the system holds a window to its own least size
    // (the note's smaller one comes with the note): a smaller note is
    // moved to its place once made, as any note without one.
    if (Width(placed) >= ::GetSystemMetrics(SM_CXMINTRACK) && Height(placed) >= ::GetSystemMetrics(SM_CYMINTRACK)) {
      creation.placed = true;
      x = placed.left;
      y = placed.top;
      cx = Width(placed);
      cy = Height(placed);
    }
  }
  HWND hwnd = ::CreateWindowExA(NoteWindowExStyle(style), windowClass, noteName.c_str(),
                                NoteWindowStyle(style), x, y, cx, cy,
                                nullptr, nullptr, ::GetModuleHandleA(nullptr), &creation);
  if (hwnd == nullptr) return nullptr;
  // A new window is made on top of the others: a note opened with its page
  // stays there without taking the activation (which BringWindowToTop
  // would take).
  if (show) ::BringWindowToTop(hwnd);
  ::ShowWindow(hwnd, show ? SW_SHOWNORMAL : SW_SHOWNOACTIVATE);
  return hwnd;
}

}  // namespace memo
