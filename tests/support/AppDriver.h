// Drives the real memopane.exe from a test: starts it against a root folder,
// finds its windows by class and title, reads and answers its message boxes,
// waits for it to end, and always kills what it started.
//
// How to use:
//   TempFolder root;
//   AppDriver app;
//   app.StartWithRoot(root.path());          // registry value, Splash=0
//   HWND bar = app.WaitMainBar();
//   ::SendMessageA(bar, WM_SETTEXT, 0, (LPARAM) "page");
//   auto box = app.WaitMessageBox();         // title, text, buttons
//   app.Answer(*box, IDOK);
//   EXPECT_EQ(app.Quit(), 0u);
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/TestFiles.h"

namespace memo::test {

constexpr DWORD kDefaultWaitMs = 10000;

// Polls cond every 20 ms until it holds or ms pass; true when it held.
bool WaitUntil(const std::function<bool()>& cond, DWORD ms = kDefaultWaitMs);

// Pumps this thread's messages for ms (for tests that own windows).
void PumpFor(DWORD ms);

std::string MemopaneExe();  // memopane.exe beside the test program

// Ends every memopane.exe of this Wine session: a test must never meet a
// copy that an earlier, failed test left behind.
void KillStrayCopies();

// Every top-level window of the desktop. The system's enumerations call back
// stdcall functions, which a lambda is not on 32-bit Windows: tests filter
// this list instead.
std::vector<HWND> TopLevelWindows();

std::string WindowText(HWND hwnd);
std::string ClassOf(HWND hwnd);
RECT WindowRect(HWND hwnd);
RECT WorkArea();

struct DialogInfo {
  HWND hwnd = nullptr;
  std::string title;
  std::string text;  // the static texts, joined by "\n"
  std::vector<std::pair<int, std::string>> buttons;  // id, text
  bool errorIcon = false;
  bool questionIcon = false;
  HWND owner = nullptr;
};

// Reads a dialog ("#32770") window: title, static texts and buttons.
DialogInfo ReadDialog(HWND dialog);

// WM_SETTEXT to a window of any process; its result (TRUE when the text
// changed), or FALSE when the window did not answer within ms.
LRESULT SetText(HWND hwnd, const std::string& text, DWORD ms = kDefaultWaitMs);

// Sends WM_SETTEXT from a worker thread, for a text change whose handling
// shows a box or a shell dialog that the test answers meanwhile (the message
// cannot be posted: it carries a pointer). The destructor waits for the send,
// which gives up after 60 seconds.
class AsyncSetText {
 public:
  AsyncSetText(HWND hwnd, std::string text);
  ~AsyncSetText();
  AsyncSetText(const AsyncSetText&) = delete;
  AsyncSetText& operator=(const AsyncSetText&) = delete;

  bool Done() const;
  // The handler's result once done; nullopt when it is still running after ms.
  std::optional<LRESULT> Wait(DWORD ms = kDefaultWaitMs);

 private:
  struct State;
  static DWORD WINAPI Send(LPVOID param);
  std::shared_ptr<State> state_;
  HANDLE thread_ = nullptr;
};

// The items of a combo box of any process, in list order, and the selection.
std::vector<std::string> ComboItems(HWND combo);
int ComboSelection(HWND combo);

// Real input through the system's input queue: moves the cursor, presses or
// releases the left button (at the current position).
void MouseMoveTo(int x, int y);
void MouseLeft(bool down);

// The user's own pointer: SendInput does not pass through Wine's X driver,
// so captures and the system's move loops never see it as a hand's. Runs
// xdotool with these commands ("mousemove 2 300 mousedown 1 sleep 0.2
// mouseup 1") and returns once they are done, pumping meanwhile; false
// without xdotool (on Windows, say) or when it did not finish within ms.
bool XPointer(const std::string& commands, DWORD ms = kDefaultWaitMs);

// Runs a Unix shell command line under Wine (single quotes only) and returns
// once it is done, pumping meanwhile; false on Windows or when it did not
// finish within ms. UnixPath gives the Unix path of a file ("" on Windows).
bool RunUnixShell(const std::string& commandLine, DWORD ms = kDefaultWaitMs);
std::string UnixPath(const std::string& path);

// Under Wine with no window manager (Xvfb), hiding a "managed" X window (a
// note has a sizing frame; a window shown active counts too) waits two
// seconds for a window manager that never answers, so every closed note
// would cost two seconds. For its scope this sets Wine's X11 driver option
// Managed=N for one program, read when that program starts: its windows are
// then unmanaged and close at once. Does nothing on Windows.
class UnmanagedWindowsScope {
 public:
  explicit UnmanagedWindowsScope(const char* program = "memopane.exe");
  UnmanagedWindowsScope(const UnmanagedWindowsScope&) = delete;
  UnmanagedWindowsScope& operator=(const UnmanagedWindowsScope&) = delete;

 private:
  std::string key_;
  std::optional<RegValueGuard> guard_;
};

bool RunningUnderWine();

class AppDriver {
 public:
  enum Others { kEndOthers, kLeaveOthers };
  // Ends stray copies first, unless the test starts a second copy on purpose.
  explicit AppDriver(Others others = kEndOthers);
  ~AppDriver();
  AppDriver(const AppDriver&) = delete;
  AppDriver& operator=(const AppDriver&) = delete;

  // The program Start runs: memopane.exe beside the test program, or this
  // one (an unpacked release, say).
  void SetProgram(std::string exe) { program_ = std::move(exe); }

  // Starts memopane.exe as it is, with whatever the registry holds.
  bool Start(int showCommand = SW_SHOWNORMAL);
  // Points the registry at root, writes Info/Splash (0 unless asked) to its
  // root.ini, and starts the program.
  bool StartWithRoot(const std::string& root, bool splash = false);

  DWORD pid() const { return pid_; }
  bool Running() const;

  // The main bar of this process (visible or not), or nullptr after ms.
  HWND WaitMainBar(DWORD ms = kDefaultWaitMs);
  HWND WaitMainBarVisible(DWORD ms = kDefaultWaitMs);

  // Top-level windows of this process; class and title filters may be null.
  std::vector<HWND> Windows(const char* className = nullptr, const char* title = nullptr,
                            bool visibleOnly = false) const;
  HWND FindWindowOf(const char* className, const char* title = nullptr) const;
  HWND WaitWindow(const char* className, const char* title = nullptr, DWORD ms = kDefaultWaitMs);

  // A visible dialog of the process (a message box, the first-run dialog, a
  // shell confirmation); with a title filter only that one.
  std::optional<DialogInfo> WaitDialog(DWORD ms = kDefaultWaitMs, const char* title = nullptr);
  // Clicks the button with this id.
  bool Answer(const DialogInfo& dialog, int buttonId);
  // True when no dialog of the process is visible for ms (polled).
  bool NoDialogFor(DWORD ms);

  // The top-level windows of the five note classes, visible or not.
  std::vector<HWND> NoteWindows() const;
  // Their titles, sorted.
  std::vector<std::string> NoteTitles() const;

  // Exit code, or STILL_ACTIVE when the process did not end within ms.
  DWORD WaitExit(DWORD ms = kDefaultWaitMs);
  // Closes the main bar, answers nothing, and waits; kills after ms.
  DWORD Quit(DWORD ms = kDefaultWaitMs);
  void Kill();

 private:
  std::string program_;
  HANDLE process_ = nullptr;
  DWORD pid_ = 0;
};

// A visible dialog ("#32770") of this process (a box or a shell dialog shown
// by code running in the test), or nullptr.
HWND VisibleDialogOfThisProcess();

// Icons in the notification area (Wine's own tray window, or the Windows
// task bar's); -1 when there is no tray.
int TrayIconCount();

// Runs action on this thread while a second thread waits for a dialog of
// this process (a message box the action shows), reads it and clicks the
// button; nullopt when no dialog came within ms.
std::optional<DialogInfo> AnswerOwnDialog(int buttonId, const std::function<void()>& action,
                                          DWORD ms = kDefaultWaitMs);

}  // namespace memo::test
