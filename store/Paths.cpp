// Names and paths as plain strings in the system code page.
#include "store/Paths.h"

#include <windows.h>

#include <cstring>

namespace memo {

bool FitsMaxPath(const std::string& path) { return path.size() < kMaxPathBytes; }

bool IsLeadByteAt(const std::string& s, size_t i) {
  return i + 1 < s.size() && ::IsDBCSLeadByte(static_cast<BYTE>(s[i]));
}

namespace {

// Index of the last character's first byte, or npos for an empty string.
size_t LastCharIndex(const std::string& s) {
  size_t last = std::string::npos;
  for (size_t i = 0; i < s.size(); i += IsLeadByteAt(s, i) ? 2 : 1) last = i;
  return last;
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

}  // namespace

bool EndsWithSeparator(const std::string& path) {
  size_t last = LastCharIndex(path);
  return last != std::string::npos && last == path.size() - 1 && IsSeparator(path[last]);
}

std::string PathJoin(const std::string& folder, const std::string& name) {
  // Without a folder the name alone would be taken relative to the current
  // directory (with no root folder, "root.ini" would land wherever the
  // program was started); that is no path of the store.
  if (folder.empty()) return std::string();
  std::string joined = folder;
  if (!EndsWithSeparator(joined) && !name.empty()) joined += '\\';
  joined += name;
  return FitsMaxPath(joined) ? joined : std::string();
}

std::string PathAppend(const std::string& path, const char* suffix) {
  if (path.empty()) return std::string();
  std::string joined = path + suffix;
  return FitsMaxPath(joined) ? joined : std::string();
}

std::string ParentForCreate(const std::string& path) {
  std::string copy = path;
  if (EndsWithSeparator(copy)) copy.pop_back();
  // Drive ("C:") and directory (up to and including the last separator), as
  // a path splitter gives them; the file part is dropped.
  size_t driveEnd = 0;
  if (copy.size() >= 2 && copy[1] == ':' && !::IsDBCSLeadByte(static_cast<BYTE>(copy[0]))) {
    driveEnd = 2;
  }
  size_t dirEnd = driveEnd;
  for (size_t i = driveEnd; i < copy.size(); i += IsLeadByteAt(copy, i) ? 2 : 1) {
    if (IsSeparator(copy[i])) dirEnd = i + 1;
  }
  return copy.substr(0, dirEnd);
}

bool IsQuotedName(const std::string& name) {
  return name.size() >= 2 && name.front() == '"' && name.back() == '"';
}

std::string Unquote(const std::string& name) {
  return IsQuotedName(name) ? name.substr(1, name.size() - 2) : name;
}

std::string Quote(const std::string& name) { return '"' + name + '"'; }

namespace {

size_t LastDot(const std::string& name) {
  size_t dot = std::string::npos;
  for (size_t i = 0; i < name.size(); i += IsLeadByteAt(name, i) ? 2 : 1) {
    if (name[i] == '.') dot = i;
  }
  return dot;
}

}  // namespace

std::string ExtensionOf(const std::string& name) {
  size_t dot = LastDot(name);
  return dot == std::string::npos ? std::string() : name.substr(dot);
}

std::string BaseNameOf(const std::string& name) {
  size_t dot = LastDot(name);
  return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string StripTrailingDigits(const std::string& base) {
  // A digit byte can be a trail byte only in the 0x40-0xFC range, which the
  // ASCII digits 0x30-0x39 are not; still, find where the last character
  // starts so that a digit run is only ever cut at a character boundary.
  size_t keep = base.size();
  while (keep > 1 && base[keep - 1] >= '0' && base[keep - 1] <= '9') {
    // Stop if the digit is the second byte of a double-byte character.
    size_t last = LastCharIndex(base.substr(0, keep));
    if (last != keep - 1) break;
    --keep;
  }
  return base.substr(0, keep);
}

bool ContainsAnyChar(const std::string& s, const char* set) {
  for (size_t i = 0; i < s.size(); i += IsLeadByteAt(s, i) ? 2 : 1) {
    if (!IsLeadByteAt(s, i) && s[i] != '\0' && std::strchr(set, s[i])) return true;
  }
  return false;
}

bool EqualsNoCase(const std::string& a, const char* b) {
  size_t n = std::strlen(b);
  if (a.size() != n) return false;
  for (size_t i = 0; i < n; ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

bool IsDeviceName(const std::string& name) {
  std::string stem = name.substr(0, name.find('.'));
  while (!stem.empty() && stem.back() == ' ') stem.pop_back();
  static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
  for (const char* device : kDevices) {
    if (EqualsNoCase(stem, device)) return true;
  }
  return stem.size() == 4 && (EqualsNoCase(stem.substr(0, 3), "COM") || EqualsNoCase(stem.substr(0, 3), "LPT")) &&
         stem[3] >= '1' && stem[3] <= '9';
}

}  // namespace memo
