// Pictures through the system's imaging codecs.
#include "notes/PictureCodec.h"

#include <objbase.h>
#include <wincodec.h>

#include <algorithm>
#include <cstring>

namespace memo {
namespace {

// The codecs' identifiers, defined here: the system's copies live in import
// libraries (windowscodecs.lib with MSVC) whose library the program would
// then load at every start. CoCreateInstance loads it at the first picture.
constexpr GUID kClsidImagingFactory = {0xcacaf262, 0x9370, 0x4615, {0xa1, 0x3b, 0x9f, 0x55, 0x39, 0xda, 0x4c, 0x0a}};
constexpr GUID kFormat24bppBGR = {0x6fddc324, 0x4e03, 0x4bfe, {0xb1, 0x85, 0x3d, 0x77, 0x76, 0x8d, 0xc9, 0x0c}};
constexpr GUID kFormat32bppBGRA = {0x6fddc324, 0x4e03, 0x4bfe, {0xb1, 0x85, 0x3d, 0x77, 0x76, 0x8d, 0xc9, 0x0f}};
constexpr GUID kFormat32bppPBGRA = {0x6fddc324, 0x4e03, 0x4bfe, {0xb1, 0x85, 0x3d, 0x77, 0x76, 0x8d, 0xc9, 0x10}};
constexpr GUID kContainerPng = {0x1b7cfaf4, 0x713f, 0x473c, {0xbb, 0xcd, 0x61, 0x37, 0x42, 0x5f, 0xae, 0xaf}};

constexpr uint16_t kOrientationTag = 274;
constexpr uint32_t kOpaque = 0xFF000000u;
// Rows handed to the encoder at a time: a photograph is never copied whole.
constexpr int kEncodeRows = 256;

uint32_t Le16(const unsigned char* p) { return p[0] | (p[1] << 8); }
uint32_t Le32(const unsigned char* p) { return Le16(p) | (Le16(p + 2) << 16); }
uint32_t Be16(const unsigned char* p) { return (p[0] << 8) | p[1]; }

// The orientation tag of a TIFF structure's first directory (an Exif
// segment holds one); 1 without it.
int TiffOrientation(const unsigned char* p, size_t size) {
  if (size < 8) return 1;
  bool little = p[0] == 'I' && p[1] == 'I';
  if (!little && !(p[0] == 'M' && p[1] == 'M')) return 1;
  auto u16 = [&](size_t at) { return little ? Le16(p + at) : Be16(p + at); };
  auto u32 = [&](size_t at) { return little ? Le32(p + at) : (Be16(p + at) << 16) | Be16(p + at + 2); };
  if (u16(2) != 42) return 1;
  size_t directory = u32(4);
  if (directory > size - 2) return 1;
  size_t entries = u16(directory);
  for (size_t i = 0; i < entries; ++i) {
    size_t entry = directory + 2 + 12 * i;
    if (entry + 12 > size) break;
    if (u16(entry) != kOrientationTag) continue;
    uint32_t value = u16(entry + 8);  // a SHORT sits at the start of the value field
    return value >= 1 && value <= 8 ? static_cast<int>(value) : 1;
  }
  return 1;
}

int JpegOrientation(const unsigned char* bytes, size_t size) {
  size_t at = 2;
  while (at + 4 <= size) {
    if (bytes[at] != 0xFF) return 1;
    unsigned char marker = bytes[at + 1];
    if (marker == 0xFF) {
      ++at;
      continue;
    }
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
      at += 2;
      continue;
    }
    if (marker == 0xDA) return 1;  // the pixels begin: the metadata came before them
    size_t length = Be16(bytes + at + 2);
    if (length < 2) return 1;
    size_t body = at + 4;
    size_t end = std::min(size, at + 2 + length);
    if (marker == 0xE1 && end >= body + 6 && std::memcmp(bytes + body, "Exif\0\0", 6) == 0) {
      return TiffOrientation(bytes + body + 6, end - body - 6);
    }
    at += 2 + length;
  }
  return 1;
}

ComPtr<IWICImagingFactory> Factory() {
  ComPtr<IWICImagingFactory> factory;
  if (FAILED(::CoCreateInstance(kClsidImagingFactory, nullptr, CLSCTX_INPROC_SERVER, __uuidof(IWICImagingFactory),
                                factory.put_void()))) {
    factory.reset();
  }
  return factory;
}

// A 32-bit top-down DIB section; its pixels belong to the section.
UniqueBitmap CreateTopDownSection(int width, int height, uint32_t** bits) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* pixels = nullptr;
  UniqueBitmap section(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0));
  *bits = section ? static_cast<uint32_t*>(pixels) : nullptr;
  return section;
}

}  // namespace

bool PictureSizeAcceptable(long width, long height) {
  if (width <= 0 || height <= 0 || width > kMaxPictureSide || height > kMaxPictureSide) return false;
  return static_cast<uint64_t>(width) * static_cast<uint64_t>(height) <= kMaxPicturePixels;
}

bool IsPngBytes(const unsigned char* bytes, size_t size) {
  return bytes && size >= 8 && std::memcmp(bytes, "\x89PNG\r\n\x1A\n", 8) == 0;
}

int PictureOrientation(const unsigned char* bytes, size_t size) {
  if (!bytes || size < 4) return 1;
  if (bytes[0] == 0xFF && bytes[1] == 0xD8) return JpegOrientation(bytes, size);
  return TiffOrientation(bytes, size);
}

void OrientPixels(const uint32_t* from, int width, int height, int orientation, uint32_t* to) {
  const bool quarter = orientation >= 5 && orientation <= 8;
  const int outWidth = quarter ? height : width;
  const int outHeight = quarter ? width : height;
  const size_t w = static_cast<size_t>(width);
  for (int y = 0; y < outHeight; ++y) {
    uint32_t* row = to + static_cast<size_t>(y) * static_cast<size_t>(outWidth);
    for (int x = 0; x < outWidth; ++x) {
      int sx = x, sy = y;
      switch (orientation) {
        case 2: sx = width - 1 - x; break;
        case 3: sx = width - 1 - x; sy = height - 1 - y; break;
        case 4: sy = height - 1 - y; break;
        case 5: sx = y; sy = x; break;
        case 6: sx = y; sy = height - 1 - x; break;
        case 7: sx = width - 1 - y; sy = height - 1 - x; break;
        case 8: sx = width - 1 - y; sy = x; break;
        default: break;
      }
      row[x] = from[static_cast<size_t>(sy) * w + static_cast<size_t>(sx)];
    }
  }
}

std::optional<Picture> DecodePicture(const unsigned char* bytes, size_t size) {
  if (!bytes || size == 0 || size > kMaxPictureFileBytes) return std::nullopt;
  ComPtr<IWICImagingFactory> factory = Factory();
  if (!factory) return std::nullopt;
  ComPtr<IWICStream> stream;
  if (FAILED(factory->CreateStream(stream.put())) ||
      FAILED(stream->InitializeFromMemory(const_cast<BYTE*>(bytes), static_cast<DWORD>(size)))) {
    return std::nullopt;
  }
  ComPtr<IWICBitmapDecoder> decoder;
  if (FAILED(factory->CreateDecoderFromStream(stream.get(), nullptr, WICDecodeMetadataCacheOnDemand, decoder.put()))) {
    return std::nullopt;
  }
  // A GIF's animation or a TIFF's further pages: the first frame is the
  // picture.
  ComPtr<IWICBitmapFrameDecode> frame;
  if (FAILED(decoder->GetFrame(0, frame.put())) || !frame) return std::nullopt;
  UINT width = 0, height = 0;
  if (FAILED(frame->GetSize(&width, &height)) || width > static_cast<UINT>(kMaxPictureSide) ||
      height > static_cast<UINT>(kMaxPictureSide) || !PictureSizeAcceptable(static_cast<long>(width), static_cast<long>(height))) {
    return std::nullopt;
  }
  ComPtr<IWICFormatConverter> converter;
  if (FAILED(factory->CreateFormatConverter(converter.put())) ||
      FAILED(converter->Initialize(frame.get(), kFormat32bppPBGRA, WICBitmapDitherTypeNone, nullptr, 0.0,
                                   WICBitmapPaletteTypeCustom))) {
    return std::nullopt;
  }
  // The codecs leave the orientation of a photo to the caller (Wine's
  // flip-rotator turns nothing but upside down, so the turn is ours).
  const int orientation = PictureOrientation(bytes, size);
  const bool quarter = orientation >= 5 && orientation <= 8;
  Picture picture;
  picture.size = quarter ? SIZE{static_cast<LONG>(height), static_cast<LONG>(width)}
                         : SIZE{static_cast<LONG>(width), static_cast<LONG>(height)};
  uint32_t* bits = nullptr;
  picture.bitmap = CreateTopDownSection(picture.size.cx, picture.size.cy, &bits);
  if (!picture.bitmap) return std::nullopt;
  const UINT stride = width * 4;
  const size_t count = static_cast<size_t>(width) * height;
  if (orientation == 1) {
    if (FAILED(converter->CopyPixels(nullptr, stride, stride * height, reinterpret_cast<BYTE*>(bits)))) {
      return std::nullopt;
    }
  } else {
    std::vector<uint32_t> stored(count);
    if (FAILED(converter->CopyPixels(nullptr, stride, stride * height, reinterpret_cast<BYTE*>(stored.data())))) {
      return std::nullopt;
    }
    OrientPixels(stored.data(), static_cast<int>(width), static_cast<int>(height), orientation, bits);
  }
  ::GdiFlush();
  picture.translucent = std::any_of(bits, bits + count, [](uint32_t p) { return (p & kOpaque) != kOpaque; });
  return picture;
}

std::optional<Pixels> TranslucentPixelsOfPackedDib(const unsigned char* bytes, size_t size) {
  constexpr uint32_t kV4HeaderBytes = 108;
  if (!bytes || size < kV4HeaderBytes) return std::nullopt;
  const uint32_t header = Le32(bytes);
  if (header < kV4HeaderBytes || header > size) return std::nullopt;
  const auto width = static_cast<int32_t>(Le32(bytes + 4));
  const auto height = static_cast<int32_t>(Le32(bytes + 8));
  const uint32_t planes = Le16(bytes + 12);
  const uint32_t bits = Le16(bytes + 14);
  const uint32_t compression = Le32(bytes + 16);
  const uint32_t colorsUsed = Le32(bytes + 32);
  if (planes != 1 || bits != 32 || (compression != BI_RGB && compression != BI_BITFIELDS)) return std::nullopt;
  if (height == INT32_MIN) return std::nullopt;
  const long rows = height < 0 ? -static_cast<long>(height) : height;
  if (!PictureSizeAcceptable(width, rows)) return std::nullopt;
  // The masks of a V4 or V5 header sit inside it; any other layout of the
  // colours is not one this reads.
  if (compression == BI_BITFIELDS &&
      (Le32(bytes + 40) != 0x00FF0000u || Le32(bytes + 44) != 0x0000FF00u || Le32(bytes + 48) != 0x000000FFu)) {
    return std::nullopt;
  }
  if (Le32(bytes + 52) != kOpaque) return std::nullopt;  // no alpha channel
  const uint64_t offset = header + 4ull * std::min<uint32_t>(colorsUsed, 256);
  const uint64_t stride = 4ull * static_cast<uint64_t>(width);
  if (offset + stride * static_cast<uint64_t>(rows) > size) return std::nullopt;
  Pixels pixels;
  pixels.width = width;
  pixels.height = static_cast<int>(rows);
  pixels.bgra.resize(static_cast<size_t>(width) * static_cast<size_t>(rows));
  for (long y = 0; y < rows; ++y) {
    // Rows are stored bottom first unless the height is negative.
    long stored = height < 0 ? y : rows - 1 - y;
    std::memcpy(&pixels.bgra[static_cast<size_t>(y) * static_cast<size_t>(width)],
                bytes + offset + static_cast<uint64_t>(stored) * stride, static_cast<size_t>(stride));
  }
  // Alpha all zero is a bitmap that never set it; all opaque has nothing to
  // keep.
  bool anyVisible = false, anyClear = false;
  for (uint32_t p : pixels.bgra) {
    anyVisible = anyVisible || (p & kOpaque) != 0;
    anyClear = anyClear || (p & kOpaque) != kOpaque;
  }
  if (!anyVisible || !anyClear) return std::nullopt;
  return pixels;
}

std::optional<Pixels> PixelsOfBitmap(HBITMAP bitmap) {
  BITMAP info{};
  if (!bitmap || ::GetObjectA(bitmap, sizeof(info), &info) != sizeof(info)) return std::nullopt;
  const long height = info.bmHeight < 0 ? -static_cast<long>(info.bmHeight) : info.bmHeight;
  if (!PictureSizeAcceptable(info.bmWidth, height)) return std::nullopt;
  UniqueMemDC dc(::CreateCompatibleDC(nullptr));
  if (!dc) return std::nullopt;
  Pixels pixels;
  pixels.width = info.bmWidth;
  pixels.height = static_cast<int>(height);
  pixels.bgra.resize(static_cast<size_t>(pixels.width) * static_cast<size_t>(pixels.height));
  BITMAPINFO request{};
  request.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  request.bmiHeader.biWidth = pixels.width;
  request.bmiHeader.biHeight = -pixels.height;
  request.bmiHeader.biPlanes = 1;
  request.bmiHeader.biBitCount = 32;
  request.bmiHeader.biCompression = BI_RGB;
  if (::GetDIBits(dc.get(), bitmap, 0, static_cast<UINT>(pixels.height), pixels.bgra.data(), &request,
                  DIB_RGB_COLORS) != pixels.height) {
    return std::nullopt;
  }
  for (uint32_t& p : pixels.bgra) p |= kOpaque;
  return pixels;
}

std::optional<std::string> EncodePicture(const GUID& container, const Pixels& pixels, bool translucent) {
  if (!PictureSizeAcceptable(pixels.width, pixels.height) ||
      pixels.bgra.size() != static_cast<size_t>(pixels.width) * static_cast<size_t>(pixels.height)) {
    return std::nullopt;
  }
  ComPtr<IWICImagingFactory> factory = Factory();
  ComPtr<IStream> memory;
  if (!factory || FAILED(::CreateStreamOnHGlobal(nullptr, TRUE, memory.put()))) return std::nullopt;
  ComPtr<IWICBitmapEncoder> encoder;
  ComPtr<IWICBitmapFrameEncode> frame;
  ComPtr<IPropertyBag2> options;
  if (FAILED(factory->CreateEncoder(container, nullptr, encoder.put())) ||
      FAILED(encoder->Initialize(memory.get(), WICBitmapEncoderNoCache)) ||
      FAILED(encoder->CreateNewFrame(frame.put(), options.put())) || FAILED(frame->Initialize(options.get())) ||
      FAILED(frame->SetSize(static_cast<UINT>(pixels.width), static_cast<UINT>(pixels.height)))) {
    return std::nullopt;
  }
  WICPixelFormatGUID format = translucent ? kFormat32bppBGRA : kFormat24bppBGR;
  const GUID asked = format;
  // The encoder answers with the format it will take; one it would convert
  // to is refused rather than guessed at.
  if (FAILED(frame->SetPixelFormat(&format)) || !::IsEqualGUID(format, asked)) return std::nullopt;
  const size_t width = static_cast<size_t>(pixels.width);
  const size_t bytesPerPixel = translucent ? 4 : 3;
  const size_t stride = (width * bytesPerPixel + 3) / 4 * 4;
  std::vector<BYTE> rows;
  for (int top = 0; top < pixels.height; top += kEncodeRows) {
    const int count = std::min(kEncodeRows, pixels.height - top);
    rows.assign(stride * static_cast<size_t>(count), 0);
    for (int y = 0; y < count; ++y) {
      const uint32_t* from = &pixels.bgra[static_cast<size_t>(top + y) * width];
      BYTE* to = &rows[static_cast<size_t>(y) * stride];
      if (translucent) {
        std::memcpy(to, from, width * 4);
        continue;
      }
      for (size_t x = 0; x < width; ++x) {
        to[3 * x] = static_cast<BYTE>(from[x]);
        to[3 * x + 1] = static_cast<BYTE>(from[x] >> 8);
        to[3 * x + 2] = static_cast<BYTE>(from[x] >> 16);
      }
    }
    if (FAILED(frame->WritePixels(static_cast<UINT>(count), static_cast<UINT>(stride),
                                  static_cast<UINT>(rows.size()), rows.data()))) {
      return std::nullopt;
    }
  }
  if (FAILED(frame->Commit()) || FAILED(encoder->Commit())) return std::nullopt;
  STATSTG stat{};
  HGLOBAL block = nullptr;
  if (FAILED(memory->Stat(&stat, STATFLAG_NONAME)) || FAILED(::GetHGlobalFromStream(memory.get(), &block)) ||
      stat.cbSize.QuadPart > ::GlobalSize(block)) {
    return std::nullopt;
  }
  const void* data = ::GlobalLock(block);
  if (!data) return std::nullopt;
  std::string bytes(static_cast<const char*>(data), static_cast<size_t>(stat.cbSize.QuadPart));
  ::GlobalUnlock(block);
  return bytes;
}

std::optional<std::string> EncodePng(const Pixels& pixels, bool translucent) {
  return EncodePicture(kContainerPng, pixels, translucent);
}

}  // namespace memo
