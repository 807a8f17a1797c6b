// A push button drawn from a picture strip of four frames (normal, hovered,
// pressed, disabled) with its caption on top. The button keeps its behaviour;
// only its look and outline change.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "platform/graphics.h"
#include "platform/ui.h"
#include "skin/cmnstringprocessunit.h"
#include "skin/skin_captionlayout.h"
#include "skin/skin_stripcontrol.h"

// Caption colours by state.
constexpr COLORREF kSkinCaptionNormal = win::kClBlack;
constexpr COLORREF kSkinCaptionDisabled = win::kClMaroon;  // 128

// Caption colours of a push button: normal, hover, pressed, disabled.
using ButtonCaptionColors = std::array<COLORREF, 4>;

class TskinButton : public TskinStripControl {
 public:
  // Attaches to a button; nothing is drawn until a strip is loaded.
  explicit TskinButton(win::Control& button);

  // Loads the strip, sizes the button to one frame and cuts it to frame 0's
  // outline; installs the skin's window procedure the first time. A missing or
  // unreadable picture changes nothing and gives false: the button stays a
  // plain, visible button with its own caption.
  [[nodiscard]] bool LoadSkin(const String& path, int32_t alignment = skin::kAlignCentre,
                              const std::optional<ButtonCaptionColors>& colors = std::nullopt,
                              const TRect& captionRect = skin::kNoCaptionRect);

  int32_t State() const;  // the frame the next Paint draws
  const ButtonCaptionColors& CaptionColors() const { return colors_; }
  win::Point CaptionPosition() const { return captionAt_; }

 private:
  void PaintOnce() override;

  win::Control* button_;
  TRect captionRect_ = skin::kNoCaptionRect;
  int32_t alignment_ = skin::kAlignCentre;
  ButtonCaptionColors colors_{kSkinCaptionNormal, kSkinCaptionNormal, kSkinCaptionNormal,
                              kSkinCaptionDisabled};
  win::Point captionAt_;
};
