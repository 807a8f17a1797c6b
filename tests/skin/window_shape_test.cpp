// Loading skin pictures into screens and cutting a screen to its background.
#include <gtest/gtest.h>

#include "platform/picture.h"
#include "platform/ui.h"
#include "skin/skin_graphiceengine.h"
#include "skin/skin_windowshape.h"
#include "skin_fixtures.h"

namespace {

class WindowShapeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form_ = win::GetApplication().CreateForm<win::Form>(u"FTest");
    image_ = form_->Create<win::Image>(u"im_Background");
    image_->SetAutoSize(true);
  }
  void TearDown() override { win::ResetApplication(); }

  zxtest::TempMachine machine_;
  win::Form* form_ = nullptr;
  win::Image* image_ = nullptr;
};

// A 6 x 4 picture: a 4 x 2 block in the middle on the key colour.
win::Bitmap Panel(win::COLORREF colour) {
  win::Bitmap picture(6, 4, skintest::kKey);
  picture.FillRect(win::Rect{1, 1, 5, 3}, colour);
  return picture;
}

TEST_F(WindowShapeTest, BackgroundCutsTheWindowToItsOutline) {
  skintest::WriteBmp(machine_, u"C:\\Pkg\\English\\Background.bmp", Panel(win::RGB(1, 2, 3)));
  ASSERT_TRUE(SetShapedBackground(*form_, *image_, u"C:\\Pkg\\English\\Background.bmp"));
  EXPECT_EQ(image_->Picture(), Panel(win::RGB(1, 2, 3)));
  ASSERT_NE(form_->WindowRgn(), nullptr);
  EXPECT_TRUE(form_->WindowRgn()->SameArea(win::Region::CreateRect(1, 1, 5, 3)));
}

TEST_F(WindowShapeTest, PngPicturesAreDecoded) {
  skintest::WritePng(machine_, u"C:\\Pkg\\English\\Logo.png", Panel(win::RGB(9, 8, 7)));
  skintest::WritePng(machine_, u"C:\\Pkg\\English\\Title.PNG", Panel(win::RGB(6, 5, 4)));
  skintest::WriteBmp(machine_, u"C:\\Pkg\\English\\Fake.png", Panel(win::RGB(1, 1, 1)));
  EXPECT_TRUE(LoadPicture(*image_, u"C:\\Pkg\\English\\Logo.png"));
  EXPECT_EQ(image_->Picture(), Panel(win::RGB(9, 8, 7)));
  EXPECT_TRUE(LoadPicture(*image_, u"C:\\Pkg\\English\\Title.PNG"));
  EXPECT_EQ(image_->Picture(), Panel(win::RGB(6, 5, 4)));
  // A ".png" name is always decoded as PNG: a BMP under that name is refused.
  EXPECT_FALSE(LoadPicture(*image_, u"C:\\Pkg\\English\\Fake.png"));
  EXPECT_EQ(image_->Picture(), Panel(win::RGB(6, 5, 4)));
  win::Bitmap strip(3, 3);
  EXPECT_FALSE(LoadSkinPicture(u"C:\\Pkg\\English\\Fake.png", strip));
  EXPECT_TRUE(strip.Empty());
}

TEST_F(WindowShapeTest, MissingOrDamagedBackgroundChangesNothing) {
  machine_.WriteFile(u"C:\\Pkg\\English\\Background.bmp", std::string("BM\x40\0\0\0", 6));
  image_->SetPicture(Panel(win::RGB(5, 5, 5)));
  for (const char16_t* path : {u"C:\\Pkg\\English\\Background.bmp", u"C:\\Pkg\\English\\None.bmp", u""}) {
    EXPECT_FALSE(SetShapedBackground(*form_, *image_, path));
    EXPECT_EQ(image_->Picture(), Panel(win::RGB(5, 5, 5)));
    // The window is never cut to an empty outline by a file it could not read.
    EXPECT_EQ(form_->WindowRgn(), nullptr);
  }
}

TEST_F(WindowShapeTest, OneColourPictureMakesTheWindowDisappear) {
  TskinGraphiceEngine().ShapeWindow(*form_, win::Bitmap(30, 20, win::RGB(7, 7, 7)));
  ASSERT_NE(form_->WindowRgn(), nullptr);
  EXPECT_TRUE(form_->WindowRgn()->Empty());
}

}  // namespace
