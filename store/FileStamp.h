// What a note last read from or wrote to its file, so that a change made
// outside (a sync tool, another computer, an editor) is noticed by content
// before the note writes over it; and the names of conflict copies.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace memo {

struct FileStamp {
  bool known = false;  // false until the note has read or written the file
  uint64_t size = 0;
  FILETIME written{};
  uint64_t hash = 0;
};

uint64_t HashBytes(const std::string& bytes);

// The stamp of bytes that the file at path holds now (read or just written).
FileStamp StampOf(const std::string& path, const std::string& bytes);

enum class DiskState {
  kSame,        // the file holds what the stamp says
  kChanged,     // other bytes: *bytes holds them, *now their stamp
  kGone,        // no file (deleted, moved, or a folder took its place)
  kUnreadable,  // there but not readable now (locked by another program)
};

// Compares the file with the stamp by its bytes: a rewrite inside one tick
// of the file time, or one that keeps the time, still counts. An unknown
// stamp compares as kSame.
DiskState CompareWithDisk(const std::string& path, const FileStamp& known, std::string* bytes, FileStamp* now);

// The name of the copy that keeps the user's text when the note's file was
// changed outside meanwhile: "メモ.txt" -> "メモ (競合 2026-12-07 1030).txt",
// with " 2", " 3", ... after the time for the second and later copies of
// that minute. The conflict part of a conflict copy's own name is replaced,
// not nested. Quotes of a note of common are kept.
std::string ConflictCopyName(const std::string& noteName, const SYSTEMTIME& when, int number);

// The notes a conflict copy may belong to, by its bare name: ours
// ("メモ (競合 2026-12-07 1030).txt"), a sync engine's (Syncthing
// "メモ.sync-conflict-20261207-235656-KISLZUV.txt", Dropbox
// "メモ (Bob's conflicted copy 2026-12-07).txt" or "... の競合コピー ...",
// OneDrive "メモ-DESKTOP-AB12.txt"), most likely first; none for a name of
// no copy. The OneDrive form is ambiguous: callers take the first that exists.
std::vector<std::string> ConflictCopyOriginals(const std::string& name);

// The first of those that is a file in folder, or "".
std::string ConflictCopyOriginalIn(const std::string& folder, const std::string& name);

// Whether a conflict copy may take this bare name: no file or folder has it,
// nor a settings file of it (an orphan would lend the copy its place and
// its hidden bit), in any of the folders whose notes show together.
bool IsFreeCopyName(const std::vector<std::string>& folders, const std::string& name);

// Whether two paths name one existing file (any spelling, a link to it).
bool IsSameFile(const std::string& a, const std::string& b);

}  // namespace memo
