// A small set-up package laid into a simulated machine, and the recorders the
// workers write to. Shared by the install and uninstall suites.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "app/app.h"
#include "app/worker_outputs.h"
#include "platform/ini.h"
#include "platform/process.h"
#include "platform/sim/machine.h"
#include "platform/sim/windows_table.h"
#include "platform/status.h"
#include "platform/strings.h"
#include "support/sim_machine.h"
#include "util/xfunctions.h"

namespace zxtest {

inline const String kPackage = u"C:\\Pkg\\";
inline const String kProgramFiles = u"C:\\Program Files (x86)";
inline const String kStartMenu = u"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs";
inline const String kDesktop = u"C:\\Users\\Public\\Desktop";

inline String W(const std::string& utf8) { return win::FromUtf8(utf8); }
inline std::string U(const String& text) { return win::ToUtf8(text); }

// The package's language texts. Status keys read "@<key>", so a test sees which
// key a status line came from; a German file marks its texts with "de-".
inline std::string LanguageFile(const std::string& mark, const std::string& product) {
  std::string text = "[InstallWizard]\r\nProductName=" + mark + product + " Mouse\r\n";
  for (const char* key : {"CopyFiles", "ChangeFolderCompetence", "WriteRegOnUninstallFolder",
                          "WriteRegOnBootName", "CreateLinks", "WriteRegOnPrivateFolder", "MSG_401"})
    text += std::string(key) + "=" + mark + "@" + key + "\r\n";
  text += "[UNINSTALL]\r\n"
          "LINK_PROGRAMS_PUBLISHER=Zorvex\r\n"
          "LINK_PROGRAMS_FOLDER=" + product + " Mouse\r\n"
          "LINK_PROGRAMS_EXEC=" + mark + product + "\r\n"
          "LINK_PROGRAMS_UNIST=" + mark + "Uninstall " + product + "\r\n"
          "LINK_PROGRAMS_MANUAL=" + mark + product + " Manual\r\n"
          "LINK_DESKTOP=" + mark + product + " Mouse\r\n"
          "DISPLAY_NAME=" + product + " Gaming Mouse\r\n"
          "PUBLISHER=Zorvex Peripherals\r\n"
          "URL=https://zorvex.example/support\r\n";
  return text;
}

// What a package holds. The Setup.ini keys can be changed or removed by name.
struct PackageSpec {
  PackageSpec() {
    setup = {{"%PROGRAM_FILES", "Zorvex7"},   {"%PROGRAM_EXEC", "Zorvex7.exe"},
             {"%PROGRAM_DATA", "Data\\"},     {"%UPDATE_TYPE", "ZorvexMouse"},
             {"%UPDATER", "1"},               {"%PROGRAM_VERSION", "19.02.0005"},
             {"%REG_FODLER_PROGNAME", "Zorvex3"}, {"%PUBLISHER", "Zorvex"},
             {"%PROGRAM_DEVICE", "Data\\Device\\"}, {"%PROGRAM_ONBOOT", "Zorvex7"},
             {"%PROGRAM_FORMCAPTION", "Zorvex7 Gaming Mouse"},
             {"%UNINST_ICO", "Icons\\uninst.ico"}, {"%MANUAL_EXIST", "1"},
             {"%MANUAL_DIR", "Manual\\"},     {"%MANUAL_ICO", "Icons\\manual.ico"}};
  }
  void Set(const std::string& key, const std::string& value) {
    for (auto& [k, v] : setup)
      if (k == key) {
        v = value;
        return;
      }
    setup.emplace_back(key, value);
  }
  void Remove(const std::string& key) {
    setup.erase(std::remove_if(setup.begin(), setup.end(), [&](auto& kv) { return kv.first == key; }),
                setup.end());
  }
  std::string Get(const std::string& key) const {
    for (auto& [k, v] : setup)
      if (k == key) return v;
    return std::string();
  }
  std::string Product() const { return Get("%PROGRAM_FILES"); }
  std::string Device() const { return Get("%PROGRAM_DEVICE"); }

  // Payload files below "program files\<product>\" (relative path, content).
  std::vector<std::pair<std::string, std::string>> ProgramFiles() const {
    std::vector<std::pair<std::string, std::string>> files = {
        {Product() + ".exe", "program " + Product() + " " + Get("%PROGRAM_VERSION")},
        {settingsFile, "[SYSTEM]\r\nLanguage=English\r\nSkin=Dark\r\n"},
        {"Manual\\English.pdf", "%PDF english"},
        {"Manual\\German.pdf", "%PDF german"},
        {"Icons\\uninst.ico", "icon"},
        {"Icons\\manual.ico", "icon"},
    };
    if (deviceFiles) {
      files.push_back({Device() + "Default.cfg", "package default"});
      files.push_back({Device() + "English\\Keys.cfg", "package keys"});
    }
    files.insert(files.end(), extraProgramFiles.begin(), extraProgramFiles.end());
    return files;
  }
  std::vector<std::pair<std::string, std::string>> UpdaterFiles() const {
    if (!updater) return {};
    return {{"ZorvexMouseUpdater.exe", "updater"},
            {"Updater.ini", "[UpgradeInfo]\r\n%LANGUAGE=English\r\n%PRODUCT=ZorvexMouse\r\n"}};
  }
  // Files beside Setup.exe (outside the payload).
  std::vector<std::pair<std::string, std::string>> SetupFiles() const {
    std::string ini = "[Setup]\r\n";
    for (auto& [k, v] : setup) ini += k + "=" + v + "\r\n";
    std::vector<std::pair<std::string, std::string>> files = {
        {"Setup.exe", "set-up program"},
        {"Setup.ini", ini},
        {"UI.txt", "[English]\r\n"},
        {"English\\Background.bmp", "BM"},
    };
    if (settings)
      files.push_back({"Settings.ini", "[SpecifyLang]\r\nLanguage=\r\n[UI]\r\nLogo=rectWH,96,10,86,66\r\n"
                                       "[Languages]\r\nEnglish=English\r\nGerman=Deutsch\r\n"});
    const std::string texts = languageIniBesideSetup
                                  ? "Texts\\LanguageIni\\"
                                  : "program files\\" + Product() + "\\" + Get("%PROGRAM_DATA") + "Texts\\Lang\\";
    files.push_back({texts + "English\\Install_English.ini", LanguageFile("", Product())});
    files.push_back({texts + "German\\Install_German.ini", LanguageFile("de-", Product())});
    return files;
  }

  std::vector<std::pair<std::string, std::string>> setup;
  std::string settingsFile = "ini\\AppConfig.ini";
  std::vector<std::pair<std::string, std::string>> extraProgramFiles;
  bool deviceFiles = true;  // the package brings a device data folder
  bool updater = true;
  bool settings = true;
  bool languageIniBesideSetup = true;
};

inline void WritePackage(const TempMachine& m, const PackageSpec& spec, const String& folder = kPackage) {
  for (auto& [path, bytes] : spec.SetupFiles()) m.WriteFile(folder + W(path), bytes);
  const String program = folder + u"program files\\" + W(spec.Product()) + u"\\";
  for (auto& [path, bytes] : spec.ProgramFiles()) m.WriteFile(program + W(path), bytes);
  for (auto& [path, bytes] : spec.UpdaterFiles()) m.WriteFile(folder + u"program files\\Updater\\" + W(path), bytes);
}

// Records what a worker writes to its label and bar, in order: "text:<caption>"
// and "bar:<position>". onText, when set, sees each caption on the worker's own
// thread, so a test can act at an exact point of a run.
class Recorder : public win::StatusLine, public win::ProgressIndicator {
 public:
  void SetStatusText(const String& text) override {
    events.push_back("text:" + U(text));
    if (onText) onText(text);
  }
  int Position() const override { return position; }
  void SetPosition(int value) override {
    position = value;
    events.push_back("bar:" + std::to_string(value));
  }
  // The status texts only, or those starting with "@" (the stage keys).
  std::vector<std::string> Texts(bool keysOnly = false) const {
    std::vector<std::string> texts;
    for (const std::string& e : events)
      if (e.rfind("text:", 0) == 0 && (!keysOnly || e.rfind("text:@", 0) == 0)) texts.push_back(e.substr(5));
    return texts;
  }
  std::vector<int> Bars() const {
    std::vector<int> bars;
    for (const std::string& e : events)
      if (e.rfind("bar:", 0) == 0) bars.push_back(std::stoi(e.substr(4)));
    return bars;
  }
  std::vector<std::string> events;
  int position = 0;
  std::function<void(const String&)> onText;
};

// The screen side of a worker: the recorder, the message boxes shown, the
// requests to end the program and a published window for the completion.
struct ScreenSide {
  ScreenSide() {
    sim::TakePostedMessages();  // nothing left over from an earlier machine
    window = sim::PublishWindow(u"FProgress");
  }
  ~ScreenSide() { sim::UnpublishWindow(window); }
  WorkerOutputs Outputs() {
    WorkerOutputs out;
    out.status = &recorder;
    out.bar = &recorder;
    out.window = window;
    out.showMessage = [this](const String& text) {
      messages.push_back(text);
      recorder.events.push_back("message:" + U(text));
    };
    out.terminateApplication = [this] {
      ++terminations;
      recorder.events.push_back("terminate");
    };
    return out;
  }
  // How many times `name` was posted to the window since the last call.
  int Posted(const String& name) const {
    const uint32_t number = win::RegisterWindowMessage(name);
    int count = 0;
    for (const sim::PostedMessage& m : sim::TakePostedMessages())
      if (m.window == window && m.message == number && m.wParam == 0 && m.lParam == 0) ++count;
    return count;
  }
  Recorder recorder;
  std::vector<String> messages;
  int terminations = 0;
  win::WindowHandle window = 0;
};

// The "run ..." lines of the machine's tool log, in order.
inline std::vector<std::string> RunLines(const TempMachine& m) {
  std::vector<std::string> lines;
  const std::string log = m.ToolLog();
  size_t pos = 0;
  while (pos < log.size()) {
    size_t end = log.find('\n', pos);
    if (end == std::string::npos) end = log.size();
    const std::string line = log.substr(pos, end - pos);
    if (line.rfind("run ", 0) == 0) lines.push_back(line.substr(4));
    pos = end + 1;
  }
  return lines;
}

// Every file and folder of drive C: as a Windows path, folders ending in "\".
inline std::set<std::string> DriveEntries(const TempMachine& m) {
  namespace fs = std::filesystem;
  std::set<std::string> entries;
  const fs::path root = fs::path(m.Dir()) / "drive_c";
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(root, ec); it != fs::recursive_directory_iterator();
       it.increment(ec)) {
    const std::string relative = fs::relative(it->path(), root).string();
    std::string windows = "C:\\" + relative;
    std::replace(windows.begin(), windows.end(), '/', '\\');
    if (it->is_directory() && !it->is_symlink()) windows += "\\";
    entries.insert(windows);
  }
  return entries;
}

// The registry of the machine as lines of its .reg text ("[key]" and values).
inline std::set<std::string> RegistryLines(const TempMachine& m) {
  std::set<std::string> lines;
  std::ifstream in(m.Dir() + "/registry.reg", std::ios::binary);
  std::string raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  String text;
  for (size_t i = (raw.size() >= 2 ? 2 : 0); i + 1 < raw.size(); i += 2)
    text += static_cast<char16_t>(static_cast<unsigned char>(raw[i]) | (static_cast<unsigned char>(raw[i + 1]) << 8));
  for (const String& line : win::SplitLines(text)) {
    const std::string l = U(line);
    if (!l.empty()) lines.insert(l);
  }
  return lines;
}

// What is in `after` but not in `before`, and the other way round.
inline std::vector<std::string> Added(const std::set<std::string>& before, const std::set<std::string>& after) {
  std::vector<std::string> out;
  std::set_difference(after.begin(), after.end(), before.begin(), before.end(), std::back_inserter(out));
  return out;
}

}  // namespace zxtest

#include "install/installthread.h"
#include "text/cmnsubroutines.h"

namespace zxtest {

// A machine with a package in C:\Pkg\, and install runs of it.
struct InstallRig {
  explicit InstallRig(PackageSpec packageSpec = PackageSpec(), const std::vector<std::string>& machine = {})
      : m(machine), spec(std::move(packageSpec)) {
    WritePackage(m, spec);
    sim::SetExecutablePath(kPackage + u"Setup.exe");
  }
  // Builds the application object as a fresh program start would.
  TApp& NewApp() {
    app.reset();
    app = std::make_unique<TApp>();
    return *app;
  }
  // One install run on this thread, as the progress screen would start it
  // after the user chose `language`.
  void Install(const String& language = u"English", int32_t runState = kRunStateFreshInstall) {
    TApp& a = NewApp();
    if (language != a.languageName) {
      // As the welcome screen does when the user picks another language.
      a.languageId = LanguageIdFromName(language);
      a.LoadLanguage(a.TextsFolder(), a.languageId, u"Install", u"");
    }
    a.languageName = language;
    a.RunState = runState;
    TInstallThread worker(screen.Outputs());
    worker.Run();
  }
  String ProgramFolder() const { return kProgramFiles + u"\\" + W(spec.Product()) + u"\\" + W(spec.Product()); }
  String DeviceFolder() const { return ProgramFolder() + u"\\" + W(spec.Device()); }
  String Templates() const { return u"C:\\ProgramData\\" + W(spec.Product()) + u"\\Templates\\"; }

  TempMachine m;
  PackageSpec spec;
  std::unique_ptr<TApp> app;
  ScreenSide screen;
};

}  // namespace zxtest
