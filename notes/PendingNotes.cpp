// Window classes whose own behaviour is not part of the program yet: mini
// notes refuse to be created.
#include <windows.h>

#include "frame/ClassNames.h"
#include "frame/Messages.h"
#include "frame/WindowObject.h"

namespace memo {
namespace {

class RefusedWindow : public WindowObject, public virtual DropTarget {
 public:
  LRESULT WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_CREATE) return -1;
    return WindowObject::WindowProc(hwnd, message, wParam, lParam);
  }
};

const ClassRegistrar kMini(kClassMini, CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS, 0, &Dispatch<RefusedWindow>);

}  // namespace
}  // namespace memo
