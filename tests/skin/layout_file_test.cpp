// The layout file: positions, colours and fonts of a screen's controls per
// language, with English as the fallback for every key.
#include <gtest/gtest.h>

#include "platform/ui.h"
#include "skin/language_elementsproperty.h"
#include "support/sim_machine.h"

namespace {

constexpr uint16_t kChineseT = 1028;
constexpr uint16_t kEnglish = 1033;
constexpr char16_t kLayoutPath[] = u"C:\\Pkg\\UI.txt";
const win::Rect kDesigned{100, 100, 150, 120};

// A label of a class derived from TLabel: the file must not reach it.
class DerivedLabel : public win::Label {
 public:
  explicit DerivedLabel(win::Component* owner) : win::Label(owner) { SetClassName(u"TDerivedLabel"); }
};

class BoundLabel : public win::Label {
 public:
  explicit BoundLabel(win::Component* owner) : win::Label(owner) { SetClassName(u"TBoundLabel"); }
};

class LayoutFileTest : public ::testing::Test {
 protected:
  void SetUp() override { form_ = BuildScreen(); }
  void TearDown() override { win::ResetApplication(); }

  // A welcome screen with one control of each kind the file treats apart.
  static win::Form* BuildScreen() {
    win::Form* form = win::GetApplication().CreateForm<win::Form>(u"FWelcome");
    form->Create<win::Button>(u"bt_Next");
    form->Create<win::Label>(u"lb_Title");
    form->Create<DerivedLabel>(u"lb_Derived");
    form->Create<win::CheckBox>(u"ck_Run");
    auto* group = form->Create<win::Control>(u"gb_Group", u"TAdvGroupBox");
    group->Create<win::Label>(u"lb_Inner");
    auto* edit = form->Create<win::Control>(u"ed_Name", u"TLabeledEdit");
    edit->Create<BoundLabel>(u"SubLabel");
    form->Create<win::Component>(u"mi_File", u"TMenuItem");
    for (win::Control* c : {Find(form, u"bt_Next"), Find(form, u"lb_Title"),
                            Find(form, u"lb_Derived"), Find(form, u"ck_Run"), group,
                            Find(group, u"lb_Inner"), edit}) {
      c->SetBounds(kDesigned.left, kDesigned.top, kDesigned.Width(), kDesigned.Height());
    }
    return form;
  }
  static win::Control* Find(win::Component* owner, StringView name) {
    return dynamic_cast<win::Control*>(owner->FindComponent(name));
  }
  win::Control* Find(StringView name) const {
    if (win::Control* c = Find(form_, name)) return c;
    return Find(form_->FindComponent(u"gb_Group"), name);
  }
  bool Apply(const char* layout, uint16_t languageId, const String& suffix = u"") {
    machine_.WriteFile(kLayoutPath, layout);
    TlanguageElementsProperty reader;
    return reader.ApplyLayout(*form_, kLayoutPath, suffix, languageId);
  }

  zxtest::TempMachine machine_;
  win::Form* form_ = nullptr;
};

struct PositionCase {
  const char* name;
  const char* layout;
  const char16_t* control;
  win::Rect expected;
};

TEST_F(LayoutFileTest, PositionsByFormKeyThenControlKeyThenEnglish) {
  const PositionCase cases[] = {
      {"rectwh gives one pixel less", "[ChineseT]\nFWelcome->bt_Next->Position=rectwh,221,395,64,25\n",
       u"bt_Next", {221, 395, 284, 419}},
      {"English answers for every language",
       "[English]\nFWelcome->bt_Next->Position=rectwh,221,395,64,25\n", u"bt_Next",
       {221, 395, 284, 419}},
      {"control-name key, mixed case and blanks", "[English]\nbt_Next->Position=rectP, 10, 20, 74, 45\n",
       u"bt_Next", {10, 20, 74, 45}},
      {"form key wins", "[ChineseT]\nbt_Next->Position=rectp,1,1,2,2\nFWelcome->bt_Next->Position=rectp,5,6,7,8\n",
       u"bt_Next", {5, 6, 7, 8}},
      {"an empty value falls back to English",
       "[ChineseT]\nFWelcome->bt_Next->Position=\n[English]\nFWelcome->bt_Next->Position=rectp,1,2,3,4\n",
       u"bt_Next", {1, 2, 3, 4}},
      {"names ignore letter case", "[chineset]\nfwelcome->BT_NEXT->position=rectp,5,6,7,8\n", u"bt_Next",
       {5, 6, 7, 8}},
      {"another language's section is not read", "[German]\nbt_Next->Position=rectp,5,6,7,8\n", u"bt_Next",
       kDesigned},
      {"an unknown keyword hides the control", "[English]\nlb_Title->Position=rect,5,6,7,8\n", u"lb_Title",
       {0, 0, 0, 0}},
      {"a damaged number keeps the position", "[English]\nlb_Title->Position=rectwh,1,2,x,4\n",
       u"lb_Title", kDesigned},
      {"check boxes move", "[English]\nck_Run->Position=rectp,3,4,53,24\n", u"ck_Run", {3, 4, 53, 24}},
      {"a derived label stays", "[English]\nlb_Derived->Position=rectp,1,2,3,4\n", u"lb_Derived",
       kDesigned},
      {"a group box's own controls, form key", "[English]\nFWelcome->lb_Inner->Position=rectp,1,2,3,4\n",
       u"lb_Inner", {1, 2, 3, 4}},
      {"a group box's own controls, control key", "[English]\nlb_Inner->Position=rectp,1,2,3,4\n",
       u"lb_Inner", {1, 2, 3, 4}},
      {"the group box itself", "[English]\ngb_Group->Position=rectp,1,2,3,4\n", u"gb_Group", {1, 2, 3, 4}},
  };
  for (const PositionCase& c : cases) {
    SCOPED_TRACE(c.name);
    win::ResetApplication();
    form_ = BuildScreen();
    ASSERT_TRUE(Apply(c.layout, kChineseT));
    EXPECT_EQ(Find(c.control)->BoundsRect(), c.expected);
  }
}

// Whatever numbers the file holds, the control gets a place a window can
// have, and the screen is still drawn (the drawing never asks for more than
// the form's size).
TEST_F(LayoutFileTest, ExtremeValuesGiveAPlaceAWindowCanHave) {
  const PositionCase cases[] = {
      {"two thousand million wide and high", "[English]\nbt_Next->Position=rectwh,192,146,2000000000,2000000000\n",
       u"bt_Next", {192, 146, 32767, 32767}},
      {"edges from INT_MIN to INT_MAX", "[English]\nbt_Next->Position=rectp,-2147483648,0,2147483647,1\n",
       u"bt_Next", {-32768, 0, -1, 1}},
      {"edges the wrong way round", "[English]\nbt_Next->Position=rectp,2147483647,2147483647,-2147483648,0\n",
       u"bt_Next", {32767, 32767, 32767, 32767}},
      {"INT_MIN corner, INT_MAX size", "[English]\nlb_Title->Position=rectwh,-2147483648,-2147483648,2147483647,2147483647\n",
       u"lb_Title", {-32768, -32768, -2, -2}},
      {"thirty thousand square", "[English]\nlb_Title->Position=rectwh,0,0,30000,30000\n", u"lb_Title",
       {0, 0, 29999, 29999}},
      {"zero size", "[English]\nlb_Title->Position=rectwh,10,10,0,0\n", u"lb_Title", {10, 10, 10, 10}},
      {"negative size", "[English]\nck_Run->Position=rectwh,10,10,-5,-5\n", u"ck_Run", {10, 10, 10, 10}},
  };
  for (const PositionCase& c : cases) {
    SCOPED_TRACE(c.name);
    win::ResetApplication();
    form_ = BuildScreen();
    form_->SetClientSize(632, 456);
    ASSERT_TRUE(Apply(c.layout, kEnglish));
    EXPECT_EQ(Find(c.control)->BoundsRect(), c.expected);
    const win::Bitmap picture = win::RenderForm(*form_);
    EXPECT_EQ(picture.Width(), 632);
    EXPECT_EQ(picture.Height(), 456);
  }
}

TEST_F(LayoutFileTest, MenuItemsHaveNoBoundsAndAreSkipped) {
  EXPECT_TRUE(Apply("[English]\nmi_File->Position=rectp,1,2,3,4\n", kEnglish));
  // The menu item's place went nowhere else: every control is where it was.
  for (const char16_t* name : {u"bt_Next", u"lb_Title", u"lb_Derived", u"ck_Run", u"gb_Group", u"lb_Inner", u"ed_Name"}) {
    SCOPED_TRACE(win::ToUtf8(name));
    EXPECT_EQ(Find(name)->BoundsRect(), kDesigned);
  }
}

TEST_F(LayoutFileTest, ColoursAndFontsOfTextControls) {
  const win::Font designedFont = Find(u"ck_Run")->GetFont();
  const win::COLORREF designedColour = Find(u"lb_Derived")->Color();
  ASSERT_TRUE(Apply("[ChineseT]\n"
                    "FontName=\n"
                    "FWelcome->lb_Title->Color=RGB,128,128,128,Gray\n"
                    "lb_Title->Font->Color=RGB,300,0,0\n"
                    "ck_Run->Color=blue\n"
                    "FWelcome->ck_Run->Font->Color=rgb,red,0,0\n"
                    "lb_Derived->Color=rgb,1,2,3\n"
                    "bt_Next->Font->Color=rgb,1,2,3\n"
                    "[English]\n"
                    "FontName=Verdana\n",
                    kChineseT));
  const win::Control* title = Find(u"lb_Title");
  EXPECT_EQ(title->Color(), 0x808080u);
  EXPECT_EQ(title->GetFont().color, win::RGB(44, 0, 0));
  EXPECT_EQ(title->GetFont().name, u"Verdana");

  const win::Control* box = Find(u"ck_Run");
  EXPECT_EQ(box->Color(), win::kClBlack);                // not "rgb": black
  EXPECT_EQ(box->GetFont().color, designedFont.color);  // damaged number: kept
  EXPECT_EQ(box->GetFont().name, u"Verdana");

  // Push buttons and classes derived from TLabel get no colour or font.
  EXPECT_EQ(Find(u"bt_Next")->GetFont(), designedFont);
  EXPECT_EQ(Find(u"lb_Derived")->GetFont(), designedFont);
  EXPECT_EQ(Find(u"lb_Derived")->Color(), designedColour);
}

TEST_F(LayoutFileTest, LabelledEditColoursItselfAndFontsItsCaption) {
  win::Control* edit = Find(u"ed_Name");
  win::Control* caption = Find(edit, u"SubLabel");
  ASSERT_NE(caption, nullptr);
  const win::Font designedFont = edit->GetFont();
  ASSERT_TRUE(Apply("[English]\nFontName=Verdana\ned_Name->Color=rgb,9,9,9\n"
                    "FWelcome->ed_Name->Font->Color=rgb,200,0,0\n",
                    kEnglish));
  EXPECT_EQ(edit->Color(), win::RGB(9, 9, 9));
  EXPECT_EQ(edit->GetFont(), designedFont);
  EXPECT_EQ(caption->GetFont().name, u"Verdana");
  EXPECT_EQ(caption->GetFont().color, win::RGB(200, 0, 0));
}

TEST_F(LayoutFileTest, SuffixIsAddedToBothSections) {
  ASSERT_TRUE(Apply("[ChineseT]\nbt_Next->Position=rectp,1,1,2,2\n"
                    "[English_Big]\nbt_Next->Position=rectp,5,6,7,8\n",
                    kChineseT, u"_Big"));
  EXPECT_EQ(Find(u"bt_Next")->BoundsRect(), (win::Rect{5, 6, 7, 8}));
}

TEST_F(LayoutFileTest, NoFileChangesNothing) {
  TlanguageElementsProperty reader;
  EXPECT_FALSE(reader.ApplyLayout(*form_, u"C:\\Pkg\\UI.txt", u"", kChineseT));
  EXPECT_EQ(reader.ReadLayoutValue(u"FontName"), u"");
  EXPECT_EQ(Find(u"bt_Next")->BoundsRect(), kDesigned);
}

TEST_F(LayoutFileTest, ReadsTheCurrentSectionThenEnglish) {
  machine_.WriteFile(kLayoutPath,
                     "[English]\nLanguageFontListColor=rgb,1,1,1\nA=en\n[ChineseT]\nA=zh\nB=\n");
  TlanguageElementsProperty reader;
  ASSERT_TRUE(reader.ApplyLayout(*form_, kLayoutPath, u"", kChineseT));
  EXPECT_EQ(reader.CurrentSection(), u"ChineseT");
  EXPECT_EQ(reader.ReadLayoutValue(u"A"), u"zh");
  EXPECT_EQ(reader.ReadLayoutValue(u"LanguageFontListColor"), u"rgb,1,1,1");
  EXPECT_EQ(reader.ReadLayoutValue(u"B"), u"");
  EXPECT_EQ(reader.ReadLayoutValue(u"Missing"), u"");
}

TEST(LayoutFileLanguage, IdentifierZeroMeansTheSystemDefault) {
  zxtest::TempMachine machine({"systemLangId=3076", "userLangId=1033"});
  machine.WriteFile(kLayoutPath, "[ChineseT]\nbt_Next->Position=rectp,1,2,3,4\n");
  win::Form* form = win::GetApplication().CreateForm<win::Form>(u"FWelcome");
  win::Button* next = form->Create<win::Button>(u"bt_Next");
  TlanguageElementsProperty reader;
  ASSERT_TRUE(reader.ApplyLayout(*form, kLayoutPath, u"", 0));
  EXPECT_EQ(reader.CurrentSection(), u"ChineseT");
  EXPECT_EQ(next->BoundsRect(), (win::Rect{1, 2, 3, 4}));
  win::ResetApplication();
}

}  // namespace
