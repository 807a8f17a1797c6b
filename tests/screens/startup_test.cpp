// Start-up: the administrator check, the run-mode words, the preparation and
// its errors, and what the controller does on the first timer tick.
#include <gtest/gtest.h>

#include "startup/prepareform.h"
#include "platform/process.h"
#include "platform/sim/process_sim.h"
#include "screens/screens.h"
#include "screens/uninstallconfirmform.h"
#include "screens/welcomeform.h"
#include "process/process_fixture.h"
#include "screens_fixture.h"

using namespace screentest;

namespace {

void StandardPackage(const MiniPackage& p) {
  p.SetupIni({"%PROGRAM_FILES=Zorvex7", "%PROGRAM_EXEC=Zorvex7.exe", "%PROGRAM_VERSION=19.02.0005",
              "%REG_FODLER_PROGNAME=Zorvex3", "%PUBLISHER=Zorvex", "%UPDATE_TYPE=ZorvexMouse"});
  p.Language("English");
}

const String kProductKey = u"Software\\Zorvex\\Zorvex3";

TEST(StartUp, WithoutAdministratorRightsOnlyTheMessageShows) {
  MiniPackage p({"admin=0"});
  StandardPackage(p);
  std::vector<sim::MessageBoxInfo> boxes;
  sim::SetMessageBoxAnswer([&](const sim::MessageBoxInfo& box) {
    boxes.push_back(box);
    return win::kIdOk;
  });
  p.Language("English", {"MSG_001=Run me as administrator"});
  win::ResetApplication();
  int code = -1;
  {
    TApp app;
    code = RunSetup();
    EXPECT_TRUE(win::GetApplication().Forms().empty());
    EXPECT_EQ(FPrepare, nullptr);
    EXPECT_EQ(FWelcome, nullptr);
  }
  sim::SetMessageBoxAnswer({});
  win::ResetApplication();
  EXPECT_EQ(code, 0);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, u"Run me as administrator");
  EXPECT_EQ(boxes[0].flags, win::kMbOk);
}

TEST(StartUp, FirstArgumentChoosesTheRunMode) {
  MiniPackage p;
  StandardPackage(p);
  WriteValue(win::RootKey::LocalMachine, kProductKey, u"InstallDir", u"C:\\Program Files (x86)\\Zorvex7");
  struct Case {
    StringList arguments;
    const char16_t* runMode;
  } cases[] = {
      {{}, u"Install"},
      {{u"UNINSTALL"}, u"Uninstall"},
      {{u"UnInstallAnyway"}, u"UninstallAnyway"},
      {{u"silentuninstall"}, u"SilentUninstall"},
      {{u"Upgrade"}, u"Upgrade"},
      {{u"ONLINEUPDATER"}, u"OnlineUpdater"},
      {{u"uninstall now"}, u"Install"},
      {{u"upgrade", u"uninstall"}, u"Upgrade"},
      {{u"/S"}, u"Install"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(win::ToUtf8(c.runMode));
    WizardRun run(c.arguments);
    EXPECT_EQ(run.Call([] { return App->RunMode; }), c.runMode);
    // Every preparation step is counted at once; the timer decides later.
    const bool uninstall = IsUninstallMode(c.runMode);
    EXPECT_EQ(run.Call([] { return FPrepare->stepCount; }), uninstall ? 10 : 4);
    EXPECT_EQ(run.Call([] { return FPrepare->pb_Prepare->Position(); }), 100);
    EXPECT_EQ(run.Call([] { return FPrepare->Timer1->Enabled() ? FPrepare->Timer1->Interval() : 0u; }), 1000u);
    EXPECT_TRUE(run.Boxes().empty());
  }
}

TEST(StartUp, ControllerStaysInvisibleAndTheWelcomeFollowsTheFirstTick) {
  MiniPackage p;
  StandardPackage(p);
  WizardRun run;
  EXPECT_FALSE(run.Call([] { return FPrepare->WindowShown(); }));
  EXPECT_FALSE(run.Call([] { return FWelcome->Visible(); }));
  ASSERT_EQ(run.driver->WaitForm("FWelcome"), "");
  EXPECT_EQ(run.Call([] { return App->RunState; }), kRunStateFreshInstall);
  EXPECT_EQ(run.Call([] { return static_cast<int>(App->languageId); }), 0);
  EXPECT_FALSE(run.Call([] { return FPrepare->WindowShown(); }));
  EXPECT_TRUE(run.Call([] { return FPrepare->AlphaBlend() && FPrepare->AlphaBlendValue() == 0; }));
}

// Errors reported while the controller is created end the run before any
// other screen exists; the box has the system's format.
TEST(StartUp, UnusablePackagesEndWithError101) {
  struct Case {
    const char* name;
    std::vector<std::string> setup;  // empty: no Setup.ini at all
  } cases[] = {
      {"no Setup.ini", {}},
      {"no publisher", {"%PROGRAM_FILES=Zorvex7", "%REG_FODLER_PROGNAME=Zorvex3"}},
      {"no product folder", {"%PUBLISHER=Zorvex", "%REG_FODLER_PROGNAME=Zorvex3"}},
      {"product folder with a parent step", {"%PROGRAM_FILES=..\\Windows", "%PUBLISHER=Zorvex", "%REG_FODLER_PROGNAME=Zorvex3"}},
      {"product folder with a slash", {"%PROGRAM_FILES=a/b", "%PUBLISHER=Zorvex", "%REG_FODLER_PROGNAME=Zorvex3"}},
      {"product folder with a drive", {"%PROGRAM_FILES=C:", "%PUBLISHER=Zorvex", "%REG_FODLER_PROGNAME=Zorvex3"}},
      {"data folder with a parent step",
       {"%PROGRAM_FILES=Zorvex7", "%PROGRAM_DATA=..\\", "%PUBLISHER=Zorvex", "%REG_FODLER_PROGNAME=Zorvex3"}},
      {"device folder with a parent step",
       {"%PROGRAM_FILES=Zorvex7", "%PROGRAM_DEVICE=..\\..\\", "%PUBLISHER=Zorvex", "%REG_FODLER_PROGNAME=Zorvex3"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MiniPackage p;
    p.Language("English");
    if (!c.setup.empty()) p.SetupIni(c.setup);
    WizardRun run;
    EXPECT_TRUE(run.Ended());
    const auto boxes = run.Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, u"No package (101)");
    EXPECT_EQ(boxes[0].caption, u"Product English");
    EXPECT_EQ(boxes[0].flags, win::kMbOk | win::kMbIconError);
    EXPECT_EQ(boxes[0].owner, win::GetDesktopWindow());
    EXPECT_EQ(FWelcome, nullptr);
    EXPECT_EQ(win::GetApplication().Forms().size(), 1u);
  }
}

TEST(StartUp, UninstallWithoutAProductRecordEndsWithError201) {
  MiniPackage p;
  StandardPackage(p);
  WizardRun run({u"uninstall"});
  EXPECT_TRUE(run.Ended());
  const auto boxes = run.Boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, u"Not installed (201)");
  EXPECT_EQ(boxes[0].flags, win::kMbOk | win::kMbIconError);
  EXPECT_EQ(FUninstallConfirm, nullptr);
}

// A product key without values still counts as a record: ten steps, and the
// confirmation follows the tick with the run state untouched.
TEST(StartUp, UninstallWithAnEmptyRecordAsksForConfirmation) {
  MiniPackage p;
  StandardPackage(p);
  {
    win::Registry registry;
    registry.SetRootKey(win::RootKey::LocalMachine);
    ASSERT_TRUE(registry.OpenKey(kProductKey, true));
  }
  WizardRun run({u"uninstall"});
  ASSERT_EQ(run.driver->WaitForm("FUninstallConfirm"), "");
  EXPECT_EQ(run.Call([] { return FPrepare->stepCount; }), 10);
  EXPECT_EQ(run.Call([] { return App->RunState; }), kRunStateUndecided);
  EXPECT_EQ(run.Call([] { return FPrepare->uninstallRecord.key; }), kProductKey + u"\\");
  EXPECT_EQ(run.Call([] { return FPrepare->uninstallRecord.installDir; }), u"");
}

// The sound product keeps no user log, so its confirmation hides the box that
// offers to delete it; the hidden box still counts, unticked.
TEST(StartUp, UninstallConfirmationHidesTheUserLogBoxForTheSoundProduct) {
  const struct Case {
    const char* product;
    bool boxShown;
  } cases[] = {{"Zorvex3", true}, {"ZorvexTonalix", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.product);
    MiniPackage p;
    p.SetupIni({"%PROGRAM_FILES=Zorvex7", "%PROGRAM_EXEC=Zorvex7.exe", "%PROGRAM_VERSION=19.02.0005",
                std::string("%REG_FODLER_PROGNAME=") + c.product, "%PUBLISHER=Zorvex"});
    p.Language("English");
    p.InstalledCopy(u"Zorvex", win::FromUtf8(c.product), u"19.02.0005", u"");
    WizardRun run({u"uninstall"});
    ASSERT_EQ(run.driver->WaitForm("FUninstallConfirm"), "");
    EXPECT_EQ(run.driver->Expect("FUninstallConfirm", "ck_DeleteUserLog", "visible", c.boxShown ? "1" : "0"), "");
    ASSERT_EQ(run.driver->Click("FUninstallConfirm", "bt_OK"), "");
    EXPECT_FALSE(run.Call([] { return App->deleteUserData; }));
  }
}

bool Running(uint32_t processId) {
  std::vector<win::ProcessEntry> processes;
  EXPECT_TRUE(win::SnapshotProcesses(processes));
  for (const win::ProcessEntry& process : processes)
    if (process.processId == processId) return true;
  return false;
}

// Before the first screen the product's programs and its updater are
// stopped: the mouse line's older programs and the product's own by name,
// the updater's window by a close request and its program by name.
TEST(StartUp, HandOverStopsTheProductAndItsUpdater) {
  MiniPackage p;
  StandardPackage(p);
  struct Program {
    const char16_t* path;
    const char16_t* arguments;
    bool stopped;
  } programs[] = {
      {u"C:\\Apps\\Zorvex2.exe", u"sleep 30", true},
      {u"C:\\Apps\\Zorvex6.exe", u"sleep 30", true},
      {u"C:\\Apps\\Zorvex7.exe", u"sleep 30", true},
      {u"C:\\Apps\\ZorvexMouseUpdater.exe", u"sleep 30", true},
      {u"C:\\Apps\\UpdaterWindow.exe", u"window ZorvexMouseUpdaterForm 30", true},
      {u"C:\\Apps\\Lower\\zorvex7.exe", u"sleep 30", false},  // names compare exactly
      {u"C:\\Apps\\Other.exe", u"sleep 30", false},
  };
  std::vector<uint32_t> ids;
  for (const Program& program : programs) {
    zxtest::InstallHelper(p.machine, program.path);
    ids.push_back(win::CreateProcessNoWait(String(u"\"") + program.path + u"\" " + program.arguments, 0));
    ASSERT_NE(ids.back(), 0u);
  }
  ASSERT_TRUE(zxtest::WaitUntil([] { return win::FindWindow(u"ZorvexMouseUpdaterForm") != 0; }));
  {
    WizardRun run;
    ASSERT_EQ(run.driver->WaitForm("FWelcome"), "");
  }
  for (size_t i = 0; i < ids.size(); ++i) {
    SCOPED_TRACE(win::ToUtf8(programs[i].path));
    if (programs[i].stopped) {
      uint32_t code = 99;
      EXPECT_TRUE(zxtest::WaitUntil([&] { return !Running(ids[i]); }, 5000));
      EXPECT_TRUE(sim::WaitForProcess(ids[i], code));
      EXPECT_EQ(code, 0u);  // the window's owner ended by itself on the close request
    } else {
      EXPECT_TRUE(Running(ids[i]));
      // Only tidying up: that the hand-over left it running is checked above.
      (void)win::TerminateProcessById(ids[i], 7);
      uint32_t code = 0;
      // Reaps the ended program; its exit code is not looked at.
      (void)sim::WaitForProcess(ids[i], code);
    }
  }
}

TEST(StartUp, HandOverEndsTheSoundProductsLibraryWindow) {
  MiniPackage p;
  p.SetupIni({"%PROGRAM_FILES=ZorvexTonalix", "%PROGRAM_EXEC=Tonalix.exe", "%REG_FODLER_PROGNAME=ZorvexTonalix",
              "%PUBLISHER=Zorvex"});
  p.Language("English");
  zxtest::InstallHelper(p.machine, u"C:\\Apps\\Library.exe");
  const uint32_t id = win::CreateProcessNoWait(u"\"C:\\Apps\\Library.exe\" window CMLibraryIOForm 30", 0);
  ASSERT_NE(id, 0u);
  ASSERT_TRUE(zxtest::WaitUntil([] { return win::FindWindow(u"CMLibraryIOForm") != 0; }));
  {
    WizardRun run;
    ASSERT_EQ(run.driver->WaitForm("FWelcome"), "");
  }
  EXPECT_TRUE(zxtest::WaitUntil([&] { return !Running(id); }, 5000));
  uint32_t code = 99;
  // Reaps the ended program; its exit code is not looked at.
  (void)sim::WaitForProcess(id, code);
}

}  // namespace
