// Upgrades as a player meets them: the same version installed again, an older
// version replaced, and the older generation's product (Zorvex6) replaced by
// this one. The player's own device files, macros and logs survive byte for
// byte; a profile the package ships takes the package's version.
#include "e2e_fixture.h"
#include "platform/process.h"

namespace e2e {
namespace {

const String kDevice = u"Data\\Device\\";

// What a player made or changed in an installed copy's program folder.
struct PlayerData {
  std::vector<std::pair<String, std::string>> own = {
      {kDevice + u"English\\Profile2.ini", "[Profile]\r\nDpi=1600\r\nName=Sniper\r\n"},
      {kDevice + u"ChineseT\\Profile2.ini", std::string("\xff\xfe[\0P\0]\0", 8)},
      {kDevice + u"English\\ScriptsMacros\\Rapid.mcr", "press L\r\nwait 15\r\nrelease L\r\n"},
      {kDevice + u"English\\SLED\\Wave.led", "wave"},
      {kDevice + u"Calibration.dat", std::string("\x01\x02\x03\x00\x04", 5)},
      {u"UserLog\\Session-2026-12-01.log", "12:00 connected\r\n"},
  };
  // A shipped profile the player changed: the new package's copy wins.
  String shipped = kDevice + u"English\\Profile1.ini";

  void Plant(zxtest::TempMachine& m, const String& programFolder) const {
    for (const auto& [path, bytes] : own) m.WriteFile(programFolder + path, bytes);
    m.WriteFile(programFolder + shipped, "edited by the player");
    sim::ForgetFolderListings();
  }
};

class Upgrade : public EndToEnd {
 protected:
  static String kUninst() { return win::ExtractFilePath(kUninstaller); }
  // The wizard from its welcome screen to the end, every default taken.
  static std::string WizardToTheEnd() {
    return "wait FWelcome\nclick FWelcome.bt_Next\n"
           "wait FSeriesSelect\nclick FSeriesSelect.bt_Next\n"
           "wait FEULA\nclick FEULA.bt_Next\n"
           "wait FFinish\nexpect FFinish.lb_Finish_Install visible 1\n"
           "untick FFinish.ck_StartProgram\nclick FFinish.bt_Finish\n";
  }
  // The question answered, the installed copy's own uninstaller run to its
  // finish screen, then the wizard.
  RunResult ReplaceAndInstall() {
    return Run("timeout 60\nwait FAsk\nclick FAsk.bt_OK\n"
               "wait FFinish\nexpect FFinish.lb_Finish_Uninstall visible 1\nclick FFinish.bt_Finish\n" +
               WizardToTheEnd() + "wait end 0\n");
  }
  void SameVersionAgain() {
    const RunResult r = ReplaceAndInstall();
    ASSERT_EQ(r.code, 0) << r.error << ToolLog();
    EXPECT_EQ(Value(kUninstallEntry, u"UninstallString"), u"\"" + kUninstaller + u"\" uninstall");
  }
  // The sample package as the older generation would have shipped it.
  void MakeGenerationSixPackage(const String& folder) {
    const fs::path from = Machine().HostPath(kPackage);
    const fs::path to = Machine().HostPath(folder);
    fs::copy(from, to, fs::copy_options::recursive);
    fs::rename(to / "program files" / "Zorvex7", to / "program files" / "Zorvex6");
    fs::rename(to / "program files" / "Zorvex6" / "Zorvex7.exe", to / "program files" / "Zorvex6" / "Zorvex6.exe");
    std::string setup = Slurp((to / "Setup.ini").string());
    for (auto [a, b] : {std::pair<std::string, std::string>{"Zorvex7", "Zorvex6"}, {"19.02.0005", "19.01.0001"}})
      for (size_t at = setup.find(a); at != std::string::npos; at = setup.find(a, at + b.size()))
        setup.replace(at, a.size(), b);
    std::ofstream((to / "Setup.ini").string(), std::ios::binary | std::ios::trunc) << setup;
    sim::ForgetFolderListings();
  }
  void ExpectPlayerDataIn(const String& programFolder, const PlayerData& data) {
    for (const auto& [path, bytes] : data.own)
      EXPECT_EQ(Machine().ReadFile(programFolder + path), bytes) << win::ToUtf8(path);
    const std::string packaged =
        Machine().ReadFile(kPackage + u"program files\\Zorvex7\\" + data.shipped);
    ASSERT_FALSE(packaged.empty());
    EXPECT_EQ(Machine().ReadFile(programFolder + data.shipped), packaged);
    // Nothing is left pending once everything is back.
    EXPECT_EQ(CountFiles(u"C:\\ProgramData\\Zorvex7\\Templates\\"), 0);
  }
};

TEST_F(Upgrade, SameVersionInstalledAgainKeepsWhatThePlayerMade) {
  ASSERT_NO_FATAL_FAILURE(InstallOnce());
  const PlayerData data;
  data.Plant(Machine(), kProgramFolder);
  const RunResult r = ReplaceAndInstall();
  ASSERT_EQ(r.code, 0) << r.error << ToolLog();
  EXPECT_NE(ToolLog().find("run \"C:\\ProgramData\\Zorvex7\\bin\\uninst\\Setup.exe\" uninstallanyway"),
            std::string::npos);
  EXPECT_EQ(Value(kUninstallEntry, u"DisplayVersion"), u"19.02.0005");
  EXPECT_TRUE(Exists(kUninstaller));
  ExpectPlayerDataIn(kProgramFolder, data);
}

TEST_F(Upgrade, OlderVersionReplacedKeepsWhatThePlayerMade) {
  ASSERT_NO_FATAL_FAILURE(InstallOnce());
  SetValue(kUninstallEntry, u"DisplayVersion", u"19.01.0001");
  const PlayerData data;
  data.Plant(Machine(), kProgramFolder);
  const RunResult r = ReplaceAndInstall();
  ASSERT_EQ(r.code, 0) << r.error << ToolLog();
  EXPECT_EQ(Value(kUninstallEntry, u"DisplayVersion"), u"19.02.0005");
  ExpectPlayerDataIn(kProgramFolder, data);
  // A third install still finds an uninstaller folder it may empty and refill.
  ASSERT_NO_FATAL_FAILURE(SameVersionAgain());
}

// A run killed between the uninstaller folder's "/inheritance:r /T" and its
// grants leaves folders with no entry at all. The next upgrade makes them the
// administrators' own again before it runs that uninstaller, even when the
// installed copy has no device data to save.
TEST_F(Upgrade, AnUninstallerFolderLeftWithoutRightsIsMadeUsableBeforeItRuns) {
  ASSERT_NO_FATAL_FAILURE(InstallOnce());
  SetValue(kUninstallEntry, u"DisplayVersion", u"19.01.0001");
  fs::remove_all(Machine().HostPath(kProgramFolder + u"Data\\Device"));
  for (const char16_t* line : {u"icacls.exe \"C:\\ProgramData\\Zorvex7\\bin\\uninst\" /reset /T",
                               u"icacls.exe \"C:\\ProgramData\\Zorvex7\\bin\\uninst\" /inheritance:r /T"}) {
    uint32_t code = 1;
    ASSERT_TRUE(win::CreateProcessAndWait(line, win::kCreateNoWindow, &code));
    ASSERT_EQ(code, 0u);
  }
  std::string unreadable;
  ASSERT_FALSE(win::ReadFileBytes(kUninst() + u"Settings.ini", unreadable));
  sim::ForgetFolderListings();

  const RunResult r = ReplaceAndInstall();
  ASSERT_EQ(r.code, 0) << r.error << ToolLog();
  EXPECT_EQ(Value(kUninstallEntry, u"DisplayVersion"), u"19.02.0005");
  EXPECT_EQ(ToolLog().find("Language file error"), std::string::npos);
}

// Zorvex6, the older generation, installed from a package of its own; then
// this package (Zorvex7) replaces it.
TEST_F(Upgrade, OlderGenerationReplacedCarriesThePlayersDataOver) {
  const String package6 = u"C:\\Users\\Player\\Downloads\\Zorvex6Demo\\";
  MakeGenerationSixPackage(package6);
  const RunResult installed = Run("timeout 30\n" + WizardToTheEnd() + "wait end 0\n", package6 + u"Setup.exe");
  ASSERT_EQ(installed.code, 0) << installed.error;
  const String program6 = u"C:\\Program Files (x86)\\Zorvex6\\Zorvex6\\";
  ASSERT_TRUE(Exists(program6 + u"Zorvex6.exe"));
  ASSERT_EQ(Value(kUninstallEntry, u"DisplayVersion"), u"19.01.0001");
  const PlayerData data;
  data.Plant(Machine(), program6);

  const RunResult r = ReplaceAndInstall();
  ASSERT_EQ(r.code, 0) << r.error << ToolLog();
  EXPECT_NE(ToolLog().find("run \"C:\\ProgramData\\Zorvex6\\bin\\uninst\\Setup.exe\" uninstallanyway"),
            std::string::npos);
  EXPECT_EQ(Value(kUninstallEntry, u"DisplayVersion"), u"19.02.0005");
  ExpectPlayerDataIn(kProgramFolder, data);
  EXPECT_TRUE(Exists(u"C:\\Program Files (x86)\\Zorvex7\\CopiedLastZorvexVersion.txt"));
}

}  // namespace
}  // namespace e2e
