// Drawing forms into pictures: what the headless screens look like.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/picture.h"
#include "platform/ui.h"

namespace {

using win::Bitmap;
using win::RGB;

constexpr win::COLORREF kKey = RGB(255, 0, 255);

// A dark panel with rounded corners on the key colour, lighter at the top.
Bitmap PanelPicture(int w, int h) {
  Bitmap picture(w, h, kKey);
  const int r = 16;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const int cx = x < r ? r - x : (x >= w - r ? x - (w - r - 1) : 0);
      const int cy = y < r ? r - y : (y >= h - r ? y - (h - r - 1) : 0);
      if (cx * cx + cy * cy > r * r) continue;
      const int shade = 70 - y * 40 / h;
      picture.SetPixel(x, y, RGB(shade / 2, shade / 2 + 4, shade + 10));
    }
  picture.FillRect(win::Rect{0, 0, w, 0}, kKey);
  return picture;
}

// The window outline of a picture: every run of pixels not of the key colour.
win::Region OutlineOf(const Bitmap& picture) {
  win::Region region;
  const win::COLORREF key = picture.Pixel(0, 0);
  for (int y = 0; y < picture.Height(); ++y) {
    int x = 0;
    while (x < picture.Width()) {
      while (x < picture.Width() && picture.Pixel(x, y) == key) ++x;
      const int start = x;
      while (x < picture.Width() && picture.Pixel(x, y) != key) ++x;
      if (x > start) region.AddRect(win::Rect{start, y, x, y + 1});
    }
  }
  return region;
}

struct DemoForm {
  win::Form* form = nullptr;
  win::Label* title = nullptr;
  win::ProgressBar* bar = nullptr;
  win::Button* skinned = nullptr;
};

DemoForm BuildDemo() {
  DemoForm d;
  d.form = win::GetApplication().CreateForm<win::Form>(u"FDemo");
  d.form->SetBorderStyle(win::BorderStyle::None);
  d.form->SetBounds(0, 0, 420, 260);
  auto* background = d.form->Create<win::Image>(u"im_Background");
  background->SetAutoSize(true);
  background->SetPicture(PanelPicture(420, 260));
  d.form->SetWindowRgn(OutlineOf(background->Picture()));

  d.title = d.form->Create<win::Label>(u"lb_Title");
  d.title->SetBounds(24, 20, 372, 20);
  d.title->SetTransparent(true);
  d.title->GetFont().color = win::kClWhite;
  d.title->GetFont().style = win::kFsBold;
  d.title->GetFont().height = -15;
  d.title->SetCaption(u"Installing Zorvex7");

  auto* text = d.form->Create<win::Label>(u"lb_Install");
  text->SetBounds(24, 48, 372, 34);
  text->SetTransparent(true);
  text->SetWordWrap(true);
  text->GetFont().color = RGB(200, 210, 230);
  text->SetCaption(u"Please wait while the program files are copied. 请稍候，正在复制文件。");

  d.bar = d.form->Create<win::ProgressBar>(u"pb_Installation");
  d.bar->SetBounds(24, 96, 372, 16);
  d.bar->SetPosition(60);

  auto* proc = d.form->Create<win::Label>(u"lb_InstallProc");
  proc->SetBounds(24, 116, 372, 16);
  proc->SetTransparent(true);
  proc->GetFont().color = RGB(150, 160, 180);
  proc->SetCaption(u"Copying C:\\Program Files (x86)\\Zorvex7\\Zorvex7.exe");

  auto* group = d.form->Create<win::GroupBox>(u"gb_Languages");
  group->SetBounds(24, 140, 180, 64);
  group->SetColor(win::kClBlack);
  for (int i = 0; i < 3; ++i) {
    auto* row = d.form->Create<win::Label>(u"lb_Languages" + win::IntToStr(i));
    row->SetParent(group);
    row->SetBounds(2, 2 + 20 * i, 160, 20);
    row->SetTransparent(i != 1);
    row->SetColor(RGB(74, 0, 1));
    row->SetLayout(win::TextLayout::Center);
    row->GetFont().color = RGB(128, 128, 128);
    row->SetCaption(std::u16string(u"  ") + (i == 0 ? u"English" : i == 1 ? u"Deutsch" : u"Русский"));
  }

  auto* check = d.form->Create<win::CheckBox>(u"ck_StartProgram");
  check->SetBounds(220, 150, 170, 20);
  check->SetColor(RGB(35, 39, 80));
  check->GetFont().color = win::kClWhite;
  check->SetCaption(u"Start the program");
  check->SetChecked(true);

  d.skinned = d.form->Create<win::Button>(u"bt_Next");
  d.skinned->SetBounds(220, 212, 80, 26);
  d.skinned->SetCaption(u"Next");
  // A skin: paints its own picture over the standard look on every WM_PAINT
  // and cuts the window's corners away.
  win::WndMethod saved = d.skinned->WindowProc();
  win::Button* button = d.skinned;
  d.skinned->SetWindowProc([saved, button](win::Message& m) {
    saved(m);
    if (m.msg != win::kWmPaint) return;
    Bitmap face(button->Width(), button->Height(), RGB(200, 60, 40));
    win::Canvas canvas(face);
    canvas.font = button->GetFont();
    canvas.font.color = win::kClWhite;
    canvas.transparent = true;
    const win::Size extent = canvas.TextExtent(button->Caption());
    canvas.TextOut((face.Width() - extent.cx) / 2, (face.Height() - extent.cy) / 2, button->Caption());
    button->BlitToWindow(face);
  });
  win::Region corners = win::Region::CreateRect(2, 0, 78, 26);
  corners.AddRect(win::Rect{0, 2, 80, 24});
  d.skinned->SetWindowRgn(corners, false);

  auto* plain = d.form->Create<win::Button>(u"bt_Cancel");
  plain->SetBounds(310, 212, 80, 26);
  plain->SetCaption(u"Cancel");
  return d;
}

std::string ArtifactPath(const std::string& name) {
  const std::filesystem::path dir = std::filesystem::path(ZX_BINARY_DIR) / "ui-artifacts";
  std::filesystem::create_directories(dir);
  return (dir / name).string();
}

TEST(Render, FormWithPictureLabelsBarAndSkinDrawsAsShown) {
  win::SetFixedTextMetrics(true);
  win::ResetApplication();
  DemoForm d = BuildDemo();
  const Bitmap picture = win::RenderForm(*d.form);
  ASSERT_EQ(picture.Width(), 420);
  ASSERT_EQ(picture.Height(), 260);
  // Outside the outline the desktop shows; inside, the panel.
  EXPECT_EQ(picture.Pixel(0, 0), win::kDesktopColor);
  EXPECT_EQ(picture.Pixel(200, 255), PanelPicture(420, 260).Pixel(200, 255));
  // Fixed metrics: the title's first character is a block in its 10 by 13 cell.
  EXPECT_EQ(picture.Pixel(24 + 5, 20 + 6), win::kClWhite);
  EXPECT_EQ(picture.Pixel(24 + 5, 20 + 12), PanelPicture(420, 260).Pixel(29, 32));
  // The bar is filled to 60 % of its inside.
  EXPECT_EQ(picture.Pixel(24 + 1 + 200, 104), RGB(6, 176, 37));
  EXPECT_EQ(picture.Pixel(24 + 1 + 240, 104), RGB(230, 230, 230));
  // The skin's picture covers the button; its cut corner shows the panel.
  EXPECT_EQ(picture.Pixel(220 + 40, 212 + 2), RGB(200, 60, 40));
  EXPECT_EQ(picture.Pixel(220, 212), PanelPicture(420, 260).Pixel(220, 212));
  // The opaque row of the group box keeps its own colour.
  EXPECT_EQ(picture.Pixel(24 + 2 + 150, 140 + 22 + 10), RGB(74, 0, 1));
  ASSERT_TRUE(win::SavePng(picture, ArtifactPath("render-fixed.png")));
  win::ResetApplication();
  win::SetFixedTextMetrics(false);
}

// The mask a picture is cut with marks exactly the points Contains finds,
// whether rectangles overlap, reach past the picture or lie wholly outside.
TEST(Render, RegionMaskMarksThePointsTheRegionContains) {
  win::Region region;
  region.AddRect(win::Rect{2, 1, 9, 4});
  region.AddRect(win::Rect{5, 3, 14, 7});    // overlaps, and runs past the right edge
  region.AddRect(win::Rect{-4, -2, 1, 2});   // starts above and left of the picture
  region.AddRect(win::Rect{20, 20, 30, 30}); // wholly outside
  const int w = 12, h = 6;
  const std::vector<uint8_t> mask = region.Mask(w, h);
  ASSERT_EQ(mask.size(), static_cast<size_t>(w * h));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) EXPECT_EQ(mask[y * w + x] != 0, region.Contains(x, y)) << x << "," << y;
  EXPECT_TRUE(win::Region{}.Mask(3, 2) == std::vector<uint8_t>(6, 0));
  EXPECT_TRUE(region.Mask(0, 5).empty());
}

TEST(Render, RealFontsMeasureAndDrawText) {
  win::SetFixedTextMetrics(false);
  win::Font tahoma;  // Tahoma, height -11
  const win::Size one = win::MeasureText(tahoma, u"Next");
  const win::Size two = win::MeasureText(tahoma, u"NextNext");
  EXPECT_GT(one.cx, 10);
  EXPECT_EQ(two.cx, 2 * one.cx);
  EXPECT_EQ(one.cy, 13);  // Tahoma 8 pt: ascent 11 + descent 2, as Windows gives
  win::Font bold = tahoma;
  bold.style = win::kFsBold;
  EXPECT_GT(win::MeasureText(bold, u"Next").cx, one.cx);
  // Characters the Latin font lacks come from the CJK fallback.
  EXPECT_GT(win::MeasureText(tahoma, u"简体中文").cx, 20);

  win::ResetApplication();
  DemoForm d = BuildDemo();
  const Bitmap picture = win::RenderForm(*d.form);
  int whiteInTitle = 0;
  for (int y = 20; y < 40; ++y)
    for (int x = 24; x < 200; ++x) whiteInTitle += picture.Pixel(x, y) == win::kClWhite ? 1 : 0;
  EXPECT_GT(whiteInTitle, 50);
  ASSERT_TRUE(win::SavePng(picture, ArtifactPath("render-fonts.png")));
  win::ResetApplication();
}

}  // namespace
