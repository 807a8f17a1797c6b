// An install killed at random moments (between and inside file operations),
// then run again to completion, never loses the player's device data: every
// device-data file of the installed copy is afterwards in the program folder
// or in the templates backup.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>

#include "install/package_fixture.h"

extern char** environ;

namespace {

using namespace zxtest;
namespace fs = std::filesystem;

const std::string kProgram = std::string(ZX_TEST_PROGRAMS_DIR) + "/install_run";
constexpr int kKills = 50;
constexpr unsigned kSeed = 20240611;

struct Layout {
  const char* name;
  std::string product;
  std::string oldDevice;  // where the installed copy keeps its device data
  std::string newDevice;  // where the new package puts it
};

// Device data of the installed copy after some use: the two files the package
// also brings (by name) and files only the player has (by content).
std::vector<std::pair<std::string, std::string>> PlayerFiles() {
  std::vector<std::pair<std::string, std::string>> files;
  for (int i = 1; i <= 8; ++i) files.push_back({"English\\Profile" + std::to_string(i) + ".cfg", "profile " + std::to_string(i)});
  for (int i = 1; i <= 4; ++i) files.push_back({"Macros\\m" + std::to_string(i) + ".mcr", "macro " + std::to_string(i)});
  files.push_back({"ChineseS\\Profile.cfg", "profile cn"});
  // Large enough that a kill lands inside its copy now and then.
  std::string big(3 << 20, 'b');
  for (size_t i = 0; i < big.size(); i += 4096) big[i] = static_cast<char>('a' + (i / 4096) % 26);
  files.push_back({"Big.bin", big});
  return files;
}
const std::vector<std::string> kPackageNames = {"Default.cfg", "English\\Keys.cfg"};

std::string HostOf(const std::string& machine, const String& windowsPath) {
  std::string path = machine + "/drive_c/" + U(windowsPath.substr(3));
  std::replace(path.begin(), path.end(), '\\', '/');
  return path;
}

std::string ReadHost(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "<missing>";
  std::ostringstream all;
  all << in.rdbuf();
  return all.str();
}

// A machine with the older version installed and used, and the new package
// in C:\Pkg\. Returns its folder.
std::string BaseMachine(TempMachine& m, const Layout& layout) {
  PackageSpec old;
  old.Set("%PROGRAM_FILES", layout.product);
  old.Set("%PROGRAM_EXEC", layout.product + ".exe");
  old.Set("%PROGRAM_VERSION", "18.12.0006");
  old.Set("%PROGRAM_DEVICE", layout.oldDevice);
  WritePackage(m, old, u"C:\\Old\\");
  sim::SetExecutablePath(u"C:\\Old\\Setup.exe");
  {
    TApp app;
    app.RunState = kRunStateFreshInstall;
    TInstallThread(WorkerOutputs{}).Run();
  }
  const String device = kProgramFiles + u"\\" + W(layout.product) + u"\\" + W(layout.product) + u"\\" + W(layout.oldDevice);
  for (auto& [path, bytes] : PlayerFiles()) m.WriteFile(device + W(path), bytes);
  for (const std::string& name : kPackageNames) m.WriteFile(device + W(name), "the player's " + name);

  PackageSpec now = old;
  now.Set("%PROGRAM_VERSION", "19.02.0005");
  now.Set("%PROGRAM_DEVICE", layout.newDevice);
  WritePackage(m, now);
  sim::SetExecutablePath(String());
  return m.Dir();
}

pid_t Start(const std::string& machine) {
  const std::string package = "C:\\Pkg\\";
  char* argv[] = {const_cast<char*>(kProgram.c_str()), const_cast<char*>(machine.c_str()),
                  const_cast<char*>(package.c_str()), nullptr};
  pid_t pid = 0;
  if (posix_spawn(&pid, kProgram.c_str(), nullptr, nullptr, argv, environ) != 0) return 0;
  return pid;
}

int RunToEnd(const std::string& machine) {
  const pid_t pid = Start(machine);
  int status = 0;
  if (pid == 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

std::string CopyMachine(const std::string& base) {
  const char* tmp = std::getenv("TMPDIR");
  std::string dir = std::string(tmp && *tmp ? tmp : "/tmp") + "/zxcrash-XXXXXX";
  if (mkdtemp(dir.data()) == nullptr) return std::string();
  // cp -a keeps the extended attributes the machine keeps Windows attributes in.
  const std::string command = "cp -a '" + base + "/.' '" + dir + "/'";
  if (std::system(command.c_str()) != 0) return std::string();
  return dir;
}

TEST(InstallCrash, KilledAtFiftyMomentsThenRunAgainLosesNoDeviceData) {
  ASSERT_TRUE(fs::exists(kProgram)) << kProgram;
  const Layout layouts[] = {
      {"device data in place", "Zorvex7", "Data\\Device\\", "Data\\Device\\"},
      {"device data in the old Data\\RES\\", "Zorvex6", "Data\\RES\\", "Data\\Device\\"},
  };
  std::mt19937 random(kSeed);
  int killedRuns = 0, finishedBeforeKill = 0;
  for (const Layout& layout : layouts) {
    TempMachine base;
    const std::string baseDir = BaseMachine(base, layout);

    // How long one whole run takes here: the kills spread over that time.
    const std::string probe = CopyMachine(baseDir);
    ASSERT_FALSE(probe.empty());
    const auto started = std::chrono::steady_clock::now();
    ASSERT_EQ(RunToEnd(probe), 0);
    const auto runTime = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - started);
    fs::remove_all(probe);
    std::uniform_int_distribution<long> delay(0, static_cast<long>(runTime.count() * 11 / 10));

    for (int kill = 0; kill < kKills / 2; ++kill) {
      const std::string machine = CopyMachine(baseDir);
      ASSERT_FALSE(machine.empty());
      const long wait = delay(random);
      const pid_t pid = Start(machine);
      ASSERT_NE(pid, 0);
      std::this_thread::sleep_for(std::chrono::microseconds(wait));
      ::kill(pid, SIGKILL);
      int status = 0;
      waitpid(pid, &status, 0);
      if (WIFSIGNALED(status))
        ++killedRuns;
      else
        ++finishedBeforeKill;

      ASSERT_EQ(RunToEnd(machine), 0) << layout.name << ", kill after " << wait << " us";

      const String program = kProgramFiles + u"\\" + W(layout.product) + u"\\" + W(layout.product) + u"\\";
      const std::string device = HostOf(machine, program + W(layout.newDevice));
      const std::string templates = HostOf(machine, u"C:\\ProgramData\\" + W(layout.product) + u"\\Templates\\");
      for (auto& [path, bytes] : PlayerFiles()) {
        std::string relative = U(W(path));
        std::replace(relative.begin(), relative.end(), '\\', '/');
        const bool kept = ReadHost(device + relative) == bytes || ReadHost(templates + relative) == bytes;
        EXPECT_TRUE(kept) << layout.name << ": " << path << " lost after a kill at " << wait << " us";
      }
      for (std::string name : kPackageNames) {
        std::replace(name.begin(), name.end(), '\\', '/');
        EXPECT_TRUE(fs::exists(device + name) || fs::exists(templates + name)) << layout.name << ": " << name;
      }
      fs::remove_all(machine);
    }
    std::printf("[ figures  ] %s: one run %.1f ms\n", layout.name, runTime.count() / 1000.0);
  }
  std::printf("[ figures  ] %d of %d runs killed before they ended, %d had already ended\n", killedRuns, kKills,
              finishedBeforeKill);
  EXPECT_GT(killedRuns, kKills / 2);
}

}  // namespace
