// The release zip as a user gets it: unpacked into a folder whose path has a
// space and Japanese characters, its program starts on a root folder, shows
// the main bar, quits, and leaves nothing beside itself.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/AppTest.h"

namespace memo::test {
namespace {

// Set by run-unpacked.cmake, which makes the zip and unpacks it there.
std::string UnpackedFolder() {
  // Through the wide function: Wine's ANSI one (8.0) copies as many bytes as
  // the value has characters, which cuts a Japanese path short.
  wchar_t wide[MAX_PATH] = {};
  DWORD n = ::GetEnvironmentVariableW(L"MEMOPANE_UNPACKED", wide, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return std::string();
  char path[MAX_PATH * 2] = {};
  if (!::WideCharToMultiByte(CP_ACP, 0, wide, -1, path, sizeof(path), nullptr, nullptr)) return std::string();
  return path;
}

using PackageTest = AppTest;

TEST_F(PackageTest, UnpackedProgramRunsAndAddsNothingToItsFolder) {
  const std::string unpacked = UnpackedFolder();
  ASSERT_FALSE(unpacked.empty()) << "MEMOPANE_UNPACKED is not set: run this test through ctest";
  // One folder named after the zip, holding the program, its two texts and
  // the README's picture.
  const std::vector<std::string> top = ListNames(unpacked);
  ASSERT_EQ(top.size(), 1u) << unpacked;
  const std::string folder = Join(unpacked, top[0]);
  const std::vector<std::string> files{"LICENSE", "README.md", "docs", "memopane.exe"};
  ASSERT_EQ(ListNames(folder), files);

  app_.SetProgram(Join(folder, "memopane.exe"));
  ASSERT_TRUE(app_.StartWithRoot(root_.path()));
  ASSERT_TRUE(app_.WaitMainBarVisible()) << "main bar not shown";
  EXPECT_TRUE(FolderExists(root_ / "common")) << "the registry's root folder is not in use";
  EXPECT_EQ(app_.Quit(), 0u);

  EXPECT_EQ(ListNames(folder), files);
  EXPECT_EQ(ListNames(unpacked), top);
}

}  // namespace
}  // namespace memo::test
