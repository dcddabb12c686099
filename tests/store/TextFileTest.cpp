// Reading and writing note files byte for byte, and the replacing save that
// never leaves a note file half written.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "store/FileStamp.h"
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
  // Neither the save's own temporary file nor one of the system's replace.
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

TEST_F(TextFileTest, AnOutsideChangeIsFoundByContentEvenWithinOneFileTimeTick) {
  ASSERT_TRUE(WriteBytes(At("note.txt"), "one"));
  FileStamp stamp = StampOf(At("note.txt"), "one");
  std::string bytes;
  FileStamp now;
  EXPECT_EQ(CompareWithDisk(At("note.txt"), stamp, &bytes, &now), DiskState::kSame);

  // Same size, and the file time put back to what it was.
  ASSERT_TRUE(WriteBytes(At("note.txt"), "two"));
  HANDLE file = ::CreateFileA(At("note.txt").c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  ::SetFileTime(file, nullptr, nullptr, &stamp.written);
  ::CloseHandle(file);
  EXPECT_EQ(CompareWithDisk(At("note.txt"), stamp, &bytes, &now), DiskState::kChanged);
  EXPECT_EQ(bytes, "two");
  EXPECT_EQ(CompareWithDisk(At("note.txt"), now, &bytes, &now), DiskState::kSame);

  ASSERT_TRUE(::DeleteFileA(At("note.txt").c_str()));
  EXPECT_EQ(CompareWithDisk(At("note.txt"), stamp, &bytes, &now), DiskState::kGone);
  ASSERT_TRUE(MakeFolder(At("note.txt")));
  EXPECT_EQ(CompareWithDisk(At("note.txt"), stamp, &bytes, &now), DiskState::kGone);
}

TEST(ConflictCopyNameTest, NamedFromTheNoteWithoutNesting) {
  SYSTEMTIME when{2026, 12, 1, 7, 10, 30, 5, 0};
  struct Case {
    const char* note;
    int number;
    const char* copy;
  };
  const Case cases[] = {
      {"メモ.txt", 1, "メモ (競合 2026-12-07 1030).txt"},
      {"メモ.txt", 2, "メモ (競合 2026-12-07 1030 2).txt"},
      {"\"共有.txt\"", 1, "\"共有 (競合 2026-12-07 1030).txt\""},
      // A conflict copy's own conflict replaces the old time.
      {"メモ (競合 2026-11-01 0900).txt", 1, "メモ (競合 2026-12-07 1030).txt"},
      {"メモ (競合 2026-11-01 0900 3).txt", 2, "メモ (競合 2026-12-07 1030 2).txt"},
      {"表 (x).txt", 1, "表 (x) (競合 2026-12-07 1030).txt"},
  };
  for (const Case& c : cases) EXPECT_EQ(ConflictCopyName(c.note, when, c.number), c.copy) << c.note;
}

}  // namespace
}  // namespace memo::test
