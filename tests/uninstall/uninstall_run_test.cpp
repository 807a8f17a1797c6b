// The uninstall run: stages, texts and bar, the record it works from, and an
// install followed by an uninstall on the same machine.
#include <gtest/gtest.h>

#include "install/package_fixture.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "uninstall/uninstallthread.h"

namespace {

using namespace zxtest;

const String kRunKey = u"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const String kUninstallKey = u"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const String kRoot = kProgramFiles + u"\\Zorvex7";
const String kMenu = kStartMenu + u"\\Zorvex\\Zorvex7 Mouse";

void WriteValue(win::RootKey root, const String& key, const String& name, const String& value) {
  win::Registry registry(win::kKeyAllAccess);
  registry.SetRootKey(root);
  ASSERT_TRUE(registry.OpenKey(key, true)) << U(key);
  ASSERT_TRUE(registry.WriteString(name, value));
}

bool KeyExists(win::RootKey root, const String& key) {
  win::Registry registry(win::kKeyRead);
  registry.SetRootKey(root);
  return registry.OpenKeyReadOnly(key);
}

bool ValueExists(win::RootKey root, const String& key, const String& name) {
  win::Registry registry(win::kKeyRead);
  registry.SetRootKey(root);
  return registry.OpenKeyReadOnly(key) && registry.ValueExists(name);
}

// Runs the uninstall as the uninstaller copy would after the user's choice.
void Uninstall(InstallRig& rig, bool deleteUserData, ScreenSide& screen) {
  TApp& app = rig.NewApp();
  app.deleteUserData = deleteUserData;
  UninstallRecord record;
  ASSERT_TRUE(ReadUninstallRecord(app.ProductKey(), record));
  TUninstallThread worker(screen.Outputs(), record);
  worker.Run();
}

// A machine where the player used the product for a while.
void UseTheProduct(InstallRig& rig) {
  const String program = rig.ProgramFolder() + u"\\";
  rig.m.WriteFile(program + u"UserLog\\2024.log", "played");
  rig.m.WriteFile(program + u"ScriptsMacros\\mine.mcr", "macro");
  rig.m.WriteFile(program + u"DefaultLog\\UserLog\\startup.log", "log");
  rig.m.WriteFile(rig.DeviceFolder() + u"English\\Profile1.cfg", "profile");
  rig.m.WriteFile(kRoot + u"\\CopiedLastZorvexVersion.txt", "");
}

TEST(UninstallRun, InstallThenUninstallLeavesOnlyWhatTheKeepRulesKeep) {
  struct Case {
    const char* name;
    bool deleteUserData;
    std::vector<std::string> kept;  // below the install root, beyond what the run never removes
  } cases[] = {
      {"user data deleted", true, {"CopiedLastZorvexVersion.txt"}},
      {"user data kept", false,
       {"CopiedLastZorvexVersion.txt", "Updater\\", "Zorvex7\\UserLog\\", "Zorvex7\\UserLog\\2024.log",
        "Zorvex7\\ScriptsMacros\\", "Zorvex7\\ScriptsMacros\\mine.mcr"}},
  };
  for (const Case& c : cases) {
    InstallRig rig;
    const std::set<std::string> filesBefore = DriveEntries(rig.m);
    const std::set<std::string> registryBefore = RegistryLines(rig.m);
    rig.Install();
    UseTheProduct(rig);
    ScreenSide screen;
    Uninstall(rig, c.deleteUserData, screen);
    EXPECT_EQ(screen.Posted(kUninstallFinishedMessage), 1) << c.name;

    // Left: the install root and the program folder (never removed), what the
    // keep rules keep, and the uninstaller copy that is running.
    std::set<std::string> expected = {U(kRoot) + "\\", U(rig.ProgramFolder()) + "\\"};
    for (const std::string& k : c.kept) expected.insert(U(kRoot) + "\\" + k);
    const std::string data = "C:\\ProgramData\\Zorvex7\\";
    for (const std::string& entry : Added(filesBefore, DriveEntries(rig.m)))
      if (entry.rfind(data, 0) == 0) expected.insert(entry);
    const std::vector<std::string> added = Added(filesBefore, DriveEntries(rig.m));
    EXPECT_EQ(std::set<std::string>(added.begin(), added.end()), expected) << c.name;
    EXPECT_TRUE(rig.m.Exists(u"C:\\ProgramData\\Zorvex7\\bin\\uninst\\Setup.exe")) << c.name;

    // The registry holds no value of ours; only the system's own keys on the
    // way to the Run and Uninstall keys may have been created.
    for (const std::string& line : Added(registryBefore, RegistryLines(rig.m))) {
      const std::string key = line.substr(1, line.size() - 2);
      const bool systemKey = line.front() == '[' &&
                             (std::string("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run").rfind(key, 0) == 0 ||
                              std::string("HKEY_LOCAL_MACHINE\\Software\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall")
                                      .rfind(key, 0) == 0);
      EXPECT_TRUE(systemKey) << c.name << ": " << line;
    }
  }
}

TEST(UninstallRun, StagesInOrderWithTheirFixedTexts) {
  InstallRig rig;
  rig.Install();
  ScreenSide screen;
  Uninstall(rig, true, screen);
  // The per-file events of the folder stage come in pairs: the file, then a step.
  std::vector<std::string> stages = screen.recorder.events;
  const auto from = std::find(stages.begin(), stages.end(), "text:Remove Reg on Program Folder!") + 2;
  const auto to = std::find(stages.begin(), stages.end(), "text:Remove Program Folder!");
  ASSERT_LT(from - stages.begin(), to - stages.begin());
  ASSERT_EQ((to - from) % 2, 0);
  for (auto it = from; it != to; it += 2) {
    EXPECT_EQ(it->rfind("text:" + U(kRoot) + "\\", 0), 0u) << *it;
    EXPECT_EQ((it + 1)->rfind("bar:", 0), 0u) << *(it + 1);
  }
  stages.erase(from, to);
  EXPECT_EQ(stages, (std::vector<std::string>{"bar:0", "text:Remove Reg on Boot!", "bar:20",
                                              "text:Remove Reg on Add/Remove Programs!", "bar:40", "text:Remove Links!",
                                              "bar:60", "text:Remove Reg on Program Folder!", "bar:80",
                                              "text:Remove Program Folder!", "bar:100"}));
}

TEST(UninstallRun, TheBarWrapsPastTwentyFilesAndEndsAtOneHundred) {
  PackageSpec spec;
  for (int i = 0; i < 16; ++i) spec.extraProgramFiles.push_back({"lib" + std::to_string(i) + ".dll", "x"});
  InstallRig rig(spec);
  rig.Install();
  ScreenSide screen;
  Uninstall(rig, true, screen);
  std::vector<int> bars = screen.recorder.Bars();
  const size_t files = spec.ProgramFiles().size() + spec.UpdaterFiles().size();
  ASSERT_EQ(files, 26u);
  std::vector<int> expected = {0, 20, 40, 60, 80};
  for (int i = 81; i <= 100; ++i) expected.push_back(i);
  expected.push_back(0);
  for (int i = 1; i <= 6; ++i) expected.push_back(i);
  expected.push_back(100);
  EXPECT_EQ(bars, expected);
}

TEST(UninstallRun, PerProductRegistryAndLinkRules) {
  struct Case {
    const char* name;
    std::string registryName;
    bool startupStays;
    bool folderCleared;
  } cases[] = {
      {"mouse", "Zorvex3", false, true},
      {"esport keeps its start-up value", "ZorvexEsport", true, true},
      {"unknown product: entries and links go, files stay", "ZorvexFuture", false, false},
  };
  for (const Case& c : cases) {
    PackageSpec spec;
    spec.Set("%REG_FODLER_PROGNAME", c.registryName);
    InstallRig rig(spec);
    rig.Install();
    // The esport install writes no start-up value; one from elsewhere stays.
    WriteValue(win::RootKey::CurrentUser, kRunKey, u"Zorvex7", u"\"x\" Minimum");
    ScreenSide screen;
    Uninstall(rig, true, screen);
    EXPECT_EQ(ValueExists(win::RootKey::CurrentUser, kRunKey, u"Zorvex7"), c.startupStays) << c.name;
    EXPECT_FALSE(KeyExists(win::RootKey::LocalMachine, kUninstallKey + u"\\" + W(c.registryName))) << c.name;
    EXPECT_FALSE(KeyExists(win::RootKey::LocalMachine, u"Software\\Zorvex")) << c.name;
    EXPECT_FALSE(rig.m.Exists(kMenu)) << c.name;
    EXPECT_FALSE(rig.m.Exists(kStartMenu + u"\\Zorvex")) << c.name;
    EXPECT_FALSE(rig.m.Exists(kDesktop + u"\\Zorvex7 Mouse.lnk")) << c.name;
    EXPECT_EQ(rig.m.Exists(rig.ProgramFolder() + u"\\Zorvex7.exe"), !c.folderCleared) << c.name;
    EXPECT_NE(rig.m.ToolLog().find("SHChangeNotify 0x08000000"), std::string::npos) << c.name;
  }
}

TEST(UninstallRun, WhatTheRecordLacksIsLeftAlone) {
  InstallRig rig;
  rig.Install();
  // Another product's record below the same publisher, another program's
  // start-up value, and a link in the Start-menu folder that is not ours.
  WriteValue(win::RootKey::LocalMachine, u"Software\\Zorvex\\ZorvexKeyboard", u"Product", u"Vantorix2");
  WriteValue(win::RootKey::CurrentUser, kRunKey, u"", u"default value");
  rig.m.WriteFile(kStartMenu + u"\\Zorvex\\Other.lnk", "link");

  TApp& app = rig.NewApp();
  app.deleteUserData = true;
  UninstallRecord record;
  ASSERT_TRUE(ReadUninstallRecord(app.ProductKey(), record));
  record.installDir.clear();
  record.uninstRegFolder.clear();
  record.execOnBoot.clear();
  record.linkProgramsManual.clear();
  ScreenSide screen;
  TUninstallThread(screen.Outputs(), record).Run();

  EXPECT_FALSE(KeyExists(win::RootKey::LocalMachine, u"Software\\Zorvex\\Zorvex3"));
  EXPECT_TRUE(KeyExists(win::RootKey::LocalMachine, u"Software\\Zorvex\\ZorvexKeyboard"));
  EXPECT_TRUE(KeyExists(win::RootKey::LocalMachine, kUninstallKey));
  EXPECT_TRUE(KeyExists(win::RootKey::LocalMachine, kUninstallKey + u"\\Zorvex3"));
  EXPECT_TRUE(ValueExists(win::RootKey::CurrentUser, kRunKey, u""));
  EXPECT_TRUE(ValueExists(win::RootKey::CurrentUser, kRunKey, u"Zorvex7"));
  EXPECT_TRUE(rig.m.Exists(kMenu + u"\\Zorvex7 Manual.lnk"));
  EXPECT_FALSE(rig.m.Exists(kMenu + u"\\Zorvex7.lnk"));
  EXPECT_TRUE(rig.m.Exists(kStartMenu + u"\\Zorvex\\Other.lnk"));
  EXPECT_TRUE(rig.m.Exists(rig.ProgramFolder() + u"\\Zorvex7.exe"));
  EXPECT_EQ(screen.Posted(kUninstallFinishedMessage), 1);
}

TEST(UninstallRun, AnUninstallRootKeyWithoutSubKeysIsNotDeleted) {
  TempMachine m;
  sim::SetExecutablePath(kPackage + u"Setup.exe");
  m.WriteFile(kPackage + u"Setup.ini", "[Setup]\r\n%REG_FODLER_PROGNAME=Zorvex3\r\n%PUBLISHER=Zorvex\r\n");
  WriteValue(win::RootKey::LocalMachine, kUninstallKey, u"Marker", u"x");
  TApp app;
  UninstallRecord record;  // nothing recorded at all
  ScreenSide screen;
  TUninstallThread(screen.Outputs(), record).Run();
  EXPECT_TRUE(KeyExists(win::RootKey::LocalMachine, kUninstallKey));
  EXPECT_TRUE(KeyExists(win::RootKey::LocalMachine, u"Software\\Microsoft"));
  EXPECT_TRUE(m.Exists(kStartMenu));
  EXPECT_EQ(screen.Posted(kUninstallFinishedMessage), 1);
}

TEST(UninstallRun, LinksDirectlyInTheStartMenuLeaveItsFolderInPlace) {
  InstallRig rig;
  rig.Install();
  TApp& app = rig.NewApp();
  UninstallRecord record;
  ASSERT_TRUE(ReadUninstallRecord(app.ProductKey(), record));
  // Both Start-menu folder names were empty: the links sat in the programs
  // folder itself, which is empty once they are gone.
  DeleteFolderContents(kStartMenu + u"\\", nullptr, nullptr);
  rig.m.WriteFile(kStartMenu + u"\\Zorvex7.lnk", "link");
  record.linkProgramsExec = kStartMenu + u"\\Zorvex7.lnk";
  record.linkProgramUnist.clear();
  TUninstallThread(rig.screen.Outputs(), record).Run();
  EXPECT_FALSE(rig.m.Exists(kStartMenu + u"\\Zorvex7.lnk"));
  EXPECT_TRUE(rig.m.Exists(kStartMenu));
  EXPECT_TRUE(rig.m.Exists(u"C:\\ProgramData\\Microsoft\\Windows\\Start Menu"));
}

TEST(UninstallRecordRead, ValuesOverwriteOnlyWhenNotEmpty) {
  TempMachine m;
  const String key = u"Software\\Zorvex\\Zorvex3\\";
  WriteValue(win::RootKey::LocalMachine, key, u"UninstRegFolder", u"Zorvex3");
  WriteValue(win::RootKey::LocalMachine, key, u"UninstExeDir", u"");
  WriteValue(win::RootKey::LocalMachine, key, u"UninstOnAppDataDir", u"C:\\ProgramData\\Zorvex7\\bin\\uninst\\Setup.exe");
  WriteValue(win::RootKey::LocalMachine, key, u"InstallDir", u"C:\\Program Files (x86)\\Zorvex7");
  WriteValue(win::RootKey::LocalMachine, key, u"Product", u"");
  WriteValue(win::RootKey::LocalMachine, key, u"LINK_ProgramsManual", u"C:\\m.lnk");

  UninstallRecord record;
  record.product = u"kept";
  record.formCaption = u"kept too";
  int counted = 0;
  ASSERT_TRUE(ReadUninstallRecord(key, record, [&] { ++counted; }));
  EXPECT_EQ(counted, 10);
  EXPECT_EQ(record.key, key);
  EXPECT_EQ(record.uninstRegFolder, u"Zorvex3");
  EXPECT_EQ(record.uninstExeDir, u"C:\\ProgramData\\Zorvex7\\bin\\uninst\\Setup.exe");
  EXPECT_EQ(record.product, u"kept");
  EXPECT_EQ(record.formCaption, u"kept too");
  EXPECT_EQ(record.installDir, u"C:\\Program Files (x86)\\Zorvex7");
  EXPECT_EQ(record.linkProgramsManual, u"C:\\m.lnk");
  EXPECT_EQ(record.execOnBoot, u"");

  // An existing key without values: true, the counter still reaches 10.
  WriteValue(win::RootKey::LocalMachine, u"Software\\Zorvex\\Empty", u"x", u"");
  UninstallRecord empty;
  counted = 0;
  EXPECT_TRUE(ReadUninstallRecord(u"Software\\Zorvex\\Empty\\", empty, [&] { ++counted; }));
  EXPECT_EQ(counted, 10);
  EXPECT_EQ(empty.installDir, u"");

  for (const char16_t* missing : {u"", u"Software\\Zorvex\\Missing\\"}) {
    UninstallRecord untouched;
    untouched.product = u"as it was";
    EXPECT_FALSE(ReadUninstallRecord(missing, untouched)) << U(missing);
    EXPECT_EQ(untouched.key, u"");
    EXPECT_EQ(untouched.product, u"as it was");
  }
}

}  // namespace
