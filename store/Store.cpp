// The note store: root folder, pages, note kinds, names, paths and new names.
#include "store/Store.h"

#include <climits>
#include <cstdio>
#include <string>

#include "store/FileSystem.h"
#include "store/NoteOps.h"
#include "store/Paths.h"
#include "store/Settings.h"
#include "store/WinText.h"

namespace memo {

const char kModelText[] = "新しいテキスト0.txt";
const char kModelFolder[] = "新しいフォルダ0";
const char kModelBrowser[] = "新しいブラウザ0.url";
const char kModelImage[] = "新しいイメージ0.bmp";
const char kModelCalendar[] = "\"新しいカレンダー0.calender\"";
const char kModelPage[] = "新しいページ%d";

namespace {

// Characters that cannot be part of a single file or folder name. A page or
// note name holding one of them would point somewhere other than one entry
// of its folder (a sub-folder, another drive, a stream), so it is refused.
constexpr char kNotANameChars[] = "\\/:";

bool IsSingleName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && !ContainsAnyChar(name, kNotANameChars);
}

}  // namespace

std::string RootFolder() {
  // Read wide and converted here: Wine's ANSI reader copies as many bytes as
  // the value has characters, so a root with Japanese in its name came back
  // cut short.
  wchar_t name[sizeof(kRootEnvVar)] = {};
  for (size_t i = 0; i < sizeof(kRootEnvVar); ++i) name[i] = static_cast<unsigned char>(kRootEnvVar[i]);
  wchar_t wide[kMaxPathBytes] = {};
  DWORD length = ::GetEnvironmentVariableW(name, wide, kMaxPathBytes);
  // Too long a value returns the size it would need (more than the buffer)
  // and leaves the buffer undefined; it is no usable root.
  if (length == 0 || length >= kMaxPathBytes) return std::string();
  char buffer[kMaxPathBytes] = {};
  int bytes = ::WideCharToMultiByte(CP_ACP, 0, wide, static_cast<int>(length), buffer, sizeof(buffer) - 1,
                                    nullptr, nullptr);
  if (bytes <= 0) return std::string();
  return std::string(buffer, static_cast<size_t>(bytes));
}

std::string RootIniPath() { return PathJoin(RootFolder(), kRootIniName); }

std::string CurrentPage() {
  // Asked for at every note's path, several times for each note a page
  // opens or closes: the file is read again only when this program wrote a
  // settings file since, or root.ini's size or time is not as it was. A
  // file changed in the last seconds is read again a moment later all the
  // same: another change within the same tick of its file system's clock
  // (two seconds on FAT) would leave the time as it was. Not at every ask,
  // though: a page opening just after the switch wrote the file asks
  // hundreds of times in those seconds.
  constexpr ULONGLONG kSettledAfter = 25000000;  // 2.5 s in FILETIME units
  constexpr ULONGLONG kRecheckAfter = 2500000;   // 0.25 s
  struct Kept {
    std::string file, page;
    unsigned writes = 0;
    FILETIME written{};
    DWORD size = 0;
    ULONGLONG readAt = 0;
    bool valid = false, settled = false;
  };
  static Kept kept;
  auto ticks = [](const FILETIME& t) { return (static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
  FILETIME now{};
  ::GetSystemTimeAsFileTime(&now);
  std::string file = RootIniPath();
  WIN32_FILE_ATTRIBUTE_DATA data{};
  bool stamped = !file.empty() && ::GetFileAttributesExA(file.c_str(), GetFileExInfoStandard, &data) &&
                 data.nFileSizeHigh == 0;
  // A clock set back makes now earlier than the read: read again.
  bool recent = ticks(now) >= kept.readAt && ticks(now) < kept.readAt + kRecheckAfter;
  if (stamped && kept.valid && (kept.settled || recent) && kept.file == file && kept.writes == IniWriteCount() &&
      kept.size == data.nFileSizeLow && ::CompareFileTime(&kept.written, &data.ftLastWriteTime) == 0) {
    return kept.page;
  }
  unsigned writes = IniWriteCount();
  std::string page = IniReadString(file, kSectionInfo, kKeyCurrentPage, "", kMaxPathBytes);
  kept.valid = stamped;
  if (kept.valid) {
    kept.file = file;
    kept.page = page;
    kept.writes = writes;
    kept.written = data.ftLastWriteTime;
    kept.size = data.nFileSizeLow;
    kept.readAt = ticks(now);
    kept.settled = ticks(now) >= ticks(data.ftLastWriteTime) + kSettledAfter;
  }
  return page;
}

std::string CurrentPageFolder() {
  std::string page = CurrentPage();
  // Without a page there is no page folder: plain note names must not fall
  // through to the root folder, whose sub-folders are the pages themselves.
  if (!IsSingleName(page)) return std::string();
  return PathJoin(RootFolder(), page);
}

std::string CommonFolder() { return PathJoin(RootFolder(), kCommonFolderName); }

bool IsPageEntry(const WIN32_FIND_DATAA& entry) {
  // IsPageName also refuses "common", and names that could be listed but
  // never opened as a page. Hidden folders are a sync engine's own
  // (".stfolder", ".dropbox.cache"), no pages of the user's.
  constexpr DWORD kNoPage = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  return (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !(entry.dwFileAttributes & kNoPage) &&
         IsPageName(entry.cFileName);
}

NoteKind NoteKindOf(const std::string& name, bool isFolder) {
  if (isFolder) return NoteKind::kFolder;
  std::string extension = ExtensionOf(name);
  if (EqualsNoCase(extension, ".txt")) return NoteKind::kText;
  if (EqualsNoCase(extension, ".url")) return NoteKind::kBrowser;
  if (EqualsNoCase(extension, ".calender")) return NoteKind::kCalendar;
  if (IsImageExtension(extension)) return NoteKind::kImage;
  return NoteKind::kNone;
}

bool IsImageExtension(const std::string& extension) {
  for (const char* image : {".bmp", ".jpg", ".jpeg", ".gif", ".png", ".tif", ".tiff", ".emf", ".wmf"}) {
    if (EqualsNoCase(extension, image)) return true;
  }
  return false;
}

NoteKind NoteKindOfEntry(const WIN32_FIND_DATAA& entry) {
  return NoteKindOf(entry.cFileName, (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
}

std::string NotePath(const std::string& noteName) {
  bool quoted = IsQuotedName(noteName);
  std::string name = Unquote(noteName);
  if (!IsSingleName(name)) return std::string();
  std::string folder = quoted ? CommonFolder() : CurrentPageFolder();
  if (folder.empty()) return std::string();
  return PathJoin(folder, name);
}

namespace {

void AppendNotesOf(const std::string& folder, bool quoted, std::vector<std::string>* names) {
  for (const WIN32_FIND_DATAA& entry : ListFolder(folder)) {
    if (NoteKindOfEntry(entry) == NoteKind::kNone) continue;
    names->push_back(quoted ? Quote(entry.cFileName) : std::string(entry.cFileName));
  }
}

}  // namespace

std::vector<std::string> NoteList() {
  std::vector<std::string> page;
  std::vector<std::string> common;
  AppendNotesOf(CurrentPageFolder(), false, &page);
  AppendNotesOf(CommonFolder(), true, &common);
  std::vector<std::string> list = std::move(page);
  if (!list.empty() && !common.empty()) list.emplace_back();
  list.insert(list.end(), common.begin(), common.end());
  return list;
}

std::string UniqueNoteName(const std::string& model) {
  bool quoted = IsQuotedName(model);
  std::string bare = Unquote(model);
  std::string extension = ExtensionOf(bare);
  std::string base = StripTrailingDigits(BaseNameOf(bare));
  for (int n = 1; n < INT_MAX; ++n) {
    std::string name = base + std::to_string(n) + extension;
    std::string plainPath = NotePath(name);
    std::string quotedPath = NotePath(Quote(name));
    // The folder the new note goes to must be able to hold the name; longer
    // numbers only make it longer, so there is no point in going on.
    if ((quoted ? quotedPath : plainPath).empty()) return std::string();
    if (!PathExists(plainPath) && !PathExists(quotedPath)) {
      return quoted ? Quote(name) : name;
    }
  }
  return std::string();
}

std::string UniquePageName(const char* format) {
  std::string root = RootFolder();
  if (format == nullptr) return std::string();
  for (int n = 1; n < INT_MAX; ++n) {
    char name[kMaxPathBytes];
    int length = std::snprintf(name, sizeof(name), format, n);
    if (length <= 0 || static_cast<size_t>(length) >= sizeof(name)) return std::string();
    std::string path = PathJoin(root, name);
    if (path.empty()) return std::string();
    if (!PathExists(path)) return name;
  }
  return std::string();
}

}  // namespace memo
