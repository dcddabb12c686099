// The browser note: an Internet shortcut (".url") shown in the browser
// control host, with the user's favourites in its context menu.
#pragma once

#include <string>

#include "frame/NoteFrame.h"
#include "frame/PropertySheet.h"
#include "store/Handles.h"

namespace memo {

constexpr char kShortcutSection[] = "InternetShortcut";
constexpr char kShortcutUrlKey[] = "URL";
// Shortcut URLs are read into a buffer of this many bytes: at most one less
// is used.
constexpr size_t kShortcutUrlBuffer = 1024;

// The URL of an Internet shortcut file; "" when the file or key is missing.
std::string ReadShortcutUrl(const std::string& path);
// Writes the URL and makes the system write the file out at once.
bool WriteShortcutUrl(const std::string& path, const std::string& url);

// Command of the context menu: the property sheet opened on the URL page.
constexpr int kCmdEnterUrl = 1000;

// wParam of the load message when the user has just confirmed the URL on the
// URL page: then any address is loaded, not only those loaded unasked.
constexpr WPARAM kLoadConfirmed = 1;

// Whether a shortcut's URL is loaded as the note opens, with no one asking:
// web addresses and the browser's own "about:" pages. A shortcut comes with
// any folder that is synced or copied in, and anything else (a file, a share
// on another computer that is sent the user's credentials, script, another
// program's protocol) waits until the user confirms it.
bool LoadsUnasked(const std::string& url);

class ItemWeb : public NoteFrame {
 public:
  ItemWeb();
  LRESULT WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  LRESULT OnCreate(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  void OnLoad(HWND hwnd, bool confirmed);
  LRESULT OnCtlColorNotice(HDC dc);
  void ShowNotice(HWND hwnd, const std::string& text);
  void HideNotice();
  void PlaceNotice(HWND hwnd);
  void OnContextMenu(HWND hwnd, LPARAM point);
  void Navigate(const std::string& url);

  // Id of the strip over the top of the body that names an address the
  // note did not load.
  static constexpr int kIdNotice = 290;

  HWND host_ = nullptr;
  HWND notice_ = nullptr;
  UniqueBrush noticeBrush_;
  // The note's own page of the property sheet, kept for the note's life.
  ExtraPage pages_[1];
};

}  // namespace memo
