// The browser note.
#include "notes/ItemWeb.h"

#include <algorithm>

#include "frame/ClassNames.h"
#include "frame/Colors.h"
#include "frame/Messages.h"
#include "frame/NoteMenu.h"
#include "frame/NoteWindows.h"
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
// As the text note's notices: a strip that asks to be read.
constexpr COLORREF kNoticeBackground = 0xB0E0FF;  // light orange
constexpr COLORREF kNoticeText = 0x000000;

constexpr char kUnloadedHead[] = "このアドレスは開かれていません：";
constexpr char kUnloadedTail[] = "（クリックして確認すると開きます）";

bool StartsWithAsciiNoCase(const std::string& text, const char* prefix) {
  size_t i = 0;
  for (; prefix[i]; ++i) {
    if (i >= text.size()) return false;
    char c = text[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != prefix[i]) return false;
  }
  return true;
}

// "about:blank", "about:home" and their like: a name, never markup or script
// that the browser would render as a page.
bool IsAboutPage(const std::string& url) {
  constexpr char kAbout[] = "about:";
  if (!StartsWithAsciiNoCase(url, kAbout)) return false;
  for (size_t i = sizeof(kAbout) - 1; i < url.size(); ++i) {
    char c = url[i];
    bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
    if (!plain) return false;
  }
  return true;
}

}  // namespace

bool LoadsUnasked(const std::string& url) {
  // An empty URL (no file, no key) loads nothing.
  return url.empty() || IsWebAddress(url) || IsAboutPage(url);
}

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
    case WM_SIZE: {
      LRESULT result = NoteFrame::WindowProc(hwnd, message, wParam, lParam);
      PlaceNotice(hwnd);
      return result;
    }
    case WM_CTLCOLORSTATIC:
      if (lParam && reinterpret_cast<HWND>(lParam) == notice_) {
        return OnCtlColorNotice(reinterpret_cast<HDC>(wParam));
      }
      break;
    case kMsgBrowserLoad:
      OnLoad(hwnd, wParam == kLoadConfirmed);
      return 0;
    case kMsgExtraPages:
      if (!lParam) return 0;
      *reinterpret_cast<const ExtraPage**>(lParam) = pages_;
      return 1;
    case WM_COMMAND:
      // A click on the notice leads to the one place where the address it
      // names can be confirmed.
      if (LOWORD(wParam) == kCmdEnterUrl ||
          (LOWORD(wParam) == kIdNotice && HIWORD(wParam) == STN_CLICKED && notice_)) {
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
  // Hidden until the stored URL is loaded; a notice over it is not painted
  // over.
  host_ = ::CreateWindowExA(0, kClassWebHost, nullptr, WS_CHILD | WS_CLIPSIBLINGS, 0, 0, 0, 0, hwnd,
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

void ItemWeb::OnLoad(HWND hwnd, bool confirmed) {
  if (!host_) return;
  ::ShowWindow(host_, SW_SHOWNA);
  std::string url = ReadShortcutUrl(NotePathOfWindow(hwnd));
  if (!confirmed && !LoadsUnasked(url)) {
    // The page stays as it is; the strip names what was not opened.
    ShowNotice(hwnd, kUnloadedHead + url + kUnloadedTail);
    return;
  }
  HideNotice();
  Navigate(url);
}

LRESULT ItemWeb::OnCtlColorNotice(HDC dc) {
  ::SetTextColor(dc, kNoticeText);
  ::SetBkColor(dc, kNoticeBackground);
  if (!noticeBrush_) noticeBrush_.reset(::CreateSolidBrush(kNoticeBackground));
  return reinterpret_cast<LRESULT>(noticeBrush_.get());
}

void ItemWeb::ShowNotice(HWND hwnd, const std::string& text) {
  if (!notice_) {
    // One line over the top of the body; the host clips it out of its own
    // painting. A URL has "&" often: no prefix characters.
    notice_ = ::CreateWindowExA(0, "STATIC", "", WS_CHILD | SS_LEFT | SS_NOTIFY | SS_NOPREFIX | SS_ENDELLIPSIS, 0,
                                0, 0, 0, hwnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdNotice)),
                                ::GetModuleHandleA(nullptr), nullptr);
    if (!notice_) return;
    ::SendMessageA(notice_, WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  }
  ::SetWindowTextA(notice_, text.c_str());
  ::ShowWindow(notice_, SW_SHOWNA);
  PlaceNotice(hwnd);
}

void ItemWeb::HideNotice() {
  if (notice_) ::ShowWindow(notice_, SW_HIDE);
}

void ItemWeb::PlaceNotice(HWND hwnd) {
  // By its own style: the note itself may be hidden still.
  if (!notice_ || !host_ || !(::GetWindowLongA(notice_, GWL_STYLE) & WS_VISIBLE)) return;
  RECT body{};
  ::GetWindowRect(host_, &body);
  ::MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&body), 2);
  TEXTMETRICA metrics{};
  WindowDC dc(notice_);
  if (dc.get()) {
    SelectScope font(dc.get(), reinterpret_cast<HFONT>(::SendMessageA(notice_, WM_GETFONT, 0, 0)));
    ::GetTextMetricsA(dc.get(), &metrics);
  }
  LONG height = std::min<LONG>(metrics.tmHeight + 4, body.bottom - body.top);
  ::SetWindowPos(notice_, HWND_TOP, body.left, body.top, body.right - body.left, height, SWP_NOACTIVATE);
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
  MenuAppendNoteCommands(menu.get());
  POINT at = ContextMenuPoint(point);
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
