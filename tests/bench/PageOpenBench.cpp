// The program's figures against baselines measured in the same run, each a
// plain program that does the least the same result needs:
//   start-up   start to a visible main bar (no splash) against a program that
//              registers a class and shows one window of the bar's size;
//   page       a switch to a page of 100 text notes until all are visible,
//              against a program that builds the same window tree and reads
//              one settings value per window;
//   start      a start on that page, and on a page of 1,000 notes, until all
//              notes are visible, against the same baseline started with its
//              windows at once;
//   away       a switch from either page to an empty one until every note
//              window is gone, against the baseline destroying its windows;
//   quit       a quit on either page ("終了", the bar closed) until the process
//              has ended, against the baseline's bar closed;
//   memory     the working set with the 100 notes open, against that
//              baseline's;
//   pictures   a switch to a page of 20 image notes of PNG pictures until all
//              are visible, against the same page of bitmap files of the
//              same size; and a page of one 4000 x 3000 photo (JPEG)
//              against its bitmap file. Image notes decode their picture as
//              they are made, so a visible note has decoded it.
// The baseline is what the window system itself needs: a bar of 320 x 24 and
// a tool window per note with a multi-line EDIT and six BUTTONs, all shown
// without activation, ended by closing its bar. Prints every run, the best
// runs and the medians; exits with 1 when a ratio of the best runs misses its
// target. Usage: memopane_bench.exe [runs [notes]], notes the size of the
// large page (1,000; 0 leaves it out).
//
// Everything is timed from this process, from the start signal (a process
// start, a page switch) until the windows are visible. Wine is told to keep
// the windows of both programs unmanaged: with no window manager under Xvfb,
// hiding a managed window waits two seconds for one, which would only
// measure Wine.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "notes/PictureCodec.h"
#include "store/Handles.h"
#include "tests/support/AppDriver.h"
#include "tests/support/TestFiles.h"

namespace memo::test {
namespace {

constexpr int kDefaultNotes = 100;
constexpr int kDefaultLargeNotes = 1000;
constexpr int kDefaultRuns = 5;
constexpr char kBaselineFlag[] = "--baseline";
constexpr char kBaselineBarFlag[] = "--baseline-bar";
constexpr char kBaselineClass[] = "MemopaneBench-Baseline";
constexpr char kBaselineBarClass[] = "MemopaneBench-Bar";
// Sent to the baseline's bar: destroy every note window (a switch away), and
// make them again (a switch back).
constexpr UINT kMsgBaselineAway = WM_APP + 1;
constexpr UINT kMsgBaselineBack = WM_APP + 2;
constexpr char kNoteClass[] = "Memopane-Text";
constexpr char kPage[] = "hundred";
constexpr char kLargePage[] = "thousand";
constexpr char kBarClass[] = "Memopane-Main";
constexpr char kImageClass[] = "Memopane-Image";
constexpr int kPictureNotes = 20;
constexpr char kPngPage[] = "png";
constexpr char kBmpPage[] = "bmp";
constexpr char kJpegPhotoPage[] = "photo-jpeg";
constexpr char kBmpPhotoPage[] = "photo-bmp";
// The JPEG encoder of the system's imaging codecs.
constexpr GUID kContainerJpeg = {0x19e4a5aa, 0x5662, 0x4fc5, {0xa0, 0xc0, 0x17, 0x58, 0x02, 0x8e, 0x10, 0x57}};

// The number of notes on the large page: 1,000 unless asked.
int gLargeNotes = kDefaultLargeNotes;

// What a page holds: its folder's name and its number of notes.
struct Page {
  const char* name;
  int notes;
};

Page SmallPage() { return Page{kPage, kDefaultNotes}; }
Page LargePage() { return Page{kLargePage, gLargeNotes}; }

// Milliseconds to wait for something a page of notes does: two minutes for
// every hundred notes.
DWORD PageLimit(int notes) { return static_cast<DWORD>(120000 * (notes / kDefaultNotes + 1)); }

double Now() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    ::QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER count;
  ::QueryPerformanceCounter(&count);
  return static_cast<double>(count.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

std::string NoteName(int i) {
  char name[32];
  std::snprintf(name, sizeof(name), "note%03d.txt", i);
  return name;
}

POINT NotePlace(int i) { return POINT{(i % 10) * 80, 30 + (i / 10) % 10 * 70 + i / 100 * 7}; }

// A page of notes, each with a settings file as the program leaves it.
void MakePage(const std::string& root, const Page& p) {
  std::string page = Join(root, p.name);
  MakeFolder(page);
  std::string text;
  for (int line = 0; line < 8; ++line) text += "テキスト付箋の一行 line " + std::to_string(line) + "\r\n";
  for (int i = 0; i < p.notes; ++i) {
    std::string note = Join(page, NoteName(i));
    WriteBytes(note, text);
    POINT at = NotePlace(i);
    std::string ini = "[Window]\r\nStyle=2\r\nX=" + std::to_string(at.x) + "\r\nY=" + std::to_string(at.y) +
                      "\r\nCX=400\r\nCY=200\r\n";
    WriteBytes(note + ".ini", ini);
  }
}

// A root folder with an empty page (the start page) and the pages of notes.
void MakeStore(const std::string& root) {
  MakeFolder(Join(root, "common"));
  MakeFolder(Join(root, "empty"));
  MakePage(root, SmallPage());
  if (gLargeNotes > 0) MakePage(root, LargePage());
  std::string rootIni = Join(root, "root.ini");
  IniSet(rootIni, "Info", "CurrentPage", "empty");
  IniSet(rootIni, "Info", "Splash", "0");
  IniSet(rootIni, "Info", "AutoRun", "0");
}

// A picture with some detail for the codecs to work on: gradients and a
// pattern, opaque.
Pixels Scene(int width, int height) {
  Pixels pixels;
  pixels.width = width;
  pixels.height = height;
  pixels.bgra.reserve(static_cast<size_t>(width) * static_cast<size_t>(height));
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      uint32_t r = static_cast<uint32_t>(x * 255 / width), g = static_cast<uint32_t>(y * 255 / height);
      uint32_t b = static_cast<uint32_t>(((x / 16) ^ (y / 16)) & 1 ? 200 : 40);
      pixels.bgra.push_back(0xFF000000u | (r << 16) | (g << 8) | b);
    }
  }
  return pixels;
}

// A 24-bit bitmap file of the pixels.
std::string BitmapBytes(const Pixels& pixels) {
  const uint32_t stride = (static_cast<uint32_t>(pixels.width) * 3 + 3) / 4 * 4;
  std::string b(54 + static_cast<size_t>(stride) * pixels.height, '\0');
  auto put32 = [&](size_t at, uint32_t v) { std::memcpy(&b[at], &v, 4); };
  b[0] = 'B';
  b[1] = 'M';
  put32(2, static_cast<uint32_t>(b.size()));
  put32(10, 54);
  put32(14, 40);
  put32(18, static_cast<uint32_t>(pixels.width));
  put32(22, static_cast<uint32_t>(pixels.height));
  b[26] = 1;
  b[28] = 24;
  for (int y = 0; y < pixels.height; ++y) {
    const uint32_t* row = &pixels.bgra[static_cast<size_t>(pixels.height - 1 - y) * pixels.width];
    char* to = &b[54 + static_cast<size_t>(y) * stride];
    for (int x = 0; x < pixels.width; ++x) {
      to[3 * x] = static_cast<char>(row[x]);
      to[3 * x + 1] = static_cast<char>(row[x] >> 8);
      to[3 * x + 2] = static_cast<char>(row[x] >> 16);
    }
  }
  return b;
}

void WritePictureNote(const std::string& page, const std::string& name, const std::string& bytes, int i) {
  std::string note = Join(page, name);
  WriteBytes(note, bytes);
  POINT at = NotePlace(i);
  WriteBytes(note + ".ini", "[Window]\r\nStyle=2\r\nX=" + std::to_string(at.x * 2) + "\r\nY=" +
                                std::to_string(at.y * 2) + "\r\nCX=200\r\nCY=150\r\n");
}

// The picture pages: 20 notes of 800 x 600 as PNG and as bitmap files, and
// one 4000 x 3000 photo as JPEG and as a bitmap file.
bool MakePicturePages(const std::string& root) {
  ::CoInitialize(nullptr);
  Pixels scene = Scene(800, 600);
  std::optional<std::string> png = EncodePng(scene, false);
  Pixels photo = Scene(4000, 3000);
  std::optional<std::string> jpeg = EncodePicture(kContainerJpeg, photo, false);
  ::CoUninitialize();
  if (!png || !jpeg) return false;
  const std::string bmp = BitmapBytes(scene);
  for (const char* page : {kPngPage, kBmpPage, kJpegPhotoPage, kBmpPhotoPage}) MakeFolder(Join(root, page));
  for (int i = 0; i < kPictureNotes; ++i) {
    std::string name = "picture" + std::to_string(i);
    WritePictureNote(Join(root, kPngPage), name + ".png", *png, i);
    WritePictureNote(Join(root, kBmpPage), name + ".bmp", bmp, i);
  }
  WritePictureNote(Join(root, kJpegPhotoPage), "photo.jpg", *jpeg, 0);
  WritePictureNote(Join(root, kBmpPhotoPage), "photo.bmp", BitmapBytes(photo), 0);
  return true;
}

size_t WindowsOfClass(DWORD pid, const char* className, bool visibleOnly) {
  size_t count = 0;
  for (HWND hwnd : TopLevelWindows()) {
    DWORD owner = 0;
    ::GetWindowThreadProcessId(hwnd, &owner);
    if (owner != pid || (visibleOnly && !::IsWindowVisible(hwnd))) continue;
    char name[64] = {};
    ::GetClassNameA(hwnd, name, sizeof(name));
    if (lstrcmpA(name, className) == 0) ++count;
  }
  return count;
}

size_t VisibleWindows(DWORD pid, const char* className) { return WindowsOfClass(pid, className, true); }

// Milliseconds from start until the process shows count windows of the
// class, or a negative value after the page's limit.
double WaitShown(DWORD pid, const char* className, size_t count, double start) {
  double limit = PageLimit(static_cast<int>(count));
  while (VisibleWindows(pid, className) < count) {
    if (Now() - start > limit) return -1;
    ::Sleep(1);
  }
  return Now() - start;
}

double WaitAllShown(DWORD pid, const char* className, const Page& page, double start) {
  return WaitShown(pid, className, static_cast<size_t>(page.notes), start);
}

// Milliseconds from start until the process has no window of the class left,
// shown or hidden, or a negative value after the page's limit.
double WaitAllGone(DWORD pid, const char* className, const Page& page, double start) {
  while (WindowsOfClass(pid, className, false) > 0) {
    if (Now() - start > PageLimit(page.notes)) return -1;
    ::Sleep(1);
  }
  return Now() - start;
}

double WorkingSetMiB(DWORD pid) {
  UniqueHandle process(::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid));
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof(counters);
  if (!process.get() || !::GetProcessMemoryInfo(process.get(), &counters, sizeof(counters))) return -1;
  return static_cast<double>(counters.WorkingSetSize) / (1024.0 * 1024.0);
}

// Sends a page switch and waits for the program to have handled it.
double TimeSwitch(HWND bar, const char* page, DWORD limit) {
  double start = Now();
  DWORD_PTR result = 0;
  if (!::SendMessageTimeoutA(bar, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(page), SMTO_NORMAL, limit, &result)) {
    return -1;
  }
  return Now() - start;
}

double TimeProgram(const std::string& root) {
  // The last run ended on the page of notes.
  IniSet(Join(root, "root.ini"), "Info", "CurrentPage", "empty");
  AppDriver app;
  if (!app.StartWithRoot(root)) return -1;
  HWND bar = app.WaitMainBarVisible(30000);
  if (!bar || !WaitUntil([&] { return WindowText(bar) == "empty"; })) return -1;
  PumpFor(500);  // let start-up settle
  double start = Now();
  DWORD_PTR result = 0;
  ::SendMessageTimeoutA(bar, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(kPage), SMTO_NORMAL, 120000, &result);
  double elapsed = WaitAllShown(app.pid(), kNoteClass, SmallPage(), start);
  app.Kill();
  PumpFor(2000);  // the X server drops the windows of the ended process
  return elapsed;
}

// A switch to a page of picture notes until all are visible.
double TimePicturePage(const std::string& root, const char* page, size_t notes) {
  IniSet(Join(root, "root.ini"), "Info", "CurrentPage", "empty");
  AppDriver app;
  if (!app.StartWithRoot(root)) return -1;
  HWND bar = app.WaitMainBarVisible(30000);
  if (!bar || !WaitUntil([&] { return WindowText(bar) == "empty"; })) return -1;
  PumpFor(500);
  double start = Now();
  DWORD_PTR result = 0;
  ::SendMessageTimeoutA(bar, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(page), SMTO_NORMAL, 120000, &result);
  double elapsed = WaitShown(app.pid(), kImageClass, notes, start);
  app.Kill();
  PumpFor(2000);
  return elapsed;
}

// Start-up to a visible main bar, on the empty page.
double TimeProgramBar(const std::string& root) {
  IniSet(Join(root, "root.ini"), "Info", "CurrentPage", "empty");
  AppDriver app;
  double start = Now();
  if (!app.StartWithRoot(root)) return -1;
  double elapsed = WaitShown(app.pid(), kBarClass, 1, start);
  app.Kill();
  PumpFor(1000);
  return elapsed;
}

struct StartFigures {
  double start = -1;   // ms until every note is visible
  double memory = -1;  // MiB of working set once settled
  double away = -1;    // ms to switch to an empty page until every note window is gone
  double quit = -1;    // ms from the quit command to the end of the process

  bool Complete() const { return start >= 0 && memory >= 0 && away >= 0 && quit >= 0; }
};

// A start on the page of notes, then a switch away, a switch back and a quit.
StartFigures TimeProgramStart(const std::string& root, const Page& page) {
  StartFigures figures;
  IniSet(Join(root, "root.ini"), "Info", "CurrentPage", page.name);
  AppDriver app;
  double start = Now();
  if (!app.StartWithRoot(root)) return figures;
  figures.start = WaitAllShown(app.pid(), kNoteClass, page, start);
  HWND bar = app.WaitMainBarVisible(1000);
  if (figures.start < 0 || !bar) return figures;
  PumpFor(1000);
  figures.memory = WorkingSetMiB(app.pid());
  start = Now();
  if (TimeSwitch(bar, "empty", PageLimit(page.notes)) >= 0) {
    figures.away = WaitAllGone(app.pid(), kNoteClass, page, start);
  }
  if (TimeSwitch(bar, page.name, PageLimit(page.notes)) < 0 ||
      WaitAllShown(app.pid(), kNoteClass, page, Now()) < 0) {
    return figures;
  }
  PumpFor(500);
  start = Now();
  if (app.Quit(PageLimit(page.notes)) == 0) figures.quit = Now() - start;
  PumpFor(1000);
  return figures;
}

// The baselines, in a process of their own.
LRESULT CALLBACK BaselineProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return ::DefWindowProcA(hwnd, message, wParam, lParam);
}

// The baseline's page: its folder and its note windows.
std::string gBaselineRoot;
Page gBaselinePage{kPage, kDefaultNotes};
std::vector<HWND> gBaselineNotes;

// The same tree of windows as a page of text notes, one settings value read
// per window, each shown without activation.
void MakeBaselineNotes() {
  HINSTANCE instance = ::GetModuleHandleA(nullptr);
  std::string page = Join(gBaselineRoot, gBaselinePage.name);
  for (int i = 0; i < gBaselinePage.notes; ++i) {
    std::string note = Join(page, NoteName(i));
    int x = ::GetPrivateProfileIntA("Window", "X", 0, (note + ".ini").c_str());
    POINT at = NotePlace(i);
    HWND window = ::CreateWindowExA(WS_EX_TOOLWINDOW, kBaselineClass, NoteName(i).c_str(),
                                    WS_THICKFRAME | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, x, at.y, 400, 200, nullptr,
                                    nullptr, instance, nullptr);
    ::CreateWindowExA(0, "EDIT", "text", 0x54200044, 2, 20, 390, 170, window, reinterpret_cast<HMENU>(267),
                      instance, nullptr);
    for (int b = 0; b < 6; ++b) {
      ::CreateWindowExA(0, "BUTTON", "@", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 300 - b * 20, 0, 18, 18,
                        window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(268 + b)), instance, nullptr);
    }
    ::ShowWindow(window, SW_SHOWNOACTIVATE);
    gBaselineNotes.push_back(window);
  }
}

void DestroyBaselineNotes() {
  for (HWND note : gBaselineNotes) ::DestroyWindow(note);
  gBaselineNotes.clear();
}

LRESULT CALLBACK BaselineBarProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case kMsgBaselineAway:
      DestroyBaselineNotes();
      return 0;
    case kMsgBaselineBack:
      MakeBaselineNotes();
      return 0;
    case WM_DESTROY:
      // A program that ends cleanly takes its windows down before it goes.
      DestroyBaselineNotes();
      ::PostQuitMessage(0);
      return 0;
  }
  return ::DefWindowProcA(hwnd, message, wParam, lParam);
}

bool RegisterBaselineClass(const char* name, WNDPROC proc) {
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof(wc);
  wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
  wc.lpfnWndProc = proc;
  wc.hInstance = ::GetModuleHandleA(nullptr);
  wc.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.lpszClassName = name;
  return ::RegisterClassExA(&wc) != 0;
}

bool RegisterBaselineClass() { return RegisterBaselineClass(kBaselineClass, BaselineProc); }

int ServeMessages() {
  // Until the benchmark ends the process.
  MSG msg;
  while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
  return 0;
}

// One window of the main bar's size, nothing else.
int RunBaselineBar() {
  if (!RegisterBaselineClass()) return 2;
  HWND bar = ::CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kBaselineClass, nullptr, WS_POPUP, 480, 0, 320,
                               24, nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
  ::ShowWindow(bar, SW_SHOWNORMAL);
  return ServeMessages();
}

// A bar first, as the program has its main bar, so that both start from a
// thread that already has its user-interface state; then the page's notes.
// With an event name it waits for it first: the page switch.
int RunBaseline(const std::string& root, const Page& page, const char* eventName) {
  if (!RegisterBaselineClass() || !RegisterBaselineClass(kBaselineBarClass, BaselineBarProc)) return 2;
  gBaselineRoot = root;
  gBaselinePage = page;
  HWND bar = ::CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kBaselineBarClass, nullptr, WS_POPUP, 480, 0, 320,
                               24, nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
  ::ShowWindow(bar, SW_SHOWNOACTIVATE);
  if (eventName) {
    HANDLE go = ::OpenEventA(SYNCHRONIZE, FALSE, eventName);
    if (!go) return 2;
    ::WaitForSingleObject(go, INFINITE);
  }
  MakeBaselineNotes();
  return ServeMessages();
}

struct Child {
  UniqueHandle process;
  DWORD pid = 0;
};

// This program again, with the arguments after the path.
Child StartSelf(const std::string& arguments) {
  char self[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string commandLine = "\"" + std::string(self) + "\" " + arguments;
  STARTUPINFOA si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  Child child;
  if (!::CreateProcessA(self, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return child;
  ::CloseHandle(pi.hThread);
  child.process.reset(pi.hProcess);
  child.pid = pi.dwProcessId;
  return child;
}

void EndChild(Child& child) {
  ::TerminateProcess(child.process.get(), 0);
  ::WaitForSingleObject(child.process.get(), 10000);
  PumpFor(2000);  // the X server drops the windows of the ended process
}

std::string PageArguments(const std::string& root, const Page& page) {
  return std::string(kBaselineFlag) + " " + page.name + " " + std::to_string(page.notes) + " \"" + root + "\"";
}

double TimeBaseline(const std::string& root) {
  std::string eventName = "MemopaneBenchGo-" + std::to_string(::GetCurrentProcessId());
  UniqueHandle go(::CreateEventA(nullptr, TRUE, FALSE, eventName.c_str()));
  Child child = StartSelf(PageArguments(root, SmallPage()) + " " + eventName);
  if (!child.process) return -1;
  ::WaitForInputIdle(child.process.get(), 30000);
  PumpFor(500);
  double start = Now();
  ::SetEvent(go.get());
  double elapsed = WaitAllShown(child.pid, kBaselineClass, SmallPage(), start);
  EndChild(child);
  return elapsed;
}

double TimeBaselineBar() {
  double start = Now();
  Child child = StartSelf(kBaselineBarFlag);
  if (!child.process) return -1;
  double elapsed = WaitShown(child.pid, kBaselineClass, 1, start);
  EndChild(child);
  return elapsed;
}

// The baseline started with its windows at once, then its windows destroyed,
// made again and the bar closed, as TimeProgramStart does with the program.
StartFigures TimeBaselineStart(const std::string& root, const Page& page) {
  StartFigures figures;
  double start = Now();
  Child child = StartSelf(PageArguments(root, page));
  if (!child.process) return figures;
  figures.start = WaitAllShown(child.pid, kBaselineClass, page, start);
  HWND bar = ::FindWindowA(kBaselineBarClass, nullptr);
  if (figures.start >= 0 && bar) {
    PumpFor(1000);
    figures.memory = WorkingSetMiB(child.pid);
    DWORD_PTR result = 0;
    start = Now();
    if (::SendMessageTimeoutA(bar, kMsgBaselineAway, 0, 0, SMTO_NORMAL, PageLimit(page.notes), &result)) {
      figures.away = WaitAllGone(child.pid, kBaselineClass, page, start);
    }
    if (::SendMessageTimeoutA(bar, kMsgBaselineBack, 0, 0, SMTO_NORMAL, PageLimit(page.notes), &result) &&
        WaitAllShown(child.pid, kBaselineClass, page, Now()) >= 0) {
      PumpFor(500);
      start = Now();
      ::PostMessageA(bar, WM_CLOSE, 0, 0);
      if (::WaitForSingleObject(child.process.get(), PageLimit(page.notes)) == WAIT_OBJECT_0) {
        figures.quit = Now() - start;
      }
    }
  }
  EndChild(child);
  return figures;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

double Best(const std::vector<double>& values) { return *std::min_element(values.begin(), values.end()); }

struct Figure {
  std::string name;
  const char* unit;
  double target;  // the ratio to stay under, or 0 for a ratio without a target
  std::vector<double> program, baseline;
};

// Prints a figure; false when its best ratio misses the target.
bool Report(const Figure& f) {
  if (f.program.empty() || f.baseline.empty()) return true;
  // The best run of each is the one least disturbed by whatever else the
  // machine was doing; the program, with far more round trips to the
  // window system, suffers more from such disturbance than the baseline.
  // The medians are printed too: each run's program and baseline ran one
  // after the other, under much the same load.
  double ratio = Best(f.program) / Best(f.baseline);
  std::printf("  %-34s best %9.1f against %9.1f %s, ratio %.2f; median %9.1f against %9.1f, ratio %.2f",
              f.name.c_str(), Best(f.program), Best(f.baseline), f.unit, ratio, Median(f.program),
              Median(f.baseline), Median(f.program) / Median(f.baseline));
  bool met = f.target == 0 || ratio <= f.target;
  if (f.target != 0) std::printf(" (target %.1f)%s", f.target, met ? "" : "  MISSED");
  std::printf("\n");
  return met;
}

// The start, working set, switch away and quit on one page, each against
// the baseline.
struct PageFigures {
  Figure start, memory, away, quit;

  PageFigures(const Page& page, double startTarget, double memoryTarget, double awayTarget, double quitTarget)
      : start{"start-up on " + std::to_string(page.notes) + " notes", "ms", startTarget, {}, {}},
        memory{"working set, " + std::to_string(page.notes) + " notes", "MiB", memoryTarget, {}, {}},
        away{"switch away from " + std::to_string(page.notes) + " notes", "ms", awayTarget, {}, {}},
        quit{"quit on " + std::to_string(page.notes) + " notes", "ms", quitTarget, {}, {}} {}

  // Times the program and the baseline on the page; false when a run failed.
  bool Run(const std::string& root, const Page& page, int run) {
    StartFigures b = TimeBaselineStart(root, page);
    StartFigures p = TimeProgramStart(root, page);
    std::printf("run %d, %d notes: start %.1f/%.1f ms, memory %.1f/%.1f MiB, away %.1f/%.1f ms, "
                "quit %.1f/%.1f ms (program/baseline)\n",
                run + 1, page.notes, p.start, b.start, p.memory, b.memory, p.away, b.away, p.quit, b.quit);
    std::fflush(stdout);
    if (!b.Complete() || !p.Complete()) return false;
    start.program.push_back(p.start);
    start.baseline.push_back(b.start);
    memory.program.push_back(p.memory);
    memory.baseline.push_back(b.memory);
    away.program.push_back(p.away);
    away.baseline.push_back(b.away);
    quit.program.push_back(p.quit);
    quit.baseline.push_back(b.quit);
    return true;
  }

  bool Report() const {
    bool met = true;
    for (const Figure* f : {&start, &memory, &away, &quit}) met = memo::test::Report(*f) && met;
    return met;
  }
};

int RunBenchmark(int runs) {
  RegValueGuard rootGuard("Software\\Quendra\\Memopane", "RootPath2");
  UnmanagedWindowsScope unmanagedProgram;
  UnmanagedWindowsScope unmanagedBaseline("memopane_bench.exe");
  TempFolder root("memo-bench");
  MakeStore(root.path());
  if (!MakePicturePages(root.path())) {
    std::printf("the imaging codecs made no pictures\n");
    return 2;
  }
  // A PNG is inflated where a bitmap file is only read: some 4 ms a picture.
  Figure pictures{"page of 20 PNG notes against BMP", "ms", 1.3, {}, {}};
  Figure photo{"page of a 4000x3000 JPEG against BMP", "ms", 1.5, {}, {}};
  Figure startUp{"start-up to the main bar", "ms", 1.5, {}, {}};
  Figure page{"page switch to 100 notes", "ms", 2.0, {}, {}};
  PageFigures small(SmallPage(), 1.6, 2.0, 0, 0);
  PageFigures large(LargePage(), 2.0, 0, 3.0, 3.0);
  for (int run = 0; run < runs; ++run) {
    double bBar = TimeBaselineBar(), pBar = TimeProgramBar(root.path());
    double bPage = TimeBaseline(root.path()), pPage = TimeProgram(root.path());
    std::printf("run %d: bar %.1f/%.1f ms, page %.1f/%.1f ms (program/baseline)\n", run + 1, pBar, bBar, pPage,
                bPage);
    std::fflush(stdout);
    if (bBar < 0 || pBar < 0 || bPage < 0 || pPage < 0 || !small.Run(root.path(), SmallPage(), run) ||
        (gLargeNotes > 0 && !large.Run(root.path(), LargePage(), run))) {
      std::printf("run %d failed\n", run + 1);
      return 2;
    }
    double pPng = TimePicturePage(root.path(), kPngPage, kPictureNotes);
    double pBmp = TimePicturePage(root.path(), kBmpPage, kPictureNotes);
    double pJpeg = TimePicturePage(root.path(), kJpegPhotoPage, 1);
    double pPhotoBmp = TimePicturePage(root.path(), kBmpPhotoPage, 1);
    std::printf("run %d: pictures PNG %.1f / BMP %.1f ms, photo JPEG %.1f / BMP %.1f ms\n", run + 1, pPng, pBmp,
                pJpeg, pPhotoBmp);
    std::fflush(stdout);
    if (pPng < 0 || pBmp < 0 || pJpeg < 0 || pPhotoBmp < 0) {
      std::printf("run %d failed\n", run + 1);
      return 2;
    }
    pictures.program.push_back(pPng);
    pictures.baseline.push_back(pBmp);
    photo.program.push_back(pJpeg);
    photo.baseline.push_back(pPhotoBmp);
    startUp.program.push_back(pBar);
    startUp.baseline.push_back(bBar);
    page.program.push_back(pPage);
    page.baseline.push_back(bPage);
  }
  std::printf("pages of %d and %d text notes, %d runs:\n", kDefaultNotes, gLargeNotes, runs);
  bool met = true;
  for (const Figure* f : {&startUp, &page}) met = Report(*f) && met;
  met = small.Report() && met;
  met = large.Report() && met;
  std::printf("picture pages:\n");
  for (const Figure* f : {&pictures, &photo}) met = Report(*f) && met;
  return met ? 0 : 1;
}

}  // namespace
}  // namespace memo::test

int main(int argc, char** argv) {
  using namespace memo::test;
  if (argc == 2 && std::string(argv[1]) == kBaselineBarFlag) return RunBaselineBar();
  if ((argc == 5 || argc == 6) && std::string(argv[1]) == kBaselineFlag) {
    static std::string pageName = argv[2];
    return RunBaseline(argv[4], Page{pageName.c_str(), std::atoi(argv[3])}, argc == 6 ? argv[5] : nullptr);
  }
  // Optional arguments: the number of runs, and of notes on the large page.
  int runs = argc >= 2 ? std::atoi(argv[1]) : kDefaultRuns;
  if (argc >= 3) gLargeNotes = std::max(0, std::atoi(argv[2]));
  return RunBenchmark(runs > 0 ? runs : kDefaultRuns);
}
