// A radio button drawn from a picture strip ("Radio.bmp") with its caption on
// one line beside it.
#pragma once

#include <cstdint>

#include "skin/skin_togglecontrol.h"

class TskinRadioButton : public TskinToggleControl {
 public:
  explicit TskinRadioButton(win::ButtonControl& radioButton);

  // Loads the strip; the first Paint sizes and shapes the control.
  // background: the screen's background picture (not owned; may be null).
  [[nodiscard]] bool LoadSkin(const String& path, const win::Bitmap* background, int32_t gap);

  // Disabled, else checked (when not hovered), hovered or normal.
  win::COLORREF CaptionColor() const override;

 protected:
  Placement Place(const win::Canvas& canvas) const override;
};
