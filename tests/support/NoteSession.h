// The real program running on a root folder of its own, with a current page,
// for end-to-end tests of notes, the note frame and the main menu.
//
// How to use:
//   NoteSession session;                          // root with page "page"
//   ASSERT_TRUE(WriteBytes(session.NotePath("a.txt"), "text"));
//   ASSERT_TRUE(session.Start());
//   HWND note = session.WaitNote("a.txt");
//   HWND menu = session.OpenMainMenu();
#pragma once

#include <windows.h>

#include <string>

#include "tests/support/AppDriver.h"
#include "tests/support/TestFiles.h"

namespace memo::test {

constexpr char kTextClass[] = "Memopane-Text";
constexpr int kBodyId = 267;

class NoteSession {
 public:
  explicit NoteSession(const std::string& page = "page");
  NoteSession(const NoteSession&) = delete;
  NoteSession& operator=(const NoteSession&) = delete;

  // Starts the program with the page as its current page; true once the
  // main bar shows it.
  bool Start();

  AppDriver& app() { return app_; }
  HWND bar() const { return bar_; }
  const std::string& root() const { return root_.path(); }
  std::string PageFolder(const std::string& page) const { return root_ / page; }
  std::string PageFolder() const { return PageFolder(page_); }
  // The file of a note of the current page, or of common for a quoted name.
  std::string NotePath(const std::string& name) const;

  // The note window with this title, once it is visible.
  HWND WaitNote(const std::string& title, const char* windowClass = kTextClass, DWORD ms = kDefaultWaitMs);
  static HWND Body(HWND note) { return ::GetDlgItem(note, kBodyId); }
  // The notice strip that a note shows over its text, or "" when none shows.
  static std::string NoticeText(HWND note);

  // Closes a note as a page switch does; true once its window is gone.
  static bool CloseNote(HWND note, DWORD ms = kDefaultWaitMs);

  // Shows the main menu as a right click on the bar does; the menu window.
  HWND OpenMainMenu();

  // Opens a page (its folder is made first) through the bar's window text;
  // true once the bar shows it.
  bool SwitchPage(const std::string& page);

 private:
  RegValueGuard rootGuard_{"Software\\Quendra\\Memopane", "RootPath2"};
  TempFolder root_{"memo-e2e"};
  std::string page_;
  AppDriver app_;
  HWND bar_ = nullptr;
};

// The edit control's text once it equals expected (or whatever it is after ms).
std::string WaitBodyText(HWND body, const std::string& expected, DWORD ms = kDefaultWaitMs);

}  // namespace memo::test
