// Folder rights: the exact command lines per Windows version and variant, the
// bar and status they move, and what they do to the machine's access records.
#include <gtest/gtest.h>

#include "install/folder_rights.h"
#include "install/package_fixture.h"
#include "platform/sim/machine.h"
#include "platform/sim/tools.h"

namespace {

using namespace zxtest;

const String kRoot = u"C:\\Program Files (x86)\\Zorvex7";

std::string Line(const char16_t* commandTemplate, const String& everyone = u"Everyone") {
  return U(FormatRightsCommand(commandTemplate, kRoot, everyone));
}

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

TEST(FolderRights, CommandLinesPerVersionAndVariant) {
  const std::vector<std::string> icaclsWithProgress = {
      Line(kIcaclsReset), Line(kIcaclsCutInheritance), Line(kIcaclsGrantSystem), Line(kIcaclsGrantEveryone)};
  const std::vector<std::string> icaclsQuiet = {
      Line(kIcaclsReset), Line(kIcaclsCutInheritance), Line(kIcaclsGrantEveryone), Line(kIcaclsGrantSystem)};
  const std::vector<std::string> icaclsUninstaller = {
      Line(kIcaclsReset), Line(kIcaclsCutInheritance), Line(kIcaclsGrantEveryoneReadRun),
      Line(kIcaclsGrantSystem)};
  const std::vector<std::string> cacls = {Line(kCaclsGrantEveryone)};
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
  EXPECT_EQ(RunLines(six.m).back(), Line(kIcaclsGrantEveryone, u"Jeder"));
  EXPECT_TRUE(sim::MayWrite(kRoot + u"\\Zorvex7", u"Player"));

  Rig five({"osMajor=5", "everyone=Tout le monde"});
  five.Apply(FolderRightsVariant::kQuiet, kRoot);
  EXPECT_EQ(RunLines(five.m), std::vector<std::string>{Line(kCaclsGrantEveryone, u"Tout le monde")});
}

TEST(FolderRights, UninstallerFolderCanBeReadButNotChangedByEveryone) {
  Rig rig({"osMajor=10"});
  const String uninstaller = u"C:\\ProgramData\\Zorvex7\\bin\\uninst\\";
  rig.m.WriteFile(uninstaller + u"Setup.exe", "x");
  rig.Apply(FolderRightsVariant::kUninstaller, uninstaller);
  EXPECT_FALSE(sim::MayWrite(uninstaller + u"Setup.exe", u"Player"));
  EXPECT_TRUE(sim::MayWrite(uninstaller + u"Setup.exe", u"SYSTEM"));
  std::vector<sim::AccessEntry> entries;
  ASSERT_TRUE(sim::GetAccess(u"C:\\ProgramData\\Zorvex7\\bin\\uninst", entries));
  bool everyoneReads = false;
  for (const auto& e : entries) everyoneReads |= e.account == u"Everyone" && e.rights == u"RX";
  EXPECT_TRUE(everyoneReads);
}

TEST(FolderRights, FolderTokensInsideAFolderNameStayAsTheyAre) {
  EXPECT_EQ(FormatRightsCommand(kIcaclsGrantEveryone, u"C:\\a{E}b", u"Jeder"),
            u"icacls.exe \"C:\\a{E}b\" /grant \"Jeder\":(OI)(CI)F /T");
}

}  // namespace
