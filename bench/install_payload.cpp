// Install and uninstall of a large payload on the simulated machine, as time
// per file next to `cp -r` and `rm -rf` of the same tree in the same run.
//
//   install_payload [--files N] [--runs R]     (defaults: 20,000 files, 3 runs)
//
// Each run installs the package with the whole worker (every stage, status
// line and bar attached) and then uninstalls it with the user data deleted;
// the best run counts. The machine lives in a temporary folder that is removed
// at the end (ZX_KEEP_MACHINES=1 keeps it).
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/app.h"
#include "install/installthread.h"
#include "platform/sim/machine.h"
#include "platform/status.h"
#include "app/uninstall_record.h"
#include "uninstall/uninstallthread.h"

namespace fs = std::filesystem;

namespace {

class Progress : public win::StatusLine, public win::ProgressIndicator {
 public:
  void SetStatusText(const String& text) override { last = text; }
  int Position() const override { return position; }
  void SetPosition(int value) override { position = value; }
  String last;
  int position = 0;
};

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point from) {
  return std::chrono::duration<double>(Clock::now() - from).count();
}

void Write(const fs::path& path, const std::string& text) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

double Shell(const std::string& command) {
  const auto start = Clock::now();
  if (std::system(command.c_str()) != 0) std::fprintf(stderr, "failed: %s\n", command.c_str());
  return Seconds(start);
}

}  // namespace

int main(int argc, char** argv) {
  int files = 20000;
  int runs = 3;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--files") == 0) files = std::atoi(argv[i + 1]);
    if (std::strcmp(argv[i], "--runs") == 0) runs = std::atoi(argv[i + 1]);
  }

  char pattern[] = "/tmp/zx-bench-install-XXXXXX";
  if (mkdtemp(pattern) == nullptr) return 1;
  const std::string root = pattern;
  const std::string machine = root + "/machine";
  std::string error;
  if (!sim::CreateMachine(machine, {}, error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  sim::UseMachine(machine);

  // The package: settings, language files and a payload of `files` files in
  // folders of 100.
  const fs::path package = fs::path(machine) / "drive_c" / "Pkg";
  Write(package / "Setup.exe", "set-up program");
  Write(package / "Setup.ini",
        "[Setup]\r\n%PROGRAM_FILES=Zorvex7\r\n%PROGRAM_EXEC=Zorvex7.exe\r\n%UPDATE_TYPE=ZorvexMouse\r\n"
        "%PROGRAM_VERSION=19.02.0005\r\n%REG_FODLER_PROGNAME=Zorvex3\r\n%PUBLISHER=Zorvex\r\n"
        "%PROGRAM_DEVICE=Data\\Device\\\r\n%PROGRAM_ONBOOT=Zorvex7\r\n%MANUAL_EXIST=0\r\n");
  Write(package / "Settings.ini", "[SpecifyLang]\r\nLanguage=\r\n");
  Write(package / "Texts" / "LanguageIni" / "English" / "Install_English.ini",
        "[InstallWizard]\r\nProductName=Zorvex7\r\n[UNINSTALL]\r\nLINK_PROGRAMS_PUBLISHER=Zorvex\r\n"
        "LINK_PROGRAMS_FOLDER=Zorvex7\r\nLINK_PROGRAMS_EXEC=Zorvex7\r\nLINK_PROGRAMS_UNIST=Uninstall\r\n"
        "LINK_DESKTOP=Zorvex7\r\n");
  const fs::path payload = package / "program files" / "Zorvex7";
  const std::string content(200, 'z');
  for (int i = 0; i < files; ++i)
    Write(payload / ("folder" + std::to_string(i / 100)) / ("file" + std::to_string(i) + ".dat"), content);
  sim::SetExecutablePath(u"C:\\Pkg\\Setup.exe");

  double bestInstall = 1e9, bestUninstall = 1e9, bestCopy = 1e9, bestRemove = 1e9;
  for (int run = 0; run < runs; ++run) {
    Progress progress;
    WorkerOutputs out;
    out.status = &progress;
    out.bar = &progress;
    {
      TApp app;
      app.RunState = kRunStateFreshInstall;
      const auto start = Clock::now();
      TInstallThread(out).Run();
      bestInstall = std::min(bestInstall, Seconds(start));
    }
    {
      TApp app;
      app.deleteUserData = true;
      UninstallRecord record;
      // The install above wrote the record; one that cannot be read leaves
      // nothing to remove, which the time shows.
      (void)ReadUninstallRecord(app.ProductKey(), record);
      const auto start = Clock::now();
      TUninstallThread(out, record).Run();
      bestUninstall = std::min(bestUninstall, Seconds(start));
    }
    const std::string copy = root + "/copy";
    bestCopy = std::min(bestCopy, Shell("cp -r '" + payload.string() + "' '" + copy + "'"));
    bestRemove = std::min(bestRemove, Shell("rm -rf '" + copy + "'"));
  }

  const double perFile = 1e6 / files;
  std::printf("payload of %d files, best of %d runs\n", files, runs);
  std::printf("  install (whole worker)   %8.3f s   %7.1f us/file   %5.1f x cp -r\n", bestInstall,
              bestInstall * perFile, bestInstall / bestCopy);
  std::printf("  cp -r                    %8.3f s   %7.1f us/file\n", bestCopy, bestCopy * perFile);
  std::printf("  uninstall (whole worker) %8.3f s   %7.1f us/file   %5.1f x rm -rf\n", bestUninstall,
              bestUninstall * perFile, bestUninstall / bestRemove);
  std::printf("  rm -rf                   %8.3f s   %7.1f us/file\n", bestRemove, bestRemove * perFile);

  sim::UseMachine(std::string());
  if (!std::getenv("ZX_KEEP_MACHINES")) fs::remove_all(root);
  return 0;
}
