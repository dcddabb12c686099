// The picture loader of image notes: natural sizes of every kind of picture,
// pictures refused before they can exhaust memory, and the header reader
// that refuses them. With MEMOPANE_PICTURES_IN set, pictures that another
// program made are loaded from that folder (see check-pictures-externally.sh).
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "notes/ImageView.h"
#include "notes/ItemImage.h"
#include "tests/support/TestFiles.h"

namespace memo::test {
namespace {

std::optional<SIZE> Dimensions(const std::string& bytes) {
  return RasterDimensions(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
}

std::string Le32(uint32_t v) { return std::string(reinterpret_cast<const char*>(&v), 4); }

TEST(PictureLoaderTest, HeadersTellTheClaimedDimensions) {
  std::string bmp = "BM" + std::string(12, '\0') + Le32(40) + Le32(3000) + Le32(static_cast<uint32_t>(-2000));
  ASSERT_TRUE(Dimensions(bmp));
  EXPECT_EQ(Dimensions(bmp)->cx, 3000);
  EXPECT_EQ(Dimensions(bmp)->cy, 2000);  // top-down
  std::string core = "BM" + std::string(12, '\0') + Le32(12) + std::string("\x10\x00\x20\x00", 4) + std::string(4, '\0');
  ASSERT_TRUE(Dimensions(core));
  EXPECT_EQ(Dimensions(core)->cy, 32);
  std::string gif = std::string("GIF89a\x0C\x00\x05\x00", 10);
  EXPECT_EQ(Dimensions(gif)->cx, 12);
  // A JPEG's frame comes after its other segments.
  std::string jpeg = std::string("\xFF\xD8\xFF\xE0\x00\x04\x00\x00\xFF\xFF\xC2\x00\x0B\x08\x01\x2C\x02\x58\x01", 19);
  ASSERT_TRUE(Dimensions(jpeg));
  EXPECT_EQ(Dimensions(jpeg)->cx, 600);
  EXPECT_EQ(Dimensions(jpeg)->cy, 300);
  EXPECT_FALSE(Dimensions(jpeg.substr(0, 14)));              // cut inside the frame
  EXPECT_FALSE(Dimensions(std::string("\xFF\xD8\xFF\xE0\x00\x01", 6) + std::string(10, '\xFF')));
  EXPECT_FALSE(Dimensions("BM"));
  EXPECT_FALSE(Dimensions(std::string(" EMF") + std::string(60, '\0')));

  EXPECT_TRUE(PictureSizeAcceptable(16384, 2000));
  EXPECT_FALSE(PictureSizeAcceptable(16385, 10));
  EXPECT_FALSE(PictureSizeAcceptable(10000, 10000));  // 100 million pixels
  EXPECT_FALSE(PictureSizeAcceptable(0, 10));
}

TEST(PictureLoaderTest, MetafilesMeasureAtNinetySixDotsPerInchWithoutADevice) {
  TempFolder temp("memo-pic");
  RECT frame{0, 0, 2540, 1270};  // HIMETRIC: one inch by half an inch
  std::string emf = temp / "inch.emf";
  HDC dc = ::CreateEnhMetaFileA(nullptr, emf.c_str(), &frame, nullptr);
  ::Rectangle(dc, 0, 0, 10, 10);
  ::DeleteEnhMetaFile(::CloseEnhMetaFile(dc));
  auto natural = LoadPicture(nullptr, emf, SIZE{});
  ASSERT_TRUE(natural);
  EXPECT_EQ(natural->cx, 96);
  EXPECT_EQ(natural->cy, 48);
  EXPECT_EQ(HimetricToPixels(2540, 1270, 120, 144).cx, 120);
  EXPECT_EQ(HimetricToPixels(2540, 1270, 120, 144).cy, 72);

  // A placeable metafile: 1440 units an inch, a box of 2 by 1 inches.
  HDC wdc = ::CreateMetaFileA(nullptr);
  ::Rectangle(wdc, 0, 0, 100, 50);
  HMETAFILE wmf = ::CloseMetaFile(wdc);
  UINT size = ::GetMetaFileBitsEx(wmf, 0, nullptr);
  std::string bits(size, '\0');
  ::GetMetaFileBitsEx(wmf, size, &bits[0]);
  ::DeleteMetaFile(wmf);
  uint16_t head[11] = {0xCDD7, 0x9AC6, 0, 0, 0, 2880, 1440, 1440, 0, 0, 0};
  for (int i = 0; i < 10; ++i) head[10] ^= head[i];
  std::string placeable(reinterpret_cast<const char*>(head), sizeof(head));
  ASSERT_TRUE(WriteBytes(temp / "box.wmf", placeable + bits));
  natural = LoadPicture(nullptr, temp / "box.wmf", SIZE{});
  ASSERT_TRUE(natural);
  EXPECT_EQ(natural->cx, 192);
  EXPECT_EQ(natural->cy, 96);
}

TEST(PictureLoaderTest, UnreadableAndOversizedPicturesAreRefused) {
  TempFolder temp("memo-pic");
  ASSERT_TRUE(WriteBytes(temp / "empty.bmp", ""));
  ASSERT_TRUE(WriteBytes(temp / "noise.jpg", std::string(500, '\x37')));
  std::string huge = "BM" + std::string(12, '\0') + Le32(40) + Le32(60000) + Le32(60000) + std::string(100, '\0');
  ASSERT_TRUE(WriteBytes(temp / "huge.bmp", huge));
  for (const char* name : {"empty.bmp", "noise.jpg", "huge.bmp", "missing.gif"}) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(LoadPicture(nullptr, temp / name, SIZE{}));
  }
  // A file too large to read into memory is refused by its size alone.
  std::string big = temp / "big.bmp";
  HANDLE file = ::CreateFileA(big.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  LARGE_INTEGER end;
  end.QuadPart = static_cast<LONGLONG>(kMaxPictureFileBytes) + 1;
  ::SetFilePointerEx(file, end, nullptr, FILE_BEGIN);
  ::SetEndOfFile(file);
  ::CloseHandle(file);
  EXPECT_FALSE(LoadPicture(nullptr, big, SIZE{}));
}

TEST(PictureLoaderTest, DroppedListsAndPictureNames) {
  EXPECT_EQ(FirstPictureFile({"C:\\a.txt", "C:\\b.GIF", "C:\\c.jpg"}), std::optional<std::string>("C:\\b.GIF"));
  EXPECT_FALSE(FirstPictureFile({"C:\\a.txt", "C:\\pics.bmp\\readme"}));
  EXPECT_EQ(NameForPicture("新しいイメージ0.bmp", "C:\\Temp\\123.emf"), "新しいイメージ0.emf");
  EXPECT_EQ(NameForPicture("\"共有.jpg\"", "C:\\x\\y.BMP"), "\"共有.BMP\"");
  EXPECT_EQ(SaveFilterFor("jpg"), std::string("Image file(*.jpg)\0*.jpg\0\0", 25));
}

TEST(PictureLoaderTest, PicturesMadeByOtherToolsLoadWithTheirSizes) {
  const char* folder = std::getenv("MEMOPANE_PICTURES_IN");
  if (!folder || !*folder) GTEST_SKIP() << "run by check-pictures-externally.sh";
  auto manifest = ReadBytes(Join(folder, "manifest.txt"));
  ASSERT_TRUE(manifest);
  std::istringstream lines(*manifest);
  std::string name;
  int width = 0, height = 0, count = 0;
  while (lines >> name >> width >> height) {
    SCOPED_TRACE(name);
    ++count;
    auto natural = LoadPicture(nullptr, Join(folder, name), SIZE{});
    if (width == 0) {
      EXPECT_FALSE(natural);
      continue;
    }
    ASSERT_TRUE(natural);
    EXPECT_EQ(natural->cx, width);
    EXPECT_EQ(natural->cy, height);
  }
  EXPECT_EQ(count, 7);
}

}  // namespace
}  // namespace memo::test
