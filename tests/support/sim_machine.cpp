#include "support/sim_machine.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/sim/machine.h"
#include "platform/sim/machine_internal.h"

namespace zxtest {

namespace fs = std::filesystem;

TempMachine::TempMachine(const std::vector<std::string>& overrides) {
  const char* tmp = getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/zxmachine-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) {
    ADD_FAILURE() << "cannot create a temporary folder";
    return;
  }
  dir_ = pattern;
  std::string error;
  if (!sim::CreateMachine(dir_, overrides, error)) {
    ADD_FAILURE() << "cannot create a machine: " << error;
    return;
  }
  sim::UseMachine(dir_);
  sim::SetExecutablePath(String());
  sim::SetCommandLineArguments({});
}

TempMachine::~TempMachine() {
  sim::UseMachine(std::string());
  sim::SetExecutablePath(String());
  sim::SetCommandLineArguments({});
  const char* keep = getenv("ZX_KEEP_MACHINES");
  if (dir_.empty()) return;
  if (keep && *keep && std::string(keep) != "0") {
    fprintf(stderr, "kept machine %s\n", dir_.c_str());
    return;
  }
  std::error_code ec;
  fs::remove_all(dir_, ec);
}

std::string TempMachine::HostPath(const String& windowsPath) const {
  std::string host;
  uint32_t error = 0;
  if (!sim::CurrentMachine().HostPath(windowsPath, host, error)) return std::string();
  return host;
}

void TempMachine::MakeFolder(const String& windowsPath) const {
  std::string host = HostPath(windowsPath);
  ASSERT_FALSE(host.empty()) << win::ToUtf8(windowsPath);
  std::error_code ec;
  fs::create_directories(host, ec);
  sim::ForgetFolderListings();  // written behind the machine's back
  ASSERT_FALSE(ec) << host << ": " << ec.message();
}

void TempMachine::WriteFile(const String& windowsPath, const std::string& bytes) const {
  MakeFolder(win::ExtractFileDir(windowsPath));
  std::string host = HostPath(windowsPath);
  ASSERT_FALSE(host.empty()) << win::ToUtf8(windowsPath);
  std::ofstream out(host, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  sim::ForgetFolderListings();
  ASSERT_TRUE(static_cast<bool>(out)) << host;
}

std::string TempMachine::ReadFile(const String& windowsPath) const {
  std::string host = HostPath(windowsPath);
  std::ifstream in(host, std::ios::binary);
  std::ostringstream all;
  all << in.rdbuf();
  return all.str();
}

bool TempMachine::Exists(const String& windowsPath) const {
  std::string host = HostPath(windowsPath);
  struct stat st;
  return !host.empty() && lstat(host.c_str(), &st) == 0;
}

std::string TempMachine::ToolLog() const {
  std::ifstream in(dir_ + "/tools.log", std::ios::binary);
  std::ostringstream all;
  all << in.rdbuf();
  return all.str();
}

RunAsUser::RunAsUser(const String& name) {
  EXPECT_TRUE(sim::CreateUserProfile(name)) << win::ToUtf8(name);
  if (const char* before = getenv(sim::kRunAsVariable)) {
    previous_ = before;
    hadPrevious_ = true;
  }
  setenv(sim::kRunAsVariable, win::ToUtf8(name).c_str(), 1);
  sim::ReloadMachine();
}

RunAsUser::~RunAsUser() {
  if (hadPrevious_) setenv(sim::kRunAsVariable, previous_.c_str(), 1);
  else unsetenv(sim::kRunAsVariable);
  sim::ReloadMachine();
}

}  // namespace zxtest
