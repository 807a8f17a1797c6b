#include "skin/skin_graphiceengine.h"

#include <algorithm>

#include "platform/ui.h"

void TskinGraphiceEngine::CopyFrame(win::Bitmap& destination, const win::Bitmap& strip,
                                    int32_t index, int32_t count) const {
  if (count < 1) {
    destination.SetSize(0, 0);
    return;
  }
  const int32_t frameWidth = strip.Width() / count;
  destination.SetSize(frameWidth, strip.Height());
  const win::Rect source{index * frameWidth, 0, (index + 1) * frameWidth, strip.Height()};
  destination.CopyRect(0, 0, strip, source);
}

win::Region TskinGraphiceEngine::Outline(const win::Bitmap& picture, int32_t width,
                                         int32_t height) const {
  win::Region region;
  width = std::min(width, picture.Width());
  height = std::min(height, picture.Height());
  if (width <= 0 || height <= 0) return region;

  const win::COLORREF key = picture.Pixel(0, 0);
  for (int32_t y = 0; y < height; ++y) {
    const win::COLORREF* row = picture.Row(y);
    int32_t x = 0;
    while (x < width) {
      while (x < width && row[x] == key) ++x;
      if (x == width) break;
      const int32_t runStart = x;
      while (x < width && row[x] != key) ++x;
      region.AddRect(win::Rect{runStart, y, x, y + 1});
    }
  }
  return region;
}

void TskinGraphiceEngine::ShapeWindow(win::Control& window, const win::Bitmap& picture,
                                      int32_t width, int32_t height) const {
  window.SetWindowRgn(Outline(picture, width, height), true);
}
