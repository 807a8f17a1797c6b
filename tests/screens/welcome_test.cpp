// The welcome screen's language list: which languages it offers, where it
// scrolls to, how a click switches the wizard, and when the other screens
// hear of the change.
#include <gtest/gtest.h>

#include "startup/prepareform.h"
#include "platform/picture.h"
#include "platform/system.h"
#include "screens/eulaform.h"
#include "screens/screens.h"
#include "screens/welcomeform.h"
#include "screens_fixture.h"

using namespace screentest;

namespace {

struct ListState {
  StringList rows;
  std::vector<bool> enabled;
  int position = 0;
  int maximum = 0;
  int highlighted = -1;
  bool changed = false;
  String language;
  String product;
};

ListState ReadList(WizardRun& run) {
  return run.Call([] {
    ListState s;
    for (win::Label* row : FWelcome->LanguageLabels) {
      s.rows.push_back(row->Caption());
      s.enabled.push_back(row->Enabled());
    }
    s.position = FWelcome->AdvSmooth_ScrollBar->Position();
    s.maximum = FWelcome->AdvSmooth_ScrollBar->Max();
    s.highlighted = FWelcome->HighlightedRow();
    s.changed = FWelcome->LanguageChanged;
    s.language = App->languageName;
    s.product = App->productName;
    return s;
  });
}

TEST(WelcomeList, CurrentLanguageBeyondTheTenthRowScrollsItIntoTheLastRow) {
  MiniPackage p;
  Offer(p, kTwelve, "Polish");
  WizardRun run;
  const ListState s = ReadList(run);
  EXPECT_EQ(s.maximum, 2);
  EXPECT_EQ(s.position, 2);
  EXPECT_EQ(s.rows[0], u"  FRENCH");
  EXPECT_EQ(s.rows[9], u"  POLISH");
  EXPECT_EQ(s.highlighted, 9);
  // The language did not change, so nothing was reloaded.
  EXPECT_FALSE(s.changed);
  EXPECT_EQ(s.language, u"Polish");
  EXPECT_EQ(s.product, u"Product Polish");
}

TEST(WelcomeList, WheelMovesOneRowPerNotchOnlyOverTheList) {
  MiniPackage p;
  Offer(p, kTwelve, "English");
  WizardRun run;
  ASSERT_EQ(run.driver->WaitForm("FWelcome"), "");
  EXPECT_EQ(run.driver->Wheel("FWelcome", "lb_Welcome", -1), "");  // not over the list
  EXPECT_EQ(ReadList(run).position, 0);
  EXPECT_EQ(run.driver->Wheel("FWelcome", "lb_Languages3", -5), "");
  ListState s = ReadList(run);
  EXPECT_EQ(s.position, 2);  // kept within the maximum
  EXPECT_EQ(s.rows[9], u"  POLISH");
  EXPECT_EQ(s.highlighted, -1);  // English scrolled out of sight
  EXPECT_EQ(run.driver->Wheel("FWelcome", "AdvSmooth_ScrollBar", 2), "");
  s = ReadList(run);
  EXPECT_EQ(s.position, 0);
  EXPECT_EQ(s.highlighted, 0);
  EXPECT_FALSE(s.changed);
}

TEST(WelcomeList, SmallWheelTurnsAddUpToWholeRows) {
  MiniPackage p;
  Offer(p, kTwelve, "English");
  WizardRun run;
  ASSERT_EQ(run.driver->WaitForm("FWelcome"), "");
  // A touchpad's turns of 30: four make one row; a notch of 120 is one row.
  const std::vector<std::pair<int, int>> turns = {{-3, 0}, {-1, 1}, {-4, 2}, {1, 2}, {3, 1}, {-1, 1}, {4, 1}, {1, 0}};
  for (const auto& [count, position] : turns) {
    SCOPED_TRACE(count);
    ASSERT_EQ(run.driver->Wheel("FWelcome", "lb_Languages3", count, 30), "");
    EXPECT_EQ(ReadList(run).position, position);
  }
  ASSERT_EQ(run.driver->Wheel("FWelcome", "lb_Languages3", -1, 120), "");
  EXPECT_EQ(ReadList(run).position, 1);
}

TEST(WelcomeList, ScrollBarArrowsTrackAndThumbTakeTheMouse) {
  MiniPackage p;
  std::vector<std::string> thirty;
  for (int i = 0; i < 30; ++i) thirty.push_back(i == 0 ? "English" : "Lang" + std::to_string(i));
  Offer(p, thirty, "English");
  WizardRun run;
  ASSERT_EQ(run.driver->WaitForm("FWelcome"), "");
  ASSERT_EQ(ReadList(run).maximum, 20);
  // A press at y on the bar (negative: from its bottom).
  const auto press = [&run](int y) {
    run.Call([y] {
      win::ScrollBar& bar = *FWelcome->AdvSmooth_ScrollBar;
      const intptr_t at = win::MakePointParam(bar.Width() / 2, y < 0 ? bar.Height() + y : y);
      bar.Perform(win::kWmLButtonDown, 1, at);
      bar.Perform(win::kWmLButtonUp, 0, at);
      return 0;
    });
    return ReadList(run).position;
  };
  EXPECT_EQ(press(-5), 1);    // the lower arrow: one row
  EXPECT_EQ(press(-60), 11);  // the track below the thumb: ten rows
  EXPECT_EQ(press(5), 10);    // the upper arrow
  EXPECT_EQ(press(60), 0);    // the track above the thumb
  ASSERT_EQ(run.driver->Drag("FWelcome", "AdvSmooth_ScrollBar", 0, 500), "");
  ListState s = ReadList(run);
  EXPECT_EQ(s.position, 20);
  EXPECT_EQ(s.rows[9], u"  LANG29");
  ASSERT_EQ(run.driver->Drag("FWelcome", "AdvSmooth_ScrollBar", 0, -500), "");
  s = ReadList(run);
  EXPECT_EQ(s.position, 0);
  EXPECT_EQ(s.highlighted, 0);  // English back in view, still the choice
  EXPECT_FALSE(s.changed);
  // A control without a scroll bar is refused by name.
  EXPECT_NE(run.driver->Drag("FWelcome", "lb_Welcome", 0, 10).find("shows no scroll bar thumb"), std::string::npos);
}

TEST(WelcomeList, ExactlyTenLanguagesDoNotScroll) {
  MiniPackage p;
  Offer(p, std::vector<std::string>(kTwelve.begin(), kTwelve.begin() + 10), "English");
  WizardRun run;
  ASSERT_EQ(run.driver->WaitForm("FWelcome"), "");
  EXPECT_EQ(run.driver->Wheel("FWelcome", "lb_Languages9", -1), "");
  const ListState s = ReadList(run);
  EXPECT_EQ(s.maximum, 0);
  EXPECT_EQ(s.position, 0);
  EXPECT_EQ(s.rows[9], u"  ITALIAN");
}

TEST(WelcomeList, FewLanguagesLeaveDisabledEmptyRows) {
  MiniPackage p;
  Offer(p, {"English", "German", "French"}, "German");
  WizardRun run;
  ASSERT_EQ(run.driver->WaitForm("FWelcome"), "");
  EXPECT_EQ(run.driver->Click("FWelcome", "lb_Languages5"), "");
  const ListState s = ReadList(run);
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(s.enabled[i], i < 3) << i;
    if (i >= 3) {
      EXPECT_EQ(s.rows[i], u"") << i;
    }
  }
  EXPECT_EQ(s.highlighted, 1);
  EXPECT_FALSE(s.changed);
  EXPECT_EQ(s.language, u"German");
}

// The keyboard product offers only its own languages, and of those only the
// ones "Languages" names.
TEST(WelcomeList, KeyboardProductShowsOnlyItsListedLanguages) {
  MiniPackage p;
  p.SetupIni({"%PROGRAM_FILES=ZorvexKeyboard", "%REG_FODLER_PROGNAME=ZorvexKeyboard", "%PUBLISHER=Zorvex"});
  for (const char* name : {"ChineseT", "German", "English"}) p.Language(name);
  p.SettingsIni({"[SpecifyLang]", "Language=English", "[Languages]", "ChineseT=TW", "a line without a name",
                 "English=EN"});
  WizardRun run;
  const ListState s = ReadList(run);
  EXPECT_EQ(s.rows[0], u"  TW");
  EXPECT_EQ(s.rows[1], u"  EN");
  EXPECT_EQ(s.rows[2], u"");
  EXPECT_EQ(s.highlighted, 1);
}

// As many lines as folders: the lines are shown as they stand, names unchecked.
TEST(WelcomeList, AsManyLinesAsFoldersAreShownInTheirOwnOrder) {
  MiniPackage p;
  p.SetupIni({"%PROGRAM_FILES=Zorvex7", "%REG_FODLER_PROGNAME=Zorvex3", "%PUBLISHER=Zorvex"});
  for (const char* name : {"English", "German"}) p.Language(name);
  p.SettingsIni({"[SpecifyLang]", "Language=English", "[Languages]", "Russian=RU", "English=EN"});
  WizardRun run;
  const ListState s = ReadList(run);
  EXPECT_EQ(s.rows[0], u"  RU");
  EXPECT_EQ(s.rows[1], u"  EN");
  EXPECT_EQ(s.highlighted, 1);
}

TEST(WelcomeList, LanguageNotOfferedFallsBackToEnglishAtOnce) {
  MiniPackage p;
  Offer(p, {"German", "English"}, "French");
  WizardRun run;
  const ListState s = ReadList(run);
  EXPECT_EQ(s.language, u"English");
  EXPECT_EQ(s.product, u"Product English");
  EXPECT_EQ(s.highlighted, 1);
  EXPECT_EQ(run.Call([] { return FWelcome->lb_Welcome->Caption(); }), u"Welcome (English) to Product English");
}

TEST(WelcomeList, MissingOrEmptyLanguageRootIsReported) {
  struct Case {
    const char* name;
    bool emptyRoot;
    const char16_t* message;
  } cases[] = {{"no language folder", false, kLanguageFolderMissing},
               {"empty language folder", true, kLanguageFolderEmpty}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MiniPackage p;
    p.SetupIni({"%PROGRAM_FILES=Zorvex7", "%REG_FODLER_PROGNAME=Zorvex3", "%PUBLISHER=Zorvex"});
    p.SettingsIni({"[Languages]", "English=EN"});
    if (c.emptyRoot) p.machine.MakeFolder(kPackage + u"Texts\\LanguageIni");
    WizardRun run;
    const auto boxes = run.Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, c.message);
    EXPECT_EQ(boxes[0].flags, win::kMbOk);
    const ListState s = ReadList(run);
    EXPECT_EQ(s.rows[0], u"");
    EXPECT_FALSE(s.enabled[0]);
  }
}

// A click switches every text at once; the other screens hear of it when the
// user moves on, and only of switches made during the latest visit.
// Clicking the chosen language again reloads nothing: the German file is
// changed on disk after the first click, and only a real switch (English, then
// German again) reads the change. Next then announces the switch once.
TEST(WelcomeList, SwitchIsAnnouncedOnceWhenMovingOn) {
  MiniPackage p;
  Offer(p, {"English", "German"}, "English");
  p.Language("German", {"FEULA->rb_AgreeEULA->Caption=Ja"});
  p.SettingsIni({"[SpecifyLang]", "Language=English", "[Languages]", "English=EN", "German=DE", "[Series]",
                 "Display=0"});
  WizardRun run;
  int notices = 0;
  run.Call([&notices] {
    const win::WndMethod saved = FEULA->WindowProc();
    FEULA->SetWindowProc([saved, &notices](win::Message& m) {
      if (m.msg == win::kWmUser) ++notices;
      saved(m);
    });
  });
  const std::string firstText = "Welcome (German) to Product German";
  ASSERT_EQ(run.driver->WaitForm("FWelcome"), "");
  ASSERT_EQ(run.driver->Click("FWelcome", "lb_Languages1"), "");
  EXPECT_EQ(run.driver->Expect("FWelcome", "lb_Welcome", "caption", firstText), "");
  EXPECT_EQ(ReadList(run).highlighted, 1);
  p.Language("German", {"FEULA->rb_AgreeEULA->Caption=Ja", "FWelcome->lb_Welcome->Caption=Neu geladen"});
  ASSERT_EQ(run.driver->Click("FWelcome", "lb_Languages1"), "");  // the chosen one again
  EXPECT_EQ(run.Call([] { return win::ToUtf8(FWelcome->lb_Welcome->Caption()); }), firstText) << "reloaded";
  EXPECT_TRUE(ReadList(run).changed);
  EXPECT_EQ(ReadList(run).highlighted, 1);
  ASSERT_EQ(run.driver->Click("FWelcome", "lb_Languages0"), "");
  ASSERT_EQ(run.driver->Click("FWelcome", "lb_Languages1"), "");  // a real switch reads the file
  EXPECT_EQ(run.driver->Expect("FWelcome", "lb_Welcome", "caption", "Neu geladen"), "");
  ASSERT_EQ(run.driver->Click("FWelcome", "bt_Next"), "");
  ASSERT_EQ(run.driver->WaitForm("FEULA"), "");
  EXPECT_EQ(run.driver->Expect("FEULA", "rb_AgreeEULA", "caption", "Ja"), "");
  ASSERT_EQ(run.driver->Click("FEULA", "bt_Previous"), "");
  ASSERT_EQ(run.driver->WaitForm("FWelcome"), "");
  ASSERT_EQ(run.driver->Click("FWelcome", "bt_Next"), "");
  ASSERT_EQ(run.driver->WaitForm("FEULA"), "");
  run.Call([] { return 0; });  // everything posted before now has been handled
  EXPECT_EQ(notices, 1);
}

}  // namespace

namespace {

struct ListColours {
  win::COLORREF row = 0;
  win::COLORREF background = 0;
};

ListColours ReadColours(WizardRun& run) {
  return run.Call([] {
    return ListColours{FWelcome->LanguageLabels[0]->GetFont().color, FWelcome->gb_Languages->Color()};
  });
}

// The list's colours from the layout file; a colour with a damaged number
// keeps the colour the list would have had without it (never black).
TEST(WelcomeList, LayoutColoursWithDamagedNumbersKeepTheColour) {
  ListColours designed;
  {
    MiniPackage p;
    Offer(p, {"English", "German"}, "English");
    WizardRun run;
    ASSERT_EQ(run.driver->WaitForm("FWelcome"), "");
    designed = ReadColours(run);
  }
  struct Case {
    const char* name;
    const char* layout;
    win::COLORREF row;
    win::COLORREF background;
  };
  const Case cases[] = {
      {"both set", "[English]\nLanguageFontListColor=RGB,1,2,3\nFWelcome->gb_Languages->Background->Color=RGB,4,5,6\n",
       0x030201, 0x060504},
      {"damaged row colour", "[English]\nLanguageFontListColor=RGB,1,2,x\n", designed.row, designed.background},
      {"damaged background", "[English]\nFWelcome->gb_Languages->Background->Color=RGB,9,,9\n", designed.row,
       designed.background},
  };
  EXPECT_EQ(designed.row, 0x808080u);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MiniPackage p;
    Offer(p, {"English", "German"}, "English");
    p.Write(u"UI.txt", c.layout);
    WizardRun run;
    ASSERT_EQ(run.driver->WaitForm("FWelcome"), "");
    const ListColours seen = ReadColours(run);
    EXPECT_EQ(seen.row, c.row);
    EXPECT_EQ(seen.background, c.background);
  }
}

}  // namespace

namespace {

// Settings.ini places the title-bar logo, the layout file moves it; a switch
// of language reloads the logo's picture but keeps the layout file's place.
TEST(WelcomeList, LogoKeepsTheLayoutFilesPlaceAfterASwitch) {
  MiniPackage p;
  Offer(p, {"English", "German"}, "English");
  p.SettingsIni({"[SpecifyLang]", "Language=English", "[Languages]", "English=EN", "German=DE", "[UI]",
                 "Logo=rectp,5,6,0,0", "[Series]", "Display=0"});
  win::Bitmap logo(40, 20);
  logo.FillRect(win::Rect{0, 0, 40, 20}, 0x0000FF);
  p.machine.WriteFile(kPackage + u"English\\Logo.bmp", win::EncodeBmp(logo));
  p.Write(u"UI.txt", "[English]\nFEULA->im_TitleBar->Position=rectwh,300,11,40,20\n");
  WizardRun run;
  ASSERT_EQ(run.driver->WaitForm("FWelcome"), "");
  const auto place = [&run] {
    return run.Call([] { return win::Point{FEULA->im_TitleBar->Left(), FEULA->im_TitleBar->Top()}; });
  };
  ASSERT_EQ(place(), (win::Point{300, 11}));
  ASSERT_EQ(run.driver->Click("FWelcome", "lb_Languages1"), "");
  ASSERT_EQ(run.driver->Click("FWelcome", "bt_Next"), "");
  ASSERT_EQ(run.driver->WaitForm("FEULA"), "");
  run.Call([] { return 0; });  // the language notice has been handled
  EXPECT_EQ(place(), (win::Point{300, 11}));
}

}  // namespace

namespace {

// A screen is sized and centred on its first activation only: moved by the
// player and shown again, it stays where it was put, at its size.
TEST(WelcomeScreen, SecondActivationKeepsThePlaceAndSize) {
  MiniPackage p;
  Offer(p, {"English", "German"}, "English", {}, {"[Series]", "Display=0"});
  WizardRun run;
  ASSERT_EQ(run.driver->WaitForm("FWelcome"), "");
  const win::Rect centred = run.Call([] { return FWelcome->BoundsRect(); });
  EXPECT_EQ(centred.left, (win::ScreenWidth() - (centred.right - centred.left)) / 2);
  const win::Rect moved{7, 9, 7 + centred.right - centred.left, 9 + centred.bottom - centred.top};
  run.Call([moved] { FWelcome->SetBounds(moved.left, moved.top, moved.right - moved.left, moved.bottom - moved.top); });
  ASSERT_EQ(run.driver->Click("FWelcome", "bt_Next"), "");
  ASSERT_EQ(run.driver->WaitForm("FEULA"), "");
  ASSERT_EQ(run.driver->Click("FEULA", "bt_Previous"), "");
  ASSERT_EQ(run.driver->WaitForm("FWelcome"), "");
  run.Call([] { return 0; });  // the activation has been handled
  EXPECT_EQ(run.Call([] { return FWelcome->BoundsRect(); }), moved);
}

}  // namespace
