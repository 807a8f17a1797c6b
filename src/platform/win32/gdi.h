// GDI helpers shared by the user-interface backend: fonts made from the
// model's Font, and 32-bit DIB sections that hold a copy of a model Bitmap.
#pragma once

#include "platform/win32/winapi.h"
#include "platform/win32/handles.h"

#include <cstdint>

#include "platform/graphics.h"

namespace win::w32 {

// A model colour (0x00BBGGRR) as a 32-bit DIB pixel (0x00RRGGBB) and back.
constexpr uint32_t DibPixel(COLORREF color) {
  return ((color & 0xFF) << 16) | (color & 0xFF00) | ((color >> 16) & 0xFF);
}
constexpr COLORREF FromDibPixel(uint32_t pixel) {
  return ((pixel & 0xFF) << 16) | (pixel & 0xFF00) | ((pixel >> 16) & 0xFF);
}

// The GDI font for a model font (cached; owned by the cache, never deleted by
// callers). Underlining is left to the model's canvas, which draws it itself.
HFONT FontHandle(const Font& font);
// Width and height of one line of text in a font.
Size MeasureWithCachedDC(const Font& font, StringView text);

// A top-down 32-bit DIB section of width by height pixels.
class DibSection {
 public:
  DibSection(int32_t width, int32_t height);
  DibSection(const DibSection&) = delete;
  DibSection& operator=(const DibSection&) = delete;

  bool Valid() const { return bits_ != nullptr; }
  HBITMAP Handle() const { return static_cast<HBITMAP>(bitmap_.Get()); }
  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  uint32_t* Row(int32_t y) { return bits_ + static_cast<size_t>(y) * width_; }

  // Copies the source rectangle of a picture to (0, 0) of the section, and back.
  void CopyFrom(const Bitmap& picture, const Rect& source);
  void CopyTo(Bitmap& picture, int32_t x, int32_t y) const;

 private:
  GdiObject bitmap_;
  uint32_t* bits_ = nullptr;
  int32_t width_ = 0;
  int32_t height_ = 0;
};

}  // namespace win::w32
