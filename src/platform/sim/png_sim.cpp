// PNG pictures on the host: libpng's simplified interface, which reports a
// damaged or truncated file as a failure instead of jumping out of the caller.
#include <png.h>

#include <cstring>
#include <vector>

#include "platform/ui_backend.h"

namespace win::backend {

namespace {
constexpr uint64_t kMaxPixels = 64ULL * 1024 * 1024;
}

bool DecodePng(const std::string& bytes, Bitmap& picture, std::string& error) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) {
    error = image.message[0] ? image.message : "not a PNG file";
    return false;
  }
  if (image.width == 0 || image.height == 0 || uint64_t{image.width} * image.height > kMaxPixels) {
    png_image_free(&image);
    error = "bad picture size";
    return false;
  }
  // RGBA, then the alpha is dropped: only the colour counts.
  image.format = PNG_FORMAT_RGBA;
  std::vector<png_byte> buffer(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, buffer.data(), 0, nullptr)) {
    error = image.message[0] ? image.message : "damaged PNG file";
    png_image_free(&image);
    return false;
  }
  Bitmap result(static_cast<int32_t>(image.width), static_cast<int32_t>(image.height));
  for (uint32_t y = 0; y < image.height; ++y) {
    const png_byte* row = buffer.data() + size_t{y} * image.width * 4;
    COLORREF* out = result.Row(static_cast<int32_t>(y));
    for (uint32_t x = 0; x < image.width; ++x) out[x] = RGB(row[x * 4], row[x * 4 + 1], row[x * 4 + 2]);
  }
  picture = std::move(result);
  return true;
}

bool SavePngFile(const Bitmap& picture, const std::string& nativePath) {
  if (picture.Empty()) return false;
  std::vector<png_byte> buffer(size_t{static_cast<uint32_t>(picture.Width())} * picture.Height() * 3);
  for (int32_t y = 0; y < picture.Height(); ++y)
    for (int32_t x = 0; x < picture.Width(); ++x) {
      const COLORREF c = picture.Row(y)[x];
      png_byte* p = &buffer[(size_t{static_cast<uint32_t>(y)} * picture.Width() + x) * 3];
      p[0] = GetRValue(c);
      p[1] = GetGValue(c);
      p[2] = GetBValue(c);
    }
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(picture.Width());
  image.height = static_cast<png_uint_32>(picture.Height());
  image.format = PNG_FORMAT_RGB;
  const std::string temporary = nativePath + ".part";
  if (!png_image_write_to_file(&image, temporary.c_str(), 0, buffer.data(), 0, nullptr)) {
    std::remove(temporary.c_str());
    return false;
  }
  return std::rename(temporary.c_str(), nativePath.c_str()) == 0;
}

}  // namespace win::backend
