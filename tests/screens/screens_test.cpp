// The screens after the welcome: navigation tests, the licence, the series,
// the finish screen's records and start, and cancelling a run.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "startup/prepareform.h"
#include "install/installthread.h"
#include "platform/files.h"
#include "platform/picture.h"
#include "screens/askinstallform.h"
#include "screens/cancelconfirmform.h"
#include "screens/cancelform.h"
#include "screens/eulaform.h"
#include "screens/finishform.h"
#include "screens/installform.h"
#include "screens/navigation.h"
#include "screens/screens.h"
#include "screens/seriesselectform.h"
#include "screens/welcomeform.h"
#include "screens_fixture.h"

using namespace screentest;

namespace {

const std::vector<std::string> kSetup{"%PROGRAM_FILES=Zorvex7", "%PROGRAM_EXEC=Zorvex7.exe",
                                      "%PROGRAM_DATA=Data\\",   "%REG_FODLER_PROGNAME=Zorvex3",
                                      "%PUBLISHER=Zorvex",      "%PROGRAM_VERSION=19.02.0005"};

std::vector<std::string> With(std::vector<std::string> lines, const std::vector<std::string>& more) {
  lines.insert(lines.end(), more.begin(), more.end());
  return lines;
}

// Starts the wizard but keeps the controller from moving on by itself.
void Hold(WizardRun& run) {
  run.Call([] { FPrepare->Timer1->SetEnabled(false); });
}

TEST(Navigation, OemAndSeriesTests) {
  struct Case {
    const char* name;
    std::vector<std::string> setup;     // empty: no Setup.ini
    std::vector<std::string> settings;  // empty: no Settings.ini
    bool oem;
    bool series;
  } cases[] = {
      {"publisher absent", {"%PROGRAM_FILES=Zorvex7"}, {"[Series]", "Display=2"}, true, true},
      {"publisher named", {"%PUBLISHER=Zorvex"}, {"[Series]", "Display=0"}, false, false},
      {"publisher empty", {"%PUBLISHER="}, {"[Series]", "Display= 1 "}, false, true},
      {"no Setup.ini", {}, {"[Series]", "Display=x1"}, false, false},
      {"series negative", {"%PUBLISHER=OEM"}, {"[Series]", "Display=-1"}, true, true},
      {"series empty", {"%PUBLISHER=oem"}, {"[Series]", "Display="}, false, false},
      {"no Settings.ini", {"%PUBLISHER=OEM"}, {}, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MiniPackage p;
    p.Language("English");
    if (!c.setup.empty()) p.SetupIni(c.setup);
    if (!c.settings.empty()) p.SettingsIni(c.settings);
    TApp app;
    EXPECT_EQ(IsOemSetup(), c.oem);
    EXPECT_EQ(SeriesScreenEnabled(), c.series);
  }
}

TEST(Navigation, OemSetupGoesFromWelcomeToTheInstallConfirmationAndBack) {
  MiniPackage p;
  p.SetupIni({"%PROGRAM_FILES=Zorvex7", "%REG_FODLER_PROGNAME=Zorvex3", "%PUBLISHER=OEM"});
  p.Language("English");
  WizardRun run;
  ASSERT_EQ(run.driver->WaitForm("FWelcome"), "");
  // Without skin pictures the buttons stay plain ones with their own words.
  EXPECT_EQ(run.driver->Expect("FWelcome", "bt_Next", "caption", "Next"), "");
  ASSERT_EQ(run.driver->Click("FWelcome", "bt_Next"), "");
  ASSERT_EQ(run.driver->WaitForm("FAskInstall"), "");
  EXPECT_EQ(run.driver->Expect("FAskInstall", "bt_Install", "caption", "Install"), "");
  ASSERT_EQ(run.driver->Click("FAskInstall", "bt_Previous"), "");
  ASSERT_EQ(run.driver->WaitForm("FWelcome"), "");
  ASSERT_EQ(run.driver->Click("FWelcome", "bt_Cancel"), "");
  ASSERT_EQ(run.driver->WaitForm("FCancel"), "");
  ASSERT_EQ(run.driver->Click("FCancel", "bt_OK"), "");
  EXPECT_EQ(run.driver->WaitEnd(), "");
}

TEST(Navigation, InstallConfirmationTakesTheProductNameOfTheChosenLanguage) {
  MiniPackage p;
  p.SetupIni({"%PROGRAM_FILES=Zorvex7", "%REG_FODLER_PROGNAME=Zorvex3", "%PUBLISHER=OEM"});
  p.Language("English");
  p.Language("German");
  p.SettingsIni({"[SpecifyLang]", "Language=English", "[Languages]", "English=EN", "German=DE"});
  WizardRun run;
  ASSERT_EQ(run.driver->WaitForm("FWelcome"), "");
  EXPECT_EQ(run.Call([] { return FAskInstall->Caption(); }), u"Product English");
  ASSERT_EQ(run.driver->Click("FWelcome", "lb_Languages1"), "");
  ASSERT_EQ(run.driver->Click("FWelcome", "bt_Next"), "");
  ASSERT_EQ(run.driver->WaitForm("FAskInstall"), "");
  run.Call([] { return 0; });  // the language notice has been handled
  EXPECT_EQ(run.Call([] { return FAskInstall->Caption(); }), u"Product German");
}

// The install screen's heading names the product in every "%P", when it is
// built and again after a language switch, in the new language.
TEST(Navigation, InstallHeadingNamesTheProductOfTheChosenLanguage) {
  MiniPackage p;
  p.SetupIni(kSetup);
  p.Language("English", {"FInstall->lb_Install->Caption=Installing %P (%P)"});
  p.Language("German", {"FInstall->lb_Install->Caption=%P wird installiert"});
  p.SettingsIni({"[SpecifyLang]", "Language=English", "[Languages]", "English=EN", "German=DE", "[Series]",
                 "Display=0"});
  WizardRun run;
  ASSERT_EQ(run.driver->WaitForm("FWelcome"), "");
  EXPECT_EQ(run.Call([] { return FInstall->lb_Install->Caption(); }), u"Installing Product English (Product English)");
  ASSERT_EQ(run.driver->Click("FWelcome", "lb_Languages1"), "");
  ASSERT_EQ(run.driver->Click("FWelcome", "bt_Next"), "");
  ASSERT_EQ(run.driver->WaitForm("FEULA"), "");
  run.Call([] { return 0; });  // the language notice has been handled
  EXPECT_EQ(run.Call([] { return FInstall->lb_Install->Caption(); }), u"Product German wird installiert");
}

TEST(Navigation, CloseRequestOnAScreenEndsTheProgram) {
  MiniPackage p;
  p.SetupIni(kSetup);
  p.Language("English");
  WizardRun run;
  ASSERT_EQ(run.driver->WaitForm("FWelcome"), "");
  ASSERT_EQ(run.driver->Close("FWelcome"), "");
  EXPECT_EQ(run.driver->WaitEnd(), "");
}

TEST(Licence, FolderCodeByLanguageName) {
  struct Case {
    const char16_t* language;
    const char16_t* code;
  } cases[] = {{u"ChineseT", u"tw"}, {u"ChineseS", u"cn"}, {u"Japanese", u"jp"}, {u"Korean", u"kr"},
               {u"Slovak", u"sk"},   {u"English", u"en"},  {u"chineset", u"en"}, {u"Klingon", u"en"}};
  for (const Case& c : cases) EXPECT_EQ(LicenceFolderCode(c.language), c.code) << win::ToUtf8(c.language);
}

TEST(Licence, OwnFolderElseEnglishElseNone) {
  MiniPackage p;
  p.Write(u"EULA\\tw\\Service.rtf", "{\\rtf1 tw}");
  EXPECT_EQ(LicenceFilePath(u"ChineseT"), u"C:\\Pkg\\EULA\\tw\\Service.rtf");
  EXPECT_EQ(LicenceFilePath(u"German"), u"");
  p.Write(u"EULA\\en\\Service.rtf", "{\\rtf1 en}");
  EXPECT_EQ(LicenceFilePath(u"German"), u"C:\\Pkg\\EULA\\en\\Service.rtf");
  EXPECT_EQ(LicenceFilePath(u"Klingon"), u"C:\\Pkg\\EULA\\en\\Service.rtf");
}

TEST(Licence, AgreementPrintingAndTheLanguageOfTheText) {
  MiniPackage p;
  p.SetupIni(kSetup);
  p.Language("English");
  p.Language("German");
  p.SettingsIni({"[SpecifyLang]", "Language=English", "[Languages]", "English=EN", "German=DE", "[Series]",
                 "Display=1"});
  p.Write(u"EULA\\en\\Service.rtf", "{\\rtf1\\ansi English terms\\par}");
  // Stored as UTF-16 text with a byte-order mark.
  p.Write(u"EULA\\de\\Service.rtf", std::string("\xFF\xFE{\0\\\0r\0t\0f\0 \0D\0E\0}\0", 20));
  WizardRun run;
  sim::ClearPrintedJobs();
  EXPECT_EQ(run.Call([] { return FEULA->re_EULA->Text(); }), u"English terms");
  ASSERT_EQ(run.driver->WaitForm("FWelcome"), "");
  ASSERT_EQ(run.driver->Click("FWelcome", "lb_Languages1"), "");
  ASSERT_EQ(run.driver->Click("FWelcome", "bt_Next"), "");
  ASSERT_EQ(run.driver->WaitForm("FSeriesSelect"), "");
  ASSERT_EQ(run.driver->Click("FSeriesSelect", "bt_Next"), "");
  ASSERT_EQ(run.driver->WaitForm("FEULA"), "");
  EXPECT_EQ(run.Call([] { return FEULA->re_EULA->Text(); }), u"DE");

  EXPECT_EQ(run.driver->Expect("FEULA", "bt_Next", "enabled", "1"), "");
  ASSERT_EQ(run.driver->Tick("FEULA", "rb_DisapproveOfEULA", true), "");
  EXPECT_EQ(run.driver->Expect("FEULA", "bt_Next", "enabled", "0"), "");
  ASSERT_EQ(run.driver->Tick("FEULA", "rb_AgreeEULA", true), "");
  EXPECT_EQ(run.driver->Expect("FEULA", "bt_Next", "enabled", "1"), "");

  ASSERT_EQ(run.driver->Click("FEULA", "bt_PrintEULA"), "");
  ASSERT_EQ(run.driver->WaitForm("PrintDialog"), "");
  ASSERT_EQ(run.driver->Click("PrintDialog", "OK"), "");
  ASSERT_EQ(run.driver->WaitForm("FEULA"), "");
  const auto jobs = sim::PrintedJobs();
  ASSERT_EQ(jobs.size(), 1u);
  EXPECT_EQ(jobs[0].title, kLicencePrintTitle);
  EXPECT_EQ(jobs[0].text, u"DE");

  // Back goes to the series screen while it is enabled.
  ASSERT_EQ(run.driver->Click("FEULA", "bt_Previous"), "");
  EXPECT_EQ(run.driver->WaitForm("FSeriesSelect"), "");
}

TEST(Series, DefaultChoiceAndTheFifthSeries) {
  MiniPackage p;
  p.SetupIni(kSetup);
  p.Language("English");
  p.SettingsIni({"[Series]", "Display=1", "Code=S2,S3,S4,S5,S7"});
  p.machine.MakeFolder(kPackage + u"English\\Series");
  for (const char16_t* code : {u"S5", u"S7"}) {
    const win::Bitmap picture(4, 3, code[1] == u'5' ? win::RGB(0, 0, 255) : win::RGB(255, 0, 0));
    ASSERT_TRUE(win::SavePng(picture, p.machine.HostPath(kPackage + u"English\\Series\\" + code + u".png")));
  }
  WizardRun run;
  EXPECT_EQ(run.Call([] { return FSeriesSelect->TickedIndex(); }), 3);
  EXPECT_EQ(run.Call([] { return FSeriesSelect->im_DisplaySelection->Picture().Pixel(0, 0); }), win::RGB(0, 0, 255));
  ASSERT_EQ(run.driver->WaitForm("FWelcome"), "");
  ASSERT_EQ(run.driver->Click("FWelcome", "bt_Next"), "");
  ASSERT_EQ(run.driver->WaitForm("FSeriesSelect"), "");
  ASSERT_EQ(run.driver->Click("FSeriesSelect", "bt_Next"), "");
  ASSERT_EQ(run.driver->WaitForm("FEULA"), "");
  EXPECT_EQ(run.Call([] { return App->seriesIndex; }), 3);
  ASSERT_EQ(run.driver->Click("FEULA", "bt_Previous"), "");
  ASSERT_EQ(run.driver->WaitForm("FSeriesSelect"), "");
  ASSERT_EQ(run.driver->Tick("FSeriesSelect", "rb_Series7", true), "");
  EXPECT_EQ(run.Call([] { return FSeriesSelect->im_DisplaySelection->Picture().Pixel(0, 0); }), win::RGB(255, 0, 0));
  ASSERT_EQ(run.driver->Click("FSeriesSelect", "bt_Next"), "");
  ASSERT_EQ(run.driver->WaitForm("FEULA"), "");
  EXPECT_EQ(run.Call([] { return App->seriesIndex; }), 4);
  ASSERT_EQ(run.driver->Click("FEULA", "bt_Previous"), "");
  ASSERT_EQ(run.driver->WaitForm("FSeriesSelect"), "");
  EXPECT_EQ(run.Call([] { return FSeriesSelect->TickedIndex(); }), 4);
}

// The name of the control with the focus on a form ("" for none).
std::string FocusedOn(WizardRun& run, const char16_t* form) {
  return run.Call([form] {
    const win::Control* c = win::GetApplication().FindForm(form)->ActiveControl();
    return c ? win::ToUtf8(c->Name()) : std::string();
  });
}

// Tab (or Shift+Tab) until the control has the focus; false when the round
// comes back without it.
bool TabTo(WizardRun& run, const char* form, const char* control, const char* key = "Tab") {
  const std::u16string formName = win::FromUtf8(form);
  for (int i = 0; i < 30; ++i) {
    if (FocusedOn(run, formName.c_str()) == control) return true;
    if (!run.driver->Key(form, key).empty()) return false;
  }
  return false;
}

TEST(Keyboard, TheWizardGoesOnAndBackWithTabSpaceAndEnter) {
  MiniPackage p;
  p.SetupIni(kSetup);
  p.Language("English");
  WizardRun run;
  ASSERT_EQ(run.driver->WaitForm("FWelcome"), "");
  // The screen came up with the focus on one of its controls.
  EXPECT_NE(FocusedOn(run, u"FWelcome"), "");
  ASSERT_TRUE(TabTo(run, "FWelcome", "bt_Next"));
  ASSERT_EQ(run.driver->Key("FWelcome", "Enter"), "");
  ASSERT_EQ(run.driver->WaitForm("FEULA"), "");
  ASSERT_TRUE(TabTo(run, "FEULA", "bt_Previous", "Shift+Tab"));
  ASSERT_EQ(run.driver->Key("FEULA", "Space"), "");
  ASSERT_EQ(run.driver->WaitForm("FWelcome"), "");
  // A key the forms do not know is refused by name.
  EXPECT_NE(run.driver->Key("FWelcome", "F5").find("unknown key"), std::string::npos);
  ASSERT_TRUE(TabTo(run, "FWelcome", "bt_Cancel"));
  ASSERT_EQ(run.driver->Key("FWelcome", "Space"), "");
  ASSERT_EQ(run.driver->WaitForm("FCancel"), "");
}

// What the finish screen of an install writes and starts.
class FinishScene {
 public:
  void Start(const std::vector<std::string>& setup, const std::vector<std::string>& settings,
             const StringList& arguments = {}) {
    p.SetupIni(setup);
    p.Language("English");
    if (!settings.empty()) p.SettingsIni(settings);
    p.machine.WriteFile(kProgram + u"Data\\Project.ini", "[Project]\r\nName=Z7\r\n");
    run = std::make_unique<WizardRun>(arguments);
    Hold(*run);
  }
  void ShowFinish(int seriesIndex = 3) {
    run->Call([seriesIndex] {
      App->seriesIndex = seriesIndex;
      FFinish->Show();
    });
  }
  const String kProgram = u"C:\\Program Files (x86)\\Zorvex7\\Zorvex7\\";
  MiniPackage p;
  std::unique_ptr<WizardRun> run;
};

class Finish : public ::testing::Test, public FinishScene {};

TEST(FinishStartBox, FollowsExeAfterInstallExactly) {
  struct Case {
    const char* value;  // nullptr: key absent
    bool ticked;
  } cases[] = {{"1", true}, {"true", false}, {"01", false}, {"", false}, {nullptr, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value ? c.value : "absent");
    FinishScene scene;
    scene.Start(c.value ? With(kSetup, {std::string("%Exe_AfterInstall=") + c.value}) : kSetup, {});
    scene.ShowFinish();
    EXPECT_EQ(scene.run->driver->Expect("FFinish", "ck_StartProgram", "checked", c.ticked ? "1" : "0"), "");
  }
}

TEST_F(Finish, InstallWritesTheLogAndTheChosenSeries) {
  Start(kSetup, {"[Series]", "Display=1", "Code=A, B ,C"});
  p.machine.WriteFile(kProgram + kInstalledLogName, "old text");
  ShowFinish(1);
  ASSERT_EQ(run->driver->WaitForm("FFinish"), "");
  EXPECT_TRUE(p.machine.Exists(kProgram + kInstalledLogName));
  EXPECT_EQ(p.machine.ReadFile(kProgram + kInstalledLogName), "");
  EXPECT_NE(p.machine.ReadFile(kProgram + u"Data\\Project.ini").find("SeriesType=B"), std::string::npos);
  EXPECT_EQ(run->driver->Expect("FFinish", "lb_Finish_Install", "visible", "1"), "");
  EXPECT_EQ(run->driver->Expect("FFinish", "lb_Finish_Uninstall", "visible", "0"), "");
  EXPECT_EQ(run->driver->Expect("FFinish", "lb_Finish_Upgrade", "visible", "0"), "");
}

TEST_F(Finish, IndexBeyondTheCodesWritesAnEmptySeries) {
  Start(kSetup, {"[Series]", "Display=1", "Code=A"});
  ShowFinish(4);
  ASSERT_EQ(run->driver->WaitForm("FFinish"), "");
  EXPECT_NE(p.machine.ReadFile(kProgram + u"Data\\Project.ini").find("SeriesType=\r\n"), std::string::npos);
}

TEST_F(Finish, OtherRunModesWriteAndStartNothing) {
  // The online updater's run ends as an upgrade does: one heading, its
  // notes, no check box.
  for (const char16_t* mode : {u"uninstallanyway", u"upgrade", u"onlineupdater"}) {
    SCOPED_TRACE(win::ToUtf8(mode));
    run.reset();
    WriteValue(win::RootKey::LocalMachine, u"Software\\Zorvex\\Zorvex3", u"InstallDir", u"C:\\X");
    Start(With(kSetup, {"%Exe_AfterInstall=1"}), {"[Series]", "Display=1", "Code=A,B,C,D"}, {mode});
    run->Call([] { FFinish->ck_StartProgram->SetChecked(true); });
    ShowFinish();
    ASSERT_EQ(run->driver->WaitForm("FFinish"), "");
    EXPECT_FALSE(p.machine.Exists(kProgram + kInstalledLogName));
    EXPECT_EQ(p.machine.ReadFile(kProgram + u"Data\\Project.ini").find("SeriesType"), std::string::npos);
    EXPECT_EQ(run->driver->Expect("FFinish", "ck_StartProgram", "visible", "0"), "");
    const bool upgrade = mode[0] != u'u' || mode[1] == u'p';
    EXPECT_EQ(run->driver->Expect("FFinish", "lb_Finish_Upgrade", "visible", upgrade ? "1" : "0"), "");
    EXPECT_EQ(run->driver->Expect("FFinish", "lb_FinishUpgradeNotes", "visible", upgrade ? "1" : "0"), "");
    EXPECT_EQ(run->driver->Expect("FFinish", "lb_Finish_Uninstall", "visible", upgrade ? "0" : "1"), "");
    EXPECT_EQ(run->driver->Expect("FFinish", "lb_FinishUninstallNotes", "visible", upgrade ? "0" : "1"), "");
    EXPECT_EQ(run->driver->Expect("FFinish", "lb_Finish_Install", "visible", "0"), "");
    EXPECT_EQ(run->driver->Expect("FFinish", "lb_FinishInstallNotes", "visible", "0"), "");
    ASSERT_EQ(run->driver->Click("FFinish", "bt_Finish"), "");
    ASSERT_EQ(run->driver->WaitEnd(), "");
    EXPECT_EQ(p.machine.ToolLog().find("ShellExecute"), std::string::npos);
  }
}

TEST_F(Finish, FinishStartsTheLauncherOrTheSoundProductDirectly) {
  struct Case {
    const char* registryName;
    const char* started;
  } cases[] = {
      {"Zorvex3", "ShellExecute open C:\\Program Files (x86)\\Zorvex7\\Zorvex7\\DozadoZoZizo.exe Zorvex7.exe"},
      {"ZorvexTonalix", "ShellExecute open C:\\Program Files (x86)\\Zorvex7\\Zorvex7\\Zorvex7.exe Zorvex7.exe"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.registryName);
    run.reset();
    Start({"%PROGRAM_FILES=Zorvex7", "%PROGRAM_EXEC=Zorvex7.exe", "%PUBLISHER=Zorvex", "%Exe_AfterInstall=1",
           std::string("%REG_FODLER_PROGNAME=") + c.registryName},
          {});
    ShowFinish();
    ASSERT_EQ(run->driver->Expect("FFinish", "ck_StartProgram", "checked", "1"), "");
    ASSERT_EQ(run->driver->Click("FFinish", "bt_Finish"), "");
    ASSERT_EQ(run->driver->WaitEnd(), "");
    EXPECT_NE(p.machine.ToolLog().find(c.started), std::string::npos) << p.machine.ToolLog();
  }
}

// A worker that works in small steps with a pause point between them and
// reports completion as the install worker does. It does not reach its first
// pause point before the test has clicked Cancel (or ten seconds have passed),
// so however slowly the click arrives, the run is still going when it does,
// and a held worker is still on its way to the pause point when OK is clicked.
class StepWorker : public win::Thread {
 public:
  StepWorker(win::WindowHandle window, std::atomic<int>& steps, const std::atomic<bool>& cancelClicked,
             const std::atomic<bool>& released, std::atomic<bool>& freed)
      : window_(window), steps_(steps), cancelClicked_(cancelClicked), released_(released), freed_(freed) {}
  ~StepWorker() override { freed_ = true; }
  void Execute() override {
    for (int i = 0; i < 40; ++i) {
      for (int waited = 0; i == 0 && !(cancelClicked_ && released_) && waited < 10000; ++waited)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      win::PausePoint();
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      ++steps_;
    }
    // As the install worker: a post fails only once the screen is gone, and
    // then nobody waits for it.
    (void)win::PostMessage(window_, win::RegisterWindowMessage(kInstallFinishedMessage), 0, 0);
  }

 private:
  win::WindowHandle window_;
  std::atomic<int>& steps_;
  const std::atomic<bool>& cancelClicked_;
  const std::atomic<bool>& released_;
  std::atomic<bool>& freed_;
};

class CancelRun : public ::testing::Test {
 protected:
  void SetUp() override {
    p.SetupIni(kSetup);
    p.Language("English");
    run = std::make_unique<WizardRun>();
    Hold(*run);
    run->Call([this] {
      FInstall->StartOwnedWorker(
          std::make_unique<StepWorker>(FInstall->Handle(), steps, cancelClicked, released, freed));
      FInstall->Show();
    });
    ASSERT_EQ(run->driver->WaitForm("FInstall"), "");
    ASSERT_EQ(run->driver->Click("FInstall", "bt_Cancel"), "");
    cancelClicked = true;
    ASSERT_EQ(run->driver->WaitForm("FCancelConfirm"), "");
  }
  // Whether the worker, once it reached its next pause point, stays there.
  bool StandsStill() {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const int before = steps;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    return steps == before && steps < 40;
  }
  std::atomic<int> steps{0};
  std::atomic<bool> cancelClicked{false};
  std::atomic<bool> released{true};  // false holds the worker before its pause point
  std::atomic<bool> freed{false};    // the worker object was destroyed
  MiniPackage p;
  std::unique_ptr<WizardRun> run;
};

TEST_F(CancelRun, DeclinedRunGoesOnToTheFinish) {
  EXPECT_TRUE(StandsStill());
  // A second Cancel pauses nothing twice; one answer lets the run go on.
  ASSERT_EQ(run->driver->Click("FInstall", "bt_Cancel"), "");
  ASSERT_EQ(run->driver->Close("FCancelConfirm"), "");  // a close request declines
  ASSERT_EQ(run->driver->WaitForm("FFinish"), "");
  EXPECT_EQ(steps, 40);
  EXPECT_FALSE(run->Call([] { return FInstall->Visible() || FCancelConfirm->Visible(); }));
}

// Ends at once, after posting its completion as the install worker does.
class EndedWorker : public win::Thread {
 public:
  explicit EndedWorker(win::WindowHandle window) : window_(window) {}
  // As the install worker: a post fails only once the screen is gone, and then
  // nobody waits for it.
  void Execute() override {
    (void)win::PostMessage(window_, win::RegisterWindowMessage(kInstallFinishedMessage), 0, 0);
  }

 private:
  win::WindowHandle window_;
};

// Cancel or a close request after the worker has ended, while its completion
// still waits in the queue, does nothing: no question, nothing abandoned, and
// the completion then leads to the finish.
TEST(CancelAfterTheEnd, CancelBeforeTheCompletionIsHandledDoesNothing) {
  MiniPackage p;
  p.SetupIni(kSetup);
  p.Language("English");
  WizardRun run;
  Hold(run);
  const bool asked = run.Call([] {
    FInstall->StartOwnedWorker(std::make_unique<EndedWorker>(FInstall->Handle()));
    FInstall->Show();
    while (!FInstall->WorkerFinished()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    FInstall->bt_Cancel->Click();
    FInstall->Close();
    return FCancelConfirm->Visible() || FInstall->Abandoned();
  });
  EXPECT_FALSE(asked);
  ASSERT_EQ(run.driver->WaitForm("FFinish"), "");
  EXPECT_FALSE(run.Call([] { return FCancelConfirm->Visible() || FCancel->Visible(); }));
}

// OK is final even while the worker has not yet reached its pause point:
// the question's Cancel, Escape or a close request during that wait change
// nothing, and the run ends through the cancelled notice, not the finish.
class HeldCancelRun : public CancelRun {
 protected:
  void SetUp() override {
    released = false;
    CancelRun::SetUp();
  }
};

TEST_F(HeldCancelRun, ConfirmedCancelIsFinalWhileTheWorkerIsOnItsWay) {
  ASSERT_EQ(run->driver->Click("FCancelConfirm", "bt_OK"), "");
  // The question is gone at once: nothing can answer it again.
  EXPECT_FALSE(run->Call([] { return FCancelConfirm->Visible(); }));
  EXPECT_NE(run->driver->Click("FCancelConfirm", "bt_Cancel"), "");
  run->Call([] {
    FCancelConfirm->bt_Cancel->Click();  // even a click that got through
    FCancelConfirm->bt_OK->Click();
    return 0;
  });
  // The wait cursor shows while the worker comes to its pause point.
  EXPECT_TRUE(run->Call([] { return win::GetApplication().WaitCursor(); }));
  released = true;
  ASSERT_EQ(run->driver->WaitForm("FCancel"), "");
  EXPECT_FALSE(run->Call([] { return win::GetApplication().WaitCursor(); }));
  EXPECT_TRUE(StandsStill());
  EXPECT_FALSE(run->Call([] { return FFinish->Visible() || FInstall->Visible(); }));
  ASSERT_EQ(run->driver->Click("FCancel", "bt_OK"), "");
  EXPECT_EQ(run->driver->WaitEnd(), "");
  EXPECT_LT(steps, 40);
}

// The abandoned worker stands at its pause point until the program ends; the
// screen that owns it then ends it there, without another step, and frees it.
TEST_F(CancelRun, TheAbandonedWorkerIsEndedAndFreedWhenTheProgramEnds) {
  ASSERT_EQ(run->driver->Click("FCancelConfirm", "bt_OK"), "");
  ASSERT_EQ(run->driver->WaitForm("FCancel"), "");
  EXPECT_TRUE(StandsStill());
  const int stepsAtThePause = steps;
  EXPECT_FALSE(freed);
  ASSERT_EQ(run->driver->Click("FCancel", "bt_OK"), "");
  EXPECT_EQ(run->driver->WaitEnd(), "");
  run.reset();  // the program's end: its screens are destroyed
  EXPECT_TRUE(freed);
  EXPECT_EQ(steps, stepsAtThePause);
}

TEST_F(CancelRun, AcceptedRunEndsThroughTheCancelledNotice) {
  ASSERT_EQ(run->driver->Click("FCancelConfirm", "bt_OK"), "");
  ASSERT_EQ(run->driver->WaitForm("FCancel"), "");
  EXPECT_FALSE(run->Call([] { return FInstall->Visible() || FCancelConfirm->Visible(); }));
  EXPECT_TRUE(run->Call([] { return FInstall->Abandoned(); }));
  EXPECT_TRUE(StandsStill());
  ASSERT_EQ(run->driver->Click("FCancel", "bt_OK"), "");
  EXPECT_EQ(run->driver->WaitEnd(), "");
  EXPECT_FALSE(FFinish->Visible());
}

}  // namespace
