// Picture files: BMP (24 and 32 bits, 8-bit palette, bottom-up and top-down)
// and PNG, converted to the 24-bit Bitmap. A truncated or malformed file is
// refused with a short reason; nothing here throws or reads past the data.
#pragma once

#include <string>

#include "platform/graphics.h"
#include "platform/strings.h"

namespace win {

// A Windows bitmap file's bytes (BITMAPFILEHEADER + BITMAPINFOHEADER or a
// later header; uncompressed 8, 24 or 32 bits, or 8 bits with BI_RLE8 not
// supported). An alpha byte of a 32-bit file is ignored.
[[nodiscard]] bool DecodeBmp(const std::string& bytes, Bitmap& picture, std::string& error);
// A PNG file's bytes (the backend's decoder: libpng on the host, WIC on
// Windows). The alpha channel is dropped: only the colour counts.
[[nodiscard]] bool DecodePng(const std::string& bytes, Bitmap& picture, std::string& error);
// Picks the decoder by the file's signature ("BM" or the PNG signature).
[[nodiscard]] bool DecodePicture(const std::string& bytes, Bitmap& picture, std::string& error);

// Reads a picture file at a Windows path. False (picture unchanged) when the
// file is missing or unreadable or its contents are not a picture.
[[nodiscard]] bool LoadBmpFile(const String& path, Bitmap& picture);
[[nodiscard]] bool LoadPngFile(const String& path, Bitmap& picture);
// A ".png" file (any letter case) as PNG, any other by its contents.
[[nodiscard]] bool LoadPictureFile(const String& path, Bitmap& picture);

// 24-bit bottom-up BMP bytes of a picture (for tests and tools).
std::string EncodeBmp(const Bitmap& picture);
// Saves a picture as PNG at a path of the machine the program runs on (a
// host path on the simulated machine: snapshots for people to look at).
[[nodiscard]] bool SavePng(const Bitmap& picture, const std::string& nativePath);

}  // namespace win
