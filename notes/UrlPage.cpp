// The browser note's URL page.
#include "notes/UrlPage.h"

#include <commdlg.h>

#include <string>

#include "frame/Messages.h"
#include "frame/NoteWindows.h"
#include "frame/SheetPages.h"
#include "notes/ItemWeb.h"
#include "resources/resource.h"
#include "store/FileSystem.h"
#include "store/LateLibrary.h"
#include "store/Store.h"
#include "store/WinText.h"

namespace memo {
namespace {

constexpr const char* kListedUrls[] = {"about:home", "about:blank"};

HWND UrlField(HWND page) { return ::GetDlgItem(page, IDC_URL_TEXT); }

void Fill(HWND page) {
  HWND note = PageTarget(page);
  HWND field = UrlField(page);
  ::SetWindowTextA(field, ReadShortcutUrl(NotePathOfWindow(note)).c_str());
  for (const char* url : kListedUrls) ::SendMessageA(field, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(url));
  LimitPageControls(page);
}

// The sheet applies pages in order: a rename on the General page has
// already happened, so the path is taken now, not when the page opened.
void Apply(HWND page) {
  HWND note = PageTarget(page);
  std::string path = NotePathOfWindow(note);
  if (path.empty()) return;
  if (!WriteShortcutUrl(path, HwndGetText(UrlField(page)))) {
    // The note would go on showing a URL that its file does not hold.
    ShowError(page, "URLを保存できませんでした", path);
    return;
  }
  // OK here is the user's own word for the address, whatever it names.
  ::SendMessageA(note, kMsgBrowserLoad, kLoadConfirmed, 0);
}

void ChooseFile(HWND page) {
  char file[MAX_PATH] = "";
  std::string current = HwndGetText(UrlField(page));
  if (current.size() < sizeof(file) && PathExists(current)) {
    current.copy(file, current.size());
  }
  // Two NULs end the filter list.
  static const char kFilter[] = "All files(*.*)\0*.*\0";
  OPENFILENAMEA ofn{};
  ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
  ofn.hwndOwner = page;
  ofn.lpstrFilter = kFilter;
  ofn.lpstrFile = file;
  ofn.nMaxFile = sizeof(file);
  ofn.Flags = OFN_EXPLORER | OFN_NOREADONLYRETURN | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR |
              OFN_HIDEREADONLY;
  if (late::GetOpenFileNameA(&ofn)) ::SetWindowTextA(UrlField(page), file);
}

// The host's window text is the URL of its last completed navigation.
void TakeShownUrl(HWND page) {
  HWND host = ::GetDlgItem(PageTarget(page), kIdBody);
  if (host) ::SetWindowTextA(UrlField(page), HwndGetText(host).c_str());
}

}  // namespace

INT_PTR CALLBACK UrlPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
    try {
      switch (LOWORD(wParam)) {
        case IDC_URL_BROWSE:
          ChooseFile(page);
          return TRUE;
        case IDC_URL_CURRENT:
          TakeShownUrl(page);
          return TRUE;
      }
    } catch (...) {
    }
    return FALSE;
  }
  return FillAndApplyPageProc(page, message, lParam, &Fill, &Apply);
}

}  // namespace memo
