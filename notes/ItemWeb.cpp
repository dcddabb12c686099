// The browser note.
#include "notes/ItemWeb.h"

#include "frame/ClassNames.h"
#include "frame/Colors.h"
#include "frame/Messages.h"
#include "notes/FavoritesMenu.h"
#include "notes/UrlPage.h"
#include "notes/WebHost.h"
#include "resources/resource.h"
#include "store/Settings.h"
#include "store/Store.h"
#include "store/WinText.h"

namespace memo {
namespace {

const ClassRegistrar kRegistrar(kClassBrowser, CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS, IDI_APP,
                                &Dispatch<ItemWeb>);

constexpr COLORREF kDefaultBackground = 0xF0F0F0;

}  // namespace

std::string ReadShortcutUrl(const std::string& path) {
  return IniReadString(path, kShortcutSection, kShortcutUrlKey, "", kShortcutUrlBuffer);
}

bool WriteShortcutUrl(const std::string& path, const std::string& url) {
  bool written = IniWriteString(path, kShortcutSection, kShortcutUrlKey, url.c_str());
  IniFlush(path);
  return written;
}

ItemWeb::ItemWeb() : pages_{{IDD_PAGE_URL, &UrlPageProc, ::GetModuleHandleA(nullptr)}} {}

LRESULT ItemWeb::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      return OnCreate(hwnd, message, wParam, lParam);
    case WM_DESTROY:
      if (host_) ::DestroyWindow(host_);
      host_ = nullptr;
      break;
    case WM_CLOSE: {
      // A page's own dialog (an alert, a print box) goes first: the note
      // must not vanish from under it.
      HWND popup = ::GetLastActivePopup(hwnd);
      if (popup && popup != hwnd) ::SendMessageA(popup, WM_CLOSE, 0, 0);
      break;
    }
    case WM_CONTEXTMENU:
      OnContextMenu(hwnd, lParam);
      return 0;
    case kMsgBrowserLoad:
      OnLoad(hwnd);
      return 0;
    case kMsgExtraPages:
      if (!lParam) return 0;
      *reinterpret_cast<const ExtraPage**>(lParam) = pages_;
      return 1;
    case WM_COMMAND:
      if (LOWORD(wParam) == kCmdEnterUrl) {
        OpenPropertySheet(hwnd, IDD_PAGE_URL);
        return 0;
      }
      break;
  }
  return NoteFrame::WindowProc(hwnd, message, wParam, lParam);
}

LRESULT ItemWeb::OnCreate(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  SetColorProp(hwnd, kPropColorText, 0);
  SetColorProp(hwnd, kPropColorBG, kDefaultBackground);
  // Hidden until the stored URL is loaded.
  host_ = ::CreateWindowExA(0, kClassWebHost, nullptr, WS_CHILD, 0, 0, 0, 0, hwnd,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdBody)), ::GetModuleHandleA(nullptr),
                            nullptr);
  if (!host_) {
    ShowError(hwnd, "Create WC_WWW failed");
    return -1;
  }
  Navigate("about:blank");
  // Loaded once the note is wholly made: the frame places it first.
  ::PostMessageA(hwnd, kMsgBrowserLoad, 0, 0);
  return NoteFrame::WindowProc(hwnd, message, wParam, lParam);
}

void ItemWeb::Navigate(const std::string& url) {
  if (host_) ::SendMessageA(host_, kMsgNavigate, 0, reinterpret_cast<LPARAM>(url.c_str()));
}

void ItemWeb::OnLoad(HWND hwnd) {
  if (!host_) return;
  ::ShowWindow(host_, SW_SHOWNA);
  Navigate(ReadShortcutUrl(NotePathOfWindow(hwnd)));
}

void ItemWeb::OnContextMenu(HWND hwnd, LPARAM point) {
  FavoritesMenu favorites;
  UniqueMenu menu(::CreatePopupMenu());
  if (!menu) return;
  ::AppendMenuA(menu.get(), MF_STRING, kCmdEnterUrl, "&URLを入力");
  HMENU favoritesMenu = ::CreatePopupMenu();
  if (favoritesMenu) {
    favorites.Build(favoritesMenu, FavoritesFolder());
    if (!::AppendMenuA(menu.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(favoritesMenu), "お気に入り(&F)")) {
      ::DestroyMenu(favoritesMenu);
    }
  }
  ::AppendMenuA(menu.get(), MF_SEPARATOR, 0, nullptr);
  ::AppendMenuA(menu.get(), MF_STRING, kCmdDuplicate, "複製(&D)");
  ::AppendMenuA(menu.get(), MF_SEPARATOR, 0, nullptr);
  ::AppendMenuA(menu.get(), MF_STRING, kCmdProperties, "プロパティ(&R)");
  POINT at{static_cast<short>(LOWORD(point)), static_cast<short>(HIWORD(point))};
  if (point == -1) ::GetCursorPos(&at);
  UINT chosen = static_cast<UINT>(
      ::TrackPopupMenuEx(menu.get(), TPM_RIGHTBUTTON | TPM_RETURNCMD, at.x, at.y, hwnd, nullptr));
  if (chosen == 0) return;
  if (chosen >= static_cast<UINT>(kCmdFirstFavorite) &&
      chosen - static_cast<UINT>(kCmdFirstFavorite) < favorites.EntryCount()) {
    // The favourite is shown, not stored: the note's own file keeps its URL.
    std::string shortcut = favorites.ShortcutOf(chosen);
    if (!shortcut.empty()) Navigate(ReadShortcutUrl(shortcut));
    return;
  }
  ::PostMessageA(hwnd, WM_COMMAND, chosen, 0);
}

}  // namespace memo
