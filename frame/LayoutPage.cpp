// The Layout page of the property sheet: where the note minimizes to, how
// it is restored, always on top, and restoring with the main bar.
#include <windows.h>
#include <prsht.h>

#include "frame/Messages.h"
#include "frame/SheetPages.h"
#include "frame/SheetRules.h"
#include "resources/resource.h"

namespace memo {
namespace {

constexpr const char* kMinimizeTexts[] = {"上に最小化", "下に最小化", "左に最小化", "右に最小化",
                                          "最小化しない"};
constexpr const char* kRestoreTexts[] = {"マウス動作", "ダブル･クリック"};

void Fill(HWND combo, const char* const* texts, size_t count, int selected) {
  for (size_t i = 0; i < count; ++i) ::SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(texts[i]));
  ::SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

void OnInitDialog(HWND page) {
  HWND window = PageTarget(page);
  LimitPageControls(page);
  DWORD style = static_cast<DWORD>(::GetWindowLongA(window, GWL_STYLE));
  Fill(::GetDlgItem(page, IDC_LAYOUT_MINIMIZE), kMinimizeTexts, 5, MinimizeIndexFromStyle(style));
  Fill(::GetDlgItem(page, IDC_LAYOUT_RESTORE), kRestoreTexts, 2, (style & kStyleRestoreByDblClick) ? 1 : 0);
  if (IsMainBar(window)) {
    // The bar is always on top and is what the others are restored with.
    ::CheckDlgButton(page, IDC_LAYOUT_TOPMOST, BST_CHECKED);
    ::CheckDlgButton(page, IDC_LAYOUT_WITH_MAIN, BST_CHECKED);
    ::EnableWindow(::GetDlgItem(page, IDC_LAYOUT_TOPMOST), FALSE);
    ::EnableWindow(::GetDlgItem(page, IDC_LAYOUT_WITH_MAIN), FALSE);
  } else {
    ::CheckDlgButton(page, IDC_LAYOUT_TOPMOST, (style & kStyleTopmost) ? BST_CHECKED : BST_UNCHECKED);
    ::CheckDlgButton(page, IDC_LAYOUT_WITH_MAIN, (style & kStyleNotWithMain) ? BST_UNCHECKED : BST_CHECKED);
  }
}

// The window reacts to the style change at once (topmost on or off) and
// saves the style when it closes; nothing is written here.
void Apply(HWND page) {
  HWND window = PageTarget(page);
  if (!::IsWindow(window)) return;
  LayoutChoice choice;
  choice.minimizeIndex = static_cast<int>(::SendDlgItemMessageA(page, IDC_LAYOUT_MINIMIZE, CB_GETCURSEL, 0, 0));
  choice.restoreByDblClick = ::SendDlgItemMessageA(page, IDC_LAYOUT_RESTORE, CB_GETCURSEL, 0, 0) == 1;
  choice.topmost = ::IsDlgButtonChecked(page, IDC_LAYOUT_TOPMOST) == BST_CHECKED;
  choice.restoreWithMain = ::IsDlgButtonChecked(page, IDC_LAYOUT_WITH_MAIN) == BST_CHECKED;
  DWORD style = static_cast<DWORD>(::GetWindowLongA(window, GWL_STYLE));
  ::SetWindowLongA(window, GWL_STYLE, static_cast<LONG>(ApplyLayout(style, choice)));
}

}  // namespace

INT_PTR CALLBACK LayoutPageProc(HWND page, UINT message, WPARAM, LPARAM lParam) {
  return FillAndApplyPageProc(page, message, lParam, OnInitDialog, Apply);
}

}  // namespace memo
