#include "skin/skin_radiobutton.h"

#include "skin/skin_captionlayout.h"

TskinRadioButton::TskinRadioButton(win::ButtonControl& radioButton)
    : TskinToggleControl(radioButton) {}

bool TskinRadioButton::LoadSkin(const String& path, const win::Bitmap* background, int32_t gap) {
  return LoadStrip(path, background, gap);
}

win::COLORREF TskinRadioButton::CaptionColor() const {
  if (!Control().Enabled()) return disabledColor_;
  if (Control().Checked() && !Hover()) return onColor_;
  if (Hover()) return hoverColor_;
  return normalColor_;
}

TskinToggleControl::Placement TskinRadioButton::Place(const win::Canvas& canvas) const {
  const String& caption = Control().Caption();
  const win::Size extent = canvas.TextExtent(caption);
  const skin::RadioButtonLayout layout =
      skin::LayoutRadioButton(FrameWidth(), Strip().Height(), Gap(), extent.cx, extent.cy);
  Placement place;
  place.width = layout.width;
  place.height = layout.height;
  place.captionX = layout.captionX;
  place.lines.push_back(caption);
  place.lineY.push_back(layout.captionY);
  return place;
}
