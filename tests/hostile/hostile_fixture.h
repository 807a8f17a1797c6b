// Hostile machines: the sample package installed (or uninstalled) by the real
// Setup on a machine that works against it. Every case ends with the same
// check: nothing outside the product's own folders and keys changed, and
// nothing went missing there.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "../e2e/e2e_fixture.h"
#include "platform/ui_state.h"
#include "support/machine_snapshot.h"

namespace hostile {

namespace fs = std::filesystem;
using e2e::RunResult;

inline const String kProgramRoot = u"C:\\Program Files (x86)\\Zorvex7\\";
inline const String kDataFolder = u"C:\\ProgramData\\Zorvex7\\";
inline const String kTemplates = kDataFolder + u"Templates\\";
inline const String kDevice = u"Data\\Device\\";
inline const String kUninstallEntryKey =
    u"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Zorvex3";

// Where the sample package's product may write.
inline const std::vector<std::string> kProductPlaces = {
    "C:\\Program Files (x86)\\Zorvex7\\",
    "C:\\ProgramData\\Zorvex7\\",
    "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Zorvex\\",
    "C:\\Users\\Public\\Desktop\\Zorvex7 Gaming Mouse.lnk",
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\Zorvex\\",
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Zorvex3\\",
    "HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run\\|Zorvex7",
    // The log a silent run keeps in the temporary folder.
    "C:\\Users\\Player\\AppData\\Local\\Temp\\Zorvex7 Gaming Mouse Setup ",
};

// The steps of an install through the screens in English with every
// screen's default; `boxes` message boxes are answered with OK after the
// licence, and the finish screen is passed when the run reaches it.
inline std::string WizardSteps(int boxes, bool finishes) {
  std::string script =
      "wait FWelcome\nclick FWelcome.bt_Next\n"
      "wait FSeriesSelect\nclick FSeriesSelect.bt_Next\n"
      "wait FEULA\nclick FEULA.bt_Next\n";
  for (int i = 0; i < boxes; ++i) script += "wait MessageBox\nclick MessageBox.OK\n";
  if (finishes) script += "wait FFinish\nuntick FFinish.ck_StartProgram\nclick FFinish.bt_Finish\n";
  return script + "wait end 0\n";
}
inline std::string InstallScript(int boxes, bool finishes) { return "timeout 60\n" + WizardSteps(boxes, finishes); }

// A text as the machine's log writes it.
inline std::string Logged(const String& text) { return win::EscapeField(win::ToUtf8(text)); }

class HostileMachine : public e2e::EndToEnd {
 public:
  // For the cases of a table, which arrange their machines.
  using e2e::EndToEnd::Exists;
  using e2e::EndToEnd::Machine;

 public:
  String Setup() const { return package_ + u"Setup.exe"; }
  String Package() const { return package_; }
  // Bytes of a file on the machine, "<missing>" when it is not there.
  std::string Bytes(const String& path) { return Exists(path) ? Machine().ReadFile(path) : "<missing>"; }

 protected:
  std::vector<std::string> MachineSettings() const override { return settings_; }
  String PackageFolder() const override { return package_; }

  // A fresh machine with these settings and the package in this folder.
  void Prepare(std::vector<std::string> settings = {}, const String& package = e2e::kPackage) {
    settings_ = std::move(settings);
    package_ = package;
    StartAgain();
  }

  void Snapshot() { before_ = zxtest::TakeSnapshot(Machine()); }
  // What changed outside the product's places since Snapshot(), and what
  // went missing inside them from `kept` (Windows paths that must still hold
  // the same bytes).
  std::vector<std::string> Damage(const std::vector<std::string>& more = {}) {
    std::vector<std::string> allowed = kProductPlaces;
    allowed.insert(allowed.end(), more.begin(), more.end());
    return zxtest::ChangesOutside(before_, zxtest::TakeSnapshot(Machine()), allowed);
  }

  // The message boxes the run showed, as the machine's log has them: "caption:
  // text", with line breaks as "\r\n" and backslashes doubled (Logged()).
  std::vector<std::string> MessageBoxes() {
    std::vector<std::string> boxes;
    std::istringstream log(ToolLog());
    std::string line;
    while (std::getline(log, line)) {
      if (line.rfind("messagebox ", 0) != 0) continue;
      // "messagebox ICON OWNER caption: text"
      const size_t owner = line.find(' ', 11);
      boxes.push_back(line.substr(line.find(' ', owner + 1) + 1));
    }
    return boxes;
  }


 private:
  std::vector<std::string> settings_;
  String package_ = e2e::kPackage;
  zxtest::MachineSnapshot before_;
};

}  // namespace hostile
