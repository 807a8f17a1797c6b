#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "platform/files.h"
#include "platform/sim/machine.h"
#include "support/sim_machine.h"

using zxtest::TempMachine;

namespace {

bool IsDir(const std::string& p) {
  struct stat st;
  return stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

TEST(Machine, FreshMachineHasTheWindowsSkeleton) {
  TempMachine m;
  ASSERT_TRUE(sim::CurrentMachine().Found());
  for (const char* f : {"drive_c/Windows", "drive_c/Program Files", "drive_c/Program Files (x86)",
                        "drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs",
                        "drive_c/Users/Public/Desktop", "drive_c/Users/Player/AppData/Roaming"}) {
    EXPECT_TRUE(IsDir(m.Dir() + "/" + f)) << f;
  }
  std::ifstream reg(m.Dir() + "/registry.reg", std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(reg)), std::istreambuf_iterator<char>());
  ASSERT_GE(bytes.size(), 4u);
  EXPECT_EQ(bytes.substr(0, 4), std::string("\xFF\xFEW\0", 4));
}

TEST(Machine, OverridesReachTheConfigAndTheSkeleton) {
  TempMachine m({"is64Bit=0", "codePage=936", "everyone=Jeder", "admin=0", "userName=Spieler"});
  const sim::MachineConfig& c = sim::CurrentMachine().Config();
  EXPECT_FALSE(c.is64Bit);
  EXPECT_EQ(c.codePage, 936u);
  EXPECT_EQ(c.everyone, u"Jeder");
  EXPECT_FALSE(c.admin);
  EXPECT_EQ(c.osMajor, 10u);  // untouched default
  EXPECT_FALSE(IsDir(m.Dir() + "/drive_c/Program Files (x86)"));
  EXPECT_TRUE(IsDir(m.Dir() + "/drive_c/Users/Spieler/AppData/Roaming"));
}

TEST(Machine, CreateRefusesBadSettingsAndAnExistingMachine) {
  TempMachine m;
  std::string error;
  EXPECT_FALSE(sim::CreateMachine(m.Dir(), {}, error));
  EXPECT_NE(error.find("already"), std::string::npos);
  for (const char* bad : {"colour=blue", "dpi=abc", "admin", "userLangId=70000"}) {
    std::string dir = m.Dir() + "/other";
    EXPECT_FALSE(sim::CreateMachine(dir, {bad}, error)) << bad;
  }
}

TEST(Machine, ReloadPicksUpAChangedIni) {
  TempMachine m;
  {
    std::ofstream ini(m.Dir() + "/machine.ini", std::ios::app);
    ini << "systemLangId=2052\nnonsense line\nosMinor=x\n";
  }
  sim::ReloadMachine();
  EXPECT_EQ(sim::CurrentMachine().Config().systemLangId, 2052);
  EXPECT_EQ(sim::CurrentMachine().Config().osMinor, 0u);
}

TEST(Machine, WithoutAMachineNothingMaps) {
  sim::UseMachine(std::string());
  EXPECT_FALSE(sim::CurrentMachine().Found());
  std::string host;
  uint32_t error = 0;
  EXPECT_FALSE(sim::CurrentMachine().HostPath(u"C:\\Windows", host, error));
}

TEST(PathMapping, MatchesExistingNamesWithoutRegardToCase) {
  TempMachine m;
  m.MakeFolder(u"C:\\Program Files (x86)\\Zorvex7");
  m.MakeFolder(u"C:\\ProgramData\\\x4E2D\x6587\\\x00C9t\x00E9");  // 中文\Été
  const std::string c = m.Dir() + "/drive_c";
  struct Case {
    const char16_t* windows;
    std::string host;
  } cases[] = {
      {u"C:\\PROGRAM FILES (X86)\\zorvex7", c + "/Program Files (x86)/Zorvex7"},
      {u"c:/program files (x86)/ZORVEX7/new\\File.TXT", c + "/Program Files (x86)/Zorvex7/new/File.TXT"},
      {u"C:\\", c},
      {u"C:", c},
      {u"\\Windows", c + "/Windows"},
      {u"C:\\Windows\\.\\..\\windows\\", c + "/Windows"},
      {u"C:\\Windows.\\Temp ", c + "/Windows/Temp"},
      {u"C:\\programdata\\\x4E2D\x6587\\\x00E9T\x00C9", c + "/ProgramData/\xE4\xB8\xAD\xE6\x96\x87/\xC3\x89t\xC3\xA9"},
      {u"\\\\?\\C:\\windows", c + "/Windows"},
  };
  for (const Case& k : cases) {
    EXPECT_EQ(m.HostPath(k.windows), k.host) << win::ToUtf8(k.windows);
  }
  EXPECT_EQ(sim::CurrentMachine().WindowsPath(c + "/Program Files (x86)/Zorvex7"),
            u"C:\\Program Files (x86)\\Zorvex7");
  EXPECT_EQ(sim::CurrentMachine().WindowsPath(c), u"C:\\");
  EXPECT_EQ(sim::CurrentMachine().WindowsPath("/etc/passwd"), u"");
}

TEST(PathMapping, RefusesWhatIsNotOnThisMachinesDriveC) {
  TempMachine m;
  ASSERT_EQ(symlink("/etc", (m.Dir() + "/drive_c/Out").c_str()), 0);
  String longPath = u"C:\\" + String(256, u'a');  // 259 characters: still fine
  String tooLong = longPath + u"b";               // 260: refused
  struct Case {
    String windows;
    bool ok;
    uint32_t error;
  } cases[] = {
      {longPath, true, 0},
      {tooLong, false, win::kErrorFilenameExcedRange},
      {u"\\\\?\\" + tooLong, true, 0},
      {u"D:\\Games", false, win::kErrorPathNotFound},
      {u"relative\\path", false, win::kErrorPathNotFound},
      {u"\\\\server\\share\\x", false, win::kErrorPathNotFound},
      {u"C:\\..\\..\\etc\\passwd", false, win::kErrorPathNotFound},
      {u"C:\\Windows\\..\\..\\x", false, win::kErrorPathNotFound},
      {u"C:\\Out\\passwd", false, win::kErrorPathNotFound},
      {u"C:\\Out", true, 0},  // the link itself may be looked at and removed
      {u"C:\\a<b", false, 123},
      {u"C:\\Windows\\*.*", false, 123},
  };
  for (const Case& k : cases) {
    std::string host;
    uint32_t error = 0;
    EXPECT_EQ(sim::CurrentMachine().HostPath(k.windows, host, error), k.ok) << win::ToUtf8(k.windows);
    if (!k.ok) {
      EXPECT_EQ(error, k.error) << win::ToUtf8(k.windows);
    }
  }
}

TEST(PathMapping, LinksInsideTheMachineAreFollowed) {
  TempMachine m;
  m.MakeFolder(u"C:\\Target\\Sub");
  ASSERT_EQ(symlink("Target", (m.Dir() + "/drive_c/Junction").c_str()), 0);
  EXPECT_EQ(m.HostPath(u"C:\\junction\\SUB"), m.Dir() + "/drive_c/Junction/Sub");
}

TEST(Machine, ToolLogCollectsLinesInOrder) {
  TempMachine m;
  sim::CurrentMachine().AppendToolLog("first");
  sim::CurrentMachine().AppendToolLog("second \xE4\xB8\xAD");
  EXPECT_EQ(m.ToolLog(), "first\nsecond \xE4\xB8\xAD\n");
}

}  // namespace

namespace {

TEST(PathMapping, SeesNamesCreatedRightAfterTheFolderWasListed) {
  TempMachine m;
  m.MakeFolder(u"C:\\Busy");
  for (int round = 0; round < 20; ++round) {
    String name = u"File" + win::IntToStr(round) + u".txt";
    String other = win::UpperCase(name);
    // Looking the name up lists the folder; a program then creates the file
    // within the same clock tick, behind this process's back.
    EXPECT_EQ(win::GetFileAttributes(u"C:\\Busy\\" + other), win::kInvalidFileAttributes);
    std::ofstream(m.Dir() + "/drive_c/Busy/" + win::ToUtf8(name)) << "x";
    EXPECT_EQ(win::GetFileAttributes(u"C:\\Busy\\" + other), win::kFileAttributeArchive) << round;
    // And a file this process writes is found under another case at once.
    ASSERT_TRUE(win::WriteFileBytes(u"C:\\Busy\\Own" + name, "y"));
    EXPECT_EQ(m.HostPath(u"C:\\BUSY\\OWN" + other), m.Dir() + "/drive_c/Busy/Own" + win::ToUtf8(name));
  }
}

}  // namespace

namespace {

TEST(Machine, AProgramInsideFindsItsMachineByItself) {
  TempMachine m({"codePage=950"});
  m.MakeFolder(u"C:\\Package\\\x4E2D\x6587");
  std::string exe = m.HostPath(u"C:\\Package\\\x4E2D\x6587") + "/Setup.exe";
  std::filesystem::copy_file(std::string(ZX_TEST_PROGRAMS_DIR) + "/whereami", exe);
  std::string command = "'" + exe + "' uninstall 'two words' 2>&1";
  std::string output;
  if (FILE* p = popen(command.c_str(), "r")) {
    char buf[512];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) output.append(buf, n);
    pclose(p);
  }
  EXPECT_EQ(output, "C:\\Package\\\xE4\xB8\xAD\xE6\x96\x87\\Setup.exe\n[uninstall]\n[two words]\ncodepage 950\n");
}

}  // namespace
