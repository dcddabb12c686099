// Start-up of the real program: choosing and recording the root folder, the
// single-copy rule, start-up failures, the first showing of the main bar and
// the end of the program when the bar goes.
#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <string>

#include "frame/Messages.h"
#include "tests/support/AppDriver.h"
#include "tests/support/TestFiles.h"

namespace memo::test {
namespace {

constexpr char kAppKey[] = "Software\\Quendra\\Memopane";
constexpr char kRootValue[] = "RootPath2";

// Stops every thread of a process: a copy hung in the middle of its work,
// holding the desktop, its bar there but answering nothing.
void SuspendProcess(DWORD pid) {
  HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  ASSERT_NE(snapshot, INVALID_HANDLE_VALUE);
  THREADENTRY32 entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = ::Thread32First(snapshot, &entry); more; more = ::Thread32Next(snapshot, &entry)) {
    if (entry.th32OwnerProcessID != pid) continue;
    if (HANDLE thread = ::OpenThread(THREAD_SUSPEND_RESUME, FALSE, entry.th32ThreadID)) {
      ::SuspendThread(thread);
      ::CloseHandle(thread);
    }
  }
  ::CloseHandle(snapshot);
}

class StartupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    KillStrayCopies();
    DeleteTree(DefaultRoot());
  }
  void TearDown() override {
    app_.Kill();
    DeleteTree(DefaultRoot());
  }

  static std::string DefaultRoot() { return Join(DocumentsFolder(), "My Memopane"); }

  // Starts the program, expects the first-run dialog naming the root folder
  // and closes it.
  void StartExpectingFirstRun() {
    ASSERT_TRUE(app_.Start());
    auto dialog = app_.WaitDialog();
    ASSERT_TRUE(dialog) << "no first-run dialog";
    EXPECT_EQ(dialog->title, "Memopane");
    EXPECT_NE(dialog->text.find(DefaultRoot()), std::string::npos) << dialog->text;
    ASSERT_TRUE(app_.Answer(*dialog, IDCANCEL));
  }

  void ExpectDefaultRootInUse() {
    ASSERT_TRUE(app_.WaitMainBarVisible()) << "main bar not shown";
    EXPECT_TRUE(FolderExists(DefaultRoot()));
    EXPECT_TRUE(FolderExists(Join(DefaultRoot(), "common")));
    EXPECT_EQ(RegGet(kAppKey, kRootValue).value_or("<missing>"), DefaultRoot());
    EXPECT_EQ(RegGetType(kAppKey, kRootValue).value_or(0), static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(app_.Quit(), 0u);
  }

  RegValueGuard rootGuard_{kAppKey, kRootValue};
  AppDriver app_;
};

TEST_F(StartupTest, MissingValueCreatesAndRecordsTheDefaultRoot) {
  RegDelete(kAppKey, kRootValue);
  StartExpectingFirstRun();
  ExpectDefaultRootInUse();
}

TEST_F(StartupTest, UnusableValuesFallBackToTheDefaultRoot) {
  TempFolder temp;
  const std::string file = temp / "not-a-folder.txt";
  ASSERT_TRUE(WriteBytes(file, "x"));
  for (const std::string& value : {file, std::string("")}) {
    SCOPED_TRACE(value);
    RegSet(kAppKey, kRootValue, value);
    StartExpectingFirstRun();
    ExpectDefaultRootInUse();
    DeleteTree(DefaultRoot());
  }
}

TEST_F(StartupTest, AMissingRootIsUsedNextTimeAndTheDefaultOnlyForThisRun) {
  // An unplugged drive or a share not connected yet.
  TempFolder temp;
  const std::string gone = temp / "gone";
  RegSet(kAppKey, kRootValue, gone);
  ASSERT_TRUE(app_.Start());
  auto box = app_.WaitDialog();
  ASSERT_TRUE(box);
  EXPECT_EQ(box->title, "Memopane");
  EXPECT_EQ(box->text.rfind("付箋のフォルダが見つかりません。今回は既定のフォルダを使用します。", 0), 0u) << box->text;
  EXPECT_NE(box->text.find("gone"), std::string::npos) << "the folder is named";
  EXPECT_TRUE(box->errorIcon);
  ASSERT_TRUE(app_.Answer(*box, IDOK));
  ASSERT_TRUE(app_.WaitMainBarVisible()) << "main bar not shown";
  EXPECT_FALSE(app_.FindWindowOf("#32770")) << "no welcome: the user is no new one";
  EXPECT_TRUE(FolderExists(Join(DefaultRoot(), "common")));
  EXPECT_EQ(app_.Quit(), 0u);
  EXPECT_EQ(RegGet(kAppKey, kRootValue).value_or("<missing>"), gone);

  // Back again: used as before, with no word.
  ASSERT_TRUE(MakeFolder(gone));
  ASSERT_TRUE(app_.Start());
  ASSERT_TRUE(app_.WaitMainBarVisible());
  EXPECT_TRUE(app_.NoDialogFor(300));
  EXPECT_TRUE(FolderExists(Join(gone, "common")));
  EXPECT_EQ(app_.Quit(), 0u);
  EXPECT_EQ(RegGet(kAppKey, kRootValue).value_or("<missing>"), gone);
}

TEST_F(StartupTest, ExistingRootIsUsedAndCommonCreated) {
  TempFolder root;
  ASSERT_TRUE(app_.StartWithRoot(root.path()));
  HWND bar = app_.WaitMainBarVisible();
  ASSERT_TRUE(bar);
  EXPECT_FALSE(app_.FindWindowOf("#32770")) << "first-run dialog on a known root";
  EXPECT_TRUE(FolderExists(root / "common"));
  EXPECT_EQ(RegGet(kAppKey, kRootValue).value_or(""), root.path());
  EXPECT_FALSE(FolderExists(DefaultRoot()));
  EXPECT_EQ(app_.Quit(), 0u);
}

TEST_F(StartupTest, MainBarHasItsClassStylesAndFirstPlace) {
  TempFolder root;
  ASSERT_TRUE(app_.StartWithRoot(root.path()));
  HWND bar = app_.WaitMainBarVisible();
  ASSERT_TRUE(bar);
  EXPECT_EQ(::GetWindowLongA(bar, GWL_STYLE) & ~WS_VISIBLE, static_cast<LONG>(0x86000005));
  EXPECT_EQ(::GetWindowLongA(bar, GWL_EXSTYLE) & (WS_EX_TOOLWINDOW | WS_EX_TOPMOST),
            WS_EX_TOOLWINDOW | WS_EX_TOPMOST);
  EXPECT_EQ(::GetClassLongA(bar, GCL_STYLE), static_cast<DWORD>(CS_DBLCLKS));
  EXPECT_EQ(WindowText(bar), "");
  RECT r = WindowRect(bar);
  RECT work = WorkArea();
  EXPECT_EQ(r.left, (work.right - work.left - 320) / 2);
  EXPECT_EQ(r.top, 0);
  EXPECT_EQ(r.right - r.left, 320);
  EXPECT_EQ(r.bottom - r.top, 24);
  EXPECT_EQ(app_.Quit(), 0u);
}

// True when a lies above b in the z-order.
bool IsAbove(HWND a, HWND b) {
  for (HWND h = ::GetWindow(a, GW_HWNDNEXT); h; h = ::GetWindow(h, GW_HWNDNEXT)) {
    if (h == b) return true;
  }
  return false;
}

TEST_F(StartupTest, BarShowsBeforeTheNotesOfALargeStartPage) {
  UnmanagedWindowsScope unmanaged;
  constexpr size_t kNotes = 40;
  TempFolder root;
  ASSERT_TRUE(MakeFolder(root / "page"));
  for (size_t i = 0; i < kNotes; ++i) {
    std::string note = Join(root / "page", "n" + std::to_string(i) + ".txt");
    ASSERT_TRUE(WriteBytes(note, "text"));
    IniSet(note + ".ini", "Window", "Style", "1");
  }
  IniSet(root / "root.ini", "Info", "CurrentPage", "page");
  ASSERT_TRUE(app_.StartWithRoot(root.path()));
  // Watched closely: the notes follow the bar within a second or two.
  HWND bar = nullptr;
  ASSERT_TRUE(WaitUntil([&] {
    for (int i = 0; i < 1000 && !bar; ++i, ::Sleep(1)) {
      HWND found = app_.FindWindowOf("Memopane-Main");
      if (found && ::IsWindowVisible(found)) bar = found;
    }
    return bar != nullptr;
  }));
  EXPECT_LT(app_.Windows("Memopane-Text", nullptr, true).size(), kNotes) << "the bar waited for every note";
  EXPECT_TRUE(WaitUntil([&] { return app_.Windows("Memopane-Text", nullptr, true).size() == kNotes; }, 60000));
  EXPECT_EQ(WindowText(bar), "page");
  EXPECT_EQ(app_.Quit(60000), 0u);
}

TEST_F(StartupTest, SecondCopyOnlyWakesTheFirst) {
  TempFolder root;
  ASSERT_TRUE(MakeFolder(root / "page"));
  ASSERT_TRUE(WriteBytes(root / "page\\memo.txt", "memo"));
  // Covered by another program, notes would minimize to the edge by
  // themselves; these stay where they are.
  IniSet(root / "page\\memo.txt.ini", "Window", "Style", "1");
  // A note that is not raised with the main bar.
  ASSERT_TRUE(WriteBytes(root / "page\\stay.txt", "stay"));
  IniSet(root / "page\\stay.txt.ini", "Window", "Style", "515");
  IniSet(root / "root.ini", "Info", "CurrentPage", "page");
  ASSERT_TRUE(app_.StartWithRoot(root.path()));
  HWND bar = app_.WaitMainBarVisible();
  ASSERT_TRUE(bar);
  HWND note = app_.WaitWindow("Memopane-Text", "memo.txt");
  HWND stay = app_.WaitWindow("Memopane-Text", "stay.txt");
  ASSERT_TRUE(note && stay);

  // A window of another program covers the note...
  HWND cover = ::CreateWindowExA(0, "STATIC", "cover", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, nullptr,
                                 nullptr, nullptr, nullptr);
  ASSERT_TRUE(cover);
  // The note is raised once more as the bar first activates: cover it
  // until it stays covered.
  ASSERT_TRUE(WaitUntil([&] {
    ::SetWindowPos(cover, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    PumpFor(500);
    return IsAbove(cover, note) && IsAbove(cover, stay);
  }));

  AppDriver second(AppDriver::kLeaveOthers);
  ASSERT_TRUE(second.Start());
  // The post to the running copy succeeded: its result is the exit code.
  EXPECT_EQ(second.WaitExit(), 1u);
  EXPECT_EQ(second.Windows("Memopane-Main").size(), 0u);
  EXPECT_TRUE(app_.Running());
  EXPECT_EQ(app_.Windows("Memopane-Main").size(), 1u);
  // ...until the second start brings the first copy's windows to the front.
  EXPECT_TRUE(WaitUntil([&] { return IsAbove(note, cover); }, 3000));
  EXPECT_TRUE(IsAbove(cover, stay)) << "a note with style bit 0x200 stays where it is";
  ::DestroyWindow(cover);
  EXPECT_EQ(app_.Quit(), 0u);
}

TEST_F(StartupTest, BringToFrontKeepsTheNotesInTheirOrder) {
  UnmanagedWindowsScope unmanaged;
  TempFolder root;
  ASSERT_TRUE(MakeFolder(root / "page"));
  for (const char* name : {"a.txt", "b.txt", "c.txt"}) {
    ASSERT_TRUE(WriteBytes(Join(root / "page", name), name));
    // Not minimized to the edge while another program's window covers them.
    IniSet(Join(root / "page", name) + ".ini", "Window", "Style", "1");
  }
  IniSet(root / "root.ini", "Info", "CurrentPage", "page");
  ASSERT_TRUE(app_.StartWithRoot(root.path()));
  HWND bar = app_.WaitMainBarVisible();
  ASSERT_TRUE(bar);
  HWND a = app_.WaitWindow("Memopane-Text", "a.txt");
  HWND b = app_.WaitWindow("Memopane-Text", "b.txt");
  HWND c = app_.WaitWindow("Memopane-Text", "c.txt");
  ASSERT_TRUE(a && b && c);

  // The user's arrangement, top first: b, a, c; a window of another program
  // over all of them. Set again until the start-up's own raising is over.
  HWND cover = ::CreateWindowExA(0, "STATIC", "cover", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, nullptr,
                                 nullptr, nullptr, nullptr);
  ASSERT_TRUE(cover);
  ASSERT_TRUE(WaitUntil([&] {
    for (HWND h : {c, a, b, cover}) {
      ::SetWindowPos(h, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    PumpFor(500);
    return IsAbove(cover, b) && IsAbove(b, a) && IsAbove(a, c);
  }));

  for (int round = 1; round <= 2; ++round) {
    SCOPED_TRACE(round);
    ASSERT_TRUE(::PostMessageA(bar, WM_COMMAND, kCmdBringToFront, 0));
    EXPECT_TRUE(WaitUntil([&] { return IsAbove(c, cover); }, 3000)) << "the notes were not raised";
    PumpFor(300);
    EXPECT_TRUE(IsAbove(b, a) && IsAbove(a, c)) << "the notes' order changed";
  }
  ::DestroyWindow(cover);
  EXPECT_EQ(app_.Quit(), 0u);
}

TEST_F(StartupTest, SecondStartDuringTheWelcomeStartsNoSecondCopy) {
  RegDelete(kAppKey, kRootValue);
  ASSERT_TRUE(app_.Start());
  auto welcome = app_.WaitDialog();
  ASSERT_TRUE(welcome) << "no first-run dialog";

  AppDriver second(AppDriver::kLeaveOthers);
  ASSERT_TRUE(second.Start());
  // There is no bar to wake yet: nothing was posted, and no welcome of its own.
  EXPECT_EQ(second.WaitExit(), 0u);

  ASSERT_TRUE(app_.Answer(*welcome, IDCANCEL));
  ASSERT_TRUE(app_.WaitMainBarVisible());
  PumpFor(500);
  int bars = 0;
  for (HWND h = ::FindWindowExA(nullptr, nullptr, "Memopane-Main", nullptr); h;
       h = ::FindWindowExA(nullptr, h, "Memopane-Main", nullptr)) {
    ++bars;
  }
  EXPECT_EQ(bars, 1);

  // Once the bar is there, a start wakes it as before.
  AppDriver third(AppDriver::kLeaveOthers);
  ASSERT_TRUE(third.Start());
  EXPECT_EQ(third.WaitExit(), 1u);
  EXPECT_EQ(app_.Quit(), 0u);
}

TEST_F(StartupTest, StartDuringAQuitWaitsForTheEndAndThenRuns) {
  constexpr int kNotes = 200;
  UnmanagedWindowsScope unmanaged;
  TempFolder root;
  ASSERT_TRUE(MakeFolder(root / "page"));
  for (int i = 0; i < kNotes; ++i) {
    ASSERT_TRUE(WriteBytes(Join(root / "page", "note" + std::to_string(i) + ".txt"), "note"));
  }
  IniSet(root / "root.ini", "Info", "CurrentPage", "page");
  ASSERT_TRUE(app_.StartWithRoot(root.path()));
  // The bar shows first; the notes of the page follow.
  HWND bar = app_.WaitMainBarVisible(120000);
  ASSERT_TRUE(bar);
  ASSERT_TRUE(WaitUntil([&] { return app_.NoteWindows().size() == kNotes; }, 120000));

  // The quit is under way (notes are closing) when the next copy starts.
  ASSERT_TRUE(::PostMessageA(bar, WM_CLOSE, 0, 0));
  ASSERT_TRUE(WaitUntil([&] { return app_.NoteWindows().size() < kNotes; }));
  AppDriver next(AppDriver::kLeaveOthers);
  ASSERT_TRUE(next.Start());
  ASSERT_TRUE(app_.Running()) << "the quit ended before the next start: nothing was tested";

  // The next copy neither wakes the ending one nor opens beside it.
  bool together = false;
  HWND nextBar = nullptr;
  WaitUntil(
      [&] {
        nextBar = next.FindWindowOf("Memopane-Main");
        if (nextBar && app_.FindWindowOf("Memopane-Main")) together = true;
        return nextBar || !next.Running();
      },
      120000);
  EXPECT_TRUE(nextBar) << "no copy runs after the quit; exit code " << next.WaitExit(0);
  EXPECT_FALSE(together) << "two bars at once";
  EXPECT_EQ(app_.WaitExit(60000), 0u);
  ASSERT_TRUE(next.WaitMainBarVisible(120000));
  EXPECT_TRUE(WaitUntil([&] { return WindowText(nextBar) == "page"; }, 120000)) << "the page did not open";
  EXPECT_EQ(next.Quit(120000), 0u);
}

TEST_F(StartupTest, ACopyThatHoldsTheDesktopWithoutAnsweringIsNamedAndCanBeEnded) {
  TempFolder root;
  ASSERT_TRUE(app_.StartWithRoot(root.path()));
  ASSERT_TRUE(app_.WaitMainBarVisible());
  SuspendProcess(app_.pid());

  AppDriver second(AppDriver::kLeaveOthers);
  ASSERT_TRUE(second.Start());
  auto box = second.WaitDialog(30000);
  ASSERT_TRUE(box) << "the start ended without a word, exit code " << second.WaitExit(0);
  EXPECT_EQ(box->title, "Memopane");
  EXPECT_TRUE(box->errorIcon);
  EXPECT_NE(box->text.find(std::to_string(app_.pid())), std::string::npos) << "names the copy: " << box->text;
  EXPECT_EQ(box->buttons.size(), 3u) << "end it, wait, give up";
  ASSERT_TRUE(second.Answer(*box, IDCANCEL));
  EXPECT_EQ(second.WaitExit(), 1u);
  EXPECT_TRUE(app_.Running()) << "given up, the start ends nothing";

  AppDriver third(AppDriver::kLeaveOthers);
  ASSERT_TRUE(third.Start());
  box = third.WaitDialog(30000);
  ASSERT_TRUE(box);
  ASSERT_TRUE(third.Answer(*box, IDYES));
  EXPECT_TRUE(WaitUntil([&] { return !app_.Running(); })) << "the hung copy was not ended";
  EXPECT_TRUE(third.WaitMainBarVisible()) << "the start did not go on";
  EXPECT_EQ(third.Quit(), 0u);
}

TEST_F(StartupTest, ACopyHungBeforeItsBarIsNamedToo) {
  // Stopped while its start shows a box: it holds the desktop, has no bar.
  TempFolder temp;
  RegSet(kAppKey, kRootValue, temp / "gone");
  ASSERT_TRUE(app_.Start());
  ASSERT_TRUE(app_.WaitDialog());
  SuspendProcess(app_.pid());

  TempFolder root;
  RegSet(kAppKey, kRootValue, root.path());
  IniSet(root / "root.ini", "Info", "Splash", "0");
  IniSet(root / "root.ini", "Info", "AutoRun", "0");
  AppDriver next(AppDriver::kLeaveOthers);
  ASSERT_TRUE(next.Start());
  auto box = next.WaitDialog(30000);
  ASSERT_TRUE(box) << "the start ended without a word, exit code " << next.WaitExit(0);
  EXPECT_TRUE(box->errorIcon);
  EXPECT_NE(box->text.find(std::to_string(app_.pid())), std::string::npos) << box->text;
  ASSERT_TRUE(next.Answer(*box, IDYES));
  EXPECT_TRUE(next.WaitMainBarVisible()) << "the start did not go on";
  EXPECT_EQ(next.Quit(), 0u);
}

TEST_F(StartupTest, AQuitWhileTheBarIsDraggedStillEndsTheProgram) {
  UnmanagedWindowsScope unmanaged;  // the quit is timed: no two-second hides
  TempFolder root;
  ASSERT_TRUE(app_.StartWithRoot(root.path()));
  HWND bar = app_.WaitMainBarVisible();
  ASSERT_TRUE(bar);
  // The button stays down: the system's move loop runs as the bar closes.
  RECT r = WindowRect(bar);
  int x = (r.left + r.right) / 2, y = (r.top + r.bottom) / 2;
  std::string press = "mousemove " + std::to_string(x) + " " + std::to_string(y) + " sleep 0.3 mousedown 1";
  for (int step = 1; step <= 3; ++step) {
    press += " sleep 0.05 mousemove " + std::to_string(x + 20 * step) + " " + std::to_string(y + 7 * step);
  }
  if (!XPointer(press)) GTEST_SKIP() << "no xdotool";
  PumpFor(300);
  DWORD code = app_.Quit(5000);
  // Released far from the bar: a list that a later test drops down below
  // the bar would take the pointer over it for a choice.
  XPointer("mouseup 1 mousemove 1270 1010");
  EXPECT_EQ(code, 0u) << "the program outlived its bar";
}

TEST_F(StartupTest, UncreatableRootFailsWithoutTouchingTheRegistry) {
  // A file where the default root folder would be created.
  RegDelete(kAppKey, kRootValue);
  ASSERT_TRUE(WriteBytes(DefaultRoot(), "in the way"));
  ASSERT_TRUE(app_.Start());
  auto box = app_.WaitDialog();
  ASSERT_TRUE(box);
  EXPECT_EQ(box->title, "Memopane");
  EXPECT_EQ(box->text, "CheckRoot failed");
  EXPECT_TRUE(box->errorIcon);
  EXPECT_EQ(box->owner, nullptr);
  ASSERT_TRUE(app_.Answer(*box, IDOK));
  EXPECT_EQ(app_.WaitExit(), 1u);
  EXPECT_FALSE(RegGet(kAppKey, kRootValue).has_value());
  DeleteTree(DefaultRoot());

  // A file where common would be created inside a usable root.
  TempFolder root;
  ASSERT_TRUE(WriteBytes(root / "common", "in the way"));
  RegSet(kAppKey, kRootValue, root.path());
  ASSERT_TRUE(app_.Start());
  box = app_.WaitDialog();
  ASSERT_TRUE(box);
  EXPECT_EQ(box->text, "CheckRoot failed");
  ASSERT_TRUE(app_.Answer(*box, IDOK));
  EXPECT_EQ(app_.WaitExit(), 1u);
  EXPECT_FALSE(app_.FindWindowOf("Memopane-Main"));
}

TEST_F(StartupTest, AutoRunWritesTheRunValueUnlessSwitchedOff) {
  constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
  RegValueGuard runGuard(kRunKey, "Memopane");
  TempFolder root;

  // On by default: every start records the program's own full path.
  RegDelete(kRunKey, "Memopane");
  IniSet(root / "root.ini", "Info", "AutoRun", "1");
  ASSERT_TRUE(app_.StartWithRoot(root.path()));
  ASSERT_TRUE(app_.WaitMainBarVisible());
  EXPECT_EQ(RegGet(kRunKey, "Memopane").value_or("<missing>"), MemopaneExe());
  EXPECT_EQ(app_.Quit(), 0u);

  // Off: a value that is there stays as it is.
  RegSet(kRunKey, "Memopane", "C:\\elsewhere\\memopane.exe");
  IniSet(root / "root.ini", "Info", "AutoRun", "0");
  ASSERT_TRUE(app_.StartWithRoot(root.path()));
  ASSERT_TRUE(app_.WaitMainBarVisible());
  EXPECT_EQ(RegGet(kRunKey, "Memopane").value_or("<missing>"), "C:\\elsewhere\\memopane.exe");
  EXPECT_EQ(app_.Quit(), 0u);
}

TEST_F(StartupTest, SplashSettingDecidesHowTheBarAppears) {
  TempFolder root;
  IniSet(root / "root.ini", "Info", "Splash", "0");
  ASSERT_TRUE(app_.StartWithRoot(root.path()));
  EXPECT_TRUE(app_.WaitMainBarVisible(3000));
  EXPECT_EQ(app_.Quit(), 0u);

  // With the splash on, the bar still ends up shown.
  IniSet(root / "root.ini", "Info", "Splash", "1");
  ASSERT_TRUE(app_.StartWithRoot(root.path()));
  EXPECT_TRUE(app_.WaitMainBarVisible());
  EXPECT_EQ(app_.Quit(), 0u);
}

}  // namespace
}  // namespace memo::test
