// The skinned push button: size and outline from its strip, the look for each
// state, the caption's place.
#include <gtest/gtest.h>

#include "platform/ui.h"
#include "skin/skin_button.h"
#include "skin_fixtures.h"

namespace {

constexpr win::COLORREF kNormal = win::RGB(40, 40, 40);
constexpr win::COLORREF kHover = win::RGB(60, 60, 120);
constexpr win::COLORREF kPressed = win::RGB(20, 20, 80);
constexpr win::COLORREF kDisabled = win::RGB(150, 150, 150);
constexpr char16_t kStripPath[] = u"C:\\Pkg\\English\\Next.bmp";

class SkinButtonTest : public ::testing::Test {
 protected:
  void SetUp() override {
    win::SetFixedTextMetrics(true);
    skintest::WriteBmp(machine_, kStripPath,
                       skintest::CornerStrip(64, 25, {kNormal, kHover, kPressed, kDisabled}));
    form_ = win::GetApplication().CreateForm<win::Form>(u"FTest");
    button_ = form_->Create<win::Button>(u"bt_Next");
    button_->SetBounds(221, 395, 75, 30);
    button_->SetCaption(u"OK");
  }
  void TearDown() override {
    win::ResetApplication();
    win::SetFixedTextMetrics(false);
  }
  // The colour in the middle of the frame, away from the caption.
  win::COLORREF FrameColour(const TskinButton& skin) { return skin.Composite().Pixel(3, 3); }

  zxtest::TempMachine machine_;
  win::Form* form_ = nullptr;
  win::Button* button_ = nullptr;
};

TEST_F(SkinButtonTest, TakesTheSizeAndOutlineOfOneFrame) {
  TskinButton skin(*button_);
  ASSERT_TRUE(skin.LoadSkin(kStripPath));
  EXPECT_EQ(button_->BoundsRect(), (win::Rect{221, 395, 221 + 64, 395 + 25}));
  ASSERT_NE(button_->WindowRgn(), nullptr);
  const win::Region& outline = *button_->WindowRgn();
  EXPECT_FALSE(outline.Contains(0, 0));
  EXPECT_FALSE(outline.Contains(63, 24));
  EXPECT_TRUE(outline.Contains(1, 0));
  EXPECT_TRUE(outline.Contains(32, 12));
  EXPECT_EQ(outline.BoundingBox(), (win::Rect{0, 0, 64, 25}));
}

TEST_F(SkinButtonTest, CaptionPositionForEachAlignment) {
  struct Case {
    int32_t alignment;
    win::Point expected;
  };
  // "OK" is 20 x 13 in the fixed metrics; the button is 64 x 25.
  for (const Case c : {Case{skin::kAlignCentre, {22, 6}}, Case{skin::kAlignLeft, {-1, 6}},
                       Case{skin::kAlignRight, {44, 6}}}) {
    TskinButton skin(*button_);
    ASSERT_TRUE(skin.LoadSkin(kStripPath, c.alignment));
    button_->Repaint();
    EXPECT_EQ(skin.CaptionPosition(), c.expected) << c.alignment;
    // The caption's first character cell is drawn in the normal colour.
    EXPECT_EQ(skin.Composite().Pixel(c.expected.x + 3, c.expected.y + 5), win::kClBlack);
  }
}

TEST_F(SkinButtonTest, LookFollowsMouseAndButtonState) {
  TskinButton skin(*button_);
  ASSERT_TRUE(skin.LoadSkin(kStripPath));
  button_->Repaint();
  EXPECT_EQ(FrameColour(skin), kNormal);

  button_->Perform(win::kWmMouseMove, 0, win::MakePointParam(5, 5));
  EXPECT_EQ(FrameColour(skin), kHover);
  button_->Perform(win::kBmSetState, 1, 0);
  EXPECT_EQ(FrameColour(skin), kPressed);
  button_->Perform(win::kBmSetState, 0, 0);
  button_->Perform(win::kWmMouseLeave);
  EXPECT_EQ(FrameColour(skin), kNormal);
  // What was drawn is what the window shows.
  EXPECT_EQ(button_->WindowSurface().Pixel(3, 3), kNormal);
}

TEST_F(SkinButtonTest, DisabledShowsFrameThreeAndDarkRedCaptionWhateverTheMouseDoes) {
  TskinButton skin(*button_);
  ASSERT_TRUE(skin.LoadSkin(kStripPath));
  button_->SetEnabled(false);
  button_->Perform(win::kWmMouseMove, 0, win::MakePointParam(5, 5));
  button_->Perform(win::kBmSetState, 1, 0);
  EXPECT_EQ(skin.State(), kFrameDisabled);
  EXPECT_EQ(FrameColour(skin), kDisabled);
  EXPECT_EQ(skin.Composite().Pixel(22 + 3, 6 + 5), win::RGB(128, 0, 0));
}

TEST_F(SkinButtonTest, GivenColoursReplaceTheDefaults) {
  TskinButton skin(*button_);
  const ButtonCaptionColors colours{win::RGB(1, 2, 3), win::RGB(4, 5, 6), win::RGB(7, 8, 9),
                                    win::RGB(10, 11, 12)};
  ASSERT_TRUE(skin.LoadSkin(kStripPath, skin::kAlignCentre, colours));
  button_->Repaint();
  EXPECT_EQ(skin.Composite().Pixel(22 + 3, 6 + 5), win::RGB(1, 2, 3));
}

TEST_F(SkinButtonTest, EmptyCaptionDrawsOnlyTheFrame) {
  button_->SetCaption(u"");
  TskinButton skin(*button_);
  ASSERT_TRUE(skin.LoadSkin(kStripPath));
  button_->Repaint();
  EXPECT_EQ(skin.Composite().Pixel(22 + 3, 6 + 5), kNormal);
}

TEST_F(SkinButtonTest, MissingPictureLeavesAPlainVisibleButtonWithItsCaption) {
  TskinButton skin(*button_);
  EXPECT_FALSE(skin.LoadSkin(u"C:\\Pkg\\English\\Missing.bmp"));
  EXPECT_FALSE(skin.LoadSkin(u""));
  EXPECT_EQ(button_->BoundsRect(), (win::Rect{221, 395, 296, 425}));
  EXPECT_EQ(button_->Caption(), u"OK");
  EXPECT_TRUE(button_->Visible());
  EXPECT_EQ(button_->WindowRgn(), nullptr);
  button_->Repaint();
  EXPECT_TRUE(skin.Composite().Empty());
}

TEST_F(SkinButtonTest, DamagedPictureCountsAsMissing) {
  machine_.WriteFile(u"C:\\Pkg\\English\\Cancel.bmp", "BM\x10\x00");
  TskinButton skin(*button_);
  EXPECT_FALSE(skin.LoadSkin(u"C:\\Pkg\\English\\Cancel.bmp"));
  EXPECT_EQ(button_->Width(), 75);
}

TEST_F(SkinButtonTest, DestroyingTheSkinRestoresTheButtonsOwnDrawing) {
  {
    TskinButton skin(*button_);
    ASSERT_TRUE(skin.LoadSkin(kStripPath));
    button_->Repaint();
    EXPECT_EQ(button_->WindowSurface().Pixel(3, 3), kNormal);
  }
  button_->Repaint();
  EXPECT_NE(button_->WindowSurface().Pixel(3, 3), kNormal);
  // Clicking still works through the restored procedure.
  int clicks = 0;
  button_->OnClick = [&](win::Component*) { ++clicks; };
  button_->Click();
  EXPECT_EQ(clicks, 1);
}

}  // namespace
