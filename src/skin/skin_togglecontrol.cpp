#include "skin/skin_togglecontrol.h"

namespace {

// A check box or radio button keeps its own pressed state from the mouse and
// repaints when it is checked or double-clicked.
constexpr TskinStripControl::MessageEffect kToggleMessages[] = {
    {win::kBmSetCheck, TskinStripControl::Effect::Repaint},
    {win::kWmLButtonDblClk, TskinStripControl::Effect::Repaint},
    {win::kCmMouseEnter, TskinStripControl::Effect::Enter},
    {win::kWmLButtonDown, TskinStripControl::Effect::Press},
    {win::kWmLButtonUp, TskinStripControl::Effect::Release},
};

}  // namespace

TskinToggleControl::TskinToggleControl(win::ButtonControl& control)
    : TskinStripControl(control, kToggleMessages), control_(&control) {}

TskinToggleControl::~TskinToggleControl() = default;

bool TskinToggleControl::LoadStrip(const String& path, const win::Bitmap* background,
                                   int32_t gap) {
  if (!LoadStripPicture(path)) return false;
  background_ = background;
  gap_ = gap;
  StripLoaded();
  HookWindowProc();
  normalColor_ = hoverColor_ = onColor_ = control_->GetFont().color;
  return true;
}

int32_t TskinToggleControl::FrameIndex() const {
  if (!control_->Enabled()) return kFrameDisabled;
  if (control_->Checked()) return kFramePressed;
  if (Hover()) return kFrameHover;
  return kFrameNormal;
}

void TskinToggleControl::PaintOnce() {
  if (strip_.Empty()) return;
  win::Canvas canvas(composite_);
  canvas.font = control_->GetFont();
  canvas.font.color = CaptionColor();

  const String& caption = control_->Caption();
  if (!drawn_ || caption != lastCaption_) {
    shaped_ = false;
    lastCaption_ = caption;
    drawn_ = true;
  }

  const Placement place = Place(canvas);
  if (composite_.Width() != place.width || composite_.Height() != place.height) {
    composite_.SetSize(place.width, place.height);
  }
  if (control_->Width() != place.width || control_->Height() != place.height) {
    control_->SetBounds(control_->Left(), control_->Top(), place.width, place.height);
  }

  composite_.Fill(win::ColorToRGB(control_->Color()));
  if (background_ != nullptr) {
    const win::Point offset = BackgroundOffset();
    const int32_t x = control_->Left() + offset.x;
    const int32_t y = control_->Top() + offset.y;
    composite_.CopyRect(0, 0, *background_, win::Rect{x, y, x + place.width, y + place.height});
  }

  engine_.CopyFrame(frame_, strip_, FrameIndex(), kSkinFrameCount);
  canvas.Draw(0, place.frameY, frame_);
  canvas.transparent = true;
  for (size_t i = 0; i < place.lines.size(); ++i) {
    if (!place.lines[i].empty()) canvas.TextOut(place.captionX, place.lineY[i], place.lines[i]);
  }

  // The outline goes first: cutting the window repaints it with its own look,
  // which the composite then covers.
  if (!shaped_) {
    shaped_ = true;
    engine_.ShapeWindow(*control_, composite_);
  }
  control_->BlitToWindow(composite_, 0, 0);
}
