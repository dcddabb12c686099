// Rules of the folder note over plain values: which names are shortcuts, how
// entries are named and ordered in the tree, which new labels are refused,
// and how new subfolders are numbered.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace memo {

// Only ".lnk" in exactly this letter case marks a shortcut: a ".LNK" file is
// shown and handled as a plain file.
bool HasShortcutExtension(const std::string& name);

// The name shown for an entry: a shortcut (exact ".lnk" that the shell calls
// a link) without its extension, every other name unchanged.
std::string FolderDisplayName(const std::string& name, bool shellSaysLink);

// Case-insensitive comparison that steps over double-byte characters as
// units: only single-byte letters are folded, a trail byte is never taken
// for a letter. Negative, zero or positive.
int CompareNoCaseMb(const std::string& a, const std::string& b);

// The tree's order of two entries of one level: folders (and shortcuts to
// folders) first, then by extension when both names have one, then by the
// whole name. Negative when a comes first.
int CompareFolderEntries(bool aHasChildren, const std::string& aText, bool bHasChildren,
                         const std::string& bText);

enum class LabelCheck {
  kOk,
  kForbiddenChar,  // one of \ / : , ; * ? " < > |
  kShortcutName,   // ends in ".lnk" in any letter case
  kNoName,         // empty, or only dots and blanks: the system would take it
                   // for the folder itself or the one above it
};
LabelCheck CheckNewLabel(const std::string& label);

// Whether path is folder itself or lies inside it, without regard to the
// case of single-byte letters; a trailing separator of folder is ignored.
bool IsSameOrInside(const std::string& path, const std::string& folder);

// The first name made from format (one %d) with n = 1, 2, ... for which
// taken() is false; "" when none is free within a sane bound.
std::string FirstFreeNumberedName(const char* format, const std::function<bool(const std::string&)>& taken);

// The model of new subfolders of a folder note.
extern const char kNewSubfolderFormat[];

// Drops. A program (".exe" or ".bat", any letter case) is started with the
// dropped files; shortcuts (".lnk") and Internet shortcuts (".url") dropped
// as files are copied as they are instead of being linked to.
bool IsProgramPath(const std::string& path);
bool IsCopiedAsIs(const std::string& path);

// The effect a drag shows over a tree item: copy and link over a folder
// (and move too once the right button was seen), copy over a program,
// nothing over any other item.
unsigned long DropEffectOverItem(bool hasChildren, bool program, bool rightButton);

// A program's parameters for dropped paths: each in double quotes, joined by
// single spaces.
std::string QuotedArguments(const std::vector<std::string>& paths);

// The name of the shortcut to a dropped path, without ".lnk": its file name
// with extension, "" for a drive root (which is named by its volume label).
std::string ShortcutBaseName(const std::string& path);

}  // namespace memo
