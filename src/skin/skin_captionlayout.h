// Where the skinned controls put their picture and caption: pure arithmetic
// over measured text sizes, so the placement is the same on every backend and
// can be checked with fixed text metrics.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/graphics.h"
#include "platform/strings.h"
#include "skin/cmnstringprocessunit.h"

namespace skin {

// Caption alignments of a skinned push button.
constexpr int32_t kAlignCentre = 0;
constexpr int32_t kAlignLeft = 1;
constexpr int32_t kAlignRight = 2;

// The caption rectangle -1, -1, -1, -1 means "no rectangle".
constexpr TRect kNoCaptionRect{-1, -1, -1, -1};
inline bool IsNoCaptionRect(const TRect& rect) { return rect == kNoCaptionRect; }

// What a push button's caption is placed against.
struct ButtonCaptionFrame {
  int32_t buttonWidth = 0;
  int32_t buttonHeight = 0;
  int32_t compositeWidth = 0;
  int32_t frameWidth = 0;   // width of one frame of the strip
  int32_t stripHeight = 0;
};

// Top-left corner of a push button's caption of size tw x th. Halves truncate
// toward zero, so a caption wider than the button starts left of it.
win::Point ButtonCaptionPosition(int32_t alignment, const TRect& captionRect,
                                 const ButtonCaptionFrame& frame, int32_t tw, int32_t th);

// A width measured at 96 pixels per inch, taken to the screen's density: a
// fraction of 0.001 pixel or more counts as a whole pixel.
int32_t ScaledWidth(int32_t width, double scale);

// Width of a piece of caption as the check box sees it (already scaled).
using MeasureWidth = std::function<int32_t(StringView)>;

// Lines of a check-box caption that does not fit beside its picture.
struct WrappedCaption {
  StringList lines;
  // The first line would have to break inside its first word: the caption is
  // drawn whole on one line instead.
  bool unbroken = false;
};

// After this many line breaks the rest of a caption is one last line.
constexpr int32_t kMaxCaptionBreaks = 3000;

// Cuts a caption into lines no wider than `available` where it can: a line
// grows one character at a time until the next one would not fit; before a
// letter it ends at its last inner blank (the blank is dropped), otherwise
// before the character that did not fit. The caption's last character is never
// tested, so the last line may be a little wider. A word that alone is wider
// than the available width is broken inside, at the available width.
WrappedCaption WrapCheckBoxCaption(StringView caption, int32_t available,
                                   const MeasureWidth& width);

// The placement of a check box's picture and caption.
struct CheckBoxLayout {
  int32_t width = 0;   // composite (and control) size
  int32_t height = 0;
  int32_t frameY = 0;  // the picture is drawn at (0, frameY)
  int32_t captionX = 0;
  StringList lines;            // caption lines, one when not wrapped
  std::vector<int32_t> lineY;  // top of each line
  bool wrapped = false;
};

struct CheckBoxMetrics {
  int32_t designWidth = 0;  // the control's width when its strip was loaded
  int32_t frameWidth = 0;
  int32_t stripHeight = 0;
  int32_t gap = 0;
  double scale = 1.0;       // font pixels per inch / 96
  int32_t textHeight = 0;   // th
};

// `measure` gives the unscaled width of a text in the control's font.
CheckBoxLayout LayoutCheckBox(StringView caption, const CheckBoxMetrics& metrics,
                              const MeasureWidth& measure);

// The placement of a radio button's picture (always at 0, 0) and caption.
struct RadioButtonLayout {
  int32_t width = 0;
  int32_t height = 0;
  int32_t captionX = 0;
  int32_t captionY = 0;
};

RadioButtonLayout LayoutRadioButton(int32_t frameWidth, int32_t stripHeight, int32_t gap,
                                    int32_t tw, int32_t th);

}  // namespace skin
