#include "skin/skin_stripcontrol.h"

#include "skin/skin_windowshape.h"

TskinStripControl::TskinStripControl(win::Control& control,
                                     std::span<const MessageEffect> ownMessages)
    : hook_(control), ownMessages_(ownMessages) {}

TskinStripControl::~TskinStripControl() = default;

bool TskinStripControl::LoadStripPicture(const String& path) {
  win::Bitmap strip;
  if (!LoadSkinPicture(path, strip)) return false;
  strip_ = std::move(strip);
  return true;
}

void TskinStripControl::HookWindowProc() {
  hook_.Hook([this](win::Message& message) { SkinWindowProc(message); });
}

void TskinStripControl::SkinWindowProc(win::Message& message) {
  static constexpr MessageEffect kEveryControl[] = {
      {win::kWmSize, Effect::Repaint},
      {win::kWmSetFocus, Effect::Repaint},
      {win::kWmKillFocus, Effect::Repaint},
      {win::kWmEnable, Effect::Repaint},
      {win::kWmSetText, Effect::Repaint},
      {win::kWmPaint, Effect::Repaint},
      {win::kWmEraseBkgnd, Effect::Repaint},
      {win::kWmNcPaint, Effect::Repaint},
      {win::kWmKeyDown, Effect::Repaint},
      {win::kWmKeyUp, Effect::Repaint},
      {win::kBmSetState, Effect::PressedFromWParam},
      {win::kWmMouseMove, Effect::Enter},
      {win::kWmMouseLeave, Effect::Leave},
      {win::kCmMouseLeave, Effect::Leave},
  };
  hook_.CallSaved(message);
  auto find = [&message](std::span<const MessageEffect> table) -> const MessageEffect* {
    for (const MessageEffect& entry : table) {
      if (entry.msg == message.msg) return &entry;
    }
    return nullptr;
  };
  const MessageEffect* found = find(kEveryControl);
  if (found == nullptr) found = find(ownMessages_);
  if (found == nullptr) return;  // the look stays as it is
  switch (found->effect) {
    case Effect::Repaint:
      break;
    case Effect::PressedFromWParam:
      pressed_ = message.wParam != 0;
      break;
    case Effect::Press:
      pressed_ = true;
      break;
    case Effect::Release:
      pressed_ = false;
      break;
    case Effect::Enter:
      hover_ = true;
      break;
    case Effect::Leave:
      hover_ = false;
      break;
  }
  Paint();
}

void TskinStripControl::Paint() {
  hook_.Paint([this] { PaintOnce(); });
}
