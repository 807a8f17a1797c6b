#include "skin/skin_checkbox.h"

#include "skin/skin_captionlayout.h"

namespace {
constexpr double kDesignPixelsPerInch = 96.0;
}

TskinCheckBox::TskinCheckBox(win::ButtonControl& checkBox) : TskinToggleControl(checkBox) {}

bool TskinCheckBox::LoadSkin(const String& path, const win::Bitmap* background, int32_t gap,
                             int32_t verticalOffset, int32_t horizontalOffset) {
  verticalOffset_ = verticalOffset;
  horizontalOffset_ = horizontalOffset;
  return LoadStrip(path, background, gap);
}

void TskinCheckBox::StripLoaded() {
  designWidth_ = Control().Width();
  designHeight_ = Control().Height();
  scale_ = Control().GetFont().pixelsPerInch / kDesignPixelsPerInch;
}

win::COLORREF TskinCheckBox::CaptionColor() const {
  if (!Control().Enabled()) return disabledColor_;
  if (Pressed()) return onColor_;
  if (Hover()) return hoverColor_;
  return normalColor_;
}

TskinToggleControl::Placement TskinCheckBox::Place(const win::Canvas& canvas) const {
  const String& caption = Control().Caption();
  const skin::CheckBoxMetrics metrics{designWidth_, FrameWidth(), Strip().Height(), Gap(),
                                      scale_, canvas.TextHeight(caption)};
  skin::CheckBoxLayout layout = skin::LayoutCheckBox(
      caption, metrics, [&canvas](StringView text) { return canvas.TextWidth(text); });
  Placement place;
  place.width = layout.width;
  place.height = layout.height;
  place.frameY = layout.frameY;
  place.captionX = layout.captionX;
  place.lines = std::move(layout.lines);
  place.lineY = std::move(layout.lineY);
  return place;
}
