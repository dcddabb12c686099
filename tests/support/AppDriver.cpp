// Drives the real memopane.exe from a test.
#include "tests/support/AppDriver.h"

#include <tlhelp32.h>

#include <algorithm>
#include <commctrl.h>
#include <thread>
#include <vector>

#include "tests/support/TestFiles.h"

namespace memo::test {

bool WaitUntil(const std::function<bool()>& cond, DWORD ms) {
  DWORD start = ::GetTickCount();
  for (;;) {
    if (cond()) return true;
    if (::GetTickCount() - start >= ms) return cond();
    PumpFor(20);
  }
}

void PumpFor(DWORD ms) {
  DWORD start = ::GetTickCount();
  do {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageA(&msg);
    }
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  } while (::GetTickCount() - start < ms);
}

std::string MemopaneExe() {
  char self[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string path = self;
  return path.substr(0, path.find_last_of('\\') + 1) + "memopane.exe";
}

void KillStrayCopies() {
  HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = ::Process32First(snapshot, &entry); more; more = ::Process32Next(snapshot, &entry)) {
    if (lstrcmpiA(entry.szExeFile, "memopane.exe") != 0) continue;
    if (HANDLE p = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID)) {
      ::TerminateProcess(p, 99);
      ::WaitForSingleObject(p, 5000);
      ::CloseHandle(p);
    }
  }
  ::CloseHandle(snapshot);
}

namespace {

BOOL CALLBACK AddWindow(HWND hwnd, LPARAM lParam) {
  reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(hwnd);
  return TRUE;
}

}  // namespace

std::vector<HWND> TopLevelWindows() {
  std::vector<HWND> windows;
  ::EnumWindows(AddWindow, reinterpret_cast<LPARAM>(&windows));
  return windows;
}

std::string WindowText(HWND hwnd) {
  // WM_GETTEXT crosses processes; the buffer is ours, as long as the text
  // (a note's body can hold megabytes).
  DWORD_PTR length = 0;
  ::SendMessageTimeoutA(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length);
  std::vector<char> buffer(std::max<size_t>(length + 1, 1024));
  ::SendMessageTimeoutA(hwnd, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()),
                        SMTO_ABORTIFHUNG, 5000, nullptr);
  return buffer.data();
}

std::string ClassOf(HWND hwnd) {
  char buffer[256] = {};
  ::GetClassNameA(hwnd, buffer, sizeof(buffer));
  return buffer;
}

RECT WindowRect(HWND hwnd) {
  RECT r{};
  ::GetWindowRect(hwnd, &r);
  return r;
}

RECT WorkArea() {
  RECT r{};
  ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &r, 0);
  return r;
}

namespace {

// Whether an icon control of another process shows a system icon. Icon
// handles do not compare across processes, so the pixels on screen are
// compared with the icon drawn here on the same background.
bool ShowsSystemIcon(HWND control, LPCSTR systemIcon) {
  RECT r = WindowRect(control);
  int w = r.right - r.left, h = r.bottom - r.top;
  if (w <= 0 || h <= 0) return false;
  HDC screen = ::GetDC(nullptr);
  HDC shown = ::CreateCompatibleDC(screen);
  HDC drawn = ::CreateCompatibleDC(screen);
  HBITMAP shownBits = ::CreateCompatibleBitmap(screen, w, h);
  HBITMAP drawnBits = ::CreateCompatibleBitmap(screen, w, h);
  HGDIOBJ oldShown = ::SelectObject(shown, shownBits);
  HGDIOBJ oldDrawn = ::SelectObject(drawn, drawnBits);
  ::BitBlt(shown, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
  HBRUSH background = ::CreateSolidBrush(::GetPixel(shown, 0, 0));
  RECT all{0, 0, w, h};
  ::FillRect(drawn, &all, background);
  ::DeleteObject(background);
  ::DrawIconEx(drawn, 0, 0, ::LoadIconA(nullptr, systemIcon), 0, 0, 0, nullptr, DI_NORMAL);
  bool same = true;
  for (int y = 0; y < h && same; ++y) {
    for (int x = 0; x < w && same; ++x) same = ::GetPixel(shown, x, y) == ::GetPixel(drawn, x, y);
  }
  ::SelectObject(shown, oldShown);
  ::SelectObject(drawn, oldDrawn);
  ::DeleteObject(shownBits);
  ::DeleteObject(drawnBits);
  ::DeleteDC(shown);
  ::DeleteDC(drawn);
  ::ReleaseDC(nullptr, screen);
  return same;
}

}  // namespace

DialogInfo ReadDialog(HWND dialog) {
  DialogInfo info;
  info.hwnd = dialog;
  info.title = WindowText(dialog);
  info.owner = ::GetWindow(dialog, GW_OWNER);
  for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    std::string cls = ClassOf(child);
    LONG style = ::GetWindowLongA(child, GWL_STYLE);
    if (lstrcmpiA(cls.c_str(), "Button") == 0) {
      info.buttons.emplace_back(::GetDlgCtrlID(child), WindowText(child));
    } else if (lstrcmpiA(cls.c_str(), "Static") == 0) {
      if ((style & SS_TYPEMASK) == SS_ICON) {
        info.errorIcon = info.errorIcon || ShowsSystemIcon(child, reinterpret_cast<LPCSTR>(IDI_HAND));
        info.questionIcon =
            info.questionIcon || ShowsSystemIcon(child, reinterpret_cast<LPCSTR>(IDI_QUESTION));
        continue;
      }
      std::string text = WindowText(child);
      if (text.empty()) continue;
      if (!info.text.empty()) info.text += "\n";
      info.text += text;
    }
  }
  return info;
}

LRESULT SetText(HWND hwnd, const std::string& text, DWORD ms) {
  DWORD_PTR result = FALSE;
  if (!::SendMessageTimeoutA(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_NORMAL,
                             ms, &result)) {
    return FALSE;
  }
  return static_cast<LRESULT>(result);
}

struct AsyncSetText::State {
  HWND hwnd;
  std::string text;
  volatile LONG done = 0;
  LRESULT result = 0;
};

AsyncSetText::AsyncSetText(HWND hwnd, std::string text) : state_(std::make_shared<State>()) {
  state_->hwnd = hwnd;
  state_->text = std::move(text);
  auto* held = new std::shared_ptr<State>(state_);
  thread_ = ::CreateThread(nullptr, 0, Send, held, 0, nullptr);
  if (!thread_) {
    delete held;
    state_->done = 1;
  }
}

DWORD WINAPI AsyncSetText::Send(LPVOID param) {
  std::unique_ptr<std::shared_ptr<State>> state(static_cast<std::shared_ptr<State>*>(param));
  State& s = **state;
  DWORD_PTR result = FALSE;
  if (::SendMessageTimeoutA(s.hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(s.text.c_str()), SMTO_NORMAL,
                            60000, &result)) {
    s.result = static_cast<LRESULT>(result);
  }
  ::InterlockedExchange(&s.done, 1);
  return 0;
}

AsyncSetText::~AsyncSetText() {
  if (!thread_) return;
  ::WaitForSingleObject(thread_, 65000);
  ::CloseHandle(thread_);
}

bool AsyncSetText::Done() const { return ::InterlockedCompareExchange(&state_->done, 0, 0) != 0; }

std::optional<LRESULT> AsyncSetText::Wait(DWORD ms) {
  if (!WaitUntil([&] { return Done(); }, ms)) return std::nullopt;
  return state_->result;
}

std::vector<std::string> ComboItems(HWND combo) {
  std::vector<std::string> items;
  DWORD_PTR count = 0;
  if (!::SendMessageTimeoutA(combo, CB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, 5000, &count)) return items;
  for (DWORD_PTR i = 0; i < count && static_cast<LRESULT>(count) != CB_ERR; ++i) {
    char buffer[1024] = {};
    DWORD_PTR length = 0;
    ::SendMessageTimeoutA(combo, CB_GETLBTEXTLEN, i, 0, SMTO_ABORTIFHUNG, 5000, &length);
    if (length >= sizeof(buffer)) {
      items.emplace_back("<too long>");
      continue;
    }
    ::SendMessageTimeoutA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG,
                          5000, nullptr);
    items.emplace_back(buffer);
  }
  return items;
}

int ComboSelection(HWND combo) {
  DWORD_PTR selected = static_cast<DWORD_PTR>(CB_ERR);
  ::SendMessageTimeoutA(combo, CB_GETCURSEL, 0, 0, SMTO_ABORTIFHUNG, 5000, &selected);
  return static_cast<int>(static_cast<LRESULT>(selected));
}

void MouseMoveTo(int x, int y) {
  // Absolute coordinates run from 0 to 65535 over the primary screen.
  int w = ::GetSystemMetrics(SM_CXSCREEN), h = ::GetSystemMetrics(SM_CYSCREEN);
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dx = static_cast<LONG>((static_cast<LONGLONG>(x) * 65536 + w / 2) / w);
  input.mi.dy = static_cast<LONG>((static_cast<LONGLONG>(y) * 65536 + h / 2) / h);
  input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  ::SendInput(1, &input, sizeof(input));
}

void MouseLeft(bool down) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
  ::SendInput(1, &input, sizeof(input));
}

bool XPointer(const std::string& commands, DWORD ms) {
  if (::GetFileAttributesA("Z:\\usr\\bin\\xdotool") == INVALID_FILE_ATTRIBUTES) return false;
  return RunUnixShell("xdotool " + commands, ms);
}

std::string UnixPath(const std::string& path) {
  using UnixName = char*(CDECL*)(const wchar_t*);
  auto unixName = reinterpret_cast<UnixName>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  wchar_t wide[MAX_PATH] = {};
  if (!unixName || !::MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH)) return "";
  char* name = unixName(wide);
  if (!name) return "";
  std::string result(name);
  ::HeapFree(::GetProcessHeap(), 0, name);
  return result;
}

bool RunUnixShell(const std::string& commandLine, DWORD ms) {
  if (!RunningUnderWine()) return false;
  // Wine starts a Unix program but hands back no process to wait for: the
  // shell leaves a file when the command is done.
  static int runs = 0;
  std::string done = "/tmp/memopane-xdo-" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(++runs);
  std::string doneDos = "Z:" + done;
  std::replace(doneDos.begin(), doneDos.end(), '/', '\\');
  std::string command = "Z:\\bin\\sh -c \"" + commandLine + "; : > " + done + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  if (!::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
    return false;
  }
  if (info.hProcess) ::CloseHandle(info.hProcess);
  if (info.hThread) ::CloseHandle(info.hThread);
  bool finished = WaitUntil([&] { return ::GetFileAttributesA(doneDos.c_str()) != INVALID_FILE_ATTRIBUTES; }, ms);
  ::DeleteFileA(doneDos.c_str());
  return finished;
}

bool RunningUnderWine() {
  HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
  return ntdll && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

UnmanagedWindowsScope::UnmanagedWindowsScope(const char* program)
    : key_(std::string("Software\\Wine\\AppDefaults\\") + program + "\\X11 Driver") {
  if (!RunningUnderWine()) return;
  guard_.emplace(key_.c_str(), "Managed");
  RegSet(key_.c_str(), "Managed", "N");
}

AppDriver::AppDriver(Others others) {
  if (others == kEndOthers) KillStrayCopies();
}

AppDriver::~AppDriver() { Kill(); }

bool AppDriver::Start(int showCommand) {
  Kill();
  std::string exe = program_.empty() ? MemopaneExe() : program_;
  STARTUPINFOA si{};
  si.cb = sizeof(si);
  si.dwFlags = STARTF_USESHOWWINDOW;
  si.wShowWindow = static_cast<WORD>(showCommand);
  PROCESS_INFORMATION pi{};
  std::string commandLine = "\"" + exe + "\"";
  if (!::CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        TempDir().c_str(), &si, &pi)) {
    return false;
  }
  ::CloseHandle(pi.hThread);
  process_ = pi.hProcess;
  pid_ = pi.dwProcessId;
  return true;
}

bool AppDriver::StartWithRoot(const std::string& root, bool splash) {
  RegSet("Software\\Quendra\\Memopane", "RootPath2", root);
  std::string ini = Join(root, "root.ini");
  if (IniGet(ini, "Info", "Splash", "").empty()) IniSet(ini, "Info", "Splash", splash ? "1" : "0");
  if (IniGet(ini, "Info", "AutoRun", "").empty()) IniSet(ini, "Info", "AutoRun", "0");
  return Start();
}

bool AppDriver::Running() const {
  return process_ && ::WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

std::vector<HWND> AppDriver::Windows(const char* className, const char* title,
                                     bool visibleOnly) const {
  std::vector<HWND> found;
  for (HWND hwnd : TopLevelWindows()) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    if (pid != pid_) continue;
    if (visibleOnly && !::IsWindowVisible(hwnd)) continue;
    if (className && ClassOf(hwnd) != className) continue;
    if (title && WindowText(hwnd) != title) continue;
    found.push_back(hwnd);
  }
  return found;
}

HWND AppDriver::FindWindowOf(const char* className, const char* title) const {
  std::vector<HWND> found = Windows(className, title);
  return found.empty() ? nullptr : found.front();
}

HWND AppDriver::WaitWindow(const char* className, const char* title, DWORD ms) {
  HWND found = nullptr;
  WaitUntil([&] { return (found = FindWindowOf(className, title)) != nullptr || !Running(); }, ms);
  return found;
}

HWND AppDriver::WaitMainBar(DWORD ms) { return WaitWindow("Memopane-Main", nullptr, ms); }

HWND AppDriver::WaitMainBarVisible(DWORD ms) {
  HWND bar = nullptr;
  WaitUntil(
      [&] {
        bar = FindWindowOf("Memopane-Main");
        return (bar && ::IsWindowVisible(bar)) || !Running();
      },
      ms);
  return bar && ::IsWindowVisible(bar) ? bar : nullptr;
}

std::optional<DialogInfo> AppDriver::WaitDialog(DWORD ms, const char* title) {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        for (HWND hwnd : Windows("#32770", title, true)) {
          found = hwnd;
          return true;
        }
        return !Running();
      },
      ms);
  if (!found) return std::nullopt;
  // Let the dialog finish WM_INITDIALOG before its texts are read.
  PumpFor(100);
  return ReadDialog(found);
}

bool AppDriver::Answer(const DialogInfo& dialog, int buttonId) {
  HWND button = ::GetDlgItem(dialog.hwnd, buttonId);
  return ::PostMessageA(dialog.hwnd, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
                        reinterpret_cast<LPARAM>(button)) != FALSE;
}

bool AppDriver::NoDialogFor(DWORD ms) {
  return !WaitUntil([&] { return !Windows("#32770", nullptr, true).empty(); }, ms);
}

std::vector<HWND> AppDriver::NoteWindows() const {
  std::vector<HWND> notes;
  for (const char* cls : {"Memopane-Text", "Memopane-Folder", "Memopane-Browser", "Memopane-Calender",
                          "Memopane-Image"}) {
    for (HWND hwnd : Windows(cls)) notes.push_back(hwnd);
  }
  return notes;
}

std::vector<std::string> AppDriver::NoteTitles() const {
  std::vector<std::string> titles;
  for (HWND hwnd : NoteWindows()) titles.push_back(WindowText(hwnd));
  std::sort(titles.begin(), titles.end());
  return titles;
}

DWORD AppDriver::WaitExit(DWORD ms) {
  if (!process_) return STILL_ACTIVE;
  if (::WaitForSingleObject(process_, ms) != WAIT_OBJECT_0) return STILL_ACTIVE;
  DWORD code = STILL_ACTIVE;
  ::GetExitCodeProcess(process_, &code);
  return code;
}

DWORD AppDriver::Quit(DWORD ms) {
  if (HWND bar = FindWindowOf("Memopane-Main")) ::PostMessageA(bar, WM_CLOSE, 0, 0);
  DWORD code = WaitExit(ms);
  if (code == STILL_ACTIVE) Kill();
  return code;
}

void AppDriver::Kill() {
  if (!process_) return;
  if (::WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
    ::TerminateProcess(process_, 99);
    ::WaitForSingleObject(process_, 5000);
  }
  ::CloseHandle(process_);
  process_ = nullptr;
  pid_ = 0;
}

HWND VisibleDialogOfThisProcess() {
  for (HWND hwnd : TopLevelWindows()) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    if (pid == ::GetCurrentProcessId() && ::IsWindowVisible(hwnd) && ClassOf(hwnd) == "#32770") return hwnd;
  }
  return nullptr;
}

int TrayIconCount() {
  // Wine's tray window (shown when no desktop shell offers one) holds one
  // child window per icon; the Windows task bar one toolbar button per icon.
  if (HWND wine = ::FindWindowA("__winex11_standalone_tray", nullptr)) {
    int count = 0;
    for (HWND child = ::GetWindow(wine, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
      if (::IsWindowVisible(child) && ClassOf(child) == "__winex11_tray_icon") ++count;
    }
    return count;
  }
  HWND tray = ::FindWindowA("Shell_TrayWnd", nullptr);
  HWND notify = tray ? ::FindWindowExA(tray, nullptr, "TrayNotifyWnd", nullptr) : nullptr;
  HWND pager = notify ? ::FindWindowExA(notify, nullptr, "SysPager", nullptr) : nullptr;
  HWND toolbar = pager ? ::FindWindowExA(pager, nullptr, "ToolbarWindow32", nullptr) : nullptr;
  if (!toolbar) return -1;
  return static_cast<int>(::SendMessageA(toolbar, TB_BUTTONCOUNT, 0, 0));
}

std::optional<DialogInfo> AnswerOwnDialog(int buttonId, const std::function<void()>& action, DWORD ms) {
  std::optional<DialogInfo> answered;
  std::thread answer([&] {
    DWORD start = ::GetTickCount();
    while (!answered && ::GetTickCount() - start < ms) {
      ::Sleep(20);
      HWND box = VisibleDialogOfThisProcess();
      if (!box) continue;
      answered = ReadDialog(box);
      ::PostMessageA(box, WM_COMMAND, buttonId, 0);
    }
  });
  action();
  answer.join();
  return answered;
}

}  // namespace memo::test
