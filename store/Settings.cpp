// Settings files: private-profile reads and writes with the program's value
// encodings.
#include "store/Settings.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "store/Paths.h"
#include "store/Store.h"
#include "store/TextFile.h"
#include "store/WinText.h"

namespace memo {

namespace {

constexpr DWORD kColorBufferBytes = 7;  // six digits and the terminator
constexpr size_t kColorDigits = kColorBufferBytes - 1;
constexpr DWORD kIdlBufferBytes = 2048;
constexpr DWORD kSectionBufferBytes = 1024;
constexpr DWORD kSectionNamesBufferBytes = 1024;
// Growing reads stop here; no settings file of the program comes near it,
// and a read must not eat all memory because of a damaged file.
constexpr DWORD kMaxReadBytes = 1u << 24;

bool CanUse(const std::string& file, const char* section) {
  return !file.empty() && section != nullptr && section[0] != '\0';
}

// Reads through a private-profile function into a buffer that doubles from
// initial bytes while the result looks cut. The profile functions say "cut"
// by returning the buffer size minus one (a value) or minus two (a list of
// strings, which keeps its double terminator); cutSlack says which.
// Returns false when even the largest buffer was too small.
template <typename ReadFn>
bool ReadGrowing(DWORD initial, DWORD cutSlack, ReadFn read, std::string* out) {
  std::vector<char> buffer;
  for (DWORD size = initial; size <= kMaxReadBytes; size *= 2) {
    buffer.assign(size, '\0');
    DWORD length = read(buffer.data(), size);
    if (length < size - cutSlack) {
      out->assign(buffer.data(), length);
      return true;
    }
  }
  out->clear();
  return false;
}

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  // Anything else counts as an upper-case letter: 'A'..'F' give 10..15; other
  // characters give out-of-range digits, so what a damaged value decodes to
  // is judged by the reader's own checks.
  return static_cast<unsigned char>(c) - 55;
}

// Every change reaches a settings file through one rename. The profile
// functions rewrite the whole file in place, so a program killed (or a
// machine losing power) during that rewrite would leave the file cut, and
// with it a mini note's text, which lives nowhere else. The change is made
// on a copy beside the file, which then takes the file's place. A file that
// does not exist yet has nothing to lose and is written directly, as is a
// read-only one (the write then fails as it always did).
unsigned gIniWrites = 0;

template <typename Write>
bool WriteThroughCopy(const std::string& file, Write write) {
  // Counted before and after: a read between the two is stale as well.
  ++gIniWrites;
  struct CountAfter {
    ~CountAfter() { ++gIniWrites; }
  } countAfter;
  DWORD attributes = ::GetFileAttributesA(file.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES ||
      (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY))) {
    return write(file);
  }
  std::string bytes;
  std::string folder = ParentForCreate(file);
  char temp[MAX_PATH] = {};
  if (!ReadWholeFile(file, &bytes) || folder.empty() ||
      !::GetTempFileNameA(folder.c_str(), kSaveTempPrefix, 0, temp)) {
    return write(file);
  }
  bool written = WriteWholeFile(temp, bytes) && write(temp);
  if (written) {
    ::WritePrivateProfileStringA(nullptr, nullptr, nullptr, temp);
    // The copy reaches the disk before it takes the file's place: renamed
    // while still in the cache, it could come back empty after a power loss.
    written = FlushFileToDisk(temp) && RenameOver(temp, file);
  }
  if (!written) {
    ::DeleteFileA(temp);
    return write(file);
  }
  if (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) ::SetFileAttributesA(file.c_str(), attributes);
  return true;
}

bool WriteValue(const std::string& file, const char* section, const char* key, const char* value) {
  return WriteThroughCopy(file, [&](const std::string& target) {
    return ::WritePrivateProfileStringA(section, key, value, target.c_str()) != FALSE;
  });
}

}  // namespace

int IniReadInt(const std::string& file, const char* section, const char* key, int def) {
  if (!CanUse(file, section) || key == nullptr) return def;
  return static_cast<int>(::GetPrivateProfileIntA(section, key, def, file.c_str()));
}

bool IniWriteInt(const std::string& file, const char* section, const char* key, int value) {
  if (!CanUse(file, section) || key == nullptr) return false;
  char text[16];
  std::snprintf(text, sizeof(text), "%d", value);
  return WriteValue(file, section, key, text);
}

std::string IniReadString(const std::string& file, const char* section, const char* key,
                          const char* def, size_t bufferSize) {
  std::string fallback = def ? def : "";
  if (!CanUse(file, section) || bufferSize == 0) return fallback;
  std::vector<char> buffer(bufferSize, '\0');
  DWORD length = ::GetPrivateProfileStringA(section, key, fallback.c_str(), buffer.data(),
                                            static_cast<DWORD>(bufferSize), file.c_str());
  return std::string(buffer.data(), length);
}

bool IniWriteString(const std::string& file, const char* section, const char* key,
                    const char* value) {
  if (!CanUse(file, section)) return false;
  return WriteValue(file, section, key, value);
}

std::string IniReadLongString(const std::string& file, const char* section, const char* key,
                              size_t initialSize) {
  std::string value;
  if (!CanUse(file, section) || key == nullptr || initialSize < 2) return value;
  auto read = [&](char* buffer, DWORD size) {
    return ::GetPrivateProfileStringA(section, key, "", buffer, size, file.c_str());
  };
  ReadGrowing(static_cast<DWORD>(initialSize), 1, read, &value);
  return value;
}

unsigned IniWriteCount() { return gIniWrites; }

void IniFlush(const std::string& file) {
  ++gIniWrites;
  if (!file.empty()) ::WritePrivateProfileStringA(nullptr, nullptr, nullptr, file.c_str());
}

COLORREF IniReadColor(const std::string& file, const char* section, const char* key,
                      COLORREF def) {
  if (!CanUse(file, section) || key == nullptr) return def;
  char text[kColorBufferBytes] = {};
  ::GetPrivateProfileStringA(section, key, "", text, sizeof(text), file.c_str());
  COLORREF value = def;
  return ParseColorText(text, &value) ? value : def;
}

bool IniWriteColor(const std::string& file, const char* section, const char* key,
                   COLORREF value) {
  char text[16];
  std::snprintf(text, sizeof(text), "%06X", static_cast<unsigned>(value));
  return key != nullptr && IniWriteString(file, section, key, text);
}

bool IniWriteIdl(const std::string& file, const char* section, const char* key,
                 PCIDLIST_ABSOLUTE idl) {
  if (!CanUse(file, section) || key == nullptr) return false;
  bool written;
  if (idl == nullptr) {
    written = WriteValue(file, section, key, nullptr);
  } else {
    std::string text = HexEncode(reinterpret_cast<const unsigned char*>(idl), IdlSize(idl));
    written = WriteValue(file, section, key, text.c_str());
  }
  IniFlush(file);
  return written;
}

CoTaskMem<ITEMIDLIST> IniReadIdl(const std::string& file, const char* section, const char* key) {
  // Long lists (deep folders) do not fit the usual 2048 bytes; a cut value
  // could still walk cleanly and name the wrong item, so it is read whole.
  std::string text = IniReadLongString(file, section, key, kIdlBufferBytes);
  if (text.empty()) return CoTaskMem<ITEMIDLIST>();
  std::vector<unsigned char> bytes = HexDecode(text);
  // The list is handed to the shell, which trusts every size field: a list
  // whose items do not add up exactly is refused rather than passed on.
  size_t size = 0;
  if (!CheckIdlBytes(bytes, &size)) return CoTaskMem<ITEMIDLIST>();
  auto* memory = static_cast<unsigned char*>(::CoTaskMemAlloc(size + 2));
  if (memory == nullptr) return CoTaskMem<ITEMIDLIST>();
  if (size > 0) std::memcpy(memory, bytes.data(), size);
  memory[size] = 0;
  memory[size + 1] = 0;
  return CoTaskMem<ITEMIDLIST>(reinterpret_cast<ITEMIDLIST*>(memory));
}

std::string IniReadSection(const std::string& file, const char* section) {
  std::string lines;
  if (!CanUse(file, section)) return lines;
  auto read = [&](char* buffer, DWORD size) {
    return ::GetPrivateProfileSectionA(section, buffer, size, file.c_str());
  };
  ReadGrowing(kSectionBufferBytes, 2, read, &lines);
  return lines;
}

bool IniWriteSection(const std::string& file, const char* section, const std::string& lines) {
  if (!CanUse(file, section)) return false;
  // The system reads NUL-ended lines up to an empty one; add that end even
  // when the caller's string does not carry it.
  std::string block = lines;
  if (!block.empty() && block.back() != '\0') block.push_back('\0');
  block.push_back('\0');
  return WriteThroughCopy(file, [&](const std::string& target) {
    return ::WritePrivateProfileSectionA(section, block.c_str(), target.c_str()) != FALSE;
  });
}

IniSectionValues::IniSectionValues(const std::string& file, const char* section) {
  std::string lines = IniReadSection(file, section);
  for (size_t start = 0; start < lines.size();) {
    size_t end = lines.find('\0', start);
    if (end == std::string::npos) end = lines.size();
    std::string line = lines.substr(start, end - start);
    size_t equals = line.find('=');
    if (equals != std::string::npos) {
      values_.emplace_back(line.substr(0, equals), ProfileValueOfLine(line.substr(equals + 1)));
    }
    start = end + 1;
  }
}

bool IniSectionValues::Has(const char* key) const {
  const std::string* value = Find(key);
  return value != nullptr && !value->empty();
}

const std::string* IniSectionValues::Find(const char* key) const {
  if (key == nullptr) return nullptr;
  // The first line of a key counts, as for a single read.
  for (const auto& value : values_) {
    if (EqualsNoCase(value.first, key)) return &value.second;
  }
  return nullptr;
}

int IniSectionValues::Int(const char* key, int def) const {
  const std::string* value = Find(key);
  if (value == nullptr || value->empty()) return def;
  // A single read takes at most 29 characters.
  return ParseProfileInt(value->substr(0, 29));
}

COLORREF IniSectionValues::Color(const char* key, COLORREF def) const {
  const std::string* value = Find(key);
  COLORREF color = def;
  return value != nullptr && ParseColorText(*value, &color) ? color : def;
}

void IniIntBaseline::Remember(const IniSectionValues& values, const char* key) {
  if (key == nullptr || !values.Has(key)) return;
  Set(key, values.Int(key, 0));
}

void IniIntBaseline::Set(const char* key, int value) {
  if (key == nullptr) return;
  for (auto& loaded : loaded_) {
    if (EqualsNoCase(loaded.first, key)) {
      loaded.second = value;
      return;
    }
  }
  loaded_.emplace_back(key, value);
}

bool IniIntBaseline::Write(const std::string& file, const char* section, const char* key, int value) {
  if (key == nullptr) return false;
  for (auto& loaded : loaded_) {
    if (!EqualsNoCase(loaded.first, key)) continue;
    if (loaded.second == value) return true;
    if (!IniWriteInt(file, section, key, value)) return false;
    loaded.second = value;
    return true;
  }
  if (!IniWriteInt(file, section, key, value)) return false;
  loaded_.emplace_back(key, value);
  return true;
}

bool IniIntBaseline::Write(const std::string& file, const char* section,
                           const std::vector<std::pair<const char*, int>>& values) {
  if (!CanUse(file, section)) return false;
  IniBatch batch(file);
  std::vector<std::pair<const char*, int>> changed;
  for (const auto& value : values) {
    if (value.first == nullptr) return false;
    bool same = false;
    for (const auto& loaded : loaded_) {
      if (EqualsNoCase(loaded.first, value.first)) same = loaded.second == value.second;
    }
    if (same) continue;
    batch.SetInt(section, value.first, value.second);
    changed.push_back(value);
  }
  if (!batch.Commit()) return false;
  for (const auto& value : changed) Set(value.first, value.second);
  return true;
}

void IniBatch::SetInt(const char* section, const char* key, int value) {
  char text[16];
  std::snprintf(text, sizeof(text), "%d", value);
  SetString(section, key, text);
}

void IniBatch::SetString(const char* section, const char* key, const char* value) {
  if (section == nullptr || key == nullptr) return;
  changes_.push_back(Change{section, key, value ? value : "", value == nullptr});
}

bool IniBatch::Commit() {
  if (changes_.empty()) return true;
  if (file_.empty()) return false;
  for (const Change& change : changes_) {
    if (change.section.empty()) return false;
  }
  bool written = WriteThroughCopy(file_, [&](const std::string& target) {
    bool all = true;
    for (const Change& change : changes_) {
      all = ::WritePrivateProfileStringA(change.section.c_str(), change.key.c_str(),
                                         change.erase ? nullptr : change.value.c_str(), target.c_str()) &&
            all;
    }
    return all;
  });
  IniFlush(file_);
  if (written) changes_.clear();
  return written;
}

std::string ProfileValueOfLine(const std::string& value) {
  size_t first = value.find_first_not_of(" \t");
  if (first == std::string::npos) return std::string();
  size_t last = value.find_last_not_of(" \t");
  std::string trimmed = value.substr(first, last - first + 1);
  if (trimmed.size() >= 2 && (trimmed.front() == '"' || trimmed.front() == '\'') &&
      trimmed.back() == trimmed.front()) {
    return trimmed.substr(1, trimmed.size() - 2);
  }
  return trimmed;
}

int ParseProfileInt(const std::string& text) {
  size_t at = 0;
  while (at < text.size() && static_cast<unsigned char>(text[at]) <= ' ') ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
  // Hand-edited and older files hold values such as "Style=0x22"; the system
  // reads the prefixes "0x", "0o" and "0b" (lower case only) as a base.
  unsigned base = 10;
  if (at + 1 < text.size() && text[at] == '0') {
    char prefix = text[at + 1];
    base = prefix == 'x' ? 16 : prefix == 'o' ? 8 : prefix == 'b' ? 2 : 10;
    if (base != 10) at += 2;
  }
  DWORD value = 0;  // wraps at 32 bits like the system's conversion
  for (; at < text.size(); ++at) {
    char c = text[at];
    unsigned digit = c >= '0' && c <= '9'   ? static_cast<unsigned>(c - '0')
                     : c >= 'a' && c <= 'z' ? static_cast<unsigned>(c - 'a' + 10)
                     : c >= 'A' && c <= 'Z' ? static_cast<unsigned>(c - 'A' + 10)
                                            : base;
    if (digit >= base) break;
    value = value * base + digit;
  }
  return static_cast<int>(negative ? 0u - value : value);
}

std::vector<std::string> IniSectionNames(const std::string& file) {
  std::vector<std::string> names;
  if (file.empty()) return names;
  // Grows past 1024 bytes: a cut list would hide sections, and a new mini
  // note could then be given the section of an existing one.
  std::string block;
  auto read = [&](char* buffer, DWORD size) {
    return ::GetPrivateProfileSectionNamesA(buffer, size, file.c_str());
  };
  ReadGrowing(kSectionNamesBufferBytes, 2, read, &block);
  for (size_t start = 0; start < block.size();) {
    size_t end = block.find('\0', start);
    if (end == std::string::npos) end = block.size();
    if (end > start) names.push_back(block.substr(start, end - start));
    start = end + 1;
  }
  return names;
}

namespace {

// Section names match without regard to case in the profile functions, so
// "mini2" in the file already takes "Mini2". Only ASCII letters are folded:
// a name with a double-byte character can never equal one of ours.
std::string FoldSectionName(std::string name) {
  for (char& c : name) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return name;
}

}  // namespace

MiniSectionNamer::MiniSectionNamer(const std::string& file, const char* format,
                                   const std::vector<std::string>& taken)
    : format_(format) {
  for (const std::string& section : IniSectionNames(file)) used_.insert(FoldSectionName(section));
  for (const std::string& title : taken) used_.insert(FoldSectionName(title));
}

std::string MiniSectionNamer::Next() {
  if (format_ == nullptr) return std::string();
  // Each number is tried once over the namer's life: the loop as a whole
  // passes at most the used names plus the names handed out.
  for (; next_ < INT_MAX; ++next_) {
    char name[kMaxPathBytes];
    int length = std::snprintf(name, sizeof(name), format_, next_);
    if (length <= 0 || static_cast<size_t>(length) >= sizeof(name)) return std::string();
    if (used_.insert(FoldSectionName(name)).second) {
      ++next_;
      return name;
    }
  }
  return std::string();
}

std::string UniqueMiniSection(const std::string& file, const char* format,
                              const std::vector<std::string>& taken) {
  return MiniSectionNamer(file, format, taken).Next();
}

std::string HexEncode(const unsigned char* bytes, size_t count) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string text;
  text.reserve(count * 2 + 1);
  for (size_t i = 0; i < count; ++i) {
    text.push_back(kDigits[bytes[i] >> 4]);
    text.push_back(kDigits[bytes[i] & 0x0F]);
  }
  text.push_back('.');
  return text;
}

std::vector<unsigned char> HexDecode(const std::string& text) {
  std::vector<unsigned char> bytes;
  bytes.reserve(text.size() / 2);
  for (size_t i = 0; i + 1 < text.size() && text[i] != '.'; i += 2) {
    int value = HexDigitValue(text[i]) * 16 + HexDigitValue(text[i + 1]);
    bytes.push_back(static_cast<unsigned char>(value));
  }
  return bytes;
}

bool ParseColorText(const std::string& text, COLORREF* value) {
  std::string digits = text.substr(0, kColorDigits);
  if (digits.empty()) return false;
  // strtol: blanks and a sign are accepted, and conversion stops quietly at
  // the first non-digit. A negative value is no colour (as a COLORREF its
  // high byte would ask for a palette entry): the caller keeps its default.
  long parsed = std::strtol(digits.c_str(), nullptr, 16);
  if (parsed < 0) return false;
  *value = static_cast<COLORREF>(parsed);
  return true;
}

bool CheckIdlBytes(const std::vector<unsigned char>& bytes, size_t* listSize) {
  size_t offset = 0;
  while (offset < bytes.size()) {
    if (bytes.size() - offset < sizeof(USHORT)) return false;
    size_t itemSize = bytes[offset] | (static_cast<size_t>(bytes[offset + 1]) << 8);
    // A size below two cannot even hold itself; zero would end the list
    // early and leave the rest of the bytes unaccounted for.
    if (itemSize < sizeof(USHORT) || itemSize > bytes.size() - offset) return false;
    offset += itemSize;
  }
  if (listSize) *listSize = bytes.size();
  return true;
}

size_t IdlSize(PCUIDLIST_RELATIVE idl) {
  if (idl == nullptr) return 0;
  const auto* bytes = reinterpret_cast<const unsigned char*>(idl);
  size_t size = 0;
  for (;;) {
    USHORT itemSize;
    std::memcpy(&itemSize, bytes + size, sizeof(itemSize));
    if (itemSize == 0) return size;
    size += itemSize;
  }
}

std::string ReadMiniText(const std::string& file, const std::string& section) {
  std::vector<unsigned char> bytes = HexDecode(IniReadLongString(file, section.c_str(), kKeyText));
  std::string text(bytes.begin(), bytes.end());
  size_t zero = text.find('\0');
  if (zero != std::string::npos) text.resize(zero);
  return text;
}

}  // namespace memo
