// Text with real fonts on the host: FreeType with Wine's Tahoma-metric fonts
// standing in for Tahoma (every face name maps to them), and a CJK font for
// characters they lack, as Windows' font linking would give.
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <map>
#include <mutex>
#include <string>
#include <sys/stat.h>

#include "platform/ui_backend.h"

namespace win::backend {

namespace {

const char* const kRegularFonts[] = {
    "/usr/share/wine/fonts/tahoma.ttf",
    "/usr/share/fonts/truetype/wine/tahoma.ttf",
    "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
};
const char* const kBoldFonts[] = {
    "/usr/share/wine/fonts/tahomabd.ttf",
    "/usr/share/fonts/truetype/wine/tahomabd.ttf",
    "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf",
};
const char* const kFallbackFonts[] = {
    "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc",
    "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc",
    "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
};

bool FileExists(const char* path) {
  struct stat st;
  return stat(path, &st) == 0 && S_ISREG(st.st_mode);
}

struct Fonts {
  std::mutex mutex;
  FT_Library library = nullptr;
  std::map<std::string, FT_Face> faces;  // by path; null when it failed to open

  Fonts() {
    if (FT_Init_FreeType(&library) != 0) library = nullptr;
  }
  ~Fonts() {
    for (auto& entry : faces)
      if (entry.second) FT_Done_Face(entry.second);
    if (library) FT_Done_FreeType(library);
  }

  FT_Face Open(const char* path) {
    auto it = faces.find(path);
    if (it != faces.end()) return it->second;
    FT_Face face = nullptr;
    if (!library || !FileExists(path) || FT_New_Face(library, path, 0, &face) != 0) face = nullptr;
    faces[path] = face;
    return face;
  }

  template <size_t N>
  FT_Face First(const char* const (&paths)[N]) {
    for (const char* p : paths)
      if (FT_Face f = Open(p)) return f;
    return nullptr;
  }
};

Fonts& TheFonts() {
  static Fonts fonts;
  return fonts;
}

struct Metrics {
  int32_t ascent = 0;
  int32_t descent = 0;
};

// Sizes a face for a font: a negative height is the em height in pixels (the
// character height), a positive one the cell height (ascent + descent).
void SizeFace(FT_Face face, const Font& font) {
  int32_t pixels = font.height < 0 ? -font.height : font.height;
  if (pixels == 0) pixels = 13;
  if (font.height > 0) {
    const TT_OS2* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    const double cell = os2 && os2->usWinAscent + os2->usWinDescent > 0
                            ? double(os2->usWinAscent + os2->usWinDescent)
                            : double(face->ascender - face->descender);
    if (cell > 0) pixels = std::max(1, static_cast<int32_t>(std::lround(pixels * double(face->units_per_EM) / cell)));
  }
  FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixels));
}

// Ascent and descent as Windows reports them (tmAscent, tmDescent): the
// OS/2 table's Windows metrics, scaled and each rounded.
Metrics FaceMetrics(FT_Face face) {
  const TT_OS2* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  const double scale = double(face->size->metrics.y_ppem) / face->units_per_EM;
  if (os2 && os2->usWinAscent + os2->usWinDescent > 0)
    return Metrics{static_cast<int32_t>(std::lround(os2->usWinAscent * scale)),
                   static_cast<int32_t>(std::lround(os2->usWinDescent * scale))};
  return Metrics{static_cast<int32_t>((face->size->metrics.ascender + 63) >> 6),
                 static_cast<int32_t>((-face->size->metrics.descender + 63) >> 6)};
}

struct Faces {
  FT_Face main = nullptr;
  FT_Face fallback = nullptr;
  bool synthesizeBold = false;
};

Faces FacesFor(Fonts& fonts, const Font& font) {
  Faces f;
  if (font.Bold()) {
    f.main = fonts.First(kBoldFonts);
    if (!f.main) f.synthesizeBold = true;
  }
  if (!f.main) f.main = fonts.First(kRegularFonts);
  f.fallback = fonts.First(kFallbackFonts);
  if (f.main) SizeFace(f.main, font);
  if (f.fallback && f.fallback != f.main) SizeFace(f.fallback, font);
  return f;
}

// The face that has a glyph for the character (the main one when none has).
FT_Face FaceFor(const Faces& faces, char32_t c) {
  if (faces.main && FT_Get_Char_Index(faces.main, c) != 0) return faces.main;
  if (faces.fallback && FT_Get_Char_Index(faces.fallback, c) != 0) return faces.fallback;
  return faces.main ? faces.main : faces.fallback;
}

std::u32string CodePoints(StringView text) {
  std::u32string out;
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    }
    out.push_back(c);
  }
  return out;
}

// Outlines only: some fonts carry one-bit bitmap strikes for small sizes,
// which would draw without smoothing.
bool LoadGlyph(FT_Face face, char32_t c, const Font& font, bool synthesizeBold, bool render) {
  if (FT_Load_Char(face, c, FT_LOAD_NO_BITMAP | FT_LOAD_TARGET_NORMAL) != 0) return false;
  if (font.style & kFsItalic) FT_GlyphSlot_Oblique(face->glyph);
  if (synthesizeBold) FT_GlyphSlot_Embolden(face->glyph);
  if (render && FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL) != 0) return false;
  return true;
}

int32_t Advance(FT_Face face) { return static_cast<int32_t>((face->glyph->advance.x + 32) >> 6); }

// Without any font file text still has a size: a plain cell per character.
constexpr int32_t kNoFontCharWidth = 7;

}  // namespace

Size MeasureFontText(const Font& font, StringView text) {
  Fonts& fonts = TheFonts();
  std::lock_guard<std::mutex> lock(fonts.mutex);
  const Faces faces = FacesFor(fonts, font);
  const int32_t pixels = std::max(1, font.height < 0 ? -font.height : font.height);
  if (!faces.main && !faces.fallback)
    return Size{static_cast<int32_t>(text.size()) * kNoFontCharWidth, pixels + pixels / 4};
  const Metrics m = FaceMetrics(faces.main ? faces.main : faces.fallback);
  int32_t width = 0;
  for (char32_t c : CodePoints(text)) {
    FT_Face face = FaceFor(faces, c);
    if (LoadGlyph(face, c, font, faces.synthesizeBold && face == faces.main, false)) width += Advance(face);
  }
  return Size{width, m.ascent + m.descent};
}

void DrawFontText(Bitmap& target, const Rect& clip, int32_t x, int32_t y, const Font& font, COLORREF color,
                  StringView text) {
  Fonts& fonts = TheFonts();
  std::lock_guard<std::mutex> lock(fonts.mutex);
  const Faces faces = FacesFor(fonts, font);
  if (!faces.main && !faces.fallback) return;
  const Metrics m = FaceMetrics(faces.main ? faces.main : faces.fallback);
  const int32_t baseline = y + m.ascent;
  const int32_t r = GetRValue(color), g = GetGValue(color), b = GetBValue(color);
  int32_t penX = x;
  for (char32_t c : CodePoints(text)) {
    FT_Face face = FaceFor(faces, c);
    if (!LoadGlyph(face, c, font, faces.synthesizeBold && face == faces.main, true)) continue;
    const FT_GlyphSlot slot = face->glyph;
    const FT_Bitmap& bm = slot->bitmap;
    if (bm.pixel_mode != FT_PIXEL_MODE_GRAY) {
      penX += Advance(face);
      continue;
    }
    const int32_t left = penX + slot->bitmap_left, top = baseline - slot->bitmap_top;
    for (uint32_t row = 0; row < bm.rows; ++row) {
      const int32_t ty = top + static_cast<int32_t>(row);
      if (ty < clip.top || ty >= clip.bottom) continue;
      const unsigned char* src = bm.buffer + static_cast<ptrdiff_t>(row) * bm.pitch;
      for (uint32_t col = 0; col < bm.width; ++col) {
        const int32_t tx = left + static_cast<int32_t>(col);
        if (tx < clip.left || tx >= clip.right) continue;
        const int32_t a = src[col];
        if (a == 0) continue;
        const COLORREF under = target.Pixel(tx, ty);
        auto mix = [a](int32_t fg, int32_t bg) { return (fg * a + bg * (255 - a) + 127) / 255; };
        target.SetPixel(tx, ty, RGB(mix(r, GetRValue(under)), mix(g, GetGValue(under)), mix(b, GetBValue(under))));
      }
    }
    penX += Advance(face);
  }
}

}  // namespace win::backend
