// Text with real fonts on Windows: GDI measures and draws it.
#include "platform/win32/winapi.h"
#include "platform/win32/gdi.h"

#include <map>
#include <mutex>
#include <tuple>

#include "platform/ui_backend.h"

namespace win::w32 {

namespace {

using FontKey = std::tuple<String, int32_t, uint32_t>;

struct FontCache {
  std::mutex mutex;
  std::map<FontKey, GdiObject> fonts;
  // One memory DC for measuring: the model measures text very often (word
  // wrapping measures every prefix of a line).
  MemoryDC measuring;
};

// Never destroyed: text may still be drawn while the program exits.
FontCache& Fonts() {
  static FontCache* cache = new FontCache;
  return *cache;
}

// A screen will not use more than a few dozen fonts; the cache starts over
// rather than grow without end.
constexpr size_t kMaxCachedFonts = 64;

HFONT CreateFontFor(const Font& font) {
  LOGFONTW log{};
  log.lfHeight = font.height;
  log.lfWeight = (font.style & kFsBold) ? FW_BOLD : FW_NORMAL;
  log.lfItalic = (font.style & kFsItalic) ? TRUE : FALSE;
  log.lfStrikeOut = (font.style & kFsStrikeOut) ? TRUE : FALSE;
  log.lfCharSet = DEFAULT_CHARSET;
  log.lfOutPrecision = OUT_DEFAULT_PRECIS;
  log.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  log.lfQuality = DEFAULT_QUALITY;
  log.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
  size_t length = font.name.size() < LF_FACESIZE - 1 ? font.name.size() : LF_FACESIZE - 1;
  for (size_t i = 0; i < length; ++i) log.lfFaceName[i] = static_cast<wchar_t>(font.name[i]);
  log.lfFaceName[length] = L'\0';
  return ::CreateFontIndirectW(&log);
}

}  // namespace

namespace {

HFONT FontHandleLocked(FontCache& cache, const Font& font) {
  FontKey key{font.name, font.height, font.style & (kFsBold | kFsItalic | kFsStrikeOut)};
  auto found = cache.fonts.find(key);
  if (found != cache.fonts.end()) return static_cast<HFONT>(found->second.Get());
  HFONT created = CreateFontFor(font);
  if (created == nullptr) return static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
  if (cache.fonts.size() >= kMaxCachedFonts) cache.fonts.clear();
  cache.fonts[key].Attach(created);
  return created;
}

}  // namespace

HFONT FontHandle(const Font& font) {
  FontCache& cache = Fonts();
  std::lock_guard<std::mutex> lock(cache.mutex);
  return FontHandleLocked(cache, font);
}

Size MeasureWithCachedDC(const Font& font, StringView text) {
  FontCache& cache = Fonts();
  std::lock_guard<std::mutex> lock(cache.mutex);
  HDC dc = cache.measuring.Get();
  if (dc == nullptr) return Size{};
  SelectObjectScope select(dc, FontHandleLocked(cache, font));
  if (text.empty()) {
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc, &metrics);
    return Size{0, metrics.tmHeight};
  }
  SIZE extent{};
  if (!::GetTextExtentPoint32W(dc, reinterpret_cast<const wchar_t*>(text.data()),
                               static_cast<int>(text.size()), &extent)) {
    return Size{};
  }
  return Size{extent.cx, extent.cy};
}

DibSection::DibSection(int32_t width, int32_t height) {
  if (width <= 0 || height <= 0) return;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap == nullptr || bits == nullptr) return;
  bitmap_.Attach(bitmap);
  bits_ = static_cast<uint32_t*>(bits);
  width_ = width;
  height_ = height;
}

void DibSection::CopyFrom(const Bitmap& picture, const Rect& source) {
  if (!Valid()) return;
  for (int32_t y = 0; y < height_; ++y) {
    uint32_t* row = Row(y);
    for (int32_t x = 0; x < width_; ++x) {
      row[x] = DibPixel(picture.Pixel(source.left + x, source.top + y));
    }
  }
}

void DibSection::CopyTo(Bitmap& picture, int32_t left, int32_t top) const {
  if (!Valid()) return;
  for (int32_t y = 0; y < height_; ++y) {
    const uint32_t* row = bits_ + static_cast<size_t>(y) * width_;
    for (int32_t x = 0; x < width_; ++x) picture.SetPixel(left + x, top + y, FromDibPixel(row[x]));
  }
}

}  // namespace win::w32

namespace win::backend {

Size MeasureFontText(const Font& font, StringView text) {
  return w32::MeasureWithCachedDC(font, text);
}

void DrawFontText(Bitmap& target, const Rect& clip, int32_t x, int32_t y, const Font& font,
                  COLORREF color, StringView text) {
  if (text.empty()) return;
  const Rect box = Intersect(clip, Rect{0, 0, target.Width(), target.Height()});
  if (box.IsEmpty()) return;
  // GDI draws onto a copy of the clipped part of the picture (so smoothing
  // blends with what is really there), which then goes back into place.
  w32::DibSection section(box.Width(), box.Height());
  w32::MemoryDC dc;
  if (!section.Valid() || dc.Get() == nullptr) return;
  section.CopyFrom(target, box);
  {
    w32::SelectObjectScope bitmap(dc.Get(), section.Handle());
    w32::SelectObjectScope selectFont(dc.Get(), w32::FontHandle(font));
    ::SetBkMode(dc.Get(), TRANSPARENT);
    ::SetTextColor(dc.Get(), ColorToRGB(color) & 0x00FFFFFF);
    ::SetTextAlign(dc.Get(), TA_LEFT | TA_TOP | TA_NOUPDATECP);
    ::TextOutW(dc.Get(), x - box.left, y - box.top, reinterpret_cast<const wchar_t*>(text.data()),
               static_cast<int>(text.size()));
    ::GdiFlush();
  }
  section.CopyTo(target, box.left, box.top);
}

}  // namespace win::backend
