// The Colour page of the property sheet: background and text colour with a
// swatch and the system colour chooser, and the transparency.
#include <windows.h>
#include <commdlg.h>
#include <prsht.h>

#include <cstdio>
#include <string>

#include "frame/Colors.h"
#include "frame/Layered.h"
#include "frame/Messages.h"
#include "frame/NoteWindows.h"
#include "frame/SheetPages.h"
#include "frame/SheetRules.h"
#include "resources/resource.h"
#include "store/Handles.h"
#include "store/LateLibrary.h"
#include "store/Settings.h"
#include "store/WinText.h"

namespace memo {
namespace {

constexpr char kStateProperty[] = "ColorPageState";

// One table for every Colour page of the run; the chooser changes it in
// place and it is never saved.
COLORREF gCustomColors[16] = {0xFFFFFF, 0xF0F0F0, 0x77FFFF, 0xFFF0F0, 0xE4E7F1, 0xD5F4DC, 0x666666, 0x777777,
                              0x888888, 0x999999, 0xAAAAAA, 0xBBBBBB, 0xCCCCCC, 0xDDDDDD, 0xEEEEEE, 0x000000};

// What the page holds while the sheet is open: the two colours being
// edited (0 background, 1 text) and the swatch's brush.
struct ColorPageState {
  COLORREF colors[2] = {};
  UniqueBrush swatch;
};

ColorPageState* StateOf(HWND page) { return static_cast<ColorPageState*>(::GetPropA(page, kStateProperty)); }

// The settings section and file of the window's colours: a mini note keeps
// them in its own section of its owner's file. Looked up when needed, so
// that a rename made by the General page on the same OK is followed.
void ColorSettingsOf(HWND window, std::string* file, std::string* section) {
  if (IsMiniNote(window)) {
    *file = SettingsFileOfWindow(::GetWindow(window, GW_OWNER));
    *section = HwndGetText(window);
  } else {
    *file = SettingsFileOfWindow(window);
    *section = kSectionWindow;
  }
}

int SelectedSlot(HWND page) {
  return ::SendDlgItemMessageA(page, IDC_COLOR_WHICH, CB_GETCURSEL, 0, 0) == 1 ? 1 : 0;
}

void OnInitDialog(HWND page) {
  HWND window = PageTarget(page);
  LimitPageControls(page);
  auto* state = new ColorPageState;
  ::SetPropA(page, kStateProperty, state);
  HWND which = ::GetDlgItem(page, IDC_COLOR_WHICH);
  ::SendMessageA(which, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("背景"));
  ::SendMessageA(which, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("テキスト"));
  ::SendMessageA(which, CB_SETCURSEL, 0, 0);
  state->colors[0] = GetColorProp(window, kPropColorBG);
  state->colors[1] = GetColorProp(window, kPropColorText);

  std::string file, section;
  ColorSettingsOf(window, &file, &section);
  int alpha = IniReadInt(file, section.c_str(), kKeyAlpha, 0);
  HWND alphaCombo = ::GetDlgItem(page, IDC_COLOR_ALPHA);
  for (int percent = 0; percent <= 90; percent += 10) {
    char label[16];
    std::snprintf(label, sizeof(label), "%d%%", percent);
    LRESULT index = ::SendMessageA(alphaCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(label));
    if (index >= 0) ::SendMessageA(alphaCombo, CB_SETITEMDATA, static_cast<WPARAM>(index), percent);
  }
  int selected = ComboFindData(alphaCombo, AlphaEntryFor(alpha));
  if (selected == CB_ERR) selected = ComboFindData(alphaCombo, 0);
  ::SendMessageA(alphaCombo, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
  ::EnableWindow(alphaCombo, LayeredFunction() != nullptr);
}

void RepaintSwatch(HWND page) { ::InvalidateRect(::GetDlgItem(page, IDC_COLOR_SWATCH), nullptr, TRUE); }

void ChooseSlotColor(HWND page) {
  ColorPageState* state = StateOf(page);
  if (!state) return;
  int slot = SelectedSlot(page);
  CHOOSECOLORA choose{};
  choose.lStructSize = sizeof(choose);
  choose.hwndOwner = page;
  choose.rgbResult = state->colors[slot];
  choose.lpCustColors = gCustomColors;
  choose.Flags = CC_RGBINIT | CC_FULLOPEN | CC_ANYCOLOR;
  if (!late::ChooseColorA(&choose)) return;
  state->colors[slot] = choose.rgbResult;
  RepaintSwatch(page);
}

void Apply(HWND page) {
  HWND window = PageTarget(page);
  ColorPageState* state = StateOf(page);
  if (!::IsWindow(window) || !state) return;
  std::string file, section;
  ColorSettingsOf(window, &file, &section);
  IniWriteColor(file, section.c_str(), kKeyColorBG, state->colors[0]);
  IniWriteColor(file, section.c_str(), kKeyColorText, state->colors[1]);
  HWND alphaCombo = ::GetDlgItem(page, IDC_COLOR_ALPHA);
  LRESULT selected = ::SendMessageA(alphaCombo, CB_GETCURSEL, 0, 0);
  LRESULT alpha = selected == CB_ERR ? 0 : ::SendMessageA(alphaCombo, CB_GETITEMDATA, selected, 0);
  IniWriteInt(file, section.c_str(), kKeyAlpha, static_cast<int>(alpha));
  ::SendMessageA(window, kMsgSettingsChanged, 0, 0);
}

INT_PTR Handle(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      SetPageTarget(page, lParam);
      OnInitDialog(page);
      return TRUE;
    case WM_CTLCOLORSTATIC: {
      ColorPageState* state = StateOf(page);
      if (!state || reinterpret_cast<HWND>(lParam) != ::GetDlgItem(page, IDC_COLOR_SWATCH)) break;
      state->swatch.reset(::CreateSolidBrush(state->colors[SelectedSlot(page)]));
      return reinterpret_cast<INT_PTR>(state->swatch.get());
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDC_COLOR_WHICH && HIWORD(wParam) == CBN_SELCHANGE) {
        RepaintSwatch(page);
      } else if (LOWORD(wParam) == IDC_COLOR_CHANGE && HIWORD(wParam) == BN_CLICKED) {
        ChooseSlotColor(page);
      }
      return TRUE;
    case WM_NOTIFY:
      if (reinterpret_cast<const NMHDR*>(lParam)->code == PSN_APPLY) {
        Apply(page);
        return PageApplied(page);
      }
      break;
    case WM_DESTROY:
      delete StateOf(page);
      ::RemovePropA(page, kStateProperty);
      break;
  }
  return FALSE;
}

}  // namespace

INT_PTR CALLBACK ColorPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  try {
    return Handle(page, message, wParam, lParam);
  } catch (...) {
    return FALSE;
  }
}

}  // namespace memo
