// Names and paths as plain strings in the system code page (CP932 on a
// Japanese system). Every scan is double-byte aware: the trail byte of a
// character such as "表" is 0x5C, the code of a backslash.
#pragma once

#include <string>

namespace memo {

// Paths hold at most 260 bytes with the terminator.
constexpr size_t kMaxPathBytes = 260;

bool FitsMaxPath(const std::string& path);

// Whether the byte at s[i] starts a double-byte character.
bool IsLeadByteAt(const std::string& s, size_t i);

// True when the last character (not merely the last byte) is "\" or "/".
bool EndsWithSeparator(const std::string& path);

// folder + name with a separator only where needed. Returns "" when the
// folder is empty or the result would not fit 260 bytes: callers treat "" as
// "no such path", so neither a relative nor a cut path is ever used.
std::string PathJoin(const std::string& folder, const std::string& name);

// path + suffix (".ini" for a settings file), or "" when it would not fit.
std::string PathAppend(const std::string& path, const char* suffix);

// The parent that the root check creates first: one trailing separator
// removed, then the drive and directory parts with their trailing separator.
// A name without a folder part gives "".
std::string ParentForCreate(const std::string& path);

// A name is quoted when its first and last characters are both '"'.
bool IsQuotedName(const std::string& name);
std::string Unquote(const std::string& name);  // unchanged unless quoted
std::string Quote(const std::string& name);

// From the last "." on ("" when the name has none), and the part before it.
std::string ExtensionOf(const std::string& name);
std::string BaseNameOf(const std::string& name);

// Trailing ASCII digits removed, but never the first character.
std::string StripTrailingDigits(const std::string& base);

// Whether s holds any single-byte character of the set (double-byte aware).
bool ContainsAnyChar(const std::string& s, const char* set);

// ASCII case-insensitive equality ("common", extensions).
bool EqualsNoCase(const std::string& a, const char* b);

// Whether Windows opens a device for this file name: "CON", "lpt9" and the
// like with any extension, and with blanks before it ("nul .txt").
bool IsDeviceName(const std::string& name);

}  // namespace memo
