// The shortcut key page.
#include "app/HotkeyPage.h"

#include <commctrl.h>
#include <prsht.h>

#include "app/Hotkeys.h"
#include "frame/SheetPages.h"
#include "resources/resource.h"
#include "store/Settings.h"
#include "store/Store.h"

namespace memo {
namespace {

constexpr int kControls[kHotkeyCount] = {IDC_HOTKEY_NEW, IDC_HOTKEY_SEARCH, IDC_HOTKEY_FRONT};
constexpr int kStates[kHotkeyCount] = {IDC_HOTKEY_NEW_STATE, IDC_HOTKEY_SEARCH_STATE, IDC_HOTKEY_FRONT_STATE};
constexpr char kTakenText[] = "他のプログラムが使用しています";

int ControlValue(HWND page, int index) {
  return static_cast<int>(LOWORD(::SendDlgItemMessageA(page, kControls[index], HKM_GETHOTKEY, 0, 0)));
}

void ShowStates(HWND page) {
  for (int i = 0; i < kHotkeyCount; ++i) {
    ::SetDlgItemTextA(page, kStates[i], HotkeyStateOf(i) == HotkeyState::kTaken ? kTakenText : "");
  }
}

void Fill(HWND page) {
  for (int i = 0; i < kHotkeyCount; ++i) {
    ::SendDlgItemMessageA(page, kControls[i], HKM_SETHOTKEY, static_cast<WPARAM>(StoredHotkey(i) & 0xFFFF), 0);
  }
  ShowStates(page);
}

// Stores and registers the keys; false when one the user changed is held
// by another program, so that the page stays open and says so.
bool Apply(HWND page) {
  std::string rootIni = RootIniPath();
  bool changed[kHotkeyCount] = {};
  for (int i = 0; i < kHotkeyCount; ++i) {
    int value = ControlValue(page, i);
    changed[i] = value != StoredHotkey(i);
    IniWriteInt(rootIni, kSectionInfo, kHotkeyActions[i].key, value);
  }
  IniFlush(rootIni);
  RegisterHotkeys(PageTarget(page));
  ShowStates(page);
  for (int i = 0; i < kHotkeyCount; ++i) {
    if (changed[i] && HotkeyStateOf(i) == HotkeyState::kTaken) return false;
  }
  return true;
}

}  // namespace

INT_PTR CALLBACK HotkeyPageProc(HWND page, UINT message, WPARAM, LPARAM lParam) {
  try {
    switch (message) {
      case WM_INITDIALOG:
        SetPageTarget(page, lParam);
        Fill(page);
        return TRUE;
      case WM_NOTIFY:
        if (reinterpret_cast<const NMHDR*>(lParam)->code == PSN_APPLY) {
          if (Apply(page)) return PageApplied(page);
          ::SetWindowLongPtrA(page, DWLP_MSGRESULT, PSNRET_INVALID);
          return TRUE;
        }
        break;
    }
  } catch (...) {
  }
  return FALSE;
}

}  // namespace memo
