// What every skinned control drawn from a picture strip of four frames shares:
// the strip, the picture composed for the window, and the window procedure in
// front of the control's own, which keeps the hover and pressed state and
// repaints on every message that can change the look. Each kind of control
// names the messages it reacts to beyond those all of them do.
#pragma once

#include <cstdint>
#include <span>

#include "platform/graphics.h"
#include "platform/ui.h"
#include "skin/skin_graphiceengine.h"
#include "skin/skin_hook.h"

class TskinStripControl {
 public:
  // What a message does to the state before the control is repainted.
  enum class Effect {
    Repaint,
    PressedFromWParam,  // BM_SETSTATE: pressed while wParam is not zero
    Press,
    Release,
    Enter,
    Leave,
  };
  struct MessageEffect {
    uint32_t msg;
    Effect effect;
  };

  virtual ~TskinStripControl();
  TskinStripControl(const TskinStripControl&) = delete;
  TskinStripControl& operator=(const TskinStripControl&) = delete;

  // The control's window procedure while the skin is attached.
  void SkinWindowProc(win::Message& message);
  // Draws the current look onto the control.
  void Paint();

  // What the skin holds (tests, snapshots).
  const win::Bitmap& Strip() const { return strip_; }
  const win::Bitmap& Composite() const { return composite_; }
  bool Hover() const { return hover_; }
  bool Pressed() const { return pressed_; }

 protected:
  // ownMessages: what this kind of control reacts to beyond the messages
  // every skinned strip control does (a table that outlives the object).
  TskinStripControl(win::Control& control, std::span<const MessageEffect> ownMessages);

  // Reads the picture as the strip. A missing or unreadable picture changes
  // nothing and gives false.
  bool LoadStripPicture(const String& path);
  // Installs SkinWindowProc in front of the control's window procedure; later
  // calls change nothing.
  void HookWindowProc();
  int32_t FrameWidth() const { return strip_.Width() / kSkinFrameCount; }

  // One round of drawing the current look onto the control.
  virtual void PaintOnce() = 0;

 private:
  TskinHook hook_;  // gives the control back its window procedure when the skin goes
  std::span<const MessageEffect> ownMessages_;
  bool hover_ = false;
  bool pressed_ = false;

 protected:
  TskinGraphiceEngine engine_;
  win::Bitmap strip_;
  win::Bitmap composite_;
  win::Bitmap frame_;
};
