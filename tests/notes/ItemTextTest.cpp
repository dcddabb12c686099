// The text note in the test process: what it saves when it closes, and
// what it must leave alone because the edit control could not show it.
#include <windows.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/AppDriver.h"
#include "tests/support/InProcessStore.h"
#include "tests/support/TestFiles.h"

namespace memo::test {
namespace {

using namespace std::string_literals;

class ItemTextTest : public InProcessStoreTest {
 protected:
  void SetUp() override {
    InProcessStoreTest::SetUp();
    UsePage("page");
  }

  std::string PathOf(const std::string& name) { return Join(root_ / "page", name); }

  HWND Open(const std::string& name) { return OpenHiddenNote("Memopane-Text", name); }

  static HWND Body(HWND note) { return ::GetDlgItem(note, 267); }

  // Closes the note as the user or a page switch does.
  static void Close(HWND note) {
    ::SendMessageA(note, WM_CLOSE, 0, 0);
    EXPECT_FALSE(::IsWindow(note));
  }

  // Types at the end of the text, as the user would.
  static void Append(HWND note, const std::string& text) {
    HWND body = Body(note);
    int end = ::GetWindowTextLengthA(body);
    ::SendMessageA(body, EM_SETSEL, end, end);
    ::SendMessageA(body, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
  }
};

// Bytes that no encoding reads back unchanged: the edit control holds no
// NUL, and broken sequences would be "repaired" by the next save.
struct Unshowable {
  const char* what;
  std::string bytes;
};
const Unshowable kUnshowable[] = {
    {"a NUL byte", "abc\0def"s},
    {"UTF-16 without its mark", "a\0b\0"s},
    {"UTF-8 after its mark, cut short", "\xEF\xBB\xBF" "ab\xE3\x81"s},
    {"a lead byte without its trail byte", "ab\x81"s},
    {"a lead byte with an invalid trail byte", "\x81\x20z"s},
};

TEST_F(ItemTextTest, WhatCouldNotBeShownIsNeverSavedOverItsFile) {
  int n = 0;
  for (const Unshowable& c : kUnshowable) {
    SCOPED_TRACE(c.what);
    std::string name = "unshown" + std::to_string(n++) + ".txt";
    ASSERT_TRUE(WriteBytes(PathOf(name), c.bytes));
    HWND note = Open(name);
    ASSERT_TRUE(note);
    ASSERT_NE(WindowText(Body(note)), c.bytes);
    EXPECT_TRUE(::GetWindowLongA(Body(note), GWL_STYLE) & ES_READONLY);
    Close(note);
    EXPECT_EQ(ReadBytes(PathOf(name)), c.bytes) << "closed without an edit";

    // Even a change of what it shows (here by the program, past the
    // read-only state) leaves the file as it was.
    note = Open(name);
    ASSERT_TRUE(note);
    Append(note, "!");
    ::SendMessageA(note, WM_TIMER, 11, 0);
    Close(note);
    EXPECT_EQ(ReadBytes(PathOf(name)), c.bytes);
  }
}

TEST_F(ItemTextTest, AFileThatCouldNotBeReadIsNotEmptied) {
  ASSERT_TRUE(WriteBytes(PathOf("locked.txt"), "precious"));
  HANDLE lock = ::CreateFileA(PathOf("locked.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  HWND note = Open("locked.txt");
  ::CloseHandle(lock);
  ASSERT_TRUE(note);
  EXPECT_EQ(WindowText(Body(note)), "");
  Close(note);
  EXPECT_EQ(ReadBytes(PathOf("locked.txt")), "precious");
}

TEST_F(ItemTextTest, TextTheControlShowsAsIsIsSavedAsIs) {
  // CR LF, a lone LF, tabs, double-byte characters whose trail byte is a
  // backslash ("表" is 0x95 0x5C), and bytes without a Unicode character.
  const std::string bytes = "表示\r\n\tタブ\nlf\r\n\x80\xA0\xFD"s;
  ASSERT_TRUE(WriteBytes(PathOf("plain.txt"), bytes));
  HWND note = Open("plain.txt");
  ASSERT_TRUE(note);
  EXPECT_EQ(WindowText(Body(note)), bytes);
  Append(note, "表");
  Close(note);
  EXPECT_EQ(ReadBytes(PathOf("plain.txt")), bytes + "表");
}

TEST_F(ItemTextTest, AnEmptiedNoteIsSavedAsAnEmptyFile) {
  ASSERT_TRUE(WriteBytes(PathOf("empty.txt"), "to be removed\r\n"));
  HWND note = Open("empty.txt");
  ASSERT_TRUE(note);
  ::SendMessageA(Body(note), EM_SETSEL, 0, -1);
  ::SendMessageA(Body(note), WM_CLEAR, 0, 0);
  Close(note);
  EXPECT_EQ(ReadBytes(PathOf("empty.txt")), "");
  // The save replaced the file: no temporary file is left beside it.
  EXPECT_EQ(ListNames(root_ / "page"), (std::vector<std::string>{"empty.txt", "empty.txt.ini"}));
}

TEST_F(ItemTextTest, AMissingFileOrAFolderIsNoTextNote) {
  ASSERT_TRUE(MakeFolder(PathOf("folder.txt")));
  for (const char* name : {"missing.txt", "folder.txt"}) {
    SCOPED_TRACE(name);
    // The refusal comes as a message box; answer it from a second thread.
    HWND note = nullptr;
    auto box = AnswerOwnDialog(IDOK, [&] { note = Open(name); }, 10000);
    EXPECT_EQ(note, nullptr);
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->title, "Memopane");
    EXPECT_EQ(box->text, "ItemText init failed\r\n\r\n" + PathOf(name));
  }
  EXPECT_FALSE(FileExists(PathOf("missing.txt")));
}

}  // namespace
}  // namespace memo::test
