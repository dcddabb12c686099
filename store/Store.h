// The note store: the root folder, pages, note kinds, note names and paths,
// the note list and unique names for new notes and pages.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace memo {

constexpr char kRootEnvVar[] = "RootPath2";
constexpr char kCommonFolderName[] = "common";
constexpr char kRootIniName[] = "root.ini";

// From the environment variable RootPath2; "" when unset or too long.
std::string RootFolder();
std::string RootIniPath();

// Info/CurrentPage of root.ini (260-byte buffer); "" when there is no page.
std::string CurrentPage();
// "" when there is no page (or its name is no single folder name), so that
// plain note names never resolve into the root folder itself.
std::string CurrentPageFolder();
std::string CommonFolder();

// A page: a folder, not "common" in any case, not read-only, whose name
// can be opened as a page (see IsPageName).
bool IsPageEntry(const WIN32_FIND_DATAA& entry);

enum class NoteKind { kNone, kText, kFolder, kBrowser, kImage, kCalendar };

// The kind of a folder entry; the extension is compared without case.
NoteKind NoteKindOf(const std::string& name, bool isFolder);
NoteKind NoteKindOfEntry(const WIN32_FIND_DATAA& entry);
// The extensions (dot included, any case) of image notes: the bitmap, JPEG,
// GIF and metafile kinds, and the PNG and TIFF pictures of today's screen
// captures, browsers and phones.
bool IsImageExtension(const std::string& extension);

// The note path of a note name: quoted names lie in common (quotes removed),
// others in the current page folder. "" for an empty or too long name, and
// for a name that is no single file name (separators, ":", "." or "..").
std::string NotePath(const std::string& noteName);

// Notes of the current page (plain names), then those of common (quoted),
// with one "" entry between the two groups when both are non-empty.
std::vector<std::string> NoteList();

// The first name base + n + extension (n = 1, 2, ...) free both in common and
// in the current page folder, quoted again when the model was quoted.
std::string UniqueNoteName(const std::string& model);

// The first name made by format (one %d) with n = 1, 2, ... that no entry of
// the root folder has.
std::string UniquePageName(const char* format);

// Model names of new notes.
extern const char kModelText[];
extern const char kModelFolder[];
extern const char kModelBrowser[];
extern const char kModelImage[];
extern const char kModelCalendar[];
extern const char kModelPage[];

}  // namespace memo
