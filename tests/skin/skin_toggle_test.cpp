// Skinned check boxes and radio buttons: size and caption placement, the look
// for each state, the copy of the background behind them, and when their
// outline is cut again.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "platform/ui.h"
#include "skin/skin_button.h"
#include "skin/skin_checkbox.h"
#include "skin/skin_radiobutton.h"
#include "skin_fixtures.h"

namespace {

constexpr win::COLORREF kOff = win::RGB(200, 200, 200);
constexpr win::COLORREF kOffHover = win::RGB(220, 220, 160);
constexpr win::COLORREF kOn = win::RGB(40, 160, 40);
constexpr win::COLORREF kDisabled = win::RGB(90, 90, 90);
constexpr win::COLORREF kCaption = win::RGB(0, 0, 200);
constexpr char16_t kCheckPath[] = u"C:\\Pkg\\English\\Check.bmp";
constexpr char16_t kRadioPath[] = u"C:\\Pkg\\English\\Radio.bmp";

class SkinToggleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    win::SetFixedTextMetrics(true);
    const win::Bitmap strip = skintest::CornerStrip(16, 16, {kOff, kOffHover, kOn, kDisabled});
    skintest::WriteBmp(machine_, kCheckPath, strip);
    skintest::WriteBmp(machine_, kRadioPath, strip);
    form_ = win::GetApplication().CreateForm<win::Form>(u"FTest");
    form_->SetBounds(0, 0, 400, 300);
  }
  void TearDown() override {
    win::ResetApplication();
    win::SetFixedTextMetrics(false);
  }
  template <class T>
  T* Make(StringView name, StringView caption, int32_t pixelsPerInch = 96) {
    T* control = form_->Create<T>(name);
    control->SetBounds(10, 20, 120, 17);
    control->SetCaption(caption);
    win::Font font = control->GetFont();
    font.pixelsPerInch = pixelsPerInch;
    font.color = kCaption;
    control->SetFont(font);
    return control;
  }

  zxtest::TempMachine machine_;
  win::Form* form_ = nullptr;
};

TEST_F(SkinToggleTest, CheckBoxFitsItsCaptionBesideThePictureAtNinetySixDpi) {
  // A check box 120 pixels wide, strip 64 x 16, gap 5, caption 80 pixels wide.
  win::CheckBox* box = Make<win::CheckBox>(u"ck_Run", u"Play now");
  TskinCheckBox skin(*box);
  ASSERT_TRUE(skin.LoadSkin(kCheckPath, nullptr, 5, 0, 0));
  EXPECT_EQ(box->Width(), 120);  // nothing happens before the first paint
  box->Repaint();
  EXPECT_EQ(box->BoundsRect(), (win::Rect{10, 20, 111, 36}));
  EXPECT_EQ(skin.DesignWidth(), 120);
  // The caption's first character cell starts at (21, 1).
  EXPECT_EQ(skin.Composite().Pixel(21 + 1, 1 + 2), kCaption);
  EXPECT_NE(skin.Composite().Pixel(21, 1 + 2), kCaption);
  EXPECT_EQ(skin.Composite().Pixel(8, 8), kOff);
}

TEST_F(SkinToggleTest, CheckBoxWrapsAtOneHundredTwentyDpi) {
  // 80 pixels count as 100: 16 + 5 + 100 exceeds the design width of 120.
  win::CheckBox* box = Make<win::CheckBox>(u"ck_Run", u"Run it now", 120);
  TskinCheckBox skin(*box);
  ASSERT_TRUE(skin.LoadSkin(kCheckPath, nullptr, 5, 0, 0));
  EXPECT_DOUBLE_EQ(skin.Scale(), 1.25);
  box->Repaint();
  // Two lines ("Run it", "now") of 13 + 3 pixels; the picture centred.
  EXPECT_EQ(box->Width(), 120);
  EXPECT_EQ(box->Height(), 32);
  EXPECT_EQ(skin.Composite().Pixel(21 + 1, 1 + 2), kCaption);
  EXPECT_EQ(skin.Composite().Pixel(21 + 1, 17 + 2), kCaption);
  EXPECT_EQ(skin.Composite().Pixel(8, 8 + 8), kOff);
}

TEST_F(SkinToggleTest, LookForEachState) {
  struct Step {
    const char* name;
    std::function<void(win::ButtonControl&)> act;
    int32_t checkFrame;
    int32_t radioFrame;
  };
  const Step steps[] = {
      {"idle", [](win::ButtonControl&) {}, kFrameNormal, kFrameNormal},
      {"hovered", [](win::ButtonControl& c) { c.Perform(win::kWmMouseMove); }, kFrameHover,
       kFrameHover},
      {"checked under the mouse", [](win::ButtonControl& c) { c.SetChecked(true); },
       kFramePressed, kFramePressed},
      {"checked, mouse gone", [](win::ButtonControl& c) { c.Perform(win::kWmMouseLeave); },
       kFramePressed, kFramePressed},
      {"disabled", [](win::ButtonControl& c) { c.SetEnabled(false); }, kFrameDisabled,
       kFrameDisabled},
  };
  win::CheckBox* box = Make<win::CheckBox>(u"ck_Run", u"Go");
  win::RadioButton* radio = Make<win::RadioButton>(u"rb_Yes", u"Go");
  TskinCheckBox checkSkin(*box);
  TskinRadioButton radioSkin(*radio);
  ASSERT_TRUE(checkSkin.LoadSkin(kCheckPath, nullptr, 5, 0, 0));
  ASSERT_TRUE(radioSkin.LoadSkin(kRadioPath, nullptr, 5));
  const win::COLORREF frameColours[] = {kOff, kOffHover, kOn, kDisabled};
  box->Repaint();
  radio->Repaint();
  for (const Step& step : steps) {
    step.act(*box);
    step.act(*radio);
    EXPECT_EQ(checkSkin.FrameIndex(), step.checkFrame) << step.name;
    EXPECT_EQ(radioSkin.FrameIndex(), step.radioFrame) << step.name;
    EXPECT_EQ(checkSkin.Composite().Pixel(8, 8), frameColours[step.checkFrame]) << step.name;
    EXPECT_EQ(radioSkin.Composite().Pixel(8, 8), frameColours[step.radioFrame]) << step.name;
  }
  // Disabled: the caption is dark red.
  EXPECT_EQ(checkSkin.CaptionColor(), win::RGB(128, 0, 0));
  EXPECT_EQ(radioSkin.Composite().Pixel(21 + 1, 1 + 2), win::RGB(128, 0, 0));
}

// Loading the strip sets the normal, hover and pressed (checked) caption
// colours to the font colour; disabled stays dark red.
TEST_F(SkinToggleTest, LoadingTakesTheFontColourForTheCaption) {
  win::CheckBox* box = Make<win::CheckBox>(u"ck_Run", u"Go");
  win::RadioButton* radio = Make<win::RadioButton>(u"rb_Yes", u"Go");
  TskinCheckBox checkSkin(*box);
  TskinRadioButton radioSkin(*radio);
  ASSERT_TRUE(checkSkin.LoadSkin(kCheckPath, nullptr, 5, 0, 0));
  ASSERT_TRUE(radioSkin.LoadSkin(kRadioPath, nullptr, 5));
  EXPECT_EQ(checkSkin.CaptionColor(), kCaption);
  radio->SetChecked(true);
  EXPECT_EQ(radioSkin.CaptionColor(), kCaption);
  box->Perform(win::kWmLButtonDown);
  EXPECT_TRUE(checkSkin.Pressed());
  EXPECT_EQ(checkSkin.CaptionColor(), kCaption);
  box->Perform(win::kWmLButtonUp);
  EXPECT_FALSE(checkSkin.Pressed());
}

// The caption colour for each state, with a different colour for normal,
// hover and pressed (checked), so the order in which the states win shows:
// the check box prefers pressed to hover, the radio button prefers hover to
// checked.
template <class Skin>
class ColouredToggle : public Skin {
 public:
  using Skin::Skin;
  void SetCaptionColours(win::COLORREF normal, win::COLORREF hover, win::COLORREF on) {
    this->normalColor_ = normal;
    this->hoverColor_ = hover;
    this->onColor_ = on;
  }
};

TEST_F(SkinToggleTest, CaptionColourOrderOfTheStates) {
  constexpr win::COLORREF kNormal = win::RGB(1, 2, 3);
  constexpr win::COLORREF kHover = win::RGB(4, 5, 6);
  constexpr win::COLORREF kOnColour = win::RGB(7, 8, 9);
  constexpr win::COLORREF kDisabledColour = win::RGB(128, 0, 0);
  struct Case {
    const char* name;
    bool hovered;
    bool pressed;
    bool checked;
    bool enabled;
    win::COLORREF checkBox;
    win::COLORREF radioButton;
  } const cases[] = {
      {"idle", false, false, false, true, kNormal, kNormal},
      {"hovered", true, false, false, true, kHover, kHover},
      {"pressed", false, true, false, true, kOnColour, kNormal},
      {"pressed under the mouse", true, true, false, true, kOnColour, kHover},
      {"checked", false, false, true, true, kNormal, kOnColour},
      {"checked under the mouse", true, false, true, true, kHover, kHover},
      {"disabled, checked, pressed, hovered", true, true, true, false, kDisabledColour, kDisabledColour},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    win::CheckBox* box = Make<win::CheckBox>(u"ck_Run", u"Go");
    win::RadioButton* radio = Make<win::RadioButton>(u"rb_Yes", u"Go");
    ColouredToggle<TskinCheckBox> checkSkin(*box);
    ColouredToggle<TskinRadioButton> radioSkin(*radio);
    ASSERT_TRUE(checkSkin.LoadSkin(kCheckPath, nullptr, 5, 0, 0));
    ASSERT_TRUE(radioSkin.LoadSkin(kRadioPath, nullptr, 5));
    checkSkin.SetCaptionColours(kNormal, kHover, kOnColour);
    radioSkin.SetCaptionColours(kNormal, kHover, kOnColour);
    for (win::ButtonControl* control : std::initializer_list<win::ButtonControl*>{box, radio}) {
      control->SetChecked(c.checked);
      if (c.hovered) control->Perform(win::kWmMouseMove);
      if (c.pressed) control->Perform(win::kBmSetState, 1);
      control->SetEnabled(c.enabled);
    }
    EXPECT_EQ(checkSkin.CaptionColor(), c.checkBox);
    EXPECT_EQ(radioSkin.CaptionColor(), c.radioButton);
    // The caption is drawn in that colour.
    box->Repaint();
    EXPECT_EQ(checkSkin.Composite().Pixel(21 + 1, 1 + 2), c.checkBox);
  }
}

TEST_F(SkinToggleTest, DrawsOverACopyOfTheBackgroundAtItsPosition) {
  // A background whose every pixel tells its own position.
  win::Bitmap background(400, 300);
  for (int32_t y = 0; y < 300; ++y)
    for (int32_t x = 0; x < 400; ++x) background.SetPixel(x, y, win::RGB(x % 256, y, 7));
  win::CheckBox* box = Make<win::CheckBox>(u"ck_Run", u"Go");
  win::RadioButton* radio = Make<win::RadioButton>(u"rb_Yes", u"Go");
  radio->SetBounds(50, 60, 120, 17);
  TskinCheckBox checkSkin(*box);
  TskinRadioButton radioSkin(*radio);
  ASSERT_TRUE(checkSkin.LoadSkin(kCheckPath, &background, 5, 3, 4));
  ASSERT_TRUE(radioSkin.LoadSkin(kRadioPath, &background, 5));
  box->Repaint();
  radio->Repaint();
  // Beside the caption's last character, outside its ink.
  EXPECT_EQ(checkSkin.Composite().Pixel(40, 0), win::RGB(10 + 4 + 40, 20 + 3, 7));
  EXPECT_EQ(radioSkin.Composite().Pixel(40, 15), win::RGB(50 + 40, 60 + 15, 7));
  // The key is the picture's top-left pixel, here the strip's corner.
  ASSERT_NE(radio->WindowRgn(), nullptr);
  EXPECT_FALSE(radio->WindowRgn()->Contains(0, 0));
  EXPECT_TRUE(radio->WindowRgn()->Contains(40, 15));
}

TEST_F(SkinToggleTest, RadioButtonOutlineIsCutAgainOnlyWhenItsCaptionChanged) {
  win::RadioButton* radio = Make<win::RadioButton>(u"rb_Yes", u"Yes");
  TskinRadioButton skin(*radio);
  ASSERT_TRUE(skin.LoadSkin(kRadioPath, nullptr, 5));
  radio->Repaint();
  ASSERT_NE(radio->WindowRgn(), nullptr);
  EXPECT_EQ(radio->Width(), 16 + 5 + 30);

  radio->ResetWindowRgn();  // so a new cut shows
  radio->Repaint();
  radio->SetChecked(true);
  radio->Perform(win::kWmMouseMove);
  EXPECT_EQ(radio->WindowRgn(), nullptr);

  radio->SetCaption(u"Accept");
  ASSERT_NE(radio->WindowRgn(), nullptr);
  EXPECT_EQ(radio->Width(), 16 + 5 + 60);
  EXPECT_EQ(radio->WindowRgn()->BoundingBox().right, 16 + 5 + 60);
}

TEST_F(SkinToggleTest, MissingPictureLeavesTheControlAsDesigned) {
  win::CheckBox* box = Make<win::CheckBox>(u"ck_Run", u"Play now");
  TskinCheckBox skin(*box);
  EXPECT_FALSE(skin.LoadSkin(u"C:\\Pkg\\English\\None.bmp", nullptr, 5, 0, 0));
  box->Repaint();
  EXPECT_EQ(box->BoundsRect(), (win::Rect{10, 20, 130, 37}));
  EXPECT_EQ(box->WindowRgn(), nullptr);
}

// A skin may be freed before or after its form: either order is safe, and a
// control that lives on gets its own window procedure back. (A skin that
// outlived its form used to write into the freed control; AddressSanitizer
// reports that as a use after free.)
TEST_F(SkinToggleTest, SkinAndFormMayBeFreedInEitherOrder) {
  struct Case {
    const char* name;
    std::function<std::shared_ptr<void>(win::Form&)> skin;  // skins a control of the form
  };
  const Case cases[] = {
      {"check box", [](win::Form& form) -> std::shared_ptr<void> {
         auto* box = form.Create<win::CheckBox>(u"ck_Run");
         auto skin = std::make_shared<TskinCheckBox>(*box);
         EXPECT_TRUE(skin->LoadSkin(kCheckPath, nullptr, 5, 0, 0));
         box->Repaint();
         return skin;
       }},
      {"radio button", [](win::Form& form) -> std::shared_ptr<void> {
         auto* radio = form.Create<win::RadioButton>(u"rb_Accept");
         auto skin = std::make_shared<TskinRadioButton>(*radio);
         EXPECT_TRUE(skin->LoadSkin(kRadioPath, nullptr, 5));
         radio->Repaint();
         return skin;
       }},
      {"button", [](win::Form& form) -> std::shared_ptr<void> {
         auto* button = form.Create<win::Button>(u"bt_Next");
         button->SetBounds(10, 20, 16, 16);
         auto skin = std::make_shared<TskinButton>(*button);
         EXPECT_TRUE(skin->LoadSkin(kCheckPath));
         button->Repaint();
         return skin;
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // The form goes first, then the skin.
    std::shared_ptr<void> skin = c.skin(*form_);
    win::ResetApplication();
    skin.reset();

    // The skin goes first; the control lives on with its own procedure, so
    // painting it no longer fits it to the skin's picture.
    form_ = win::GetApplication().CreateForm<win::Form>(u"FTest");
    skin = c.skin(*form_);
    auto* control = dynamic_cast<win::Control*>(form_->Components(0));
    ASSERT_NE(control, nullptr);
    skin.reset();
    control->SetBounds(10, 20, 120, 17);
    control->Repaint();
    EXPECT_EQ(control->BoundsRect(), (win::Rect{10, 20, 130, 37}));
    win::ResetApplication();
    form_ = win::GetApplication().CreateForm<win::Form>(u"FTest");
  }
}

}  // namespace
