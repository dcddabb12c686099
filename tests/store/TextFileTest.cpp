// Reading and writing note files byte for byte, and the replacing save that
// never leaves a note file half written.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "store/FileStamp.h"
#include "store/TextFile.h"
#include "tests/support/AppDriver.h"
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

void SetTimes(const std::string& path, WORD year, bool creation) {
  HANDLE file = ::CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  SYSTEMTIME st{year, 1, 0, 1, 0, 0, 0, 0};
  FILETIME ft;
  ::SystemTimeToFileTime(&st, &ft);
  ::SetFileTime(file, creation ? &ft : nullptr, nullptr, creation ? nullptr : &ft);
  ::CloseHandle(file);
}

TEST_F(TextFileTest, SaveKeepsTheNoteFilesCreationTimeAndHiddenAttribute) {
  ASSERT_TRUE(WriteBytes(At("note.txt"), "old"));
  SetTimes(At("note.txt"), 2003, true);
  ASSERT_TRUE(::SetFileAttributesA(At("note.txt").c_str(), FILE_ATTRIBUTE_HIDDEN));
  ASSERT_TRUE(SaveFileReplacing(At("note.txt"), "new"));
  EXPECT_EQ(ReadBytes(At("note.txt")), "new");
  WIN32_FILE_ATTRIBUTE_DATA data{};
  ASSERT_TRUE(::GetFileAttributesExA(At("note.txt").c_str(), GetFileExInfoStandard, &data));
  EXPECT_TRUE(data.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN);
  // Wine keeps no creation time of its own for a file.
  if (RunningUnderWine()) return;
  SYSTEMTIME created;
  ::FileTimeToSystemTime(&data.ftCreationTime, &created);
  EXPECT_EQ(created.wYear, 2003);
}

TEST_F(TextFileTest, SaveKeepsLinksAndSetsTheArchiveBit) {
  // A note that is a symbolic link: the target gets the text, the link stays.
  ASSERT_TRUE(WriteBytes(At("target.txt"), "old"));
  if (!MakeSymbolicLink(folder_.path(), "link.txt", "target.txt")) GTEST_SKIP() << "no symbolic links here";
  ASSERT_TRUE(SaveFileReplacing(At("link.txt"), "through the link"));
  EXPECT_EQ(ReadBytes(At("target.txt")), "through the link");
  EXPECT_EQ(FinalName(At("link.txt")), "target.txt") << "the link became a file of its own";
  EXPECT_EQ(Names(), (std::vector<std::string>{"link.txt", "target.txt"}));

  // A note with a second name: both names see every save.
  ASSERT_TRUE(WriteBytes(At("note.txt"), "old"));
  ASSERT_TRUE(::CreateHardLinkA(At("other name.txt").c_str(), At("note.txt").c_str(), nullptr));
  for (const std::string& bytes : {"a longer text"s, "short"s}) {
    ASSERT_TRUE(SaveFileReplacing(At("note.txt"), bytes));
    EXPECT_EQ(ReadBytes(At("note.txt")), bytes);
    EXPECT_EQ(ReadBytes(At("other name.txt")), bytes);
  }
  EXPECT_EQ(Names(), (std::vector<std::string>{"link.txt", "note.txt", "other name.txt", "target.txt"}));

  // A backup that copies files with the archive bit must see the change.
  ASSERT_TRUE(::SetFileAttributesA(At("target.txt").c_str(), FILE_ATTRIBUTE_NORMAL));
  ASSERT_TRUE(SaveFileReplacing(At("target.txt"), "changed"));
  EXPECT_TRUE(::GetFileAttributesA(At("target.txt").c_str()) & FILE_ATTRIBUTE_ARCHIVE);
}

TEST_F(TextFileTest, NewFileNeverReplacesOne) {
  ASSERT_TRUE(WriteBytes(At("taken.txt"), "theirs"));
  EXPECT_FALSE(SaveFileNew(At("taken.txt"), "mine"));
  EXPECT_EQ(ReadBytes(At("taken.txt")), "theirs");
  EXPECT_TRUE(SaveFileNew(At("free.txt"), "mine"));
  EXPECT_EQ(ReadBytes(At("free.txt")), "mine");
  EXPECT_EQ(Names(), (std::vector<std::string>{"free.txt", "taken.txt"}));
}

TEST_F(TextFileTest, TemporaryFilesOfUnfinishedSavesGoOnceTheyAreOld) {
  // Left by saves that a kill cut short, one of them long ago; and a file of
  // the user's that only looks alike.
  for (const char* name : {".~m1a2b.tmp", ".~m3c4d.tmp", "~m5e6f.tmp", ".~m7.txt"}) {
    ASSERT_TRUE(WriteBytes(At(name), "x"));
    SetTimes(At(name), 2001, false);
  }
  ASSERT_TRUE(SaveFileReplacing(At("note.txt"), "text"));
  ASSERT_TRUE(WriteBytes(At(".~m9fresh.tmp"), "a save going on"));
  RemoveStaleSaveTemps(folder_.path());
  EXPECT_EQ(Names(), (std::vector<std::string>{".~m7.txt", ".~m9fresh.tmp", "note.txt", "~m5e6f.tmp"}));
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

TEST_F(TextFileTest, ACopyNameIsFreeOnlyWhereNoNoteOrSettingsHaveIt) {
  TempFolder common{"memo-common"};
  ASSERT_TRUE(WriteBytes(At("note.txt"), "n"));
  ASSERT_TRUE(WriteBytes(At("orphan.txt.ini"), "[Window]\r\nStyle=512\r\n"));
  ASSERT_TRUE(MakeFolder(At("folder.txt")));
  ASSERT_TRUE(WriteBytes(common / "shared.txt", "s"));
  ASSERT_TRUE(::CreateHardLinkA(At("second name.txt").c_str(), At("note.txt").c_str(), nullptr));
  const struct {
    const char* name;
    bool free;
  } cases[] = {{"note.txt", false}, {"orphan.txt", false}, {"folder.txt", false},
               {"shared.txt", false}, {"free.txt", true}};
  for (const auto& c : cases) {
    EXPECT_EQ(IsFreeCopyName({folder_.path(), common.path()}, c.name), c.free) << c.name;
  }

  // One file under any of its names, and no other.
  EXPECT_TRUE(IsSameFile(At("note.txt"), At("NOTE.TXT")));
  EXPECT_TRUE(IsSameFile(At("note.txt"), At("second name.txt")));
  EXPECT_FALSE(IsSameFile(At("note.txt"), common / "shared.txt"));
  EXPECT_FALSE(IsSameFile(At("note.txt"), At("free.txt")));
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

TEST(ConflictCopyNameTest, CopiesOfOursAndOfSyncEnginesNameTheirNote) {
  struct Case {
    const char* copy;
    std::vector<std::string> originals;
  };
  const Case cases[] = {
      {"メモ (競合 2026-12-07 1030 2).txt", {"メモ.txt"}},
      {"memo.sync-conflict-20261207-235656-KISLZUV.txt", {"memo.txt"}},
      {"a.b.sync-conflict-20261207-235656-KISLZUV.txt", {"a.b.txt"}},
      {"memo.sync-conflict-2026120-235656-KISLZUV.txt", {}},   // a digit short
      {"memo.sync-conflict-20261207-235656-kislzuv.txt", {}},  // no device id
      {"memo (Bob's conflicted copy 2026-12-07).txt", {"memo.txt"}},
      {"表 (ボブの競合コピー 2026-12-07).txt", {"表.txt"}},
      {"表 (x).txt", {}},
      // OneDrive's computer name may hold hyphens: each split is offered,
      // the closest first.
      {"memo-DESKTOP-AB12.txt", {"memo-DESKTOP.txt", "memo.txt"}},
      {"memo-final.txt", {}},
      {"memo-2.txt", {}},
      {"plain.txt", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(ConflictCopyOriginals(c.copy), c.originals) << c.copy;
}

}  // namespace
}  // namespace memo::test
