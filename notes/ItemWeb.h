// The browser note: an Internet shortcut (".url") shown in the browser
// control host, with the user's favourites in its context menu.
#pragma once

#include "frame/NoteFrame.h"
#include "frame/PropertySheet.h"

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

class ItemWeb : public NoteFrame {
 public:
  ItemWeb();
  LRESULT WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  LRESULT OnCreate(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  void OnLoad(HWND hwnd);
  void OnContextMenu(HWND hwnd, LPARAM point);
  void Navigate(const std::string& url);

  HWND host_ = nullptr;
  // The note's own page of the property sheet, kept for the note's life.
  ExtraPage pages_[1];
};

}  // namespace memo
