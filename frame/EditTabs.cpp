// The tab stop of the edit controls that hold a note's text.
#include "frame/EditTabs.h"

namespace memo {

void EditSetTabStop(HWND edit, int dialogUnits) {
  ::SendMessageA(edit, EM_SETTABSTOPS, 1, reinterpret_cast<LPARAM>(&dialogUnits));
}

void EditReleaseTabStops(HWND edit) {
  // No stops at all: the control frees the old ones and keeps none.
  if (edit) ::SendMessageA(edit, EM_SETTABSTOPS, 0, 0);
}

}  // namespace memo
