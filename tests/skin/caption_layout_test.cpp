// Caption placement of the skinned controls, with characters 10 pixels wide.
#include <gtest/gtest.h>

#include "skin/skin_captionlayout.h"

namespace {

using skin::ButtonCaptionFrame;
using skin::CheckBoxMetrics;

constexpr int32_t kCharWidth = 10;
int32_t FixedWidth(StringView text) { return static_cast<int32_t>(text.size()) * kCharWidth; }

struct ButtonCase {
  const char* name;
  int32_t alignment;
  TRect rect;
  int32_t tw;
  win::Point expected;
};

// A 64 x 25 button cut from a 256 x 25 strip, caption 13 pixels high.
TEST(ButtonCaption, PositionsForEachAlignmentAndRectangle) {
  const ButtonCaptionFrame frame{64, 25, 64, 64, 25};
  const ButtonCase cases[] = {
      {"centred", skin::kAlignCentre, skin::kNoCaptionRect, 20, {22, 6}},
      {"left takes the empty rectangle's -1", skin::kAlignLeft, skin::kNoCaptionRect, 20, {-1, 6}},
      {"right", skin::kAlignRight, skin::kNoCaptionRect, 20, {44, 6}},
      {"right, caption too wide", skin::kAlignRight, skin::kNoCaptionRect, 70, {-1, 6}},
      {"centred, caption too wide, truncates toward zero", skin::kAlignCentre,
       skin::kNoCaptionRect, 75, {-5, 6}},
      {"rectangle centred", skin::kAlignCentre, {10, 2, 50, 22}, 20, {20, 5}},
      {"rectangle centred, caption too wide", skin::kAlignCentre, {10, 2, 50, 22}, 40, {10, 5}},
      {"rectangle left", skin::kAlignLeft, {10, 2, 50, 22}, 20, {10, 5}},
      {"rectangle right", skin::kAlignRight, {10, 2, 50, 22}, 20, {30, 5}},
      {"rectangle right, caption too wide", skin::kAlignRight, {10, 2, 50, 22}, 60, {10, 5}},
      {"open rectangle uses the frame size", skin::kAlignCentre, {4, 0, -1, 9}, 20, {24, 6}},
  };
  for (const ButtonCase& c : cases) {
    EXPECT_EQ(skin::ButtonCaptionPosition(c.alignment, c.rect, frame, c.tw, 13), c.expected)
        << c.name;
  }
}

TEST(CheckBoxCaption, ScaledWidthCountsAThousandthAsAPixel) {
  EXPECT_EQ(skin::ScaledWidth(80, 1.0), 80);
  EXPECT_EQ(skin::ScaledWidth(80, 1.25), 100);
  EXPECT_EQ(skin::ScaledWidth(81, 1.25), 102);   // 101.25
  EXPECT_EQ(skin::ScaledWidth(1, 1.001), 2);     // 1.001
  EXPECT_EQ(skin::ScaledWidth(1000, 1.0000009), 1000);
}

struct WrapCase {
  const char* caption;
  int32_t available;
  StringList lines;
  bool unbroken;
};

TEST(CheckBoxCaption, WrapsAtBlanksBeforeLettersAndBeforeOtherCharacters) {
  const WrapCase cases[] = {
      {"Go ahead and launch it", 60, {u"Go", u"ahead", u"and", u"launch", u" it"}, false},
      {"Run the program now", 120, {u"Run the", u"program now"}, false},
      {"Abcdefghijklmnop", 60, {u"Abcdefghijklmnop"}, true},
      // A blank in first position does not count as a place to break.
      {" Abcdefghijk", 60, {u" Abcdefghijk"}, true},
      // Not a letter: the line ends just before it, the next line starts with it.
      {"12345678", 30, {u"123", u"456", u"78"}, false},
      {"ab, cd, ef", 30, {u"ab,", u" cd", u", ef"}, false},
      // The last character is never tested; a long word that starts the next
      // line anyway moves there whole.
      {"Abc Defgh", 40, {u"Abc", u"Defgh"}, false},
      // A word longer than the available width is broken inside it, where the
      // line is full, both after a blank and at the start of a line.
      {"Go Abcdefghijk", 60, {u"Go Abc", u"defghi", u"jk"}, false},
      {"Ok go Abcdefghijklmnopq", 60, {u"Ok go", u"Abcdef", u"ghijkl", u"mnopq"}, false},
      {"", 60, {}, false},
  };
  for (const WrapCase& c : cases) {
    const String caption = win::FromUtf8(c.caption);
    const skin::WrappedCaption wrapped = skin::WrapCheckBoxCaption(caption, c.available, FixedWidth);
    EXPECT_EQ(wrapped.lines, c.lines) << c.caption;
    EXPECT_EQ(wrapped.unbroken, c.unbroken) << c.caption;
  }
}

TEST(CheckBoxCaption, EndsWithOneLastLineAfterThreeThousandBreaks) {
  // Nothing fits: every character would be a line of its own.
  const String caption(5000, u'1');
  const skin::WrappedCaption wrapped = skin::WrapCheckBoxCaption(caption, -1, FixedWidth);
  ASSERT_EQ(wrapped.lines.size(), 3001u);
  EXPECT_EQ(wrapped.lines.front(), u"1");
  EXPECT_EQ(wrapped.lines.back(), String(2000, u'1'));
}

// A check box designed 120 pixels wide with a 64 x 16 strip and a gap of 5.
CheckBoxMetrics Example(double scale) { return CheckBoxMetrics{120, 16, 16, 5, scale, 13}; }

TEST(CheckBoxCaption, FitsBesideThePictureAtNinetySixDotsPerInch) {
  const skin::CheckBoxLayout layout = skin::LayoutCheckBox(u"Play now", Example(1.0), FixedWidth);
  EXPECT_FALSE(layout.wrapped);
  EXPECT_EQ(layout.width, 101);
  EXPECT_EQ(layout.height, 16);
  EXPECT_EQ(layout.frameY, 0);
  EXPECT_EQ(layout.captionX, 21);
  EXPECT_EQ(layout.lines, StringList{u"Play now"});
  EXPECT_EQ(layout.lineY, std::vector<int32_t>{1});
}

TEST(CheckBoxCaption, WrapsAtOneHundredTwentyDotsPerInch) {
  // 80 pixels become 100: 16 + 5 + 100 = 121 exceeds the design width.
  const skin::CheckBoxLayout oneLine =
      skin::LayoutCheckBox(u"Play now", Example(1.25), FixedWidth);
  EXPECT_TRUE(oneLine.wrapped);
  EXPECT_EQ(oneLine.width, 120);
  EXPECT_EQ(oneLine.lines, StringList{u"Play now"});
  EXPECT_EQ(oneLine.height, 16);  // one line of 13 + 3

  const skin::CheckBoxLayout twoLines =
      skin::LayoutCheckBox(u"Run it now", Example(1.25), FixedWidth);
  EXPECT_EQ(twoLines.width, 120);
  EXPECT_EQ(twoLines.lines, (StringList{u"Run it", u"now"}));
  EXPECT_EQ(twoLines.height, 32);
  EXPECT_EQ(twoLines.lineY, (std::vector<int32_t>{1, 17}));
  EXPECT_EQ(twoLines.frameY, 8);
}

TEST(CheckBoxCaption, UnbreakableFirstWordIsDrawnWholeOnATwoLineHighBox) {
  const skin::CheckBoxLayout layout =
      skin::LayoutCheckBox(u"Abcdefghijklmnop", Example(1.0), FixedWidth);
  EXPECT_TRUE(layout.wrapped);
  EXPECT_EQ(layout.width, 120);
  EXPECT_EQ(layout.height, 32);
  EXPECT_EQ(layout.lines, StringList{u"Abcdefghijklmnop"});
  EXPECT_EQ(layout.lineY, std::vector<int32_t>{8});
  EXPECT_EQ(layout.frameY, 8);
}

TEST(RadioButtonCaption, SitsBesideThePictureCentredVertically) {
  const skin::RadioButtonLayout layout = skin::LayoutRadioButton(16, 16, 5, 40, 13);
  EXPECT_EQ(layout.width, 61);
  EXPECT_EQ(layout.height, 16);
  EXPECT_EQ(layout.captionX, 21);
  EXPECT_EQ(layout.captionY, 1);
  const skin::RadioButtonLayout tall = skin::LayoutRadioButton(16, 10, 5, 40, 13);
  EXPECT_EQ(tall.height, 13);
  EXPECT_EQ(tall.captionY, 0);
}

}  // namespace
