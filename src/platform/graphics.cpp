#include "platform/graphics.h"

#include <algorithm>
#include <atomic>

#include "platform/ui_backend.h"

namespace win {

COLORREF ColorToRGB(COLORREF color) {
  if ((color & 0xFF000000u) == 0) return color;
  switch (color) {
    case kClBtnFace: return RGB(240, 240, 240);
    case kClWindow: return RGB(255, 255, 255);
    case kClWindowText: return RGB(0, 0, 0);
    case kClNone: return RGB(255, 255, 255);
    default: return color & 0x00FFFFFFu;
  }
}

Rect Intersect(const Rect& a, const Rect& b) {
  Rect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
         std::min(a.bottom, b.bottom)};
  if (r.IsEmpty()) return Rect{};
  return r;
}

// ---------------------------------------------------------------- Bitmap

Bitmap::Bitmap(int32_t width, int32_t height, COLORREF fill) { SetSize(width, height, fill); }

void Bitmap::SetSize(int32_t width, int32_t height, COLORREF fill) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (width == 0 || height == 0) width = height = 0;
  std::vector<COLORREF> pixels(static_cast<size_t>(width) * height, fill & 0xFFFFFF);
  const int32_t w = std::min(width, width_), h = std::min(height, height_);
  for (int32_t y = 0; y < h; ++y)
    std::copy_n(&pixels_[static_cast<size_t>(y) * width_], w, &pixels[static_cast<size_t>(y) * width]);
  pixels_ = std::move(pixels);
  width_ = width;
  height_ = height;
}

COLORREF Bitmap::Pixel(int32_t x, int32_t y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return kClBlack;
  return pixels_[static_cast<size_t>(y) * width_ + x];
}

void Bitmap::SetPixel(int32_t x, int32_t y, COLORREF color) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  pixels_[static_cast<size_t>(y) * width_ + x] = color & 0xFFFFFF;
}

void Bitmap::Fill(COLORREF color) { std::fill(pixels_.begin(), pixels_.end(), color & 0xFFFFFF); }

void Bitmap::FillRect(const Rect& rect, COLORREF color) {
  const Rect r = Intersect(rect, Rect{0, 0, width_, height_});
  for (int32_t y = r.top; y < r.bottom; ++y)
    std::fill_n(Row(y) + r.left, r.Width(), color & 0xFFFFFF);
}

void Bitmap::CopyRect(int32_t x, int32_t y, const Bitmap& source, const Rect& sourceRect) {
  // Clip the source to the source picture, then the destination to this one.
  Rect src = Intersect(sourceRect, Rect{0, 0, source.width_, source.height_});
  if (src.IsEmpty()) return;
  x += src.left - sourceRect.left;
  y += src.top - sourceRect.top;
  Rect dst = Intersect(Rect{x, y, x + src.Width(), y + src.Height()}, Rect{0, 0, width_, height_});
  if (dst.IsEmpty()) return;
  const int32_t sx = src.left + (dst.left - x), sy = src.top + (dst.top - y);
  if (&source == this) {  // overlapping copy within one picture
    Bitmap copy = source;
    CopyRect(dst.left, dst.top, copy, Rect{sx, sy, sx + dst.Width(), sy + dst.Height()});
    return;
  }
  for (int32_t row = 0; row < dst.Height(); ++row)
    std::copy_n(source.Row(sy + row) + sx, dst.Width(), Row(dst.top + row) + dst.left);
}

void Bitmap::Draw(int32_t x, int32_t y, const Bitmap& source) {
  CopyRect(x, y, source, Rect{0, 0, source.width_, source.height_});
}

void Bitmap::StretchDraw(const Rect& destination, const Bitmap& source) {
  if (source.Empty() || destination.IsEmpty()) return;
  const Rect clip = Intersect(destination, Rect{0, 0, width_, height_});
  const int64_t dw = destination.Width(), dh = destination.Height();
  for (int32_t y = clip.top; y < clip.bottom; ++y) {
    const int32_t sy = static_cast<int32_t>((y - destination.top) * int64_t{source.height_} / dh);
    for (int32_t x = clip.left; x < clip.right; ++x) {
      const int32_t sx = static_cast<int32_t>((x - destination.left) * int64_t{source.width_} / dw);
      Row(y)[x] = source.Row(sy)[sx];
    }
  }
}

// ---------------------------------------------------------------- Region

Region Region::CreateRect(const Rect& rect) {
  Region region;
  region.AddRect(rect);
  return region;
}

Region Region::CreateRect(int32_t left, int32_t top, int32_t right, int32_t bottom) {
  return CreateRect(Rect{left, top, right, bottom});
}

void Region::AddRect(const Rect& rect) {
  if (!rect.IsEmpty()) rects_.push_back(rect);
}

void Region::Combine(const Region& other) {
  rects_.insert(rects_.end(), other.rects_.begin(), other.rects_.end());
}

bool Region::Contains(int32_t x, int32_t y) const {
  for (const Rect& r : rects_)
    if (r.Contains(x, y)) return true;
  return false;
}

std::vector<uint8_t> Region::Mask(int32_t width, int32_t height) const {
  width = std::max(width, 0);
  height = std::max(height, 0);
  std::vector<uint8_t> mask(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
  for (const Rect& r : rects_) {
    const int32_t left = std::max(r.left, 0), right = std::min(r.right, width);
    if (left >= right) continue;
    for (int32_t y = std::max(r.top, 0); y < std::min(r.bottom, height); ++y)
      std::fill_n(mask.begin() + static_cast<ptrdiff_t>(y) * width + left, right - left, uint8_t{1});
  }
  return mask;
}

Rect Region::BoundingBox() const {
  if (rects_.empty()) return Rect{};
  Rect box = rects_.front();
  for (const Rect& r : rects_) {
    box.left = std::min(box.left, r.left);
    box.top = std::min(box.top, r.top);
    box.right = std::max(box.right, r.right);
    box.bottom = std::max(box.bottom, r.bottom);
  }
  return box;
}

bool Region::SameArea(const Region& other) const {
  const Rect a = BoundingBox(), b = other.BoundingBox();
  Rect box{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
           std::max(a.bottom, b.bottom)};
  if (Empty() || other.Empty()) return Empty() == other.Empty();
  for (int32_t y = box.top; y < box.bottom; ++y)
    for (int32_t x = box.left; x < box.right; ++x)
      if (Contains(x, y) != other.Contains(x, y)) return false;
  return true;
}

void Region::Offset(int32_t dx, int32_t dy) {
  for (Rect& r : rects_) {
    r.left += dx;
    r.right += dx;
    r.top += dy;
    r.bottom += dy;
  }
}

// ---------------------------------------------------------------- Font

namespace {
int32_t MulDivRound(int32_t a, int32_t b, int32_t c) {
  if (c == 0) return 0;
  const int64_t p = int64_t{a} * b;
  const int64_t q = (p >= 0) == (c > 0) ? (std::abs(p) + std::abs(c) / 2) / std::abs(c)
                                        : -((std::abs(p) + std::abs(c) / 2) / std::abs(c));
  return static_cast<int32_t>(q);
}
}  // namespace

int32_t Font::Size() const { return -MulDivRound(height, 72, pixelsPerInch); }
void Font::SetSize(int32_t points) { height = -MulDivRound(points, pixelsPerInch, 72); }

// ---------------------------------------------------------------- text

namespace {
std::atomic<bool> fixedMetrics{false};

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }
}  // namespace

void SetFixedTextMetrics(bool on) { fixedMetrics = on; }
bool FixedTextMetrics() { return fixedMetrics; }

Size MeasureText(const Font& font, StringView text) {
  if (fixedMetrics) return Size{static_cast<int32_t>(text.size()) * kFixedCharWidth, kFixedTextHeight};
  return backend::MeasureFontText(font, text);
}

// ---------------------------------------------------------------- Canvas

Rect Canvas::ClipRect() const {
  const Rect whole{0, 0, target_->Width(), target_->Height()};
  return clip.IsEmpty() ? whole : Intersect(clip, whole);
}

void Canvas::TextOut(int32_t x, int32_t y, StringView text) {
  const Rect box = ClipRect();
  const Size extent = MeasureText(font, text);
  if (!transparent) target_->FillRect(Intersect(Rect{x, y, x + extent.cx, y + extent.cy}, box), ColorToRGB(brushColor));
  const COLORREF color = ColorToRGB(font.color);
  if (fixedMetrics) {
    // Each character is a block inside its 10 by 13 cell (blanks stay empty),
    // so pictures made in this mode are the same on every machine.
    for (size_t i = 0; i < text.size(); ++i) {
      if (IsBlank(text[i])) continue;
      const int32_t cx = x + static_cast<int32_t>(i) * kFixedCharWidth;
      target_->FillRect(Intersect(Rect{cx + 1, y + 2, cx + kFixedCharWidth - 1, y + kFixedTextHeight - 2}, box), color);
    }
  } else {
    backend::DrawFontText(*target_, box, x, y, font, color, text);
  }
  if (font.style & kFsUnderline)
    target_->FillRect(Intersect(Rect{x, y + extent.cy - 1, x + extent.cx, y + extent.cy}, box), color);
}

void Canvas::Draw(int32_t x, int32_t y, const Bitmap& picture) {
  const Rect box = ClipRect();
  Rect dst = Intersect(Rect{x, y, x + picture.Width(), y + picture.Height()}, box);
  if (dst.IsEmpty()) return;
  target_->CopyRect(dst.left, dst.top, picture,
                    Rect{dst.left - x, dst.top - y, dst.right - x, dst.bottom - y});
}

void Canvas::StretchDraw(const Rect& destination, const Bitmap& picture) {
  if (clip.IsEmpty()) {
    target_->StretchDraw(destination, picture);
    return;
  }
  Bitmap scaled(destination.Width(), destination.Height());
  scaled.StretchDraw(Rect{0, 0, destination.Width(), destination.Height()}, picture);
  Draw(destination.left, destination.top, scaled);
}

void Canvas::CopyRect(const Rect& destination, const Bitmap& source, const Rect& sourceRect) {
  if (destination.Width() == sourceRect.Width() && destination.Height() == sourceRect.Height()) {
    Bitmap part(sourceRect.Width(), sourceRect.Height());
    part.CopyRect(0, 0, source, sourceRect);
    Draw(destination.left, destination.top, part);
    return;
  }
  Bitmap part(sourceRect.Width(), sourceRect.Height());
  part.CopyRect(0, 0, source, sourceRect);
  StretchDraw(destination, part);
}

void Canvas::FillRect(const Rect& rect) { target_->FillRect(Intersect(rect, ClipRect()), ColorToRGB(brushColor)); }

void Canvas::Rectangle(const Rect& rect, COLORREF pen) {
  const Rect box = ClipRect();
  const COLORREF c = ColorToRGB(pen);
  target_->FillRect(Intersect(Rect{rect.left, rect.top, rect.right, rect.top + 1}, box), c);
  target_->FillRect(Intersect(Rect{rect.left, rect.bottom - 1, rect.right, rect.bottom}, box), c);
  target_->FillRect(Intersect(Rect{rect.left, rect.top, rect.left + 1, rect.bottom}, box), c);
  target_->FillRect(Intersect(Rect{rect.right - 1, rect.top, rect.right, rect.bottom}, box), c);
}

}  // namespace win
