// The note property sheet.
#include "frame/PropertySheet.h"

namespace memo {
namespace {

HWND gOpenSheet = nullptr;

}  // namespace

HWND OpenSheetWindow() { return gOpenSheet && ::IsWindow(gOpenSheet) ? gOpenSheet : nullptr; }

INT_PTR OpenPropertySheet(HWND window, int startPage) {
  if (HWND open = OpenSheetWindow()) {
    ::MessageBeep(0);
    ::SetForegroundWindow(open);
    return 0;
  }
  // The sheet's pages (general, layout, colour) are not part of the program
  // yet; the request opens nothing.
  (void)window;
  (void)startPage;
  return 0;
}

}  // namespace memo
