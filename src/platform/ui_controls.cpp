// The standard controls: their state, their own message handling and the
// standard look the headless backend draws for them.
#include <algorithm>
#include <cstdint>
#include <unordered_map>

#include "platform/system.h"
#include "platform/ui.h"
#include "platform/ui_backend.h"

namespace win {

namespace {

// Lines of a caption: CR LF, LF and CR each end a line.
StringList SplitLines(StringView text) {
  StringList lines;
  String line;
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c == u'\r' || c == u'\n') {
      lines.push_back(line);
      line.clear();
      if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
    } else {
      line.push_back(c);
    }
  }
  lines.push_back(line);
  return lines;
}

// Character widths, each measured once per layout (text width is the sum of
// the characters' advances, so a line is measured by adding them up).
class CharWidths {
 public:
  explicit CharWidths(const Font& font) : font_(font) {}
  int32_t operator()(char16_t c) {
    auto it = widths_.find(c);
    if (it != widths_.end()) return it->second;
    const int32_t w = MeasureText(font_, StringView(&c, 1)).cx;
    widths_.emplace(c, w);
    return w;
  }

 private:
  const Font& font_;
  std::unordered_map<char16_t, int32_t> widths_;
};

// Chinese, Japanese and Korean text has no blanks between words: a line may
// break before or after any of its characters (ideographs, kana, Hangul,
// their punctuation and full-width forms).
bool IsCjk(char16_t c) {
  return (c >= 0x2E80 && c <= 0x9FFF) || (c >= 0xAC00 && c <= 0xD7AF) || (c >= 0xF900 && c <= 0xFAFF) ||
         (c >= 0xFF00 && c <= 0xFFEF);
}

// Marks that never begin a line: closing punctuation and the long vowel mark.
bool NeverStartsALine(char16_t c) {
  return StringView(u"\u3001\u3002\uFF0C\uFF0E\u300D\u300F\uFF09\u3011\u30FC\uFF01\uFF1F\uFF1A\uFF1B").find(c) !=
         StringView::npos;
}

// Whether a line may break between line[at - 1] and line[at] without a blank.
bool BreaksBetween(const String& line, size_t at) {
  if (at == 0 || at >= line.size() || NeverStartsALine(line[at])) return false;
  return IsCjk(line[at - 1]) || IsCjk(line[at]);
}

// Word wrap as DrawText's DT_WORDBREAK: break at the last blank, or between
// the characters of Chinese, Japanese or Korean text, that fits; a word wider
// than the line is broken where it stops fitting.
void WrapLine(CharWidths& widthOf, const String& line, int32_t width, StringList& out, size_t maxLines) {
  if (line.empty()) {
    out.push_back(String());
    return;
  }
  size_t start = 0;
  while (start < line.size() && out.size() < maxLines) {
    size_t end = start, lastBlank = String::npos, lastBreak = String::npos;
    int32_t used = 0;
    while (end < line.size() && used + widthOf(line[end]) <= width) {
      used += widthOf(line[end]);
      if (line[end] == u' ') lastBlank = end;
      ++end;
      if (BreaksBetween(line, end)) lastBreak = end;
    }
    if (end >= line.size()) {
      out.push_back(line.substr(start));
      break;
    }
    if (line[end] == u' ') lastBlank = end;
    // The later of the last blank and the last break between characters;
    // with neither, where the line stops fitting.
    size_t cut = String::npos;
    if (lastBlank != String::npos && lastBlank > start) cut = lastBlank;
    if (lastBreak != String::npos && lastBreak > start && (cut == String::npos || lastBreak > cut)) cut = lastBreak;
    if (cut == String::npos) cut = std::max(end, start + 1);
    out.push_back(line.substr(start, cut - start));
    start = cut;
    while (start < line.size() && line[start] == u' ') ++start;
  }
}

// The lines a text is drawn as (at most maxLines of them).
StringList LayoutText(const Font& font, StringView text, bool wordWrap, int32_t width,
                      size_t maxLines = SIZE_MAX) {
  StringList lines;
  CharWidths widthOf(font);
  for (const String& line : SplitLines(text)) {
    if (lines.size() >= maxLines) break;
    if (!wordWrap) lines.push_back(line);
    else WrapLine(widthOf, line, width, lines, maxLines);
  }
  return lines;
}

void DrawCaption(Canvas& canvas, const Control& control, int32_t x, int32_t y) {
  canvas.font = control.GetFont();
  if (!control.Enabled()) canvas.font.color = kClGray;
  canvas.transparent = true;
  canvas.TextOut(x, y, control.Caption());
}

// The default look of a check box or radio button: the background unless it
// is transparent, a 13-pixel box, white from fillInset pixels in, a dark mark
// markInset pixels in when checked, and the caption beside it.
void PaintToggle(Canvas& canvas, const ButtonControl& control, int32_t fillInset, int32_t markInset) {
  if (!control.Transparent()) {
    canvas.brushColor = control.Color();
    canvas.FillRect(control.ClientRect());
  }
  const int32_t box = 13, top = (control.Height() - box) / 2;
  canvas.brushColor = kClWhite;
  canvas.FillRect(Rect{fillInset, top + fillInset, box - fillInset, top + box - fillInset});
  canvas.Rectangle(Rect{0, top, box, top + box}, RGB(51, 51, 51));
  if (control.Checked()) {
    canvas.brushColor = RGB(51, 51, 51);
    canvas.FillRect(Rect{markInset, top + markInset, box - markInset, top + box - markInset});
  }
  const int32_t captionHeight = MeasureText(control.GetFont(), control.Caption()).cy;
  DrawCaption(canvas, control, box + 4, (control.Height() - captionHeight) / 2);
}

}  // namespace

StringList WordWrapLines(const Font& font, StringView text, int32_t width) {
  return LayoutText(font, text, true, width);
}

// ---------------------------------------------------------------- Label

Label::Label(Component* owner) : Control(owner, u"TLabel") {}

void Label::SetAutoSize(bool value) {
  autoSize_ = value;
  AdjustBounds();
}

void Label::AdjustBounds() {
  if (!autoSize_) return;
  const StringList lines = LayoutText(GetFont(), Caption(), wordWrap_, Width());
  const int32_t lineHeight = MeasureText(GetFont(), u"Ag").cy;
  int32_t width = 0;
  for (const String& line : lines) width = std::max(width, MeasureText(GetFont(), line).cx);
  const int32_t height = lineHeight * static_cast<int32_t>(lines.size());
  SetBounds(Left(), Top(), wordWrap_ ? Width() : width, height);
}

void Label::PaintDefault(Canvas& canvas) {
  if (!Transparent()) {
    canvas.brushColor = Color();
    canvas.FillRect(ClientRect());
  }
  canvas.font = GetFont();
  if (!Enabled()) canvas.font.color = kClGray;
  canvas.transparent = true;
  const StringList lines = LayoutText(canvas.font, Caption(), wordWrap_, Width());
  const int32_t lineHeight = MeasureText(canvas.font, u"Ag").cy;
  const int32_t total = lineHeight * static_cast<int32_t>(lines.size());
  int32_t y = 0;
  if (layout_ == TextLayout::Center) y = (Height() - total) / 2;
  if (layout_ == TextLayout::Bottom) y = Height() - total;
  for (const String& line : lines) {
    const int32_t w = MeasureText(canvas.font, line).cx;
    int32_t x = 0;
    if (alignment_ == Alignment::Center) x = (Width() - w) / 2;
    if (alignment_ == Alignment::RightJustify) x = Width() - w;
    canvas.TextOut(x, y, line);
    y += lineHeight;
  }
}

// ---------------------------------------------------------------- pressable controls

PressableControl::PressableControl(Component* owner, StringView className) : Control(owner, className) {}

void PressableControl::WndProc(Message& m) {
  switch (m.msg) {
    case kWmLButtonDown:
      SetFocus();
      Control::WndProc(m);
      Perform(kBmSetState, 1, 0);
      return;
    case kWmLButtonUp: {
      const bool wasPressed = pressed_;
      Control::WndProc(m);
      if (wasPressed) {
        Perform(kBmSetState, 0, 0);
        if (ClientRect().Contains(PointParamX(m.lParam), PointParamY(m.lParam))) Click();
      }
      return;
    }
    case kWmKeyDown:
      Control::WndProc(m);
      if (m.wParam == kVkSpace) Perform(kBmSetState, 1, 0);
      return;
    case kWmKeyUp:
      Control::WndProc(m);
      if (m.wParam == kVkSpace && pressed_) {
        Perform(kBmSetState, 0, 0);
        Click();
      }
      return;
    case kBmSetState:
      pressed_ = m.wParam != 0;
      return;
    default:
      Control::WndProc(m);
  }
}

// ---------------------------------------------------------------- Button

Button::Button(Component* owner) : PressableControl(owner, u"TButton") { SetRole(AccessibleRole::PushButton); }

void Button::WndProc(Message& m) {
  switch (m.msg) {
    case kWmKeyDown:
      PressableControl::WndProc(m);
      if (m.wParam == kVkReturn) Click();
      return;
    case kBmGetState:
      m.result = Pressed() ? 4 : 0;
      return;
    default:
      PressableControl::WndProc(m);
  }
}

void Button::PaintDefault(Canvas& canvas) {
  canvas.brushColor = kClBtnFace;
  canvas.FillRect(ClientRect());
  canvas.Rectangle(ClientRect(), Pressed() ? RGB(0, 84, 153) : RGB(173, 173, 173));
  const Size extent = MeasureText(GetFont(), Caption());
  DrawCaption(canvas, *this, (Width() - extent.cx) / 2, (Height() - extent.cy) / 2);
}

// ---------------------------------------------------------------- check box, radio button

ButtonControl::ButtonControl(Component* owner, StringView className) : PressableControl(owner, className) {}

void ButtonControl::SetCheckedQuietly(bool checked) {
  if (checked == checked_) return;
  checked_ = checked;
  Perform(kBmSetCheck, checked ? 1 : 0, 0);
  GetApplication().StateChanged();
}

void ButtonControl::SetChecked(bool checked) {
  if (checked == checked_) return;
  SetCheckedQuietly(checked);
  if (OnClick) OnClick(this);
}

void ButtonControl::WndProc(Message& m) {
  switch (m.msg) {
    case kBmGetCheck:
      m.result = checked_ ? 1 : 0;
      return;
    case kBmSetCheck:
      return;  // the state itself is kept by SetChecked
    default:
      PressableControl::WndProc(m);
  }
}

CheckBox::CheckBox(Component* owner) : ButtonControl(owner, u"TCheckBox") { SetRole(AccessibleRole::CheckBox); }

void CheckBox::Click() { SetChecked(!Checked()); }

void CheckBox::PaintDefault(Canvas& canvas) { PaintToggle(canvas, *this, 0, 3); }

RadioButton::RadioButton(Component* owner) : ButtonControl(owner, u"TRadioButton") {
  SetRole(AccessibleRole::RadioButton);
}

void RadioButton::SetChecked(bool checked) {
  if (checked == Checked()) return;
  if (checked && Parent()) {
    // One ticked radio button per parent.
    for (Control* sibling : Parent()->Children())
      if (sibling != this)
        if (auto* radio = dynamic_cast<RadioButton*>(sibling)) radio->SetCheckedQuietly(false);
  }
  ButtonControl::SetChecked(checked);
}

void RadioButton::Click() { SetChecked(true); }

void RadioButton::PaintDefault(Canvas& canvas) { PaintToggle(canvas, *this, 1, 4); }

// ---------------------------------------------------------------- Image

Image::Image(Component* owner) : Control(owner, u"TImage") {}

void Image::SetPicture(const Bitmap& picture) {
  picture_ = picture;
  if (autoSize_ && !picture_.Empty()) SetBounds(Left(), Top(), picture_.Width(), picture_.Height());
  GetApplication().StateChanged();
}

void Image::PaintDefault(Canvas& canvas) {
  if (picture_.Empty()) return;
  Rect dst{0, 0, picture_.Width(), picture_.Height()};
  if (stretch_) {
    dst = ClientRect();
    if (proportional_) {
      const double sx = double(Width()) / picture_.Width(), sy = double(Height()) / picture_.Height();
      const double s = std::min(sx, sy);
      dst.right = static_cast<int32_t>(picture_.Width() * s);
      dst.bottom = static_cast<int32_t>(picture_.Height() * s);
    }
  }
  if (center_) {
    const int32_t dx = (Width() - dst.Width()) / 2, dy = (Height() - dst.Height()) / 2;
    dst = Rect{dx, dy, dx + dst.Width(), dy + dst.Height()};
  }
  Bitmap scaled;
  const Bitmap* source = &picture_;
  if (dst.Width() != picture_.Width() || dst.Height() != picture_.Height()) {
    scaled.SetSize(dst.Width(), dst.Height());
    scaled.StretchDraw(Rect{0, 0, dst.Width(), dst.Height()}, picture_);
    source = &scaled;
  }
  if (!Transparent()) {
    canvas.Draw(dst.left, dst.top, *source);
    return;
  }
  // The bottom-left pixel's colour is the transparent one.
  const COLORREF key = picture_.Pixel(0, picture_.Height() - 1);
  Bitmap& target = canvas.Target();
  const Rect clip = canvas.clip.IsEmpty() ? Rect{0, 0, target.Width(), target.Height()} : canvas.clip;
  for (int32_t y = 0; y < source->Height(); ++y)
    for (int32_t x = 0; x < source->Width(); ++x) {
      const COLORREF c = source->Pixel(x, y);
      if (c != key && clip.Contains(dst.left + x, dst.top + y)) target.SetPixel(dst.left + x, dst.top + y, c);
    }
}

// ---------------------------------------------------------------- ProgressBar

ProgressBar::ProgressBar(Component* owner) : Control(owner, u"TProgressBar") {}

void ProgressBar::SetRange(int32_t min, int32_t max) {
  min_ = min;
  max_ = std::max(min, max);
  SetPosition(position_);
}

void ProgressBar::SetPosition(int32_t position) {
  position = std::clamp(position, min_, max_);
  if (position == position_) return;
  position_ = position;
  backend::ControlChanged(*this);
  GetApplication().StateChanged();
}

void ProgressBar::PaintDefault(Canvas& canvas) {
  canvas.brushColor = RGB(230, 230, 230);
  canvas.FillRect(ClientRect());
  canvas.Rectangle(ClientRect(), RGB(188, 188, 188));
  if (max_ > min_) {
    const int32_t inner = std::max(Width() - 2, 0);
    const int32_t filled = static_cast<int32_t>(int64_t{inner} * (position_ - min_) / (max_ - min_));
    canvas.brushColor = RGB(6, 176, 37);
    canvas.FillRect(Rect{1, 1, 1 + filled, Height() - 1});
  }
}

// ---------------------------------------------------------------- GroupBox

GroupBox::GroupBox(Component* owner) : Control(owner, u"TGroupBox") {}

void GroupBox::PaintDefault(Canvas& canvas) {
  canvas.brushColor = Color();
  canvas.FillRect(ClientRect());
  if (!Caption().empty()) {
    const int32_t h = MeasureText(GetFont(), Caption()).cy;
    canvas.Rectangle(Rect{0, h / 2, Width(), Height()}, RGB(220, 220, 220));
    canvas.font = GetFont();
    canvas.transparent = false;
    canvas.brushColor = Color();
    canvas.TextOut(8, 0, Caption());
  }
}

// ---------------------------------------------------------------- Timer

Timer::Timer(Component* owner) : Component(owner, u"TTimer") { Arm(); }

Timer::~Timer() { GetApplication().TimerGone(this); }

void Timer::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  Arm();
}

void Timer::SetInterval(uint32_t milliseconds) {
  if (milliseconds == interval_) return;
  interval_ = milliseconds;
  Arm();
}

void Timer::Arm() {
  Application& app = GetApplication();
  dueAt_ = app.Now() + interval_;
  app.TimerChanged(this);
}

// ---------------------------------------------------------------- PrintDialog

PrintDialog::PrintDialog(Component* owner) : Component(owner, u"TPrintDialog") {}

bool PrintDialog::Execute(Form* ownerForm) { return backend::RunPrintDialog(GetApplication(), *this, ownerForm); }

}  // namespace win
