// The common controls library, loaded on first use.
#include "frame/CommonControls.h"

#include "store/LateLibrary.h"

namespace memo {
namespace {

const LateLibrary& Comctl32() {
  static const LateLibrary library("comctl32.dll", LateLibrary::kSideBySide);
  return library;
}

const LateLibrary& UxTheme() {
  static const LateLibrary library("uxtheme.dll");
  return library;
}

}  // namespace

void DrawWithoutVisualStyle(HWND control) {
  using SetWindowThemeFunction = HRESULT(WINAPI*)(HWND, LPCWSTR, LPCWSTR);
  static const auto setTheme = UxTheme().Find<SetWindowThemeFunction>("SetWindowTheme");
  // Empty names (not null ones, which mean the default) match no style.
  if (setTheme) setTheme(control, L"", L"");
}

bool EnsureCommonControls() {
  static const bool ready = [] {
    auto init = Comctl32().Find<decltype(&::InitCommonControlsEx)>("InitCommonControlsEx");
    INITCOMMONCONTROLSEX classes{sizeof(classes), ICC_WIN95_CLASSES | ICC_DATE_CLASSES};
    return init && init(&classes);
  }();
  return ready;
}

namespace late {

INT_PTR PropertySheetA(const PROPSHEETHEADERA* header) {
  static const auto function = Comctl32().Find<decltype(&::PropertySheetA)>("PropertySheetA");
  return function && EnsureCommonControls() ? function(header) : -1;
}

COLORREF ImageList_GetBkColor(HIMAGELIST list) {
  static const auto function = Comctl32().Find<decltype(&::ImageList_GetBkColor)>("ImageList_GetBkColor");
  return function ? function(list) : CLR_NONE;
}

COLORREF ImageList_SetBkColor(HIMAGELIST list, COLORREF color) {
  static const auto function = Comctl32().Find<decltype(&::ImageList_SetBkColor)>("ImageList_SetBkColor");
  return function ? function(list, color) : CLR_NONE;
}

}  // namespace late
}  // namespace memo
