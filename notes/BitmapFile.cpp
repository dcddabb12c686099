// Windows bitmap files written from bitmap handles.
#include "notes/BitmapFile.h"

#include <cstring>

#include "store/Handles.h"

namespace memo {
namespace {

constexpr uint32_t kFileHeaderBytes = 14;
constexpr uint32_t kInfoHeaderBytes = 40;
constexpr uint32_t kHeadersBytes = kFileHeaderBytes + kInfoHeaderBytes;
constexpr int kMaxColors = 256;

void Put16(std::string& out, uint32_t value) {
  out.push_back(static_cast<char>(value & 0xFF));
  out.push_back(static_cast<char>((value >> 8) & 0xFF));
}

void Put32(std::string& out, uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

bool UsesMasks(int bitsPerPixel) { return bitsPerPixel == 16 || bitsPerPixel == 32; }

// The bitmap's own colour table, as a DIB section keeps it; a device
// dependent bitmap of 8 bits or fewer has none there, so its table is asked
// of GetDIBits, which reports the colours its pixels will be fetched in.
std::vector<RGBQUAD> ReadColorTable(HDC dc, HBITMAP bitmap, const BITMAP& info) {
  std::vector<RGBQUAD> colors(kMaxColors);
  {
    SelectScope select(dc, bitmap);
    UINT n = ::GetDIBColorTable(dc, 0, kMaxColors, colors.data());
    if (n > 0) {
      colors.resize(n);
      return colors;
    }
  }
  if (info.bmBitsPixel != 4 && info.bmBitsPixel != 8) return {};
  struct {
    BITMAPINFOHEADER header;
    RGBQUAD colors[kMaxColors];
  } query{};
  query.header.biSize = sizeof(BITMAPINFOHEADER);
  query.header.biWidth = info.bmWidth;
  query.header.biHeight = info.bmHeight;
  query.header.biPlanes = 1;
  query.header.biBitCount = info.bmBitsPixel;
  query.header.biCompression = BI_RGB;
  if (!::GetDIBits(dc, bitmap, 0, 0, nullptr, reinterpret_cast<BITMAPINFO*>(&query), DIB_RGB_COLORS)) return {};
  colors.assign(query.colors, query.colors + (info.bmBitsPixel == 4 ? 16 : 256));
  return colors;
}

// Whether a 16-bit bitmap holds 5-5-5 pixels: its first pixel is set to
// 0x0400, which is red in 5-5-5 and green in 5-6-5, and put back after.
bool ProbeFiveFiveFive(HDC dc, HBITMAP bitmap) {
  BYTE saved[4] = {};
  if (::GetBitmapBits(bitmap, sizeof(saved), saved) <= 0) return false;
  BYTE probe[4];
  std::memcpy(probe, saved, sizeof(probe));
  probe[0] = 0x00;
  probe[1] = 0x04;
  ::SetBitmapBits(bitmap, sizeof(probe), probe);
  COLORREF color;
  {
    SelectScope select(dc, bitmap);
    color = ::GetPixel(dc, 0, 0);
  }
  ::SetBitmapBits(bitmap, sizeof(saved), saved);
  return color != CLR_INVALID && GetRValue(color) != 0;
}

}  // namespace

std::vector<RGBQUAD> FileColorTable(int bitsPerPixel, const std::vector<RGBQUAD>& read) {
  if (bitsPerPixel > 8) return {};
  if (bitsPerPixel == 1 && read.empty()) return {RGBQUAD{0, 0, 0, 0}, RGBQUAD{255, 255, 255, 0}};
  size_t most = size_t{1} << bitsPerPixel;
  return std::vector<RGBQUAD>(read.begin(), read.begin() + static_cast<std::ptrdiff_t>(std::min(most, read.size())));
}

std::optional<BitmapFileHeaders> MakeBitmapFileHeaders(const BitmapFormat& format) {
  const int bits = format.bitsPerPixel;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return std::nullopt;
  if (format.width <= 0 || format.height <= 0 || format.widthBytes <= 0 || format.planes != 1) return std::nullopt;
  if (format.colors.size() > kMaxColors) return std::nullopt;
  // The scan line must hold the pixels it claims; GetDIBits fills whole
  // rows of the header's width.
  const uint64_t rowBits = static_cast<uint64_t>(format.width) * static_cast<uint64_t>(bits);
  const uint64_t minimalStride = (rowBits + 31) / 32 * 4;
  const uint64_t stride = (static_cast<uint64_t>(format.widthBytes) + 3) / 4 * 4;
  if (stride < minimalStride) return std::nullopt;
  const bool masks = UsesMasks(bits);
  const uint64_t tableBytes = 4 * (format.colors.size() + (masks ? 3 : 0));
  const uint64_t imageSize = stride * static_cast<uint64_t>(format.height);
  const uint64_t fileSize = kHeadersBytes + tableBytes + imageSize;
  if (fileSize > UINT32_MAX) return std::nullopt;

  BitmapFileHeaders headers;
  headers.stride = static_cast<uint32_t>(stride);
  headers.imageSize = static_cast<uint32_t>(imageSize);
  std::string& out = headers.bytes;
  Put16(out, 0x4D42);  // "BM"
  Put32(out, static_cast<uint32_t>(fileSize));
  Put16(out, 0);
  Put16(out, 0);
  Put32(out, static_cast<uint32_t>(kHeadersBytes + tableBytes));
  Put32(out, kInfoHeaderBytes);
  Put32(out, static_cast<uint32_t>(format.width));
  Put32(out, static_cast<uint32_t>(format.height));
  Put16(out, static_cast<uint32_t>(format.planes));
  Put16(out, static_cast<uint32_t>(bits));
  Put32(out, masks ? BI_BITFIELDS : BI_RGB);
  Put32(out, headers.imageSize);
  Put32(out, 0);
  Put32(out, 0);
  Put32(out, static_cast<uint32_t>(format.colors.size()));
  Put32(out, static_cast<uint32_t>(format.colors.size()));
  for (const RGBQUAD& c : format.colors) {
    out.push_back(static_cast<char>(c.rgbBlue));
    out.push_back(static_cast<char>(c.rgbGreen));
    out.push_back(static_cast<char>(c.rgbRed));
    out.push_back(0);
  }
  if (bits == 32) {
    for (uint32_t mask : {0xFF0000u, 0x00FF00u, 0x0000FFu}) Put32(out, mask);
  } else if (bits == 16) {
    const uint32_t red = format.fiveFiveFive ? 0x7C00u : 0xF800u;
    const uint32_t green = format.fiveFiveFive ? 0x03E0u : 0x07E0u;
    for (uint32_t mask : {red, green, 0x001Fu}) Put32(out, mask);
  }
  return headers;
}

bool WriteBitmapFile(HBITMAP bitmap, const std::string& path) {
  if (!bitmap || path.empty()) return false;
  BITMAP info{};
  if (::GetObjectA(bitmap, sizeof(info), &info) != sizeof(info)) return false;
  UniqueMemDC dc(::CreateCompatibleDC(nullptr));
  if (!dc) return false;

  BitmapFormat format;
  format.width = info.bmWidth;
  format.height = info.bmHeight < 0 ? -info.bmHeight : info.bmHeight;
  format.widthBytes = info.bmWidthBytes;
  format.planes = info.bmPlanes;
  format.bitsPerPixel = info.bmBitsPixel;
  if (format.bitsPerPixel <= 8) format.colors = FileColorTable(format.bitsPerPixel, ReadColorTable(dc.get(), bitmap, info));
  if (format.bitsPerPixel == 16) format.fiveFiveFive = ProbeFiveFiveFive(dc.get(), bitmap);
  std::optional<BitmapFileHeaders> headers = MakeBitmapFileHeaders(format);
  if (!headers) return false;

  // GetDIBits reads its request from the info header and colour table or
  // masks that follow it: the same bytes the file carries.
  std::vector<DWORD> request((headers->bytes.size() - kFileHeaderBytes + sizeof(RGBQUAD) * kMaxColors) / 4 + 1, 0);
  std::memcpy(request.data(), headers->bytes.data() + kFileHeaderBytes, headers->bytes.size() - kFileHeaderBytes);
  auto* bmi = reinterpret_cast<BITMAPINFO*>(request.data());

  UniqueHandle file(::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  auto writeAll = [&](const void* data, DWORD size) {
    DWORD written = 0;
    return ::WriteFile(file.get(), data, size, &written, nullptr) && written == size;
  };
  bool ok = writeAll(headers->bytes.data(), static_cast<DWORD>(headers->bytes.size()));
  std::vector<BYTE> row(headers->stride);
  // Scan line 0 of a bottom-up request is the bottom row: fetching lines in
  // order writes the rows bottom first, one line of memory at a time.
  for (int line = 0; ok && line < format.height; ++line) {
    ok = ::GetDIBits(dc.get(), bitmap, static_cast<UINT>(line), 1, row.data(), bmi, DIB_RGB_COLORS) == 1 &&
         writeAll(row.data(), headers->stride);
  }
  file.reset();
  if (!ok) ::DeleteFileA(path.c_str());
  return ok;
}

}  // namespace memo
