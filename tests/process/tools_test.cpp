// The built-in cmd, cacls and icacls: the command lines the set-up program
// runs are recorded exactly and change who may write where.
#include <gtest/gtest.h>

#include <fstream>

#include "platform/process.h"
#include "platform/sim/process_sim.h"
#include "platform/sim/tools.h"
#include "support/sim_machine.h"
#include "util/cmnfileexecuate.h"

namespace {

using zxtest::TempMachine;

const String kFolder = u"C:\\Program Files (x86)\\Zorvex7";

// The command lines, with {F} and {E} filled in.
String Reset(const String& f) { return u"icacls.exe \"" + f + u"\" /reset /T"; }
String CutInheritance(const String& f) { return u"icacls.exe \"" + f + u"\" /inheritance:r /T"; }
String GrantSystem(const String& f) { return u"icacls.exe \"" + f + u"\" /grant SYSTEM:(OI)(CI)F /T"; }
String GrantEveryone(const String& f, const String& e, const String& r = u"F") {
  return u"icacls.exe \"" + f + u"\" /grant \"" + e + u"\":(OI)(CI)" + r + u" /T";
}
String Cacls(const String& f, const String& e) {
  return u"cmd.exe /c echo y|cacls \"" + f + u"\" /G \"" + e + u"\":F /T";
}

// Runs a tool and gives its exit code.
uint32_t RunTool(const String& line) {
  uint32_t id = win::CreateProcessNoWait(line, win::kCreateNoWindow);
  EXPECT_NE(id, 0u) << win::ToUtf8(line);
  uint32_t code = 0xFFFF;
  EXPECT_TRUE(sim::WaitForProcess(id, code));
  return code;
}

std::vector<std::string> RunLines(const std::string& log) {
  std::vector<std::string> lines;
  size_t pos = 0;
  while ((pos = log.find("run ", pos)) != std::string::npos) {
    size_t end = log.find('\n', pos);
    lines.push_back(log.substr(pos + 4, end - pos - 4));
    pos = end;
  }
  return lines;
}

TEST(FolderRights, IcaclsSequenceIsLoggedExactlyAndOpensTheTree) {
  TempMachine machine;
  machine.MakeFolder(kFolder + u"\\Zorvex7\\Data");
  EXPECT_FALSE(sim::MayWrite(kFolder, u"Users"));
  EXPECT_TRUE(sim::MayWrite(kFolder, u"SYSTEM"));

  const StringList lines = {Reset(kFolder), CutInheritance(kFolder), GrantSystem(kFolder),
                            GrantEveryone(kFolder, u"Everyone")};
  for (const String& line : lines) EXPECT_TRUE(RunAndWait(line, win::kCreateNoWindow));

  std::vector<std::string> expected;
  for (const String& line : lines) expected.push_back(win::ToUtf8(line));
  EXPECT_EQ(RunLines(machine.ToolLog()), expected);

  std::vector<sim::AccessEntry> entries;
  ASSERT_TRUE(sim::GetAccess(kFolder, entries));
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].account, u"SYSTEM");
  EXPECT_EQ(entries[1].account, u"Everyone");
  EXPECT_EQ(entries[1].rights, u"F");
  EXPECT_EQ(entries[1].inheritance, u"(OI)(CI)");
  EXPECT_FALSE(sim::InheritsAccess(kFolder));
  // Folders and files below: everyone may write, Users' read-only entry is gone.
  machine.WriteFile(kFolder + u"\\Zorvex7\\Data\\device.dat", "x");
  for (const String& path : {kFolder + u"\\Zorvex7\\Data", kFolder + u"\\zorvex7\\data\\DEVICE.dat"}) {
    EXPECT_TRUE(sim::MayWrite(path, u"Users")) << win::ToUtf8(path);
    ASSERT_TRUE(sim::GetAccess(path, entries));
    for (const sim::AccessEntry& e : entries) EXPECT_NE(e.account, u"Users");
  }
}

TEST(FolderRights, UninstallerFolderGetsReadAndExecuteForEveryone) {
  TempMachine machine;
  const String folder = u"C:\\ProgramData\\Zorvex7\\uninst";
  machine.MakeFolder(folder);
  for (const String& line : {Reset(folder), CutInheritance(folder), GrantEveryone(folder, u"Everyone", u"RX"),
                             GrantSystem(folder)}) {
    EXPECT_EQ(RunTool(line), 0u) << win::ToUtf8(line);
  }
  EXPECT_FALSE(sim::MayWrite(folder, u"Users"));
  EXPECT_FALSE(sim::MayWrite(folder, u"Player")) << "not even through Administrators";
  EXPECT_FALSE(sim::MayWrite(folder, u"Everyone"));
  EXPECT_TRUE(sim::MayWrite(folder, u"SYSTEM"));
}

TEST(FolderRights, LocalEveryoneNameIsTheOnlyOneKnown) {
  TempMachine machine({"everyone=Jeder"});
  machine.MakeFolder(kFolder);
  EXPECT_EQ(RunTool(GrantEveryone(kFolder, u"Everyone")), 1332u);
  EXPECT_FALSE(sim::MayWrite(kFolder, u"Jeder"));
  EXPECT_EQ(RunTool(GrantEveryone(kFolder, u"Jeder")), 0u);
  EXPECT_TRUE(sim::MayWrite(kFolder, u"Jeder"));
  EXPECT_TRUE(sim::MayWrite(kFolder, u"Users")) << "everyone covers every account";
}

TEST(FolderRights, CaclsReplacesTheRightsOnlyWhenConfirmed) {
  TempMachine machine({"osMajor=5", "osMinor=1"});
  machine.MakeFolder(kFolder + u"\\Sub");
  EXPECT_EQ(RunTool(u"cmd.exe /c cacls \"" + kFolder + u"\" /G \"Everyone\":F /T"), 1u) << "nobody said yes";
  EXPECT_FALSE(sim::MayWrite(kFolder, u"Users"));

  ASSERT_TRUE(RunAndWait(Cacls(kFolder, u"Everyone"), win::kCreateNoWindow));
  EXPECT_NE(machine.ToolLog().find("run " + win::ToUtf8(Cacls(kFolder, u"Everyone")) + "\n"), std::string::npos);
  std::vector<sim::AccessEntry> entries;
  ASSERT_TRUE(sim::GetAccess(kFolder + u"\\Sub", entries));
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].account, u"Everyone");
  EXPECT_EQ(entries[0].rights, u"F");
  EXPECT_FALSE(sim::InheritsAccess(kFolder));
}

TEST(FolderRights, BadTargetsChangeNothingButAreStillLogged) {
  TempMachine machine;
  machine.MakeFolder(kFolder);
  const String missing = kFolder + u"\\Missing";
  struct Case {
    String line;
    uint32_t code;
  };
  const Case cases[] = {
      {GrantEveryone(missing, u"Everyone"), 2},
      {Cacls(missing, u"Everyone"), 2},
      // A trailing backslash escapes the closing quote: no such path.
      {u"icacls.exe \"" + kFolder + u"\\\" /grant \"Everyone\":(OI)(CI)F /T", 123},
      {u"icacls.exe \"" + kFolder + u"\" /grant Everyone:(OI)(CI)Q /T", 87},
      {u"icacls.exe \"" + kFolder + u"\" /frobnicate", 87},
      {u"cmd.exe /c del \"" + kFolder + u"\"", 9009},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RunTool(c.line), c.code) << win::ToUtf8(c.line);
    EXPECT_NE(machine.ToolLog().find("run " + win::ToUtf8(c.line) + "\n"), std::string::npos);
  }
  EXPECT_FALSE(sim::MayWrite(kFolder, u"Users"));
  EXPECT_TRUE(sim::InheritsAccess(kFolder));
}

TEST(FolderRights, ResetOfATreeForgetsWhatItsFoldersHadOfTheirOwn) {
  TempMachine machine;
  const String sub = u"C:\\Games\\Zorvex 鼠标\\Sub";
  machine.MakeFolder(sub);
  EXPECT_EQ(RunTool(u"icacls.exe \"" + sub + u"\" /grant Users:W"), 0u);
  EXPECT_TRUE(sim::MayWrite(sub, u"Users"));
  EXPECT_EQ(RunTool(u"C:\\Windows\\System32\\icacls.exe \"C:\\games\" /reset /T"), 0u);
  EXPECT_FALSE(sim::MayWrite(sub, u"Users"));
  std::vector<sim::AccessEntry> entries;
  ASSERT_TRUE(sim::GetAccess(sub, entries));
  for (const sim::AccessEntry& e : entries) EXPECT_TRUE(e.inherited);
}

}  // namespace

namespace {

TEST(FolderRights, DamagedRecordsAreSkipped) {
  TempMachine machine;
  machine.MakeFolder(kFolder);
  std::ofstream(machine.Dir() + "/acl.tsv")
      << "C:\\Program Files (x86)\\Zorvex7\tUsers\tQQ\t(OI)\n\xFF\xFE\ttab\n"
      << "C:\\Program Files (x86)\\Zorvex7\tUsers\tW\t(XX)\nno tabs at all\n";
  EXPECT_FALSE(sim::MayWrite(kFolder, u"Users"));
  EXPECT_EQ(RunTool(GrantEveryone(kFolder, u"Everyone")), 0u);
  EXPECT_TRUE(sim::MayWrite(kFolder, u"Users"));
}

}  // namespace
