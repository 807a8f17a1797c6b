#include "skin/skin_button.h"

namespace {

// A push button's own mouse clicks only repaint: the button itself reports
// its pressed state.
constexpr TskinStripControl::MessageEffect kButtonMessages[] = {
    {win::kWmLButtonDown, TskinStripControl::Effect::Repaint},
    {win::kWmLButtonUp, TskinStripControl::Effect::Repaint},
};

}  // namespace

TskinButton::TskinButton(win::Control& button)
    : TskinStripControl(button, kButtonMessages), button_(&button) {}

bool TskinButton::LoadSkin(const String& path, int32_t alignment,
                           const std::optional<ButtonCaptionColors>& colors,
                           const TRect& captionRect) {
  if (!LoadStripPicture(path)) return false;

  button_->SetBounds(button_->Left(), button_->Top(), FrameWidth(), strip_.Height());
  composite_.SetSize(button_->Width(), button_->Height());
  engine_.CopyFrame(frame_, strip_, kFrameNormal, kSkinFrameCount);
  composite_.Draw(0, 0, frame_);
  // Frame 0 decides the outline for every look.
  engine_.ShapeWindow(*button_, composite_);

  HookWindowProc();
  if (colors) colors_ = *colors;
  captionRect_ = captionRect;
  alignment_ = alignment;
  return true;
}

int32_t TskinButton::State() const {
  if (!button_->Enabled()) return kFrameDisabled;
  if (Pressed()) return kFramePressed;
  if (Hover()) return kFrameHover;
  return kFrameNormal;
}

void TskinButton::PaintOnce() {
  if (strip_.Empty()) return;

  // A layout file may have made the button larger than its form: nothing
  // beyond the form is ever seen, so the picture stops there.
  const win::Size extent = button_->DrawingExtent();
  if (composite_.Width() != extent.cx || composite_.Height() != extent.cy) {
    composite_.SetSize(extent.cx, extent.cy);
  }
  win::Canvas canvas(composite_);
  canvas.font = button_->GetFont();
  const int32_t state = State();
  canvas.font.color = colors_[state];

  engine_.CopyFrame(frame_, strip_, state, kSkinFrameCount);
  canvas.Draw(0, 0, frame_);

  const String& caption = button_->Caption();
  if (!caption.empty()) {
    const win::Size extent = canvas.TextExtent(caption);
    const skin::ButtonCaptionFrame placement{button_->Width(), button_->Height(),
                                             composite_.Width(), FrameWidth(),
                                             strip_.Height()};
    captionAt_ = skin::ButtonCaptionPosition(alignment_, captionRect_, placement, extent.cx,
                                             extent.cy);
    canvas.transparent = true;
    canvas.TextOut(captionAt_.x, captionAt_.y, caption);
  }
  button_->BlitToWindow(composite_, 0, 0);
}
