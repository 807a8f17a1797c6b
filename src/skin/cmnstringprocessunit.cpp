// Rectangle and colour values of the layout and settings files.
#include "skin/cmnstringprocessunit.h"

#include "text/language_management.h"

namespace {

constexpr char16_t kRectByEdges[] = u"rectp";
constexpr char16_t kRectBySize[] = u"rectwh";
constexpr char16_t kColorRgb[] = u"rgb";

// Fields 1..count of a value cut at ",", each a decimal integer.
bool ReadNumbers(const String& value, int count, int32_t* numbers) {
  for (int i = 0; i < count; ++i)
    if (!win::TryStrToInt(GetField(value, u',', i + 1), numbers[i])) return false;
  return true;
}

// Sums wrap around as 32-bit integers do on the target, without overflow traps.
int32_t WrappingEdge(int32_t start, int32_t size) {
  return static_cast<int32_t>(static_cast<uint32_t>(start) + static_cast<uint32_t>(size) - 1u);
}

}  // namespace

bool TryParseRect(const String& value, TRect& rect) {
  String text = win::LowerCase(win::Trim(value));
  String keyword = GetField(text, u',', 0);
  int32_t n[4] = {0, 0, 0, 0};
  if (keyword == kRectByEdges) {
    if (!ReadNumbers(text, 4, n)) return false;
    rect = TRect{n[0], n[1], n[2], n[3]};
  } else if (keyword == kRectBySize) {
    if (!ReadNumbers(text, 4, n)) return false;
    rect = TRect{n[0], n[1], WrappingEdge(n[0], n[2]), WrappingEdge(n[1], n[3])};
  } else {
    rect = TRect{};
  }
  return true;
}

TRect ParseRect(const String& value) {
  TRect rect;
  if (!TryParseRect(value, rect)) rect = TRect{};
  return rect;
}

bool TryParseColor(const String& value, COLORREF& color) {
  String text = win::LowerCase(win::Trim(value));
  if (GetField(text, u',', 0) != kColorRgb) {
    color = 0;
    return true;
  }
  int32_t n[3] = {0, 0, 0};
  if (!ReadNumbers(text, 3, n)) return false;
  auto low8 = [](int32_t v) { return static_cast<uint32_t>(v) & 0xFFu; };
  color = low8(n[0]) | (low8(n[1]) << 8) | (low8(n[2]) << 16);
  return true;
}

COLORREF ParseColor(const String& value) {
  COLORREF color = 0;
  if (!TryParseColor(value, color)) color = 0;
  return color;
}
