// Reading and writing the files of text notes and mail drafts, byte for byte.
#pragma once

#include <string>

namespace memo {

// The prefix of the temporary files that saves make beside the file they
// replace (".~m*.tmp": sync tools skip names that start with ".~" or end in
// ".tmp", and no note kind ends in ".tmp").
constexpr char kSaveTempPrefix[] = ".~m";

// All bytes of a file up to its end or the first failing read; false when
// it cannot be opened.
bool ReadWholeFile(const std::string& path, std::string* bytes);

// Writes bytes so that at every moment the file holds either its old or its
// new content: a temporary file in the same folder is written and flushed,
// then replaces the target. False (target untouched) on any failure.
// The file stays the same file to the system and to other programs: a
// symbolic link is saved through to its target, a file with a second name
// (a hard link) is written in place once the temporary copy is on the disk,
// and on Windows its data streams and security are kept.
bool SaveFileReplacing(const std::string& path, const std::string& bytes);

// Writes a new file as SaveFileReplacing does, but never over another one:
// false when the name is taken, also by a file made while this one was
// being written.
bool SaveFileNew(const std::string& path, const std::string& bytes);

// Writes what the system still caches of the file to the disk; false when
// it cannot be opened or flushed.
bool FlushFileToDisk(const std::string& path);

// Moves from over to in one rename, trying again for up to 200 ms while
// another program holds to open; false when it could not.
bool RenameOver(const std::string& from, const std::string& to);

// Deletes the temporary files of saves that never finished (the program was
// killed or the machine lost power while it saved) from a note folder. Only
// files older than ten minutes go: a save in progress, here or by a copy of
// the program on another computer sharing the folder, lasts far less.
void RemoveStaleSaveTemps(const std::string& folder);

// Creates or truncates the file and writes bytes in one call; false unless
// every byte was written.
bool WriteWholeFile(const std::string& path, const std::string& bytes);

// A mail draft for the mail program, from a UTF-8 subject and body: the
// body goes as it is and says so in its header, a subject beyond ASCII as
// encoded words, so that every mail program reads any character.
std::string MailDraft(const std::string& subject, const std::string& body);

}  // namespace memo
