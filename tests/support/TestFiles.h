// Files, folders, ini values and registry values for tests: temporary
// folders that clean up after themselves, byte-exact reads and writes.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace memo::test {

// A fresh folder under the temporary folder, deleted with all its contents
// when the object goes.
class TempFolder {
 public:
  explicit TempFolder(const std::string& prefix = "memo");
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& path() const { return path_; }
  // path + "\" + relative
  std::string operator/(const std::string& relative) const;

 private:
  std::string path_;
};

std::string TempDir();  // GetTempPathA without the trailing separator
std::string Join(const std::string& folder, const std::string& name);

bool WriteBytes(const std::string& path, const std::string& bytes);
std::optional<std::string> ReadBytes(const std::string& path);
bool FileExists(const std::string& path);  // a file, not a folder
bool FolderExists(const std::string& path);
bool MakeFolder(const std::string& path);   // with missing parents
void DeleteTree(const std::string& path);   // file or folder, recursively, no Recycle Bin
std::vector<std::string> ListNames(const std::string& folder);  // sorted, without . and ..

std::string IniGet(const std::string& file, const char* section, const char* key,
                   const char* def = "");
void IniSet(const std::string& file, const char* section, const char* key, const char* value);

// HKEY_CURRENT_USER values.
std::optional<std::string> RegGet(const char* key, const char* value);
std::optional<DWORD> RegGetType(const char* key, const char* value);
void RegSet(const char* key, const char* value, const std::string& data);
void RegDelete(const char* key, const char* value);

// Saves a registry value and puts it back (or deletes it) at the end.
class RegValueGuard {
 public:
  RegValueGuard(const char* key, const char* value);
  ~RegValueGuard();
  RegValueGuard(const RegValueGuard&) = delete;
  RegValueGuard& operator=(const RegValueGuard&) = delete;

 private:
  std::string key_;
  std::string value_;
  std::optional<std::string> saved_;
};

std::string DocumentsFolder();  // the user's My Documents

// A symbolic link as users make them: under Wine with ln on the Unix side
// (Wine's CreateSymbolicLink makes nothing), on Windows with the system's.
// target is relative to the folder; true once the link leads to it.
bool MakeSymbolicLink(const std::string& folder, const char* link, const char* target);
// The last part of the path that the system reaches through path: the
// target's name for a symbolic link, the name itself for a plain file.
std::string FinalName(const std::string& path);

}  // namespace memo::test
