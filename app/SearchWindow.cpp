// The search window.
#include "app/SearchWindow.h"

#include <commctrl.h>

#include <memory>
#include <new>
#include <string>
#include <vector>

#include "app/MainMenu.h"
#include "frame/CommonControls.h"
#include "frame/Geometry.h"
#include "frame/Messages.h"
#include "resources/resource.h"
#include "store/NoteSearch.h"
#include "store/Paths.h"
#include "store/Store.h"
#include "store/TextCodec.h"
#include "store/WinText.h"

namespace memo {
namespace {

constexpr wchar_t kThisProperty[] = L"this";
constexpr int kIdStatus = 1003;
constexpr int kWidth = 620;
constexpr int kHeight = 400;
constexpr int kQueryHeight = 24;
constexpr int kStatusHeight = 20;
constexpr int kMargin = 4;
// A slice of the search: short enough that a key typed meanwhile is taken
// at once, long enough that the timer's own cost stays small.
constexpr double kSliceMs = 25.0;
constexpr size_t kMaxBodyChars = size_t{64} * 1024 * 1024;

double NowMs() {
  static const LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    ::QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER count;
  ::QueryPerformanceCounter(&count);
  return static_cast<double>(count.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// Keys of the query box: Enter goes to the chosen row, Esc closes, the down
// arrow and Tab move to the list (the window is no dialog: nothing else
// moves the focus). The characters of Enter and Esc would beep.
LRESULT CALLBACK QueryProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
  auto previous = reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(edit, GWLP_USERDATA));
  HWND window = ::GetParent(edit);
  if (message == WM_KEYDOWN) {
    switch (wParam) {
      case VK_RETURN:
        ::SendMessageW(window, WM_COMMAND, IDOK, 0);
        return 0;
      case VK_ESCAPE:
        ::PostMessageW(window, WM_CLOSE, 0, 0);
        return 0;
      case VK_TAB:
      case VK_DOWN: {
        HWND list = ::GetDlgItem(window, kIdSearchList);
        ::SetFocus(list);
        if (::SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED) < 0) {
          LVITEMW item{};
          item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
          item.state = item.stateMask;
          ::SendMessageW(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&item));
        }
        return 0;
      }
    }
  }
  if (message == WM_CHAR && (wParam == L'\r' || wParam == 0x1B || wParam == L'\t')) return 0;
  return previous ? ::CallWindowProcW(previous, edit, message, wParam, lParam)
                  : ::DefWindowProcW(edit, message, wParam, lParam);
}

struct Row {
  std::wstring page;
  std::wstring note;
  std::wstring content;
};

class SearchWindow {
 public:
  explicit SearchWindow(HWND bar) : bar_(bar) {}
  LRESULT WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

 private:
  LRESULT OnCreate(HWND hwnd);
  void OnDestroy(HWND hwnd);
  void OnSize(HWND hwnd);
  void OnQueryChanged(HWND hwnd);
  void OnTimer(HWND hwnd);
  LRESULT OnNotify(HWND hwnd, const NMHDR* header);
  void OnGetDispInfo(NMLVDISPINFOW* info);
  // The chosen row, else the first; -1 when the list is empty.
  int ChosenRow() const;
  void GoTo(int row);
  void SelectMatch(HWND note, const SearchResult& result) const;
  void ShowRows();

  HWND bar_;
  HWND query_ = nullptr;
  HWND list_ = nullptr;
  HWND status_ = nullptr;
  SearchCache cache_;
  std::unique_ptr<SearchWalk> walk_;
  std::vector<std::wstring> words_;
  std::vector<Row> rows_;
};

LRESULT CALLBACK SearchProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* window = static_cast<SearchWindow*>(::GetPropW(hwnd, kThisProperty));
  if (!window) {
    if (message != WM_CREATE) return ::DefWindowProcW(hwnd, message, wParam, lParam);
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    window = new (std::nothrow) SearchWindow(static_cast<HWND>(create->lpCreateParams));
    if (!window) return -1;
    ::SetPropW(hwnd, kThisProperty, window);
  }
  LRESULT result = 0;
  try {
    result = window->WindowProc(hwnd, message, wParam, lParam);
  } catch (...) {
    result = message == WM_CREATE ? -1 : 0;
  }
  if (message == WM_NCDESTROY) {
    ::RemovePropW(hwnd, kThisProperty);
    delete window;  // the texts it read go with it
  }
  return result;
}

bool RegisterSearchClass() {
  static const ATOM atom = [] {
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &SearchProc;
    wc.hInstance = instance;
    wc.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(IDI_APP));
    wc.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClassSearch;
    return ::RegisterClassExW(&wc);
  }();
  return atom != 0;
}

HWND Child(HWND parent, DWORD exStyle, const wchar_t* cls, DWORD style, int id) {
  HWND child = ::CreateWindowExW(exStyle, cls, L"", WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleA(nullptr),
                                 nullptr);
  if (child) ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)), 0);
  return child;
}

void AddColumn(HWND list, int index, const char* title, int width) {
  std::wstring text = WideFromAnsi(title);
  LVCOLUMNW column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
  column.pszText = &text[0];
  column.cx = width;
  column.iSubItem = index;
  ::SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column));
}

LRESULT SearchWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      return OnCreate(hwnd);
    case WM_DESTROY:
      OnDestroy(hwnd);
      return 0;
    case WM_SIZE:
      OnSize(hwnd);
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE) ::SetFocus(query_);
      return 0;
    case WM_TIMER:
      if (wParam == kTimerSearch) OnTimer(hwnd);
      return 0;
    case WM_NOTIFYFORMAT:
      return NFR_UNICODE;
    case WM_NOTIFY:
      return OnNotify(hwnd, reinterpret_cast<const NMHDR*>(lParam));
    case WM_COMMAND:
      if (LOWORD(wParam) == kIdSearchQuery && HIWORD(wParam) == EN_CHANGE) OnQueryChanged(hwnd);
      if (LOWORD(wParam) == IDOK) GoTo(ChosenRow());
      return 0;
  }
  return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT SearchWindow::OnCreate(HWND hwnd) {
  if (!EnsureCommonControls()) return -1;
  query_ = Child(hwnd, WS_EX_CLIENTEDGE, L"EDIT", WS_TABSTOP | ES_AUTOHSCROLL, kIdSearchQuery);
  list_ = Child(hwnd, WS_EX_CLIENTEDGE, WC_LISTVIEWW,
                WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_OWNERDATA, kIdSearchList);
  status_ = Child(hwnd, 0, L"STATIC", SS_LEFT | SS_NOPREFIX | SS_CENTERIMAGE, kIdStatus);
  if (!query_ || !list_ || !status_) return -1;
  ::SetWindowLongPtrW(query_, GWLP_USERDATA,
                      ::SetWindowLongPtrW(query_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&QueryProc)));
  ::SendMessageW(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
  AddColumn(list_, 0, "ページ", 110);
  AddColumn(list_, 1, "付箋", 150);
  AddColumn(list_, 2, "内容", 330);
  return 0;
}

void SearchWindow::OnDestroy(HWND hwnd) {
  ::KillTimer(hwnd, kTimerSearch);
  walk_.reset();
}

void SearchWindow::OnSize(HWND hwnd) {
  RECT client;
  ::GetClientRect(hwnd, &client);
  int width = Width(client) - 2 * kMargin;
  int listTop = kMargin + kQueryHeight + kMargin;
  int statusTop = Height(client) - kStatusHeight;
  UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
  ::SetWindowPos(query_, nullptr, kMargin, kMargin, width, kQueryHeight, flags);
  ::SetWindowPos(list_, nullptr, kMargin, listTop, width, statusTop - listTop, flags);
  ::SetWindowPos(status_, nullptr, kMargin, statusTop, width, kStatusHeight, flags);
}

void SearchWindow::OnQueryChanged(HWND hwnd) {
  std::wstring query = HwndGetTextW(query_, kMaxBodyChars);
  words_ = SplitQuery(query);
  walk_ = std::make_unique<SearchWalk>(RootFolder(), query, &cache_);
  rows_.clear();
  LVITEMW none{};
  none.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  ::SendMessageW(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&none));
  ShowRows();
  // The first slice runs once the edit has finished its own work (and the
  // keys typed meanwhile): a timer message comes only to an empty queue.
  if (!walk_->Done()) ::SetTimer(hwnd, kTimerSearch, USER_TIMER_MINIMUM, nullptr);
}

void SearchWindow::OnTimer(HWND hwnd) {
  if (!walk_ || walk_->Done()) {
    ::KillTimer(hwnd, kTimerSearch);
    return;
  }
  double end = NowMs() + kSliceMs;
  bool done = walk_->Step([end] { return NowMs() < end; });
  ShowRows();
  if (done) ::KillTimer(hwnd, kTimerSearch);
}

void SearchWindow::ShowRows() {
  static const std::vector<SearchResult> kNone;
  const std::vector<SearchResult>& results = walk_ ? walk_->results() : kNone;
  for (size_t i = rows_.size(); i < results.size(); ++i) {
    const SearchResult& result = results[i];
    Row row;
    if (result.noteName.empty()) {
      row.note = WideFromAnsi(kProductName);  // a mini note of the bar
    } else {
      row.page = WideFromAnsi(result.page.empty() ? std::string(kCommonFolderName) : result.page);
      row.note = WideFromAnsi(Unquote(result.noteName));
    }
    row.content = result.snippet;
    rows_.push_back(std::move(row));
  }
  ::SendMessageW(list_, LVM_SETITEMCOUNT, rows_.size(), LVSICF_NOSCROLL);
  ::InvalidateRect(list_, nullptr, FALSE);
  std::string status;
  if (walk_ && !words_.empty()) {
    status = std::to_string(rows_.size()) + " 件" + (walk_->Done() ? "" : " (検索中...)");
  }
  ::SetWindowTextW(status_, WideFromAnsi(status).c_str());
}

LRESULT SearchWindow::OnNotify(HWND hwnd, const NMHDR* header) {
  if (header->idFrom != static_cast<UINT_PTR>(kIdSearchList)) return 0;
  switch (header->code) {
    case LVN_GETDISPINFOW:
      OnGetDispInfo(reinterpret_cast<NMLVDISPINFOW*>(const_cast<NMHDR*>(header)));
      return 0;
    case NM_DBLCLK: {
      int row = reinterpret_cast<const NMITEMACTIVATE*>(header)->iItem;
      if (row >= 0) GoTo(row);
      return 0;
    }
    case NM_RETURN:
      GoTo(ChosenRow());
      return 0;
    case LVN_KEYDOWN: {
      WORD key = reinterpret_cast<const NMLVKEYDOWN*>(header)->wVKey;
      if (key == VK_ESCAPE) ::PostMessageW(hwnd, WM_CLOSE, 0, 0);
      if (key == VK_TAB) ::SetFocus(query_);
      return 0;
    }
  }
  return 0;
}

void SearchWindow::OnGetDispInfo(NMLVDISPINFOW* info) {
  LVITEMW& item = info->item;
  if (!(item.mask & LVIF_TEXT) || item.iItem < 0 || static_cast<size_t>(item.iItem) >= rows_.size() ||
      !item.pszText || item.cchTextMax <= 0) {
    return;
  }
  const Row& row = rows_[static_cast<size_t>(item.iItem)];
  const std::wstring& text = item.iSubItem == 0 ? row.page : item.iSubItem == 1 ? row.note : row.content;
  lstrcpynW(item.pszText, text.c_str(), item.cchTextMax);
}

int SearchWindow::ChosenRow() const {
  if (rows_.empty()) return -1;
  LRESULT selected = ::SendMessageW(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED);
  return selected >= 0 && static_cast<size_t>(selected) < rows_.size() ? static_cast<int>(selected) : 0;
}

void SearchWindow::GoTo(int row) {
  if (!walk_ || row < 0 || static_cast<size_t>(row) >= walk_->results().size()) return;
  // A copy: switching the page runs the message loop of its notes' opening.
  SearchResult result = walk_->results()[static_cast<size_t>(row)];
  if (result.noteName.empty()) {
    // The bar's own mini notes show with it.
    ::SetForegroundWindow(bar_);
    return;
  }
  if (!result.page.empty() && HwndGetText(bar_) != result.page) {
    ::SetWindowTextA(bar_, result.page.c_str());
    if (HwndGetText(bar_) != result.page) return;  // refused, and said why
  }
  HWND note = ShowNote(result.noteName);
  if (!note) return;
  ::SetForegroundWindow(note);
  ::BringWindowToTop(note);
  if (result.kind == NoteKind::kText && result.field == SearchField::kBody) SelectMatch(note, result);
}

void SearchWindow::SelectMatch(HWND note, const SearchResult& result) const {
  HWND body = ::GetDlgItem(note, kIdBody);
  if (!body || result.word >= words_.size()) return;
  // Found again in the body as it is: the control holds the text with CR LF
  // line ends and in UTF-16, whatever the file had.
  std::wstring text = HwndGetTextW(body, kMaxBodyChars);
  size_t lineStart = 0;
  for (size_t line = 0; line < result.line; ++line) {
    size_t lineFeed = text.find(L'\n', lineStart);
    if (lineFeed == std::wstring::npos) break;
    lineStart = lineFeed + 1;
  }
  TextMatch match;
  if (!FindWordIn(text, words_[result.word], lineStart, &match)) return;
  ::SetFocus(body);
  ::SendMessageW(body, EM_SETSEL, static_cast<WPARAM>(match.at), static_cast<LPARAM>(match.at + match.length));
  ::SendMessageW(body, EM_SCROLLCARET, 0, 0);
}

}  // namespace

HWND OpenSearchWindow(HWND bar) {
  for (HWND open = ::FindWindowW(kClassSearch, nullptr); open; open = ::FindWindowExW(nullptr, open, kClassSearch, nullptr)) {
    if (::GetWindowThreadProcessId(open, nullptr) != ::GetCurrentThreadId()) continue;
    if (::IsIconic(open)) ::ShowWindow(open, SW_RESTORE);
    ::SetForegroundWindow(open);
    ::BringWindowToTop(open);
    HWND query = ::GetDlgItem(open, kIdSearchQuery);
    ::SetFocus(query);
    ::SendMessageW(query, EM_SETSEL, 0, -1);
    return open;
  }
  if (!RegisterSearchClass()) return nullptr;
  RECT workArea{};
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0);
  int x = workArea.left + (Width(workArea) - kWidth) / 2;
  int y = workArea.top + (Height(workArea) - kHeight) / 3;
  HWND hwnd = ::CreateWindowExW(0, kClassSearch, WideFromAnsi("付箋を検索").c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                                x, y, kWidth, kHeight, nullptr, nullptr, ::GetModuleHandleA(nullptr), bar);
  if (!hwnd) return nullptr;
  ::ShowWindow(hwnd, SW_SHOWNORMAL);
  ::SetForegroundWindow(hwnd);
  ::SetFocus(::GetDlgItem(hwnd, kIdSearchQuery));
  return hwnd;
}

void CloseSearchWindow() {
  for (HWND open = ::FindWindowW(kClassSearch, nullptr); open; open = ::FindWindowExW(nullptr, open, kClassSearch, nullptr)) {
    if (::GetWindowThreadProcessId(open, nullptr) == ::GetCurrentThreadId()) {
      ::DestroyWindow(open);
      return;
    }
  }
}

}  // namespace memo
