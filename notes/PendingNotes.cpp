// Window classes whose own behaviour is not part of the program yet.
//
// Folder, image and calendar notes show their frame with an empty
// body, so that their notes can already be created, moved, renamed and
// deleted. Edge bars and mini notes refuse to be created: a note that cannot
// be restored from an edge bar must not be hidden behind one.
#include <windows.h>

#include "frame/ClassNames.h"
#include "frame/Colors.h"
#include "frame/Messages.h"
#include "frame/NoteFrame.h"
#include "resources/resource.h"

namespace memo {
namespace {

template <COLORREF kBackground>
class PlainNote : public NoteFrame {
 public:
  LRESULT WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_CREATE) {
      SetColorProp(hwnd, kPropColorText, 0);
      SetColorProp(hwnd, kPropColorBG, kBackground);
      ::CreateWindowExA(0, "STATIC", nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, hwnd,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdBody)), ::GetModuleHandleA(nullptr),
                        nullptr);
    }
    if (message == WM_CONTEXTMENU) return 0;
    return NoteFrame::WindowProc(hwnd, message, wParam, lParam);
  }
};

class RefusedWindow : public WindowObject, public virtual DropTarget {
 public:
  LRESULT WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_CREATE) return -1;
    return WindowObject::WindowProc(hwnd, message, wParam, lParam);
  }
};

constexpr UINT kNoteClassStyle = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;

const ClassRegistrar kFolder(kClassFolder, kNoteClassStyle, IDI_APP, &Dispatch<PlainNote<0xFFF0F0>>);
const ClassRegistrar kImage(kClassImage, kNoteClassStyle, IDI_APP, &Dispatch<PlainNote<0xF0F0F0>>);
const ClassRegistrar kCalendar(kClassCalendar, kNoteClassStyle, IDI_APP, &Dispatch<PlainNote<0xFFFFFF>>);
const ClassRegistrar kEdgeBar(kClassEdgeBar, kNoteClassStyle, IDI_APP, &Dispatch<RefusedWindow>);
const ClassRegistrar kMini(kClassMini, kNoteClassStyle, 0, &Dispatch<RefusedWindow>);

}  // namespace
}  // namespace memo
