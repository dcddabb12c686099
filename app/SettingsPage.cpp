// The application settings page.
#include "app/SettingsPage.h"

#include <prsht.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "app/Registry.h"
#include "app/Startup.h"
#include "frame/MiniNotes.h"
#include "frame/SheetPages.h"
#include "frame/ThreadWindows.h"
#include "resources/resource.h"
#include "store/FileSystem.h"
#include "store/Handles.h"
#include "store/Paths.h"
#include "store/Settings.h"
#include "store/Store.h"
#include "store/WinText.h"

namespace memo {
namespace {

constexpr char kBelowRootMessage[] =
    "現在の保存フォルダの中にあるフォルダは保存フォルダにできません。";

bool IsSeparatorChar(char c) { return c == '\\' || c == '/'; }

char FoldAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string ControlText(HWND page, int id) {
  char text[kMaxPathBytes] = "";
  ::GetDlgItemTextA(page, id, text, sizeof(text));
  return text;
}

// The absolute form of a path ("." and ".." resolved, "/" made "\"); ""
// when it has none that fits.
std::string FullPathOf(const std::string& path) {
  if (path.empty()) return std::string();
  char full[kMaxPathBytes] = "";
  DWORD n = ::GetFullPathNameA(path.c_str(), sizeof(full), full, nullptr);
  return n > 0 && n < sizeof(full) ? std::string(full, n) : std::string();
}

bool Checked(HWND page, int id) { return ::IsDlgButtonChecked(page, id) == BST_CHECKED; }

void Check(HWND page, int id, bool on) { ::CheckDlgButton(page, id, on ? BST_CHECKED : BST_UNCHECKED); }

void Fill(HWND page) {
  LimitPageControls(page);
  ::SetDlgItemTextA(page, IDC_SETTINGS_ROOT, RootFolder().c_str());
  Check(page, IDC_SETTINGS_AUTORUN, AutoStartIsThisProgram());
  std::string rootIni = RootIniPath();
  Check(page, IDC_SETTINGS_MINANIM, IniReadInt(rootIni, kSectionInfo, kKeyMinAnim, 1) != 0);
  Check(page, IDC_SETTINGS_SPLASH, IniReadInt(rootIni, kSectionInfo, kKeySplash, 1) != 0);
}

int CALLBACK BrowseCallback(HWND browser, UINT message, LPARAM, LPARAM data) {
  if (message == BFFM_INITIALIZED) ::SendMessageA(browser, BFFM_SETSELECTIONA, TRUE, data);
  return 0;
}

void Browse(HWND page) {
  std::string current = ControlText(page, IDC_SETTINGS_ROOT);
  BROWSEINFOA info{};
  info.hwndOwner = page;
  info.lpszTitle = "RootPath";
  info.ulFlags = BIF_RETURNONLYFSDIRS;
  info.lpfn = &BrowseCallback;
  info.lParam = reinterpret_cast<LPARAM>(current.c_str());
  CoTaskMem<ITEMIDLIST> chosen(::SHBrowseForFolderA(&info));
  if (!chosen) return;  // cancelled
  char path[MAX_PATH] = "";
  if (!::SHGetPathFromIDListA(chosen.get(), path)) {
    path[0] = '\0';
    ::MessageBoxA(page, "Invalid Path", "SHBrowseForFolder", MB_ICONERROR);
  }
  ::SetDlgItemTextA(page, IDC_SETTINGS_ROOT, path);
}

// Moves the store to the folder typed on the page. The notes of the old
// root folder stay where they are; the new one is used with what it holds.
void ChangeRoot(HWND page, HWND bar, const std::string& typed) {
  std::string newRoot = IsFolder(typed) ? FullPathOf(typed) : DefaultRootFolder();
  // Refused before anything closes: the old store would become a page of
  // the new one, and the new store a part of the old.
  std::string oldRoot = FullPathOf(RootFolder());
  if (!newRoot.empty() && !oldRoot.empty() && IsBelowFolder(newRoot, oldRoot)) {
    ShowError(page, kBelowRootMessage, typed);
    return;
  }
  // All notes close, and the old root.ini forgets its current page.
  if (::IsWindow(bar)) ::SetWindowTextA(bar, "");
  std::string common = PathJoin(newRoot, kCommonFolderName);
  if (!CheckRoot(newRoot) || common.empty() || !CheckRoot(common)) return;
  // The bar's mini notes belong to the old root.ini: they save there while
  // it is still the root, and the new root's own ones take their place.
  // Left open, they would later save into the new root.ini over its own.
  std::vector<HWND> minis = ::IsWindow(bar) ? MiniNotesOf(bar) : std::vector<HWND>();
  for (HWND mini : minis) ::DestroyWindow(mini);
  RegWriteString(HKEY_CURRENT_USER, kAppKey, kRootValue, newRoot);
  ::SetEnvironmentVariableA(kRootEnvVar, newRoot.c_str());
  if (!::IsWindow(bar)) return;
  CreateMiniNotesFromSettings(bar, RootIniPath());
  for (HWND mini : MiniNotesOf(bar)) ::ShowWindow(mini, SW_SHOWNOACTIVATE);
}

void Apply(HWND page) {
  std::string typed = ControlText(page, IDC_SETTINGS_ROOT);
  if (typed != RootFolder()) ChangeRoot(page, PageTarget(page), typed);
  SetAutoStart(Checked(page, IDC_SETTINGS_AUTORUN));
  std::string rootIni = RootIniPath();
  IniWriteInt(rootIni, kSectionInfo, kKeyAutoRun, Checked(page, IDC_SETTINGS_AUTORUN) ? 1 : 0);
  IniWriteInt(rootIni, kSectionInfo, kKeyMinAnim, Checked(page, IDC_SETTINGS_MINANIM) ? 1 : 0);
  IniWriteInt(rootIni, kSectionInfo, kKeySplash, Checked(page, IDC_SETTINGS_SPLASH) ? 1 : 0);
  IniFlush(rootIni);
}

}  // namespace

bool IsBelowFolder(const std::string& path, const std::string& folder) {
  size_t base = folder.size();
  if (EndsWithSeparator(folder)) --base;
  if (base == 0 || path.size() <= base + 1) return false;
  for (size_t i = 0; i < base; ++i) {
    if (IsLeadByteAt(folder, i)) {
      if (path[i] != folder[i] || path[i + 1] != folder[i + 1]) return false;
      ++i;
    } else if (IsSeparatorChar(folder[i])) {
      if (!IsSeparatorChar(path[i])) return false;
    } else if (FoldAscii(path[i]) != FoldAscii(folder[i])) {
      return false;
    }
  }
  if (!IsSeparatorChar(path[base])) return false;
  for (size_t i = base + 1; i < path.size(); ++i) {
    if (!IsSeparatorChar(path[i])) return true;
  }
  return false;
}

INT_PTR CALLBACK SettingsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND) {
    if (LOWORD(wParam) == IDC_SETTINGS_BROWSE && HIWORD(wParam) == BN_CLICKED) {
      try {
        Browse(page);
      } catch (...) {
      }
      return TRUE;
    }
    return FALSE;
  }
  return FillAndApplyPageProc(page, message, lParam, Fill, Apply);
}

}  // namespace memo
