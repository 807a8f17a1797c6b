#include "skin/skin_togglecontrol.h"

#include "skin/skin_windowshape.h"

TskinToggleControl::TskinToggleControl(win::ButtonControl& control) : hook_(control), control_(&control) {}

TskinToggleControl::~TskinToggleControl() = default;

bool TskinToggleControl::LoadStrip(const String& path, const win::Bitmap* background,
                                   int32_t gap) {
  win::Bitmap strip;
  if (!LoadSkinPicture(path, strip)) return false;
  strip_ = std::move(strip);
  background_ = background;
  gap_ = gap;
  StripLoaded();
  hook_.Hook([this](win::Message& message) { SkinWindowProc(message); });
  normalColor_ = hoverColor_ = onColor_ = control_->GetFont().color;
  return true;
}

void TskinToggleControl::SkinWindowProc(win::Message& message) {
  hook_.CallSaved(message);
  switch (message.msg) {
    case win::kWmSize:
    case win::kWmSetFocus:
    case win::kWmKillFocus:
    case win::kWmEnable:
    case win::kWmSetText:
    case win::kWmPaint:
    case win::kWmEraseBkgnd:
    case win::kWmNcPaint:
    case win::kBmSetCheck:
    case win::kWmKeyDown:
    case win::kWmKeyUp:
    case win::kWmLButtonDblClk:
      break;
    case win::kBmSetState:
      pressed_ = message.wParam != 0;
      break;
    case win::kWmMouseMove:
    case win::kCmMouseEnter:
      hover_ = true;
      break;
    case win::kWmLButtonDown:
      pressed_ = true;
      break;
    case win::kWmLButtonUp:
      pressed_ = false;
      break;
    case win::kWmMouseLeave:
    case win::kCmMouseLeave:
      hover_ = false;
      break;
    default:
      return;
  }
  Paint();
}

int32_t TskinToggleControl::FrameIndex() const {
  if (!control_->Enabled()) return kFrameDisabled;
  if (control_->Checked()) return kFramePressed;
  if (hover_) return kFrameHover;
  return kFrameNormal;
}

void TskinToggleControl::Paint() {
  hook_.Paint([this] { PaintOnce(); });
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
