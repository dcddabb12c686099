// Values from disk that anyone may have edited or damaged, fed in at random:
// settings values, item id lists and page names. The decoders must never
// read past their input and must agree with what the system itself reads
// or makes of the same bytes. The seed and the number of cases come from the
// environment (MEMOPANE_FUZZ_SEED, MEMOPANE_FUZZ_CASES) for longer runs.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "store/DirectoryChanges.h"
#include "store/NoteOps.h"
#include "store/Settings.h"
#include "store/TextCodec.h"
#include "tests/support/TestFiles.h"

namespace memo::test {
namespace {

unsigned EnvNumber(const char* name, unsigned fallback) {
  const char* value = std::getenv(name);
  return value && *value ? static_cast<unsigned>(std::strtoul(value, nullptr, 10)) : fallback;
}

class HostileInputTest : public ::testing::Test {
 protected:
  HostileInputTest() : random_(EnvNumber("MEMOPANE_FUZZ_SEED", 4242)), cases_(EnvNumber("MEMOPANE_FUZZ_CASES", 300)) {}

  std::string Text(const std::string& alphabet, size_t maxLength) {
    std::string text(random_() % (maxLength + 1), ' ');
    for (char& c : text) c = alphabet[random_() % alphabet.size()];
    return text;
  }
  std::vector<unsigned char> Bytes(size_t maxLength) {
    std::vector<unsigned char> bytes(random_() % (maxLength + 1));
    for (unsigned char& b : bytes) b = static_cast<unsigned char>(random_() % 4 == 0 ? random_() % 8 : random_());
    return bytes;
  }

  std::mt19937 random_;
  unsigned cases_;
  TempFolder folder_{"memo-hostile"};
};

TEST_F(HostileInputTest, IntegersReadAsTheSystemReadsThem) {
  // One settings file holding every case, read back by the system.
  std::string file = folder_ / "ints.ini";
  std::vector<std::string> values;
  std::string section;
  for (unsigned i = 0; i < cases_; ++i) {
    values.push_back(Text("0123456789+- xXoObBaAfFz.\t", 14));
    // A value read back with its blanks: leading and trailing blanks go.
    section += "k" + std::to_string(i) + "=" + values.back() + '\0';
  }
  section += '\0';
  ASSERT_TRUE(::WritePrivateProfileSectionA("S", section.c_str(), file.c_str()));
  for (unsigned i = 0; i < cases_; ++i) {
    std::string key = "k" + std::to_string(i);
    std::string stored = IniGet(file, "S", key.c_str());
    int system = static_cast<int>(::GetPrivateProfileIntA("S", key.c_str(), 0, file.c_str()));
    EXPECT_EQ(ParseProfileInt(stored), system) << "\"" << values[i] << "\"";
  }
}

TEST_F(HostileInputTest, HexValuesDecodeWithinTheirTextAndRoundTrip) {
  for (unsigned i = 0; i < cases_; ++i) {
    std::vector<unsigned char> bytes = Bytes(300);
    std::string encoded = HexEncode(bytes.data(), bytes.size());
    EXPECT_EQ(HexDecode(encoded), bytes);

    std::string garbage = Text("0123456789abcdefABCDEFxyz.;= \x81\xFF", 40);
    EXPECT_LE(HexDecode(garbage).size(), garbage.size() / 2) << garbage;
  }
}

TEST_F(HostileInputTest, ItemIdListsAreAcceptedOnlyWhenTheirSizeFieldsFitExactly) {
  for (unsigned i = 0; i < cases_ * 10; ++i) {
    std::vector<unsigned char> bytes = Bytes(24);
    size_t size = 0;
    bool valid = CheckIdlBytes(bytes, &size);
    // The same walk, written out: size fields of at least 2 that end
    // exactly at the end of the bytes.
    size_t at = 0;
    bool walked = true;
    while (at < bytes.size()) {
      if (at + 2 > bytes.size()) {
        walked = false;
        break;
      }
      size_t cb = bytes[at] | (bytes[at + 1] << 8);
      if (cb < 2 || at + cb > bytes.size()) {
        walked = false;
        break;
      }
      at += cb;
    }
    EXPECT_EQ(valid, walked) << HexEncode(bytes.data(), bytes.size());
    if (valid) {
      EXPECT_EQ(size, bytes.size());
    }
  }
}

TEST_F(HostileInputTest, NoteTextIsExactOnlyWhenItWritesBackTheSameBytes) {
  const std::string marks[] = {"", "\xEF\xBB\xBF", "\xFF\xFE", "\xFE\xFF"};
  for (unsigned i = 0; i < cases_ * 10; ++i) {
    std::vector<unsigned char> raw = Bytes(12);
    std::string bytes = marks[i % 4] + std::string(raw.begin(), raw.end());
    DecodedText decoded = DecodeNoteText(bytes, 932);
    EXPECT_EQ(decoded.text.find(L'\0'), std::wstring::npos);
    if (!decoded.exact) continue;
    std::string again;
    EXPECT_TRUE(EncodeNoteText(decoded.text, decoded.form, &again, 932));
    EXPECT_EQ(again, bytes) << HexEncode(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
  }
}

TEST_F(HostileInputTest, ChangeRecordsAreReadOnlyWithinTheirBytes) {
  // Two records as the system writes them: "a.txt", then "b".
  auto record = [](DWORD next, const std::wstring& name, size_t claimed) {
    std::string bytes(12, '\0');
    auto length = static_cast<DWORD>(claimed);
    memcpy(&bytes[0], &next, 4);
    memcpy(&bytes[8], &length, 4);
    bytes.append(reinterpret_cast<const char*>(name.data()), name.size() * 2);
    while (bytes.size() % 4) bytes.push_back('\0');
    return bytes;
  };
  std::string two = record(24, L"a.txt", 10) + record(0, L"b", 2);
  std::vector<std::wstring> names;
  ASSERT_TRUE(ParseDirectoryChanges(two.data(), two.size(), &names));
  EXPECT_EQ(names, (std::vector<std::wstring>{L"a.txt", L"b"}));
  const std::string bad[] = {
      record(0, L"a", 200),                   // a name longer than the bytes
      record(0, L"a", 3),                     // half a character
      record(400, L"a", 2),                   // a next record beyond them
      record(6, L"abcd", 8) + record(0, L"b", 2),  // a next record inside this one
      two.substr(0, 30),                      // cut short
  };
  for (const std::string& bytes : bad) {
    names.clear();
    EXPECT_FALSE(ParseDirectoryChanges(bytes.data(), bytes.size(), &names));
  }
}

TEST_F(HostileInputTest, ColoursNeverLeaveTheTwentyFourBitRange) {
  for (unsigned i = 0; i < cases_; ++i) {
    std::string text = Text("0123456789abcdefABCDEF+- xXg", 9);
    COLORREF colour = 0;
    if (ParseColorText(text, &colour)) {
      EXPECT_LE(colour, 0xFFFFFFu) << "\"" << text << "\"";
    }
  }
}

// A page name that the checks let through must make a folder that lists
// under the same name and a root.ini value that reads back the same: a page
// that cannot be reached again would hold notes the user cannot open.
TEST_F(HostileInputTest, PageNamesThatPassMakeFoldersThatComeBackUnderTheSameName) {
  const std::vector<std::string> pieces = {"a", "ページ", "CON", "nul", "COM1", "lpt9", ".", "..", " ",
                                           "~", "'", "\x81", "\x9F", "\xE0", "\xFC", "x.txt", "common",
                                           "\t", std::string(40, 'w')};
  std::string root = folder_ / "root";
  ASSERT_TRUE(MakeFolder(root));
  unsigned passed = 0;
  for (unsigned i = 0; i < cases_; ++i) {
    std::string name;
    for (unsigned n = 1 + random_() % 4; n > 0; --n) name += pieces[random_() % pieces.size()];
    if (CheckPageName(name, root) != PageNameCheck::kOk) continue;
    ++passed;
    std::string path = Join(root, name);
    ASSERT_TRUE(::CreateDirectoryA(path.c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS)
        << "\"" << name << "\"";
    std::vector<std::string> listed = ListNames(root);
    EXPECT_NE(std::find(listed.begin(), listed.end(), name), listed.end()) << "\"" << name << "\"";
    std::string ini = Join(root, "root.ini");
    IniSet(ini, "Info", "CurrentPage", name.c_str());
    EXPECT_EQ(IniGet(ini, "Info", "CurrentPage"), name);
    ::RemoveDirectoryA(path.c_str());
  }
  EXPECT_GT(passed, 0u);
}

}  // namespace
}  // namespace memo::test
