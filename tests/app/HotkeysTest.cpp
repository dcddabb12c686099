// A hotkey control's value as RegisterHotKey takes it: the modifier bits of
// the two differ (Shift and Alt trade places).
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "app/Hotkeys.h"

namespace memo {
namespace {

TEST(HotkeysTest, ControlValuesBecomeRegistrations) {
  struct Case {
    int value;
    bool some;
    UINT modifiers;
    UINT key;
  } cases[] = {
      {((HOTKEYF_CONTROL | HOTKEYF_ALT) << 8) | 'N', true, MOD_CONTROL | MOD_ALT, 'N'},
      {(HOTKEYF_SHIFT << 8) | VK_F5, true, MOD_SHIFT, VK_F5},
      {(HOTKEYF_ALT << 8) | 'Q', true, MOD_ALT, 'Q'},
      {((HOTKEYF_EXT | HOTKEYF_CONTROL) << 8) | VK_HOME, true, MOD_CONTROL, VK_HOME},  // the extended bit is no modifier
      {VK_F9, true, 0, VK_F9},
      {0, false, 0, 0},                        // none
      {HOTKEYF_CONTROL << 8, false, 0, 0},     // modifiers without a key
  };
  for (const Case& c : cases) {
    UINT modifiers = 0;
    UINT key = 0;
    ASSERT_EQ(HotkeyRegistration(c.value, &modifiers, &key), c.some) << c.value;
    if (!c.some) continue;
    EXPECT_EQ(modifiers, c.modifiers) << c.value;
    EXPECT_EQ(key, c.key) << c.value;
  }
}

}  // namespace
}  // namespace memo
