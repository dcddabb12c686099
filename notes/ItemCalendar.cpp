// The calendar note.
#include "notes/ItemCalendar.h"

#include <commctrl.h>

#include "frame/ClassNames.h"
#include "frame/CommonControls.h"
#include "frame/Colors.h"
#include "frame/Messages.h"
#include "frame/NoteMenu.h"
#include "resources/resource.h"
#include "store/Handles.h"
#include "store/WinText.h"

namespace memo {
namespace {

const ClassRegistrar kRegistrar(kClassCalendar, CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS, IDI_APP,
                                &Dispatch<ItemCalendar>);

constexpr DWORD kMaxSelectedDays = 400;

COLORREF Blend(COLORREF a, int weightA, COLORREF b, int weightB) {
  int sum = weightA + weightB;
  return RGB((GetRValue(a) * weightA + GetRValue(b) * weightB) / sum,
             (GetGValue(a) * weightA + GetGValue(b) * weightB) / sum,
             (GetBValue(a) * weightA + GetBValue(b) * weightB) / sum);
}

}  // namespace

std::array<CalendarPartColor, 6> CalendarColors(COLORREF background, COLORREF text) {
  return {{{MCSC_TEXT, text},
           {MCSC_BACKGROUND, background},
           {MCSC_MONTHBK, background},
           {MCSC_TITLEBK, Blend(background, 1, text, 7)},
           {MCSC_TITLETEXT, background},
           {MCSC_TRAILINGTEXT, Blend(text, 1, background, 2)}}};
}

LRESULT ItemCalendar::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      return OnCreate(hwnd, message, wParam, lParam);
    case WM_CONTEXTMENU:
      OnContextMenu(hwnd, lParam);
      return 0;
    case kMsgRedraw:
      ApplyColors(hwnd);
      break;
  }
  return NoteFrame::WindowProc(hwnd, message, wParam, lParam);
}

LRESULT ItemCalendar::OnCreate(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  SetColorProp(hwnd, kPropColorBG, 0xFFFFFF);
  SetColorProp(hwnd, kPropColorText, 0);
  EnsureCommonControls();
  HWND calendar = ::CreateWindowExA(0, MONTHCAL_CLASSA, nullptr, WS_CHILD | WS_VISIBLE | MCS_MULTISELECT, 0, 0,
                                    0, 0, hwnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdBody)),
                                    ::GetModuleHandleA(nullptr), nullptr);
  if (!calendar) {
    ShowError(hwnd, "Create MONTHCAL_CLASS failed");
    return -1;
  }
  DrawWithoutVisualStyle(calendar);
  ::SendMessageA(calendar, MCM_SETMAXSELCOUNT, kMaxSelectedDays, 0);
  return NoteFrame::WindowProc(hwnd, message, wParam, lParam);
}

void ItemCalendar::ApplyColors(HWND hwnd) {
  HWND calendar = Body();
  if (!calendar) return;
  for (const CalendarPartColor& part :
       CalendarColors(GetColorProp(hwnd, kPropColorBG), GetColorProp(hwnd, kPropColorText))) {
    ::SendMessageA(calendar, MCM_SETCOLOR, static_cast<WPARAM>(part.part), static_cast<LPARAM>(part.color));
  }
}

void ItemCalendar::OnContextMenu(HWND hwnd, LPARAM point) {
  UniqueMenu menu(::CreatePopupMenu());
  if (!menu) return;
  MenuAppendNoteCommands(menu.get());
  POINT at = ContextMenuPoint(point);
  ::TrackPopupMenuEx(menu.get(), TPM_RIGHTBUTTON, at.x, at.y, hwnd, nullptr);
}

}  // namespace memo
