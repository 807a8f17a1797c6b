#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "platform/files.h"
#include "platform/shell.h"
#include "support/sim_machine.h"

using namespace win;
using zxtest::TempMachine;

namespace {

TEST(SpecialFolders, AreThoseOfA32BitProgram) {
  struct Case {
    std::vector<std::string> machine;
    int csidl;
    const char16_t* path;
  } cases[] = {
      {{}, kCsidlProgramFiles, u"C:\\Program Files (x86)"},
      {{"is64Bit=0"}, kCsidlProgramFiles, u"C:\\Program Files"},
      {{}, kCsidlCommonAppData, u"C:\\ProgramData"},
      {{}, kCsidlCommonPrograms, u"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs"},
      {{}, kCsidlCommonDesktopDirectory, u"C:\\Users\\Public\\Desktop"},
      {{}, 0x7F, u""},
  };
  for (const Case& c : cases) {
    TempMachine m(c.machine);
    EXPECT_EQ(SHGetSpecialFolderPath(c.csidl), c.path) << c.csidl;
    if (*c.path) {
      EXPECT_TRUE(DirectoryExists(c.path)) << ToUtf8(c.path);
    }
  }
}

TEST(ShellServices, AdminFlagAndChangeNotices) {
  {
    TempMachine m({"admin=0"});
    EXPECT_FALSE(IsUserAnAdmin());
  }
  TempMachine m;
  EXPECT_TRUE(IsUserAnAdmin());
  SHChangeNotify(kShcneAssocChanged, kShcnfIdList);
  EXPECT_EQ(m.ToolLog(), "SHChangeNotify 0x08000000\n");
}

// The fields lnkinfo prints for a link file, by the label before the colon.
std::string LnkinfoField(const std::string& output, const std::string& label) {
  std::istringstream in(output);
  std::string line;
  while (std::getline(in, line)) {
    size_t colon = line.find(':');
    if (colon == std::string::npos) continue;
    std::string name = line.substr(0, colon);
    name.erase(0, name.find_first_not_of(" \t"));
    name.erase(name.find_last_not_of(" \t") + 1);
    if (name == label) {
      std::string value = line.substr(colon + 1);
      value.erase(0, value.find_first_not_of(" \t"));
      return value;
    }
  }
  return "<missing " + label + ">";
}

std::string RunLnkinfo(const std::string& hostFile) {
  std::string command = "lnkinfo '" + hostFile + "' 2>&1";
  std::string output;
  if (FILE* p = popen(command.c_str(), "r")) {
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) output.append(buf, n);
    pclose(p);
  }
  return output;
}

TEST(ShellLinks, AreRealLinkFilesThatLnkinfoReads) {
  if (std::system("command -v lnkinfo >/dev/null 2>&1") != 0) GTEST_SKIP() << "lnkinfo (liblnk-utils) is not installed";
  TempMachine m;
  const String target = u"C:\\Program Files (x86)\\Zorvex7\\\x4E2D\x6587\\Zorvex7.exe";
  m.WriteFile(target, "program");
  const String link = u"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Zorvex7.lnk";
  ShellLink shellLink;
  ASSERT_TRUE(shellLink.Create());
  shellLink.SetPath(target);
  shellLink.SetDescription(u"Zorvex 7 \x9F20\x6807");
  shellLink.SetWorkingDirectory(ExtractFilePath(target));
  shellLink.SetIconLocation(u"C:\\Program Files (x86)\\Zorvex7\\icon.ico", 3);
  shellLink.SetArguments(u"/start \"quoted arg\"");
  ASSERT_TRUE(shellLink.Save(link));

  std::string out = RunLnkinfo(m.HostPath(link));
  EXPECT_EQ(LnkinfoField(out, "Local path"), ToUtf8(target)) << out;
  EXPECT_EQ(LnkinfoField(out, "Description"), ToUtf8(u"Zorvex 7 \x9F20\x6807")) << out;
  EXPECT_EQ(LnkinfoField(out, "Working directory"), ToUtf8(ExtractFilePath(target))) << out;
  EXPECT_EQ(LnkinfoField(out, "Command line arguments"), "/start \"quoted arg\"") << out;
  EXPECT_EQ(LnkinfoField(out, "Icon location"), "C:\\Program Files (x86)\\Zorvex7\\icon.ico") << out;
  EXPECT_EQ(LnkinfoField(out, "Icon index"), "3") << out;
  EXPECT_EQ(LnkinfoField(out, "File size"), "7 bytes") << out;

  ShellLinkInfo back;
  ASSERT_TRUE(ReadShellLink(link, back));
  EXPECT_EQ(back.target, target);
  EXPECT_EQ(back.description, u"Zorvex 7 \x9F20\x6807");
  EXPECT_EQ(back.workingDirectory, ExtractFilePath(target));
  EXPECT_EQ(back.arguments, u"/start \"quoted arg\"");
  EXPECT_EQ(back.iconLocation, u"C:\\Program Files (x86)\\Zorvex7\\icon.ico");
  EXPECT_EQ(back.iconIndex, 3);
}

// The link object takes C strings: each text ends at its first NUL.
TEST(ShellLinks, TakeEachTextUpToItsFirstNul) {
  TempMachine m;
  const String nul(1, u'\0');
  ShellLink shellLink;
  ASSERT_TRUE(shellLink.Create());
  shellLink.SetPath(u"C:\\App.exe" + nul + u"x");
  shellLink.SetArguments(u"/start" + nul + u"x");
  shellLink.SetWorkingDirectory(u"C:\\" + nul + u"x");
  shellLink.SetDescription(nul + u"x");
  shellLink.SetIconLocation(u"C:\\App.exe" + nul + nul, 2);
  ASSERT_TRUE(shellLink.Save(u"C:\\Users\\Public\\Desktop\\App.lnk"));
  ShellLinkInfo back;
  ASSERT_TRUE(ReadShellLink(u"C:\\Users\\Public\\Desktop\\App.lnk", back));
  EXPECT_EQ(back.target, u"C:\\App.exe");
  EXPECT_EQ(back.arguments, u"/start");
  EXPECT_EQ(back.workingDirectory, u"C:\\");
  EXPECT_EQ(back.description, u"");
  EXPECT_EQ(back.iconLocation, u"C:\\App.exe");
  EXPECT_EQ(back.iconIndex, 2);
}

TEST(ShellLinks, LeaveOutUnsetFieldsAndFailOnAMissingFolder) {
  TempMachine m;
  ShellLink shellLink;
  ASSERT_TRUE(shellLink.Create());
  shellLink.SetPath(u"C:\\Missing\\App.exe");  // a target need not exist
  shellLink.SetIconLocation(u"C:\\Missing\\App.exe", 0);
  ASSERT_TRUE(shellLink.Save(u"C:\\Users\\Public\\Desktop\\App.lnk"));
  ShellLinkInfo back;
  ASSERT_TRUE(ReadShellLink(u"C:\\Users\\Public\\Desktop\\App.lnk", back));
  EXPECT_EQ(back.target, u"C:\\Missing\\App.exe");
  EXPECT_EQ(back.arguments, u"");
  EXPECT_EQ(back.description, u"");
  if (std::system("command -v lnkinfo >/dev/null 2>&1") == 0) {
    std::string out = RunLnkinfo(m.HostPath(u"C:\\Users\\Public\\Desktop\\App.lnk"));
    EXPECT_EQ(out.find("Command line arguments"), std::string::npos) << out;
    EXPECT_EQ(out.find("Description"), std::string::npos) << out;
  }

  EXPECT_FALSE(shellLink.Save(u"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Zorvex\\App.lnk"));
  EXPECT_EQ(GetLastError(), kErrorPathNotFound);

  // Damaged files are refused, never read past their end.
  std::string bytes;
  ASSERT_TRUE(ReadFileBytes(u"C:\\Users\\Public\\Desktop\\App.lnk", bytes));
  for (size_t cut : {size_t{10}, size_t{80}, bytes.size() - 6}) {
    ASSERT_TRUE(WriteFileBytes(u"C:\\Users\\Public\\Desktop\\Cut.lnk", bytes.substr(0, cut)));
    EXPECT_FALSE(ReadShellLink(u"C:\\Users\\Public\\Desktop\\Cut.lnk", back)) << cut;
  }
}

}  // namespace

namespace {

TEST(ShellExecute, LogsTheCallAndStartsProgramsOnTheMachine) {
  TempMachine m;
  // A program inside the machine: a host shell script that leaves a mark.
  m.WriteFile(u"C:\\Program Files (x86)\\Zorvex\\Launcher.exe",
              "#!/bin/sh\necho \"started $*\" > \"$(dirname \"$0\")/started.txt\"\n");
  ASSERT_EQ(chmod(m.HostPath(u"C:\\Program Files (x86)\\Zorvex\\Launcher.exe").c_str(), 0755), 0);
  m.WriteFile(u"C:\\Docs\\Manual.pdf", "%PDF");

  struct Case {
    const char16_t *file, *parameters;
    bool started;
    const char* logLine;
  } cases[] = {
      {u"C:\\Program Files (x86)\\Zorvex\\Launcher.exe", u"-silent", true,
       "ShellExecute open C:\\Program Files (x86)\\Zorvex\\Launcher.exe -silent"},
      {u"C:\\Docs\\Manual.pdf", u"", true, "ShellExecute open C:\\Docs\\Manual.pdf"},
      {u"https://example.com/zorvex", u"", true, "ShellExecute open https://example.com/zorvex"},
      {u"C:\\Docs\\Missing.exe", u"", false, "ShellExecute open C:\\Docs\\Missing.exe"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ShellExecuteOpen(c.file, c.parameters, kSwShowNormal), c.started) << ToUtf8(c.file);
    EXPECT_NE(m.ToolLog().find(std::string(c.logLine) + "\n"), std::string::npos) << m.ToolLog();
  }
  // Not waited for: the mark appears a moment later.
  std::string mark;
  for (int i = 0; i < 200 && mark.empty(); ++i) {
    mark = m.ReadFile(u"C:\\Program Files (x86)\\Zorvex\\started.txt");
    if (mark.empty()) usleep(10000);
  }
  EXPECT_EQ(mark, "started -silent\n");
}

}  // namespace
