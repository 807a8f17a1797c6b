// Folder rights: the exact command lines per Windows version and variant, the
// bar and status they move, and what they do to the machine's access records.
#include <gtest/gtest.h>

#include <set>

#include "install/folder_rights.h"
#include "install/package_fixture.h"
#include "platform/files.h"
#include "platform/sim/machine.h"
#include "platform/sim/tools.h"

namespace {

using namespace zxtest;

const String kRoot = u"C:\\Program Files (x86)\\Zorvex7";

struct Rig {
  explicit Rig(const std::vector<std::string>& machine) : m(machine) {
    WritePackage(m, PackageSpec());
    sim::SetExecutablePath(kPackage + u"Setup.exe");
    m.MakeFolder(kRoot + u"\\Zorvex7");
    app = std::make_unique<TApp>();
  }
  void Apply(FolderRightsVariant variant, const String& folder) {
    const WorkerOutputs out = screen.Outputs();
    ApplyFolderRights(variant, folder, InstallContext{*app, nullptr, out, kPackage});
  }
  TempMachine m;
  std::unique_ptr<TApp> app;
  ScreenSide screen;
};

// The command lines as Windows' tools get them, written out in full.
TEST(FolderRights, CommandLinesPerVersionAndVariant) {
  const std::vector<std::string> icaclsWithProgress = {
      R"(icacls.exe "C:\Program Files (x86)\Zorvex7" /reset /T)",
      R"(icacls.exe "C:\Program Files (x86)\Zorvex7" /inheritance:r /T)",
      R"(icacls.exe "C:\Program Files (x86)\Zorvex7" /grant SYSTEM:(OI)(CI)F /T)",
      R"(icacls.exe "C:\Program Files (x86)\Zorvex7" /grant "Everyone":(OI)(CI)F /T)"};
  const std::vector<std::string> icaclsQuiet = {
      R"(icacls.exe "C:\Program Files (x86)\Zorvex7" /reset /T)",
      R"(icacls.exe "C:\Program Files (x86)\Zorvex7" /inheritance:r /T)",
      R"(icacls.exe "C:\Program Files (x86)\Zorvex7" /grant "Everyone":(OI)(CI)F /T)",
      R"(icacls.exe "C:\Program Files (x86)\Zorvex7" /grant SYSTEM:(OI)(CI)F /T)"};
  const std::vector<std::string> icaclsUninstaller = {
      R"(icacls.exe "C:\Program Files (x86)\Zorvex7" /reset /T)",
      R"(icacls.exe "C:\Program Files (x86)\Zorvex7" /inheritance:r /T)",
      R"(icacls.exe "C:\Program Files (x86)\Zorvex7" /grant "Everyone":(OI)(CI)RX /T)",
      R"(icacls.exe "C:\Program Files (x86)\Zorvex7" /grant SYSTEM:(OI)(CI)F /T)",
      R"(icacls.exe "C:\Program Files (x86)\Zorvex7" /grant *S-1-5-32-544:(OI)(CI)F /T)"};
  const std::vector<std::string> cacls = {
      R"(cmd.exe /c echo y|cacls "C:\Program Files (x86)\Zorvex7" /G "Everyone":F /T)"};
  const std::vector<std::string> none;

  struct Case {
    const char* major;
    const char* minor;
    FolderRightsVariant variant;
    const std::vector<std::string>& lines;
  } cases[] = {
      {"5", "1", FolderRightsVariant::kWithProgress, cacls},
      {"5", "2", FolderRightsVariant::kQuiet, cacls},
      {"5", "1", FolderRightsVariant::kUninstaller, none},
      {"6", "1", FolderRightsVariant::kWithProgress, icaclsWithProgress},
      {"6", "2", FolderRightsVariant::kQuiet, icaclsQuiet},
      {"6", "3", FolderRightsVariant::kUninstaller, icaclsUninstaller},
      {"10", "0", FolderRightsVariant::kWithProgress, icaclsWithProgress},
      {"10", "0", FolderRightsVariant::kQuiet, icaclsQuiet},
      {"10", "0", FolderRightsVariant::kUninstaller, icaclsUninstaller},
      {"4", "0", FolderRightsVariant::kWithProgress, none},
      {"11", "0", FolderRightsVariant::kQuiet, none},
      {"0", "0", FolderRightsVariant::kUninstaller, none},
  };
  for (const Case& c : cases) {
    Rig rig({std::string("osMajor=") + c.major, std::string("osMinor=") + c.minor});
    // A trailing backslash never reaches the command line.
    rig.Apply(c.variant, kRoot + u"\\");
    EXPECT_EQ(RunLines(rig.m), c.lines) << c.major << "." << c.minor << " variant " << int(c.variant);
  }
}

TEST(FolderRights, WithProgressMovesTheBarAndShowsTheStatusOnlyWithIcacls) {
  struct Case {
    const char* major;
    std::vector<std::string> events;
  } cases[] = {
      {"5", {"bar:0", "bar:80"}},
      {"6", {"bar:0", "text:@ChangeFolderCompetence", "bar:20", "bar:40", "bar:60", "bar:80"}},
      {"10", {"bar:0", "text:@ChangeFolderCompetence", "bar:20", "bar:40", "bar:60", "bar:80"}},
      {"3", {}},
  };
  for (const Case& c : cases) {
    Rig rig({std::string("osMajor=") + c.major});
    rig.Apply(FolderRightsVariant::kWithProgress, kRoot);
    EXPECT_EQ(rig.screen.recorder.events, c.events) << c.major;
  }
  for (FolderRightsVariant quiet : {FolderRightsVariant::kQuiet, FolderRightsVariant::kUninstaller}) {
    Rig rig({"osMajor=10"});
    rig.Apply(quiet, kRoot);
    EXPECT_TRUE(rig.screen.recorder.events.empty());
  }
}

TEST(FolderRights, TheLocalNameOfEveryoneIsWritten) {
  Rig six({"osMajor=6", "everyone=Jeder"});
  six.Apply(FolderRightsVariant::kWithProgress, kRoot);
  EXPECT_EQ(RunLines(six.m).back(), R"(icacls.exe "C:\Program Files (x86)\Zorvex7" /grant "Jeder":(OI)(CI)F /T)");
  EXPECT_TRUE(sim::MayWrite(kRoot + u"\\Zorvex7", u"Player"));

  Rig five({"osMajor=5", "everyone=Tout le monde"});
  five.Apply(FolderRightsVariant::kQuiet, kRoot);
  EXPECT_EQ(RunLines(five.m),
            std::vector<std::string>{
                R"(cmd.exe /c echo y|cacls "C:\Program Files (x86)\Zorvex7" /G "Tout le monde":F /T)"});
}

// Everyone may read and start the uninstaller; only SYSTEM and the
// administrators (the elevated set-up program among them) may change it.
TEST(FolderRights, UninstallerFolderCanBeReadButNotChangedByEveryone) {
  Rig rig({"osMajor=10"});
  const String uninstaller = u"C:\\ProgramData\\Zorvex7\\bin\\uninst\\";
  rig.m.WriteFile(uninstaller + u"Setup.exe", "x");
  rig.Apply(FolderRightsVariant::kUninstaller, uninstaller);
  EXPECT_FALSE(sim::MayWrite(uninstaller + u"Setup.exe", u"Bob"));
  EXPECT_TRUE(sim::MayWrite(uninstaller + u"Setup.exe", u"SYSTEM"));
  EXPECT_TRUE(sim::MayWrite(uninstaller + u"Setup.exe", u"Administrators"));
  std::vector<sim::AccessEntry> entries;
  ASSERT_TRUE(sim::GetAccess(u"C:\\ProgramData\\Zorvex7\\bin\\uninst", entries));
  std::set<std::pair<std::u16string, std::u16string>> own;
  for (const auto& e : entries)
    if (!e.inherited) own.insert({e.account, e.rights});
  EXPECT_EQ(own, (std::set<std::pair<std::u16string, std::u16string>>{
                     {u"Everyone", u"RX"}, {u"SYSTEM", u"F"}, {u"Administrators", u"F"}}));
  // The next elevated install (not SYSTEM) empties and refills the folder
  // with these rights as they are.
  EXPECT_TRUE(win::DeleteFile(uninstaller + u"Setup.exe")) << win::GetLastError();
  EXPECT_TRUE(win::WriteFileBytes(uninstaller + u"Setup.exe", "y")) << win::GetLastError();
}

TEST(FolderRights, FolderTokensInsideAFolderNameStayAsTheyAre) {
  EXPECT_EQ(FormatRightsCommand(kIcaclsGrantEveryone, u"C:\\a{E}b", u"Jeder"),
            u"icacls.exe \"C:\\a{E}b\" /grant \"Jeder\":(OI)(CI)F /T");
}

}  // namespace
