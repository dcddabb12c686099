// The note store over real folders: root, note kinds, names, paths, the note
// list, unique names, the root check and opening note windows.
#include "store/Store.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "store/FileSystem.h"
#include "store/Handles.h"
#include "store/Paths.h"
#include "store/Settings.h"
#include "store/WinText.h"
#include "tests/store/StoreFixture.h"

namespace memo {
namespace {

using test::StoreTest;

TEST_F(StoreTest, RootComesOnlyFromTheEnvironment) {
  EXPECT_EQ(RootFolder(), root_);
  EXPECT_EQ(RootIniPath(), At("root.ini"));
  ::SetEnvironmentVariableA("RootPath2", "C:\\メモ帳\\付箋");
  EXPECT_EQ(RootFolder(), "C:\\メモ帳\\付箋");
  ::SetEnvironmentVariableA("RootPath2", std::string(300, 'x').c_str());
  EXPECT_EQ(RootFolder(), "");
  ::SetEnvironmentVariableA("RootPath2", nullptr);
  EXPECT_EQ(RootFolder(), "");
  // No root must not turn into a relative "root.ini" (the Windows folder).
  EXPECT_EQ(RootIniPath(), "");
  EXPECT_EQ(CommonFolder(), "");
  EXPECT_EQ(NotePath("\"a.txt\""), "");
}

TEST(NoteKinds, ByExtensionWithoutCaseAndFoldersFirst) {
  struct Case {
    const char* name;
    bool folder;
    NoteKind kind;
  } cases[] = {
      {"MEMO.TXT", false, NoteKind::kText},    {"photo.JPG", false, NoteKind::kImage},
      {"link.url", false, NoteKind::kBrowser}, {"m.Calender", false, NoteKind::kCalendar},
      {"x.txt", true, NoteKind::kFolder},      {"a.txt.ini", false, NoteKind::kNone},
      {"b.doc", false, NoteKind::kNone},       {"txt", false, NoteKind::kNone},
      {"shot.png", false, NoteKind::kImage},   {"phone.JPEG", false, NoteKind::kImage},
      {"scan.Tif", false, NoteKind::kImage},   {"fax.TIFF", false, NoteKind::kImage},
      {"a.png.ini", false, NoteKind::kNone},   {"pics.png", true, NoteKind::kFolder},
      {"x.pn", false, NoteKind::kNone},        {"x.tiffs", false, NoteKind::kNone},
  };
  for (const Case& c : cases) EXPECT_EQ(NoteKindOf(c.name, c.folder), c.kind) << c.name;
}

TEST(NoteKinds, PagesAreWritableFoldersOtherThanCommon) {
  struct Case {
    const char* name;
    DWORD attributes;
    bool page;
  } cases[] = {{"page", FILE_ATTRIBUTE_DIRECTORY, true},
               {"COMMON", FILE_ATTRIBUTE_DIRECTORY, false},
               {"locked", FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY, false},
               {" lead space", FILE_ATTRIBUTE_DIRECTORY, false},
               {"'quoted'", FILE_ATTRIBUTE_DIRECTORY, false},
               {"a,b", FILE_ATTRIBUTE_DIRECTORY, false},
               // A sync engine's own folders in the root.
               {".stfolder", FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN, false},
               {".dropbox.cache", FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM, false},
               {"root.ini", FILE_ATTRIBUTE_ARCHIVE, false}};
  for (const Case& c : cases) {
    WIN32_FIND_DATAA entry{};
    entry.dwFileAttributes = c.attributes;
    lstrcpynA(entry.cFileName, c.name, MAX_PATH);
    EXPECT_EQ(IsPageEntry(entry), c.page) << c.name;
  }
}

TEST_F(StoreTest, ListingsLeaveOutNamesTheCodePageCannotHold) {
  MakeFolder("表ページ");
  MakeFile("a&b.txt");
  for (const wchar_t* name : {L"emoji \U0001F600", L"\u00DCn\u00EFc\u00F6d\u00E9", L"\u00DCber.txt"}) {
    std::wstring path = std::wstring(root_.begin(), root_.end()) + L"\\" + name;
    ASSERT_TRUE(::CreateDirectoryW(path.c_str(), nullptr));
  }
  std::vector<std::string> names;
  for (const WIN32_FIND_DATAA& entry : ListFolder(root_)) {
    names.push_back(entry.cFileName);
    if (names.back() == "表ページ") {
      EXPECT_TRUE(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    }
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"a&b.txt", "表ページ"}));
}

TEST(ShortenForDisplay, LongTextsKeepTheirEndsAndWholeCharacters) {
  EXPECT_EQ(ShortenForDisplay("short"), "short");
  EXPECT_EQ(ShortenForDisplay(std::string(100, 'a')), std::string(100, 'a'));
  std::string cut = ShortenForDisplay(std::string(100000, 'a') + "\\name.txt");
  EXPECT_LE(cut.size(), 103u);
  EXPECT_NE(cut.find("..."), std::string::npos);
  EXPECT_EQ(cut.substr(cut.size() - 9), "\\name.txt");
  // Double-byte characters whose second byte is a backslash or a letter:
  // an odd cut would leave half of one behind.
  for (const std::string unit : {"表", "ソ", "xソ"}) {
    std::string text;
    while (text.size() < 1000) text += unit;
    std::string shown = ShortenForDisplay(text, 101);
    size_t dots = shown.find("...");
    ASSERT_NE(dots, std::string::npos) << unit;
    std::string head = shown.substr(0, dots), tail = shown.substr(dots + 3);
    EXPECT_EQ(text.compare(0, head.size(), head), 0) << unit;
    EXPECT_EQ(text.compare(text.size() - tail.size(), tail.size(), tail), 0) << unit;
    // Both cuts fall on character boundaries of the original.
    auto isBoundary = [&](size_t offset) {
      size_t at = 0;
      while (at < offset) at += IsLeadByteAt(text, at) ? 2 : 1;
      return at == offset;
    };
    EXPECT_TRUE(isBoundary(head.size())) << unit;
    EXPECT_TRUE(isBoundary(text.size() - tail.size())) << unit;
  }
}

TEST_F(StoreTest, NotePathsFollowQuotingAndTheCurrentPage) {
  UsePage("表ページ");
  EXPECT_EQ(CurrentPage(), "表ページ");
  EXPECT_EQ(NotePath("memo.txt"), At("表ページ\\memo.txt"));
  EXPECT_EQ(NotePath("\"memo.txt\""), At("common\\memo.txt"));
  for (const char* refused : {"", "\"\"", "..", "\"..\"", "..\\root.ini", "a/b.txt", "c:x.txt",
                              "\"..\\表ページ\\memo.txt\""}) {
    EXPECT_EQ(NotePath(refused), "") << refused;
  }
  EXPECT_EQ(NotePath(std::string(300, 'n') + ".txt"), "");
}

// The page is kept from one read of root.ini to the next; whatever changes
// the file, the next question sees it.
TEST_F(StoreTest, TheCurrentPageFollowsEveryChangeOfRootIni) {
  std::string ini = At("root.ini");
  auto setWritten = [&](ULONGLONG stamp) {
    UniqueHandle file(::CreateFileA(ini.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, 0, nullptr));
    FILETIME time{static_cast<DWORD>(stamp), static_cast<DWORD>(stamp >> 32)};
    ASSERT_TRUE(file && ::SetFileTime(file.get(), nullptr, nullptr, &time));
  };
  FILETIME now{};
  ::GetSystemTimeAsFileTime(&now);
  ULONGLONG hourAgo = ((static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime) - 36000000000ull;
  ASSERT_TRUE(test::WriteBytes(ini, "[Info]\r\nCurrentPage=p\r\n"));
  setWritten(hourAgo);
  EXPECT_EQ(CurrentPage(), "p");
  EXPECT_EQ(CurrentPage(), "p");
  // Another program's change of the same size: its time tells.
  ASSERT_TRUE(test::WriteBytes(ini, "[Info]\r\nCurrentPage=q\r\n"));
  EXPECT_EQ(CurrentPage(), "q");
  // This program's own change, even with the time as it was.
  setWritten(hourAgo);
  EXPECT_EQ(CurrentPage(), "q");
  ASSERT_TRUE(IniWriteString(ini, kSectionInfo, kKeyCurrentPage, "r"));
  IniFlush(ini);
  setWritten(hourAgo);
  EXPECT_EQ(CurrentPage(), "r");
  // Another program's second change within its clock's tick, the time as
  // it was: seen a moment later, while the file is fresh.
  ASSERT_TRUE(test::WriteBytes(ini, "[Info]\r\nCurrentPage=s\r\n"));
  WIN32_FILE_ATTRIBUTE_DATA fresh{};
  ASSERT_TRUE(::GetFileAttributesExA(ini.c_str(), GetFileExInfoStandard, &fresh));
  EXPECT_EQ(CurrentPage(), "s");
  ASSERT_TRUE(test::WriteBytes(ini, "[Info]\r\nCurrentPage=t\r\n"));
  setWritten((static_cast<ULONGLONG>(fresh.ftLastWriteTime.dwHighDateTime) << 32) |
             fresh.ftLastWriteTime.dwLowDateTime);
  ::Sleep(300);
  EXPECT_EQ(CurrentPage(), "t");
  ASSERT_TRUE(::DeleteFileA(ini.c_str()));
  EXPECT_EQ(CurrentPage(), "");
}

TEST_F(StoreTest, WithoutAPagePlainNamesResolveNowhere) {
  MakeFolder("common");
  MakeFolder("page");
  EXPECT_EQ(CurrentPage(), "");
  EXPECT_EQ(CurrentPageFolder(), "");
  EXPECT_EQ(NotePath("page"), "");  // not the page folder itself
  EXPECT_EQ(UniqueNoteName(kModelText), "");
  MakeFile("common\\m.txt");
  EXPECT_EQ(NoteList(), std::vector<std::string>{"\"m.txt\""});
  test::IniSet(At("root.ini"), "Info", "CurrentPage", "..");
  EXPECT_EQ(CurrentPageFolder(), "");
}

TEST_F(StoreTest, NoteListShowsOnlyNotesAndSeparatesTheGroups) {
  UsePage("p");
  MakeFile("p\\a.txt");
  MakeFile("p\\a.txt.ini");
  MakeFile("p\\b.doc");
  MakeFolder("p\\c");
  std::vector<std::string> list = NoteList();
  std::sort(list.begin(), list.end());
  EXPECT_EQ(list, (std::vector<std::string>{"a.txt", "c"}));

  MakeFile("common\\m.txt");
  MakeFile("common\\m.txt.ini");
  list = NoteList();
  ASSERT_EQ(list.size(), 4u);
  EXPECT_EQ(list[2], "");
  EXPECT_EQ(list[3], "\"m.txt\"");

  MakeFolder("q");
  test::IniSet(At("root.ini"), "Info", "CurrentPage", "q");
  EXPECT_EQ(NoteList(), std::vector<std::string>{"\"m.txt\""});
}

TEST_F(StoreTest, UniqueNoteNamesAreFreeInCommonAndInThePage) {
  UsePage("p");
  EXPECT_EQ(UniqueNoteName(kModelText), "新しいテキスト1.txt");
  MakeFile("common\\新しいテキスト1.txt");
  MakeFile("p\\新しいテキスト2.txt");
  EXPECT_EQ(UniqueNoteName(kModelText), "新しいテキスト3.txt");
  EXPECT_EQ(UniqueNoteName(kModelCalendar), "\"新しいカレンダー1.calender\"");
  MakeFile("p\\新しいカレンダー1.calender");
  EXPECT_EQ(UniqueNoteName(kModelCalendar), "\"新しいカレンダー2.calender\"");
  EXPECT_EQ(UniqueNoteName(kModelFolder), "新しいフォルダ1");
  MakeFile("p\\表1.txt");  // the trail byte 0x5C must reach the file system intact
  EXPECT_EQ(UniqueNoteName("表0.txt"), "表2.txt");
  EXPECT_EQ(UniqueNoteName("9.txt"), "91.txt");
  EXPECT_EQ(UniqueNoteName(std::string(300, 'n') + ".txt"), "");
}

TEST_F(StoreTest, UniquePageNameSkipsEveryEntryOfTheRoot) {
  MakeFolder("新しいページ1");
  MakeFile("新しいページ2");
  EXPECT_EQ(UniquePageName(kModelPage), "新しいページ3");
  EXPECT_EQ(UniquePageName(("%d" + std::string(300, 'x')).c_str()), "");
  ::SetEnvironmentVariableA("RootPath2", nullptr);
  EXPECT_EQ(UniquePageName(kModelPage), "");
}

TEST_F(StoreTest, CheckRootCreatesMissingParents) {
  EXPECT_TRUE(CheckRoot(At("a\\b\\表\\ソ")));
  EXPECT_TRUE(IsFolder(At("a\\b\\表\\ソ")));
  EXPECT_TRUE(CheckRoot(At("a\\b\\")));  // existing, trailing separator
  MakeFile("file");
  EXPECT_FALSE(CheckRoot(At("file\\sub")));
  EXPECT_FALSE(CheckRoot(At("file")));
  EXPECT_FALSE(CheckRoot("memo-store-relative"));
  EXPECT_FALSE(PathExists("memo-store-relative"));
  EXPECT_FALSE(CheckRoot(""));
}

}  // namespace
}  // namespace memo
