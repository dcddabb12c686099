// Page and note file operations.
#include "store/NoteOps.h"

#include <string>

#include "store/FileSystem.h"
#include "store/Paths.h"
#include "store/Settings.h"
#include "store/ShellOps.h"

namespace memo {
namespace {

bool HasControlChar(const std::string& name) {
  for (size_t i = 0; i < name.size(); i += IsLeadByteAt(name, i) ? 2 : 1) {
    if (!IsLeadByteAt(name, i) && static_cast<unsigned char>(name[i]) < 0x20) return true;
  }
  return false;
}

// The current page is kept in root.ini, whose reader drops blanks around a
// value and one pair of quotes around it: " page" or "'page'" would come
// back as another name.
bool SurvivesRootIni(const std::string& name) {
  bool quoted = name.size() >= 2 && name.front() == '\'' && name.back() == '\'';
  return name.front() != ' ' && name.back() != ' ' && !quoted;
}

// Bytes that are text of the system code page and come back unchanged from
// its wide form: a stray lead byte at the end, or a pair the code page does
// not define, would give a folder of another name (or none).
bool IsExactCodePageText(const std::string& name) {
  if (name.empty()) return true;
  int chars = ::MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, name.data(), static_cast<int>(name.size()),
                                    nullptr, 0);
  if (chars <= 0) return false;
  std::wstring wide(static_cast<size_t>(chars), L'\0');
  ::MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, name.data(), static_cast<int>(name.size()), &wide[0], chars);
  BOOL defaulted = FALSE;
  int bytes = ::WideCharToMultiByte(CP_ACP, 0, wide.data(), chars, nullptr, 0, nullptr, &defaulted);
  if (bytes <= 0 || defaulted) return false;
  std::string back(static_cast<size_t>(bytes), '\0');
  ::WideCharToMultiByte(CP_ACP, 0, wide.data(), chars, &back[0], bytes, nullptr, nullptr);
  return back == name;
}

PageNameCheck CheckName(const std::string& name) {
  if (ContainsAnyChar(name, kForbiddenPageChars)) return PageNameCheck::kInvalid;
  if (EqualsNoCase(name, kCommonFolderName)) return PageNameCheck::kReserved;
  if (name.empty() || HasControlChar(name) || IsDeviceName(name) || name.back() == '.' ||
      !SurvivesRootIni(name) || !IsExactCodePageText(name)) {
    return PageNameCheck::kInvalid;
  }
  return PageNameCheck::kOk;
}

// Moves a settings file that no note file owns out of the way of a new note
// (it is left by a note deleted outside the program, or brought in by a sync
// tool): the new note must start from the defaults, not wake up hidden or
// elsewhere. It is kept under another name rather than deleted.
void SetAsideSettingsOf(const std::string& path) {
  std::string ini = PathAppend(path, ".ini");
  if (ini.empty() || !PathExists(ini)) return;
  for (int n = 1; n <= 99; ++n) {
    std::string aside = PathAppend(ini, n == 1 ? ".old" : (".old" + std::to_string(n)).c_str());
    if (aside.empty()) break;
    if (!PathExists(aside) && ::MoveFileA(ini.c_str(), aside.c_str())) return;
  }
  ::DeleteFileA(ini.c_str());
}

}  // namespace

bool IsPageName(const std::string& name) { return CheckName(name) == PageNameCheck::kOk; }

PageNameCheck CheckPageName(const std::string& name, const std::string& rootFolder) {
  PageNameCheck check = CheckName(name);
  if (check != PageNameCheck::kOk) return check;
  // The page folder must leave room for its notes: a note path beside a
  // settings file path of the same note ("\x.txt.ini") must still fit.
  std::string folder = PathJoin(rootFolder, name);
  if (folder.empty() || folder.size() + 16 >= kMaxPathBytes) return PageNameCheck::kInvalid;
  return PageNameCheck::kOk;
}

bool CreateNoteContent(NoteKind kind, const std::string& path) {
  if (path.empty()) return false;
  if (!PathExists(path)) SetAsideSettingsOf(path);
  switch (kind) {
    case NoteKind::kFolder:
      return CheckRoot(path);
    case NoteKind::kBrowser: {
      bool written = IniWriteString(path, "InternetShortcut", "URL", "about:blank");
      IniFlush(path);
      return written;
    }
    case NoteKind::kText:
    case NoteKind::kImage:
    case NoteKind::kCalendar:
      return CreateEmptyFile(path);
    case NoteKind::kNone:
      break;
  }
  return false;
}

bool MoveNote(HWND owner, const std::string& oldName, const std::string& newName) {
  std::string oldPath = NotePath(oldName);
  std::string newPath = NotePath(newName);
  if (oldPath.empty() || newPath.empty() || !PathExists(oldPath) || PathExists(newPath)) return false;
  std::string oldIni = PathAppend(oldPath, ".ini");
  std::string newIni = PathAppend(newPath, ".ini");
  // A note whose settings path would not fit cannot follow its settings.
  if (newIni.empty()) return false;
  if (!ShellMove(owner, oldPath, newPath)) return false;
  // A settings file left at the new path by a note that is gone would
  // otherwise stay, and the moved note would wake up with its settings.
  if (!oldIni.empty() && PathExists(oldIni)) {
    ::MoveFileExA(oldIni.c_str(), newIni.c_str(), MOVEFILE_REPLACE_EXISTING);
  }
  return true;
}

bool DeleteNote(HWND owner, const std::string& noteName) {
  std::string path = NotePath(noteName);
  if (path.empty() || !ShellDelete(owner, path)) return false;
  std::string ini = PathAppend(path, ".ini");
  if (!ini.empty()) ::DeleteFileA(ini.c_str());
  return true;
}

}  // namespace memo
