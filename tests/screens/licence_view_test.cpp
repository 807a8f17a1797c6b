// The licence screen's view: a long licence is read to its last clause by
// wheel, by dragging the scroll bar's thumb and by keys, and the picture of
// the screen shows it.
#include <gtest/gtest.h>

#include <functional>

#include "screens/eulaform.h"
#include "screens/screens.h"
#include "screens_fixture.h"

using namespace screentest;

namespace {

// A licence of 60 clauses, the first bold, with a table, as rich text bytes.
std::string SixtyClauses() {
  std::string rtf = "{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0 Tahoma;}}\\f0\\fs16 {\\b Licence}\\par ";
  rtf += "\\trowd\\cellx2000\\cellx4000 Item\\cell Terms\\cell\\row ";
  for (int i = 1; i <= 60; ++i) rtf += "Clause " + std::to_string(i) + " of the agreement.\\par ";
  return rtf + "}";
}

bool SamePicture(const win::Bitmap& a, const win::Bitmap& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
  for (int32_t y = 0; y < a.Height(); ++y)
    for (int32_t x = 0; x < a.Width(); ++x)
      if (a.Pixel(x, y) != b.Pixel(x, y)) return false;
  return true;
}

struct ViewState {
  int top = 0;
  int max = 0;
  bool lastClauseInView = false;
};

// Comes to the licence screen of a package carrying the long licence.
class LicenceScreen {
 public:
  LicenceScreen() {
    p.SetupIni({"%PROGRAM_FILES=Zorvex7", "%REG_FODLER_PROGNAME=Zorvex3", "%PUBLISHER=Zorvex"});
    p.Language("English");
    p.Write(u"EULA\\en\\Service.rtf", SixtyClauses());
    run = std::make_unique<WizardRun>();
    EXPECT_EQ(run->driver->WaitForm("FWelcome"), "");
    EXPECT_EQ(run->driver->Click("FWelcome", "bt_Next"), "");
    EXPECT_EQ(run->driver->WaitForm("FEULA"), "");
  }

  ViewState View() {
    return run->Call([] {
      win::RichEdit& view = *FEULA->re_EULA;
      ViewState s;
      s.top = view.TopLine();
      s.max = view.MaxTopLine();
      s.lastClauseInView = view.TopLine() + view.PageLines() >= view.LineCount() &&
                           view.Text().find(u"Clause 60 of the agreement.") != String::npos;
      return s;
    });
  }

  MiniPackage p;
  std::unique_ptr<WizardRun> run;
};

TEST(LicenceView, TheLastClauseIsReachedByWheelDragAndKeys) {
  const std::vector<std::pair<const char*, std::function<void(sim::UiDriver&)>>> ways = {
      {"wheel", [](sim::UiDriver& d) { EXPECT_EQ(d.Wheel("FEULA", "re_EULA", -40), ""); }},
      {"drag", [](sim::UiDriver& d) { EXPECT_EQ(d.Drag("FEULA", "re_EULA", 0, 1000), ""); }},
      {"End", [](sim::UiDriver& d) {
         EXPECT_EQ(d.Click("FEULA", "re_EULA"), "");  // the view takes the focus
         EXPECT_EQ(d.Key("FEULA", "End"), "");
       }},
      {"PgDn", [](sim::UiDriver& d) {
         EXPECT_EQ(d.Click("FEULA", "re_EULA"), "");
         for (int i = 0; i < 30; ++i) EXPECT_EQ(d.Key("FEULA", "PgDn"), "");
       }},
  };
  for (const auto& [way, act] : ways) {
    SCOPED_TRACE(way);
    LicenceScreen screen;
    const ViewState before = screen.View();
    EXPECT_EQ(before.top, 0);
    ASSERT_GT(before.max, 10);  // longer than the view: it scrolls
    const win::Bitmap top = screen.run->Call([] { return win::RenderForm(*FEULA); });
    act(*screen.run->driver);
    const ViewState after = screen.View();
    EXPECT_EQ(after.top, after.max);
    EXPECT_TRUE(after.lastClauseInView);
    EXPECT_EQ(screen.run->driver->Expect("FEULA", "re_EULA", "position", std::to_string(after.max)), "");
    // The picture of the screen shows the scrolled text.
    const win::Bitmap end = screen.run->Call([] { return win::RenderForm(*FEULA); });
    EXPECT_FALSE(SamePicture(end, top));
  }
}

TEST(LicenceView, KeysMoveByLineAndPageAndHomeGoesBack) {
  LicenceScreen screen;
  sim::UiDriver& d = *screen.run->driver;
  // The screen comes up with the focus on Next; a click in the text gives
  // the text the focus, ready for the keys.
  EXPECT_EQ(d.Expect("FEULA", "bt_Next", "focused", "1"), "");
  ASSERT_EQ(d.Click("FEULA", "re_EULA"), "");
  EXPECT_EQ(d.Expect("FEULA", "re_EULA", "focused", "1"), "");
  const int page = screen.run->Call([] { return FEULA->re_EULA->PageLines(); });
  const std::vector<std::pair<const char*, int>> steps = {
      {"Down", 1}, {"Down", 2}, {"PgDn", 2 + page}, {"Up", 1 + page}, {"PgUp", 1}, {"Up", 0}, {"Up", 0}};
  for (const auto& [key, top] : steps) {
    SCOPED_TRACE(key);
    ASSERT_EQ(d.Key("FEULA", key), "");
    EXPECT_EQ(screen.View().top, top);
  }
  ASSERT_EQ(d.Key("FEULA", "End"), "");
  ASSERT_EQ(d.Key("FEULA", "Home"), "");
  EXPECT_EQ(screen.View().top, 0);
}

TEST(LicenceView, SmallWheelTurnsAddUpToWholeLines) {
  LicenceScreen screen;
  sim::UiDriver& d = *screen.run->driver;
  // A notch scrolls three lines; a quarter notch is not yet a line.
  ASSERT_EQ(d.Wheel("FEULA", "re_EULA", -1, 30), "");
  EXPECT_EQ(screen.View().top, 0);
  ASSERT_EQ(d.Wheel("FEULA", "re_EULA", -1, 30), "");
  EXPECT_EQ(screen.View().top, 1);
  ASSERT_EQ(d.Wheel("FEULA", "re_EULA", -2, 30), "");
  EXPECT_EQ(screen.View().top, 3);
  ASSERT_EQ(d.Wheel("FEULA", "re_EULA", -1), "");
  EXPECT_EQ(screen.View().top, 6);
  ASSERT_EQ(d.Wheel("FEULA", "re_EULA", 5), "");
  EXPECT_EQ(screen.View().top, 0);
}

TEST(LicenceView, ScrollBarArrowsAndTrackTakeTheMouse) {
  LicenceScreen screen;
  const int page = screen.run->Call([] { return FEULA->re_EULA->PageLines(); });
  // Presses at the bar's places of the view (17 pixels wide at its right).
  const auto press = [&screen](int x, int y) {
    screen.run->Call([x, y] {
      win::RichEdit& view = *FEULA->re_EULA;
      const int32_t px = x < 0 ? view.Width() + x : x, py = y < 0 ? view.Height() + y : y;
      view.Perform(win::kWmLButtonDown, 1, win::MakePointParam(px, py));
      view.Perform(win::kWmLButtonUp, 0, win::MakePointParam(px, py));
      return 0;
    });
    return screen.View().top;
  };
  EXPECT_EQ(press(-9, -5), 1);            // the lower arrow
  EXPECT_EQ(press(-9, -40), 1 + page);    // the track below the thumb
  EXPECT_EQ(press(-9, 5), page);          // the upper arrow
  EXPECT_EQ(press(40, 40), page);         // the text: no scrolling
  EXPECT_TRUE(screen.run->Call([] { return FEULA->re_EULA->Focused(); }));
}

}  // namespace
