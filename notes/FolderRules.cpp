// Rules of the folder note over plain values.
#include "notes/FolderRules.h"

#include <cstdio>

#include "store/NoteOps.h"
#include "store/Paths.h"

namespace memo {

const char kNewSubfolderFormat[] = "新しいサブフォルダ%d";

bool HasShortcutExtension(const std::string& name) { return ExtensionOf(name) == ".lnk"; }

std::string FolderDisplayName(const std::string& name, bool shellSaysLink) {
  if (!shellSaysLink || !HasShortcutExtension(name)) return name;
  return name.substr(0, name.size() - 4);
}

int CompareNoCaseMb(const std::string& a, const std::string& b) {
  size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    unsigned ca, cb;
    if (IsLeadByteAt(a, i)) {
      ca = (static_cast<unsigned char>(a[i]) << 8) | static_cast<unsigned char>(a[i + 1]);
      i += 2;
    } else {
      ca = static_cast<unsigned char>(a[i++]);
      if (ca >= 'A' && ca <= 'Z') ca += 'a' - 'A';
    }
    if (IsLeadByteAt(b, j)) {
      cb = (static_cast<unsigned char>(b[j]) << 8) | static_cast<unsigned char>(b[j + 1]);
      j += 2;
    } else {
      cb = static_cast<unsigned char>(b[j++]);
      if (cb >= 'A' && cb <= 'Z') cb += 'a' - 'A';
    }
    // A double-byte character against a single byte compares by its lead
    // byte, as a byte-wise comparison would.
    if (ca > 0xFF && cb <= 0xFF) ca >>= 8;
    if (cb > 0xFF && ca <= 0xFF) cb >>= 8;
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  if (i < a.size()) return 1;
  if (j < b.size()) return -1;
  return 0;
}

int CompareFolderEntries(bool aHasChildren, const std::string& aText, bool bHasChildren,
                         const std::string& bText) {
  if (aHasChildren != bHasChildren) return aHasChildren ? -1 : 1;
  std::string aExt = ExtensionOf(aText), bExt = ExtensionOf(bText);
  if (!aExt.empty() && !bExt.empty()) {
    if (int byExtension = CompareNoCaseMb(aExt, bExt)) return byExtension;
  }
  return CompareNoCaseMb(aText, bText);
}

LabelCheck CheckNewLabel(const std::string& label) {
  if (label.find_first_not_of(". ") == std::string::npos) return LabelCheck::kNoName;
  if (ContainsAnyChar(label, kForbiddenPageChars)) return LabelCheck::kForbiddenChar;
  if (EqualsNoCase(ExtensionOf(label), ".lnk")) return LabelCheck::kShortcutName;
  return LabelCheck::kOk;
}

bool IsSameOrInside(const std::string& path, const std::string& folder) {
  std::string base = EndsWithSeparator(folder) ? folder.substr(0, folder.size() - 1) : folder;
  if (base.empty() || path.size() < base.size()) return false;
  // Equal up to letter case, the prefix ends where a character of path ends.
  if (CompareNoCaseMb(path.substr(0, base.size()), base) != 0) return false;
  if (path.size() == base.size()) return true;
  char next = path[base.size()];
  return next == '\\' || next == '/';
}

std::string FirstFreeNumberedName(const char* format, const std::function<bool(const std::string&)>& taken) {
  // A folder cannot hold more entries of one model than this in practice; a
  // bound keeps a folder that refuses every test from looping for ever.
  for (int n = 1; n < 100000; ++n) {
    char name[kMaxPathBytes];
    std::snprintf(name, sizeof(name), format, n);
    if (!taken(name)) return name;
  }
  return std::string();
}

bool IsProgramPath(const std::string& path) {
  std::string ext = ExtensionOf(path);
  return EqualsNoCase(ext, ".exe") || EqualsNoCase(ext, ".bat");
}

bool IsCopiedAsIs(const std::string& path) {
  std::string ext = ExtensionOf(path);
  return EqualsNoCase(ext, ".url") || EqualsNoCase(ext, ".lnk");
}

unsigned long DropEffectOverItem(bool hasChildren, bool program, bool rightButton) {
  constexpr unsigned long kCopy = 1, kMove = 2, kLink = 4;
  if (hasChildren) return rightButton ? kCopy | kMove | kLink : kCopy | kLink;
  return program ? kCopy : 0;
}

std::string QuotedArguments(const std::vector<std::string>& paths) {
  std::string arguments;
  for (const std::string& path : paths) {
    if (!arguments.empty()) arguments += ' ';
    arguments += '"' + path + '"';
  }
  return arguments;
}

std::string ShortcutBaseName(const std::string& path) {
  size_t start = 0;
  for (size_t i = 0; i < path.size(); i += IsLeadByteAt(path, i) ? 2 : 1) {
    if (path[i] == '\\' || path[i] == '/' || (i == 1 && path[i] == ':')) start = i + 1;
  }
  return path.substr(start);
}

}  // namespace memo

