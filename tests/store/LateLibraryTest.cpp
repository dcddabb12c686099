// Libraries loaded on first use: their functions answer as the system's do,
// and a library or an export that cannot be found is a failure to report,
// not an address to call.
#include <windows.h>
#include <winver.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "store/LateLibrary.h"

namespace memo {
namespace {

TEST(LateLibraryTest, AnswersAsTheSystemAndFailsWithoutTheLibrary) {
  char self[MAX_PATH] = {};
  ASSERT_GT(::GetModuleFileNameA(nullptr, self, MAX_PATH), 0u);
  char system[MAX_PATH] = {};
  ASSERT_GT(::GetSystemDirectoryA(system, MAX_PATH), 0u);
  std::string library = std::string(system) + "\\kernel32.dll";

  // A file with a version resource, read through the loaded library.
  DWORD handle = 0;
  DWORD size = late::GetFileVersionInfoSizeA(library.c_str(), &handle);
  ASSERT_GT(size, 0u);
  std::vector<char> data(size);
  ASSERT_TRUE(late::GetFileVersionInfoA(library.c_str(), 0, size, data.data()));
  void* value = nullptr;
  UINT length = 0;
  ASSERT_TRUE(late::VerQueryValueA(data.data(), "\\", &value, &length));
  ASSERT_GE(length, sizeof(VS_FIXEDFILEINFO));
  EXPECT_EQ(static_cast<const VS_FIXEDFILEINFO*>(value)->dwSignature, 0xFEEF04BDu);
  // Files without one fail as the system function fails.
  EXPECT_EQ(late::GetFileVersionInfoSizeA(self, &handle), ::GetFileVersionInfoSizeA(self, &handle));
  EXPECT_EQ(late::GetFileVersionInfoSizeA("C:\\no-such-folder\\no-such-file.dll", &handle), 0u);

  EXPECT_EQ(LateLibrary("no-such-library.dll").Find<FARPROC>("VerQueryValueA"), nullptr);
  LateLibrary version("version.dll");
  EXPECT_EQ(version.Find<FARPROC>("NoSuchExport"), nullptr);
  EXPECT_NE(version.Find<FARPROC>("VerQueryValueA"), nullptr);
}

}  // namespace
}  // namespace memo
