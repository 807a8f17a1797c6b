// Starting, waiting for, listing and stopping programs on the simulated machine.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

#include "platform/files.h"
#include "platform/process.h"
#include "platform/sim/process_sim.h"
#include "platform/sim/tools.h"
#include "process/process_fixture.h"
#include "support/sim_machine.h"
#include "util/cmnfileexecuate.h"

extern char** environ;

namespace {

using zxtest::InstallHelper;
using zxtest::TempMachine;
using zxtest::WaitUntil;

struct SplitCase {
  const char16_t* line;
  StringList expected;
};

TEST(CommandLine, SplitsAsWindowsDoes) {
  const SplitCase cases[] = {
      {uR"("C:\a b\x.exe" one "two three")", {uR"(C:\a b\x.exe)", u"one", u"two three"}},
      {uR"(x.exe a\\\"b)", {u"x.exe", uR"(a\"b)"}},
      {uR"(x.exe "a\\" b)", {u"x.exe", uR"(a\)", u"b"}},
      {uR"(x.exe a\\b c\)", {u"x.exe", uR"(a\\b)", uR"(c\)"}},
      // A folder quoted with its trailing backslash swallows the closing quote.
      {uR"(icacls.exe "C:\X\" /reset /T)", {u"icacls.exe", uR"(C:\X" /reset /T)"}},
      {uR"(icacls.exe "C:\X" /grant "Tout le monde":(OI)(CI)F)",
       {u"icacls.exe", uR"(C:\X)", u"/grant", u"Tout le monde:(OI)(CI)F"}},
      {uR"(x.exe "" "a""b")", {u"x.exe", u"", uR"(a"b)"}},
  };
  for (const SplitCase& c : cases) {
    EXPECT_EQ(sim::SplitCommandLine(c.line), c.expected) << win::ToUtf8(c.line);
  }
}

TEST(CommandLine, QuotedArgumentsComeBackUnchanged) {
  const StringList arguments = {u"plain", u"", u"two words", uR"(C:\Folder\)", uR"(say "hi")",
                                uR"(a\\"b)", u"中文 路径"};
  String line = u"x.exe";
  for (const String& a : arguments) line += u" " + sim::QuoteArgument(a);
  EXPECT_EQ(sim::SplitArguments(line), arguments);
  EXPECT_EQ(sim::QuoteArgument(u"plain"), u"plain");
}

TEST(Process, MissingProgramFailsAtOnceWithFileNotFound) {
  TempMachine machine;
  machine.MakeFolder(u"C:\\Tools");
  machine.WriteFile(u"C:\\Tools\\notes.exe", "plain text, not a program");
  struct Case {
    const char16_t* line;
    uint32_t error;
  };
  const Case cases[] = {
      {uR"("C:\Tools\missing.exe" /x)", win::kErrorFileNotFound},
      {uR"(C:\Tools\missing.exe)", win::kErrorFileNotFound},
      {u"nosuchtool.exe /q", win::kErrorFileNotFound},
      {u"", win::kErrorFileNotFound},
      {uR"("C:\Tools\notes.exe")", 193},  // not a valid application
  };
  for (const Case& c : cases) {
    win::SetLastError(0);
    EXPECT_FALSE(win::CreateProcessAndWait(c.line, win::kCreateNoWindow)) << win::ToUtf8(c.line);
    EXPECT_EQ(win::GetLastError(), c.error) << win::ToUtf8(c.line);
    EXPECT_EQ(win::CreateProcessNoWait(c.line, 0), 0u);
  }
  // Nothing started, so nothing is logged as run; RunAndWait reports the reason.
  EXPECT_EQ(machine.ToolLog().find("run "), std::string::npos);
  EXPECT_FALSE(RunAndWait(uR"("C:\Tools\missing.exe")", win::kCreateNoWindow));
  EXPECT_NE(machine.ToolLog().find("The system cannot find the file specified."), std::string::npos);
}

// CreateProcessW takes a command line of 32,767 characters with its
// terminating null at the most; a longer one starts nothing.
TEST(Process, CommandLinesBeyondTheLimitStartNothing) {
  TempMachine machine;
  InstallHelper(machine, u"C:\\Tools\\Helper.exe");
  machine.MakeFolder(u"C:\\out");
  const String start = u"\"C:\\Tools\\Helper.exe\" write C:\\out\\a.txt ";
  const String longest = start + String(32766 - start.size(), u'x');
  ASSERT_TRUE(win::CreateProcessAndWait(longest, 0));
  EXPECT_EQ(machine.ReadFile(u"C:\\out\\a.txt"), std::string(32766 - start.size(), 'x'));
  for (const String& line : {longest + u"x", longest + String(40000, u'y')}) {
    win::SetLastError(0);
    EXPECT_FALSE(win::CreateProcessAndWait(line, 0));
    EXPECT_EQ(win::GetLastError(), win::kErrorFilenameExcedRange);
    EXPECT_EQ(win::CreateProcessNoWait(line, 0), 0u);
    EXPECT_EQ(win::GetLastError(), win::kErrorFilenameExcedRange);
  }
  EXPECT_EQ(machine.ToolLog().find("xx\n", machine.ToolLog().find("xx\n") + 1), std::string::npos)
      << "only the first line ran";
}

TEST(Process, StartedProgramHasEndedWhenTheCallReturns) {
  TempMachine machine;
  const String exe = u"C:\\Program Files\\Zorvex 测试\\Helper.exe";
  InstallHelper(machine, exe);
  machine.MakeFolder(u"C:\\游戏");
  const String line = u"\"" + exe + u"\" write C:\\游戏\\输出.txt done";
  ASSERT_TRUE(RunAndWait(line, win::kCreateNewConsole));
  EXPECT_EQ(machine.ReadFile(u"C:\\游戏\\输出.txt"), "done");
  EXPECT_NE(machine.ToolLog().find("run " + win::ToUtf8(line) + "\n"), std::string::npos);
}

TEST(Process, ProgramReceivesItsArgumentsAsWindowsSplitsThem) {
  TempMachine machine;
  InstallHelper(machine, u"C:\\Tools\\Helper.exe");
  machine.MakeFolder(u"C:\\out");
  ASSERT_TRUE(win::CreateProcessAndWait(uR"(C:\Tools\Helper args C:\out\a.txt "a b" c\"d e\\f "")", 0));
  EXPECT_EQ(machine.ReadFile(u"C:\\out\\a.txt"), "a b\nc\"d\ne\\\\f\n\n");
}

TEST(Process, ExitCodesOfProgramsStartedWithoutWaiting) {
  TempMachine machine;
  InstallHelper(machine, u"C:\\Tools\\Helper.exe");
  for (uint32_t code : {0u, 7u, 200u}) {
    uint32_t pid = win::CreateProcessNoWait(u"C:\\Tools\\Helper.exe exit " + win::IntToStr(code), 0);
    ASSERT_NE(pid, 0u);
    uint32_t exitCode = 12345;
    ASSERT_TRUE(sim::WaitForProcess(pid, exitCode));
    EXPECT_EQ(exitCode, code);
    EXPECT_FALSE(sim::WaitForProcess(pid, exitCode)) << "an id is waited for once";
  }
  // An unquoted path with blanks is found as Windows finds it, and the program
  // then reads "Files\Zorvex" as its first argument (so exit code 2).
  InstallHelper(machine, u"C:\\Program Files\\Zorvex\\Helper.exe");
  uint32_t pid = win::CreateProcessNoWait(uR"(C:\Program Files\Zorvex\Helper.exe exit 5)", 0);
  ASSERT_NE(pid, 0u);
  uint32_t exitCode = 0;
  ASSERT_TRUE(sim::WaitForProcess(pid, exitCode));
  EXPECT_EQ(exitCode, 2u);
}

TEST(Process, EveryRunningInstanceIsStoppedByItsExactName) {
  TempMachine machine;
  const String exe = u"C:\\Program Files (x86)\\Zorvex6\\Zorvex6.exe";
  InstallHelper(machine, exe);
  uint32_t first = win::CreateProcessNoWait(u"\"" + exe + u"\" sleep 30", 0);
  uint32_t second = win::CreateProcessNoWait(u"\"" + exe + u"\" sleep 30", 0);
  ASSERT_NE(first, 0u);
  ASSERT_NE(second, 0u);
  auto running = [] {
    std::vector<win::ProcessEntry> list;
    EXPECT_TRUE(win::SnapshotProcesses(list));
    int count = 0;
    for (const win::ProcessEntry& p : list) count += p.exeFile == u"Zorvex6.exe";
    return count;
  };
  ASSERT_TRUE(WaitUntil([&] { return running() == 2; }));

  TerminateProcessesByName(u"zorvex6.exe");
  TerminateProcessesByName(u"Zorvex6");
  EXPECT_EQ(running(), 2) << "names compare exactly";

  TerminateProcessesByName(u"Zorvex6.exe");
  uint32_t code = 99;
  ASSERT_TRUE(sim::WaitForProcess(first, code));
  EXPECT_EQ(code, 0u);
  ASSERT_TRUE(sim::WaitForProcess(second, code));
  EXPECT_EQ(running(), 0);
}

TEST(Process, HostProcessesOutsideTheMachineAreNeitherListedNorStopped) {
  TempMachine machine;
  pid_t pid = 0;
  char sleepName[] = "sleep";
  char seconds[] = "30";
  char* argv[] = {sleepName, seconds, nullptr};
  ASSERT_EQ(posix_spawnp(&pid, "sleep", nullptr, nullptr, argv, environ), 0);
  std::vector<win::ProcessEntry> list;
  ASSERT_TRUE(win::SnapshotProcesses(list));
  for (const win::ProcessEntry& p : list) EXPECT_NE(p.processId, static_cast<uint32_t>(pid));
  EXPECT_FALSE(win::TerminateProcessById(static_cast<uint32_t>(pid), 0));
  EXPECT_EQ(kill(pid, 0), 0) << "the host process must still run";
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  EXPECT_EQ(win::GetCurrentProcessId(), static_cast<uint32_t>(getpid()));
}

}  // namespace

namespace {

using zxtest::InstallHelper;
using zxtest::RunAsUser;
using zxtest::TempMachine;
using zxtest::WaitUntil;

TEST(RunningProgram, ItsFileCanBeRenamedButNotOverwrittenOrDeleted) {
  TempMachine machine;
  const String exe = u"C:\\Program Files (x86)\\Zorvex6\\Zorvex6.exe";
  const String moved = u"C:\\Program Files (x86)\\Zorvex6\\Zorvex6.old.exe";
  InstallHelper(machine, exe);
  machine.WriteFile(u"C:\\New\\Zorvex6.exe", "new");
  uint32_t pid = win::CreateProcessNoWait(u"\"" + exe + u"\" sleep 30", 0);
  ASSERT_NE(pid, 0u);
  ASSERT_TRUE(WaitUntil([&] {
    std::vector<win::ProcessEntry> list;
    // A failed snapshot lists nothing: the wait tries again.
    (void)win::SnapshotProcesses(list);
    for (const win::ProcessEntry& p : list) {
      if (p.processId == pid) return true;
    }
    return false;
  }));
  struct Case {
    const char* what;
    std::function<bool()> call;
    uint32_t error;
  };
  const Case refused[] = {
      {"delete", [&] { return win::DeleteFile(exe); }, win::kErrorAccessDenied},
      {"copy over", [&] { return win::CopyFile(u"C:\\New\\Zorvex6.exe", exe, false); }, win::kErrorSharingViolation},
      {"write", [&] { return win::WriteFileBytes(exe, "x"); }, win::kErrorSharingViolation},
  };
  for (const Case& c : refused) {
    EXPECT_FALSE(c.call()) << c.what;
    EXPECT_EQ(win::GetLastError(), c.error) << c.what;
  }
  std::string bytes;
  EXPECT_TRUE(win::ReadFileBytes(exe, bytes)) << "reading is shared";
  // Renamed, the program goes on running from it, and it stays locked.
  ASSERT_TRUE(win::MoveFile(exe, moved));
  EXPECT_FALSE(win::DeleteFile(moved));
  EXPECT_EQ(win::GetLastError(), win::kErrorAccessDenied);
  EXPECT_TRUE(win::CopyFile(u"C:\\New\\Zorvex6.exe", exe, false)) << "the old name is free";

  ASSERT_TRUE(win::TerminateProcessById(pid, 0));
  uint32_t code = 0;
  ASSERT_TRUE(sim::WaitForProcess(pid, code));
  EXPECT_TRUE(win::DeleteFile(moved)) << "free once the program has ended";
}

TEST(RunningProgram, RunsAsTheUserThatStartedIt) {
  TempMachine machine;
  const String helper = u"C:\\Tools\\Helper.exe";
  InstallHelper(machine, helper);
  machine.MakeFolder(u"C:\\Program Files (x86)\\App");
  RunAsUser alice(u"Alice");
  uint32_t code = 99;
  uint32_t pid = win::CreateProcessNoWait(helper + u" write \"C:\\Program Files (x86)\\App\\a.txt\" x", 0);
  ASSERT_TRUE(sim::WaitForProcess(pid, code));
  EXPECT_EQ(code, 1u) << "a standard user may not write there";
  pid = win::CreateProcessNoWait(helper + u" write C:\\ProgramData\\a.txt x", 0);
  ASSERT_TRUE(sim::WaitForProcess(pid, code));
  EXPECT_EQ(code, 0u);
  EXPECT_EQ(sim::GetOwner(u"C:\\ProgramData\\a.txt"), u"Alice");
}

}  // namespace
