// A small skinned screen put together the way the wizard's screens are: a
// borderless window cut to a rounded background picture, three push buttons
// from four-look strips, a check box and two radio buttons drawn over the
// background. The picture is saved for people to look at
// (<build>/skin-artifacts/skin-demo.png; with ZX_UPDATE_DOCS=1 also
// docs/skin-demo.png in the source tree).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>

#include "platform/picture.h"
#include "platform/ui.h"
#include "skin/skin_button.h"
#include "skin/skin_checkbox.h"
#include "skin/skin_radiobutton.h"
#include "skin/skin_windowshape.h"
#include "skin_fixtures.h"
#include "text/skin_lookup.h"

namespace {

using win::Bitmap;
using win::COLORREF;
using win::RGB;
using skintest::kKey;

constexpr char16_t kFolder[] = u"C:\\Pkg\\";
constexpr char16_t kLanguage[] = u"English";

// Is (x, y) inside a w x h rectangle whose corners are rounded by radius r?
bool InRoundedRect(int x, int y, int w, int h, int r) {
  const int cx = x < r ? r - x : (x >= w - r ? x - (w - r - 1) : 0);
  const int cy = y < r ? r - y : (y >= h - r ? y - (h - r - 1) : 0);
  return cx * cx + cy * cy <= r * r;
}

COLORREF Mix(COLORREF a, COLORREF b, int percentOfB) {
  const auto mix = [&](int ca, int cb) { return ca + (cb - ca) * percentOfB / 100; };
  return RGB(mix(win::GetRValue(a), win::GetRValue(b)), mix(win::GetGValue(a), win::GetGValue(b)),
             mix(win::GetBValue(a), win::GetBValue(b)));
}

// The screen: a dark rounded panel, lighter at the top, with an accent line
// under the title area; the key colour outside.
Bitmap BackgroundPicture(int w, int h) {
  Bitmap picture(w, h, kKey);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      if (!InRoundedRect(x, y, w, h, 18)) continue;
      COLORREF c = Mix(RGB(44, 52, 70), RGB(18, 21, 30), y * 100 / h);
      if (y >= 74 && y < 76 && x >= 24 && x < w - 24) c = RGB(0, 170, 200);
      if (!InRoundedRect(x - 1, y - 1, w - 2, h - 2, 17) || x == 0 || y == 0) c = RGB(70, 80, 104);
      picture.SetPixel(x, y, c);
    }
  return picture;
}

// Four looks of a rounded push button, with a soft top-to-bottom shade.
Bitmap ButtonStrip(int w, int h) {
  struct Look {
    COLORREF top, bottom, border;
  };
  const Look looks[4] = {
      {RGB(58, 118, 206), RGB(34, 78, 160), RGB(24, 56, 120)},     // normal
      {RGB(96, 160, 240), RGB(52, 112, 210), RGB(170, 210, 255)},  // hovered
      {RGB(24, 60, 128), RGB(36, 84, 168), RGB(16, 40, 96)},       // pressed
      {RGB(96, 100, 110), RGB(78, 82, 92), RGB(64, 66, 74)},       // disabled
  };
  Bitmap strip(4 * w, h, kKey);
  for (int f = 0; f < 4; ++f)
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        if (!InRoundedRect(x, y, w, h, 7)) continue;
        const bool edge = !InRoundedRect(x - 1, y - 1, w - 2, h - 2, 6) || x == 0 || y == 0;
        const COLORREF c = edge ? looks[f].border : Mix(looks[f].top, looks[f].bottom, y * 100 / h);
        strip.SetPixel(f * w + x, y, c);
      }
  return strip;
}

// Four looks of a check box (square) or radio button (round) in 18 x 18
// frames: off, off and hovered, on, disabled.
Bitmap ToggleStrip(bool round) {
  const int size = 18;
  Bitmap strip(4 * size, size, kKey);
  const COLORREF border[4] = {RGB(150, 160, 185), RGB(0, 200, 230), RGB(0, 170, 200), RGB(90, 92, 100)};
  const COLORREF fill[4] = {RGB(26, 30, 42), RGB(30, 44, 58), RGB(0, 150, 180), RGB(60, 62, 70)};
  for (int f = 0; f < 4; ++f)
    for (int y = 1; y < size - 1; ++y)
      for (int x = 1; x < size - 1; ++x) {
        const int dx = 2 * x - (size - 1), dy = 2 * y - (size - 1);
        const int d2 = dx * dx + dy * dy;  // (2 * distance) squared
        bool inside, edge, mark;
        if (round) {
          inside = d2 <= 16 * 16;
          edge = d2 > 13 * 13;
          mark = d2 <= 7 * 7;
        } else {
          inside = InRoundedRect(x - 1, y - 1, size - 2, size - 2, 3);
          edge = x == 1 || y == 1 || x == size - 2 || y == size - 2 ||
                 !InRoundedRect(x - 2, y - 2, size - 4, size - 4, 2);
          // A tick: down from (4, 9) to (7, 12), then up to (13, 5).
          const int below = y - (x <= 7 ? x + 5 : 19 - x);
          mark = x >= 4 && x <= 13 && below >= -1 && below <= 0;
        }
        if (!inside) continue;
        COLORREF c = edge ? border[f] : fill[f];
        if (f == 2 && mark && !edge) c = win::kClWhite;
        strip.SetPixel(f * size + x, y, c);
      }
  return strip;
}

std::string ArtifactPath(const std::string& name) {
  const std::filesystem::path dir = std::filesystem::path(ZX_BINARY_DIR) / "skin-artifacts";
  std::filesystem::create_directories(dir);
  return (dir / name).string();
}

TEST(SkinDemo, SkinnedScreenLooksAsDesigned) {
  win::SetFixedTextMetrics(false);
  zxtest::TempMachine machine;
  const String folder = kFolder;
  const String skins = folder + kLanguage + u"\\";
  skintest::WriteBmp(machine, skins + u"Background.bmp", BackgroundPicture(480, 300));
  skintest::WriteBmp(machine, skins + u"Next.bmp", ButtonStrip(96, 30));
  skintest::WriteBmp(machine, skins + u"Check.bmp", ToggleStrip(false));
  skintest::WriteBmp(machine, skins + u"Radio.bmp", ToggleStrip(true));
  const auto skinFile = [&](const char16_t* name) { return ResolveSkinFile(folder, kLanguage, name); };

  win::Form* form = win::GetApplication().CreateForm<win::Form>(u"FDemo");
  form->SetBorderStyle(win::BorderStyle::None);
  auto* background = form->Create<win::Image>(u"im_Background");
  background->SetAutoSize(true);
  ASSERT_TRUE(SetShapedBackground(*form, *background, skinFile(u"Background.bmp")));
  background->SetBounds(0, 0, background->Picture().Width(), background->Picture().Height());
  form->SetBounds(0, 0, background->Width(), background->Height());

  const auto label = [&](StringView name, int y, int height, COLORREF colour, StringView text) {
    auto* l = form->Create<win::Label>(name);
    l->SetBounds(28, y, 424, 20);
    l->SetTransparent(true);
    l->GetFont().color = colour;
    if (height) l->GetFont().height = height;
    l->SetCaption(text);
    return l;
  };
  label(u"lb_Title", 30, -18, win::kClWhite, u"Zorvex Mouse Setup")->GetFont().style = win::kFsBold;
  label(u"lb_Welcome", 90, 0, RGB(200, 208, 225), u"Setup will install Zorvex Mouse 19.02.0005 on this computer.");
  label(u"lb_Choose", 110, 0, RGB(150, 158, 178), u"Read the licence agreement, then choose how to go on.");

  const COLORREF text = RGB(225, 230, 240);
  auto* accept = form->Create<win::RadioButton>(u"rb_Accept");
  accept->SetBounds(28, 146, 300, 20);
  accept->GetFont().color = text;
  accept->SetCaption(u"I accept the licence agreement");
  accept->SetChecked(true);
  auto* decline = form->Create<win::RadioButton>(u"rb_Decline");
  decline->SetBounds(28, 172, 300, 20);
  decline->GetFont().color = text;
  decline->SetCaption(u"I do not accept the licence agreement");
  auto* launch = form->Create<win::CheckBox>(u"ck_StartProgram");
  launch->SetBounds(28, 206, 300, 20);
  launch->GetFont().color = text;
  launch->SetCaption(u"Start Zorvex Mouse when setup finishes");
  launch->SetChecked(true);

  TskinRadioButton acceptSkin(*accept), declineSkin(*decline);
  TskinCheckBox launchSkin(*launch);
  const Bitmap* behind = &background->Picture();
  ASSERT_TRUE(acceptSkin.LoadSkin(skinFile(u"Radio.bmp"), behind, 5));
  ASSERT_TRUE(declineSkin.LoadSkin(skinFile(u"Radio.bmp"), behind, 5));
  ASSERT_TRUE(launchSkin.LoadSkin(skinFile(u"Check.bmp"), behind, 5, 0, 0));

  // Previous is disabled, Next under the mouse, Cancel at rest.
  const ButtonCaptionColors captions{win::kClWhite, win::kClWhite, RGB(200, 220, 255),
                                     RGB(160, 162, 170)};
  const char16_t* names[] = {u"bt_Previous", u"bt_Next", u"bt_Cancel"};
  const char16_t* words[] = {u"< Previous", u"Next >", u"Cancel"};
  std::vector<std::unique_ptr<TskinButton>> buttonSkins;
  std::vector<win::Button*> buttons;
  for (int i = 0; i < 3; ++i) {
    auto* b = form->Create<win::Button>(names[i]);
    b->SetBounds(154 + i * 106, 250, 80, 25);
    b->SetCaption(words[i]);
    b->GetFont().style = win::kFsBold;
    buttonSkins.push_back(std::make_unique<TskinButton>(*b));
    ASSERT_TRUE(buttonSkins.back()->LoadSkin(skinFile(u"Next.bmp"), skin::kAlignCentre, captions));
    buttons.push_back(b);
  }
  buttons[0]->SetEnabled(false);
  buttons[1]->Perform(win::kWmMouseMove, 0, win::MakePointParam(10, 10));
  decline->Perform(win::kWmMouseMove, 0, win::MakePointParam(5, 5));

  const Bitmap picture = win::RenderForm(*form);
  ASSERT_TRUE(win::SavePng(picture, ArtifactPath("skin-demo.png")));
  if (const char* update = std::getenv("ZX_UPDATE_DOCS"); update && *update == '1') {
    ASSERT_TRUE(win::SavePng(picture, std::string(ZX_SOURCE_DIR) + "/docs/skin-demo.png"));
  }

  // Outside the rounded panel the desktop shows; inside, the panel.
  EXPECT_EQ(picture.Pixel(1, 1), win::kDesktopColor);
  EXPECT_EQ(picture.Pixel(240, 140), background->Picture().Pixel(240, 140));
  // Each button took one 96 x 30 frame and shows its state's look; the
  // rounded corners show the panel behind.
  const Bitmap strip = ButtonStrip(96, 30);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(buttons[i]->BoundsRect(), (win::Rect{154 + i * 106, 250, 250 + i * 106, 280}));
    const int frame = i == 0 ? kFrameDisabled : i == 1 ? kFrameHover : kFrameNormal;
    EXPECT_EQ(picture.Pixel(buttons[i]->Left() + 4, 252), strip.Pixel(frame * 96 + 4, 2)) << i;
    EXPECT_EQ(picture.Pixel(buttons[i]->Left(), 250), background->Picture().Pixel(buttons[i]->Left(), 250));
  }
  // The radio buttons and the check box sit on a copy of the background:
  // right of their picture, before the caption, the panel shows unchanged.
  for (const win::Control* c : {static_cast<win::Control*>(accept), static_cast<win::Control*>(launch)}) {
    const int x = c->Left() + 20, y = c->Top() + 1;
    EXPECT_EQ(picture.Pixel(x, y), background->Picture().Pixel(x, y)) << win::ToUtf8(c->Name());
  }
  EXPECT_EQ(acceptSkin.FrameIndex(), kFramePressed);
  EXPECT_EQ(declineSkin.FrameIndex(), kFrameHover);
  EXPECT_EQ(launchSkin.FrameIndex(), kFramePressed);

  buttonSkins.clear();
  win::ResetApplication();
}

}  // namespace
