// Value syntaxes of the layout and settings files: rectangles and colours.
#pragma once

#include <cstdint>

#include "platform/strings.h"

struct TRect {
  int32_t Left = 0;
  int32_t Top = 0;
  int32_t Right = 0;
  int32_t Bottom = 0;
  bool operator==(const TRect&) const = default;
};

using COLORREF = uint32_t;

// "rectp,L,T,R,B" or "rectwh,X,Y,W,H" (keyword in any case, blanks allowed
// around the fields); "rectwh" gives Right = X+W-1 and Bottom = Y+H-1. Any
// other keyword gives the empty rectangle (and counts as parsed). False, with
// rect unchanged, when one of the four numbers is not a decimal integer.
bool TryParseRect(const String& value, TRect& rect);
// The same; a value with a bad number gives the empty rectangle.
TRect ParseRect(const String& value);

// "rgb,R,G,B[,...]": R | G << 8 | B << 16, each reduced to its low 8 bits;
// any other first field gives 0 (black). False, with color unchanged, when one
// of the three numbers is not a decimal integer.
bool TryParseColor(const String& value, COLORREF& color);
// The same; a value with a bad number gives black.
COLORREF ParseColor(const String& value);
