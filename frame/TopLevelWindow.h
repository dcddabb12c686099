// The behaviour that the main bar and every note share: settings loaded at
// creation and saved at destruction, the tinted background, colours and
// transparency, mini notes that follow their owner, the shared commands,
// drops that become mini notes, owner-drawn buttons and menu items, and the
// automatic minimize timer.
//
// How to use: derive, set the "ColorBG"/"ColorText" defaults in your
// WM_CREATE, then pass every message you do not finish to
// TopLevelWindow::WindowProc.
#pragma once

#include <windows.h>

#include <deque>
#include <string>

#include "frame/WindowObject.h"
#include "store/DataTransfer.h"
#include "store/Settings.h"

namespace memo {

// What the opener of a window already read for it, handed over as
// CreateWindowEx's creation parameter (null when it read nothing): a page of
// many notes would read each settings file twice.
struct WindowCreation {
  const IniSectionValues* saved = nullptr;  // the Window section of its settings file
  bool placed = false;                      // made at SavedPlacement of saved
};

// Where a window goes from its saved Window section: X, Y, CX and CY, each
// missing one taken from current, kept on the work area and on a screen.
RECT SavedPlacement(const IniSectionValues& saved, const RECT& current);

class TopLevelWindow : public WindowObject, public virtual DropTarget {
 public:
  LRESULT WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;
  // Takes the saved style that its opener read: the frame is then measured
  // once, not again at WM_CREATE.
  static void OnNcCreate(HWND hwnd, const CREATESTRUCTA& create);

  // Saves Style, X, Y, CX, CY to the window's settings file: those that
  // were missing or that the window changed since it loaded them.
  static void SaveWindowSettings(HWND hwnd);
  // Duplicates the note: copies its file and settings beside it and opens
  // the copy 10 pixels right and down.
  static void DuplicateNote(HWND hwnd);

 protected:
  // Called before Duplicate copies the note's file: a note that holds
  // changes its file does not have yet writes them first.
  virtual void SaveBeforeCopy(HWND) {}
  // Whether children of this window may have tools in the shared tooltip
  // that must go with them.
  virtual bool HasChildTooltips() const { return true; }

 private:
  LRESULT OnCreate(HWND hwnd, const CREATESTRUCTA& create);
  void ApplySettings(HWND hwnd, const IniSectionValues& saved);
  void RememberPlacement(HWND hwnd, const IniSectionValues& saved, const std::string& file);
  void OnDestroy(HWND hwnd);
  void OnShowWindow(HWND hwnd, bool show);
  void OnActivate(HWND hwnd, WORD state);
  void OnMinimizeTimer(HWND hwnd);
  void OnMove(HWND hwnd);
  void OnStyleChanging(HWND hwnd, const STYLESTRUCT& change);
  void OnSettingsChanged(HWND hwnd);
  LRESULT OnCommand(HWND hwnd, int id, HWND control);
  LRESULT OnDropQuery(IDataObject* data);
  void OnDrop(HWND hwnd, DWORD* effect, IDataObject* data);
  void OnDropTimer(HWND hwnd);
  void Paint(HWND hwnd, HDC dc);

  POINT lastPosition_{};
  // The items of drops still to become mini notes, made a few at a time on
  // a timer: the drop returns at once, and the program answers its messages
  // and the user's input between them. Each item is an id list or a path.
  struct DroppedItem {
    IdlBytes idl;
    std::string file;
  };
  std::deque<DroppedItem> dropped_;
  POINT dropPoint_{};  // where the next one goes
  // What the drops have to tell the user, shown once their mini notes are
  // made: a box shown inside a drop would hold the drag source until it is
  // dismissed.
  size_t droppedBeyondLimit_ = 0;
  bool dropFailed_ = false;
  // The window settings as loaded, so that a save leaves alone the keys the
  // window did not change.
  IniIntBaseline loaded_;
};

// The most mini notes one drop makes. Each is a window with a drop target
// and a section that is written as it closes: a drop of thousands of files
// (or a drag source that offers no end of items) would hold the program for
// minutes and could use up the system's window handles.
constexpr size_t kMaxMiniNotesPerDrop = 100;

// Starts (or restarts) the automatic minimize count of a window.
void StartMinimizeTimer(HWND hwnd);

}  // namespace memo
