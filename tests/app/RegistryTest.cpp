// Registry strings as start-up reads them: only a REG_SZ that fits a path
// counts; anything else reads as missing, and writes create the key.
#include <gtest/gtest.h>

#include <string>

#include "app/Registry.h"
#include "app/Startup.h"

namespace memo {
namespace {

constexpr char kTestKey[] = "Software\\Quendra\\MemopaneRegistryTest";

class RegistryTest : public ::testing::Test {
 protected:
  void TearDown() override { ::RegDeleteTreeA(HKEY_CURRENT_USER, kTestKey); }

  void SetRaw(DWORD type, const void* data, DWORD size) {
    HKEY key;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, kTestKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                                nullptr),
              ERROR_SUCCESS);
    ::RegSetValueExA(key, "Value", 0, type, static_cast<const BYTE*>(data), size);
    ::RegCloseKey(key);
  }
};

TEST_F(RegistryTest, WriteCreatesTheKeyAndReadsBack) {
  ASSERT_TRUE(RegWriteString(HKEY_CURRENT_USER, kTestKey, "Value", "C:\\メモ\\表示"));
  EXPECT_EQ(RegReadString(HKEY_CURRENT_USER, kTestKey, "Value"), "C:\\メモ\\表示");
  EXPECT_EQ(RegReadString(HKEY_CURRENT_USER, kTestKey, "Missing"), "");
  EXPECT_EQ(RegReadString(HKEY_CURRENT_USER, "Software\\Quendra\\NoSuchKey", "Value"), "");
}

TEST_F(RegistryTest, OnlyUsableStringsCount) {
  DWORD number = 42;
  SetRaw(REG_DWORD, &number, sizeof(number));
  EXPECT_EQ(RegReadString(HKEY_CURRENT_USER, kTestKey, "Value"), "") << "another type counts as missing";

  SetRaw(REG_EXPAND_SZ, "C:\\x", 5);
  EXPECT_EQ(RegReadString(HKEY_CURRENT_USER, kTestKey, "Value"), "");

  // A string stored without its terminator is still read whole.
  SetRaw(REG_SZ, "C:\\abc", 6);
  EXPECT_EQ(RegReadString(HKEY_CURRENT_USER, kTestKey, "Value"), "C:\\abc");

  // Longer than a path can be: refused rather than cut.
  std::string tooLong(400, 'a');
  SetRaw(REG_SZ, tooLong.c_str(), static_cast<DWORD>(tooLong.size() + 1));
  EXPECT_EQ(RegReadString(HKEY_CURRENT_USER, kTestKey, "Value"), "");

  std::string longest(259, 'b');
  SetRaw(REG_SZ, longest.c_str(), static_cast<DWORD>(longest.size() + 1));
  EXPECT_EQ(RegReadString(HKEY_CURRENT_USER, kTestKey, "Value"), longest);
}

TEST_F(RegistryTest, DeleteRemovesOnlyTheValue) {
  RegWriteString(HKEY_CURRENT_USER, kTestKey, "Value", "x");
  RegWriteString(HKEY_CURRENT_USER, kTestKey, "Other", "y");
  EXPECT_TRUE(RegDeleteValueOf(HKEY_CURRENT_USER, kTestKey, "Value"));
  EXPECT_FALSE(RegDeleteValueOf(HKEY_CURRENT_USER, kTestKey, "Value"));
  EXPECT_EQ(RegReadString(HKEY_CURRENT_USER, kTestKey, "Other"), "y");
}

TEST(StartupRules, MainBarStartsCentredFromTheScreenEdge) {
  // A task bar on the left moves the work area, not the bar's first place.
  EXPECT_EQ(InitialMainBarPosition(RECT{0, 0, 1280, 1000}).x, 480);
  EXPECT_EQ(InitialMainBarPosition(RECT{100, 0, 1280, 1000}).x, 430);
  EXPECT_EQ(InitialMainBarPosition(RECT{0, 0, 1280, 1000}).y, 0);
  // Narrower than the bar: integer division toward zero.
  EXPECT_EQ(InitialMainBarPosition(RECT{0, 0, 301, 100}).x, -9);
}

TEST(StartupRules, XpOrLater) {
  EXPECT_FALSE(IsVersionXPOrLater(4, 10));
  EXPECT_FALSE(IsVersionXPOrLater(5, 0));
  EXPECT_TRUE(IsVersionXPOrLater(5, 1));
  EXPECT_TRUE(IsVersionXPOrLater(6, 0));
  EXPECT_TRUE(IsVersionXPOrLater(10, 0));
}

}  // namespace
}  // namespace memo
