// The main menu.
#include "app/MainMenu.h"

#include <algorithm>

#include "frame/ClassNames.h"
#include "frame/Messages.h"
#include "frame/NoteWindows.h"
#include "store/FileSystem.h"
#include "store/Handles.h"
#include "store/NoteOps.h"
#include "store/Paths.h"
#include "store/Store.h"
#include "store/WinText.h"

namespace memo {
namespace {

UINT Enabled(bool enabled) { return enabled ? MF_ENABLED : MF_GRAYED; }

void AppendPopup(HMENU menu, UniqueMenu sub, const char* text, bool enabled) {
  ::AppendMenuA(menu, MF_POPUP | Enabled(enabled), reinterpret_cast<UINT_PTR>(sub.release()), text);
}

// A note or page name as a menu item text: "&" marks a shortcut in a menu
// item, so "a&b.txt" would show as "ab.txt" with an underlined "b".
std::string MenuItemText(const std::string& name) {
  std::string text;
  text.reserve(name.size());
  for (size_t i = 0; i < name.size(); ++i) {
    // The trail byte of a double-byte character is never "&" (0x26), but
    // step over it all the same.
    if (IsLeadByteAt(name, i)) {
      text.append(name, i, 2);
      ++i;
      continue;
    }
    if (name[i] == '&') text.push_back('&');
    text.push_back(name[i]);
  }
  return text;
}

UniqueMenu BuildNewMenu(bool hasPage) {
  UniqueMenu menu(::CreatePopupMenu());
  ::AppendMenuA(menu.get(), MF_STRING, kCmdNewPage, "ページ(&P)");
  ::AppendMenuA(menu.get(), MF_SEPARATOR, 0, nullptr);
  ::AppendMenuA(menu.get(), MF_STRING | Enabled(hasPage), kCmdNewText, "テキスト付箋(&T)");
  ::AppendMenuA(menu.get(), MF_STRING | Enabled(hasPage), kCmdNewFolder, "フォルダ付箋(&F)");
  ::AppendMenuA(menu.get(), MF_STRING | Enabled(hasPage), kCmdNewBrowser, "ブラウザ付箋(&B)");
  ::AppendMenuA(menu.get(), MF_STRING | Enabled(hasPage), kCmdNewImage, "イメージ付箋(&I)");
  ::AppendMenuA(menu.get(), MF_STRING | Enabled(hasPage), kCmdNewCalendar, "カレンダー付箋(&C)");
  ::AppendMenuA(menu.get(), MF_SEPARATOR, 0, nullptr);
  ::AppendMenuA(menu.get(), MF_STRING, kCmdNewMini, "ミニ付箋(&M)");
  return menu;
}

UniqueMenu BuildNotesMenu(const std::vector<std::string>& notes) {
  UniqueMenu menu(::CreatePopupMenu());
  for (size_t i = 0; i < notes.size(); ++i) {
    if (notes[i].empty()) {
      ::AppendMenuA(menu.get(), MF_SEPARATOR, 0, nullptr);
      continue;
    }
    UINT checked = FindNoteWindow(notes[i]) ? MF_CHECKED : MF_UNCHECKED;
    ::AppendMenuA(menu.get(), MF_STRING | checked, kNoteItemBase + i, MenuItemText(notes[i]).c_str());
  }
  return menu;
}

UniqueMenu BuildPagesMenu(const std::vector<WIN32_FIND_DATAA>& listing) {
  UniqueMenu menu(::CreatePopupMenu());
  for (size_t i = 0; i < listing.size(); ++i) {
    const WIN32_FIND_DATAA& entry = listing[i];
    // Only folders that can be opened as pages ("common" is none).
    if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || !IsPageName(entry.cFileName)) continue;
    UINT checked = (entry.dwFileAttributes & FILE_ATTRIBUTE_READONLY) ? MF_UNCHECKED : MF_CHECKED;
    ::AppendMenuA(menu.get(), MF_STRING | checked, kPageItemBase + i, MenuItemText(entry.cFileName).c_str());
  }
  return menu;
}

UniqueMenu BuildHelpMenu() {
  UniqueMenu menu(::CreatePopupMenu());
  ::AppendMenuA(menu.get(), MF_STRING, kCmdManual, "オンライン･マニュアル(&M)");
  ::AppendMenuA(menu.get(), MF_STRING, kCmdDownload, "最新版のダウンロード(&D)");
  ::AppendMenuA(menu.get(), MF_SEPARATOR, 0, nullptr);
  ::AppendMenuA(menu.get(), MF_STRING, kCmdSplash, "バージョン情報(&V)");
  return menu;
}

// The edge bars standing for a minimized note: a bar carries its note's
// name as its text.
std::vector<HWND> EdgeBarsOf(const std::string& name) {
  std::vector<HWND> bars;
  DWORD thread = ::GetCurrentThreadId();
  for (HWND bar = ::FindWindowExA(nullptr, nullptr, kClassEdgeBar, name.c_str()); bar;
       bar = ::FindWindowExA(nullptr, bar, kClassEdgeBar, name.c_str())) {
    if (::GetWindowThreadProcessId(bar, nullptr) == thread) bars.push_back(bar);
  }
  return bars;
}

void CloseEdgeBarsOf(const std::string& name) {
  for (HWND bar : EdgeBarsOf(name)) ::PostMessageA(bar, WM_CLOSE, 0, 0);
}

HWND OpenHiddenNote(const std::string& name) {
  HWND opened = OpenNoteWindow(name, true, true);
  if (opened) HwndSetStyle(opened, HwndStyle(opened) & ~kStyleHidden);
  return opened;
}

void ToggleNote(const std::string& name) {
  if (HWND open = FindNoteWindow(name)) {
    // The window saves its style as it closes, so the note stays closed
    // when its page is shown again.
    HwndSetStyle(open, HwndStyle(open) | kStyleHidden);
    // A minimized note is hidden behind its edge bar, which would stay on
    // the screen for a note that is gone.
    CloseEdgeBarsOf(name);
    ::PostMessageA(open, WM_CLOSE, 0, 0);
    return;
  }
  OpenHiddenNote(name);
}

}  // namespace

HWND ShowNote(const std::string& name) {
  std::vector<HWND> bars = EdgeBarsOf(name);
  if (!bars.empty()) {
    ::SendMessageA(bars.front(), kMsgRestore, 0, 1);
    if (HWND note = FindNoteWindow(name)) return note;
  }
  return OpenHiddenNote(name);
}

std::vector<WIN32_FIND_DATAA> SortedRootListing() {
  std::vector<WIN32_FIND_DATAA> listing = ListFolder(RootFolder());
  std::stable_sort(listing.begin(), listing.end(), [](const WIN32_FIND_DATAA& a, const WIN32_FIND_DATAA& b) {
    return ::CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.cFileName, -1, b.cFileName, -1) ==
           CSTR_LESS_THAN;
  });
  return listing;
}

void RunMainMenuCommand(HWND bar, UINT id, const std::vector<WIN32_FIND_DATAA>& rootListing,
                        const std::vector<std::string>& noteList) {
  if (id == 0) return;
  if (id >= kPageItemBase && id < kPageItemBase + rootListing.size()) {
    std::string folder = PathJoin(RootFolder(), rootListing[id - kPageItemBase].cFileName);
    DWORD attributes = ::GetFileAttributesA(folder.c_str());
    if (!folder.empty() && attributes != INVALID_FILE_ATTRIBUTES) {
      ::SetFileAttributesA(folder.c_str(), attributes ^ FILE_ATTRIBUTE_READONLY);
    }
    return;
  }
  if (id >= kNoteItemBase && id < kNoteItemBase + noteList.size()) {
    const std::string& name = noteList[id - kNoteItemBase];
    if (!name.empty()) ToggleNote(name);
    return;
  }
  ::SendMessageA(bar, WM_COMMAND, id, 0);
}

UniqueMenu BuildMainMenu(bool hasPage, MainMenuSources* sources) {
  sources->noteList.clear();
  if (hasPage) sources->noteList = NoteList();
  sources->rootListing = SortedRootListing();
  const std::vector<std::string>& notes = sources->noteList;
  const std::vector<WIN32_FIND_DATAA>& listing = sources->rootListing;

  UniqueMenu menu(::CreatePopupMenu());
  if (!menu) return menu;
  AppendPopup(menu.get(), BuildNewMenu(hasPage), "新規作成(&N)", true);
  ::AppendMenuA(menu.get(), MF_SEPARATOR, 0, nullptr);
  AppendPopup(menu.get(), BuildNotesMenu(notes), "表示する付箋(&H)", !notes.empty());
  AppendPopup(menu.get(), BuildPagesMenu(listing), "表示するページ(&P)", listing.size() >= 2);
  ::AppendMenuA(menu.get(), MF_STRING, kCmdSearch, "付箋を検索(&S)...");
  ::AppendMenuA(menu.get(), MF_SEPARATOR, 0, nullptr);
  ::AppendMenuA(menu.get(), MF_STRING | Enabled(hasPage), kCmdDelete, "このページを削除(&D)");
  ::AppendMenuA(menu.get(), MF_SEPARATOR, 0, nullptr);
  ::AppendMenuA(menu.get(), MF_STRING, kCmdProperties, "設定(&C)");
  ::AppendMenuA(menu.get(), MF_SEPARATOR, 0, nullptr);
  AppendPopup(menu.get(), BuildHelpMenu(), "ヘルプ(&H)", true);
  ::AppendMenuA(menu.get(), MF_SEPARATOR, 0, nullptr);
  ::AppendMenuA(menu.get(), MF_STRING, kCmdClose, "Memopaneの終了(&X)");
  return menu;
}

void ShowMainMenu(HWND bar, int x, int y) {
  MainMenuSources sources;
  UniqueMenu menu = BuildMainMenu(!HwndGetText(bar).empty(), &sources);
  if (!menu) return;
  UINT id = static_cast<UINT>(
      ::TrackPopupMenuEx(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, x, y, bar, nullptr));
  RunMainMenuCommand(bar, id, sources.rootListing, sources.noteList);
}

}  // namespace memo
