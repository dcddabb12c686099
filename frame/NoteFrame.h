// The frame of every ordinary note: a caption strip with the note's name and
// six small buttons, a body control (id 267) that fills the rest, a two-pixel
// resize border, a bevelled border in tints of the note's colour, and a
// window region that shows only the body while the note is inactive.
// Renaming, moving and deleting a note happen here, through its window text.
//
// How to use: a note kind derives from NoteFrame, creates its body with id
// 267 in WM_CREATE before passing WM_CREATE on, answers WM_CONTEXTMENU with
// its menu, and passes everything else to NoteFrame::WindowProc.
#pragma once

#include "frame/TopLevelWindow.h"

namespace memo {

// Caption layout, from the size of "A" in the GUI font.
struct CaptionLayout {
  RECT body;
  RECT pin, minimize, dblClick, remove, mini, menu;  // buttons 271, 269, 270, 265, 273, 268
};
CaptionLayout LayoutCaption(int clientWidth, int clientHeight, SIZE letterA);

// The resize hit-test of a note: a two-pixel border on every side. Returns 0
// for points on no border.
LRESULT NoteBorderHitTest(const RECT& window, POINT pt);

class NoteFrame : public TopLevelWindow {
 public:
  LRESULT WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;

 protected:
  // The body (control 267), known once the frame's creation has run, or
  // once the kind that made it tells the frame.
  HWND Body() const { return body_; }
  void SetBody(HWND body) { body_ = body; }

 private:
  enum ButtonIndex { kPin, kMinimize, kDblClick, kRemove, kMini, kMenu, kButtonCount };

  LRESULT OnCreate(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  void OnSize(HWND hwnd);
  bool OnSetText(HWND hwnd, const char* text);
  void PaintName(HWND hwnd, HDC dc);
  void PaintBorder(HWND hwnd);
  void OnNcActivate(HWND hwnd, bool active);
  void ApplyInactiveRegion(HWND hwnd, bool redraw);
  void ShowDeleteMenu(HWND hwnd);
  void ShowButtons(HWND hwnd);
  void GiveButtonTooltips(HWND hwnd);
  bool HasChildTooltips() const override { return tooltipsGiven_; }

  // The children are looked up once: finding a child by id asks the window
  // system for the whole list of children each time.
  HWND body_ = nullptr;
  HWND buttons_[kButtonCount] = {};
  // The buttons' tooltips come when the pointer first comes to the note or
  // its caption first shows: until then no one can see them, and each adds
  // to a list that every tool of the program is looked up in.
  bool tooltipsGiven_ = false;
  bool buttonsShown_ = false;
};

}  // namespace memo
