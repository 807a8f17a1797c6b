// The installed-copy checks and the version decision: which run state a
// package takes beside an installed copy, and what the user is told.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/installed_copy.h"
#include "startup/prepareform.h"
#include "screens/askform.h"
#include "screens/screens.h"
#include "screens/welcomeform.h"
#include "screens_fixture.h"

using namespace screentest;

namespace {

std::vector<std::string> SetupLines(const std::string& packageVersion) {
  std::vector<std::string> lines{"%PROGRAM_FILES=Zorvex7", "%REG_FODLER_PROGNAME=Zorvex3", "%PUBLISHER=Zorvex"};
  if (!packageVersion.empty()) lines.push_back("%PROGRAM_VERSION=" + packageVersion);
  return lines;
}

TEST(VersionDecision, RunStateByInstalledAndPackageVersion) {
  struct Case {
    const char* name;
    const char16_t* installed;  // nullptr: nothing installed
    std::string package;
    bool record;                // the product record names its uninstall entry
    int32_t runState;
    const char16_t* question;
  } cases[] = {
      {"nothing installed", nullptr, "18.12.0006", true, kRunStateFreshInstall, u""},
      {"older installed", u"18.12.0005", "18.12.0006", true, kRunStateOlderInstalled, u"MSG_501"},
      {"same installed", u"18.12.0006", "18.12.0006", true, kRunStateOlderInstalled, u"MSG_503"},
      {"newer installed", u"19.01.0001", "18.12.0006", true, kRunStateNewerInstalled, u""},
      {"versions compare as strings", u"9.1", "18.12.0006", true, kRunStateNewerInstalled, u""},
      {"record without its entry name", u"18.12.0005", "18.12.0006", false, kRunStateFreshInstall, u""},
      {"package without a version", u"19.01.0001", "", true, kRunStateOlderInstalled, u"MSG_501"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MiniPackage p;
    p.SetupIni(SetupLines(c.package));
    p.Language("English");
    if (c.installed) {
      WriteValue(win::RootKey::LocalMachine, kUninstallRoot + u"Zorvex3", u"DisplayVersion", c.installed);
      WriteValue(win::RootKey::LocalMachine, u"Software\\Zorvex\\Zorvex3", u"UninstRegFolder",
                 c.record ? u"Zorvex3" : u"");
    }
    TApp app;
    InstalledCopy found;
    int steps = 0;
    ASSERT_TRUE(RunInstalledCopyChecks(app, found, [&] { ++steps; }));
    EXPECT_EQ(steps, 4);
    EXPECT_EQ(DecideRunState(app, found), c.runState);
    if (c.runState == kRunStateOlderInstalled) {
      EXPECT_EQ(QuestionKey(found), c.question);
    }
  }
}

// The whole decision as the user meets it, one tick after the start.
TEST(VersionDecision, NewerInstalledCopyIsRefusedWithError102) {
  MiniPackage p;
  p.SetupIni(SetupLines("18.12.0006"));
  p.Language("English");
  p.InstalledCopy(u"Zorvex", u"Zorvex3", u"19.01.0001", u"\"C:\\Old\\Setup.exe\" uninstall");
  WizardRun run;
  ASSERT_EQ(run.driver->WaitEnd(), "");
  const auto boxes = run.Boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, u"Newer installed (102)");
  EXPECT_EQ(boxes[0].caption, u"Product English");
  EXPECT_EQ(boxes[0].flags, win::kMbOk | win::kMbIconError);
  EXPECT_EQ(boxes[0].owner, win::GetDesktopWindow());
  EXPECT_EQ(App->RunState, kRunStateNewerInstalled);
  EXPECT_EQ(App->languageId, 0);
  EXPECT_FALSE(FWelcome->Visible());
}

TEST(VersionDecision, QuestionDeclinedOrDismissedEndsTheRun) {
  for (const char* how : {"Cancel", "close"}) {
    SCOPED_TRACE(how);
    MiniPackage p;
    p.SetupIni(SetupLines("18.12.0006"));
    p.Language("English");
    p.InstalledCopy(u"Zorvex", u"Zorvex3", u"18.12.0006", u"\"C:\\Old\\Setup.exe\" uninstall");
    WizardRun run;
    ASSERT_EQ(run.driver->WaitForm("FAsk"), "");
    EXPECT_EQ(run.driver->Expect("FAsk", "lb_Message", "caption", "Same installed"), "");
    EXPECT_EQ(std::string(how) == "close" ? run.driver->Close("FAsk") : run.driver->Click("FAsk", "bt_Cancel"), "");
    ASSERT_EQ(run.driver->WaitEnd(), "");
    EXPECT_EQ(FAsk->Result(), TFAsk::kResultCancel);
    EXPECT_EQ(App->RunState, kRunStateOlderInstalled);
    // The old uninstaller was never started.
    EXPECT_EQ(p.machine.ToolLog().find("run "), std::string::npos);
  }
}

// No uninstaller is named although a version was found: nothing to run, so
// the install goes on as a fresh one.
TEST(VersionDecision, EntryWithoutUninstallerGoesOnAsAFreshInstall) {
  MiniPackage p;
  p.SetupIni(SetupLines("18.12.0006"));
  p.Language("English");
  p.InstalledCopy(u"Zorvex", u"Zorvex3", u"18.12.0005", u"");
  WizardRun run;
  ASSERT_EQ(run.driver->WaitForm("FAsk"), "");
  EXPECT_EQ(run.driver->Expect("FAsk", "lb_Message", "caption", "Older installed"), "");
  ASSERT_EQ(run.driver->Click("FAsk", "bt_OK"), "");
  ASSERT_EQ(run.driver->WaitForm("FWelcome"), "");
  EXPECT_EQ(run.Call([] { return App->RunState; }), kRunStateFreshInstall);
  EXPECT_TRUE(run.Boxes().empty());
}

// The old uninstaller ran but left its entry: the user is told, and the run
// ends without a screen.
TEST(VersionDecision, OldUninstallerLeavingItsEntryEndsWithError502) {
  MiniPackage p;
  p.SetupIni(SetupLines("18.12.0006"));
  p.Language("English");
  const String uninstaller = u"C:\\ProgramData\\Zorvex7\\bin\\uninst\\Setup.exe";
  p.machine.MakeFolder(win::ExtractFileDir(uninstaller));
  std::filesystem::copy_file(std::string(ZX_TEST_PROGRAMS_DIR) + "/old_uninstaller", p.machine.HostPath(uninstaller));
  p.InstalledCopy(u"Zorvex", u"Zorvex3", u"18.12.0005", u"\"" + uninstaller + u"\" uninstall");
  WizardRun run;
  ASSERT_EQ(run.driver->WaitForm("FAsk"), "");
  ASSERT_EQ(run.driver->Click("FAsk", "bt_OK"), "");
  ASSERT_EQ(run.driver->WaitEnd(), "");
  EXPECT_EQ(p.machine.ReadFile(u"C:\\ProgramData\\Zorvex7\\bin\\uninst\\ran.txt"), "uninstallanyway\n");
  const auto boxes = run.Boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, u"Still there");
  EXPECT_EQ(boxes[0].caption, u"Product English");
  EXPECT_EQ(boxes[0].flags, win::kMbOk);
  EXPECT_EQ(boxes[0].owner, win::GetDesktopWindow());
  EXPECT_FALSE(FWelcome->Visible());
}

}  // namespace
