// What the skinned check box and radio button share: a picture strip of four
// frames (0 off, 1 off and hovered, 2 on, 3 disabled) beside the caption, both
// drawn over a copy of the screen's background so the control looks
// transparent, and the window cut to what was drawn. The outline is cut again
// only when the caption changed since it was last cut.
#pragma once

#include <cstdint>

#include "platform/graphics.h"
#include "platform/ui.h"
#include "skin/skin_graphiceengine.h"
#include "skin/skin_hook.h"

class TskinToggleControl {
 public:
  virtual ~TskinToggleControl();
  TskinToggleControl(const TskinToggleControl&) = delete;
  TskinToggleControl& operator=(const TskinToggleControl&) = delete;

  // The control's window procedure while the skin is attached.
  void SkinWindowProc(win::Message& message);
  // Draws the current look onto the control; sizes it, and cuts its outline
  // when the caption changed.
  void Paint();

  const win::Bitmap& Strip() const { return strip_; }
  const win::Bitmap& Composite() const { return composite_; }
  bool Hover() const { return hover_; }
  bool Pressed() const { return pressed_; }
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
  int32_t FrameWidth() const { return strip_.Width() / kSkinFrameCount; }
  int32_t Gap() const { return gap_; }

  win::COLORREF normalColor_ = win::kClBlack;
  win::COLORREF hoverColor_ = win::kClBlack;
  win::COLORREF onColor_ = win::kClBlack;  // pressed (check box) or checked (radio button)
  win::COLORREF disabledColor_ = win::kClMaroon;

 private:
  void PaintOnce();

  TskinHook hook_;  // gives the control back its window procedure when the skin goes
  TskinGraphiceEngine engine_;
  win::ButtonControl* control_;
  win::Bitmap strip_;
  win::Bitmap composite_;
  win::Bitmap frame_;
  const win::Bitmap* background_ = nullptr;
  bool hover_ = false;
  bool pressed_ = false;
  bool shaped_ = false;
  bool drawn_ = false;
  String lastCaption_;
  int32_t gap_ = 0;
};
