// Start-up: the single-copy lock, the root folder, the system libraries,
// the main bar, and the one message loop of the program.
#pragma once

#include <windows.h>

#include <string>

namespace memo {

constexpr char kDefaultRootName[] = "My Memopane";

// "My Memopane" in the user's My Documents folder; "" when that folder is
// unknown or the path would not fit.
std::string DefaultRootFolder();

struct RootChoice {
  std::string root;
  bool firstRun = false;  // the registry gave no folder to use
  // The registry's folder when it is not there now (a drive unplugged, a
  // share not yet connected): the default serves this run only, and the
  // registry keeps the value.
  std::string unavailable;
};
// The registry value when it names an existing folder, else the default.
RootChoice ChooseRootFolder();

// Windows XP or later: major above 5, or 5 with a minor other than 0.
bool IsWindowsXPOrLater();
bool IsVersionXPOrLater(DWORD major, DWORD minor);

// The main bar's first place: centred in the work area's width, measured
// from the screen's left edge, at the top.
POINT InitialMainBarPosition(const RECT& workArea);

// The whole program: returns the process exit code.
int RunProgram(HINSTANCE instance, int showCommand);

// The program has begun to end (its main bar is going): a copy started from
// now on waits for this one to end. Does nothing outside RunProgram.
void AnnounceQuit();

// Routes one message: dialogs and property sheets first, then the embedded
// browser control's accelerators, then TranslateMessage and DispatchMessage.
void RouteMessage(MSG& msg, ATOM dialogAtom);

}  // namespace memo
