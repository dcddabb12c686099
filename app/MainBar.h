// The main bar: the program's one permanent window, a thin topmost strip
// that shows the current page, carries the menu and page-list buttons, owns
// the tray icon, opens and closes the notes of a page and ends the program.
#pragma once

#include <string>

#include "app/HotkeyPage.h"
#include "app/PageWatch.h"
#include "app/SettingsPage.h"
#include "frame/PropertySheet.h"
#include "frame/TopLevelWindow.h"
#include "resources/resource.h"
#include "store/Handles.h"

namespace memo {

class MainBar : public TopLevelWindow {
 public:
  LRESULT WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  LRESULT OnCreate(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  void OnDestroy(HWND hwnd);
  void OnSize(HWND hwnd);
  LRESULT OnNcHitTest(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  void OnLButtonDown(HWND hwnd);
  void OnEnterSizeMove(HWND hwnd);
  void OnParentNotify(HWND hwnd, WPARAM wParam);
  void OnTray(HWND hwnd, LPARAM mouseMessage);
  bool OnCommand(HWND hwnd, int id, int code, HWND control, LRESULT* result);
  void Paint(HWND hwnd, HDC dc);
  void ShowButtons(HWND hwnd);

  // Page switching, creation and renaming through the window text; true
  // when the text may change.
  bool OnSetText(HWND hwnd, const std::string& text);
  void SwitchTo(HWND hwnd, const std::string& page);
  void OpenStartPage(HWND hwnd);
  void NewPage(HWND hwnd);
  void DeletePage(HWND hwnd);
  // created, when given, receives the new note's window.
  LRESULT NewNote(HWND hwnd, int command, HWND* created = nullptr);
  void OnHotkey(HWND hwnd, WPARAM id);
  void OpenPageList(HWND hwnd);
  void OnPageListCloseUp(HWND hwnd, HWND combo);

  void AddTrayIcon(HWND hwnd);
  // Starts the icon's removal on a thread of its own and returns it (null
  // when the icon was removed here or there was none).
  UniqueHandle RemoveTrayIcon(HWND hwnd);

  // The pages the bar adds to its property sheet, in this order.
  ExtraPage pages_[2] = {{IDD_PAGE_SETTINGS, &SettingsPageProc, ::GetModuleHandleA(nullptr)},
                         {IDD_PAGE_HOTKEYS, &HotkeyPageProc, ::GetModuleHandleA(nullptr)}};
  PageWatch pageWatch_;
  UniqueIcon trayIcon_;
  bool trayAdded_ = false;
};

}  // namespace memo
