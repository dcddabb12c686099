// Bitmap files written from bitmap handles: the header table, colour tables
// and bit-field masks, padded rows, and pixels that read back as they were.
// With MEMOPANE_BITMAP_OUT set, the files and the expected pixels (raw RGB)
// stay in that folder for a reader we did not write to check.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "notes/BitmapFile.h"
#include "tests/support/TestFiles.h"

namespace memo::test {
namespace {

uint32_t Read32(const std::string& bytes, size_t at) {
  uint32_t v = 0;
  std::memcpy(&v, bytes.data() + at, 4);
  return v;
}
uint16_t Read16(const std::string& bytes, size_t at) {
  uint16_t v = 0;
  std::memcpy(&v, bytes.data() + at, 2);
  return v;
}

BitmapFormat Format(int width, int height, int bits, std::vector<RGBQUAD> colors = {}) {
  BitmapFormat f;
  f.width = width;
  f.height = height;
  f.widthBytes = (width * bits + 15) / 16 * 2;  // as a device-dependent bitmap counts them
  f.bitsPerPixel = bits;
  f.colors = std::move(colors);
  return f;
}

TEST(BitmapFileTest, HeadersFollowTheFileLayout) {
  auto h = MakeBitmapFileHeaders(Format(3, 2, 24));
  ASSERT_TRUE(h);
  ASSERT_EQ(h->bytes.size(), 54u);
  EXPECT_EQ(h->bytes.substr(0, 2), "BM");
  EXPECT_EQ(h->stride, 12u);
  EXPECT_EQ(Read32(h->bytes, 2), 78u);   // file size
  EXPECT_EQ(Read32(h->bytes, 10), 54u);  // pixel offset
  EXPECT_EQ(Read32(h->bytes, 14), 40u);
  EXPECT_EQ(Read32(h->bytes, 18), 3u);
  EXPECT_EQ(Read32(h->bytes, 22), 2u);   // positive: bottom-up
  EXPECT_EQ(Read16(h->bytes, 26), 1u);
  EXPECT_EQ(Read16(h->bytes, 28), 24u);
  EXPECT_EQ(Read32(h->bytes, 30), 0u);
  EXPECT_EQ(Read32(h->bytes, 34), 24u);  // image size

  auto h32 = MakeBitmapFileHeaders(Format(5, 3, 32));
  ASSERT_TRUE(h32);
  EXPECT_EQ(Read32(h32->bytes, 30), 3u);  // bit fields
  EXPECT_EQ(Read32(h32->bytes, 10), 66u);
  EXPECT_EQ(Read32(h32->bytes, 54), 0xFF0000u);
  EXPECT_EQ(Read32(h32->bytes, 58), 0x00FF00u);
  EXPECT_EQ(Read32(h32->bytes, 62), 0x0000FFu);

  BitmapFormat f16 = Format(3, 1, 16);
  auto h565 = MakeBitmapFileHeaders(f16);
  f16.fiveFiveFive = true;
  auto h555 = MakeBitmapFileHeaders(f16);
  ASSERT_TRUE(h565 && h555);
  EXPECT_EQ(h565->stride, 8u);
  EXPECT_EQ(Read32(h565->bytes, 54), 0xF800u);
  EXPECT_EQ(Read32(h565->bytes, 58), 0x07E0u);
  EXPECT_EQ(Read32(h555->bytes, 54), 0x7C00u);
  EXPECT_EQ(Read32(h555->bytes, 58), 0x03E0u);
  EXPECT_EQ(Read32(h555->bytes, 62), 0x001Fu);

  std::vector<RGBQUAD> gray(16);
  auto h4 = MakeBitmapFileHeaders(Format(7, 2, 4, gray));
  ASSERT_TRUE(h4);
  EXPECT_EQ(Read32(h4->bytes, 10), 54u + 64u);
  EXPECT_EQ(Read32(h4->bytes, 46), 16u);  // colours used
  EXPECT_EQ(Read32(h4->bytes, 50), 16u);
  EXPECT_EQ(h4->stride, 4u);
}

TEST(BitmapFileTest, ColourTablesAndRefusedBitmaps) {
  auto bare = FileColorTable(1, {});
  ASSERT_EQ(bare.size(), 2u);
  EXPECT_EQ(bare[0].rgbRed, 0);
  EXPECT_EQ(bare[1].rgbRed, 255);
  EXPECT_EQ(FileColorTable(4, std::vector<RGBQUAD>(256)).size(), 16u);
  EXPECT_EQ(FileColorTable(8, std::vector<RGBQUAD>(20)).size(), 20u);
  EXPECT_TRUE(FileColorTable(24, std::vector<RGBQUAD>(20)).empty());

  EXPECT_FALSE(MakeBitmapFileHeaders(Format(0, 2, 24)));
  EXPECT_FALSE(MakeBitmapFileHeaders(Format(3, 2, 12)));
  // A bitmap whose file would pass 4 GiB cannot be described by the header.
  EXPECT_FALSE(MakeBitmapFileHeaders(Format(70000, 70000, 32)));
  BitmapFormat narrow = Format(8, 1, 24);
  narrow.widthBytes = 3;  // fewer bytes than the pixels of a row need
  EXPECT_FALSE(MakeBitmapFileHeaders(narrow));
}

// A DIB section of the given depth with an irregular pattern; for 16 bits a
// 5-6-5 layout, whose channels are kept at 0 or full so that any reader
// widens them alike.
struct Source {
  HBITMAP bitmap = nullptr;
  std::string expectedRgb;  // top row first, 3 bytes a pixel
};

Source MakeSource(int width, int height, int bits) {
  struct {
    BITMAPINFOHEADER header;
    DWORD extra[256];
  } bmi{};
  bmi.header.biSize = sizeof(BITMAPINFOHEADER);
  bmi.header.biWidth = width;
  bmi.header.biHeight = height;
  bmi.header.biPlanes = 1;
  bmi.header.biBitCount = static_cast<WORD>(bits);
  bmi.header.biCompression = bits == 16 ? BI_BITFIELDS : BI_RGB;
  auto* table = reinterpret_cast<RGBQUAD*>(bmi.extra);
  if (bits == 16) {
    bmi.extra[0] = 0xF800;
    bmi.extra[1] = 0x07E0;
    bmi.extra[2] = 0x001F;
  } else if (bits <= 8) {
    int n = 1 << bits;
    for (int i = 0; i < n; ++i) {
      table[i] = RGBQUAD{static_cast<BYTE>(i * 37), static_cast<BYTE>(255 - i * 11), static_cast<BYTE>(i * 90), 0};
    }
    bmi.header.biClrUsed = static_cast<DWORD>(n);
  }
  void* bits0 = nullptr;
  Source s;
  s.bitmap = ::CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&bmi), DIB_RGB_COLORS, &bits0, nullptr, 0);
  if (!s.bitmap) return s;
  HDC dc = ::CreateCompatibleDC(nullptr);
  HGDIOBJ old = ::SelectObject(dc, s.bitmap);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      int k = (x * 7 + y * 13) % 8;
      COLORREF c = bits == 16 ? RGB((k & 1) ? 255 : 0, (k & 2) ? 255 : 0, (k & 4) ? 255 : 0)
                              : RGB((x * 40 + y * 3) & 0xFF, (y * 50 + 7) & 0xFF, (x * y * 17) & 0xFF);
      ::SetPixelV(dc, x, y, c);  // a paletted bitmap takes the nearest entry
      COLORREF got = ::GetPixel(dc, x, y);
      s.expectedRgb.push_back(static_cast<char>(GetRValue(got)));
      s.expectedRgb.push_back(static_cast<char>(GetGValue(got)));
      s.expectedRgb.push_back(static_cast<char>(GetBValue(got)));
    }
  }
  ::SelectObject(dc, old);
  ::DeleteDC(dc);
  return s;
}

// Bitmaps come from the clipboard and from other programs: any size, depth
// and table. Whatever is described must add up; the rest is refused.
TEST(BitmapFileTest, RandomFormatsAreDescribedConsistentlyOrRefused) {
  std::mt19937 random(777);
  const int extremes[] = {0, 1, 2, 3, 31, 33, -1, 65535, 0x7FFFFFFF, INT_MIN};
  auto number = [&] { return random() % 3 == 0 ? extremes[random() % 10] : static_cast<int>(random() % 5000) - 10; };
  for (int i = 0; i < 20000; ++i) {
    BitmapFormat format;
    format.width = number();
    format.height = number();
    format.widthBytes = random() % 2 ? number() : (format.width * 4);
    format.planes = random() % 8 ? 1 : 2;
    const int depths[] = {0, 1, 2, 4, 8, 15, 16, 24, 32, 64};
    format.bitsPerPixel = depths[random() % 10];
    format.colors.resize(random() % 300);
    std::optional<BitmapFileHeaders> headers = MakeBitmapFileHeaders(format);
    if (!headers) continue;
    const std::string& bytes = headers->bytes;
    ASSERT_GE(bytes.size(), 54u);
    EXPECT_EQ(Read32(bytes, 2), bytes.size() + uint64_t{headers->imageSize});  // file size
    EXPECT_EQ(Read32(bytes, 10), bytes.size());                               // pixels follow the headers
    EXPECT_EQ(uint64_t{headers->stride} * static_cast<uint64_t>(format.height), headers->imageSize);
    EXPECT_GE(uint64_t{headers->stride} * 8, static_cast<uint64_t>(format.width) * format.bitsPerPixel);
    EXPECT_EQ(headers->stride % 4, 0u);
  }
}

TEST(BitmapFileTest, EveryDepthReadsBackPixelForPixel) {
  const char* keep = std::getenv("MEMOPANE_BITMAP_OUT");
  TempFolder temp("memo-bmp");
  const std::string folder = keep && *keep ? std::string(keep) : temp.path();
  const int width = 7, height = 5;  // odd: every depth pads its rows
  for (int bits : {1, 4, 8, 16, 24, 32}) {
    SCOPED_TRACE(bits);
    Source source = MakeSource(width, height, bits);
    ASSERT_TRUE(source.bitmap);
    std::string name = "depth" + std::to_string(bits);
    std::string path = Join(folder, name + ".bmp");
    ASSERT_TRUE(WriteBitmapFile(source.bitmap, path));
    ASSERT_TRUE(WriteBytes(Join(folder, name + ".rgb"), source.expectedRgb));

    auto bytes = ReadBytes(path);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(Read32(*bytes, 2), bytes->size());
    EXPECT_EQ(Read16(*bytes, 28), bits);
    EXPECT_EQ(Read32(*bytes, 30), bits == 16 || bits == 32 ? 3u : 0u);
    if (bits == 16) {
      EXPECT_EQ(Read32(*bytes, 54), 0xF800u);  // the probe found 5-6-5
    }

    // The system's own reader sees the same pixels.
    HBITMAP loaded = static_cast<HBITMAP>(
        ::LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    ASSERT_TRUE(loaded);
    HDC dc = ::CreateCompatibleDC(nullptr);
    HGDIOBJ old = ::SelectObject(dc, loaded);
    std::string seen;
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        COLORREF c = ::GetPixel(dc, x, y);
        seen += {static_cast<char>(GetRValue(c)), static_cast<char>(GetGValue(c)), static_cast<char>(GetBValue(c))};
      }
    }
    ::SelectObject(dc, old);
    ::DeleteDC(dc);
    ::DeleteObject(loaded);
    EXPECT_EQ(seen, source.expectedRgb);
    // Writing left the bitmap as it was (the 16-bit probe puts its pixel back).
    dc = ::CreateCompatibleDC(nullptr);
    old = ::SelectObject(dc, source.bitmap);
    COLORREF first = ::GetPixel(dc, 0, 0);
    ::SelectObject(dc, old);
    ::DeleteDC(dc);
    EXPECT_EQ(GetRValue(first), static_cast<BYTE>(source.expectedRgb[0]));
    EXPECT_EQ(GetGValue(first), static_cast<BYTE>(source.expectedRgb[1]));
    ::DeleteObject(source.bitmap);
  }
}

TEST(BitmapFileTest, NothingIsLeftWhenTheFileCannotBeWritten) {
  TempFolder temp("memo-bmp");
  Source source = MakeSource(3, 2, 24);
  ASSERT_TRUE(source.bitmap);
  EXPECT_FALSE(WriteBitmapFile(source.bitmap, Join(temp.path(), "missing\\folder\\x.bmp")));
  EXPECT_FALSE(WriteBitmapFile(nullptr, Join(temp.path(), "x.bmp")));
  EXPECT_FALSE(WriteBitmapFile(source.bitmap, ""));
  EXPECT_TRUE(ListNames(temp.path()).empty());
  ::DeleteObject(source.bitmap);
}

}  // namespace
}  // namespace memo::test
