// The table of text keys and skin pictures (text/text_keys.def) against what
// the program really asks of a package: every screen of the sample package in
// every language it offers, with real install and uninstall runs, as winsim's
// preview drives them, and here the start-up's questions and error boxes and
// an install whose copy fails. A key or picture asked for that the table
// lacks, or an entry nothing asks for, fails the test.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>

#include "startup/prepareform.h"
#include "e2e/e2e_fixture.h"
#include "install/package_fixture.h"
#include "platform/files.h"
#include "platform/sim/file_hooks.h"
#include "screens_fixture.h"
#include "text/lookup_record.h"
#include "text/text_keys.h"

namespace {

namespace fs = std::filesystem;
using screentest::MiniPackage;
using screentest::WizardRun;

std::string U8(const String& text) { return win::ToUtf8(text); }

// What winsim's preview of the sample package recorded; adds a failure and
// records nothing when the preview could not run.
void RecordPreview(lookup_record::Recorded& into) {
  const std::string package = std::string(ZX_BINARY_DIR) + "/packages/ZorvexDemo";
  ASSERT_TRUE(fs::is_regular_file(package + "/Setup.ini")) << "build the sample package (zorvex_demo_package)";
  // A throwaway machine's folder holds the pictures and the record.
  zxtest::TempMachine scratch;
  const std::string lookups = scratch.Dir() + "/lookups.txt";
  const std::string command = e2e::ShellQuote(std::string(ZX_BINARY_DIR) + "/tools/winsim") + " preview " +
                              e2e::ShellQuote(package) + " " + e2e::ShellQuote(scratch.Dir() + "/shots") +
                              " --lookups " + e2e::ShellQuote(lookups) + " >" +
                              e2e::ShellQuote(scratch.Dir() + "/out.txt") + " 2>&1";
  const int status = system(command.c_str());
  // 3: something on a screen is marked, which the package check reports.
  ASSERT_TRUE(WIFEXITED(status) && (WEXITSTATUS(status) == 0 || WEXITSTATUS(status) == 3))
      << command << "\n" << e2e::Slurp(scratch.Dir() + "/out.txt");
  std::ifstream in(lookups);
  ASSERT_TRUE(in) << "the preview wrote no " << lookups;
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string kind, first, second;
    std::getline(fields, kind, '\t');
    std::getline(fields, first, '\t');
    std::getline(fields, second, '\t');
    if (kind == "text") into.texts.emplace(win::FromUtf8(first), win::FromUtf8(second));
    else if (kind == "picture") into.pictures.insert(win::FromUtf8(first));
    else ADD_FAILURE() << "unknown line in the record: " << line;
  }
}

void Merge(lookup_record::Recorded& into, const lookup_record::Recorded& from) {
  into.texts.insert(from.texts.begin(), from.texts.end());
  into.pictures.insert(from.pictures.begin(), from.pictures.end());
}

// The paths the preview does not take: each start-up error and question, a
// product with a picture of its own, a language chosen on the welcome screen,
// and an install whose copy fails.
void RunTheOtherPaths() {
  const std::vector<std::string> setup{"%PROGRAM_FILES=Zorvex7", "%PROGRAM_VERSION=18.12.0006",
                                       "%REG_FODLER_PROGNAME=Zorvex3", "%PUBLISHER=Zorvex"};
  {
    SCOPED_TRACE("no administrator rights");
    MiniPackage p({"admin=0"});
    p.SetupIni(setup);
    p.Language("English");
    sim::SetMessageBoxAnswer([](const sim::MessageBoxInfo&) { return win::kIdOk; });
    win::ResetApplication();
    {
      TApp app;
      RunSetup();
    }
    sim::SetMessageBoxAnswer({});
    win::ResetApplication();
  }
  struct StartUp {
    const char* name;
    bool setupIni;
    StringList arguments;
    const char16_t* installed;  // the installed copy's version; "": none
    bool uninstallerLeavesIt;   // its uninstaller runs and leaves its entry
    const char* answer;         // the question box's button; null: no question
  } startUps[] = {
      {"unusable package", false, {}, u"", false, nullptr},
      {"nothing to uninstall", true, {u"uninstall"}, u"", false, nullptr},
      {"newer copy installed", true, {}, u"19.01.0001", false, nullptr},
      {"same copy installed", true, {}, u"18.12.0006", false, "bt_Cancel"},
      {"older copy installed whose uninstaller leaves it", true, {}, u"18.12.0005", true, "bt_OK"},
  };
  for (const StartUp& c : startUps) {
    SCOPED_TRACE(c.name);
    MiniPackage p;
    if (c.setupIni) p.SetupIni(setup);
    p.Language("English");
    String uninstaller = u"C:\\Old\\Setup.exe";
    if (c.uninstallerLeavesIt) {
      uninstaller = u"C:\\ProgramData\\Zorvex7\\bin\\uninst\\Setup.exe";
      p.machine.MakeFolder(win::ExtractFileDir(uninstaller));
      fs::copy_file(std::string(ZX_TEST_PROGRAMS_DIR) + "/old_uninstaller", p.machine.HostPath(uninstaller));
    }
    if (*c.installed) p.InstalledCopy(u"Zorvex", u"Zorvex3", c.installed, u"\"" + uninstaller + u"\" uninstall");
    WizardRun run(c.arguments);
    if (c.answer) {
      EXPECT_EQ(run.driver->WaitForm("FAsk"), "");
      EXPECT_EQ(run.driver->Click("FAsk", c.answer), "");
    }
    EXPECT_EQ(run.driver->WaitEnd(), "");
  }
  {
    SCOPED_TRACE("the sound product");
    MiniPackage p;
    p.SetupIni({"%PROGRAM_FILES=Zorvex7", "%REG_FODLER_PROGNAME=ZorvexTonalix", "%PUBLISHER=Zorvex"});
    p.Language("English");
    WizardRun run;
    EXPECT_EQ(run.driver->WaitForm("FWelcome"), "");
    // The controller takes its dialog picture when it is activated, which the
    // simulated machine never does to a form that stays hidden; its handler
    // runs here as an activation would run it.
    run.Call([] { FPrepare->OnActivate(FPrepare); });
  }
  {
    SCOPED_TRACE("another language chosen on the welcome screen");
    MiniPackage p;
    screentest::Offer(p, {"English", "German"}, "English");
    WizardRun run;
    EXPECT_EQ(run.driver->WaitForm("FWelcome"), "");
    EXPECT_EQ(run.driver->Click("FWelcome", "lb_Languages1"), "");
    EXPECT_EQ(run.driver->Expect("FWelcome", "lb_Welcome", "caption", "Welcome (German) to Product German"), "");
  }
  {
    SCOPED_TRACE("a program file that cannot be replaced");
    zxtest::PackageSpec spec;
    spec.extraProgramFiles.push_back({"lib0.dll", "new"});
    zxtest::InstallRig rig(spec);
    const String locked = rig.ProgramFolder() + u"\\lib0.dll";
    rig.m.WriteFile(locked, "old");
    ASSERT_TRUE(sim::SetFileLocked(locked, true));
    rig.Install();
    EXPECT_EQ(rig.screen.messages.size(), 1u);
  }
}

// Whether name is prefix + a part + suffix (the part may be empty: a series
// without a code asks for "Series\.bmp").
bool InSet(const TextKeyEntry& set, const String& name) {
  const String prefix = set.key, suffix = set.suffix;
  return name.size() >= prefix.size() + suffix.size() && name.compare(0, prefix.size(), prefix) == 0 &&
         name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
}

TEST(TextKeys, TheProgramAsksForExactlyWhatTheTableNames) {
  lookup_record::Recorded asked;
  RecordPreview(asked);
  lookup_record::Start();
  RunTheOtherPaths();
  Merge(asked, lookup_record::Stop());
  ASSERT_FALSE(HasFatalFailure());

  std::set<std::pair<String, String>> tableTexts;
  std::set<String> tablePictures;
  std::vector<const TextKeyEntry*> sets;
  for (const TextKeyEntry& entry : kTextKeyTable) {
    switch (entry.kind) {
      case TextKeyEntry::Kind::kText:
      case TextKeyEntry::Kind::kTextNotShown: tableTexts.emplace(entry.section, entry.key); break;
      case TextKeyEntry::Kind::kPicture: tablePictures.insert(entry.key); break;
      case TextKeyEntry::Kind::kPictureSet: sets.push_back(&entry); break;
    }
  }

  for (const auto& [section, key] : asked.texts)
    EXPECT_TRUE(tableTexts.count({section, key})) << "looked up but not in the table: [" << U8(section) << "] "
                                                  << U8(key);
  for (const auto& [section, key] : tableTexts)
    EXPECT_TRUE(asked.texts.count({section, key})) << "in the table but never looked up: [" << U8(section) << "] "
                                                   << U8(key);
  std::map<const TextKeyEntry*, int> setMembers;
  for (const String& name : asked.pictures) {
    if (tablePictures.count(name)) continue;
    const auto set = std::find_if(sets.begin(), sets.end(), [&](const TextKeyEntry* s) { return InSet(*s, name); });
    if (set != sets.end()) ++setMembers[*set];
    else ADD_FAILURE() << "picture asked for but not in the table: " << U8(name);
  }
  for (const String& name : tablePictures)
    EXPECT_TRUE(asked.pictures.count(name)) << "picture in the table but never asked for: " << U8(name);
  for (const TextKeyEntry* set : sets)
    EXPECT_GT(setMembers[set], 0) << "no picture of the set " << U8(set->key) << "..." << U8(set->suffix)
                                  << " was asked for";
}

}  // namespace
