// Rectangle and colour values.
#include <gtest/gtest.h>

#include "skin/cmnstringprocessunit.h"

namespace {

TEST(ParseRect, Notations) {
  struct Case {
    const char16_t* value;
    TRect rect;
  } cases[] = {
      {u"rectWH,96,10,86,66", {96, 10, 181, 75}},
      {u"rectwh,221,395,64,25", {221, 395, 284, 419}},
      {u"  rectP, 10, 20, 74, 45  ", {10, 20, 74, 45}},
      {u"RECTP,-5,-6,7,8", {-5, -6, 7, 8}},
      {u"rectwh,0,0,0,0", {0, 0, -1, -1}},
      {u"rect,1,2,3,4", {0, 0, 0, 0}},
      {u"", {0, 0, 0, 0}},
      {u"rectwh,2147483647,0,2,1", {2147483647, 0, -2147483648, 0}},  // wraps, no trap
  };
  for (const Case& c : cases) {
    TRect r{1, 2, 3, 4};
    EXPECT_TRUE(TryParseRect(c.value, r)) << win::ToUtf8(c.value);
    EXPECT_EQ(r, c.rect) << win::ToUtf8(c.value);
    EXPECT_EQ(ParseRect(c.value), c.rect) << win::ToUtf8(c.value);
  }
}

TEST(ParseRect, BadNumbersLeaveTheRectangleAlone) {
  const char16_t* bad[] = {u"rectwh,a,10,86,66", u"rectp,1,2,3", u"rectp,1,2,3,4,",
                           u"rectwh,0x10,1,1,1", u"rectp,1,2,3,99999999999"};
  for (const char16_t* value : bad) {
    TRect r{1, 2, 3, 4};
    EXPECT_FALSE(TryParseRect(value, r)) << win::ToUtf8(value);
    EXPECT_EQ(r, (TRect{1, 2, 3, 4}));
    EXPECT_EQ(ParseRect(value), TRect{});
  }
}

TEST(ParseColor, Notations) {
  struct Case {
    const char16_t* value;
    bool ok;
    COLORREF color;
  } cases[] = {
      {u"RGB,128,128,128,Gray", true, 0x808080},
      {u"rgb, 1, 2, 3", true, 0x030201},
      {u"rgb,300,0,0", true, 44},  // low 8 bits
      {u"rgb,-1,0,0", true, 0xFF},
      {u"red", true, 0},
      {u"", true, 0},
      {u"rgb,red,0,0", false, 0x123456},
      {u"rgb,1,2", false, 0x123456},
  };
  for (const Case& c : cases) {
    COLORREF color = 0x123456;
    EXPECT_EQ(TryParseColor(c.value, color), c.ok) << win::ToUtf8(c.value);
    EXPECT_EQ(color, c.color) << win::ToUtf8(c.value);
  }
  EXPECT_EQ(ParseColor(u"rgb,red,0,0"), 0u);
}

}  // namespace
