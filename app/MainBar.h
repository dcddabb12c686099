// The main bar: the program's one permanent window, a thin topmost strip
// with the current page's name.
#pragma once

#include "frame/WindowObject.h"

namespace memo {

class MainBar : public WindowObject, public virtual DropTarget {
 public:
  LRESULT WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  LRESULT OnCreate(HWND hwnd);
  void OnDestroy(HWND hwnd);
  void Paint(HWND hwnd, HDC dc);
  LRESULT OnCommand(HWND hwnd, int id);
};

}  // namespace memo
