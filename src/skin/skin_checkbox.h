// A check box drawn from a picture strip ("Check.bmp") with its caption beside
// it, wrapped onto several lines when it does not fit the designed width.
#pragma once

#include <cstdint>

#include "skin/skin_togglecontrol.h"

class TskinCheckBox : public TskinToggleControl {
 public:
  explicit TskinCheckBox(win::ButtonControl& checkBox);

  // Loads the strip and remembers the control's current size as its design
  // size and its font's pixel density; the first Paint sizes and shapes it.
  // background: the screen's background picture (not owned; may be null);
  // the offsets move the control's position within it.
  [[nodiscard]] bool LoadSkin(const String& path, const win::Bitmap* background, int32_t gap,
                              int32_t verticalOffset, int32_t horizontalOffset);

  // Disabled, else pressed, hovered or normal.
  win::COLORREF CaptionColor() const override;

  int32_t DesignWidth() const { return designWidth_; }
  int32_t DesignHeight() const { return designHeight_; }
  double Scale() const { return scale_; }

 protected:
  Placement Place(const win::Canvas& canvas) const override;
  win::Point BackgroundOffset() const override { return {horizontalOffset_, verticalOffset_}; }
  void StripLoaded() override;

 private:
  int32_t verticalOffset_ = 0;
  int32_t horizontalOffset_ = 0;
  int32_t designWidth_ = 0;
  int32_t designHeight_ = 0;
  double scale_ = 1.0;
};
