// The note property sheet.
#include "frame/PropertySheet.h"

#include <commctrl.h>
#include <prsht.h>

#include <cstdio>
#include <string>
#include <vector>

#include "frame/ClassNames.h"
#include "frame/CommonControls.h"
#include "frame/Messages.h"
#include "frame/SheetPages.h"
#include "frame/SheetRules.h"
#include "resources/resource.h"
#include "store/WinText.h"

namespace memo {
namespace {

HWND gOpenSheet = nullptr;
bool gSheetRunning = false;

// More pages than this from the extra-pages message are taken as a fault of
// the window that answered.
constexpr LRESULT kMaxExtraPages = 8;

int CALLBACK SheetCallback(HWND sheet, UINT message, LPARAM) {
  // Known from the sheet's own start, whichever page it opens on, so that
  // no second sheet can open while the first one shows another page.
  if (message == PSCB_INITIALIZED) RememberOpenSheet(sheet);
  return 0;
}

PROPSHEETPAGEA Page(HINSTANCE instance, int templateId, DLGPROC procedure, HWND window) {
  PROPSHEETPAGEA page{};
  // The sheet walks the page array by each page's dwSize: it must be the
  // array's own element size, not that of an older version of the struct.
  page.dwSize = sizeof(PROPSHEETPAGEA);
  page.dwFlags = PSP_DEFAULT;
  page.hInstance = instance;
  page.pszTemplate = MAKEINTRESOURCEA(templateId);
  page.pfnDlgProc = procedure;
  page.lParam = reinterpret_cast<LPARAM>(window);
  return page;
}

std::string SheetCaptionOf(HWND window, HINSTANCE instance) {
  std::string title = HwndGetText(window);
  SheetCaption kind = SheetCaptionFor(static_cast<DWORD>(::GetWindowLongA(window, GWL_STYLE)), title);
  char format[128] = "";
  ::LoadStringA(instance, static_cast<UINT>(kind), format, sizeof(format));
  // The format holds one %s; the title goes in as an argument, never as
  // part of the format.
  std::vector<char> caption(sizeof(format) + title.size() + 1);
  std::snprintf(caption.data(), caption.size(), format, title.c_str());
  return caption.data();
}

}  // namespace

HWND OpenSheetWindow() { return gOpenSheet && ::IsWindow(gOpenSheet) ? gOpenSheet : nullptr; }

void RememberOpenSheet(HWND sheet) { gOpenSheet = sheet; }

INT_PTR OpenPropertySheet(HWND window, int startPage) {
  if (HWND open = OpenSheetWindow()) {
    ::MessageBeep(0);
    ::SetForegroundWindow(open);
    return 0;
  }
  // A request that comes in while the sheet is being built, before it has
  // a window, must not start a second one.
  if (gSheetRunning || !::IsWindow(window)) {
    ::MessageBeep(0);
    return 0;
  }
  HINSTANCE instance = ::GetModuleHandleA(nullptr);
  std::vector<PROPSHEETPAGEA> pages;
  std::vector<int> templates;
  auto add = [&](int templateId, DLGPROC procedure, HINSTANCE from) {
    pages.push_back(Page(from, templateId, procedure, window));
    templates.push_back(templateId);
  };
  add(IDD_PAGE_GENERAL, &GeneralPageProc, instance);
  if (!IsMiniNote(window)) add(IDD_PAGE_LAYOUT, &LayoutPageProc, instance);
  add(IDD_PAGE_COLOR, &ColorPageProc, instance);
  const ExtraPage* extra = nullptr;
  LRESULT extraCount = ::SendMessageA(window, kMsgExtraPages, 0, reinterpret_cast<LPARAM>(&extra));
  if (extra && extraCount > 0 && extraCount <= kMaxExtraPages) {
    for (LRESULT i = 0; i < extraCount; ++i) {
      if (extra[i].procedure) add(extra[i].templateId, extra[i].procedure, extra[i].instance);
    }
  }

  UINT start = 0;
  for (size_t i = 0; i < templates.size(); ++i) {
    if (startPage != 0 && templates[i] == startPage) start = static_cast<UINT>(i);
  }
  std::string caption = SheetCaptionOf(window, instance);

  PROPSHEETHEADERA header{};
  header.dwSize = PROPSHEETHEADERA_V1_SIZE;
  // The icon is handed over loaded and shared: from an icon id the sheet
  // loads an icon of its own each time it opens and (under Wine) never
  // destroys it, a USER object and its bitmaps lost per sheet.
  header.dwFlags = PSH_PROPSHEETPAGE | PSH_USEHICON | PSH_NOAPPLYNOW | PSH_USECALLBACK;
  header.hwndParent = window;
  header.hInstance = instance;
  header.hIcon = static_cast<HICON>(::LoadImageA(instance, MAKEINTRESOURCEA(IDI_APP), IMAGE_ICON,
                                                 ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON),
                                                 LR_SHARED));
  header.pszCaption = caption.c_str();
  header.nPages = static_cast<UINT>(pages.size());
  header.nStartPage = start;
  header.ppsp = pages.data();
  header.pfnCallback = &SheetCallback;

  gSheetRunning = true;
  INT_PTR result = late::PropertySheetA(&header);
  gSheetRunning = false;
  gOpenSheet = nullptr;
  return result;
}

}  // namespace memo
