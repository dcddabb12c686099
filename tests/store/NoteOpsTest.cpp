// Page and note file operations over real folders: which page names may
// become folders, the content of new notes, and moving a note together with
// its settings file.
#include "store/NoteOps.h"

#include <gtest/gtest.h>

#include <string>

#include "store/FileSystem.h"
#include "store/Paths.h"
#include "store/Store.h"
#include "tests/store/StoreFixture.h"

namespace memo {
namespace {

using test::StoreTest;

const std::string kRoot = "C:\\users\\someone\\My Memopane";

TEST(CheckPageName, PlainAndJapaneseNamesAreFine) {
  // "表" is 0x95 0x5C in CP932: its trail byte is the code of a backslash.
  for (const char* name : {"page", "新しいページ1", "表", "ソフト", "a.b", "commons", "xcommon", "CONSOLE",
                           "COM10", "LPT0x", "nul-ish", ".hidden", "a b", "日本語 メモ", "~x", "#1", "a'b"}) {
    EXPECT_EQ(CheckPageName(name, kRoot), PageNameCheck::kOk) << name;
  }
}

TEST(CheckPageName, EachOfTheElevenForbiddenCharactersIsInvalid) {
  const std::string forbidden = "\\/:,;*?\"<>|";
  ASSERT_EQ(forbidden.size(), 11u);
  for (char c : forbidden) {
    for (const std::string& name : {std::string(1, c), "a" + std::string(1, c) + "b", "ページ" + std::string(1, c)}) {
      EXPECT_EQ(CheckPageName(name, kRoot), PageNameCheck::kInvalid) << name;
    }
  }
}

TEST(CheckPageName, CommonInAnyCaseIsReserved) {
  for (const char* name : {"common", "COMMON", "Common", "cOmMoN"}) {
    EXPECT_EQ(CheckPageName(name, kRoot), PageNameCheck::kReserved) << name;
  }
  // A forbidden character is reported first.
  EXPECT_EQ(CheckPageName("common?", kRoot), PageNameCheck::kInvalid);
}

TEST(CheckPageName, NamesThatWindowsCannotUseAsAFolderAreInvalid) {
  for (const char* name : {"CON", "con", "PRN", "AUX", "NUL", "nul", "COM1", "com9", "LPT1", "lpt9", "CON.txt",
                           "lpt9 .nul", "nul .txt", "nul.x.y", "a ", "a.", "ページ.", "ページ ", " ", ".", "..", "a\tb", "\x01"}) {
    EXPECT_EQ(CheckPageName(name, kRoot), PageNameCheck::kInvalid) << "[" << name << "]";
  }
}

TEST(CheckPageName, NamesThatDoNotReadBackFromRootIniAreInvalid) {
  // root.ini's reader drops blanks and one pair of quotes around a value.
  for (const char* name : {" lead space", "  x", "'quoted'", "''"}) {
    EXPECT_EQ(CheckPageName(name, kRoot), PageNameCheck::kInvalid) << "[" << name << "]";
    EXPECT_FALSE(IsPageName(name)) << "[" << name << "]";
  }
  for (const char* name : {"it's", "'open", "close'", "mid space", "表 ページ"}) {
    EXPECT_EQ(CheckPageName(name, kRoot), PageNameCheck::kOk) << "[" << name << "]";
    EXPECT_TRUE(IsPageName(name)) << "[" << name << "]";
  }
}

TEST(CheckPageName, TheFolderMustLeaveRoomForItsNotes) {
  // A page folder of 240 bytes still holds a note and its settings file.
  EXPECT_EQ(CheckPageName(std::string(239 - kRoot.size(), 'x'), kRoot), PageNameCheck::kOk);
  // One of 250 bytes cannot even hold "\x.txt.ini".
  EXPECT_EQ(CheckPageName(std::string(249 - kRoot.size(), 'x'), kRoot), PageNameCheck::kInvalid);
  EXPECT_EQ(CheckPageName(std::string(300, 'x'), kRoot), PageNameCheck::kInvalid);
  // Double-byte names count in bytes.
  std::string wide;
  while (kRoot.size() + 1 + wide.size() < 250) wide += "表";
  EXPECT_EQ(CheckPageName(wide, kRoot), PageNameCheck::kInvalid);
  // Without a root no page folder can be formed.
  EXPECT_EQ(CheckPageName("page", ""), PageNameCheck::kInvalid);
}

TEST_F(StoreTest, NewNoteContentIsMadeOnceAndNeverOverwritten) {
  UsePage("p");
  const std::string text = At("p\\new.txt");
  ASSERT_TRUE(CreateNoteContent(NoteKind::kText, text));
  EXPECT_EQ(test::ReadBytes(text).value_or("<missing>"), "");
  ASSERT_TRUE(test::WriteBytes(text, "kept"));
  EXPECT_TRUE(CreateNoteContent(NoteKind::kText, text));
  EXPECT_EQ(test::ReadBytes(text).value_or("<missing>"), "kept");

  EXPECT_TRUE(CreateNoteContent(NoteKind::kImage, At("p\\new.bmp")));
  EXPECT_TRUE(test::FileExists(At("p\\new.bmp")));
  EXPECT_TRUE(CreateNoteContent(NoteKind::kCalendar, At("common\\c.calender")));
  EXPECT_TRUE(test::FileExists(At("common\\c.calender")));

  // Folders are made with their missing parents.
  EXPECT_TRUE(CreateNoteContent(NoteKind::kFolder, At("p\\deep\\er")));
  EXPECT_TRUE(test::FolderExists(At("p\\deep\\er")));

  ASSERT_TRUE(CreateNoteContent(NoteKind::kBrowser, At("p\\b.url")));
  EXPECT_EQ(test::IniGet(At("p\\b.url"), "InternetShortcut", "URL"), "about:blank");

  EXPECT_FALSE(CreateNoteContent(NoteKind::kNone, At("p\\x.doc")));
  EXPECT_FALSE(test::FileExists(At("p\\x.doc")));
  EXPECT_FALSE(CreateNoteContent(NoteKind::kText, ""));
}

TEST_F(StoreTest, ANewNoteSetsAsideASettingsFileThatNoNoteOwned) {
  UsePage("p");
  const std::string text = At("p\\new.txt");
  ASSERT_TRUE(test::WriteBytes(text + ".ini", "[Window]\r\nStyle=16\r\n"));
  ASSERT_TRUE(test::WriteBytes(text + ".ini.old", "older"));
  ASSERT_TRUE(CreateNoteContent(NoteKind::kText, text));
  EXPECT_FALSE(test::FileExists(text + ".ini"));
  EXPECT_EQ(test::ReadBytes(text + ".ini.old").value_or(""), "older");
  EXPECT_EQ(test::IniGet(text + ".ini.old2", "Window", "Style"), "16");

  // The settings file of an existing note stays with it.
  test::IniSet(text + ".ini", "Window", "X", "5");
  EXPECT_TRUE(CreateNoteContent(NoteKind::kText, text));
  EXPECT_EQ(test::IniGet(text + ".ini", "Window", "X"), "5");
}

TEST_F(StoreTest, MoveNoteTakesTheSettingsFileAlong) {
  UsePage("p");
  ASSERT_TRUE(test::WriteBytes(At("p\\a.txt"), "body"));
  test::IniSet(At("p\\a.txt.ini"), "Window", "ColorBG", "112233");

  ASSERT_TRUE(MoveNote(nullptr, "a.txt", "b.txt"));
  EXPECT_FALSE(test::FileExists(At("p\\a.txt")));
  EXPECT_FALSE(test::FileExists(At("p\\a.txt.ini")));
  EXPECT_EQ(test::ReadBytes(At("p\\b.txt")).value_or(""), "body");
  EXPECT_EQ(test::IniGet(At("p\\b.txt.ini"), "Window", "ColorBG"), "112233");

  // Quoting moves into common and back.
  ASSERT_TRUE(MoveNote(nullptr, "b.txt", "\"b.txt\""));
  EXPECT_TRUE(test::FileExists(At("common\\b.txt")));
  EXPECT_TRUE(test::FileExists(At("common\\b.txt.ini")));
  EXPECT_FALSE(test::FileExists(At("p\\b.txt")));
  ASSERT_TRUE(MoveNote(nullptr, "\"b.txt\"", "b.txt"));
  EXPECT_TRUE(test::FileExists(At("p\\b.txt")));
  EXPECT_TRUE(test::FileExists(At("p\\b.txt.ini")));

  // A note without a settings file moves all the same.
  ASSERT_TRUE(test::WriteBytes(At("p\\bare.txt"), ""));
  EXPECT_TRUE(MoveNote(nullptr, "bare.txt", "bare2.txt"));
  EXPECT_TRUE(test::FileExists(At("p\\bare2.txt")));
  EXPECT_FALSE(test::FileExists(At("p\\bare2.txt.ini")));
}

TEST_F(StoreTest, MoveNoteReplacesAStaleSettingsFileAtTheTarget) {
  // A settings file left behind by a note that is gone (deleted outside the
  // program) must not be what the moved note wakes up with.
  UsePage("p");
  ASSERT_TRUE(test::WriteBytes(At("p\\a.txt"), "a"));
  test::IniSet(At("p\\a.txt.ini"), "Window", "ColorBG", "112233");
  test::IniSet(At("p\\b.txt.ini"), "Window", "ColorBG", "FFFFFF");
  ASSERT_TRUE(MoveNote(nullptr, "a.txt", "b.txt"));
  EXPECT_EQ(test::IniGet(At("p\\b.txt.ini"), "Window", "ColorBG"), "112233");
  EXPECT_FALSE(test::FileExists(At("p\\a.txt.ini")));
}

TEST_F(StoreTest, MoveNoteRefusesMissingSourcesAndTakenTargets) {
  UsePage("p");
  ASSERT_TRUE(test::WriteBytes(At("p\\a.txt"), "a"));
  ASSERT_TRUE(test::WriteBytes(At("p\\b.txt"), "b"));
  test::IniSet(At("p\\a.txt.ini"), "Window", "X", "1");

  EXPECT_FALSE(MoveNote(nullptr, "gone.txt", "c.txt"));
  EXPECT_FALSE(MoveNote(nullptr, "a.txt", "b.txt"));
  // Only the letter case differs: the file system finds the target.
  EXPECT_FALSE(MoveNote(nullptr, "a.txt", "A.TXT"));
  // Names that are no single file name.
  EXPECT_FALSE(MoveNote(nullptr, "a.txt", "sub\\a.txt"));
  EXPECT_FALSE(MoveNote(nullptr, "a.txt", ""));
  EXPECT_EQ(test::ReadBytes(At("p\\a.txt")).value_or(""), "a");
  EXPECT_EQ(test::ReadBytes(At("p\\b.txt")).value_or(""), "b");
  EXPECT_EQ(test::IniGet(At("p\\a.txt.ini"), "Window", "X"), "1");
}

}  // namespace
}  // namespace memo
