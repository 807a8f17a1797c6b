// Captions and hints from the language texts: the form-specific key first,
// then the control-name key; escapes expanded; "@@" and missing keys skipped.
#include <gtest/gtest.h>

#include "platform/ui.h"
#include "support/sim_machine.h"
#include "text/language_management.h"
#include "text/text_appliers.h"

namespace {

class DerivedLabel : public win::Label {
 public:
  explicit DerivedLabel(win::Component* owner) : win::Label(owner) { SetClassName(u"TDerivedLabel"); }
};

constexpr char16_t kSection[] = u"InstallWizard";
constexpr char16_t kTexts[] =
    u"[InstallWizard]\r\n"
    u"lb_Cancel->Caption=Bye\r\n"
    u"lb_Cancel->Hint=Leave%B3now\r\n"
    u"FCancel->lb_Both->Caption=A\r\n"
    u"lb_Both->Caption=B\r\n"
    u"lb_Lines->Caption=Line one%R2Line two\r\n"
    u"lb_Blanks->Caption=Total:%B12x\r\n"
    u"lb_Marker->Caption=@@\r\n"
    u"FCancel->lb_MarkerFirst->Caption=@@\r\n"
    u"lb_MarkerFirst->Caption=Second\r\n"
    u"lb_Empty->Caption=\r\n"
    u"lb_Derived->Caption=Never\r\n"
    u"FCancel->bt_OK->Caption=Fine\r\n"
    u"ck_Delete->Caption=Delete%B1all\r\n"
    u"rb_Accept->Caption=I accept\r\n"
    u"rb_Accept->Hint=Read it first\r\n"
    u"[Other]\r\n"
    u"lb_Plain->Caption=Wrong section\r\n";

class TextAppliersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    texts_.LoadLanguageText(kTexts, u"");
    form_ = win::GetApplication().CreateForm<win::Form>(u"FCancel");
    for (const char16_t* name : {u"lb_Cancel", u"lb_Both", u"lb_Lines", u"lb_Blanks", u"lb_Marker",
                                 u"lb_MarkerFirst", u"lb_Empty", u"lb_Plain"}) {
      form_->Create<win::Label>(name)->SetCaption(name);
    }
    form_->Create<DerivedLabel>(u"lb_Derived")->SetCaption(u"lb_Derived");
    form_->Create<win::Button>(u"bt_OK")->SetCaption(u"bt_OK");
    form_->Create<win::CheckBox>(u"ck_Delete")->SetCaption(u"ck_Delete");
    form_->Create<win::RadioButton>(u"rb_Accept")->SetCaption(u"rb_Accept");
  }
  void TearDown() override { win::ResetApplication(); }
  const win::Control& Get(StringView name) const {
    return *dynamic_cast<win::Control*>(form_->FindComponent(name));
  }

  zxtest::TempMachine machine_;
  TlanguageManagement texts_;
  win::Form* form_ = nullptr;
};

TEST_F(TextAppliersTest, LabelCaptionsAndHints) {
  ApplyLabelTexts(texts_, *form_, kSection);
  const struct {
    const char16_t* control;
    String caption;
  } cases[] = {
      {u"lb_Cancel", u"Bye"},
      {u"lb_Both", u"A"},
      {u"lb_Lines", u"Line one\r\rLine two"},
      {u"lb_Blanks", u"Total:" + String(11, u' ') + u"x"},
      {u"lb_Marker", u"lb_Marker"},      // "@@" in the file counts as missing
      {u"lb_MarkerFirst", u"Second"},
      {u"lb_Empty", u""},                // an empty text is applied
      {u"lb_Plain", u"lb_Plain"},        // no key in this section
      {u"lb_Derived", u"lb_Derived"},    // derived class: not a TLabel
      {u"bt_OK", u"bt_OK"},              // other classes wait for their applier
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Get(c.control).Caption(), c.caption) << win::ToUtf8(c.control);
  }
  EXPECT_EQ(Get(u"lb_Cancel").Hint(), u"Leave   now");
  EXPECT_EQ(Get(u"lb_Both").Hint(), u"");
}

TEST_F(TextAppliersTest, EachApplierTakesOnlyItsOwnClass) {
  ApplyButtonTexts(texts_, *form_, kSection);
  EXPECT_EQ(Get(u"bt_OK").Caption(), u"Fine");
  EXPECT_EQ(Get(u"ck_Delete").Caption(), u"ck_Delete");
  ApplyCheckBoxTexts(texts_, *form_, kSection);
  EXPECT_EQ(Get(u"ck_Delete").Caption(), u"Delete all");
  EXPECT_EQ(Get(u"rb_Accept").Caption(), u"rb_Accept");
  ApplyRadioButtonTexts(texts_, *form_, kSection);
  EXPECT_EQ(Get(u"rb_Accept").Caption(), u"I accept");
  EXPECT_EQ(Get(u"rb_Accept").Hint(), u"Read it first");
  EXPECT_EQ(Get(u"lb_Cancel").Caption(), u"lb_Cancel");
}

TEST_F(TextAppliersTest, NothingLoadedLeavesEverythingAsDesigned) {
  TlanguageManagement empty;
  ApplyLabelTexts(empty, *form_, kSection);
  EXPECT_EQ(Get(u"lb_Cancel").Caption(), u"lb_Cancel");
}

}  // namespace
