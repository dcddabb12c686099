// Readers of the shell's drag-and-drop blocks. The blocks come
// from other programs, so most cases here are malformed: every one must give
// nothing (or only the well-formed part) and never read past the block.
#include "store/DataTransfer.h"
#include "store/Paths.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace memo {
namespace {

using Bytes = std::vector<unsigned char>;

void PutU16(Bytes* b, uint16_t v) {
  b->push_back(static_cast<unsigned char>(v & 0xFF));
  b->push_back(static_cast<unsigned char>(v >> 8));
}

void PutU32(Bytes* b, uint32_t v) {
  for (int i = 0; i < 4; ++i) b->push_back(static_cast<unsigned char>(v >> (8 * i)));
}

void SetU32(Bytes* b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) (*b)[at + i] = static_cast<unsigned char>(v >> (8 * i));
}

// One item of an item id list: its size field and payload.
Bytes Item(std::initializer_list<unsigned char> payload) {
  Bytes b;
  PutU16(&b, static_cast<uint16_t>(payload.size() + 2));
  b.insert(b.end(), payload.begin(), payload.end());
  return b;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes b;
  for (const Bytes& p : parts) b.insert(b.end(), p.begin(), p.end());
  return b;
}

// A CIDA: count, count + 1 offsets, then each list followed by its
// terminator. Lists are given without terminators.
Bytes Cida(const Bytes& parent, const std::vector<Bytes>& items) {
  Bytes b;
  PutU32(&b, static_cast<uint32_t>(items.size()));
  size_t table = b.size();
  for (size_t i = 0; i <= items.size(); ++i) PutU32(&b, 0);
  SetU32(&b, table, static_cast<uint32_t>(b.size()));
  b.insert(b.end(), parent.begin(), parent.end());
  PutU16(&b, 0);
  for (size_t i = 0; i < items.size(); ++i) {
    SetU32(&b, table + 4 * (i + 1), static_cast<uint32_t>(b.size()));
    b.insert(b.end(), items[i].begin(), items[i].end());
    PutU16(&b, 0);
  }
  return b;
}

std::vector<IdlBytes> Read(const Bytes& b) { return AbsoluteIdlsFromCida(b.data(), b.size()); }

const Bytes kParent = Concat({Item({1, 2, 3}), Item({4})});
const Bytes kItemA = Item({0xAA, 0xBB});
const Bytes kItemB = Concat({Item({0xCC}), Item({0xDD, 0xEE})});

TEST(CidaTest, EachItemFollowsItsParentList) {
  std::vector<IdlBytes> lists = Read(Cida(kParent, {kItemA, kItemB}));
  ASSERT_EQ(lists.size(), 2u);
  EXPECT_EQ(lists[0], Concat({kParent, kItemA}));
  EXPECT_EQ(lists[1], Concat({kParent, kItemB}));
}

TEST(CidaTest, AnEmptyParentIsTheDesktop) {
  std::vector<IdlBytes> lists = Read(Cida({}, {kItemA}));
  ASSERT_EQ(lists.size(), 1u);
  EXPECT_EQ(lists[0], kItemA);
}

TEST(CidaTest, NoItemsGiveNothing) {
  EXPECT_TRUE(Read(Cida(kParent, {})).empty());
  EXPECT_TRUE(AbsoluteIdlsFromCida(nullptr, 100).empty());
  Bytes empty;
  EXPECT_TRUE(AbsoluteIdlsFromCida(empty.data(), 0).empty());
}

TEST(CidaTest, EveryTruncationOfAGoodBlockIsRejected) {
  Bytes good = Cida(kParent, {kItemA, kItemB});
  // Cutting the block anywhere loses the last terminator at least.
  for (size_t size = 0; size < good.size(); ++size) {
    Bytes cut(good.begin(), good.begin() + size);
    EXPECT_TRUE(Read(cut).empty()) << "size " << size;
  }
}

TEST(CidaTest, CountsThatTheOffsetTableCannotHoldAreRejected) {
  Bytes good = Cida(kParent, {kItemA});
  for (uint32_t count : {2u, 3u, 1000u, 0x3FFFFFFFu, 0x40000000u, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
    Bytes b = good;
    SetU32(&b, 0, count);
    EXPECT_TRUE(Read(b).empty()) << count;
  }
}

TEST(CidaTest, OffsetsOutsideTheBlockAreRejected) {
  Bytes good = Cida(kParent, {kItemA});
  const uint32_t size = static_cast<uint32_t>(good.size());
  for (size_t slot : {1u, 2u}) {  // the parent's offset, the item's offset
    for (uint32_t offset : {size, size - 1, size + 1, 0x7FFFFFFFu, 0xFFFFFFFEu, 0xFFFFFFFFu}) {
      Bytes b = good;
      SetU32(&b, 4 * slot, offset);
      // The block follows an empty list: in a 32-bit build 0xFFFFFFFE is
      // two bytes before the block, and a check that wraps reads it there.
      Bytes after = Concat({Bytes{0, 0}, b});
      EXPECT_TRUE(AbsoluteIdlsFromCida(after.data() + 2, b.size()).empty()) << "slot " << slot << " offset " << offset;
    }
  }
}

TEST(CidaTest, SizeFieldsThatRunPastTheEndOrCannotAdvanceAreRejected) {
  // The item's size field is the first two bytes of the item list.
  Bytes good = Cida(kParent, {kItemA});
  uint32_t itemOffset;
  std::memcpy(&itemOffset, good.data() + 8, 4);
  for (size_t cb : {size_t{1}, size_t{0xFFFF}, size_t{0x8000}, good.size() - itemOffset + 1}) {
    Bytes b = good;
    b[itemOffset] = static_cast<unsigned char>(cb & 0xFF);
    b[itemOffset + 1] = static_cast<unsigned char>(cb >> 8);
    EXPECT_TRUE(Read(b).empty()) << "cb " << cb;
  }
  // A list that reaches the end of the block without its terminator.
  Bytes noEnd = good;
  noEnd.resize(noEnd.size() - 2);
  EXPECT_TRUE(Read(noEnd).empty());
}

TEST(CidaTest, OneBadItemSpoilsTheWholeBlock) {
  Bytes b = Cida(kParent, {kItemA, kItemB});
  SetU32(&b, 12, static_cast<uint32_t>(b.size() + 40));  // the second item's offset
  EXPECT_TRUE(Read(b).empty());
}

TEST(CidaTest, OffsetsMaySharePartsOfTheBlock) {
  // Two offsets to the same item list, and one into the header: still
  // bounded by the block.
  Bytes b = Cida(kParent, {kItemA, kItemB});
  uint32_t first;
  std::memcpy(&first, b.data() + 8, 4);
  SetU32(&b, 12, first);
  std::vector<IdlBytes> lists = Read(b);
  ASSERT_EQ(lists.size(), 2u);
  EXPECT_EQ(lists[0], lists[1]);
}

TEST(CidaTest, ItemsThatAllRepeatOneLongParentAreCapped) {
  // 8 KiB of parent list and 30,000 items pointing at one tiny list: read
  // literally that would be about 240 MiB of copies from a 128 KiB block.
  Bytes parent;
  for (int i = 0; i < 80; ++i) {
    Bytes item(100, 0x41);
    item[0] = 100;
    item[1] = 0;
    parent.insert(parent.end(), item.begin(), item.end());
  }
  const uint32_t count = 30000;
  Bytes b;
  PutU32(&b, count);
  size_t table = b.size();
  for (uint32_t i = 0; i <= count; ++i) PutU32(&b, 0);
  SetU32(&b, table, static_cast<uint32_t>(b.size()));
  b.insert(b.end(), parent.begin(), parent.end());
  PutU16(&b, 0);
  uint32_t itemAt = static_cast<uint32_t>(b.size());
  Bytes one = Item({7});
  b.insert(b.end(), one.begin(), one.end());
  PutU16(&b, 0);
  for (uint32_t i = 1; i <= count; ++i) SetU32(&b, table + 4 * i, itemAt);
  EXPECT_TRUE(Read(b).empty());

  // A sensible number of the same items is read.
  Bytes few = Cida(parent, {one, one, one});
  EXPECT_EQ(Read(few).size(), 3u);
}

// DROPFILES: header of 20 bytes (offset of the list, point, non-client flag,
// wide flag), then the zero-terminated paths and one more zero.
Bytes DropFiles(const std::string& list, bool wide = false, uint32_t offset = sizeof(DROPFILES)) {
  Bytes b(sizeof(DROPFILES), 0);
  SetU32(&b, 0, offset);
  SetU32(&b, 16, wide ? 1 : 0);
  b.insert(b.end(), list.begin(), list.end());
  return b;
}

std::string Wide(const std::wstring& w) {
  return std::string(reinterpret_cast<const char*>(w.data()), w.size() * sizeof(wchar_t));
}

std::vector<std::string> Files(const Bytes& b) { return FilesFromDropFiles(b.data(), b.size()); }

TEST(DropFilesTest, AnsiPathsInOrder) {
  std::string list = std::string("C:\\a.txt") + '\0' + "C:\\表\\b.txt" + '\0' + '\0';
  EXPECT_EQ(Files(DropFiles(list)), (std::vector<std::string>{"C:\\a.txt", "C:\\表\\b.txt"}));
}

TEST(DropFilesTest, WidePathsAreConvertedToTheCodePage) {
  std::wstring list = std::wstring(L"C:\\a.txt") + L'\0' + L"C:\\\x65E5\x672C\\b.txt" + L'\0' + L'\0';
  EXPECT_EQ(Files(DropFiles(Wide(list), true)), (std::vector<std::string>{"C:\\a.txt", "C:\\日本\\b.txt"}));
}

TEST(DropFilesTest, HeadersThatPointOutsideTheBlockGiveNothing) {
  std::string list = std::string("C:\\a.txt") + '\0' + '\0';
  for (uint32_t offset : {0u, 19u, 29u, 30u, 31u, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
    Bytes b = DropFiles(list, false, offset);
    std::vector<std::string> files = Files(b);
    // 20 + 10 = 30 bytes: only offsets inside the block may give a path, and
    // none may give one from the header.
    if (offset < sizeof(DROPFILES) || offset >= b.size()) {
      EXPECT_TRUE(files.empty()) << offset;
    }
  }
  Bytes shortHeader(sizeof(DROPFILES) - 1, 0);
  EXPECT_TRUE(Files(shortHeader).empty());
  EXPECT_TRUE(FilesFromDropFiles(nullptr, 40).empty());
}

TEST(DropFilesTest, AnUnterminatedLastPathIsDropped) {
  std::string list = std::string("C:\\a.txt") + '\0' + "C:\\b";
  EXPECT_EQ(Files(DropFiles(list)), (std::vector<std::string>{"C:\\a.txt"}));
  std::wstring wide = std::wstring(L"C:\\a.txt") + L'\0' + L"C:\\b";
  EXPECT_EQ(Files(DropFiles(Wide(wide), true)), (std::vector<std::string>{"C:\\a.txt"}));
  // An odd byte at the end of a wide list.
  EXPECT_EQ(Files(DropFiles(Wide(wide) + "x", true)), (std::vector<std::string>{"C:\\a.txt"}));
  EXPECT_TRUE(Files(DropFiles("C:\\no-end")).empty());
}

TEST(DropFilesTest, AnEmptyListGivesNothing) {
  EXPECT_TRUE(Files(DropFiles(std::string(1, '\0'))).empty());
  EXPECT_TRUE(Files(DropFiles(std::string(2, '\0'), true)).empty());
}

TEST(DropFilesTest, PathsThatDoNotFitAreSkippedAndTheRestKept) {
  const std::string fits = "C:\\" + std::string(256, 'f');   // 259 bytes
  const std::string tooLong = "C:\\" + std::string(257, 'l');  // 260 bytes
  std::string list = tooLong + '\0' + fits + '\0' + std::string(5000, 'x') + '\0' + "C:\\z" + '\0' + '\0';
  EXPECT_EQ(Files(DropFiles(list)), (std::vector<std::string>{fits, "C:\\z"}));

  std::wstring wfits = L"C:\\" + std::wstring(256, L'f');
  std::wstring wlong = L"C:\\" + std::wstring(257, L'l');
  // Each of these characters takes two bytes in the code page.
  std::wstring wdouble = L"C:\\" + std::wstring(129, L'\x65E5');  // 3 + 258 bytes
  std::wstring wlist = wlong + L'\0' + wfits + L'\0' + wdouble + L'\0' + L"C:\\z" + L'\0' + L'\0';
  EXPECT_EQ(Files(DropFiles(Wide(wlist), true)), (std::vector<std::string>{fits, "C:\\z"}));
}

TEST(DropFilesTest, WidePathsTheCodePageCannotHoldAreSkipped) {
  // "é" and "€" have no CP932 form: a stand-in character would name
  // another file ("cafe.txt", "caf?.txt").
  std::wstring wlist = std::wstring(L"C:\\caf\x00E9.txt") + L'\0' + L"C:\\\x20AC.txt" + L'\0' + L"C:\\ok.txt" +
                       L'\0' + L'\0';
  EXPECT_EQ(Files(DropFiles(Wide(wlist), true)), (std::vector<std::string>{"C:\\ok.txt"}));
}

// FILEGROUPDESCRIPTORA: a count, then descriptors of 332 bytes whose file
// name lies 72 bytes in.
Bytes FileGroup(uint32_t count, const std::vector<std::string>& names) {
  Bytes b;
  PutU32(&b, count);
  for (const std::string& name : names) {
    Bytes descriptor(sizeof(FILEDESCRIPTORA), 0);
    std::memcpy(&descriptor[72], name.data(), std::min(name.size(), size_t{260}));
    b.insert(b.end(), descriptor.begin(), descriptor.end());
  }
  return b;
}

std::optional<std::string> FirstName(const Bytes& b) {
  std::string name;
  if (!FirstNameFromFileGroup(b.data(), b.size(), &name)) return std::nullopt;
  return name;
}

TEST(FileGroupTest, TheFirstNameIsReadOnlyFromAWholeBlock) {
  EXPECT_EQ(FirstName(FileGroup(1, {"link.url"})), "link.url");
  EXPECT_EQ(FirstName(FileGroup(2, {"a.url", "b.url"})), "a.url");
  EXPECT_EQ(76u, offsetof(FILEGROUPDESCRIPTORA, fgd) + offsetof(FILEDESCRIPTORA, cFileName));

  EXPECT_FALSE(FirstName(FileGroup(0, {"a.url"}))) << "no items";
  EXPECT_FALSE(FirstName(FileGroup(2, {"a.url"}))) << "a count the block cannot hold";
  EXPECT_FALSE(FirstName(FileGroup(0xFFFFFFFFu, {"a.url"})));
  EXPECT_FALSE(FirstName(FileGroup(1, {std::string(260, 'n')}))) << "no terminator in the name field";
  Bytes whole = FileGroup(1, {"a.url"});
  for (size_t size = 0; size < whole.size(); ++size) {
    Bytes cut(whole.begin(), whole.begin() + size);
    EXPECT_FALSE(FirstName(cut)) << "size " << size;
  }
  std::string name;
  EXPECT_FALSE(FirstNameFromFileGroup(nullptr, 400, &name));
}

TEST(UrlTextTest, TextUpToItsTerminatorWithoutControlCharacters) {
  auto url = [](const std::string& bytes) -> std::optional<std::string> {
    std::string out;
    if (!UrlFromBytes(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), &out)) return std::nullopt;
    return out;
  };
  EXPECT_EQ(url(std::string("http://example.com/a?b=1", 25)), "http://example.com/a?b=1");
  EXPECT_EQ(url(std::string("http://x/\0junk", 14)), "http://x/");
  EXPECT_FALSE(url("http://no-end"));
  EXPECT_FALSE(url(std::string("http://x/\r\n[InternetShortcut]\r\nIconFile=\\\\evil\\i", 48) + '\0'));
  EXPECT_FALSE(url(std::string("http://x/\ty", 11) + '\0'));
  EXPECT_EQ(url(std::string(1, '\0')), "");
}

TEST(PlainFileNameTest, AProposedNameCannotLeaveTheFolderItIsJoinedTo) {
  struct Case {
    const char* proposed;
    const char* plain;
  } cases[] = {
      {"link.url", "link.url"},
      {"..\\..\\x.url", "x.url"},
      {"../../x.url", "x.url"},
      {"C:\\Windows\\x.url", "x.url"},
      {"C:x.url", "x.url"},
      {"\\\\server\\share\\x.url", "x.url"},
      {"..", ""},
      {"...", ""},
      {"a\\..", ""},
      {"x\\", ""},
      {"", ""},
      {"   ", ""},
      {"x.url. . ", "x.url"},
      {"  x.url", "x.url"},
      {"a b:c*d?e\"f<g>h|i.url", "a b_c_d_e_f_g_h_i.url"},
      {"tab\there\r\n.url", "tab_here__.url"},
      {"CON.url", "_CON.url"},
      {"nul", "_nul"},
      {"com7.url", "_com7.url"},
      {"COM0.url", "COM0.url"},
      {"CONSOLE.url", "CONSOLE.url"},
      {"表示.url", "表示.url"},  // the second byte of 表 is a backslash
      {"フォルダ\\表.url", "表.url"},
  };
  for (const Case& c : cases) EXPECT_EQ(PlainFileName(c.proposed), c.plain) << c.proposed;
  // Half a double-byte character at the end is dropped, not kept as a byte.
  EXPECT_EQ(PlainFileName(std::string("ab\x95")), "ab");
}

// The readers over blocks that end exactly at an inaccessible page: a read
// of one byte too many faults here instead of passing unseen.
class GuardedBlock {
 public:
  GuardedBlock() {
    SYSTEM_INFO info;
    ::GetSystemInfo(&info);
    page_ = info.dwPageSize;
    base_ = static_cast<unsigned char*>(::VirtualAlloc(nullptr, kPages * page_ + page_, MEM_RESERVE | MEM_COMMIT,
                                                       PAGE_READWRITE));
    DWORD old;
    if (base_) ::VirtualProtect(base_ + kPages * page_, page_, PAGE_NOACCESS, &old);
  }
  ~GuardedBlock() {
    if (base_) ::VirtualFree(base_, 0, MEM_RELEASE);
  }
  GuardedBlock(const GuardedBlock&) = delete;
  GuardedBlock& operator=(const GuardedBlock&) = delete;
  size_t capacity() const { return kPages * page_; }
  // The bytes placed right before the guard page.
  const unsigned char* Place(const Bytes& b) {
    unsigned char* at = base_ + capacity() - b.size();
    if (!b.empty()) std::memcpy(at, b.data(), b.size());
    return at;
  }
  bool ok() const { return base_ != nullptr; }

 private:
  static constexpr size_t kPages = 16;
  size_t page_ = 4096;
  unsigned char* base_ = nullptr;
};

// CI's fixed seed and count, or those of a longer run (scripts/fuzz.sh).
unsigned long EnvNumber(const char* name, unsigned long fallback) {
  const char* value = std::getenv(name);
  return value && *value ? std::strtoul(value, nullptr, 10) : fallback;
}

TEST(ReadersFuzzTest, RandomAndMutatedBlocksNeverReadPastTheirEnd) {
  GuardedBlock guard;
  ASSERT_TRUE(guard.ok());
  std::mt19937 random(static_cast<unsigned>(EnvNumber("MEMOPANE_FUZZ_SEED", 20261207u)));
  const unsigned long blocks = EnvNumber("MEMOPANE_FUZZ_BLOCKS", 5000000u);
  auto below = [&](size_t n) { return static_cast<size_t>(random() % n); };
  const std::wstring wlist = std::wstring(L"C:\\a.txt") + L'\0' + L"C:\\\x65E5\\b" + L'\0' + L'\0';
  const std::vector<Bytes> seeds = {
      Cida(kParent, {kItemA, kItemB}),
      Cida({}, {kItemA}),
      DropFiles(std::string("C:\\a.txt") + '\0' + "C:\\表\\b.txt" + '\0' + '\0'),
      DropFiles(Wide(wlist), true),
      FileGroup(1, {"..\\..\\x.url"}),
      FileGroup(2, {"a.url", "b.url"}),
      Bytes{'h', 't', 't', 'p', ':', '/', '/', 'x', 0},
  };
  const uint32_t interesting[] = {0, 1, 2, 4, 12, 20, 76, 0x7FFF, 0xFFFF, 0x7FFFFFFF, 0x80000000u, 0xFFFFFFFFu};
  size_t read = 0;
  for (unsigned long round = 0; round < blocks; ++round) {
    Bytes b;
    if (below(4) == 0) {
      b.resize(below(600));
      for (unsigned char& c : b) c = static_cast<unsigned char>(random());
    } else {
      b = seeds[below(seeds.size())];
      for (size_t edits = 1 + below(4); edits > 0 && !b.empty(); --edits) {
        switch (below(5)) {
          case 0: b[below(b.size())] = static_cast<unsigned char>(random()); break;
          case 1: b.resize(below(b.size() + 1)); break;
          case 2: b.insert(b.begin() + below(b.size() + 1), below(64), static_cast<unsigned char>(random())); break;
          case 3:
            if (b.size() >= 4) {
              uint32_t v = interesting[below(sizeof(interesting) / sizeof(interesting[0]))];
              SetU32(&b, below(b.size() - 3) & ~size_t{1}, v);
            }
            break;
          case 4: b[below(b.size())] = 0; break;
        }
      }
    }
    if (b.size() > guard.capacity()) b.resize(guard.capacity());
    const unsigned char* at = guard.Place(b);
    std::string text;
    for (const IdlBytes& idl : AbsoluteIdlsFromCida(at, b.size())) read += idl.size();
    for (const std::string& file : FilesFromDropFiles(at, b.size())) {
      EXPECT_LT(file.size(), 260u);
      read += file.size();
    }
    if (FirstNameFromFileGroup(at, b.size(), &text)) {
      std::string plain = PlainFileName(text);
      EXPECT_FALSE(ContainsAnyChar(plain, "\\/:*?\"<>|")) << plain;
      EXPECT_NE(plain, "..");
    }
    if (UrlFromBytes(at, b.size(), &text)) read += text.size();
  }
  EXPECT_GT(read, 0u);  // the seeds kept some blocks readable
}

TEST(IdlFromBytesTest, AppendsTheTerminator) {
  IdlBytes bytes = Concat({Item({1, 2, 3})});
  CoTaskMem<ITEMIDLIST> idl = IdlFromBytes(bytes);
  ASSERT_TRUE(idl);
  const auto* raw = reinterpret_cast<const unsigned char*>(idl.get());
  EXPECT_EQ(0, std::memcmp(raw, bytes.data(), bytes.size()));
  EXPECT_EQ(raw[bytes.size()], 0);
  EXPECT_EQ(raw[bytes.size() + 1], 0);
  CoTaskMem<ITEMIDLIST> empty = IdlFromBytes({});
  ASSERT_TRUE(empty);
  EXPECT_EQ(empty.get()->mkid.cb, 0);
}

}  // namespace
}  // namespace memo
