// Settings files: value codecs, item id lists, colours, whole sections, mini
// section names and the settings file of a window.
#include "store/Settings.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "store/FileSystem.h"
#include "store/Store.h"
#include "tests/store/StoreFixture.h"

namespace memo {
namespace {

using Bytes = std::vector<unsigned char>;
using test::StoreTest;

TEST(HexCodec, EncodesPairsEndedByAStopAndDecodesLeniently) {
  Bytes item = {5, 0, 1, 2, 3};
  EXPECT_EQ(HexEncode(item.data(), item.size()), "0500010203.");
  EXPECT_EQ(HexEncode(nullptr, 0), ".");
  struct Case {
    const char* text;
    Bytes bytes;
  } cases[] = {
      {"0500010203.", item},
      {"0500010203", item},        // the final stop is optional
      {"0500010203F", item},       // an odd trailing digit is ignored
      {"0500010203.FFFF", item},   // nothing after the stop counts
      {"0aFf", {0x0A, 0xFF}},      // either letter case
      {".", {}},
      {"G0", {0x100 & 0xFF}},      // 'G' as a letter: 16 * 16 + 0, one byte
  };
  for (const Case& c : cases) EXPECT_EQ(HexDecode(c.text), c.bytes) << c.text;
}

TEST(HexCodec, ItemIdListSizeFieldsMustFillTheBytesExactly) {
  struct Case {
    Bytes bytes;
    bool valid;
  } cases[] = {
      {{5, 0, 1, 2, 3}, true},
      {{3, 0, 9, 2, 0}, true},      // two items
      {{}, true},                   // the empty list (the desktop)
      {{6, 0, 1, 2, 3}, false},     // size past the end
      {{0, 0, 1, 2, 3}, false},     // size 0 in front of more bytes
      {{1, 0, 1, 2, 3}, false},     // size 1 cannot hold itself
      {{5, 0, 1, 2, 3, 2}, false},  // half a size field left over
      {{2, 1}, false},              // 258 bytes claimed
  };
  for (const Case& c : cases) {
    size_t size = 99;
    EXPECT_EQ(CheckIdlBytes(c.bytes, &size), c.valid) << c.bytes.size();
    if (c.valid) {
      EXPECT_EQ(size, c.bytes.size());
    }
  }
}

TEST(ColorText, HexOnAtMostSixCharactersNeverNegative) {
  struct Case {
    const char* text;
    bool ok;
    COLORREF value;
  } cases[] = {
      {"77FFFF", true, 0x77FFFF}, {"1234567", true, 0x123456}, {"  7f", true, 0x7F},
      {"-1", false, 0},           {"+10", true, 0x10},         {"zz", true, 0},
      {"", false, 0},
  };
  for (const Case& c : cases) {
    COLORREF value = 0xABCDEF;
    EXPECT_EQ(ParseColorText(c.text, &value), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(value, c.value) << c.text;
    }
  }
}

class SettingsFileTest : public StoreTest {
 protected:
  std::string file() const { return At("n.txt.ini"); }
  void Set(const char* section, const char* key, const char* value) {
    test::IniSet(file(), section, key, value);
  }
};

TEST_F(SettingsFileTest, ItemIdListRoundTrip) {
  unsigned char list[] = {5, 0, 1, 2, 3, 0, 0};
  auto idl = reinterpret_cast<PCIDLIST_ABSOLUTE>(list);
  ASSERT_TRUE(IniWriteIdl(file(), "Mini1", kKeyIdl, idl));
  EXPECT_EQ(test::IniGet(file(), "Mini1", kKeyIdl), "0500010203.");
  CoTaskMem<ITEMIDLIST> read = IniReadIdl(file(), "Mini1", kKeyIdl);
  ASSERT_TRUE(read);
  EXPECT_EQ(std::memcmp(read.get(), list, sizeof(list)), 0);
  EXPECT_EQ(IdlSize(read.get()), 5u);

  ASSERT_TRUE(IniWriteIdl(file(), "Mini1", kKeyIdl, nullptr));
  EXPECT_EQ(test::IniGet(file(), "Mini1", kKeyIdl, "gone"), "gone");
}

TEST_F(SettingsFileTest, LongItemIdListsAreReadWholeNotCut) {
  // Twenty items of 100 bytes: 4001 characters, twice the first buffer. A
  // read cut at an item boundary would silently name a parent folder.
  std::vector<unsigned char> list;
  for (int i = 0; i < 20; ++i) {
    list.push_back(100);
    list.push_back(0);
    list.insert(list.end(), 98, static_cast<unsigned char>(i));
  }
  list.push_back(0);
  list.push_back(0);
  ASSERT_TRUE(IniWriteIdl(file(), "Mini1", kKeyIdl, reinterpret_cast<PCIDLIST_ABSOLUTE>(list.data())));
  CoTaskMem<ITEMIDLIST> read = IniReadIdl(file(), "Mini1", kKeyIdl);
  ASSERT_TRUE(read);
  EXPECT_EQ(IdlSize(read.get()), 2000u);
  EXPECT_EQ(std::memcmp(read.get(), list.data(), list.size()), 0);
}

TEST_F(SettingsFileTest, MalformedItemIdListsReadAsNothing) {
  for (const char* text : {"0600010203.", "0000.", "0100010203.", "050001020", "05"}) {
    Set("Mini1", kKeyIdl, text);
    EXPECT_FALSE(IniReadIdl(file(), "Mini1", kKeyIdl)) << text;
  }
  Set("Mini1", kKeyIdl, "");
  EXPECT_FALSE(IniReadIdl(file(), "Mini1", kKeyIdl));
  EXPECT_FALSE(IniReadIdl(file(), "Mini1", "Missing"));
}

TEST_F(SettingsFileTest, ColorsReadFromTheFile) {
  Set("Window", "A", "1234567");
  Set("Window", "B", "");
  EXPECT_EQ(IniReadColor(file(), "Window", "A", 7), 0x123456u);
  EXPECT_EQ(IniReadColor(file(), "Window", "B", 7), 7u);
  EXPECT_EQ(IniReadColor(file(), "Window", "Missing", 7), 7u);
  ASSERT_TRUE(IniWriteColor(file(), "Window", "E", 0x0077FFFF));
  EXPECT_EQ(IniReadString(file(), "Window", "E", "", 16), "77FFFF");
  EXPECT_EQ(IniReadColor(file(), "Window", "E", 7), 0x77FFFFu);
}

TEST_F(SettingsFileTest, ASectionReadAtOnceAnswersAsSingleReadsDo) {
  // Written as a person might edit the file: blanks, quotes, signs, junk,
  // a repeated key and keys in another letter case.
  ASSERT_TRUE(test::WriteBytes(file(),
                               "[Window]\r\n"
                               "Style = 290 \r\n"
                               "X=-12\r\n"
                               "Y=\"34\"\r\n"
                               "cx=+400px\r\n"
                               "CY=abc\r\n"
                               "Alpha=\r\n"
                               "Big=99999999999\r\n"
                               "Long=123456789012345678901234567890123\r\n"
                               "ColorBG= 1234567\r\n"
                               "ColorText=-1\r\n"
                               "Twice=1\r\n"
                               "Twice=2\r\n"
                               "[Other]\r\n"
                               "X=5\r\n"));
  IniSectionValues values(file(), "Window");
  for (const char* key : {"Style", "X", "Y", "CX", "CY", "Alpha", "Big", "Long", "Twice", "Missing", "colorbg"}) {
    EXPECT_EQ(values.Int(key, 77), IniReadInt(file(), "Window", key, 77)) << key;
  }
  for (const char* key : {"ColorBG", "ColorText", "X", "Alpha", "Missing"}) {
    EXPECT_EQ(values.Color(key, 7), IniReadColor(file(), "Window", key, 7)) << key;
  }
  EXPECT_EQ(values.Int("Style", 0), 290);
  EXPECT_EQ(values.Int("CX", 0), 400);
  EXPECT_EQ(values.Int("Alpha", 77), 77) << "an empty value gives the default";
  EXPECT_EQ(IniSectionValues(file(), "Nothing").Int("X", 3), 3);
  EXPECT_EQ(IniSectionValues(file(), "").Int("X", 3), 3);
}

TEST_F(StoreTest, ASectionReadAtOnceReadsIntegersExactlyAsTheSystemDoes) {
  // Each value in a file of its own: the system keeps a cached copy of a
  // profile file, which a rewrite within its time resolution could hide.
  const char* const values[] = {
      "0x22",  "0X22",     "0x",         "0xfg",       "0xFFFFFFFF", "0x100000001", "-0x10",
      "0b101", "0b102",    "0o17",       "0o9",        "012",        "12abc",       "abc",
      "",      "\"\"",     "\"0x10\"",   "'-7'",       "\"5",        "+7",          "- 5",
      "-",     "+",        "\t9",        "1 2",        "=5",         "2147483647",  "2147483648",
      "-2147483648",       "4294967295", "4294967296", "99999999999",
      "123456789012345678901234567890123", "0x0000000000000000000000000000ff"};
  int n = 0;
  for (const char* value : values) {
    std::string file = At("int" + std::to_string(n++) + ".ini");
    ASSERT_TRUE(test::WriteBytes(file, std::string("[Window]\r\nKey=") + value + "\r\n"));
    int system = static_cast<int>(::GetPrivateProfileIntA("Window", "Key", 77, file.c_str()));
    EXPECT_EQ(IniSectionValues(file, "Window").Int("Key", 77), system) << "[" << value << "]";
  }
  // The case that lost values: a hand-edited style in hexadecimal.
  std::string file = At("style.ini");
  ASSERT_TRUE(test::WriteBytes(file, "[Window]\r\nStyle=0x22\r\n"));
  EXPECT_EQ(IniSectionValues(file, "Window").Int("Style", 0), 0x22);
}

TEST_F(SettingsFileTest, ABaselineWritesOnlyKeysThatChangedSinceTheyWereLoaded) {
  Set("Window", "X", "10");
  Set("Window", "Y", "0x14");
  IniIntBaseline baseline;
  {
    IniSectionValues loaded(file(), "Window");
    for (const char* key : {"X", "Y", "CX"}) baseline.Remember(loaded, key);
  }
  // Another program changes both while the window is open.
  Set("Window", "X", "500");
  Set("Window", "Y", "600");
  EXPECT_TRUE(baseline.Write(file(), "Window", "X", 10));   // unchanged by the window
  EXPECT_TRUE(baseline.Write(file(), "Window", "Y", 30));   // moved by the window
  EXPECT_TRUE(baseline.Write(file(), "Window", "CX", 40));  // missing when loaded
  EXPECT_EQ(test::IniGet(file(), "Window", "X"), "500");
  EXPECT_EQ(test::IniGet(file(), "Window", "Y"), "30");
  EXPECT_EQ(test::IniGet(file(), "Window", "CX"), "40");
  // What was written is the new baseline.
  Set("Window", "Y", "700");
  EXPECT_TRUE(baseline.Write(file(), "Window", "Y", 30));
  EXPECT_EQ(test::IniGet(file(), "Window", "Y"), "700");
}

// The identity of the file on disk: a write through a copy replaces it.
std::string FileIdentity(const std::string& path) {
  UniqueHandle file(::CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
  BY_HANDLE_FILE_INFORMATION info{};
  if (!file.get() || !::GetFileInformationByHandle(file.get(), &info)) return "";
  return std::to_string(info.nFileIndexHigh) + ":" + std::to_string(info.nFileIndexLow) + ":" +
         std::to_string(info.ftLastWriteTime.dwLowDateTime);
}

TEST_F(SettingsFileTest, ABatchWritesItsChangesTogetherAndNothingWhenEmpty) {
  Set("Window", "X", "1");
  Set("Mini1", "Text", "41.");
  Set("Mini1", "IDL", "0500010203.");
  std::string before = FileIdentity(file());
  ASSERT_FALSE(before.empty());
  EXPECT_TRUE(IniBatch(file()).Commit());
  EXPECT_EQ(FileIdentity(file()), before);

  IniBatch batch(file());
  batch.SetInt("Window", "X", -20);
  batch.SetInt("Window", "CX", 300);          // a new key
  batch.SetString("Mini1", "Text", nullptr);  // deleted
  batch.SetString("Mini2", "Text", "42.");    // a new section
  EXPECT_TRUE(batch.Commit());
  EXPECT_NE(FileIdentity(file()), before);
  EXPECT_EQ(test::IniGet(file(), "Window", "X"), "-20");
  EXPECT_EQ(test::IniGet(file(), "Window", "CX"), "300");
  EXPECT_EQ(test::IniGet(file(), "Mini1", "Text", "gone"), "gone");
  EXPECT_EQ(test::IniGet(file(), "Mini1", "IDL"), "0500010203.");
  EXPECT_EQ(test::IniGet(file(), "Mini2", "Text"), "42.");
  // No copy is left beside the file.
  EXPECT_EQ(ListFolder(root_).size(), 1u);
}

TEST_F(SettingsFileTest, ABaselineOfSeveralKeysLeavesTheFileAloneWhenNoneChanged) {
  Set("Window", "X", "10");
  Set("Window", "Y", "20");
  IniIntBaseline baseline;
  {
    IniSectionValues loaded(file(), "Window");
    for (const char* key : {"X", "Y"}) baseline.Remember(loaded, key);
  }
  std::string before = FileIdentity(file());
  EXPECT_TRUE(baseline.Write(file(), "Window", {{"X", 10}, {"Y", 20}}));
  EXPECT_EQ(FileIdentity(file()), before);
  Set("Window", "X", "500");  // another program's change stays
  EXPECT_TRUE(baseline.Write(file(), "Window", {{"X", 10}, {"Y", 30}, {"CY", 40}}));
  EXPECT_EQ(test::IniGet(file(), "Window", "X"), "500");
  EXPECT_EQ(test::IniGet(file(), "Window", "Y"), "30");
  EXPECT_EQ(test::IniGet(file(), "Window", "CY"), "40");
  before = FileIdentity(file());
  EXPECT_TRUE(baseline.Write(file(), "Window", {{"Y", 30}, {"CY", 40}}));  // now the loaded values
  EXPECT_EQ(FileIdentity(file()), before);
}

TEST_F(SettingsFileTest, WholeSectionsOfAnySizeReadBackWithTheirSeparators) {
  for (int lines : {3, 50, 100}) {  // about 90, 1500 and 3000 bytes
    std::string section = "S" + std::to_string(lines);
    std::string expected;
    for (int i = 0; i < lines; ++i) {
      std::string key = "Key" + std::to_string(i);
      std::string value = "value-" + std::string(20, static_cast<char>('a' + i % 26));
      Set(section.c_str(), key.c_str(), value.c_str());
      expected += key + "=" + value + '\0';
    }
    std::string read = IniReadSection(file(), section.c_str());
    EXPECT_EQ(read, expected) << lines;
    ASSERT_TRUE(IniWriteSection(file(), "Copy", read));
    EXPECT_EQ(IniReadSection(file(), "Copy"), expected) << lines;
  }
}

TEST_F(SettingsFileTest, UniqueMiniSectionSkipsSectionsAndOpenMiniNotes) {
  Set("Window", "Style", "2");
  Set("Mini1", "X", "0");
  Set("mini3", "X", "0");  // sections match without case
  EXPECT_EQ(UniqueMiniSection(file(), kMiniFormat, {"Mini2"}), "Mini4");
  EXPECT_EQ(UniqueMiniSection(file(), kMiniFormat, {"MINI2", "Mini4"}), "Mini5");
  EXPECT_EQ(UniqueMiniSection(At("none.ini"), kMiniFormat, {}), "Mini1");
}

TEST_F(SettingsFileTest, UniqueMiniSectionSeesSectionsBeyondTheFirstKilobyte) {
  for (int i = 1; i <= 200; ++i) Set(("Mini" + std::to_string(i)).c_str(), "X", "0");
  EXPECT_EQ(IniSectionNames(file()).size(), 200u);
  EXPECT_EQ(UniqueMiniSection(file(), kMiniFormat, {}), "Mini201");
}

TEST_F(StoreTest, MissingRootIniReadsDefaultsAndTheFirstWriteCreatesIt) {
  std::string ini = RootIniPath();
  EXPECT_EQ(IniReadInt(ini, kSectionInfo, kKeySplash, 1), 1);
  EXPECT_EQ(IniReadInt(ini, kSectionInfo, kKeyAutoRun, 1), 1);
  EXPECT_EQ(CurrentPage(), "");
  EXPECT_FALSE(test::FileExists(ini));
  ASSERT_TRUE(IniWriteInt(ini, kSectionInfo, kKeySplash, 0));
  IniFlush(ini);
  EXPECT_TRUE(test::FileExists(ini));
  EXPECT_EQ(IniReadInt(ini, kSectionInfo, kKeySplash, 1), 0);
}

// Writes go through a copy that replaces the file (a kill during the
// system's in-place rewrite would cut it): every kind of write still lands,
// nothing is left beside the file, and a hidden file stays hidden.
TEST_F(StoreTest, WritesReplaceTheWholeFileAndLeaveNothingBeside) {
  std::string ini = At("note.txt.ini");
  ASSERT_TRUE(test::WriteBytes(ini, "[Window]\r\nX=1\r\n[Mini1]\r\nText=41.\r\n"));
  ASSERT_TRUE(::SetFileAttributesA(ini.c_str(), FILE_ATTRIBUTE_HIDDEN));
  EXPECT_TRUE(IniWriteInt(ini, "Window", kKeyX, 5));
  EXPECT_TRUE(IniWriteColor(ini, "Window", kKeyColorBG, 0x123456));
  EXPECT_TRUE(IniWriteSection(ini, "Mini2", std::string("Text=42.\0", 9)));
  EXPECT_TRUE(IniWriteString(ini, "Mini1", nullptr, nullptr));
  EXPECT_EQ(IniReadInt(ini, "Window", kKeyX, 0), 5);
  EXPECT_EQ(IniReadColor(ini, "Window", kKeyColorBG, 0), 0x123456u);
  EXPECT_EQ(IniSectionNames(ini), (std::vector<std::string>{"Window", "Mini2"}));
  EXPECT_EQ(test::ListNames(root_), std::vector<std::string>{"note.txt.ini"});
  EXPECT_TRUE(::GetFileAttributesA(ini.c_str()) & FILE_ATTRIBUTE_HIDDEN);
}

TEST_F(StoreTest, AnEmptySectionReadsTheDefaultAndRefusesWrites) {
  std::string ini = RootIniPath();
  EXPECT_EQ(IniReadInt(ini, "", kKeyX, 7), 7);
  EXPECT_EQ(IniReadColor(ini, nullptr, kKeyColorBG, 7), 7u);
  EXPECT_FALSE(IniWriteInt(ini, "", kKeyX, 1));
  EXPECT_FALSE(IniWriteIdl(ini, "", kKeyIdl, nullptr));
  EXPECT_FALSE(test::FileExists(ini));
}

}  // namespace
}  // namespace memo
