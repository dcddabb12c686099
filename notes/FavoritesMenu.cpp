// The favourites menu, built from the Favorites folder.
#include "notes/FavoritesMenu.h"

#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "frame/Messages.h"
#include "store/Paths.h"

namespace memo {
namespace {

struct Found {
  std::string name;
  DWORD attributes = 0;
};

std::vector<Found> ListFolder(const std::string& folder, size_t maxNames) {
  std::vector<Found> found;
  std::string pattern = PathJoin(folder, "*");
  if (folder.empty() || pattern.empty()) return found;
  WIN32_FIND_DATAA data{};
  UniqueFindHandle find(::FindFirstFileA(pattern.c_str(), &data));
  if (!find) return found;
  do {
    if (std::strcmp(data.cFileName, ".") == 0 || std::strcmp(data.cFileName, "..") == 0) continue;
    found.push_back({data.cFileName, data.dwFileAttributes});
  } while (found.size() < maxNames && ::FindNextFileA(find.get(), &data));
  std::sort(found.begin(), found.end(),
            [](const Found& a, const Found& b) { return FavoriteNameLess(a.name, b.name); });
  return found;
}

bool HasUrlExtension(const std::string& name) {
  size_t dot = name.rfind('.');
  return dot != std::string::npos && lstrcmpiA(name.c_str() + dot, ".url") == 0;
}

HICON SmallIconOf(const std::string& path) {
  SHFILEINFOA info{};
  if (!::SHGetFileInfoA(path.c_str(), 0, &info, sizeof(info), SHGFI_ICON | SHGFI_SMALLICON)) return nullptr;
  return info.hIcon;
}

// The shell's icon for Internet shortcuts, taken from an empty one made for
// the purpose in the temporary folder.
HICON ShortcutIcon() {
  char temp[MAX_PATH] = {};
  DWORD n = ::GetTempPathA(MAX_PATH, temp);
  if (n == 0 || n >= MAX_PATH) return nullptr;
  char name[32];
  std::snprintf(name, sizeof(name), "%lu.url", static_cast<unsigned long>(::GetTickCount()));
  std::string path = PathJoin(temp, name);
  if (path.empty()) return nullptr;
  UniqueHandle file(::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return nullptr;  // a file of that name is someone else's
  file.reset();
  HICON icon = SmallIconOf(path);
  ::DeleteFileA(path.c_str());
  return icon;
}

}  // namespace

std::string FavoritesFolder() {
  char path[MAX_PATH] = {};
  if (FAILED(::SHGetFolderPathA(nullptr, CSIDL_FAVORITES, nullptr, SHGFP_TYPE_CURRENT, path))) return {};
  return path;
}

std::string FavoriteDisplayName(const std::string& fileName) {
  size_t slash = fileName.find_last_of("\\/");
  std::string name = slash == std::string::npos ? fileName : fileName.substr(slash + 1);
  size_t dot = name.rfind('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

bool FavoriteNameLess(const std::string& a, const std::string& b) {
  size_t i = 0;
  size_t j = 0;
  while (i < a.size() && j < b.size()) {
    auto ca = static_cast<unsigned char>(a[i]);
    auto cb = static_cast<unsigned char>(b[j]);
    bool leadA = ::IsDBCSLeadByte(ca) && i + 1 < a.size();
    bool leadB = ::IsDBCSLeadByte(cb) && j + 1 < b.size();
    unsigned fa = leadA ? (ca << 8) | static_cast<unsigned char>(a[i + 1])
                        : static_cast<unsigned>(ca >= 'A' && ca <= 'Z' ? ca + ('a' - 'A') : ca);
    unsigned fb = leadB ? (cb << 8) | static_cast<unsigned char>(b[j + 1])
                        : static_cast<unsigned>(cb >= 'A' && cb <= 'Z' ? cb + ('a' - 'A') : cb);
    if (fa != fb) return fa < fb;
    i += leadA ? 2 : 1;
    j += leadB ? 2 : 1;
  }
  return a.size() - i < b.size() - j;
}

void FavoritesMenu::Build(HMENU menu, const std::string& folder, const FavoritesLimits& limits) {
  limits_ = limits;
  if (!shortcutIcon_) shortcutIcon_.reset(ShortcutIcon());
  Fill(menu, folder, 0);
}

void FavoritesMenu::Fill(HMENU menu, const std::string& folder, int depth) {
  std::vector<Found> found = ListFolder(folder, limits_.maxNamesPerFolder);
  for (const Found& f : found) {
    if (!(f.attributes & FILE_ATTRIBUTE_DIRECTORY) || (f.attributes & FILE_ATTRIBUTE_HIDDEN)) continue;
    if (entries_.size() >= limits_.maxEntries) return;
    std::string path = PathJoin(folder, f.name);
    if (path.empty()) continue;
    HMENU sub = ::CreatePopupMenu();
    if (!sub) return;
    auto entry = std::make_unique<Entry>();
    entry->folder = true;
    entry->item.name = FavoriteDisplayName(f.name);
    entry->item.path = path;
    entry->item.icon.reset(SmallIconOf(path));
    if (!::AppendMenuA(menu, MF_OWNERDRAW | MF_POPUP, reinterpret_cast<UINT_PTR>(sub),
                       reinterpret_cast<LPCSTR>(&entry->item))) {
      ::DestroyMenu(sub);
      continue;
    }
    entries_.push_back(std::move(entry));
    // Deeper than this is a loop of links more likely than a folder a user
    // made: the folder shows, empty.
    if (depth < limits_.maxDepth) Fill(sub, path, depth + 1);
  }
  for (const Found& f : found) {
    if ((f.attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN)) || !HasUrlExtension(f.name)) continue;
    if (entries_.size() >= limits_.maxEntries) return;
    std::string path = PathJoin(folder, f.name);
    if (path.empty()) continue;
    auto entry = std::make_unique<Entry>();
    entry->item.name = FavoriteDisplayName(f.name);
    entry->item.path = path;
    HICON icon = shortcutIcon_ ? ::CopyIcon(shortcutIcon_.get()) : SmallIconOf(path);
    entry->item.icon.reset(icon);
    UINT id = static_cast<UINT>(kCmdFirstFavorite + entries_.size());
    if (!::AppendMenuA(menu, MF_OWNERDRAW, id, reinterpret_cast<LPCSTR>(&entry->item))) continue;
    entries_.push_back(std::move(entry));
  }
}

std::string FavoritesMenu::ShortcutOf(UINT id) const {
  if (id < static_cast<UINT>(kCmdFirstFavorite)) return {};
  size_t index = id - static_cast<UINT>(kCmdFirstFavorite);
  if (index >= entries_.size() || entries_[index]->folder) return {};
  return entries_[index]->item.path;
}

}  // namespace memo
