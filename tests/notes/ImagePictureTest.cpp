// The picture loader of image notes: natural sizes of every kind of picture,
// pictures refused before they can exhaust memory, and the header reader
// that refuses them; a photo's orientation, transparency kept through the
// codecs and from clipboard bitmaps, and the PNG files written. With MEMOPANE_PICTURES_IN set, pictures that another
// program made are loaded from that folder (see check-pictures-externally.sh).
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "notes/ImageView.h"
#include "notes/ItemImage.h"
#include "tests/support/TestFiles.h"

namespace memo::test {
namespace {

std::optional<SIZE> Dimensions(const std::string& bytes) {
  return RasterDimensions(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
}

std::string Le32(uint32_t v) { return std::string(reinterpret_cast<const char*>(&v), 4); }

// The imaging codecs are COM objects.
class ComScope {
 public:
  ComScope() { ::CoInitialize(nullptr); }
  ~ComScope() { ::CoUninitialize(); }
};

std::optional<SIZE> NaturalSize(const std::string& path) {
  ComScope com;
  std::optional<Picture> picture = LoadPicture(path);
  if (!picture) return std::nullopt;
  return picture->size;
}

uint32_t PixelAt(const Picture& picture, int x, int y) {
  DIBSECTION section{};
  ::GetObjectA(picture.bitmap.get(), sizeof(section), &section);
  return static_cast<const uint32_t*>(section.dsBm.bmBits)[y * picture.size.cx + x];
}

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
  std::string png = std::string("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR\0\0\x01\x2C\0\x01\0\0", 24);
  ASSERT_TRUE(Dimensions(png));
  EXPECT_EQ(Dimensions(png)->cx, 300);
  EXPECT_EQ(Dimensions(png)->cy, 65536);
  EXPECT_FALSE(Dimensions(png.substr(0, 23)));
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
  auto natural = NaturalSize(emf);
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
  natural = NaturalSize(temp / "box.wmf");
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
    EXPECT_FALSE(NaturalSize(temp / name));
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
  EXPECT_FALSE(NaturalSize(big));
}

// A JPEG container for EncodePicture: the tests make photos with the
// system's encoder.
constexpr GUID kContainerJpeg = {0x19e4a5aa, 0x5662, 0x4fc5, {0xa0, 0xc0, 0x17, 0x58, 0x02, 0x8e, 0x10, 0x57}};

// An Exif segment whose first directory holds the orientation, in either
// byte order, inserted after a JPEG's start marker.
std::string WithOrientation(const std::string& jpeg, int orientation, bool bigEndian = false) {
  std::string tiff = bigEndian ? std::string("MM\0*\0\0\0\x08\0\x01\x01\x12\0\x03\0\0\0\x01", 18) +
                                     static_cast<char>(0) + static_cast<char>(orientation) + std::string(6, '\0')
                               : std::string("II*\0\x08\0\0\0\x01\0\x12\x01\x03\0\x01\0\0\0", 18) +
                                     static_cast<char>(orientation) + std::string(7, '\0');
  std::string body = std::string("Exif\0\0", 6) + tiff;
  size_t length = body.size() + 2;
  std::string segment = std::string("\xFF\xE1", 2) + static_cast<char>(length >> 8) + static_cast<char>(length & 0xFF);
  return jpeg.substr(0, 2) + segment + body + jpeg.substr(2);
}

int Orientation(const std::string& bytes) {
  return PictureOrientation(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
}

TEST(PictureLoaderTest, OrientationIsReadFromTheExifSegment) {
  const std::string bare("\xFF\xD8\xFF\xE0\x00\x04\x00\x00\xFF\xDA\x00\x02", 12);
  EXPECT_EQ(Orientation(WithOrientation(bare, 6)), 6);
  EXPECT_EQ(Orientation(WithOrientation(bare, 8, true)), 8);
  EXPECT_EQ(Orientation(bare), 1);
  EXPECT_EQ(Orientation(WithOrientation(bare, 9)), 1);                    // no such orientation
  EXPECT_EQ(Orientation(WithOrientation(bare, 6).substr(0, 30)), 1);      // cut inside the directory
  std::string beyond = WithOrientation(bare, 6);
  beyond[19] = '\x7F';  // the directory beyond the segment
  EXPECT_EQ(Orientation(beyond), 1);
  // After the pixels begin, an Exif segment is no longer the photo's.
  EXPECT_EQ(Orientation(bare + WithOrientation(bare, 6).substr(2)), 1);
}

TEST(PictureLoaderTest, OrientationsTurnAndFlipThePixels) {
  const uint32_t stored[] = {0, 1, 2, 3, 4, 5};  // 3 x 2
  struct Case {
    int orientation;
    std::vector<uint32_t> seen;
  } cases[] = {
      {1, {0, 1, 2, 3, 4, 5}}, {2, {2, 1, 0, 5, 4, 3}}, {3, {5, 4, 3, 2, 1, 0}}, {4, {3, 4, 5, 0, 1, 2}},
      {5, {0, 3, 1, 4, 2, 5}}, {6, {3, 0, 4, 1, 5, 2}}, {7, {5, 2, 4, 1, 3, 0}}, {8, {2, 5, 1, 4, 0, 3}},
  };
  for (const Case& c : cases) {
    std::vector<uint32_t> seen(6);
    OrientPixels(stored, 3, 2, c.orientation, seen.data());
    EXPECT_EQ(seen, c.seen) << "orientation " << c.orientation;
  }
}

TEST(PictureLoaderTest, CodecPicturesKeepTransparencyOrientationAndRefuseCutFiles) {
  ComScope com;
  TempFolder temp("memo-pic");
  Pixels pixels;
  pixels.width = 2;
  pixels.height = 1;
  pixels.bgra = {0xFFFF0000u, 0x80FF0000u};  // red, and half-clear red
  auto png = EncodePng(pixels, true);
  ASSERT_TRUE(png);
  ASSERT_TRUE(WriteBytes(temp / "clear.png", *png));
  auto picture = LoadPicture(temp / "clear.png");
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->size.cx, 2);
  EXPECT_TRUE(picture->translucent);
  EXPECT_EQ(PixelAt(*picture, 0, 0), 0xFFFF0000u);
  EXPECT_NEAR(static_cast<double>((PixelAt(*picture, 1, 0) >> 16) & 0xFF), 128, 1);  // premultiplied
  EXPECT_EQ(OverBackground(0x80800000u, RGB(0, 0, 255)), 0xFF80007Fu);
  EXPECT_EQ(OverBackground(0x00000000u, RGB(1, 2, 3)), 0xFF010203u);

  pixels.bgra[1] = 0xFF0000FFu;
  ASSERT_TRUE(WriteBytes(temp / "solid.png", EncodePng(pixels, false).value_or("")));
  picture = LoadPicture(temp / "solid.png");
  ASSERT_TRUE(picture);
  EXPECT_FALSE(picture->translucent);
  EXPECT_EQ(PixelAt(*picture, 1, 0), 0xFF0000FFu);

  // A 40 x 20 photo, left half red, stored on its side: seen 20 x 40, the
  // red half on top.
  Pixels photo;
  photo.width = 40;
  photo.height = 20;
  for (int y = 0; y < 20; ++y) {
    for (int x = 0; x < 40; ++x) photo.bgra.push_back(x < 20 ? 0xFFFF0000u : 0xFF0000FFu);
  }
  auto jpeg = EncodePicture(kContainerJpeg, photo, false);
  ASSERT_TRUE(jpeg);
  ASSERT_TRUE(WriteBytes(temp / "side.jpg", WithOrientation(*jpeg, 6)));
  picture = LoadPicture(temp / "side.jpg");
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->size.cx, 20);
  EXPECT_EQ(picture->size.cy, 40);
  EXPECT_GT((PixelAt(*picture, 10, 5) >> 16) & 0xFF, 200u);  // red at the top
  EXPECT_GT(PixelAt(*picture, 10, 35) & 0xFF, 200u);         // blue below

  ASSERT_TRUE(WriteBytes(temp / "cut.png", png->substr(0, png->size() / 2)));
  EXPECT_FALSE(LoadPicture(temp / "cut.png"));
}

// A packed bitmap with a V5 header (masks inside it), one pixel wide and two
// high, stored bottom row first.
std::string PackedV5(uint32_t alphaMask, uint32_t bottom, uint32_t top) {
  std::string b(124, '\0');
  auto put32 = [&](size_t at, uint32_t v) { std::memcpy(&b[at], &v, 4); };
  put32(0, 124);
  put32(4, 1);
  put32(8, 2);
  b[12] = 1;
  b[14] = 32;
  put32(16, BI_BITFIELDS);
  put32(40, 0x00FF0000u);
  put32(44, 0x0000FF00u);
  put32(48, 0x000000FFu);
  put32(52, alphaMask);
  return b + Le32(bottom) + Le32(top);
}

std::optional<Pixels> FromPacked(const std::string& bytes) {
  return TranslucentPixelsOfPackedDib(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
}

TEST(PictureLoaderTest, ClipboardBitmapsKeepTheirAlphaOnlyWhenTheyHaveSome) {
  auto pixels = FromPacked(PackedV5(0xFF000000u, 0x80000080u, 0xFF00FF00u));
  ASSERT_TRUE(pixels);
  EXPECT_EQ(pixels->bgra, (std::vector<uint32_t>{0xFF00FF00u, 0x80000080u}));  // top row first
  EXPECT_FALSE(FromPacked(PackedV5(0xFF000000u, 0x00000080u, 0x0000FF00u)));    // alpha never set
  EXPECT_FALSE(FromPacked(PackedV5(0xFF000000u, 0xFF000080u, 0xFF00FF00u)));    // all opaque
  EXPECT_FALSE(FromPacked(PackedV5(0, 0x80000080u, 0xFF00FF00u)));              // no alpha channel
  EXPECT_FALSE(FromPacked(PackedV5(0xFF000000u, 0x80000080u, 0xFF00FF00u).substr(0, 130)));
  std::string tall = PackedV5(0xFF000000u, 0x80000080u, 0xFF00FF00u);
  tall[10] = '\x7F';  // 2^23 rows claimed
  EXPECT_FALSE(FromPacked(tall));
}

TEST(PictureLoaderTest, DroppedListsAndPictureNames) {
  EXPECT_EQ(FirstPictureFile({"C:\\a.txt", "C:\\b.GIF", "C:\\c.jpg"}), std::optional<std::string>("C:\\b.GIF"));
  EXPECT_FALSE(FirstPictureFile({"C:\\a.txt", "C:\\pics.bmp\\readme"}));
  EXPECT_EQ(FirstPictureFile({"C:\\a.txt", "C:\\shot.PNG"}), std::optional<std::string>("C:\\shot.PNG"));
  EXPECT_EQ(NameForPicture("新しいイメージ0.bmp", "C:\\x\\photo.jpeg"), "新しいイメージ0.jpeg");
  EXPECT_TRUE(WritesPng("\"shot.PNG\""));
  EXPECT_FALSE(WritesPng("shot.png.bmp"));
  EXPECT_EQ(NameForPicture("新しいイメージ0.bmp", "C:\\Temp\\123.emf"), "新しいイメージ0.emf");
  EXPECT_EQ(NameForPicture("\"共有.jpg\"", "C:\\x\\y.BMP"), "\"共有.BMP\"");
  EXPECT_EQ(SaveFilterFor("jpg"), std::string("Image file(*.jpg)\0*.jpg\0\0", 25));
}

// PNG files written for pastes and captures, opaque and with alpha. With
// MEMOPANE_BITMAP_OUT set they stay there with their pixels as raw RGBA.
TEST(PictureLoaderTest, PngFilesReadBackPixelForPixel) {
  ComScope com;
  const char* keep = std::getenv("MEMOPANE_BITMAP_OUT");
  TempFolder temp("memo-png");
  const std::string folder = keep && *keep ? std::string(keep) : temp.path();
  for (bool translucent : {false, true}) {
    SCOPED_TRACE(translucent);
    Pixels pixels;
    pixels.width = 7;  // odd: 24-bit rows are padded
    pixels.height = 5;
    std::string rgba;
    for (int i = 0; i < 35; ++i) {
      uint32_t alpha = translucent ? static_cast<uint32_t>(i * 7) : 255;
      uint32_t p = (alpha << 24) | static_cast<uint32_t>(i * 0x030507);
      pixels.bgra.push_back(p);
      rgba += {static_cast<char>(p >> 16), static_cast<char>(p >> 8), static_cast<char>(p), static_cast<char>(alpha)};
    }
    std::string name = translucent ? "clear" : "opaque";
    auto png = EncodePng(pixels, translucent);
    ASSERT_TRUE(png);
    ASSERT_TRUE(WriteBytes(Join(folder, name + ".png"), *png));
    ASSERT_TRUE(WriteBytes(Join(folder, name + ".rgba"), rgba));
    auto picture = LoadPicture(Join(folder, name + ".png"));
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->translucent, translucent);
    EXPECT_EQ(PixelAt(*picture, 6, 4) >> 24, translucent ? 238u : 255u);
    if (!translucent) {
      EXPECT_EQ(PixelAt(*picture, 6, 4), 0xFF000000u | (34u * 0x030507u));
    }
  }
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
    auto natural = NaturalSize(Join(folder, name));
    if (width == 0) {
      EXPECT_FALSE(natural);
      continue;
    }
    ASSERT_TRUE(natural);
    EXPECT_EQ(natural->cx, width);
    EXPECT_EQ(natural->cy, height);
  }
  EXPECT_EQ(count, 11);
}

}  // namespace
}  // namespace memo::test
