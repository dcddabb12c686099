// Text notes in the files other programs write: UTF-8 with or without its
// mark, UTF-16, bare line feeds, and characters the code page lacks.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/support/AppDriver.h"
#include "tests/support/NoteSession.h"
#include "tests/support/TestFiles.h"

namespace memo::test {
namespace {

using namespace std::string_literals;

// The body's text as the control holds it, in UTF-16.
std::wstring WideText(HWND body) {
  auto length = ::SendMessageW(body, WM_GETTEXTLENGTH, 0, 0);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  auto copied = ::SendMessageW(body, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]));
  text.resize(static_cast<size_t>(copied));
  return text;
}

std::wstring WaitWideText(HWND body, const std::wstring& expected) {
  WaitUntil([&] { return WideText(body) == expected; });
  return WideText(body);
}

std::string Utf16Le(const std::wstring& text) {
  std::string bytes = "\xFF\xFE";
  for (wchar_t c : text) {
    bytes.push_back(static_cast<char>(c & 0xFF));
    bytes.push_back(static_cast<char>(c >> 8));
  }
  return bytes;
}

bool PutUnicodeOnClipboard(const std::wstring& text) {
  if (!::OpenClipboard(nullptr)) return false;
  ::EmptyClipboard();
  HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
  bool put = false;
  if (memory) {
    memcpy(::GlobalLock(memory), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    ::GlobalUnlock(memory);
    put = ::SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
    if (!put) ::GlobalFree(memory);
  }
  ::CloseClipboard();
  return put;
}

// "🍞" and "𠮷" take two UTF-16 units each; "é" and Hangul are no CP932.
const std::wstring kBread = L"\xD83C\xDF5E";
const std::wstring kYoshi = L"\xD842\xDFB7";

struct FormCase {
  const char* name;
  std::string bytes;     // the file as another program wrote it
  std::wstring shown;    // what the note must show
  std::wstring added;    // typed at the end, one WM_CHAR a unit; pasted when paste
  bool paste;
  std::string saved;     // the file after the edit and a page switch
};

const FormCase kForms[] = {
    {"utf8.txt", u8"買い物リスト\r\n- 牛乳\r\n- パン 🍞", L"\x8CB7\x3044\x7269\x30EA\x30B9\x30C8\r\n- \x725B\x4E73\r\n- \x30D1\x30F3 " + kBread,
     L"\xE9", false, u8"買い物リスト\r\n- 牛乳\r\n- パン 🍞é"},
    {"unix.txt", u8"一\n二\n", L"\x4E00\r\n\x4E8C\r\n", L"\xD55C", false, u8"一\n二\n한"},
    {"bom.txt", "\xEF\xBB\xBF" + std::string(u8"メモ"), L"\x30E1\x30E2", kYoshi, true,
     "\xEF\xBB\xBF" + std::string(u8"メモ𠮷")},
    {"utf16.txt", Utf16Le(L"\x30E1\x30E2 " + kYoshi), L"\x30E1\x30E2 " + kYoshi, L"\xE9", false,
     Utf16Le(L"\x30E1\x30E2 " + kYoshi + L"\xE9")},
    // The code page stays while what is typed fits it ("カ").
    {"cp.txt", "\x8D\x73\x31\r\n\x95\x5C", L"\x884C\x0031\r\n\x8868", L"\x30AB", false, "\x8D\x73\x31\r\n\x95\x5C\x83\x4A"},
    // The first character it cannot hold makes the note UTF-8 with a mark.
    {"emoji.txt", "\x83\x81\x83\x82", L"\x30E1\x30E2", kBread, false, "\xEF\xBB\xBF" + std::string(u8"メモ🍞")},
    {"pasted.txt", "\x83\x81\x83\x82", L"\x30E1\x30E2", kBread, true, "\xEF\xBB\xBF" + std::string(u8"メモ🍞")},
};

TEST(TextEncodingTest, EachNoteKeepsItsFileEncodingAndHoldsAnyCharacter) {
  NoteSession session;
  for (const FormCase& c : kForms) ASSERT_TRUE(WriteBytes(session.NotePath(c.name), c.bytes));
  ASSERT_TRUE(session.Start());
  for (const FormCase& c : kForms) {
    SCOPED_TRACE(c.name);
    HWND note = session.WaitNote(c.name);
    ASSERT_TRUE(note);
    HWND body = NoteSession::Body(note);
    EXPECT_TRUE(::IsWindowUnicode(body));
    EXPECT_EQ(WideText(body), c.shown);
    EXPECT_FALSE(::GetWindowLongA(body, GWL_STYLE) & ES_READONLY);
    EXPECT_EQ(NoteSession::NoticeText(note), "");
    ::SendMessageW(body, EM_SETSEL, c.shown.size(), c.shown.size());
    if (c.paste) {
      ASSERT_TRUE(PutUnicodeOnClipboard(c.added));
      ::PostMessageW(body, WM_PASTE, 0, 0);
    } else {
      // Posted, so that the characters pass through the program's own
      // message loop as typed ones do.
      for (wchar_t unit : c.added) ::PostMessageW(body, WM_CHAR, unit, 1);
    }
    EXPECT_EQ(WaitWideText(body, c.shown + c.added), c.shown + c.added);
  }
  // The emoji notes left the code page at their save, and say so.
  HWND emoji = session.WaitNote("emoji.txt");
  ::PostMessageA(emoji, WM_TIMER, 11, 0);
  EXPECT_TRUE(WaitUntil([&] { return NoteSession::NoticeText(emoji).find("UTF-8") != std::string::npos; }))
      << NoteSession::NoticeText(emoji);

  ASSERT_TRUE(session.SwitchPage("other"));
  for (const FormCase& c : kForms) {
    EXPECT_EQ(ReadBytes(Join(session.PageFolder("page"), c.name)), c.saved) << c.name;
  }
  EXPECT_EQ(session.app().Quit(), 0u);
}

TEST(TextEncodingTest, ALargeUtf8NoteOpensWholeAndIsLeftAsItWas) {
  NoteSession session;
  std::string line = u8"三メガバイトの行 🍞 ";
  std::string bytes;
  while (bytes.size() < 3 * 1024 * 1024) bytes += line + std::to_string(bytes.size()) + "\r\n";
  ASSERT_TRUE(WriteBytes(session.NotePath("large.txt"), bytes));
  ASSERT_TRUE(session.Start());
  HWND note = session.WaitNote("large.txt", kTextClass, 30000);
  ASSERT_TRUE(note);
  HWND body = NoteSession::Body(note);
  int wide = ::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  EXPECT_EQ(::SendMessageW(body, WM_GETTEXTLENGTH, 0, 0), wide);
  EXPECT_FALSE(::GetWindowLongA(body, GWL_STYLE) & ES_READONLY);
  EXPECT_EQ(session.app().Quit(30000), 0u);
  EXPECT_EQ(ReadBytes(session.NotePath("large.txt")), bytes);
}

}  // namespace
}  // namespace memo::test
