// A small package on a fresh simulated machine, and the set-up program's
// screens run in this process on a thread of their own, driven as a person
// would drive them.
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/app.h"
#include "startup/entry.h"
#include "platform/registry.h"
#include "platform/sim/machine.h"
#include "platform/sim/ui_driver.h"
#include "support/sim_machine.h"
#include "ui/ui_fixture.h"

namespace screentest {

inline const String kPackage = u"C:\\Pkg\\";
inline const String kUninstallRoot = u"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

// UTF-8 with a byte-order mark, lines joined with CR LF.
inline std::string IniText(const std::vector<std::string>& lines) {
  std::string text = "\xEF\xBB\xBF";
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

inline void WriteValue(win::RootKey root, const String& key, const String& name, const String& value) {
  win::Registry registry;
  registry.SetRootKey(root);
  ASSERT_TRUE(registry.OpenKey(key, true)) << win::ToUtf8(key);
  ASSERT_TRUE(registry.WriteString(name, value));
}

inline String ReadValue(win::RootKey root, const String& key, const String& name) {
  win::Registry registry(win::kKeyRead);
  registry.SetRootKey(root);
  if (!registry.OpenKeyReadOnly(key)) return u"<no key>";
  return registry.ValueExists(name) ? registry.ReadString(name) : u"<no value>";
}

inline bool KeyExists(const String& key) {
  win::Registry registry(win::kKeyRead);
  registry.SetRootKey(win::RootKey::LocalMachine);
  return registry.KeyExists(key);
}

// A package at C:\Pkg\ whose Setup.exe is this process.
class MiniPackage {
 public:
  explicit MiniPackage(const std::vector<std::string>& machineOverrides = {}) : machine(machineOverrides) {
    sim::SetExecutablePath(kPackage + u"Setup.exe");
    machine.WriteFile(kPackage + u"Setup.exe", "this program");
  }

  void Write(const String& relative, const std::string& bytes) const { machine.WriteFile(kPackage + relative, bytes); }
  void SetupIni(const std::vector<std::string>& lines) const {
    std::vector<std::string> all{"[Setup]"};
    all.insert(all.end(), lines.begin(), lines.end());
    Write(u"Setup.ini", IniText(all));
  }
  void SettingsIni(const std::vector<std::string>& lines) const { Write(u"Settings.ini", IniText(lines)); }
  // The language file of a language: its product name and welcome heading
  // carry the language's name, so a test sees which file was loaded.
  void Language(const std::string& name, const std::vector<std::string>& extra = {}) const {
    std::vector<std::string> lines{"[InstallWizard]", "ProductName=Product " + name,
                                   "FWelcome->lb_Welcome->Caption=Welcome (" + name + ") to %P",
                                   "MSG_101=No package", "MSG_102=Newer installed", "MSG_201=Not installed",
                                   "MSG_501=Older installed", "MSG_502=Still there", "MSG_503=Same installed"};
    lines.insert(lines.end(), extra.begin(), extra.end());
    Write(u"Texts\\LanguageIni\\" + win::FromUtf8(name) + u"\\Install_" + win::FromUtf8(name) + u".ini",
          IniText(lines));
  }

  // The records an install leaves: the product record and the entry in the
  // list of installed programs.
  void InstalledCopy(const String& publisher, const String& registryName, const String& version,
                     const String& uninstallString) const {
    const String product = u"Software\\" + publisher + u"\\" + registryName;
    WriteValue(win::RootKey::LocalMachine, product, u"UninstRegFolder", registryName);
    WriteValue(win::RootKey::LocalMachine, kUninstallRoot + registryName, u"DisplayVersion", version);
    if (!uninstallString.empty())
      WriteValue(win::RootKey::LocalMachine, kUninstallRoot + registryName, u"UninstallString", uninstallString);
  }

  zxtest::TempMachine machine;
};

// The wizard of one run, on its own user-interface thread. Message boxes are
// answered with OK without showing a screen, and recorded.
class WizardRun {
 public:
  explicit WizardRun(const StringList& arguments = {}) {
    sim::SetCommandLineArguments(arguments);
    sim::SetMessageBoxAnswer([this](const sim::MessageBoxInfo& box) {
      std::lock_guard<std::mutex> lock(mutex_);
      boxes_.push_back(box);
      return boxAnswer;
    });
    app = std::make_unique<TApp>();
    ui = std::make_unique<uitest::UiThread>([] { CreateSetupScreens(win::GetApplication()); });
    driver = std::make_unique<sim::UiDriver>(win::GetApplication());
  }
  ~WizardRun() {
    driver.reset();
    ui.reset();
    app.reset();
    sim::SetMessageBoxAnswer({});
  }

  std::vector<sim::MessageBoxInfo> Boxes() {
    std::lock_guard<std::mutex> lock(mutex_);
    return boxes_;
  }
  // Runs a function on the user-interface thread and waits for its result.
  template <class F>
  auto Call(F f) {
    return ui->Call(std::move(f));
  }
  bool Ended() { return win::GetApplication().Terminated(); }

  int boxAnswer = win::kIdOk;
  std::unique_ptr<TApp> app;
  std::unique_ptr<uitest::UiThread> ui;
  std::unique_ptr<sim::UiDriver> driver;

 private:
  std::mutex mutex_;
  std::vector<sim::MessageBoxInfo> boxes_;
};

// Twelve languages, more than the welcome list's ten rows.
inline const std::vector<std::string> kTwelve{"English",  "German", "French",  "Russian", "ChineseT", "ChineseS",
                                              "Japanese", "Korean", "Spanish", "Italian", "Dutch",    "Polish"};

// A package offering `languages` (a folder and a "Languages" line each, the
// display text being the name in capitals), started in `current`; `settings`
// are further Settings.ini lines before the language list.
inline void Offer(const MiniPackage& p, const std::vector<std::string>& languages, const std::string& current,
                  const std::vector<std::string>& extraSetup = {}, const std::vector<std::string>& settings = {}) {
  std::vector<std::string> setup{"%PROGRAM_FILES=Zorvex7", "%REG_FODLER_PROGNAME=Zorvex3", "%PUBLISHER=Zorvex"};
  setup.insert(setup.end(), extraSetup.begin(), extraSetup.end());
  p.SetupIni(setup);
  std::vector<std::string> lines{"[SpecifyLang]", "Language=" + current};
  lines.insert(lines.end(), settings.begin(), settings.end());
  lines.push_back("[Languages]");
  for (const std::string& name : languages) {
    p.Language(name);
    std::string display = name;
    for (char& c : display) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    lines.push_back(name + "=" + display);
  }
  p.SettingsIni(lines);
}

}  // namespace screentest
