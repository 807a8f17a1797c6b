// Device data backup and restore across an install over an installed copy.
#include <gtest/gtest.h>

#include "install/device_data.h"
#include "install/package_fixture.h"
#include "platform/files.h"
#include "platform/process.h"
#include "platform/sim/file_hooks.h"

namespace {

using namespace zxtest;

// The player's settings of the installed copy: one file the new package also
// brings (Default.cfg) and files only the player has.
void LayInstalledCopy(InstallRig& rig, const String& deviceFolder) {
  rig.m.WriteFile(deviceFolder + u"Default.cfg", "player default");
  rig.m.WriteFile(deviceFolder + u"English\\Profile1.cfg", "player profile");
  rig.m.WriteFile(deviceFolder + u"English\\Macros\\m1.mcr", "player macro");
}

TEST(DeviceData, NoInstalledCopyMakesNoBackupAndNoRightsForIt) {
  InstallRig rig;
  rig.Install();
  EXPECT_TRUE(rig.app->deviceBackupFolder.empty());
  EXPECT_FALSE(rig.m.Exists(rig.Templates()));
  for (const std::string& line : RunLines(rig.m)) EXPECT_EQ(line.find("Data\\Device"), std::string::npos) << line;
}

TEST(DeviceData, SavedFilesComeBackAndTheNewVersionsOwnFilesWin) {
  InstallRig rig;
  LayInstalledCopy(rig, rig.DeviceFolder());
  rig.m.WriteFile(rig.ProgramFolder() + u"\\Data\\RES\\old.res", "not looked at");
  rig.Install();

  const String device = rig.DeviceFolder();
  EXPECT_EQ(rig.m.ReadFile(device + u"Default.cfg"), "package default");
  EXPECT_EQ(rig.m.ReadFile(device + u"English\\Keys.cfg"), "package keys");
  EXPECT_EQ(rig.m.ReadFile(device + u"English\\Profile1.cfg"), "player profile");
  EXPECT_EQ(rig.m.ReadFile(device + u"English\\Macros\\m1.mcr"), "player macro");
  // The current location was saved; the old one was not looked at.
  EXPECT_EQ(rig.m.ReadFile(rig.ProgramFolder() + u"\\Data\\RES\\old.res"), "not looked at");
  EXPECT_EQ(rig.app->deviceBackupFolder, rig.Templates());
  EXPECT_TRUE(rig.m.Exists(rig.Templates()));
  EXPECT_EQ(CountFolderEntries(rig.Templates()), 0);  // emptied: everything is back
  // The restore target's rights are opened last in the restore.
  const std::vector<std::string> lines = RunLines(rig.m);
  EXPECT_NE(std::find(lines.begin(), lines.end(),
                      "icacls.exe \"" + U(win::ExcludeTrailingBackslash(device)) + "\" /grant \"Everyone\":(OI)(CI)F /T"),
            lines.end());
}

TEST(DeviceData, DefaultLogIsNotRestoredAtAnyDepth) {
  InstallRig rig;
  rig.m.MakeFolder(rig.DeviceFolder());
  TApp& app = rig.NewApp();
  const WorkerOutputs out = rig.screen.Outputs();
  win::MemIniFile reader(app.setupFilePath);
  const InstallContext ctx{app, &reader, out, kPackage};
  app.deviceBackupFolder = rig.Templates();
  rig.m.WriteFile(rig.Templates() + u"DefaultLog\\a.log", "log");
  rig.m.WriteFile(rig.Templates() + u"English\\DefaultLog\\b.log", "log");
  rig.m.WriteFile(rig.Templates() + u"English\\Profile2.cfg", "profile");
  RestoreDeviceData(ctx);
  EXPECT_FALSE(rig.m.Exists(rig.DeviceFolder() + u"DefaultLog"));
  EXPECT_FALSE(rig.m.Exists(rig.DeviceFolder() + u"English\\DefaultLog"));
  EXPECT_EQ(rig.m.ReadFile(rig.DeviceFolder() + u"English\\Profile2.cfg"), "profile");
  EXPECT_EQ(CountFolderEntries(rig.Templates()), 0);
}

TEST(DeviceData, OldLocationIsSavedAndEmptiedBeforeTheCopyThenRestoredToTheNewPlace) {
  for (const char* product : {"Zorvex6", "Zorvex7", "Vantorix2"}) {
    PackageSpec spec;
    spec.Set("%PROGRAM_FILES", product);
    spec.Set("%PROGRAM_EXEC", std::string(product) + ".exe");
    InstallRig rig(spec);
    const String old = rig.ProgramFolder() + u"\\Data\\RES\\";
    rig.m.WriteFile(old + u"English\\Profile1.cfg", "player profile");
    rig.m.WriteFile(old + u"ChineseS\\Profile1.cfg", "player profile cn");
    rig.m.WriteFile(rig.ProgramFolder() + u"\\Data\\other.bin", "old data");

    TApp& app = rig.NewApp();
    win::MemIniFile reader(app.setupFilePath);
    const WorkerOutputs out = rig.screen.Outputs();
    const InstallContext ctx{app, &reader, out, kPackage};
    BackupDeviceData(ctx);
    EXPECT_EQ(CountFolderEntries(rig.ProgramFolder() + u"\\Data\\"), 0) << product;
    EXPECT_EQ(rig.m.ReadFile(rig.Templates() + u"English\\Profile1.cfg"), "player profile") << product;

    rig.Install();
    EXPECT_EQ(rig.m.ReadFile(rig.DeviceFolder() + u"English\\Profile1.cfg"), "player profile") << product;
    EXPECT_EQ(rig.m.ReadFile(rig.DeviceFolder() + u"ChineseS\\Profile1.cfg"), "player profile cn") << product;
  }
}

TEST(DeviceData, OtherProductsHaveNoOldLocation) {
  PackageSpec spec;
  spec.Set("%PROGRAM_FILES", "Zorvex5");
  InstallRig rig(spec);
  rig.m.WriteFile(rig.ProgramFolder() + u"\\Data\\RES\\English\\Profile1.cfg", "player profile");
  rig.Install();
  EXPECT_TRUE(rig.app->deviceBackupFolder.empty());
  EXPECT_EQ(rig.m.ReadFile(rig.ProgramFolder() + u"\\Data\\RES\\English\\Profile1.cfg"), "player profile");
}

TEST(DeviceData, AnOldLocationFileThatCannotBeSavedKeepsTheWholeDataFolder) {
  PackageSpec spec;
  spec.Set("%PROGRAM_FILES", "Zorvex6");
  InstallRig rig(spec);
  const String old = rig.ProgramFolder() + u"\\Data\\RES\\";
  rig.m.WriteFile(old + u"English\\Profile1.cfg", "player profile");
  rig.m.WriteFile(old + u"English\\Locked.cfg", "held open");
  ASSERT_TRUE(sim::SetFileLocked(old + u"English\\Locked.cfg", true));
  TApp& app = rig.NewApp();
  win::MemIniFile reader(app.setupFilePath);
  const WorkerOutputs out = rig.screen.Outputs();
  BackupDeviceData(InstallContext{app, &reader, out, kPackage});
  EXPECT_EQ(rig.m.ReadFile(old + u"English\\Profile1.cfg"), "player profile");
  EXPECT_TRUE(rig.m.Exists(old + u"English\\Locked.cfg"));
  EXPECT_EQ(rig.m.ReadFile(rig.Templates() + u"English\\Profile1.cfg"), "player profile");
}

TEST(DeviceData, ABackupThatCannotGoBackStaysForTheNextRun) {
  // The new package has no device data folder: nothing can go back.
  PackageSpec spec;
  spec.deviceFiles = false;
  InstallRig rig(spec);
  rig.m.WriteFile(rig.Templates() + u"English\\Profile1.cfg", "player profile");
  rig.Install();
  EXPECT_EQ(rig.m.ReadFile(rig.Templates() + u"English\\Profile1.cfg"), "player profile");

  // A file stands where the backup needs a folder.
  TApp& app = rig.NewApp();
  win::MemIniFile reader(app.setupFilePath);
  const WorkerOutputs out = rig.screen.Outputs();
  rig.m.WriteFile(rig.DeviceFolder() + u"English", "a file");
  app.deviceBackupFolder = rig.Templates();
  RestoreDeviceData(InstallContext{app, &reader, out, kPackage});
  EXPECT_EQ(rig.m.ReadFile(rig.Templates() + u"English\\Profile1.cfg"), "player profile");

  // Once the way is free, the next install puts it back and empties it.
  ASSERT_TRUE(win::DeleteFile(rig.DeviceFolder() + u"English"));
  rig.Install();
  EXPECT_EQ(rig.m.ReadFile(rig.DeviceFolder() + u"English\\Profile1.cfg"), "player profile");
  EXPECT_EQ(CountFolderEntries(rig.Templates()), 0);
}

TEST(DeviceData, APendingBackupIsKeptMergedWithoutOverwritingAndRestored) {
  InstallRig rig;
  // An earlier run saved the player's files, then stopped; the copy over the
  // program folder had already replaced Profile1.cfg and removed nothing else.
  rig.m.WriteFile(rig.Templates() + u"English\\Profile1.cfg", "player profile");
  rig.m.WriteFile(rig.Templates() + u"English\\OnlyInBackup.cfg", "saved earlier");
  rig.m.WriteFile(rig.DeviceFolder() + u"English\\Profile1.cfg", "half-installed copy");
  rig.m.WriteFile(rig.DeviceFolder() + u"English\\Profile2.cfg", "player profile 2");
  rig.Install();
  EXPECT_EQ(rig.m.ReadFile(rig.DeviceFolder() + u"English\\OnlyInBackup.cfg"), "saved earlier");
  EXPECT_EQ(rig.m.ReadFile(rig.DeviceFolder() + u"English\\Profile2.cfg"), "player profile 2");
  EXPECT_EQ(CountFolderEntries(rig.Templates()), 0);
}

TEST(DeviceData, APendingBackupIsRestoredEvenWithoutAnInstalledCopy) {
  InstallRig rig;
  rig.m.WriteFile(rig.Templates() + u"English\\Profile1.cfg", "player profile");
  rig.Install();
  EXPECT_EQ(rig.m.ReadFile(rig.DeviceFolder() + u"English\\Profile1.cfg"), "player profile");
  EXPECT_EQ(CountFolderEntries(rig.Templates()), 0);
}

}  // namespace

namespace {

// A run killed between the data folder's "/inheritance:r" and its grants
// leaves the data folder, and the templates below it, with no entry at all:
// nobody may list the pending backup. The next run restores it all the same
// and never takes it for an empty folder.
TEST(DeviceData, APendingBackupInAFolderLeftWithoutRightsIsRestoredNotEmptied) {
  InstallRig rig;
  LayInstalledCopy(rig, rig.DeviceFolder());
  rig.m.WriteFile(rig.Templates() + u"English\\Profile2.cfg", "saved before the uninstaller ran");
  for (const char16_t* line : {u"icacls.exe \"C:\\ProgramData\\Zorvex7\" /reset",
                               u"icacls.exe \"C:\\ProgramData\\Zorvex7\" /inheritance:r"}) {
    uint32_t code = 1;
    ASSERT_TRUE(win::CreateProcessAndWait(line, win::kCreateNoWindow, &code));
    ASSERT_EQ(code, 0u);
  }
  ASSERT_EQ(CountFolderEntries(rig.Templates()), 0);  // unlistable, so it looks empty

  rig.Install();

  EXPECT_EQ(rig.m.ReadFile(rig.DeviceFolder() + u"English\\Profile2.cfg"), "saved before the uninstaller ran");
  EXPECT_EQ(rig.m.ReadFile(rig.DeviceFolder() + u"English\\Profile1.cfg"), "player profile");
}

}  // namespace
