// Vertical scroll bars as the model draws them: their parts, what a press on
// each part does, dragging the thumb; and the scroll bar control.
#include <algorithm>

#include "platform/ui.h"
#include "platform/ui_backend.h"

namespace win {

// ---------------------------------------------------------------- parts

namespace {

constexpr int32_t kMinThumb = 8;

int32_t Scaled(int64_t value, int64_t numerator, int64_t denominator) {
  return denominator <= 0 ? 0 : static_cast<int32_t>(value * numerator / denominator);
}

}  // namespace

ScrollBarParts LayoutScrollBar(const Rect& bar, int32_t min, int32_t max, int32_t page, int32_t position) {
  ScrollBarParts parts;
  const int32_t height = std::max(bar.Height(), 0);
  const int32_t arrow = std::min(bar.Width(), height / 4);
  parts.lineUp = Rect{bar.left, bar.top, bar.right, bar.top + arrow};
  parts.lineDown = Rect{bar.left, bar.bottom - arrow, bar.right, bar.bottom};
  parts.track = Rect{bar.left, bar.top + arrow, bar.right, bar.bottom - arrow};
  const int32_t track = parts.track.Height();
  const int64_t range = int64_t{max} - min;
  const int32_t shown = std::max(page, 1);
  int32_t thumb = Scaled(track, shown, range + shown);
  thumb = std::min(std::max(thumb, kMinThumb), track);
  const int32_t top = parts.track.top + Scaled(track - thumb, int64_t{position} - min, range);
  parts.thumb = Rect{bar.left, top, bar.right, top + thumb};
  return parts;
}

int HitScrollBar(const ScrollBarParts& parts, int32_t x, int32_t y) {
  if (parts.lineUp.Contains(x, y)) return kSbLineUp;
  if (parts.lineDown.Contains(x, y)) return kSbLineDown;
  if (parts.thumb.Contains(x, y)) return kSbThumbTrack;
  if (parts.track.Contains(x, y)) return y < parts.thumb.top ? kSbPageUp : kSbPageDown;
  return -1;
}

int32_t ScrollPositionAt(const ScrollBarParts& parts, int32_t min, int32_t max, int32_t thumbTop) {
  const int32_t travel = parts.track.Height() - parts.thumb.Height();
  if (travel <= 0 || max <= min) return min;
  const int32_t moved = std::clamp(thumbTop - parts.track.top, 0, travel);
  // Rounded, so the thumb lands on the step nearest to where it was let go.
  const int64_t range = int64_t{max} - min;
  return min + static_cast<int32_t>((moved * range + travel / 2) / travel);
}

void PaintScrollBar(Canvas& canvas, const ScrollBarParts& parts, const Rect& bar) {
  canvas.brushColor = RGB(60, 60, 60);
  canvas.FillRect(bar);
  canvas.brushColor = RGB(110, 110, 110);
  for (const Rect& arrow : {parts.lineUp, parts.lineDown}) {
    if (arrow.Height() <= 2) continue;
    canvas.FillRect(Rect{arrow.left + 1, arrow.top + 1, arrow.right - 1, arrow.bottom - 1});
  }
  // A small triangle on each arrow.
  canvas.brushColor = RGB(200, 200, 200);
  const int32_t mid = (bar.left + bar.right) / 2;
  for (int32_t row = 0; row < 4 && parts.lineUp.Height() > 10; ++row) {
    const int32_t upY = parts.lineUp.top + parts.lineUp.Height() / 2 - 2 + row;
    const int32_t downY = parts.lineDown.top + parts.lineDown.Height() / 2 + 1 - row;
    canvas.FillRect(Rect{mid - row, upY, mid + row + 1, upY + 1});
    canvas.FillRect(Rect{mid - row, downY, mid + row + 1, downY + 1});
  }
  canvas.brushColor = RGB(170, 170, 170);
  canvas.FillRect(Rect{parts.thumb.left + 2, parts.thumb.top, parts.thumb.right - 2, parts.thumb.bottom});
}

// ---------------------------------------------------------------- ScrollBar

ScrollBar::ScrollBar(Component* owner, StringView className) : Control(owner, className) {}

void ScrollBar::SetMin(int32_t value) {
  min_ = value;
  if (max_ < min_) max_ = min_;
  SetPosition(position_);
}

void ScrollBar::SetMax(int32_t value) {
  max_ = std::max(value, min_);
  SetPosition(position_);
}

void ScrollBar::SetPageSize(int32_t value) {
  pageSize_ = std::max(value, 1);
  GetApplication().StateChanged();
}

void ScrollBar::SetPosition(int32_t position) {
  position = std::clamp(position, min_, max_);
  if (position == position_) return;
  position_ = position;
  backend::ControlChanged(*this);
  GetApplication().StateChanged();
  if (OnPositionChanged) OnPositionChanged(this, position_);
}

ScrollBarParts ScrollBar::Parts() const { return LayoutScrollBar(ClientRect(), min_, max_, pageSize_, position_); }

void ScrollBar::WndProc(Message& m) {
  const int32_t x = PointParamX(m.lParam), y = PointParamY(m.lParam);
  switch (m.msg) {
    case kWmLButtonDown: {
      Control::WndProc(m);
      const ScrollBarParts parts = Parts();
      switch (HitScrollBar(parts, x, y)) {
        case kSbLineUp: SetPosition(position_ - 1); break;
        case kSbLineDown: SetPosition(position_ + 1); break;
        case kSbPageUp: SetPosition(position_ - pageSize_); break;
        case kSbPageDown: SetPosition(position_ + pageSize_); break;
        case kSbThumbTrack: drag_ = ThumbDrag{true, y - parts.thumb.top}; break;
        default: break;
      }
      return;
    }
    case kWmMouseMove:
      Control::WndProc(m);
      if (drag_.active) SetPosition(ScrollPositionAt(Parts(), min_, max_, y - drag_.grabOffset));
      return;
    case kWmLButtonUp:
      if (drag_.active) SetPosition(ScrollPositionAt(Parts(), min_, max_, y - drag_.grabOffset));
      drag_.active = false;
      Control::WndProc(m);
      return;
    default:
      Control::WndProc(m);
  }
}

void ScrollBar::PaintDefault(Canvas& canvas) { PaintScrollBar(canvas, Parts(), ClientRect()); }

}  // namespace win
