// One computer of the sync check (scripts/sync-test.sh): run inside that
// computer's Wine prefix, it starts the prefix's memopane.exe on a root, types
// into and saves its notes, and waits for what its notes show. Each command
// is one run; the program it starts outlives it. Not a test of its own.
//
//   sync_driver start ROOT                 ROOT a Unix or Windows path
//   sync_driver type NOTE TEXT             types at the end of the open note
//   sync_driver save PAGE NOTE             saves it at once, waits for its file
//   sync_driver new-note                   prints the new text note's name
//   sync_driver expect-text NOTE TEXT MS   the open note's body is TEXT
//   sync_driver expect-shown TEXT MS       some open note's body is TEXT
//   sync_driver expect-note NAME MS        a note of that name is shown
//   sync_driver expect-notice NOTE TEXT MS its notice strip says TEXT
//   sync_driver quit MS                    quits through the bar, waits for the end
//
// Arguments are read as the system's wide command line, so names and texts
// in UTF-8 on the Unix side arrive whole; output is UTF-8. Exit 0 when the
// thing happened, 1 with what was seen instead, 2 for a wrong command line.
#include <windows.h>

#include <shellapi.h>

#include <optional>
#include <string>
#include <vector>

#include "frame/Messages.h"
#include "tests/support/AppDriver.h"
#include "tests/support/NoteSession.h"
#include "tests/support/TestFiles.h"

namespace memo::test {
namespace {

constexpr char kMainClass[] = "Memopane-Main";
constexpr char kRegKey[] = "Software\\Quendra\\Memopane";
constexpr UINT_PTR kSaveTimer = 11;

std::string Encode(const std::wstring& text, UINT codePage) {
  if (text.empty()) return "";
  int size = ::WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                   nullptr, nullptr);
  std::string out(static_cast<size_t>(size > 0 ? size : 0), '\0');
  if (size > 0) {
    ::WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), &out[0], size, nullptr,
                          nullptr);
  }
  return out;
}

std::wstring Decode(const std::string& bytes, UINT codePage) {
  if (bytes.empty()) return L"";
  int size = ::MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(size > 0 ? size : 0), L'\0');
  if (size > 0) ::MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), &out[0], size);
  return out;
}

void Print(const std::wstring& line) {
  std::string bytes = Encode(line, CP_UTF8) + "\n";
  DWORD written = 0;
  ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
              nullptr);
}

// A window's text through the wide message, so that the system converts
// from whatever the window holds (the titles are ANSI, the bodies Unicode).
std::wstring WideWindowText(HWND hwnd) {
  DWORD_PTR length = 0;
  if (!::SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length)) return L"";
  std::vector<wchar_t> buffer(length + 1, L'\0');
  DWORD_PTR copied = 0;
  ::SendMessageTimeoutW(hwnd, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()),
                        SMTO_ABORTIFHUNG, 5000, &copied);
  return std::wstring(buffer.data(), copied < buffer.size() ? copied : buffer.size() - 1);
}

// The prefix runs one wineserver of its own, so every window listed here is
// this computer's program.
HWND MainBar() {
  for (HWND hwnd : TopLevelWindows()) {
    if (ClassOf(hwnd) == kMainClass) return hwnd;
  }
  return nullptr;
}

std::vector<HWND> ShownTextNotes() {
  std::vector<HWND> notes;
  for (HWND hwnd : TopLevelWindows()) {
    if (ClassOf(hwnd) == kTextClass && ::IsWindowVisible(hwnd)) notes.push_back(hwnd);
  }
  return notes;
}

HWND ShownTextNote(const std::wstring& title) {
  for (HWND hwnd : ShownTextNotes()) {
    if (WideWindowText(hwnd) == title) return hwnd;
  }
  return nullptr;
}

// What the computer shows, for a failure's message.
void PrintShown() {
  HWND bar = MainBar();
  Print(L"  page: " + (bar ? WideWindowText(bar) : std::wstring(L"<no main bar>")));
  for (HWND note : ShownTextNotes()) {
    Print(L"  note " + WideWindowText(note) + L": \"" + WideWindowText(NoteSession::Body(note)) + L"\"");
  }
  for (HWND hwnd : TopLevelWindows()) {
    if (ClassOf(hwnd) == "#32770" && ::IsWindowVisible(hwnd)) Print(L"  box: " + WideWindowText(hwnd));
  }
}

DWORD Milliseconds(const std::wstring& text) {
  return static_cast<DWORD>(wcstoul(text.c_str(), nullptr, 10));
}

std::string WindowsPath(const std::wstring& path) {
  std::wstring out = path;
  if (!out.empty() && out[0] == L'/') {
    out = L"Z:" + out;
    for (wchar_t& c : out) {
      if (c == L'/') c = L'\\';
    }
  }
  return Encode(out, CP_ACP);
}

int Start(const std::wstring& rootArg) {
  std::string root = WindowsPath(rootArg);
  RegSet(kRegKey, "RootPath2", root);
  // Unmanaged windows: with no window manager every hide would wait 2 s.
  RegSet("Software\\Wine\\AppDefaults\\memopane.exe\\X11 Driver", "Managed", "N");
  std::string ini = Join(root, "root.ini");
  if (IniGet(ini, "Info", "Splash", "").empty()) IniSet(ini, "Info", "Splash", "0");
  if (IniGet(ini, "Info", "AutoRun", "").empty()) IniSet(ini, "Info", "AutoRun", "0");

  std::string exe = MemopaneExe();
  std::string commandLine = "\"" + exe + "\"";
  STARTUPINFOA si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  if (!::CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, TempDir().c_str(),
                        &si, &pi)) {
    Print(L"start: cannot run " + Decode(exe, CP_ACP));
    return 1;
  }
  ::CloseHandle(pi.hThread);
  HWND bar = nullptr;
  WaitUntil(
      [&] {
        bar = MainBar();
        return (bar && ::IsWindowVisible(bar)) || ::WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0;
      },
      30000);
  ::CloseHandle(pi.hProcess);
  if (!bar || !::IsWindowVisible(bar)) {
    Print(L"start: no main bar");
    PrintShown();
    return 1;
  }
  return 0;
}

bool FileHolds(const std::string& path, const std::wstring& text) {
  std::optional<std::string> bytes = ReadBytes(path);
  if (!bytes) return false;
  std::string utf16(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
  for (const std::string& form : {Encode(text, CP_UTF8), Encode(text, 932), utf16}) {
    if (!form.empty() && bytes->find(form) != std::string::npos) return true;
  }
  return false;
}

int Type(const std::wstring& name, const std::wstring& text) {
  HWND note = ShownTextNote(name);
  if (!note) {
    Print(L"type: no note " + name);
    PrintShown();
    return 1;
  }
  HWND body = NoteSession::Body(note);
  std::wstring before = WideWindowText(body);
  ::SendMessageW(body, EM_SETSEL, before.size(), before.size());
  // Posted, so that they pass through the program's message loop as typed
  // characters do.
  for (wchar_t unit : text) ::PostMessageW(body, WM_CHAR, unit, 1);
  std::wstring expected = before + text;
  if (!WaitUntil([&] { return WideWindowText(body) == expected; }, 5000)) {
    Print(L"type: the note shows \"" + WideWindowText(body) + L"\"");
    return 1;
  }
  return 0;
}

int Save(const std::wstring& page, const std::wstring& name) {
  HWND note = ShownTextNote(name);
  if (!note) {
    Print(L"save: no note " + name);
    PrintShown();
    return 1;
  }
  std::wstring text = WideWindowText(NoteSession::Body(note));
  // The save that typing schedules, at once.
  ::PostMessageA(note, WM_TIMER, kSaveTimer, 0);
  std::string root = RegGet(kRegKey, "RootPath2").value_or("");
  std::string path = Join(Join(root, Encode(page, CP_ACP)), Encode(name, CP_ACP));
  if (!WaitUntil([&] { return FileHolds(path, text); }, 5000)) {
    Print(L"save: " + Decode(path, CP_ACP) + L" does not hold \"" + text + L"\"");
    PrintShown();
    return 1;
  }
  return 0;
}

int NewNote() {
  HWND bar = MainBar();
  if (!bar) {
    Print(L"new-note: no main bar");
    return 1;
  }
  std::vector<HWND> before = ShownTextNotes();
  ::PostMessageA(bar, WM_COMMAND, kCmdNewText, 0);
  HWND made = nullptr;
  WaitUntil(
      [&] {
        for (HWND note : ShownTextNotes()) {
          bool old = false;
          for (HWND seen : before) old = old || seen == note;
          if (!old) made = note;
        }
        return made != nullptr;
      },
      5000);
  if (!made) {
    Print(L"new-note: no new note");
    PrintShown();
    return 1;
  }
  Print(WideWindowText(made));
  return 0;
}

int ExpectText(const std::wstring& name, const std::wstring& text, DWORD ms) {
  std::wstring seen = L"<no note>";
  if (WaitUntil(
          [&] {
            HWND note = ShownTextNote(name);
            seen = note ? WideWindowText(NoteSession::Body(note)) : L"<no note>";
            return seen == text;
          },
          ms)) {
    return 0;
  }
  Print(L"expect-text: " + name + L" shows \"" + seen + L"\", not \"" + text + L"\"");
  PrintShown();
  return 1;
}

int ExpectShown(const std::wstring& text, DWORD ms) {
  if (WaitUntil(
          [&] {
            for (HWND note : ShownTextNotes()) {
              if (WideWindowText(NoteSession::Body(note)) == text) return true;
            }
            return false;
          },
          ms)) {
    return 0;
  }
  Print(L"expect-shown: no note shows \"" + text + L"\"");
  PrintShown();
  return 1;
}

int ExpectNote(const std::wstring& name, DWORD ms) {
  if (WaitUntil([&] { return ShownTextNote(name) != nullptr; }, ms)) return 0;
  Print(L"expect-note: " + name + L" is not shown");
  PrintShown();
  return 1;
}

// The strip a note shows over its text (a conflict copy's, say), or "".
std::wstring NoticeOf(HWND note) {
  for (HWND child = nullptr; (child = ::FindWindowExA(note, child, "Static", nullptr));) {
    if (::IsWindowVisible(child)) return WideWindowText(child);
  }
  return L"";
}

int ExpectNotice(const std::wstring& name, const std::wstring& text, DWORD ms) {
  std::wstring seen;
  if (WaitUntil(
          [&] {
            HWND note = ShownTextNote(name);
            seen = note ? NoticeOf(note) : L"<no note>";
            return seen.find(text) != std::wstring::npos;
          },
          ms)) {
    return 0;
  }
  Print(L"expect-notice: " + name + L" says \"" + seen + L"\", without \"" + text + L"\"");
  return 1;
}

int Quit(DWORD ms) {
  HWND bar = MainBar();
  if (!bar) {
    Print(L"quit: no main bar");
    return 1;
  }
  DWORD pid = 0;
  ::GetWindowThreadProcessId(bar, &pid);
  HANDLE process = ::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (!process) {
    Print(L"quit: cannot open the program's process");
    return 1;
  }
  ::PostMessageA(bar, WM_CLOSE, 0, 0);
  bool ended = WaitUntil([&] { return ::WaitForSingleObject(process, 0) == WAIT_OBJECT_0; }, ms);
  DWORD code = STILL_ACTIVE;
  ::GetExitCodeProcess(process, &code);
  ::CloseHandle(process);
  if (!ended) {
    Print(L"quit: the program did not end");
    PrintShown();
    return 1;
  }
  if (code != 0) {
    Print(L"quit: the program ended with " + std::to_wstring(code));
    return 1;
  }
  return 0;
}

int Run(const std::vector<std::wstring>& args) {
  const std::wstring command = args.empty() ? L"" : args[0];
  size_t n = args.size();
  if (command == L"start" && n == 2) return Start(args[1]);
  if (command == L"type" && n == 3) return Type(args[1], args[2]);
  if (command == L"save" && n == 3) return Save(args[1], args[2]);
  if (command == L"new-note" && n == 1) return NewNote();
  if (command == L"expect-text" && n == 4) return ExpectText(args[1], args[2], Milliseconds(args[3]));
  if (command == L"expect-shown" && n == 3) return ExpectShown(args[1], Milliseconds(args[2]));
  if (command == L"expect-note" && n == 3) return ExpectNote(args[1], Milliseconds(args[2]));
  if (command == L"expect-notice" && n == 4) return ExpectNotice(args[1], args[2], Milliseconds(args[3]));
  if (command == L"quit" && n == 2) return Quit(Milliseconds(args[1]));
  Print(L"usage: sync_driver start ROOT | type NOTE TEXT | save PAGE NOTE | new-note | expect-text NOTE TEXT MS |"
        L" expect-shown TEXT MS | expect-note NAME MS | expect-notice NOTE TEXT MS | quit MS");
  return 2;
}

}  // namespace
}  // namespace memo::test

int main() {
  int argc = 0;
  LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
  std::vector<std::wstring> args;
  for (int i = 1; argv && i < argc; ++i) args.emplace_back(argv[i]);
  if (argv) ::LocalFree(argv);
  return memo::test::Run(args);
}
