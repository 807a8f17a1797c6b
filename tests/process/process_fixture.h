// Shared pieces of the process tests: the helper program copied into a
// machine under a chosen name, and waiting with a deadline.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>

#include "platform/strings.h"
#include "support/sim_machine.h"

namespace zxtest {

// Copies tests/programs/proc_helper into the machine as windowsPath (a real
// copy: the program finds its machine from where it lies).
inline void InstallHelper(const TempMachine& machine, const String& windowsPath) {
  machine.MakeFolder(win::ExtractFileDir(windowsPath));
  std::string host = machine.HostPath(windowsPath);
  ASSERT_FALSE(host.empty());
  std::error_code ec;
  std::filesystem::copy_file(std::string(ZX_TEST_PROGRAMS_DIR) + "/proc_helper", host,
                             std::filesystem::copy_options::overwrite_existing, ec);
  ASSERT_FALSE(ec) << "copy proc_helper: " << ec.message();
}

// Polls until `done` holds or the deadline passes; true when it held.
inline bool WaitUntil(const std::function<bool()>& done, int milliseconds = 10000) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  while (std::chrono::steady_clock::now() < deadline) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return done();
}

}  // namespace zxtest
