// Reading and writing note files byte for byte, and the replacing save that
// never leaves a note file half written.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "store/TextFile.h"
#include "tests/support/TestFiles.h"

namespace memo::test {
namespace {

using namespace std::string_literals;

class TextFileTest : public ::testing::Test {
 protected:
  std::string At(const std::string& name) const { return folder_ / name; }
  std::vector<std::string> Names() const { return ListNames(folder_.path()); }

  TempFolder folder_{"memo-textfile"};
};

TEST_F(TextFileTest, ReadsEveryByteOfFilesOfAnySize) {
  std::string big;
  for (int i = 0; big.size() < 200000; ++i) big += static_cast<char>(i * 7);  // NULs included
  for (const std::string& bytes : {""s, "a\0b\r\n"s, big}) {
    ASSERT_TRUE(WriteBytes(At("f.txt"), bytes));
    std::string read = "stale";
    EXPECT_TRUE(ReadWholeFile(At("f.txt"), &read));
    EXPECT_EQ(read, bytes);
  }
  std::string read = "stale";
  EXPECT_FALSE(ReadWholeFile(At("missing.txt"), &read));
  EXPECT_EQ(read, "");
}

TEST_F(TextFileTest, SaveReplacesTheContentAndLeavesNoTemporaryFile) {
  // New file, a longer and a shorter content over it, and an empty one.
  for (const std::string& bytes : {"表示\r\n"s, "longer content\r\n\0with NUL"s, "s"s, ""s}) {
    ASSERT_TRUE(SaveFileReplacing(At("note.txt"), bytes));
    EXPECT_EQ(ReadBytes(At("note.txt")), bytes);
    EXPECT_EQ(Names(), std::vector<std::string>{"note.txt"});
  }
}

TEST_F(TextFileTest, FailedSaveKeepsTheOldBytesAndCleansUp) {
  const std::string old = "old content\r\n";
  ASSERT_TRUE(WriteBytes(At("note.txt"), old));

  // A read-only note file stays as it is.
  DWORD attributes = ::GetFileAttributesA(At("note.txt").c_str());
  ASSERT_TRUE(::SetFileAttributesA(At("note.txt").c_str(), attributes | FILE_ATTRIBUTE_READONLY));
  EXPECT_FALSE(SaveFileReplacing(At("note.txt"), "new"));
  EXPECT_EQ(ReadBytes(At("note.txt")), old);
  EXPECT_EQ(Names(), std::vector<std::string>{"note.txt"});
  ASSERT_TRUE(::SetFileAttributesA(At("note.txt").c_str(), attributes));

  // Another program holds the file open: the new content is written in full
  // to the temporary file, and then the replacement fails.
  HANDLE held = ::CreateFileA(At("note.txt").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(SaveFileReplacing(At("note.txt"), "new"));
  ::CloseHandle(held);
  EXPECT_EQ(ReadBytes(At("note.txt")), old);
  // Wine's ReplaceFile leaves an empty "rf*.tmp" of its own behind when it
  // cannot move the held file aside; the save's own temporary file is gone.
  for (const std::string& name : Names()) {
    if (name.compare(0, 2, "rf") == 0) ::DeleteFileA(At(name).c_str());
  }
  EXPECT_EQ(Names(), std::vector<std::string>{"note.txt"});

  // A folder where the note file should be.
  ASSERT_TRUE(MakeFolder(At("folder.txt")));
  EXPECT_FALSE(SaveFileReplacing(At("folder.txt"), "new"));
  EXPECT_TRUE(FolderExists(At("folder.txt")));
  EXPECT_EQ(Names(), (std::vector<std::string>{"folder.txt", "note.txt"}));
}

TEST_F(TextFileTest, NoTemporaryFileWhereThereIsNoFolder) {
  // The note's folder is gone, or is a file: nothing is created anywhere.
  ASSERT_TRUE(WriteBytes(At("file"), "x"));
  EXPECT_FALSE(SaveFileReplacing(At("gone\\note.txt"), "new"));
  EXPECT_FALSE(SaveFileReplacing(At("file\\note.txt"), "new"));
  EXPECT_FALSE(SaveFileReplacing("", "new"));
  EXPECT_EQ(Names(), std::vector<std::string>{"file"});
  EXPECT_EQ(ReadBytes(At("file")), "x");
}

}  // namespace
}  // namespace memo::test
