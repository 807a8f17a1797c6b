// Pictures, regions, colours, fonts and a drawing surface: the portable pieces
// the skin engine and the screens draw with. Only measuring and drawing text
// with a real font and putting a finished picture on a window belong to the
// backend (platform/ui_backend.h); everything here behaves the same on both.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/strings.h"

// <windows.h> defines these names as macros; a backend file that includes it
// uses the functions below under their own names.
#undef RGB
#undef GetRValue
#undef GetGValue
#undef GetBValue
#undef TextOut

namespace win {

// A Windows COLORREF: red | green << 8 | blue << 16.
using COLORREF = uint32_t;

constexpr COLORREF RGB(uint32_t red, uint32_t green, uint32_t blue) {
  return (red & 0xFF) | ((green & 0xFF) << 8) | ((blue & 0xFF) << 16);
}
constexpr uint8_t GetRValue(COLORREF color) { return color & 0xFF; }
constexpr uint8_t GetGValue(COLORREF color) { return (color >> 8) & 0xFF; }
constexpr uint8_t GetBValue(COLORREF color) { return (color >> 16) & 0xFF; }

// The toolkit's named colours. System colours carry the high bit and are
// turned into plain colours by ColorToRGB.
constexpr COLORREF kClBlack = 0x000000;
constexpr COLORREF kClWhite = 0xFFFFFF;
constexpr COLORREF kClMaroon = 0x000080;  // the disabled caption colour 128
constexpr COLORREF kClGray = 0x808080;
constexpr COLORREF kClBtnFace = 0x8000000F;
constexpr COLORREF kClWindow = 0x80000005;
constexpr COLORREF kClWindowText = 0x80000008;
constexpr COLORREF kClNone = 0x1FFFFFFF;
// Plain 24-bit colour of a toolkit colour (system colours as a classic
// Windows theme paints them).
COLORREF ColorToRGB(COLORREF color);

struct Point {
  int32_t x = 0;
  int32_t y = 0;
  bool operator==(const Point&) const = default;
};

struct Size {
  int32_t cx = 0;
  int32_t cy = 0;
  bool operator==(const Size&) const = default;
};

// A rectangle with the right and bottom edges excluded, as Windows keeps it.
struct Rect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
  int32_t Width() const { return right - left; }
  int32_t Height() const { return bottom - top; }
  bool IsEmpty() const { return right <= left || bottom <= top; }
  bool Contains(int32_t x, int32_t y) const { return x >= left && x < right && y >= top && y < bottom; }
  bool operator==(const Rect&) const = default;
};
Rect Intersect(const Rect& a, const Rect& b);  // empty rectangle when disjoint

// A 24-bit colour picture: width by height pixels, each a COLORREF whose top
// byte is always 0. Rows run top to bottom. Reading a pixel outside the
// picture gives black; writing one outside changes nothing.
class Bitmap {
 public:
  Bitmap() = default;
  Bitmap(int32_t width, int32_t height, COLORREF fill = kClBlack);

  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  bool Empty() const { return width_ <= 0 || height_ <= 0; }
  // New size; the pixels kept where old and new overlap, the rest filled.
  void SetSize(int32_t width, int32_t height, COLORREF fill = kClBlack);

  COLORREF Pixel(int32_t x, int32_t y) const;
  void SetPixel(int32_t x, int32_t y, COLORREF color);
  const COLORREF* Row(int32_t y) const { return &pixels_[static_cast<size_t>(y) * width_]; }
  COLORREF* Row(int32_t y) { return &pixels_[static_cast<size_t>(y) * width_]; }

  void Fill(COLORREF color);
  void FillRect(const Rect& rect, COLORREF color);  // clipped to the picture
  // BitBlt with SRCCOPY: the source rectangle lands at (x, y), clipped on
  // both sides; no scaling.
  void CopyRect(int32_t x, int32_t y, const Bitmap& source, const Rect& sourceRect);
  // The whole source at (x, y).
  void Draw(int32_t x, int32_t y, const Bitmap& source);
  // The source scaled (nearest pixel) into the destination rectangle.
  void StretchDraw(const Rect& destination, const Bitmap& source);

  bool operator==(const Bitmap&) const = default;

 private:
  int32_t width_ = 0;
  int32_t height_ = 0;
  std::vector<COLORREF> pixels_;
};

// A window region: a set of rectangles (a point is inside when any rectangle
// holds it). Combining is RGN_OR. Rectangles with no area are dropped.
class Region {
 public:
  Region() = default;
  static Region CreateRect(const Rect& rect);
  static Region CreateRect(int32_t left, int32_t top, int32_t right, int32_t bottom);

  void Combine(const Region& other);  // RGN_OR
  void AddRect(const Rect& rect);      // RGN_OR with one rectangle
  bool Empty() const { return rects_.empty(); }
  bool Contains(int32_t x, int32_t y) const;
  // One byte per point of the width x height area from (0, 0), row by row:
  // 1 inside the region, 0 outside. Built once for a whole picture, where
  // asking Contains for every point would go through every rectangle.
  std::vector<uint8_t> Mask(int32_t width, int32_t height) const;
  Rect BoundingBox() const;  // the empty rectangle 0,0,0,0 for an empty region
  const std::vector<Rect>& Rects() const { return rects_; }
  // The same set of points, whatever rectangles describe it.
  bool SameArea(const Region& other) const;
  void Offset(int32_t dx, int32_t dy);

 private:
  std::vector<Rect> rects_;
};

// Font styles (TFontStyles).
enum FontStyle : uint32_t {
  kFsBold = 1,
  kFsItalic = 2,
  kFsUnderline = 4,
  kFsStrikeOut = 8,
};

// A font as the toolkit keeps it: a face name, a height in pixels (negative:
// the character height without internal leading, as LOGFONT's lfHeight; the
// toolkit's Height), the pixel density it was made for, styles and colour.
// Size (points) and Height are two views of the same value.
struct Font {
  String name = u"Tahoma";
  int32_t height = -11;
  int32_t pixelsPerInch = 96;
  uint32_t style = 0;
  COLORREF color = kClWindowText;

  int32_t Size() const;             // points: -height * 72 / pixelsPerInch, rounded
  void SetSize(int32_t points);     // height := -points * pixelsPerInch / 72, rounded
  bool Bold() const { return (style & kFsBold) != 0; }
  bool operator==(const Font&) const = default;
};

// Text metrics. In fixed-metrics mode (tests) every character is 10 pixels
// wide and every line 13 pixels high, whatever the font; otherwise the backend
// measures with the real font (FreeType on the host, GDI on Windows).
constexpr int32_t kFixedCharWidth = 10;
constexpr int32_t kFixedTextHeight = 13;
void SetFixedTextMetrics(bool on);
bool FixedTextMetrics();

// The width and height (one line: ascent + descent) of a text in a font.
Size MeasureText(const Font& font, StringView text);

// A drawing surface over a bitmap (the toolkit's TCanvas on a memory DC).
// Text is drawn with the canvas font's colour; with an opaque background
// (transparent false) the text's cell is first filled with the brush colour.
class Canvas {
 public:
  explicit Canvas(Bitmap& target) : target_(&target) {}

  Bitmap& Target() { return *target_; }
  Font font;
  COLORREF brushColor = kClWhite;
  bool transparent = false;  // SetBkMode(TRANSPARENT)
  // Clip rectangle for text and drawing; the whole bitmap when empty.
  Rect clip;

  int32_t TextWidth(StringView text) const { return MeasureText(font, text).cx; }
  int32_t TextHeight(StringView text) const { return MeasureText(font, text).cy; }
  Size TextExtent(StringView text) const { return MeasureText(font, text); }
  void TextOut(int32_t x, int32_t y, StringView text);
  void Draw(int32_t x, int32_t y, const Bitmap& picture);
  void StretchDraw(const Rect& destination, const Bitmap& picture);
  void CopyRect(const Rect& destination, const Bitmap& source, const Rect& sourceRect);
  void FillRect(const Rect& rect);  // with the brush colour
  void Rectangle(const Rect& rect, COLORREF pen);  // one-pixel outline

 private:
  Rect ClipRect() const;
  Bitmap* target_;
};

}  // namespace win
