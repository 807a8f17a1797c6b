#include "skin/skin_captionlayout.h"

#include <algorithm>

namespace skin {

namespace {

constexpr char16_t kBlank = u' ';
constexpr int32_t kLineSpacing = 3;  // between wrapped caption lines

bool IsAsciiLetter(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }

}  // namespace

win::Point ButtonCaptionPosition(int32_t alignment, const TRect& captionRect,
                                 const ButtonCaptionFrame& frame, int32_t tw, int32_t th) {
  win::Point at;
  if (IsNoCaptionRect(captionRect)) {
    switch (alignment) {
      case kAlignLeft:
        at.x = captionRect.Left;
        break;
      case kAlignRight:
        at.x = tw < frame.compositeWidth ? frame.compositeWidth - tw : captionRect.Left;
        break;
      default:
        at.x = (frame.buttonWidth - tw) / 2;
        break;
    }
    at.y = (frame.buttonHeight - th) / 2;
    return at;
  }

  const int32_t left = captionRect.Left;
  const int32_t top = captionRect.Top;
  int32_t right = captionRect.Right;
  int32_t bottom = captionRect.Bottom;
  if (right == -1) {
    right = frame.frameWidth;
    bottom = frame.stripHeight;
  }
  switch (alignment) {
    case kAlignLeft:
      at.x = left;
      break;
    case kAlignRight:
      at.x = tw < right ? right - tw : left;
      break;
    default:
      at.x = right - left - tw > 0 ? left + (right - left - tw) / 2 : left;
      break;
  }
  at.y = top + (bottom - top - th) / 2;
  return at;
}

int32_t ScaledWidth(int32_t width, double scale) {
  return static_cast<int32_t>(width * scale + 0.999);
}

WrappedCaption WrapCheckBoxCaption(StringView caption, int32_t available,
                                   const MeasureWidth& width) {
  WrappedCaption result;
  const size_t count = caption.size();
  if (count == 0) return result;

  size_t start = 0;
  int32_t breaks = 0;
  while (true) {
    // Find the first character whose addition makes the line too wide. The
    // line always keeps its first character, and the caption's last one is
    // never tested.
    size_t stop = count;
    if (breaks < kMaxCaptionBreaks) {
      for (size_t next = start + 1; next + 1 < count; ++next) {
        if (width(caption.substr(start, next + 1 - start)) > available) {
          stop = next;
          break;
        }
      }
    }
    if (stop == count) {
      result.lines.emplace_back(caption.substr(start));
      return result;
    }

    size_t lineEnd = stop;   // the line is [start, lineEnd)
    size_t nextStart = stop;
    if (IsAsciiLetter(caption[stop])) {
      const size_t blank = caption.substr(start, stop - start).find_last_of(kBlank);
      const bool innerBlank = blank != StringView::npos && blank > 0;
      if (!innerBlank && breaks == 0) {
        result.lines.assign(1, String(caption));
        result.unbroken = true;
        return result;
      }
      if (innerBlank) {
        const size_t wordStart = start + blank + 1;
        size_t wordEnd = caption.find(kBlank, stop);
        if (wordEnd == StringView::npos) wordEnd = count;
        // A word that fits no line on its own is broken where the line is
        // full, unless nothing of it would stay on this line.
        const bool breakInsideWord =
            stop > wordStart &&
            width(caption.substr(wordStart, wordEnd - wordStart)) > available;
        if (!breakInsideWord) {
          lineEnd = start + blank;
          nextStart = wordStart;
        }
      }
    }
    result.lines.emplace_back(caption.substr(start, lineEnd - start));
    start = nextStart;
    ++breaks;
  }
}

CheckBoxLayout LayoutCheckBox(StringView caption, const CheckBoxMetrics& metrics,
                              const MeasureWidth& measure) {
  CheckBoxLayout layout;
  const int32_t th = metrics.textHeight;
  const int32_t lineHeight = th + kLineSpacing;
  const MeasureWidth scaled = [&](StringView text) {
    return ScaledWidth(measure(text), metrics.scale);
  };

  layout.captionX = metrics.frameWidth + metrics.gap;
  layout.width = layout.captionX + scaled(caption);
  if (layout.width > metrics.designWidth) {
    layout.wrapped = true;
    layout.width = metrics.designWidth;
    const int32_t available = metrics.designWidth - metrics.gap - metrics.frameWidth;
    WrappedCaption wrapped = WrapCheckBoxCaption(caption, available, scaled);
    if (wrapped.unbroken) {
      layout.height = 2 * lineHeight;
      layout.lines = std::move(wrapped.lines);
      layout.lineY.push_back((layout.height - metrics.stripHeight) / 2);
    } else {
      layout.height = static_cast<int32_t>(wrapped.lines.size()) * lineHeight;
      layout.lines = std::move(wrapped.lines);
      for (size_t i = 0; i < layout.lines.size(); ++i) {
        layout.lineY.push_back(1 + static_cast<int32_t>(i) * lineHeight);
      }
    }
  } else {
    layout.height = std::max(th, metrics.stripHeight);
    layout.lines.emplace_back(caption);
    layout.lineY.push_back(1);
  }
  layout.frameY = (layout.height - metrics.stripHeight) / 2;
  return layout;
}

RadioButtonLayout LayoutRadioButton(int32_t frameWidth, int32_t stripHeight, int32_t gap,
                                    int32_t tw, int32_t th) {
  RadioButtonLayout layout;
  layout.width = frameWidth + gap + tw;
  layout.height = std::max(th, stripHeight);
  layout.captionX = frameWidth + gap;
  layout.captionY = (layout.height - th) / 2;
  return layout;
}

}  // namespace skin
