// The calendar note: the system's month calendar in a note frame, coloured
// from the note's two colours. The note's file only names it.
#pragma once

#include <windows.h>

#include <array>

#include "frame/NoteFrame.h"

namespace memo {

struct CalendarPartColor {
  int part;  // MCSC_* index
  COLORREF color;
};

// The six calendar colours for background b and text t, in the order in
// which they are set: text, background, month background, title
// background (b + 7t) / 8, title text, trailing days (t + 2b) / 3, each
// channel on its own and rounded down.
std::array<CalendarPartColor, 6> CalendarColors(COLORREF background, COLORREF text);

class ItemCalendar : public NoteFrame {
 public:
  LRESULT WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  LRESULT OnCreate(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  void OnContextMenu(HWND hwnd, LPARAM point);
  void ApplyColors(HWND hwnd);
};

}  // namespace memo
