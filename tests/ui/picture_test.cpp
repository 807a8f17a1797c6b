// Picture files: the BMP forms the skins come in, PNG, and damaged files.
#include <gtest/gtest.h>
#include <png.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/picture.h"
#include "support/sim_machine.h"

namespace {

using win::Bitmap;
using win::COLORREF;
using win::RGB;

// The 3 by 2 picture every fixture holds: red green blue / white black grey.
const COLORREF kPixels[2][3] = {{RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255)},
                                {RGB(255, 255, 255), RGB(0, 0, 0), RGB(128, 128, 128)}};

void Put16(std::string& b, size_t at, uint32_t v) {
  b[at] = char(v & 0xFF);
  b[at + 1] = char((v >> 8) & 0xFF);
}
void Put32(std::string& b, size_t at, uint32_t v) {
  Put16(b, at, v & 0xFFFF);
  Put16(b, at + 2, v >> 16);
}

// A BMP file of the fixture picture: 8 bits (palette of the six colours
// plus unused entries), 24 or 32 bits, stored bottom-up or top-down.
std::string MakeBmp(int bits, bool topDown) {
  const int w = 3, h = 2;
  const uint32_t paletteSize = bits == 8 ? 8 * 4 : 0;
  const uint32_t stride = (w * bits + 31) / 32 * 4;
  const uint32_t offset = 14 + 40 + paletteSize;
  std::string b(offset + stride * h, '\0');
  b[0] = 'B';
  b[1] = 'M';
  Put32(b, 2, static_cast<uint32_t>(b.size()));
  Put32(b, 10, offset);
  Put32(b, 14, 40);
  Put32(b, 18, w);
  Put32(b, 22, static_cast<uint32_t>(topDown ? -h : h));
  Put16(b, 26, 1);
  Put16(b, 28, bits);
  if (bits == 8) {
    Put32(b, 46, 8);
    // Palette in a shuffled order, so indices are not the colours' order.
    const COLORREF palette[8] = {RGB(9, 9, 9),       kPixels[1][2], kPixels[0][1], kPixels[1][0],
                                 kPixels[0][0],      kPixels[1][1], kPixels[0][2], RGB(7, 7, 7)};
    for (int i = 0; i < 8; ++i) {
      b[54 + i * 4] = char(win::GetBValue(palette[i]));
      b[54 + i * 4 + 1] = char(win::GetGValue(palette[i]));
      b[54 + i * 4 + 2] = char(win::GetRValue(palette[i]));
    }
    const int index[2][3] = {{4, 2, 6}, {3, 5, 1}};
    for (int y = 0; y < h; ++y) {
      const size_t row = offset + stride * (topDown ? y : h - 1 - y);
      for (int x = 0; x < w; ++x) b[row + x] = char(index[y][x]);
    }
    return b;
  }
  for (int y = 0; y < h; ++y) {
    const size_t row = offset + stride * (topDown ? y : h - 1 - y);
    for (int x = 0; x < w; ++x) {
      const size_t at = row + x * (bits / 8);
      b[at] = char(win::GetBValue(kPixels[y][x]));
      b[at + 1] = char(win::GetGValue(kPixels[y][x]));
      b[at + 2] = char(win::GetRValue(kPixels[y][x]));
      if (bits == 32) b[at + 3] = char(0x7F);  // alpha is ignored
    }
  }
  return b;
}

// A PNG file written by libpng, with an alpha channel when asked.
std::string MakePng(bool alpha) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = 3;
  image.height = 2;
  image.format = alpha ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
  const int channels = alpha ? 4 : 3;
  std::vector<png_byte> pixels(3 * 2 * channels);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) {
      png_byte* p = &pixels[(y * 3 + x) * channels];
      p[0] = win::GetRValue(kPixels[y][x]);
      p[1] = win::GetGValue(kPixels[y][x]);
      p[2] = win::GetBValue(kPixels[y][x]);
      if (alpha) p[3] = static_cast<png_byte>(x * 100);  // fully transparent at x = 0
    }
  png_alloc_size_t size = 0;
  EXPECT_TRUE(png_image_write_to_memory(&image, nullptr, &size, 0, pixels.data(), 0, nullptr));
  std::string bytes(size, '\0');
  EXPECT_TRUE(png_image_write_to_memory(&image, bytes.data(), &size, 0, pixels.data(), 0, nullptr));
  bytes.resize(size);
  return bytes;
}

void ExpectFixturePicture(const Bitmap& picture) {
  ASSERT_EQ(picture.Width(), 3);
  ASSERT_EQ(picture.Height(), 2);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(picture.Pixel(x, y), kPixels[y][x]) << x << "," << y;
}

TEST(Pictures, BmpFormsDecodeToTheSamePicture) {
  struct Case {
    int bits;
    bool topDown;
  };
  for (const Case c : {Case{24, false}, Case{24, true}, Case{32, false}, Case{32, true}, Case{8, false},
                       Case{8, true}}) {
    SCOPED_TRACE(std::to_string(c.bits) + (c.topDown ? " top-down" : " bottom-up"));
    Bitmap picture;
    std::string error;
    ASSERT_TRUE(win::DecodeBmp(MakeBmp(c.bits, c.topDown), picture, error)) << error;
    ExpectFixturePicture(picture);
  }
}

TEST(Pictures, PngDecodesWithItsAlphaDropped) {
  for (bool alpha : {false, true}) {
    Bitmap picture;
    std::string error;
    ASSERT_TRUE(win::DecodePicture(MakePng(alpha), picture, error)) << error;
    // Only the colour counts: a fully transparent pixel keeps its colour.
    ExpectFixturePicture(picture);
  }
}

TEST(Pictures, DamagedFilesAreRefusedWithoutTouchingThePicture) {
  const std::string bmp = MakeBmp(24, false);
  const std::string png = MakePng(true);
  auto patched = [](std::string b, size_t at, uint32_t value, int width) {
    if (width == 16) Put16(b, at, value);
    else Put32(b, at, value);
    return b;
  };
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"empty", ""},
      {"header cut", bmp.substr(0, 20)},
      {"info header cut", bmp.substr(0, 40)},
      {"pixels cut", bmp.substr(0, bmp.size() - 1)},
      {"not a bitmap", "XM" + bmp.substr(2)},
      {"16 bits", patched(bmp, 28, 16, 16)},
      {"run-length compressed", patched(bmp, 30, 1, 32)},
      {"zero width", patched(bmp, 18, 0, 32)},
      {"huge", patched(patched(bmp, 18, 100000, 32), 22, 100000, 32)},
      {"pixel offset past the end", patched(bmp, 10, 100000, 32)},
      {"palette past the end", patched(MakeBmp(8, false).substr(0, 70), 46, 256, 32)},
      {"palette too large", patched(MakeBmp(8, false), 46, 300, 32)},
      {"png cut in the middle", png.substr(0, png.size() / 2)},
      {"png signature only", png.substr(0, 8)},
      {"png with garbage", png.substr(0, 16) + std::string(64, '\x5A')},
  };
  for (const auto& [name, bytes] : cases) {
    SCOPED_TRACE(name);
    Bitmap picture(1, 1, RGB(1, 2, 3));
    std::string error;
    EXPECT_FALSE(win::DecodePicture(bytes, picture, error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(picture, Bitmap(1, 1, RGB(1, 2, 3)));
  }
}

TEST(Pictures, FilesLoadByExtensionAndMissingOnesFail) {
  zxtest::TempMachine machine;
  machine.WriteFile(u"C:\\Skins\\English\\Next.bmp", MakeBmp(24, false));
  machine.WriteFile(u"C:\\Skins\\English\\Next.png", MakePng(false));
  machine.WriteFile(u"C:\\Skins\\English\\Broken.bmp", MakeBmp(24, false).substr(0, 60));
  for (const char16_t* path : {u"C:\\Skins\\English\\Next.bmp", u"C:\\Skins\\English\\Next.png"}) {
    Bitmap picture;
    ASSERT_TRUE(win::LoadPictureFile(path, picture));
    ExpectFixturePicture(picture);
  }
  Bitmap kept(2, 2);
  EXPECT_FALSE(win::LoadPictureFile(u"C:\\Skins\\English\\Broken.bmp", kept));
  EXPECT_FALSE(win::LoadPictureFile(u"C:\\Skins\\English\\Missing.bmp", kept));
  EXPECT_FALSE(win::LoadBmpFile(u"C:\\Skins\\English\\Next.png", kept));
  EXPECT_EQ(kept, Bitmap(2, 2));
  // The encoder used for fixtures elsewhere reads back unchanged.
  Bitmap roundTrip;
  std::string error;
  Bitmap original;
  ASSERT_TRUE(win::DecodeBmp(MakeBmp(8, true), original, error));
  ASSERT_TRUE(win::DecodeBmp(win::EncodeBmp(original), roundTrip, error));
  EXPECT_EQ(roundTrip, original);
}

}  // namespace
