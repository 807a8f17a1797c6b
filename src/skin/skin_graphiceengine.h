// The drawing engine every skinned control carries: cutting a picture strip
// into its frames, and the outline of a drawn picture (every pixel whose
// colour differs from the top-left pixel's), which becomes a window's region.
#pragma once

#include <cstdint>

#include "platform/graphics.h"

namespace win {
class Control;
}

// Every skin strip holds four looks side by side.
constexpr int32_t kSkinFrameCount = 4;
constexpr int32_t kFrameNormal = 0;
constexpr int32_t kFrameHover = 1;
constexpr int32_t kFramePressed = 2;  // a check box or radio button: checked
constexpr int32_t kFrameDisabled = 3;

class TskinGraphiceEngine {
 public:
  // destination := frame `index` (from 0) of a strip of `count` equal frames
  // side by side: strip width / count pixels wide, the strip's full height.
  // A count below 1 leaves the destination empty.
  void CopyFrame(win::Bitmap& destination, const win::Bitmap& strip, int32_t index,
                 int32_t count) const;

  // The outline of the top-left width x height area of a picture, in one pass:
  // one rectangle per run of pixels in a row whose colour differs from the
  // top-left pixel's. The area is clipped to the picture.
  win::Region Outline(const win::Bitmap& picture, int32_t width, int32_t height) const;
  win::Region Outline(const win::Bitmap& picture) const {
    return Outline(picture, picture.Width(), picture.Height());
  }

  // Sets the window's region to the picture's outline (redrawn at once). A
  // picture of one colour gives an empty region: the window disappears.
  void ShapeWindow(win::Control& window, const win::Bitmap& picture, int32_t width,
                   int32_t height) const;
  void ShapeWindow(win::Control& window, const win::Bitmap& picture) const {
    ShapeWindow(window, picture, picture.Width(), picture.Height());
  }
};
