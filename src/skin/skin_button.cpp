#include "skin/skin_button.h"

#include "skin/skin_windowshape.h"

TskinButton::TskinButton(win::Control& button) : hook_(button), button_(&button) {}

bool TskinButton::LoadSkin(const String& path, int32_t alignment,
                           const std::optional<ButtonCaptionColors>& colors,
                           const TRect& captionRect) {
  win::Bitmap strip;
  if (!LoadSkinPicture(path, strip)) return false;
  strip_ = std::move(strip);

  button_->SetBounds(button_->Left(), button_->Top(), strip_.Width() / kSkinFrameCount,
                     strip_.Height());
  composite_.SetSize(button_->Width(), button_->Height());
  engine_.CopyFrame(frame_, strip_, kFrameNormal, kSkinFrameCount);
  composite_.Draw(0, 0, frame_);
  // Frame 0 decides the outline for every look.
  engine_.ShapeWindow(*button_, composite_);

  hook_.Hook([this](win::Message& message) { SkinWindowProc(message); });
  if (colors) colors_ = *colors;
  captionRect_ = captionRect;
  alignment_ = alignment;
  return true;
}

void TskinButton::SkinWindowProc(win::Message& message) {
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
    case win::kWmKeyDown:
    case win::kWmKeyUp:
    case win::kWmLButtonDown:
    case win::kWmLButtonUp:
      break;
    case win::kBmSetState:
      pressed_ = message.wParam != 0;
      break;
    case win::kWmMouseMove:
      hover_ = true;
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

int32_t TskinButton::State() const {
  if (!button_->Enabled()) return kFrameDisabled;
  if (pressed_) return kFramePressed;
  if (hover_) return kFrameHover;
  return kFrameNormal;
}

void TskinButton::Paint() {
  hook_.Paint([this] { PaintOnce(); });
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
                                             composite_.Width(), strip_.Width() / kSkinFrameCount,
                                             strip_.Height()};
    captionAt_ = skin::ButtonCaptionPosition(alignment_, captionRect_, placement, extent.cx,
                                             extent.cy);
    canvas.transparent = true;
    canvas.TextOut(captionAt_.x, captionAt_.y, caption);
  }
  button_->BlitToWindow(composite_, 0, 0);
}
