// What the skinned check box and radio button share: a picture strip of four
// frames (0 off, 1 off and hovered, 2 on, 3 disabled) beside the caption, both
// drawn over a copy of the screen's background so the control looks
// transparent, and the window cut to what was drawn. The outline is cut again
// only when the caption changed since it was last cut.
#pragma once

#include <cstdint>

#include "platform/graphics.h"
#include "platform/ui.h"
#include "skin/skin_stripcontrol.h"

class TskinToggleControl : public TskinStripControl {
 public:
  ~TskinToggleControl() override;

  int32_t FrameIndex() const;  // the frame the next Paint draws
  virtual win::COLORREF CaptionColor() const = 0;

 protected:
  explicit TskinToggleControl(win::ButtonControl& control);

  // Loads the strip, installs the window procedure the first time and sets
  // the caption colours (but disabled) to the control's font colour. A missing
  // or unreadable picture leaves the control's own look; false then.
  [[nodiscard]] bool LoadStrip(const String& path, const win::Bitmap* background, int32_t gap);

  struct Placement {
    int32_t width = 0;
    int32_t height = 0;
    int32_t frameY = 0;
    int32_t captionX = 0;
    StringList lines;
    std::vector<int32_t> lineY;
  };
  virtual Placement Place(const win::Canvas& canvas) const = 0;
  // Where the control's own position is moved in the background picture.
  virtual win::Point BackgroundOffset() const { return {}; }
  virtual void StripLoaded() {}

  win::ButtonControl& Control() const { return *control_; }
  int32_t Gap() const { return gap_; }

  win::COLORREF normalColor_ = win::kClBlack;
  win::COLORREF hoverColor_ = win::kClBlack;
  win::COLORREF onColor_ = win::kClBlack;  // pressed (check box) or checked (radio button)
  win::COLORREF disabledColor_ = win::kClMaroon;

 private:
  // Sizes the control, and cuts its outline when the caption changed.
  void PaintOnce() override;

  win::ButtonControl* control_;
  const win::Bitmap* background_ = nullptr;
  bool shaped_ = false;
  bool drawn_ = false;
  String lastCaption_;
  int32_t gap_ = 0;
};
