// Text notes whose files another program changes while they are open (a
// sync tool, a second computer, an editor): the test writes the files and
// switches to a window of its own and back, as a user coming back would.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/AppDriver.h"
#include "tests/support/Keys.h"
#include "tests/support/NoteSession.h"
#include "tests/support/TestFiles.h"

namespace memo::test {
namespace {

FILETIME WriteTime(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  ::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
  return data.ftLastWriteTime;
}

// Rewrites the file and puts its time back, as a second write inside one
// tick of a coarse file time looks.
void RewriteKeepingTime(const std::string& path, const std::string& bytes) {
  FILETIME time = WriteTime(path);
  ASSERT_TRUE(WriteBytes(path, bytes));
  HANDLE file = ::CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  ::SetFileTime(file, nullptr, nullptr, &time);
  ::CloseHandle(file);
}

// A window of the test program: activating it and then the program makes
// the program active again, as when the user comes back to it.
class OtherProgram {
 public:
  OtherProgram() {
    hwnd_ = ::CreateWindowExA(0, "STATIC", "other program", WS_POPUP | WS_VISIBLE, 0, 600, 100, 50, nullptr,
                              nullptr, ::GetModuleHandleA(nullptr), nullptr);
  }
  ~OtherProgram() { ::DestroyWindow(hwnd_); }
  OtherProgram(const OtherProgram&) = delete;
  OtherProgram& operator=(const OtherProgram&) = delete;

  bool SwitchBackTo(HWND window) {
    if (!BringToForeground(hwnd_)) return false;
    PumpFor(50);
    return BringToForeground(window);
  }

 private:
  HWND hwnd_ = nullptr;
};

TEST(TextNoteSyncTest, AnUneditedNoteShowsEachOutsideWriteAndNeverWritesItBack) {
  NoteSession session;
  const std::string path = session.NotePath("a.txt");
  ASSERT_TRUE(WriteBytes(path, "one"));
  ASSERT_TRUE(session.Start());
  HWND note = session.WaitNote("a.txt");
  ASSERT_TRUE(note);
  HWND body = NoteSession::Body(note);
  ::SendMessageA(body, EM_SETSEL, 1, 1);
  OtherProgram other;

  // Two writes of the same size within one file-time tick: both are seen.
  RewriteKeepingTime(path, "two");
  ASSERT_TRUE(other.SwitchBackTo(note));
  EXPECT_EQ(WaitBodyText(body, "two", 2000), "two");
  DWORD start = 0, end = 0;
  ::SendMessageA(body, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 1u) << "the caret stays where it was";
  RewriteKeepingTime(path, "six");
  ASSERT_TRUE(other.SwitchBackTo(session.bar()));
  EXPECT_EQ(WaitBodyText(body, "six", 2000), "six");
  EXPECT_EQ(NoteSession::NoticeText(note), "") << "a silent reload";

  // Changed again, and closed before the program saw it: the close leaves
  // the outside text in the file.
  ASSERT_TRUE(WriteBytes(path, "seven"));
  ASSERT_TRUE(NoteSession::CloseNote(note));
  EXPECT_EQ(ReadBytes(path), "seven");
  EXPECT_EQ(ListNames(session.PageFolder()), (std::vector<std::string>{"a.txt", "a.txt.ini"}));
  EXPECT_EQ(session.app().Quit(), 0u);
}

TEST(TextNoteSyncTest, AnEditedNoteKeepsBothTextsAndOpensTheConflictCopy) {
  NoteSession session;
  const std::string path = session.NotePath("メモ.txt");
  // Files in UTF-8, as a sync tool brings them from another computer: the
  // check compares bytes, and the copy keeps the note's encoding.
  ASSERT_TRUE(WriteBytes(path, u8"ベース"));
  ASSERT_TRUE(session.Start());
  HWND note = session.WaitNote("メモ.txt");
  ASSERT_TRUE(note);
  HWND body = NoteSession::Body(note);
  ::SendMessageA(body, EM_SETSEL, 3, 3);
  ASSERT_TRUE(PostTyping(body, " mine"));
  ASSERT_TRUE(WriteBytes(path, u8"相手"));
  OtherProgram other;
  ASSERT_TRUE(other.SwitchBackTo(note));

  EXPECT_EQ(WaitBodyText(body, "相手", 2000), "相手");
  std::string copyName;
  ASSERT_TRUE(WaitUntil([&] {
    for (const std::string& name : ListNames(session.PageFolder())) {
      const std::string prefix = "メモ (競合 ";
      if (name.compare(0, prefix.size(), prefix) == 0 && name.substr(name.size() - 4) == ".txt") {
        copyName = name;
      }
    }
    return !copyName.empty();
  }));
  EXPECT_EQ(copyName.size(), std::string("メモ (競合 2026-12-07 1030).txt").size()) << copyName;
  EXPECT_EQ(ReadBytes(session.NotePath(copyName)), u8"ベース mine");
  HWND copy = session.WaitNote(copyName);
  ASSERT_TRUE(copy) << "the copy opens as a note of the page";
  EXPECT_EQ(WindowText(NoteSession::Body(copy)), "ベース mine");
  EXPECT_NE(NoteSession::NoticeText(note).find(copyName), std::string::npos) << NoteSession::NoticeText(note);
  EXPECT_TRUE(session.app().NoDialogFor(300));

  // The note now saves on top of the outside text, and only once edited.
  ASSERT_TRUE(NoteSession::CloseNote(note));
  EXPECT_EQ(ReadBytes(path), u8"相手");
  EXPECT_EQ(session.app().Quit(), 0u);
}

TEST(TextNoteSyncTest, AFileDeletedOutsideComesBackOnlyWithEditsAfterANotice) {
  NoteSession session;
  const std::string untouched = session.NotePath("untouched.txt");
  const std::string edited = session.NotePath("edited.txt");
  ASSERT_TRUE(WriteBytes(untouched, "u"));
  ASSERT_TRUE(WriteBytes(edited, "e"));
  ASSERT_TRUE(session.Start());
  HWND u = session.WaitNote("untouched.txt");
  HWND e = session.WaitNote("edited.txt");
  ASSERT_TRUE(u && e);
  ::SendMessageA(NoteSession::Body(e), EM_SETSEL, 1, 1);
  ASSERT_TRUE(PostTyping(NoteSession::Body(e), "+"));
  ASSERT_TRUE(::DeleteFileA(untouched.c_str()));
  ASSERT_TRUE(::DeleteFileA(edited.c_str()));

  // Before its save an edited note tells, and waits for a later save.
  ::PostMessageA(e, WM_TIMER, 11, 0);
  ASSERT_TRUE(WaitUntil([&] { return NoteSession::NoticeText(e).find("削除") != std::string::npos; }, 2000));
  EXPECT_FALSE(FileExists(edited));
  OtherProgram other;
  ASSERT_TRUE(other.SwitchBackTo(session.bar()));
  ASSERT_TRUE(WaitUntil([&] { return NoteSession::NoticeText(u).find("削除") != std::string::npos; }, 2000));
  EXPECT_TRUE(session.app().NoDialogFor(300)) << "no box per note";
  EXPECT_FALSE(FileExists(untouched));

  // Closing: the deletion of the unedited note stands, the edits come back.
  ASSERT_TRUE(NoteSession::CloseNote(u));
  ASSERT_TRUE(NoteSession::CloseNote(e));
  EXPECT_FALSE(FileExists(untouched));
  EXPECT_EQ(ReadBytes(edited), "e+");
  EXPECT_EQ(session.app().Quit(), 0u);
}

}  // namespace
}  // namespace memo::test
