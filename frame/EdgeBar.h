// The edge bar: the small tab on an edge of the work area that stands for a
// minimized note. Hovering shows the note's name; passing over it and out
// across a long side, a double click or a drag onto it restores the note;
// dragging it slides it, and the hidden note with it, along the edge; its
// context menu is the note's.
//
// How to use: create a window of class Memopane-Bar with the note's window
// handle as creation parameter (see MinimizeToEdge); it places itself.
#pragma once

#include <windows.h>

#include <string>

#include "frame/WindowObject.h"

namespace memo {

class EdgeBar : public WindowObject, public virtual DropTarget {
 public:
  LRESULT WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;
  // The bar's text and tooltip take the note's name again.
  void FollowNoteName(HWND hwnd);
  HWND Note() const { return note_; }

 private:
  LRESULT OnCreate(HWND hwnd, const CREATESTRUCTA& create);
  void OnDestroy(HWND hwnd);
  void OnMouseMove(HWND hwnd);
  // The cursor may have left the bar: restore when it left across a long
  // side (unless the note is restored by double click only).
  void OnLeave(HWND hwnd);
  // The bar drags itself with its own capture: the system's move loop
  // can lose the capture halfway and then run on, swallowing the quit.
  void OnLButtonDown(HWND hwnd);
  void OnDrag(HWND hwnd);
  void EndDrag(HWND hwnd);
  void OnMove(HWND hwnd);
  void OnRestore(HWND hwnd, bool animate);
  LRESULT OnDropQuery(HWND hwnd, WPARAM wParam, LPARAM lParam);
  void Place(HWND hwnd);
  void Paint(HWND hwnd, HDC dc);
  DWORD NoteStyle() const;

  HWND note_ = nullptr;
  std::string title_;  // the tooltip's text: must live as long as the tool
  bool placing_ = false;
  bool restored_ = false;
  bool dragging_ = false;
  RECT dragFrom_{};  // the bar at the press
  RECT dragClip_{};  // where the cursor counts while dragging
};

// A note that was renamed, while minimized from its bar's menu, say: its
// bar, if it has one, shows the new name.
void EdgeBarFollowNoteName(HWND note);

}  // namespace memo
