// Keeping windows where the user can reach them while monitors come and go.
//
// How to use: place a window from its saved rectangle through OntoScreen,
// and call KeepWindowOnScreen on WM_DISPLAYCHANGE.
#pragma once

#include <windows.h>

#include <vector>

namespace memo {

// The monitors and the work area as they are when it is made, used by
// OntoScreen and WorkArea on this thread while it lives. Each look at them
// is a few round trips to the window system: a page that opens many notes
// looks once, through one of these around the openings.
class ScreenSnapshot {
 public:
  ScreenSnapshot();
  ~ScreenSnapshot();
  ScreenSnapshot(const ScreenSnapshot&) = delete;
  ScreenSnapshot& operator=(const ScreenSnapshot&) = delete;

 private:
  friend RECT OntoScreen(const RECT& rect);
  friend RECT WorkArea();

  std::vector<RECT> monitors_, workAreas_;  // whole monitors, their work areas
  RECT workArea_{};                          // the primary one's
  const ScreenSnapshot* previous_;
};

// A window rectangle that shows on no monitor of this session brought into
// the nearest monitor's work area; any other rectangle as it is.
RECT OntoScreen(const RECT& rect);

// The primary monitor's work area (SPI_GETWORKAREA).
RECT WorkArea();

// Moves a window whose rectangle shows on no monitor any more (a screen
// unplugged, a resolution lowered) onto the nearest one, keeping its size
// where it fits.
void KeepWindowOnScreen(HWND hwnd);

}  // namespace memo
