// String values under HKEY_CURRENT_USER: the root folder and the auto-start
// entry.
#pragma once

#include <windows.h>

#include <string>

namespace memo {

constexpr char kAppKey[] = "Software\\Quendra\\Memopane";
constexpr char kRootValue[] = "RootPath2";
constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kRunValue[] = "Memopane";

// A REG_SZ value of at most 259 bytes; "" when the key or value is missing,
// of another type, or too long to be a path.
std::string RegReadString(HKEY root, const char* subKey, const char* value);
// Writes a REG_SZ value (length including the terminator), creating the key.
bool RegWriteString(HKEY root, const char* subKey, const char* value, const std::string& data);
bool RegDeleteValueOf(HKEY root, const char* subKey, const char* value);

// The full path of the running program's file; "" when it does not fit.
std::string ProgramPath();
// Start at logon: the Run value "Memopane" holds the program's full path,
// unquoted. Only the value of this very file counts as on: one that names
// another copy (or this path in other letter case) is off.
bool AutoStartIsThisProgram();
// Writes the Run value with the program's path, or deletes it.
bool SetAutoStart(bool on);

}  // namespace memo
