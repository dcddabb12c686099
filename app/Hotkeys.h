// The program's system-wide shortcut keys: a new text note on the current
// page, the search window and every note to the front, each stored in
// root.ini as the value of a hotkey control and registered for the main bar.
#pragma once

#include <windows.h>

namespace memo {

struct HotkeyAction {
  int id;          // the RegisterHotKey id, and WM_HOTKEY's wParam
  int command;     // what the main bar carries out
  const char* key;  // root.ini [Info]
  int defaultValue;
};

constexpr int kHotkeyCount = 3;
extern const HotkeyAction kHotkeyActions[kHotkeyCount];

// A hotkey control's value (virtual key in the low byte, HOTKEYF_* above it)
// as RegisterHotKey's modifiers and key; false for none (0, or no key).
bool HotkeyRegistration(int value, UINT* modifiers, UINT* virtualKey);

enum class HotkeyState { kNone, kRegistered, kTaken };

// Registers every stored hotkey for the bar, after taking back the ones it
// held; a key that another program holds is left out and remembered as taken.
void RegisterHotkeys(HWND bar);
void UnregisterHotkeys(HWND bar);
HotkeyState HotkeyStateOf(int index);

// The command of a WM_HOTKEY id; 0 for none of ours.
int HotkeyCommand(WPARAM id);

// The stored value of action index (its default when the key is missing).
int StoredHotkey(int index);

}  // namespace memo
