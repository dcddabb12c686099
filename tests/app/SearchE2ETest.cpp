// The search window of the real program: one window, results while the
// query is typed from every page and of every kind, and a result that
// opens its note on its page with the match selected; the global hotkeys.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/support/AppDriver.h"
#include "tests/support/Keys.h"
#include "tests/support/NoteSession.h"
#include "tests/support/RemoteTree.h"
#include "tests/support/TestFiles.h"

namespace memo::test {
namespace {

constexpr int kSearchCommand = 290;
constexpr char kSearchClass[] = "Memopane-Search";
constexpr int kQueryId = 1001;
constexpr int kListId = 1002;

using Rows = std::vector<std::vector<std::string>>;

class SearchTest : public ::testing::Test {
 protected:
  HWND OpenSearch() {
    ::PostMessageA(session_.bar(), WM_COMMAND, kSearchCommand, 0);
    HWND search = session_.app().WaitWindow(kSearchClass);
    return search && WaitUntil([&] { return ::IsWindowVisible(search); }) ? search : nullptr;
  }

  // Types the query as an input method commits it, and waits for the rows
  // of the finished search ("ページ", "付箋", "内容").
  Rows Search(HWND search, const wchar_t* query, size_t expectedRows) {
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(::GetDlgItem(search, kQueryId), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(query),
                          SMTO_NORMAL, 5000, &ignored);
    Rows rows;
    WaitUntil([&] {
      rows = ListViewRows(::GetDlgItem(search, kListId), 3);
      return rows.size() == expectedRows;
    });
    PumpFor(300);  // nothing more comes
    return ListViewRows(::GetDlgItem(search, kListId), 3);
  }

  NoteSession session_;
};

TEST_F(SearchTest, AResultOnAnotherPageOpensItsNoteWithTheWordSelected) {
  ASSERT_TRUE(MakeFolder(session_.PageFolder("other")));
  // UTF-8 with a character outside the code page and of two UTF-16 units
  // before the word: the selection counts in the body's UTF-16.
  ASSERT_TRUE(WriteBytes(Join(session_.PageFolder("other"), "far.txt"),
                         "first \xF0\x9F\x98\x80 line\r\nthe zebra crossing\r\n"));
  ASSERT_TRUE(WriteBytes(session_.NotePath("near.txt"), "nothing"));
  ASSERT_TRUE(session_.Start());
  HWND search = OpenSearch();
  ASSERT_TRUE(search);
  ::PostMessageA(session_.bar(), WM_COMMAND, kSearchCommand, 0);
  PumpFor(500);
  EXPECT_EQ(session_.app().Windows(kSearchClass).size(), 1u) << "a second request brings the open one forward";

  EXPECT_EQ(Search(search, L"ZEBRA", 1), (Rows{{"other", "far.txt", "the zebra crossing"}}));
  PostKey(::GetDlgItem(search, kQueryId), VK_RETURN);
  ASSERT_TRUE(WaitUntil([&] { return WindowText(session_.bar()) == "other"; }, 30000));
  HWND note = session_.WaitNote("far.txt");
  ASSERT_TRUE(note);
  EXPECT_TRUE(WaitUntil([&] { return ::GetForegroundWindow() == note; }));
  DWORD start = 0;
  DWORD end = 0;
  ASSERT_TRUE(WaitUntil([&] {
    ::SendMessageA(NoteSession::Body(note), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                   reinterpret_cast<LPARAM>(&end));
    return end != start;
  }));
  EXPECT_EQ(start, 19u);  // "first " U+1F600 " line\r\nthe "
  EXPECT_EQ(end, 24u);

  PostKey(::GetDlgItem(search, kQueryId), VK_ESCAPE);
  EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(search); }));
}

TEST_F(SearchTest, FindsByKanaAndWidthInEveryKindOfTextAndNeedsEveryWord) {
  ASSERT_TRUE(WriteBytes(session_.NotePath("kata.txt"), "会議のメモ"));
  ASSERT_TRUE(WriteBytes(session_.NotePath("hira.txt"), "めもを書く"));
  // "メモ帳 UTF-8" in UTF-8, which the code page would read otherwise.
  ASSERT_TRUE(WriteBytes(session_.NotePath("utf8.txt"), "\xE3\x83\xA1\xE3\x83\xA2\xE5\xB8\xB3 UTF-8"));
  ASSERT_TRUE(WriteBytes(session_.NotePath("owner.txt"), "plain"));
  IniSet(session_.NotePath("owner.txt.ini"), "Mini1", "Text", "6B6977692083818382");  // "kiwi メモ"
  ASSERT_TRUE(WriteBytes(session_.NotePath("\"shared.txt\""), "unrelated"));
  ASSERT_TRUE(session_.Start());
  HWND search = OpenSearch();
  ASSERT_TRUE(search);

  Rows rows = Search(search, L"ﾒﾓ", 4);
  std::sort(rows.begin(), rows.end());
  EXPECT_EQ(rows, (Rows{{"page", "hira.txt", "めもを書く"},
                        {"page", "kata.txt", "会議のメモ"},
                        {"page", "owner.txt", "kiwi メモ"},
                        {"page", "utf8.txt", "メモ帳 UTF-8"}}))
      << "half-width katakana finds katakana, hiragana, a mini note's text and UTF-8 text";
  EXPECT_EQ(Search(search, L"めも　会議", 1), (Rows{{"page", "kata.txt", "会議のメモ"}})) << "both words";
  EXPECT_EQ(Search(search, L"KIWI", 1), (Rows{{"page", "owner.txt", "kiwi メモ"}})) << "a mini note's owner";
  EXPECT_EQ(Search(search, L"shared", 1), (Rows{{"common", "shared.txt", ""}})) << "a name in common";
}

TEST_F(SearchTest, AHiddenNoteIsOpenedAndAMinimizedOneRestored) {
  ASSERT_TRUE(WriteBytes(session_.NotePath("secret.txt"), "kept out of sight"));
  IniSet(session_.NotePath("secret.txt.ini"), "Window", "Style", "18");
  ASSERT_TRUE(WriteBytes(session_.NotePath("edge.txt"), "at the edge"));
  ASSERT_TRUE(session_.Start());
  HWND edge = session_.WaitNote("edge.txt");
  ASSERT_TRUE(edge);
  EXPECT_EQ(session_.app().NoteTitles(), std::vector<std::string>{"edge.txt"});
  constexpr int kMinimizeCommand = 269;
  ::PostMessageA(edge, WM_COMMAND, kMinimizeCommand, 0);
  ASSERT_TRUE(session_.app().WaitWindow("Memopane-Bar", "edge.txt"));
  ASSERT_TRUE(WaitUntil([&] { return !::IsWindowVisible(edge); }));

  HWND search = OpenSearch();
  ASSERT_TRUE(search);
  EXPECT_EQ(Search(search, L"sight", 1), (Rows{{"page", "secret.txt", "kept out of sight"}}));
  PostKey(::GetDlgItem(search, kQueryId), VK_RETURN);
  EXPECT_TRUE(session_.WaitNote("secret.txt"));

  EXPECT_EQ(Search(search, L"edge", 1), (Rows{{"page", "edge.txt", "at the edge"}}));
  PostKey(::GetDlgItem(search, kQueryId), VK_RETURN);
  EXPECT_TRUE(session_.WaitNote("edge.txt"));
  EXPECT_TRUE(WaitUntil([&] { return !session_.app().FindWindowOf("Memopane-Bar", "edge.txt"); }));
}

// A window of the test process in front, as another program would be.
struct ForeignWindow {
  ForeignWindow() {
    hwnd = ::CreateWindowExA(0, "STATIC", "other program", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 300, 200,
                             nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
  }
  ~ForeignWindow() { ::DestroyWindow(hwnd); }
  HWND hwnd;
};

bool CtrlAlt(char key) {
  INPUT inputs[6] = {};
  const WORD keys[3] = {VK_CONTROL, VK_MENU, static_cast<WORD>(key)};
  for (int i = 0; i < 3; ++i) {
    inputs[i].type = inputs[5 - i].type = INPUT_KEYBOARD;
    inputs[i].ki.wVk = inputs[5 - i].ki.wVk = keys[i];
    inputs[5 - i].ki.dwFlags = KEYEVENTF_KEYUP;
  }
  return ::SendInput(6, inputs, sizeof(INPUT)) == 6;
}

TEST_F(SearchTest, HotkeyMakesANewTextNoteReadyForTypingAndNoneIsUnregistered) {
  IniSet(session_.root() + "\\root.ini", "Info", "HotkeySearch", "0");
  ASSERT_TRUE(session_.Start());
  PumpFor(500);  // the keys are registered once the bar shows
  ForeignWindow other;
  ASSERT_TRUE(BringToForeground(other.hwnd));
  ASSERT_TRUE(CtrlAlt('N'));
  HWND note = session_.WaitNote("新しいテキスト1.txt");
  ASSERT_TRUE(note);
  EXPECT_TRUE(WaitUntil([&] { return ::GetForegroundWindow() == note; }));
  GUITHREADINFO info{};
  info.cbSize = sizeof(info);
  EXPECT_TRUE(WaitUntil([&] {
    return ::GetGUIThreadInfo(::GetWindowThreadProcessId(note, nullptr), &info) &&
           info.hwndFocus == NoteSession::Body(note);
  }));

  // Ctrl+Alt+F is no key of the program now; Ctrl+Alt+M still is.
  EXPECT_TRUE(::RegisterHotKey(other.hwnd, 1, MOD_CONTROL | MOD_ALT, 'F'));
  EXPECT_FALSE(::RegisterHotKey(other.hwnd, 2, MOD_CONTROL | MOD_ALT, 'M'));
  ::UnregisterHotKey(other.hwnd, 1);
}

}  // namespace
}  // namespace memo::test
