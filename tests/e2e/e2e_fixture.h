// The host Setup run as a process on a fresh simulated machine, driven by
// the machine tool's scripts as a person would drive it. The sample package
// (target zorvex_demo_package) is laid into the machine's Downloads folder,
// with the Setup just built in place of its copy.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>

#include "platform/files.h"
#include "platform/registry.h"
#include "platform/sim/machine.h"
#include "platform/sim/machine_internal.h"
#include "platform/sim/ui_driver.h"
#include "support/sim_machine.h"

namespace e2e {

namespace fs = std::filesystem;

inline const String kPackage = u"C:\\Users\\Player\\Downloads\\ZorvexDemo\\";
inline const String kSetup = kPackage + u"Setup.exe";
inline const String kUninstaller = u"C:\\ProgramData\\Zorvex7\\bin\\uninst\\Setup.exe";
inline const String kProgramFolder = u"C:\\Program Files (x86)\\Zorvex7\\Zorvex7\\";
inline const String kUninstallEntry = u"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Zorvex3";
inline const String kProductKey = u"Software\\Zorvex\\Zorvex3";

inline std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

inline std::string ShellQuote(const std::string& s) {
  std::string out = "'";
  for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

// Where the screens of the runs are saved for people to look at.
inline std::string ArtifactPath(const std::string& name) {
  const fs::path dir = fs::path(ZX_BINARY_DIR) / "screens-artifacts";
  fs::create_directories(dir);
  return (dir / name).string();
}

struct RunResult {
  int code = -1;      // winsim's exit code: 0 when every line of the script held
  std::string error;  // what winsim said when a line failed
};

class EndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    const fs::path demo = fs::path(ZX_BINARY_DIR) / "packages" / "ZorvexDemo";
    if (!fs::exists(demo / "Setup.ini")) GTEST_SKIP() << "build the target zorvex_demo_package first";
    ASSERT_TRUE(fs::exists(tool_)) << tool_ << " is not built";
    machine_ = std::make_unique<zxtest::TempMachine>(MachineSettings());
    const String package = PackageFolder();
    machine_->MakeFolder(package);
    fs::copy(demo, machine_->HostPath(package), fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    fs::copy_file(fs::path(ZX_BINARY_DIR) / "Setup", machine_->HostPath(package + u"Setup.exe"),
                  fs::copy_options::overwrite_existing);
    sim::ForgetFolderListings();
  }
  virtual std::vector<std::string> MachineSettings() const { return {}; }
  // Where the package lies on the machine (ends in "\").
  virtual String PackageFolder() const { return kPackage; }

  zxtest::TempMachine& Machine() { return *machine_; }
  // A new machine for the next case of a table (the old one goes first: a
  // process works on one machine at a time).
  void StartAgain() {
    machine_.reset();
    SetUp();
  }

  // Runs the program with arguments under a script; the script's relative
  // snapshot names land in the artifacts folder.
  RunResult Run(const std::string& script, const String& program = kSetup, const std::string& arguments = "") {
    const std::string dir = Machine().Dir();
    const std::string file = dir + "/script.txt";
    std::ofstream(file, std::ios::binary) << script;
    const std::string command = "cd " + ShellQuote(ArtifactPath("")) + " && " + ShellQuote(tool_) +
                                " run --script " + ShellQuote(file) + " " + ShellQuote(dir) + " " +
                                ShellQuote(win::ToUtf8(program)) + " " + arguments + " 2>" +
                                ShellQuote(dir + "/winsim.err");
    RunResult result;
    const int status = std::system(command.c_str());
    result.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.error = Slurp(dir + "/winsim.err");
    std::cerr << result.error;  // passed on, so that a sanitizer's report in it is seen
    sim::ForgetFolderListings();
    return result;
  }

  // A whole install in English with every screen's default, for the tests
  // that need an installed copy first.
  void InstallOnce() {
    const RunResult r = Run(
        "timeout 30\n"
        "wait FWelcome\nclick FWelcome.bt_Next\n"
        "wait FSeriesSelect\nclick FSeriesSelect.bt_Next\n"
        "wait FEULA\nclick FEULA.bt_Next\n"
        "wait FFinish\nuntick FFinish.ck_StartProgram\nclick FFinish.bt_Finish\n"
        "wait end 0\n");
    ASSERT_EQ(r.code, 0) << r.error;
    ASSERT_EQ(Value(kUninstallEntry, u"UninstallString"), u"\"" + kUninstaller + u"\" uninstall");
  }

  String Value(const String& key, const String& name, win::RootKey root = win::RootKey::LocalMachine) {
    win::Registry registry(win::kKeyRead);
    registry.SetRootKey(root);
    if (!registry.OpenKeyReadOnly(key)) return u"<no key>";
    return registry.ValueExists(name) ? registry.ReadString(name) : u"<no value>";
  }
  void SetValue(const String& key, const String& name, const String& value) {
    win::Registry registry;
    registry.SetRootKey(win::RootKey::LocalMachine);
    ASSERT_TRUE(registry.OpenKey(key, false));
    ASSERT_TRUE(registry.WriteString(name, value));
  }
  bool Exists(const String& path) { return Machine().Exists(path); }
  // Many small files in a folder, so that a copy or removal of it takes a
  // while; returns how many there are.
  int AddBulk(const String& folder, int count) {
    const std::string host = Machine().HostPath(folder);
    fs::create_directories(host);
    for (int i = 0; i < count; ++i) std::ofstream(host + "/part" + std::to_string(i) + ".dat") << i;
    sim::ForgetFolderListings();
    return count;
  }
  int CountFiles(const String& folder) {
    const std::string host = Machine().HostPath(folder);
    if (host.empty() || !fs::exists(host)) return 0;
    return static_cast<int>(std::distance(fs::directory_iterator(host), fs::directory_iterator()));
  }
  std::string ToolLog() { return Machine().ToolLog(); }

 private:
  const std::string tool_ = std::string(ZX_BINARY_DIR) + "/tools/winsim";
  std::unique_ptr<zxtest::TempMachine> machine_;
};

}  // namespace e2e
