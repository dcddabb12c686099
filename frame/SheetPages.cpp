// What the property sheet's pages share.
#include "frame/SheetPages.h"

#include <prsht.h>

#include "frame/ClassNames.h"
#include "store/WinText.h"

namespace memo {
namespace {

constexpr WPARAM kMaxControlText = 259;

}  // namespace

HWND PageTarget(HWND page) { return reinterpret_cast<HWND>(::GetWindowLongPtrA(page, DWLP_USER)); }

void SetPageTarget(HWND page, LPARAM initDialogParam) {
  const auto* sheetPage = reinterpret_cast<const PROPSHEETPAGEA*>(initDialogParam);
  ::SetWindowLongPtrA(page, DWLP_USER, sheetPage ? sheetPage->lParam : 0);
}

void LimitPageControls(HWND page) {
  for (HWND child = ::GetWindow(page, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    std::string cls = HwndGetClass(child);
    if (lstrcmpiA(cls.c_str(), "Edit") == 0) {
      ::SendMessageA(child, EM_LIMITTEXT, kMaxControlText, 0);
    } else if (lstrcmpiA(cls.c_str(), "ComboBox") == 0) {
      ::SendMessageA(child, CB_LIMITTEXT, kMaxControlText, 0);
    }
  }
}

INT_PTR PageApplied(HWND page) {
  ::SetWindowLongPtrA(page, DWLP_MSGRESULT, PSNRET_NOERROR);
  return TRUE;
}

INT_PTR FillAndApplyPageProc(HWND page, UINT message, LPARAM lParam, void (*fill)(HWND), void (*apply)(HWND)) {
  try {
    switch (message) {
      case WM_INITDIALOG:
        SetPageTarget(page, lParam);
        fill(page);
        return TRUE;
      case WM_NOTIFY:
        if (reinterpret_cast<const NMHDR*>(lParam)->code == PSN_APPLY) {
          apply(page);
          return PageApplied(page);
        }
        break;
    }
  } catch (...) {
  }
  return FALSE;
}

bool IsMiniNote(HWND window) { return HwndGetClass(window) == kClassMini; }

bool IsMainBar(HWND window) { return (::GetWindowLongA(window, GWL_STYLE) & 0x80000000u) && !IsMiniNote(window); }

int ComboFindData(HWND combo, LPARAM data) {
  int count = static_cast<int>(::SendMessageA(combo, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    if (::SendMessageA(combo, CB_GETITEMDATA, static_cast<WPARAM>(i), 0) == data) return i;
  }
  return CB_ERR;
}

}  // namespace memo
