// The screen capture of image notes: a full-screen window showing a frozen
// picture of the screen, over which the user drags a rectangle; the
// rectangle is written as a 24-bit bitmap file (a PNG file for a PNG note)
// and put into the image note.
#pragma once

#include <windows.h>

#include <array>
#include <string>

#include "frame/WindowObject.h"
#include "store/Handles.h"

namespace memo {

constexpr char kClassCapture[] = "WC_CAPTURE";

// The rectangle between two corners in any order, right and bottom exclusive.
RECT OrderedRect(POINT a, POINT b);
// The four one-pixel strips of the outline of r, each inverted once: top,
// left, bottom, right.
std::array<RECT, 4> OutlineStrips(const RECT& r);

// Opens the capture window for an image view (its parent is the note).
HWND OpenCapture(HWND imageView);

class Capture : public WindowObject, public virtual DropTarget {
 public:
  LRESULT WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  LRESULT OnCreate(HWND hwnd, const CREATESTRUCTA& create);
  void OnMouseMove(HWND hwnd, POINT pt);
  void OnCaptureChanged(HWND hwnd);
  void ToggleOutline(HWND hwnd);
  bool WriteSelection(const RECT& r, const std::string& path, bool png);

  HWND view_ = nullptr;
  POINT anchor_{};
  POINT current_{};
  bool dragging_ = false;
  UniqueBitmap frozen_;
};

}  // namespace memo
