// Readers of drag-and-drop blocks, checked against their sizes.
#include "store/DataTransfer.h"

#include <cstring>

#include "store/Paths.h"

namespace memo {
namespace {

// The bytes of the item id list at offset, without its terminator, or false
// when a size field runs past the end of the block.
bool ReadIdlAt(const unsigned char* data, size_t size, size_t offset, IdlBytes* out) {
  size_t at = offset;
  for (;;) {
    if (at + 2 > size) return false;
    USHORT cb;
    std::memcpy(&cb, data + at, 2);
    if (cb == 0) break;
    if (cb < 2 || at + cb > size) return false;
    at += cb;
  }
  out->assign(data + offset, data + at);
  return true;
}

}  // namespace

std::vector<IdlBytes> AbsoluteIdlsFromCida(const unsigned char* data, size_t size) {
  std::vector<IdlBytes> lists;
  if (!data || size < sizeof(UINT)) return lists;
  UINT count;
  std::memcpy(&count, data, sizeof(UINT));
  // The count is untrusted: the offset table must lie inside the block.
  if (count > (size / sizeof(UINT)) || sizeof(UINT) * (static_cast<size_t>(count) + 2) > size) {
    return lists;
  }
  auto offsetAt = [&](size_t i) {
    UINT offset;
    std::memcpy(&offset, data + sizeof(UINT) * (i + 1), sizeof(UINT));
    return static_cast<size_t>(offset);
  };
  IdlBytes parent;
  if (!ReadIdlAt(data, size, offsetAt(0), &parent)) return lists;
  // Every item repeats the parent list: a small block whose offsets all
  // point at one long list would otherwise ask for count x size bytes.
  constexpr size_t kMaxTotalBytes = 16 * 1024 * 1024;
  size_t total = 0;
  for (size_t i = 1; i <= count; ++i) {
    IdlBytes item;
    if (!ReadIdlAt(data, size, offsetAt(i), &item)) return {};
    total += parent.size() + item.size();
    if (total > kMaxTotalBytes) return {};
    IdlBytes full = parent;
    full.insert(full.end(), item.begin(), item.end());
    lists.push_back(std::move(full));
  }
  return lists;
}

std::vector<std::string> FilesFromDropFiles(const unsigned char* data, size_t size) {
  std::vector<std::string> files;
  if (!data || size < sizeof(DROPFILES)) return files;
  DROPFILES header;
  std::memcpy(&header, data, sizeof(header));
  if (header.pFiles < sizeof(DROPFILES) || header.pFiles >= size) return files;
  size_t at = header.pFiles;
  if (header.fWide) {
    for (;;) {
      size_t end = at;
      while (end + 1 < size && (data[end] || data[end + 1])) end += 2;
      if (end + 1 >= size || end == at) break;  // unterminated, or the final empty string
      std::wstring wide((end - at) / 2, L'\0');
      std::memcpy(&wide[0], data + at, end - at);
      // A path the code page cannot hold is skipped: a stand-in character
      // (best fit "e" for "é", or "?") would name another file.
      char path[kMaxPathBytes] = {};
      BOOL lossy = FALSE;
      int n = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.c_str(), static_cast<int>(wide.size()),
                                    path, sizeof(path) - 1, nullptr, &lossy);
      if (n > 0 && !lossy) files.emplace_back(path, static_cast<size_t>(n));
      at = end + 2;
    }
  } else {
    for (;;) {
      const void* nul = std::memchr(data + at, 0, size - at);
      if (!nul) break;
      size_t end = static_cast<const unsigned char*>(nul) - data;
      if (end == at) break;
      std::string path(reinterpret_cast<const char*>(data + at), end - at);
      if (FitsMaxPath(path)) files.push_back(std::move(path));
      at = end + 1;
      if (at >= size) break;
    }
  }
  return files;
}

CoTaskMem<ITEMIDLIST> IdlFromBytes(const IdlBytes& bytes) {
  auto* memory = static_cast<unsigned char*>(::CoTaskMemAlloc(bytes.size() + 2));
  if (!memory) return {};
  if (!bytes.empty()) std::memcpy(memory, bytes.data(), bytes.size());
  memory[bytes.size()] = 0;
  memory[bytes.size() + 1] = 0;
  return CoTaskMem<ITEMIDLIST>(reinterpret_cast<ITEMIDLIST*>(memory));
}

CoTaskMem<ITEMIDLIST> IdlFromPath(const std::string& path) {
  ComPtr<IShellFolder> desktop;
  if (FAILED(::SHGetDesktopFolder(desktop.put())) || path.empty()) return {};
  wchar_t wide[kMaxPathBytes] = {};
  if (!::MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, kMaxPathBytes)) return {};
  CoTaskMem<ITEMIDLIST> idl;
  if (FAILED(desktop->ParseDisplayName(nullptr, nullptr, wide, nullptr,
                                       reinterpret_cast<PIDLIST_RELATIVE*>(idl.put()), nullptr))) {
    return {};
  }
  return idl;
}

}  // namespace memo
