// The dialog procedures of the property sheet's own pages, and what they
// share. Every page keeps the window it describes in DWLP_USER.
#pragma once

#include <windows.h>

#include <string>

namespace memo {

INT_PTR CALLBACK GeneralPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK LayoutPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ColorPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

// The window that a page describes (set from the page's creation data at
// WM_INITDIALOG).
HWND PageTarget(HWND page);
void SetPageTarget(HWND page, LPARAM initDialogParam);

// Every edit field and combo box of the page takes at most 259 characters.
void LimitPageControls(HWND page);

// Answers a PSN_APPLY: the changes are taken, the sheet may close.
INT_PTR PageApplied(HWND page);

// The whole dialog procedure of a page that fills its controls when it
// opens and takes them when the sheet applies; no exception leaves it.
INT_PTR FillAndApplyPageProc(HWND page, UINT message, LPARAM lParam, void (*fill)(HWND), void (*apply)(HWND));

bool IsMiniNote(HWND window);
bool IsMainBar(HWND window);  // a page rather than a note (style top bit)

// The combo's item with this item data, or CB_ERR.
int ComboFindData(HWND combo, LPARAM data);

}  // namespace memo
