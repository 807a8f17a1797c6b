// Frames of a picture strip and the outline of a picture.
#include <gtest/gtest.h>

#include <vector>

#include "platform/graphics.h"
#include "skin/skin_graphiceengine.h"

namespace {

using win::Bitmap;
using win::Rect;

constexpr win::COLORREF kRed = win::RGB(255, 0, 0);
constexpr win::COLORREF kBlue = win::RGB(0, 0, 255);

// Rows of a picture as characters: '.' is red, anything else blue.
Bitmap Picture(const std::vector<const char*>& rows) {
  const int32_t width = static_cast<int32_t>(std::char_traits<char>::length(rows[0]));
  Bitmap picture(width, static_cast<int32_t>(rows.size()));
  for (size_t y = 0; y < rows.size(); ++y)
    for (int32_t x = 0; x < width; ++x)
      picture.SetPixel(x, static_cast<int32_t>(y), rows[y][x] == '.' ? kRed : kBlue);
  return picture;
}

struct OutlineCase {
  const char* name;
  std::vector<const char*> rows;
  std::vector<Rect> runs;
};

TEST(ShapeWindow, OneRectanglePerRunOfNonKeyPixels) {
  const OutlineCase cases[] = {
      {"red, blue, red", {".#."}, {{1, 0, 2, 1}}},
      {"one colour", {"...", "..."}, {}},
      {"runs end at the right edge and never span rows",
       {".##", "#.#", "##."},
       {{1, 0, 3, 1}, {0, 1, 1, 2}, {2, 1, 3, 2}, {0, 2, 2, 3}}},
      {"key colour inside the drawing makes holes",
       {".....", ".###.", ".#.#.", ".###.", "....."},
       {{1, 1, 4, 2}, {1, 2, 2, 3}, {3, 2, 4, 3}, {1, 3, 4, 4}}},
  };
  const TskinGraphiceEngine engine;
  for (const OutlineCase& c : cases) {
    const win::Region region = engine.Outline(Picture(c.rows));
    EXPECT_EQ(region.Rects(), c.runs) << c.name;
  }
}

TEST(ShapeWindow, AreaIsClippedToThePicture) {
  const TskinGraphiceEngine engine;
  const Bitmap picture = Picture({".##", ".##"});
  EXPECT_EQ(engine.Outline(picture, 2, 1).Rects(), (std::vector<Rect>{{1, 0, 2, 1}}));
  EXPECT_EQ(engine.Outline(picture, 50, 50).Rects(),
            (std::vector<Rect>{{1, 0, 3, 1}, {1, 1, 3, 2}}));
  EXPECT_TRUE(engine.Outline(picture, 0, 2).Empty());
  EXPECT_TRUE(engine.Outline(Bitmap()).Empty());
}

TEST(CopyFrame, TakesOneEqualSliceOfTheStrip) {
  // Column x of the strip has the red value x (modulo 256).
  Bitmap strip(200, 3);
  for (int32_t x = 0; x < 200; ++x)
    for (int32_t y = 0; y < 3; ++y) strip.SetPixel(x, y, win::RGB(x, y, 0));
  const TskinGraphiceEngine engine;
  Bitmap frame;
  engine.CopyFrame(frame, strip, 2, 4);
  ASSERT_EQ(frame.Width(), 50);
  ASSERT_EQ(frame.Height(), 3);
  EXPECT_EQ(frame.Pixel(0, 0), win::RGB(100, 0, 0));
  EXPECT_EQ(frame.Pixel(49, 2), win::RGB(149, 2, 0));

  // A strip whose width is not a multiple of the count: the rest is unused.
  Bitmap odd(203, 1);
  for (int32_t x = 0; x < 203; ++x) odd.SetPixel(x, 0, win::RGB(x, 0, 0));
  engine.CopyFrame(frame, odd, 3, 4);
  EXPECT_EQ(frame.Width(), 50);
  EXPECT_EQ(frame.Pixel(49, 0), win::RGB(199, 0, 0));

  engine.CopyFrame(frame, strip, 0, 0);
  EXPECT_TRUE(frame.Empty());
}

}  // namespace
