// The wizard with the keyboard alone: where each screen puts the focus, what
// Enter and Escape press, the language list's keys, and the names the
// controls give accessibility tools in the wizard's language.
#include <gtest/gtest.h>

#include <tuple>

#include "screens/cancelform.h"
#include "screens/eulaform.h"
#include "screens/screens.h"
#include "screens/welcomeform.h"
#include "screens_fixture.h"

using namespace screentest;

namespace {

// The offered languages, started in English, without the series screen.
void OfferStartingInEnglish(const MiniPackage& p, const std::vector<std::string>& languages) {
  Offer(p, languages, "English", {}, {"[Series]", "Display=0"});
}

std::string Field(WizardRun& run, const std::string& form, const std::string& control, const std::string& name) {
  const std::string state = run.Call([] { return win::DescribeUi(win::GetApplication()); });
  return win::StateField(win::SplitTabs(win::FindStateLine(state, form, control)), name);
}

TEST(KeyboardScreens, EachScreenComesUpOnItsDefaultButtonWithTheCuesHidden) {
  MiniPackage p;
  OfferStartingInEnglish(p, {"English", "German"});
  p.Language("German");
  WizardRun run;
  ASSERT_EQ(run.driver->WaitForm("FWelcome"), "");
  EXPECT_EQ(run.driver->Expect("FWelcome", "bt_Next", "focused", "1"), "");
  EXPECT_EQ(Field(run, "FWelcome", "", "cues"), "0");
  ASSERT_EQ(run.driver->Key("FWelcome", "Enter"), "");
  ASSERT_EQ(run.driver->WaitForm("FEULA"), "");
  // The licence screen used to come up on its first radio button.
  EXPECT_EQ(run.driver->Expect("FEULA", "bt_Next", "focused", "1"), "");
  EXPECT_EQ(Field(run, "FEULA", "", "cues"), "0");
  // Back from Next: Print, the ticked radio button (the other one is no tab
  // stop), then the licence text.
  for (const char* next : {"bt_PrintEULA", "rb_AgreeEULA", "re_EULA"}) {
    ASSERT_EQ(run.driver->Key("FEULA", "Shift+Tab"), "");
    EXPECT_EQ(Field(run, "FEULA", next, "focused"), "1") << next;
  }
  EXPECT_EQ(Field(run, "FEULA", "", "cues"), "1");
}

TEST(KeyboardScreens, EnterOnTheListMovesOnAndEscapeDoesWhatCancelDoes) {
  MiniPackage p;
  OfferStartingInEnglish(p, {"English", "German"});
  p.Language("German");
  WizardRun run;
  ASSERT_EQ(run.driver->WaitForm("FWelcome"), "");
  // Declining the licence disables Next, so Enter does nothing there.
  ASSERT_EQ(run.driver->Key("FWelcome", "Enter"), "");
  ASSERT_EQ(run.driver->WaitForm("FEULA"), "");
  ASSERT_EQ(run.driver->Key("FEULA", "Shift+Tab"), "");  // Print
  ASSERT_EQ(run.driver->Key("FEULA", "Shift+Tab"), "");  // the ticked radio button
  ASSERT_EQ(run.driver->Expect("FEULA", "rb_AgreeEULA", "focused", "1"), "");
  ASSERT_EQ(run.driver->Key("FEULA", "Down"), "");
  EXPECT_EQ(run.driver->Expect("FEULA", "rb_DisapproveOfEULA", "checked", "1"), "");
  EXPECT_EQ(run.driver->Expect("FEULA", "bt_Next", "enabled", "0"), "");
  ASSERT_EQ(run.driver->Key("FEULA", "Enter"), "");
  EXPECT_EQ(run.Call([] { return FEULA->Visible(); }), true);
  // Escape is the screen's Cancel: the cancelled notice, which has no Cancel
  // of its own and takes no Escape; its OK ends the program.
  ASSERT_EQ(run.driver->Key("FEULA", "Escape"), "");
  ASSERT_EQ(run.driver->WaitForm("FCancel"), "");
  ASSERT_EQ(run.driver->Key("FCancel", "Escape"), "");
  EXPECT_FALSE(run.Ended());
  EXPECT_EQ(run.Call([] { return FCancel->Visible(); }), true);
  ASSERT_EQ(run.driver->Key("FCancel", "Enter"), "");
  EXPECT_EQ(run.driver->WaitEnd(), "");
}

TEST(KeyboardScreens, ListKeysChooseALanguageAsAClickDoesAndKeepItInView) {
  MiniPackage p;
  OfferStartingInEnglish(p, kTwelve);
  p.Language("German", {"FWelcome->lb_Welcome->Caption=Willkommen"});
  WizardRun run;
  ASSERT_EQ(run.driver->WaitForm("FWelcome"), "");
  ASSERT_EQ(run.driver->Key("FWelcome", "Tab"), "");
  ASSERT_EQ(run.driver->Key("FWelcome", "Tab"), "");
  ASSERT_EQ(run.driver->Expect("FWelcome", "gb_Languages", "focused", "1"), "");
  struct Step {
    const char* key;
    const char16_t* language;
    int position;  // of the scroll bar
    int row;       // highlighted
  } steps[] = {
      {"Up", u"English", 0, 0},    // already the first
      {"Down", u"German", 0, 1},
      {"End", u"Polish", 2, 9},    // scrolled to show the last
      {"PgUp", u"French", 2, 0},   // nine up, still in view
      {"PgUp", u"English", 0, 0},  // no further than the first, scrolled back
      {"PgDn", u"Italian", 0, 9},
      {"PgDn", u"Polish", 2, 9},   // no further than the last
      {"Down", u"Polish", 2, 9},
      {"Home", u"English", 0, 0},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.key);
    ASSERT_EQ(run.driver->Key("FWelcome", step.key), "");
    const auto [language, position, row] = run.Call([] {
      return std::tuple{App->languageName, FWelcome->AdvSmooth_ScrollBar->Position(), FWelcome->HighlightedRow()};
    });
    EXPECT_EQ(language, step.language);
    EXPECT_EQ(position, step.position);
    EXPECT_EQ(row, step.row);
  }
  // The texts switch as with a click, and the focus stays on the list.
  ASSERT_EQ(run.driver->Key("FWelcome", "Down"), "");
  EXPECT_EQ(run.driver->Expect("FWelcome", "lb_Welcome", "caption", "Willkommen"), "");
  EXPECT_EQ(run.driver->Expect("FWelcome", "gb_Languages", "focused", "1"), "");
  EXPECT_TRUE(run.Call([] { return FWelcome->LanguageChanged; }));
  // A click on a row puts the focus on the list too.
  ASSERT_EQ(run.driver->Key("FWelcome", "Tab"), "");
  ASSERT_EQ(run.driver->Click("FWelcome", "lb_Languages3"), "");
  EXPECT_EQ(run.driver->Expect("FWelcome", "gb_Languages", "focused", "1"), "");
  EXPECT_EQ(run.Call([] { return App->languageName; }), u"Russian");
}

TEST(KeyboardScreens, ControlsAreNamedInTheWizardsLanguage) {
  MiniPackage p;
  OfferStartingInEnglish(p, {"English", "German"});
  p.Language("English", {"FWelcome->lb_SelectLanguage->Caption=Language:"});
  p.Language("German", {"FWelcome->bt_Next->Caption=Weiter", "bt_Cancel->Caption=Abbrechen",
                        "FWelcome->lb_SelectLanguage->Caption=Sprache:", "rb_AgreeEULA->Caption=Ich stimme zu"});
  WizardRun run;
  ASSERT_EQ(run.driver->WaitForm("FWelcome"), "");
  struct Name {
    const char* form;
    const char* control;
    const char* english;  // no key in the English file: the designed caption
    const char* german;
  } names[] = {
      {"FWelcome", "bt_Next", "Next", "Weiter"},
      {"FWelcome", "bt_Cancel", "Cancel", "Abbrechen"},       // the key without the form's name
      {"FEULA", "bt_Cancel", "Cancel", "Abbrechen"},          // another screen, at once
      {"FEULA", "bt_Next", "Next", "Next"},                   // only the welcome screen's Next has a text
      {"FWelcome", "gb_Languages", "Language:", "Sprache:"},  // the line above the list
  };
  for (const Name& n : names) EXPECT_EQ(Field(run, n.form, n.control, "accname"), n.english) << n.control;
  ASSERT_EQ(run.driver->Click("FWelcome", "lb_Languages1"), "");
  for (const Name& n : names) EXPECT_EQ(Field(run, n.form, n.control, "accname"), n.german) << n.control;
  // Radio buttons and check boxes are named by their captions, which the
  // licence screen reapplies once it hears of the switch.
  ASSERT_EQ(run.driver->Key("FWelcome", "Enter"), "");
  ASSERT_EQ(run.driver->WaitForm("FEULA"), "");
  EXPECT_EQ(run.driver->Expect("FEULA", "rb_AgreeEULA", "accname", "Ich stimme zu"), "");
}

}  // namespace
