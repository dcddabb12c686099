// The program's system-wide shortcut keys.
#include "app/Hotkeys.h"

#include <commctrl.h>

#include "frame/Messages.h"
#include "store/Settings.h"
#include "store/Store.h"

namespace memo {

// Ctrl+Alt+N, Ctrl+Alt+F and Ctrl+Alt+M as a hotkey control gives them.
const HotkeyAction kHotkeyActions[kHotkeyCount] = {
    {1, kCmdNewText, kKeyHotkeyNew, ((HOTKEYF_CONTROL | HOTKEYF_ALT) << 8) | 'N'},
    {2, kCmdSearch, kKeyHotkeySearch, ((HOTKEYF_CONTROL | HOTKEYF_ALT) << 8) | 'F'},
    {3, kCmdBringToFront, kKeyHotkeyFront, ((HOTKEYF_CONTROL | HOTKEYF_ALT) << 8) | 'M'},
};

namespace {

HotkeyState gStates[kHotkeyCount] = {};

}  // namespace

bool HotkeyRegistration(int value, UINT* modifiers, UINT* virtualKey) {
  UINT key = static_cast<UINT>(value) & 0xFF;
  UINT flags = (static_cast<UINT>(value) >> 8) & 0xFF;
  if (key == 0) return false;
  *virtualKey = key;
  *modifiers = ((flags & HOTKEYF_SHIFT) ? MOD_SHIFT : 0) | ((flags & HOTKEYF_CONTROL) ? MOD_CONTROL : 0) |
               ((flags & HOTKEYF_ALT) ? MOD_ALT : 0);
  return true;
}

int StoredHotkey(int index) {
  const HotkeyAction& action = kHotkeyActions[index];
  return IniReadInt(RootIniPath(), kSectionInfo, action.key, action.defaultValue);
}

void RegisterHotkeys(HWND bar) {
  UnregisterHotkeys(bar);
  for (int i = 0; i < kHotkeyCount; ++i) {
    UINT modifiers = 0;
    UINT key = 0;
    if (!HotkeyRegistration(StoredHotkey(i), &modifiers, &key)) continue;
    gStates[i] = ::RegisterHotKey(bar, kHotkeyActions[i].id, modifiers, key) ? HotkeyState::kRegistered
                                                                              : HotkeyState::kTaken;
  }
}

void UnregisterHotkeys(HWND bar) {
  for (int i = 0; i < kHotkeyCount; ++i) {
    if (gStates[i] == HotkeyState::kRegistered) ::UnregisterHotKey(bar, kHotkeyActions[i].id);
    gStates[i] = HotkeyState::kNone;
  }
}

HotkeyState HotkeyStateOf(int index) { return gStates[index]; }

int HotkeyCommand(WPARAM id) {
  for (const HotkeyAction& action : kHotkeyActions) {
    if (static_cast<WPARAM>(action.id) == id) return action.command;
  }
  return 0;
}

}  // namespace memo
