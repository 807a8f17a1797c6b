// The install run end to end on a simulated machine, without any screen.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "install/folder_rights.h"
#include "install/package_fixture.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "platform/sim/file_hooks.h"
#include "platform/sim/windows_table.h"

namespace {

using namespace zxtest;

const String kUninstallEntry = u"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Zorvex3";
const String kRunKey = u"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const String kRecordKey = u"Software\\Zorvex\\Zorvex3";
const String kRoot = kProgramFiles + u"\\Zorvex7";
const String kProgram = kRoot + u"\\Zorvex7";
const String kUninst = u"C:\\ProgramData\\Zorvex7\\bin\\uninst\\";

// Every value of a key, "name=data", in name order; empty when it is missing.
std::map<std::string, std::string> Values(win::RootKey root, const String& key) {
  std::map<std::string, std::string> values;
  win::Registry registry(win::kKeyRead);
  registry.SetRootKey(root);
  if (!registry.OpenKeyReadOnly(key)) return values;
  for (const String& name : registry.GetValueNames()) values[U(name)] = U(registry.ReadString(name));
  return values;
}

std::string IniValue(const String& file, const String& section, const String& key) {
  win::MemIniFile ini(file);
  return U(ini.ReadString(section, key, u"<missing>"));
}

std::string Lnkinfo(const std::string& hostFile) {
  std::string output;
  if (FILE* p = popen(("lnkinfo '" + hostFile + "' 2>&1").c_str(), "r")) {
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, p)) > 0) output.append(buffer, n);
    pclose(p);
  }
  return output;
}

// What lnkinfo prints after "label:".
std::string LnkinfoField(const std::string& output, const std::string& label) {
  std::istringstream in(output);
  std::string line;
  while (std::getline(in, line)) {
    const size_t colon = line.find(':');
    if (colon == std::string::npos) continue;
    std::string name = line.substr(0, colon);
    name.erase(0, name.find_first_not_of(" \t"));
    name.erase(name.find_last_not_of(" \t") + 1);
    if (name != label) continue;
    std::string value = line.substr(colon + 1);
    value.erase(0, value.find_first_not_of(" \t"));
    return value;
  }
  return "<none>";
}

TEST(InstallRun, AFreshInstallProducesExactlyTheInstalledProduct) {
  InstallRig rig;
  const std::set<std::string> filesBefore = DriveEntries(rig.m);
  const std::set<std::string> registryBefore = RegistryLines(rig.m);
  rig.Install(u"German");

  // Files: the program, the updater, the uninstaller copy, the shortcuts.
  std::vector<std::string> expected = {U(kRoot) + "\\", U(kProgram) + "\\", U(kRoot) + "\\Updater\\",
                                       "C:\\ProgramData\\Zorvex7\\", "C:\\ProgramData\\Zorvex7\\bin\\",
                                       U(kUninst)};
  auto addWithFolders = [&](const std::string& base, const std::string& relative) {
    size_t slash = 0;
    while ((slash = relative.find('\\', slash)) != std::string::npos) expected.push_back(base + relative.substr(0, ++slash));
    expected.push_back(base + relative);
  };
  for (auto& [path, bytes] : rig.spec.ProgramFiles()) addWithFolders(U(kProgram) + "\\", path);
  for (auto& [path, bytes] : rig.spec.UpdaterFiles()) addWithFolders(U(kRoot) + "\\Updater\\", path);
  for (auto& [path, bytes] : rig.spec.SetupFiles()) addWithFolders(U(kUninst), path);
  const std::string menu = U(kStartMenu) + "\\Zorvex\\Zorvex7 Mouse\\";
  for (const char* entry : {"", "de-Zorvex7.lnk", "de-Uninstall Zorvex7.lnk", "de-Zorvex7 Manual.lnk"})
    expected.push_back(menu + entry);
  expected.push_back(U(kStartMenu) + "\\Zorvex\\");
  expected.push_back(U(kDesktop) + "\\de-Zorvex7 Mouse.lnk");
  std::sort(expected.begin(), expected.end());
  expected.erase(std::unique(expected.begin(), expected.end()), expected.end());
  EXPECT_EQ(Added(filesBefore, DriveEntries(rig.m)), expected);
  EXPECT_TRUE(Added(DriveEntries(rig.m), filesBefore).empty());

  // The chosen language in the product's, the updater's and the uninstaller's settings.
  EXPECT_EQ(IniValue(kProgram + u"\\ini\\AppConfig.ini", u"SYSTEM", u"Language"), "German");
  EXPECT_EQ(IniValue(kProgram + u"\\ini\\AppConfig.ini", u"SYSTEM", u"Skin"), "Dark");
  EXPECT_EQ(IniValue(kRoot + u"\\Updater\\Updater.ini", u"UpgradeInfo", u"%LANGUAGE"), "German");
  EXPECT_EQ(IniValue(kUninst + u"Settings.ini", u"SpecifyLang", u"Language"), "German");
  EXPECT_EQ(IniValue(kPackage + u"Settings.ini", u"SpecifyLang", u"Language"), "");

  // Registry: the uninstall entry, the start-up value, the product record.
  const win::SystemTime today = win::GetLocalTime();
  char date[16];
  snprintf(date, sizeof date, "%04u%02u%02u", today.year, today.month, today.day);
  const std::map<std::string, std::string> entry = {
      {"DisplayName", "Zorvex7 Gaming Mouse"},
      {"UninstallString", "\"" + U(kUninst) + "Setup.exe\" uninstall"},
      {"DisplayIcon", U(kProgram) + "\\Zorvex7.exe"},
      {"DisplayVersion", "19.02.0005"},
      {"Publisher", "Zorvex Peripherals"},
      {"URLInfoAbout", "https://zorvex.example/support"},
      {"InstallLocation", U(kRoot)},
      {"QuietUninstallString", "\"" + U(kUninst) + "Setup.exe\" silentuninstall"},
      {"InstallDate", date},
      // DWORD values, which hold no string (their numbers: the end-to-end tests).
      {"EstimatedSize", ""},
      {"NoModify", ""},
      {"NoRepair", ""}};
  EXPECT_EQ(Values(win::RootKey::LocalMachine, kUninstallEntry), entry);
  EXPECT_EQ(Values(win::RootKey::CurrentUser, kRunKey),
            (std::map<std::string, std::string>{{"Zorvex7", "\"" + U(kProgram) + "\\Zorvex7.exe\" Minimum"}}));
  const std::map<std::string, std::string> record = {
      {"UninstExeDir", U(kUninst) + "Setup.exe"},
      {"Product", "Zorvex7"},
      {"FormCaption", "Zorvex7 Gaming Mouse"},
      {"InstallDir", U(kRoot)},
      {"ExecOnBoot", "Zorvex7"},
      {"UninstRegFolder", "Zorvex3"},
      {"LINK_ProgramsExec", menu + "de-Zorvex7.lnk"},
      {"LINK_ProgramUnist", menu + "de-Uninstall Zorvex7.lnk"},
      {"LINK_ProgramsManual", menu + "de-Zorvex7 Manual.lnk"},
      {"LINK_DesktopExec", U(kDesktop) + "\\de-Zorvex7 Mouse.lnk"}};
  EXPECT_EQ(Values(win::RootKey::LocalMachine, kRecordKey), record);
  // Nothing else: the keys of the three records (and the keys on their way).
  const std::vector<std::string> keys = {
      "HKEY_LOCAL_MACHINE\\Software\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Zorvex3",
      "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run",
      "HKEY_LOCAL_MACHINE\\Software\\WOW6432Node\\Zorvex\\Zorvex3"};
  for (const std::string& line : Added(registryBefore, RegistryLines(rig.m))) {
    if (line.rfind("[", 0) != 0) continue;
    const std::string key = line.substr(1, line.size() - 2);
    bool ours = false;
    for (const std::string& k : keys) ours |= k.rfind(key, 0) == 0 && (k.size() == key.size() || k[key.size()] == '\\');
    EXPECT_TRUE(ours) << line;
  }

  // Shortcuts as the shell and lnkinfo read them (the product name is the one
  // the program started with).
  struct Link {
    std::string file, target, arguments, icon, description;
  } links[] = {
      {menu + "de-Zorvex7.lnk", U(kProgram) + "\\Zorvex7.exe", "", U(kProgram) + "\\Zorvex7.exe", "Zorvex7 Mouse"},
      {menu + "de-Uninstall Zorvex7.lnk", U(kUninst) + "Setup.exe", "uninstall", U(kProgram) + "\\Icons\\uninst.ico",
       "de-Uninstall Zorvex7"},
      {menu + "de-Zorvex7 Manual.lnk", U(kProgram) + "\\Manual\\German.pdf", "", U(kProgram) + "\\Icons\\manual.ico",
       "de-Zorvex7 Manual"},
      {U(kDesktop) + "\\de-Zorvex7 Mouse.lnk", U(kProgram) + "\\Zorvex7.exe", "", U(kProgram) + "\\Zorvex7.exe",
       "Zorvex7 Mouse"},
  };
  const bool haveLnkinfo = std::system("command -v lnkinfo >/dev/null 2>&1") == 0;
  for (const Link& link : links) {
    win::ShellLinkInfo info;
    ASSERT_TRUE(win::ReadShellLink(W(link.file), info)) << link.file;
    EXPECT_EQ(U(info.target), link.target);
    EXPECT_EQ(U(info.arguments), link.arguments);
    EXPECT_EQ(U(info.iconLocation), link.icon);
    EXPECT_EQ(U(info.description), link.description);
    EXPECT_EQ(U(info.workingDirectory), U(win::ExtractFilePath(W(link.target))));
    if (!haveLnkinfo) continue;
    const std::string out = Lnkinfo(rig.m.HostPath(W(link.file)));
    EXPECT_EQ(LnkinfoField(out, "Local path"), link.target) << out;
    EXPECT_EQ(LnkinfoField(out, "Description"), link.description) << out;
  }
  if (!haveLnkinfo) GTEST_SKIP() << "lnkinfo (liblnk-utils) is not installed; links read back by the shell only";

  EXPECT_EQ(rig.screen.Posted(kInstallFinishedMessage), 1);
  EXPECT_TRUE(rig.screen.messages.empty());
  EXPECT_EQ(rig.screen.terminations, 0);
}

// The whole run's rights commands, written out as the tools get them: the
// install root opened up before the copy, the data folder chain made the
// administrators' own before the uninstaller folder is filled, and the
// uninstaller folder's own rights at the end.
TEST(InstallRun, FolderRightsCommandLinesInOrderPerWindowsVersion) {
  const std::vector<std::string> icacls = {
      R"(icacls.exe "C:\Program Files (x86)\Zorvex7" /reset /T)",
      R"(icacls.exe "C:\Program Files (x86)\Zorvex7" /inheritance:r /T)",
      R"(icacls.exe "C:\Program Files (x86)\Zorvex7" /grant SYSTEM:(OI)(CI)F /T)",
      R"(icacls.exe "C:\Program Files (x86)\Zorvex7" /grant "Everyone":(OI)(CI)F /T)",
      R"(icacls.exe "C:\ProgramData\Zorvex7" /setowner *S-1-5-32-544)",
      R"(icacls.exe "C:\ProgramData\Zorvex7" /reset)",
      R"(icacls.exe "C:\ProgramData\Zorvex7" /inheritance:r)",
      R"(icacls.exe "C:\ProgramData\Zorvex7" /grant *S-1-5-32-544:(OI)(CI)F)",
      R"(icacls.exe "C:\ProgramData\Zorvex7" /grant *S-1-5-18:(OI)(CI)F)",
      R"(icacls.exe "C:\ProgramData\Zorvex7" /grant *S-1-5-32-545:(OI)(CI)RX)",
      R"(icacls.exe "C:\ProgramData\Zorvex7\bin" /setowner *S-1-5-32-544)",
      R"(icacls.exe "C:\ProgramData\Zorvex7\bin" /reset)",
      R"(icacls.exe "C:\ProgramData\Zorvex7\bin\uninst" /setowner *S-1-5-32-544)",
      R"(icacls.exe "C:\ProgramData\Zorvex7\bin\uninst" /reset)",
      R"(icacls.exe "C:\ProgramData\Zorvex7\bin\uninst" /reset /T)",
      R"(icacls.exe "C:\ProgramData\Zorvex7\bin\uninst" /reset /T)",
      R"(icacls.exe "C:\ProgramData\Zorvex7\bin\uninst" /inheritance:r /T)",
      R"(icacls.exe "C:\ProgramData\Zorvex7\bin\uninst" /grant "Everyone":(OI)(CI)RX /T)",
      R"(icacls.exe "C:\ProgramData\Zorvex7\bin\uninst" /grant SYSTEM:(OI)(CI)F /T)",
      R"(icacls.exe "C:\ProgramData\Zorvex7\bin\uninst" /grant *S-1-5-32-544:(OI)(CI)F /T)"};
  struct Case {
    const char* major;
    std::vector<std::string> lines;
  } cases[] = {
      {"5", {R"(cmd.exe /c echo y|cacls "C:\Program Files (x86)\Zorvex7" /G "Everyone":F /T)"}},
      {"6", icacls},
      {"10", icacls},
  };
  for (const Case& c : cases) {
    InstallRig rig(PackageSpec(), {std::string("osMajor=") + c.major});
    rig.Install();
    EXPECT_EQ(RunLines(rig.m), c.lines) << c.major;
    EXPECT_EQ(rig.screen.Posted(kInstallFinishedMessage), 1);
  }
}

TEST(InstallRun, StatusTextsAndBarInTheStagesOrder) {
  InstallRig rig;
  rig.Install();
  const Recorder& r = rig.screen.recorder;
  EXPECT_EQ(r.Texts(true), (std::vector<std::string>{"@CopyFiles", "@ChangeFolderCompetence",
                                                      "@WriteRegOnUninstallFolder", "@WriteRegOnBootName",
                                                      "@CreateLinks", "@WriteRegOnPrivateFolder"}));
  // Each copied file shows its destination.
  const std::vector<std::string> texts = r.Texts();
  EXPECT_NE(std::find(texts.begin(), texts.end(), U(kProgram) + "\\Zorvex7.exe"), texts.end());
  EXPECT_NE(std::find(texts.begin(), texts.end(), U(kUninst) + "Setup.exe"), texts.end());

  const std::vector<int> bars = r.Bars();
  const std::vector<int> head = {0, 10, 0, 0, 20, 40, 60, 80};
  const std::vector<int> tail = {0, 20, 40, 60, 80, 100};
  ASSERT_GT(bars.size(), head.size() + tail.size());
  EXPECT_EQ(std::vector<int>(bars.begin(), bars.begin() + head.size()), head);
  EXPECT_EQ(std::vector<int>(bars.end() - tail.size(), bars.end()), tail);
  // Between them: one step per copied file, the program files copy ending at
  // 100 and the package copy wrapping on from there (100, 0, 1, 2 ...).
  const size_t files = rig.spec.ProgramFiles().size() + rig.spec.UpdaterFiles().size();
  std::vector<int> middle;
  for (size_t i = 1; i <= files; ++i) middle.push_back(80 + static_cast<int>(i));
  middle.push_back(100);
  middle.push_back(0);
  for (size_t i = 1; i <= rig.spec.SetupFiles().size(); ++i) middle.push_back(static_cast<int>(i));
  EXPECT_EQ(std::vector<int>(bars.begin() + head.size(), bars.end() - tail.size()), middle);
}

TEST(InstallRun, ARunStateOtherThanFreshRunsNoStageButStillCompletes) {
  for (int32_t state : {0, 2, 4, 5, 6}) {
    InstallRig rig;
    const std::set<std::string> before = DriveEntries(rig.m);
    rig.Install(u"English", state);
    EXPECT_TRUE(Added(before, DriveEntries(rig.m)).empty()) << state;
    EXPECT_TRUE(rig.screen.recorder.Texts().empty()) << state;
    EXPECT_EQ(rig.screen.Posted(kInstallFinishedMessage), 1) << state;
    // Missing folders fail the attribute query, so the compressed-folder
    // repair runs for both (and the tools find nothing to change).
    // The uninstaller folder gets the uninstaller's own rights, never
    // everyone's full control.
    const std::vector<std::string> lines = RunLines(rig.m);
    ASSERT_EQ(lines.size(), 9u) << state;
    EXPECT_EQ(lines[0], R"(icacls.exe "C:\Program Files (x86)\Zorvex7\Zorvex7" /reset /T)");
    EXPECT_EQ(lines[4], R"(icacls.exe "C:\ProgramData\Zorvex7\bin\uninst" /reset /T)");
    EXPECT_EQ(lines[6], R"(icacls.exe "C:\ProgramData\Zorvex7\bin\uninst" /grant "Everyone":(OI)(CI)RX /T)");
    EXPECT_EQ(lines[8], R"(icacls.exe "C:\ProgramData\Zorvex7\bin\uninst" /grant *S-1-5-32-544:(OI)(CI)F /T)");
  }
}

TEST(InstallRun, APackageWhoseProductFolderLeadsElsewhereTouchesNothing) {
  for (const char* folder : {"", "..\\Windows", "Zorvex7\\..\\..", "C:", "a/b"}) {
    InstallRig rig;
    PackageSpec bad;
    bad.Set("%PROGRAM_FILES", folder);
    for (auto& [path, bytes] : bad.SetupFiles())
      if (path == "Setup.ini") rig.m.WriteFile(kPackage + u"Setup.ini", bytes);
    rig.m.MakeFolder(u"C:\\Windows\\UserLog");
    const std::set<std::string> before = DriveEntries(rig.m);
    rig.Install();
    EXPECT_TRUE(Added(before, DriveEntries(rig.m)).empty()) << folder;
    EXPECT_TRUE(RunLines(rig.m).empty()) << folder;
    EXPECT_EQ(rig.screen.Posted(kInstallFinishedMessage), 1) << folder;
  }
}

TEST(InstallRun, ACompressedProgramFolderGetsItsRightsRepaired) {
  InstallRig rig;
  rig.m.MakeFolder(kRoot);
  ASSERT_TRUE(sim::SetFileAttributesRaw(kRoot, win::kFileAttributeDirectory | win::kFileAttributeCompressed));
  rig.Install();
  const std::vector<std::string> lines = RunLines(rig.m);
  ASSERT_GE(lines.size(), 4u);
  const std::vector<std::string> quiet(lines.end() - 4, lines.end());
  EXPECT_EQ(quiet, (std::vector<std::string>{
                       U(FormatRightsCommand(kIcaclsReset, kProgram, u"Everyone")),
                       U(FormatRightsCommand(kIcaclsCutInheritance, kProgram, u"Everyone")),
                       U(FormatRightsCommand(kIcaclsGrantEveryone, kProgram, u"Everyone")),
                       U(FormatRightsCommand(kIcaclsGrantSystem, kProgram, u"Everyone"))}));
}

TEST(InstallRun, ProductWordsAndPublisherChangeWhatIsWritten) {
  struct Case {
    const char* name;
    std::string key, value;
    bool startup;       // the start-up value is written
    std::string menu;   // the Start-menu folder of the shortcuts
    bool record;        // a product record is written
    std::string settingsFile;
  } cases[] = {
      {"OEM publisher", "%PUBLISHER", "OEM", true, U(kStartMenu) + "\\Zorvex7 Mouse\\", true, "ini\\AppConfig.ini"},
      {"Esport", "%REG_FODLER_PROGNAME", "ZorvexEsport", false, U(kStartMenu) + "\\Zorvex\\Zorvex7 Mouse\\", true,
       "ini\\AppConfig.ini"},
      {"Pad keeps Main.ini", "%REG_FODLER_PROGNAME", "ZorvexPad", true, U(kStartMenu) + "\\Zorvex\\Zorvex7 Mouse\\",
       true, "ini\\Main.ini"},
      {"empty publisher", "%PUBLISHER", "", true, U(kStartMenu) + "\\Zorvex\\Zorvex7 Mouse\\", false,
       "ini\\AppConfig.ini"},
      {"no start-up name", "%PROGRAM_ONBOOT", "", false, U(kStartMenu) + "\\Zorvex\\Zorvex7 Mouse\\", true,
       "ini\\AppConfig.ini"},
  };
  for (const Case& c : cases) {
    PackageSpec spec;
    spec.Set(c.key, c.value);
    spec.settingsFile = c.settingsFile;
    InstallRig rig(spec);
    const std::set<std::string> registryBefore = RegistryLines(rig.m);
    rig.Install(u"German");
    EXPECT_EQ(Values(win::RootKey::CurrentUser, kRunKey).size(), c.startup ? 1u : 0u) << c.name;
    EXPECT_TRUE(rig.m.Exists(W(c.menu) + u"de-Zorvex7.lnk")) << c.name;
    EXPECT_EQ(U(rig.app->programsLinkPath), c.menu + "de-Zorvex7.lnk") << c.name;
    EXPECT_EQ(IniValue(kProgram + u"\\" + W(c.settingsFile), u"SYSTEM", u"Language"), "German") << c.name;

    const std::string registryName = spec.Get("%REG_FODLER_PROGNAME");
    const String recordKey = u"Software\\" + W(spec.Get("%PUBLISHER")) + u"\\" + W(registryName);
    const auto record = Values(win::RootKey::LocalMachine, recordKey);
    EXPECT_EQ(!record.empty(), c.record) << c.name;
    if (c.record) {
      EXPECT_EQ(record.at("ExecOnBoot"), spec.Get("%PROGRAM_ONBOOT")) << c.name;
    } else {
      // An empty publisher writes nothing anywhere else either (never the hive root).
      for (const std::string& line : Added(registryBefore, RegistryLines(rig.m))) {
        EXPECT_EQ(line.find("UninstExeDir"), std::string::npos) << c.name << ": " << line;
      }
    }
    EXPECT_EQ(rig.screen.Posted(kInstallFinishedMessage), 1) << c.name;
  }
}

TEST(InstallRun, ManualShortcutOnlyWhenTheManualExists) {
  for (const char* exist : {"0", "", "yes", "01"}) {
    PackageSpec spec;
    spec.Set("%MANUAL_EXIST", exist);
    InstallRig rig(spec);
    rig.Install();
    EXPECT_TRUE(rig.app->manualLinkPath.empty()) << exist;
    EXPECT_EQ(Values(win::RootKey::LocalMachine, kRecordKey).count("LINK_ProgramsManual"), 0u) << exist;
    EXPECT_FALSE(rig.m.Exists(kStartMenu + u"\\Zorvex\\Zorvex7 Mouse\\Zorvex7 Manual.lnk")) << exist;
  }
}

TEST(InstallRun, AShortcutThatCouldNotBeSavedIsStillRecorded) {
  InstallRig rig;
  rig.m.WriteFile(kStartMenu + u"\\Zorvex", "a file where the publisher folder belongs");
  rig.Install();
  const String link = kStartMenu + u"\\Zorvex\\Zorvex7 Mouse\\Zorvex7.lnk";
  EXPECT_FALSE(rig.m.Exists(link));
  EXPECT_EQ(rig.app->programsLinkPath, link);
  EXPECT_EQ(W(Values(win::RootKey::LocalMachine, kRecordKey).at("LINK_ProgramsExec")), link);
  EXPECT_TRUE(rig.m.Exists(kDesktop + u"\\Zorvex7 Mouse.lnk"));
  EXPECT_NE(rig.m.ToolLog().find("debug: Link1 : " + U(link)), std::string::npos);
}

TEST(InstallRun, AValueIsNotWrittenWhereASubKeyOfItsNameIsInTheWay) {
  InstallRig rig;
  {
    win::Registry registry(win::kKeyAllAccess);
    registry.SetRootKey(win::RootKey::LocalMachine);
    ASSERT_TRUE(registry.OpenKey(kRecordKey + u"\\Product", true));
    registry.CloseKey();
    ASSERT_TRUE(registry.OpenKey(kRecordKey + u"\\UninstExeDir", true));
    registry.CloseKey();
    ASSERT_TRUE(registry.OpenKey(kUninstallEntry + u"\\DisplayIcon", true));
  }
  rig.Install();
  const auto record = Values(win::RootKey::LocalMachine, kRecordKey);
  EXPECT_EQ(record.count("Product"), 0u);
  EXPECT_EQ(record.count("UninstExeDir"), 1u);  // only both sub-keys together keep it out
  EXPECT_EQ(Values(win::RootKey::LocalMachine, kUninstallEntry).count("DisplayIcon"), 0u);
}

TEST(InstallRun, ARunningUpdaterIsAskedToCloseOnlyWhenThePackageHasOne) {
  for (bool updater : {true, false}) {
    PackageSpec spec;
    spec.updater = updater;
    InstallRig rig(spec);
    const win::WindowHandle updaterWindow = sim::PublishWindow(u"ZorvexMouseUpdaterForm");
    rig.Install();
    int closes = 0;
    for (const sim::PostedMessage& m : sim::TakePostedMessages())
      if (m.window == updaterWindow && m.message == win::kWmClose) ++closes;
    EXPECT_EQ(closes, updater ? 1 : 0);
    EXPECT_EQ(rig.m.Exists(kRoot + u"\\Updater"), updater);
    sim::UnpublishWindow(updaterWindow);
  }
}

TEST(InstallRun, FailedPayloadCopiesAreToldOnceAndTheRunGoesOn) {
  struct Case {
    const char* name;
    int locked;           // program files held open by a running copy
    bool messageKey;      // the language files have MSG_401
    std::string expectedStart;
  } cases[] = {
      {"one file", 1, true, "@MSG_401 1\r\n"},
      {"more than five", 7, true, "@MSG_401 7\r\n"},
      {"no text for it", 1, false, "Some files could not be copied: 1\r\n"},
  };
  for (const Case& c : cases) {
    PackageSpec spec;
    for (int i = 0; i < 7; ++i) spec.extraProgramFiles.push_back({"lib" + std::to_string(i) + ".dll", "new"});
    InstallRig rig(spec);
    if (!c.messageKey) {
      for (const char* language : {"English", "German"}) {
        const String file = kPackage + u"Texts\\LanguageIni\\" + W(language) + u"\\Install_" + W(language) + u".ini";
        std::string text = rig.m.ReadFile(file);
        text.erase(text.find("MSG_401"), text.find("\r\n", text.find("MSG_401")) + 2 - text.find("MSG_401"));
        rig.m.WriteFile(file, text);
      }
    }
    std::vector<String> lockedFiles;
    for (int i = 0; i < c.locked; ++i) {
      lockedFiles.push_back(kProgram + u"\\lib" + W(std::to_string(i)) + u".dll");
      rig.m.WriteFile(lockedFiles.back(), "old");
      ASSERT_TRUE(sim::SetFileLocked(lockedFiles.back(), true));
    }
    rig.Install();
    ASSERT_EQ(rig.screen.messages.size(), 1u) << c.name;
    const std::string message = U(rig.screen.messages[0]);
    EXPECT_EQ(message.rfind(c.expectedStart, 0), 0u) << message;
    for (size_t i = 0; i < lockedFiles.size(); ++i)
      EXPECT_EQ(message.find(U(lockedFiles[i])) != std::string::npos, i < 5) << message;
    EXPECT_EQ(message.size() >= 5 && message.substr(message.size() - 5) == "\r\n...", c.locked > 5) << message;
    // Shown after the copy stage, before the uninstaller folder is built.
    const auto& events = rig.screen.recorder.events;
    const auto shown = std::find_if(events.begin(), events.end(), [](auto& e) { return e.rfind("message:", 0) == 0; });
    const auto uninstaller = std::find(events.begin(), events.end(), "text:" + U(kUninst) + "Setup.exe");
    const auto lastProgramFile = std::find(events.begin(), events.end(), "text:" + U(kRoot) + "\\Updater\\Updater.ini");
    EXPECT_LT(lastProgramFile - events.begin(), shown - events.begin());
    EXPECT_LT(shown - events.begin(), uninstaller - events.begin());
    EXPECT_EQ(rig.screen.Posted(kInstallFinishedMessage), 1);
    EXPECT_EQ(rig.m.ReadFile(kProgram + u"\\lib6.dll"), c.locked > 6 ? "old" : "new");
  }
}

// The uninstaller folder cannot be built: the run tells the user, still puts
// the device data back, and ends the program without the finish screen.
TEST(InstallRun, AFailedUninstallerFolderEndsTheInstallAfterTheRestore) {
  struct Case {
    const char* name;
    std::string registryName;
    bool lockLanguageCopy;  // else: no language files where the uninstaller can take them
    std::string message;    // "" when the run goes on
  } cases[] = {
      {"no language source", "Zorvex3", false,
       "Copy Failed!! (Install)\r\nInstallWizard Close. Please try again."},
      {"a language file failed", "Zorvex3", true,
       "The process cannot access the file because it is being used by another process.\r\n"
       "Copy Failed!! InstallWizard Close. (Install 04)"},
      {"the sound product goes on", "ZorvexTonalix", false, ""},
  };
  for (const Case& c : cases) {
    PackageSpec spec;
    spec.Set("%REG_FODLER_PROGNAME", c.registryName);
    spec.languageIniBesideSetup = c.lockLanguageCopy;
    InstallRig rig(spec);
    if (!c.lockLanguageCopy) {
      // The package keeps no language files where the uninstaller could take
      // them from: its payload texts folder holds a file only.
      rig.m.WriteFile(kPackage + u"program files\\Zorvex7\\Data\\Texts\\readme.txt", "texts");
      DeleteFolderContents(kPackage + u"program files\\Zorvex7\\Data\\Texts\\Lang\\", nullptr, nullptr);
      ASSERT_TRUE(win::RemoveDirectory(kPackage + u"program files\\Zorvex7\\Data\\Texts\\Lang"));
    } else {
      const String blocked = kUninst + u"Texts\\LanguageIni\\English\\Install_English.ini";
      rig.m.WriteFile(blocked, "held open by a running uninstaller");
      ASSERT_TRUE(sim::SetFileLocked(blocked, true));
    }
    rig.m.WriteFile(rig.DeviceFolder() + u"English\\Profile1.cfg", "player profile");
    rig.Install();

    EXPECT_EQ(rig.m.ReadFile(rig.DeviceFolder() + u"English\\Profile1.cfg"), "player profile") << c.name;
    if (c.message.empty()) {
      EXPECT_TRUE(rig.screen.messages.empty()) << c.name;
      EXPECT_EQ(rig.screen.terminations, 0) << c.name;
      EXPECT_EQ(rig.screen.Posted(kInstallFinishedMessage), 1) << c.name;
      EXPECT_FALSE(Values(win::RootKey::LocalMachine, u"Software\\Zorvex\\ZorvexTonalix").empty()) << c.name;
      continue;
    }
    ASSERT_EQ(rig.screen.messages.size(), 1u) << c.name;
    EXPECT_EQ(U(rig.screen.messages[0]), c.message) << c.name;
    EXPECT_EQ(rig.screen.terminations, 1) << c.name;
    EXPECT_EQ(rig.screen.Posted(kInstallFinishedMessage), 0) << c.name;
    // Stages S7 to S12 did not run.
    EXPECT_TRUE(Values(win::RootKey::LocalMachine, kUninstallEntry).empty()) << c.name;
    EXPECT_TRUE(Values(win::RootKey::LocalMachine, kRecordKey).empty()) << c.name;
    EXPECT_FALSE(rig.m.Exists(kDesktop + u"\\Zorvex7 Mouse.lnk")) << c.name;
    // The program is asked to end only after the restore and the last step.
    const auto& events = rig.screen.recorder.events;
    EXPECT_EQ(events.back(), "terminate") << c.name;
    const auto message = std::find_if(events.begin(), events.end(), [](auto& e) { return e.rfind("message:", 0) == 0; });
    const auto restoreRights = std::find(message, events.end(), "bar:80");
    EXPECT_NE(restoreRights, events.end()) << c.name;
  }
}

}  // namespace
