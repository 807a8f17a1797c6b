// The rich-text view: loading licence files, the lines it draws, scrolling
// by wheel, keys and its scroll bar, printing.
#include <algorithm>

#include "platform/files.h"
#include "platform/system.h"
#include "platform/ui.h"
#include "platform/ui_backend.h"

namespace win {

namespace {

// The view's frame: a one-pixel border, the text inset within it.
constexpr int32_t kTextLeft = 4;
constexpr int32_t kTextTop = 3;
constexpr int32_t kBarWidth = 17;  // the system's vertical scroll bar width
// Lines a wheel notch scrolls (the system's default wheel setting).
constexpr int32_t kWheelLines = 3;

int32_t LineHeight(const Font& font) { return std::max(MeasureText(font, u"Ag").cy, 1); }

Font ViewFont(const Control& view) {
  Font font = view.GetFont();
  font.color = kClWindowText;
  return font;
}

}  // namespace

RichEdit::RichEdit(Component* owner) : Control(owner, u"TRichEdit") { SetColor(kClWindow); }

// ---------------------------------------------------------------- text

void RichEdit::TextLoaded() {
  linesValid_ = false;
  topLine_ = 0;
  wheelRest_ = 0;
  drag_.active = false;
  GetApplication().StateChanged();
  backend::RichTextChanged(*this);
}

void RichEdit::Clear() {
  text_.clear();
  rtf_.clear();
  TextLoaded();
}

void RichEdit::SetText(StringView text) {
  text_ = String(text);
  rtf_.clear();
  TextLoaded();
}

bool RichEdit::LoadFromBytes(const std::string& bytes) {
  text_.clear();
  rtf_.clear();
  std::string rtf;
  const bool bom = bytes.size() >= 2 && static_cast<uint8_t>(bytes[0]) == 0xFF && static_cast<uint8_t>(bytes[1]) == 0xFE;
  const bool utf16 = bom || (bytes.size() >= 4 && bytes[0] == '{' && bytes[1] == 0 && bytes[2] == '\\' && bytes[3] == 0);
  if (utf16) {
    // UTF-16LE rich text: the markup is ASCII; other characters are kept as
    // \u escapes so the reader turns them back.
    for (size_t i = bom ? 2 : 0; i + 1 < bytes.size(); i += 2) {
      const uint16_t unit = static_cast<uint8_t>(bytes[i]) | static_cast<uint8_t>(bytes[i + 1]) << 8;
      if (unit < 0x80) {
        rtf.push_back(static_cast<char>(unit));
      } else {
        rtf += "\\uc0\\u" + std::to_string(static_cast<int16_t>(unit)) + " ";
      }
    }
  } else {
    rtf = bytes;
  }
  if (rtf.rfind("{\\rtf", 0) == 0) {
    text_ = RtfToPlainText(rtf);
    rtf_ = std::move(rtf);
  } else {
    text_ = utf16 ? FromUtf8(rtf) : DecodeCodePage(rtf);
  }
  TextLoaded();
  return !bytes.empty();
}

bool RichEdit::LoadFromFile(const String& path) {
  std::string bytes;
  if (!ReadFileBytes(path, bytes)) {
    Clear();
    return false;
  }
  return LoadFromBytes(bytes);
}

bool RichEdit::Print(StringView jobTitle) { return backend::PrintText(jobTitle, text_); }

// ---------------------------------------------------------------- lines

int32_t RichEdit::PageLines() const {
  return std::max((Height() - 2 * kTextTop) / LineHeight(ViewFont(*this)), 1);
}

// The text laid out at the view's width; when it is longer than the view,
// laid out again beside the scroll bar.
const StringList& RichEdit::Lines() {
  const Font font = ViewFont(*this);
  if (linesValid_ && linesWidth_ == Width() && linesHeight_ == Height() && linesFont_ == font) return lines_;
  const int32_t full = std::max(Width() - 2 * kTextLeft, 10);
  lines_ = WordWrapLines(font, text_, full);
  if (static_cast<int32_t>(lines_.size()) > PageLines())
    lines_ = WordWrapLines(font, text_, std::max(full - kBarWidth, 10));
  linesValid_ = true;
  linesWidth_ = Width();
  linesHeight_ = Height();
  linesFont_ = font;
  return lines_;
}

int32_t RichEdit::LineCount() { return static_cast<int32_t>(Lines().size()); }

// ---------------------------------------------------------------- scrolling

void RichEdit::ScrollTo(int32_t line) {
  if (backend::ScrollRichView(*this, kSbThumbPosition, line)) return;
  line = std::clamp(line, 0, MaxTopLine());
  if (line == topLine_) return;
  topLine_ = line;
  backend::ControlChanged(*this);
  GetApplication().StateChanged();
}

void RichEdit::SetTopLine(int32_t line) {
  line = std::max(line, 0);
  if (line == topLine_) return;
  topLine_ = line;
  GetApplication().StateChanged();
}

Rect RichEdit::BarRect() const { return Rect{Width() - 1 - kBarWidth, 1, Width() - 1, Height() - 1}; }

ScrollBarParts RichEdit::Parts() { return LayoutScrollBar(BarRect(), 0, MaxTopLine(), PageLines(), topLine_); }

Rect RichEdit::ScrollThumb() {
  Rect thumb;
  if (backend::RichViewThumb(*this, thumb)) return thumb;
  return ScrollBarShown() ? Parts().thumb : Rect{};
}

void RichEdit::Scroll(uint16_t code, int32_t thumbLine) {
  if (backend::ScrollRichView(*this, code, thumbLine)) return;
  switch (code) {
    case kSbLineUp: ScrollTo(topLine_ - 1); break;
    case kSbLineDown: ScrollTo(topLine_ + 1); break;
    case kSbPageUp: ScrollTo(topLine_ - PageLines()); break;
    case kSbPageDown: ScrollTo(topLine_ + PageLines()); break;
    case kSbThumbPosition:
    case kSbThumbTrack: ScrollTo(thumbLine); break;
    case kSbTop: ScrollTo(0); break;
    case kSbBottom: ScrollTo(MaxTopLine()); break;
    default: break;
  }
}

void RichEdit::WndProc(Message& m) {
  const int32_t x = PointParamX(m.lParam), y = PointParamY(m.lParam);
  switch (m.msg) {
    case kWmVScroll:
      Scroll(static_cast<uint16_t>(m.wParam & 0xFFFF), static_cast<uint16_t>((m.wParam >> 16) & 0xFFFF));
      return;
    case kWmMouseWheel: {
      // Small turns add up until they make a whole line.
      wheelRest_ += static_cast<int16_t>((m.wParam >> 16) & 0xFFFF);
      const int32_t lines = wheelRest_ * kWheelLines / kWheelDelta;
      wheelRest_ -= lines * kWheelDelta / kWheelLines;
      if (lines != 0) ScrollTo(topLine_ - lines);
      m.result = 1;
      return;
    }
    case kWmKeyDown: {
      Control::WndProc(m);
      static const std::pair<uint16_t, uint16_t> kKeys[] = {{kVkUp, kSbLineUp},     {kVkDown, kSbLineDown},
                                                            {kVkPrior, kSbPageUp},  {kVkNext, kSbPageDown},
                                                            {kVkHome, kSbTop},      {kVkEnd, kSbBottom}};
      for (const auto& [key, code] : kKeys)
        if (m.wParam == key) Perform(kWmVScroll, MakeScrollParam(code));
      return;
    }
    case kWmLButtonDown: {
      SetFocus();
      Control::WndProc(m);
      if (!ScrollBarShown()) return;
      const ScrollBarParts parts = Parts();
      const int part = HitScrollBar(parts, x, y);
      if (part == kSbThumbTrack) drag_ = ThumbDrag{true, y - parts.thumb.top};
      else if (part >= 0) Perform(kWmVScroll, MakeScrollParam(static_cast<uint16_t>(part)));
      return;
    }
    case kWmMouseMove:
      Control::WndProc(m);
      if (drag_.active)
        Perform(kWmVScroll, MakeScrollParam(kSbThumbTrack, ScrollPositionAt(Parts(), 0, MaxTopLine(), y - drag_.grabOffset)));
      return;
    case kWmLButtonUp:
      if (drag_.active)
        Perform(kWmVScroll,
                MakeScrollParam(kSbThumbPosition, ScrollPositionAt(Parts(), 0, MaxTopLine(), y - drag_.grabOffset)));
      drag_.active = false;
      Control::WndProc(m);
      return;
    case kWmSize:
      // Another size lays the text out anew; the first line in view stays
      // within the text.
      Control::WndProc(m);
      ScrollTo(topLine_);
      return;
    default:
      Control::WndProc(m);
  }
}

// ---------------------------------------------------------------- drawing

void RichEdit::PaintDefault(Canvas& canvas) {
  canvas.brushColor = Color();
  canvas.FillRect(ClientRect());
  canvas.Rectangle(ClientRect(), RGB(130, 135, 144));
  const bool bar = ScrollBarShown();
  const StringList& lines = Lines();
  canvas.font = ViewFont(*this);
  canvas.transparent = true;
  const Rect saved = canvas.clip;
  canvas.clip = Rect{1, 1, bar ? BarRect().left : Width() - 1, Height() - 1};
  const int32_t lineHeight = LineHeight(canvas.font);
  int32_t y = kTextTop;
  for (size_t i = static_cast<size_t>(topLine_); i < lines.size() && y < Height(); ++i, y += lineHeight)
    canvas.TextOut(kTextLeft, y, lines[i]);
  canvas.clip = saved;
  if (bar) PaintScrollBar(canvas, Parts(), BarRect());
}

}  // namespace win
