#include "platform/picture.h"

#include <cstring>

#include "platform/files.h"
#include "platform/ui_backend.h"

namespace win {

namespace {

constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiBitfields = 3;
// Larger pictures are refused rather than allocated (a damaged header must
// not ask for gigabytes).
constexpr int64_t kMaxPixels = 64LL * 1024 * 1024;

uint16_t U16(const std::string& b, size_t at) {
  return static_cast<uint16_t>(static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1]) << 8);
}
uint32_t U32(const std::string& b, size_t at) {
  return static_cast<uint32_t>(U16(b, at)) | static_cast<uint32_t>(U16(b, at + 2)) << 16;
}

bool Fail(std::string& error, const char* reason) {
  error = reason;
  return false;
}

}  // namespace

bool DecodeBmp(const std::string& bytes, Bitmap& picture, std::string& error) {
  if (bytes.size() < 14 + 12 || bytes[0] != 'B' || bytes[1] != 'M') return Fail(error, "not a BMP file");
  const uint32_t dataOffset = U32(bytes, 10);
  const uint32_t headerSize = U32(bytes, 14);
  if (headerSize < 40 || 14 + uint64_t{headerSize} > bytes.size())
    return Fail(error, "unsupported or truncated BMP header");
  const int32_t width = static_cast<int32_t>(U32(bytes, 18));
  const int32_t rawHeight = static_cast<int32_t>(U32(bytes, 22));
  const uint16_t planes = U16(bytes, 26);
  const uint16_t bits = U16(bytes, 28);
  const uint32_t compression = U32(bytes, 30);
  uint32_t colorsUsed = U32(bytes, 46);
  if (planes != 1) return Fail(error, "bad plane count");
  if (width <= 0 || rawHeight == 0 || rawHeight == INT32_MIN) return Fail(error, "bad picture size");
  const bool topDown = rawHeight < 0;
  const int32_t height = topDown ? -rawHeight : rawHeight;
  if (int64_t{width} * height > kMaxPixels) return Fail(error, "picture too large");
  if (bits != 8 && bits != 24 && bits != 32) return Fail(error, "unsupported bit depth");
  if (!(compression == kBiRgb || (compression == kBiBitfields && bits == 32)))
    return Fail(error, "compressed BMP not supported");

  std::vector<COLORREF> palette;
  if (bits == 8) {
    if (colorsUsed == 0) colorsUsed = 256;
    if (colorsUsed > 256) return Fail(error, "bad palette size");
    const uint64_t paletteAt = 14 + uint64_t{headerSize};
    if (paletteAt + uint64_t{colorsUsed} * 4 > bytes.size()) return Fail(error, "truncated palette");
    for (uint32_t i = 0; i < colorsUsed; ++i) {
      const size_t at = paletteAt + i * 4;
      palette.push_back(RGB(static_cast<uint8_t>(bytes[at + 2]), static_cast<uint8_t>(bytes[at + 1]),
                            static_cast<uint8_t>(bytes[at])));
    }
  }
  // 32-bit pictures with bit fields: the usual masks only (BGRA order). The
  // masks follow a 40-byte header and lie inside the later, larger headers.
  if (compression == kBiBitfields) {
    constexpr size_t kMasksAt = 14 + 40;
    if (kMasksAt + 12 > bytes.size()) return Fail(error, "truncated colour masks");
    if (U32(bytes, kMasksAt) != 0x00FF0000 || U32(bytes, kMasksAt + 4) != 0x0000FF00 ||
        U32(bytes, kMasksAt + 8) != 0x000000FF)
      return Fail(error, "unsupported colour masks");
  }

  const uint64_t stride = (static_cast<uint64_t>(width) * bits + 31) / 32 * 4;
  if (dataOffset < 14 + headerSize || dataOffset + stride * height > bytes.size())
    return Fail(error, "truncated pixel data");

  Bitmap result(width, height);
  for (int32_t row = 0; row < height; ++row) {
    const int32_t y = topDown ? row : height - 1 - row;
    const uint8_t* src = reinterpret_cast<const uint8_t*>(bytes.data()) + dataOffset + stride * row;
    COLORREF* dst = result.Row(y);
    for (int32_t x = 0; x < width; ++x) {
      if (bits == 8) {
        const uint8_t index = src[x];
        dst[x] = index < palette.size() ? palette[index] : kClBlack;
      } else {
        const uint8_t* p = src + x * (bits / 8);
        dst[x] = RGB(p[2], p[1], p[0]);
      }
    }
  }
  picture = std::move(result);
  return true;
}

bool DecodePng(const std::string& bytes, Bitmap& picture, std::string& error) {
  return backend::DecodePng(bytes, picture, error);
}

bool DecodePicture(const std::string& bytes, Bitmap& picture, std::string& error) {
  static const char kPngSignature[] = "\x89PNG\r\n\x1a\n";
  if (bytes.size() >= 8 && std::memcmp(bytes.data(), kPngSignature, 8) == 0) return DecodePng(bytes, picture, error);
  return DecodeBmp(bytes, picture, error);
}

bool LoadBmpFile(const String& path, Bitmap& picture) {
  std::string bytes, error;
  return ReadFileBytes(path, bytes) && DecodeBmp(bytes, picture, error);
}

bool LoadPngFile(const String& path, Bitmap& picture) {
  std::string bytes, error;
  return ReadFileBytes(path, bytes) && DecodePng(bytes, picture, error);
}

bool LoadPictureFile(const String& path, Bitmap& picture) {
  if (SameText(ExtractFileExt(path), u".png")) return LoadPngFile(path, picture);
  std::string bytes, error;
  return ReadFileBytes(path, bytes) && DecodePicture(bytes, picture, error);
}

std::string EncodeBmp(const Bitmap& picture) {
  const uint32_t stride = (static_cast<uint32_t>(picture.Width()) * 3 + 3) / 4 * 4;
  const uint32_t dataSize = stride * picture.Height();
  std::string out(54 + dataSize, '\0');
  auto put16 = [&](size_t at, uint16_t v) { out[at] = char(v & 0xFF); out[at + 1] = char(v >> 8); };
  auto put32 = [&](size_t at, uint32_t v) { put16(at, v & 0xFFFF); put16(at + 2, v >> 16); };
  out[0] = 'B';
  out[1] = 'M';
  put32(2, 54 + dataSize);
  put32(10, 54);
  put32(14, 40);
  put32(18, picture.Width());
  put32(22, picture.Height());
  put16(26, 1);
  put16(28, 24);
  put32(34, dataSize);
  put32(38, 2835);
  put32(42, 2835);
  for (int32_t y = 0; y < picture.Height(); ++y) {
    const size_t rowAt = 54 + size_t{stride} * (picture.Height() - 1 - y);
    for (int32_t x = 0; x < picture.Width(); ++x) {
      const COLORREF c = picture.Pixel(x, y);
      out[rowAt + x * 3] = char(GetBValue(c));
      out[rowAt + x * 3 + 1] = char(GetGValue(c));
      out[rowAt + x * 3 + 2] = char(GetRValue(c));
    }
  }
  return out;
}

bool SavePng(const Bitmap& picture, const std::string& nativePath) {
  return backend::SavePngFile(picture, nativePath);
}

}  // namespace win
