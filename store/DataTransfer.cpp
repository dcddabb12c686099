// Readers of drag-and-drop blocks, checked against their sizes, and the
// blocks the program offers itself.
#include "store/DataTransfer.h"

#include <cstddef>
#include <cstring>

#include "store/Paths.h"

namespace memo {
namespace {

// The bytes of the item id list at offset, without its terminator, or false
// when a size field runs past the end of the block.
bool ReadIdlAt(const unsigned char* data, size_t size, size_t offset, IdlBytes* out) {
  size_t at = offset;
  for (;;) {
    // Subtracted, not added: an offset near the top of size_t (a 32-bit
    // build reads any UINT as one) would wrap the sum past the check.
    if (at > size || size - at < 2) return false;
    USHORT cb;
    std::memcpy(&cb, data + at, 2);
    if (cb == 0) break;
    if (cb < 2 || cb > size - at) return false;
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
  constexpr size_t kMaxTotalBytes = size_t{16} * 1024 * 1024;
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

bool FirstNameFromFileGroup(const unsigned char* data, size_t size, std::string* name) {
  constexpr size_t kHeader = offsetof(FILEGROUPDESCRIPTORA, fgd);
  constexpr size_t kDescriptor = sizeof(FILEDESCRIPTORA);
  if (!data || size < kHeader + kDescriptor) return false;
  UINT count;
  std::memcpy(&count, data, sizeof(count));
  if (count == 0 || count > (size - kHeader) / kDescriptor) return false;
  const unsigned char* field = data + kHeader + offsetof(FILEDESCRIPTORA, cFileName);
  const void* nul = std::memchr(field, 0, sizeof(FILEDESCRIPTORA::cFileName));
  if (!nul) return false;
  name->assign(reinterpret_cast<const char*>(field), static_cast<const unsigned char*>(nul) - field);
  return true;
}

bool UrlFromBytes(const unsigned char* data, size_t size, std::string* url) {
  if (!data) return false;
  const void* nul = std::memchr(data, 0, size);
  if (!nul) return false;
  size_t length = static_cast<const unsigned char*>(nul) - data;
  for (size_t i = 0; i < length; ++i) {
    if (data[i] < 0x20 || data[i] == 0x7F) return false;
  }
  url->assign(reinterpret_cast<const char*>(data), length);
  return true;
}

std::string PlainFileName(const std::string& proposed) {
  // The last part only: whatever folders the source names are not ours.
  size_t start = 0;
  for (size_t i = 0; i < proposed.size(); i += IsLeadByteAt(proposed, i) ? 2 : 1) {
    if (proposed[i] == '\\' || proposed[i] == '/') start = i + 1;
  }
  std::string last = proposed.substr(start);
  // "C:x.url" is x.url in drive C's current folder.
  if (last.size() >= 2 && last[1] == ':' && ((last[0] | 0x20) >= 'a' && (last[0] | 0x20) <= 'z')) last.erase(0, 2);
  std::string name;
  for (size_t i = 0; i < last.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(last[i]);
    if (IsLeadByteAt(last, i)) {
      name.append(last, i, 2);
      ++i;
    } else if (::IsDBCSLeadByte(c)) {
      break;  // half a character at the end
    } else if (c < 0x20 || c == 0x7F || std::strchr("\\/:*?\"<>|", c)) {
      name += '_';
    } else {
      name += static_cast<char>(c);
    }
  }
  // Windows drops trailing dots and spaces itself: ".." would be nothing,
  // and "x.url. " another name than the one checked.
  while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.pop_back();
  size_t first = name.find_first_not_of(' ');
  name.erase(0, first == std::string::npos ? name.size() : first);
  if (name.empty()) return name;
  return IsDeviceName(name) ? "_" + name : name;
}

std::vector<unsigned char> CidaForOneItem(const IdlBytes& parent, const IdlBytes& item) {
  // count, two offsets, each list with its two-byte terminator.
  constexpr size_t kHeader = 3 * sizeof(UINT);
  std::vector<unsigned char> block(kHeader + parent.size() + 2 + item.size() + 2, 0);
  const UINT count = 1;
  const UINT parentAt = static_cast<UINT>(kHeader);
  const UINT itemAt = static_cast<UINT>(kHeader + parent.size() + 2);
  std::memcpy(&block[0], &count, sizeof(UINT));
  std::memcpy(&block[4], &parentAt, sizeof(UINT));
  std::memcpy(&block[8], &itemAt, sizeof(UINT));
  if (!parent.empty()) std::memcpy(&block[parentAt], parent.data(), parent.size());
  if (!item.empty()) std::memcpy(&block[itemAt], item.data(), item.size());
  return block;
}

std::vector<unsigned char> DropFilesFor(const std::vector<std::string>& paths) {
  std::vector<unsigned char> block(sizeof(DROPFILES), 0);
  DROPFILES header{};
  header.pFiles = sizeof(DROPFILES);
  std::memcpy(block.data(), &header, sizeof(header));
  for (const std::string& path : paths) {
    block.insert(block.end(), path.begin(), path.end());
    block.push_back(0);
  }
  block.push_back(0);
  if (paths.empty()) block.push_back(0);  // an empty list is still two zeros
  return block;
}

bool SplitLastItem(PCIDLIST_ABSOLUTE idl, IdlBytes* parent, IdlBytes* last) {
  if (!idl) return false;
  const auto* bytes = reinterpret_cast<const unsigned char*>(idl);
  size_t at = 0, lastAt = 0;
  for (;;) {
    USHORT cb;
    std::memcpy(&cb, bytes + at, 2);
    if (cb == 0) break;
    if (cb < 2) return false;
    lastAt = at;
    at += cb;
  }
  parent->assign(bytes, bytes + lastAt);
  last->assign(bytes + lastAt, bytes + at);
  return true;
}

GlobalMem GlobalFromBytes(const std::vector<unsigned char>& bytes) {
  GlobalMem memory(::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes.empty() ? 1 : bytes.size()));
  if (!memory) return memory;
  void* p = ::GlobalLock(memory.get());
  if (!p) return GlobalMem();
  if (!bytes.empty()) std::memcpy(p, bytes.data(), bytes.size());
  ::GlobalUnlock(memory.get());
  return memory;
}

CLIPFORMAT ShellIdListClipFormat() {
  static const CLIPFORMAT format = static_cast<CLIPFORMAT>(::RegisterClipboardFormatA("Shell IDList Array"));
  return format;
}

CLIPFORMAT UrlClipFormat() {
  static const CLIPFORMAT format = static_cast<CLIPFORMAT>(::RegisterClipboardFormatA("UniformResourceLocator"));
  return format;
}

CLIPFORMAT FileGroupClipFormat() {
  static const CLIPFORMAT format = static_cast<CLIPFORMAT>(::RegisterClipboardFormatA("FileGroupDescriptor"));
  return format;
}

bool OffersHGlobal(IDataObject* data, CLIPFORMAT format) {
  FORMATETC fe{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  return data && data->QueryGetData(&fe) == S_OK;
}

namespace {

std::vector<unsigned char> GlobalBytes(HGLOBAL global) {
  std::vector<unsigned char> bytes;
  SIZE_T size = ::GlobalSize(global);
  if (size == 0) return bytes;
  if (const void* p = ::GlobalLock(global)) {
    bytes.assign(static_cast<const unsigned char*>(p), static_cast<const unsigned char*>(p) + size);
    ::GlobalUnlock(global);
  }
  return bytes;
}

}  // namespace

bool GetHGlobalBytes(IDataObject* data, CLIPFORMAT format, std::vector<unsigned char>* bytes) {
  if (!data) return false;
  FORMATETC fe{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  STGMEDIUM medium{};
  if (FAILED(data->GetData(&fe, &medium))) return false;
  bool ok = medium.tymed == TYMED_HGLOBAL && medium.hGlobal;
  if (ok) *bytes = GlobalBytes(medium.hGlobal);
  ::ReleaseStgMedium(&medium);
  return ok;
}

std::vector<std::string> FilesFromHDrop(HDROP drop) {
  if (!drop) return {};
  std::vector<unsigned char> bytes = GlobalBytes(reinterpret_cast<HGLOBAL>(drop));
  return FilesFromDropFiles(bytes.data(), bytes.size());
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
