// The open page as other programs change it: the test process writes,
// creates and deletes files in the page folder while the program runs, as
// a sync engine does, and nothing but the page watch can show them.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "tests/support/AppDriver.h"
#include "tests/support/Keys.h"
#include "tests/support/NoteSession.h"
#include "tests/support/TestFiles.h"

namespace memo::test {
namespace {

// The processor time the program has used, in milliseconds.
double CpuMs(DWORD pid) {
  HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (!process) return -1;
  FILETIME created, ended, kernel, user;
  BOOL got = ::GetProcessTimes(process, &created, &ended, &kernel, &user);
  ::CloseHandle(process);
  if (!got) return -1;
  auto ticks = [](const FILETIME& t) { return (static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
  return static_cast<double>(ticks(kernel) + ticks(user)) / 10000.0;
}

void CaretToEndAndType(HWND body, const std::string& ascii) {
  auto end = static_cast<WPARAM>(WindowText(body).size());
  ::SendMessageA(body, EM_SETSEL, end, end);
  EXPECT_TRUE(PostTyping(body, ascii));
}

TEST(PageWatchTest, WhatAnotherProgramChangesInThePageShowsWithinASecond) {
  UnmanagedWindowsScope unmanaged;  // a note closed by the watch is timed
  NoteSession session;
  for (const char* name : {"a.txt", "gone.txt", "kept.txt"}) ASSERT_TRUE(WriteBytes(session.NotePath(name), name));
  ASSERT_TRUE(session.Start());
  HWND note = session.WaitNote("a.txt");
  HWND gone = session.WaitNote("gone.txt");
  HWND kept = session.WaitNote("kept.txt");
  ASSERT_TRUE(note && gone && kept);

  // The note in front, its text focused: the user is reading it.
  ASSERT_TRUE(BringToForeground(note));
  HWND body = NoteSession::Body(note);
  ::SendMessageA(body, EM_SETSEL, 2, 2);
  ASSERT_TRUE(WriteBytes(session.NotePath("a.txt"), "rewritten"));
  EXPECT_EQ(WaitBodyText(body, "rewritten", 1500), "rewritten");
  DWORD start = 0, end = 0;
  ::SendMessageA(body, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 2u) << "the caret stays where it was";
  EXPECT_EQ(::GetForegroundWindow(), note);

  // A note made on another computer, and a sync engine's conflict copy of
  // one of ours, which says whose copy it is.
  ASSERT_TRUE(WriteBytes(session.NotePath("new.txt"), "from elsewhere"));
  const std::string copy = "a.sync-conflict-20261207-235656-KISLZUV.txt";
  ASSERT_TRUE(WriteBytes(session.NotePath(copy), "their a"));
  HWND made = session.WaitNote("new.txt", kTextClass, 2000);
  ASSERT_TRUE(made);
  EXPECT_EQ(WindowText(NoteSession::Body(made)), "from elsewhere");
  HWND copied = session.WaitNote(copy, kTextClass, 2000);
  ASSERT_TRUE(copied);
  EXPECT_NE(NoteSession::NoticeText(copied).find("「a.txt」"), std::string::npos) << NoteSession::NoticeText(copied);
  EXPECT_GT(WindowRect(copied).left, WindowRect(note).left) << "beside its note, not over it";
  EXPECT_EQ(NoteSession::NoticeText(made), "");

  // Deleted elsewhere: an unedited note goes without leaving settings
  // behind; an edited one stays with its text and says why.
  CaretToEndAndType(NoteSession::Body(kept), "x");
  ASSERT_TRUE(::DeleteFileA(session.NotePath("gone.txt").c_str()));
  ASSERT_TRUE(::DeleteFileA(session.NotePath("kept.txt").c_str()));
  EXPECT_TRUE(WaitUntil([&] { return !session.app().FindWindowOf(kTextClass, "gone.txt"); }, 2000));
  EXPECT_TRUE(WaitUntil([&] { return !NoteSession::NoticeText(kept).empty(); }, 2000));
  EXPECT_TRUE(::IsWindow(kept));
  EXPECT_FALSE(FileExists(session.NotePath("gone.txt.ini")));
  EXPECT_EQ(session.app().Quit(), 0u);
  EXPECT_EQ(ReadBytes(session.NotePath("kept.txt")), "kept.txtx") << "the edits were saved at the close";
}

TEST(PageWatchTest, AFolderOfThousandsOfOtherFilesOneOfThemRewrittenLeavesTheProgramIdle) {
  UnmanagedWindowsScope unmanaged;
  NoteSession session;
  ASSERT_TRUE(WriteBytes(session.NotePath("a.txt"), "note"));
  // Made from the Unix side where there is one: ten thousand files through
  // Wine take a minute.
  std::string unixFolder = UnixPath(session.PageFolder());
  if (unixFolder.empty() ||
      !RunUnixShell("cd '" + unixFolder + "' && for i in $(seq 0 9999); do echo x > f$i.dat; done", 60000)) {
    for (int i = 0; i < 10000; ++i) {
      ASSERT_TRUE(WriteBytes(Join(session.PageFolder(), "f" + std::to_string(i) + ".dat"), "x"));
    }
  }
  ASSERT_TRUE(FileExists(Join(session.PageFolder(), "f9999.dat")));
  ASSERT_TRUE(session.Start());
  ASSERT_TRUE(session.WaitNote("a.txt"));
  PumpFor(1500);
  DWORD pid = session.app().pid();
  double before = CpuMs(pid);
  ASSERT_GT(before, 0.0) << "the start took processor time: the figures below are real";
  PumpFor(3000);
  double idle = CpuMs(pid) - before;
  const std::string busy = Join(session.PageFolder(), "f1.dat");
  before = CpuMs(pid);
  for (int i = 0; i < 30; ++i) {
    ASSERT_TRUE(WriteBytes(busy, std::to_string(i)));
    PumpFor(100);
  }
  double rewritten = CpuMs(pid) - before;
  // A tenth of a processor at most, while the test itself keeps writing.
  EXPECT_LT(idle, 300.0);
  EXPECT_LT(rewritten, 300.0);
  std::printf("processor time over 3 s: idle %.0f ms, one file rewritten every 100 ms %.0f ms\n", idle, rewritten);
  EXPECT_EQ(session.app().Quit(), 0u);
}

}  // namespace
}  // namespace memo::test
