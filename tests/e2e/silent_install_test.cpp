// Installs for deployment tools: "silentinstall" with no window at all, the
// exit codes of the silent modes, the run's log, and the values of the
// Add/Remove Programs entry that those tools read.
#include <map>

#include "e2e_fixture.h"
#include "platform/sim/registry_store.h"
#include "process/process_fixture.h"

namespace e2e {
namespace {

const String kLog = u"C:\\Logs\\setup.log";
const String kTemp = u"C:\\Users\\Player\\AppData\\Local\\Temp\\";
const String kWizardLanguage = u"German";

// What an install leaves on the machine: every file outside the package's
// Downloads folder and the temporary folder (relative path and bytes), and the
// registry's export text.
struct MachineState {
  std::map<std::string, std::string> files;
  std::string registry;
};

MachineState ReadState(zxtest::TempMachine& machine) {
  MachineState state;
  const fs::path drive = machine.HostPath(u"C:\\");
  for (const auto& entry : fs::recursive_directory_iterator(drive)) {
    const std::string relative = fs::relative(entry.path(), drive).string();
    if (relative.rfind("Users/Player/Downloads", 0) == 0 || relative.rfind("Users/Player/AppData/Local/Temp", 0) == 0 ||
        relative.rfind("Logs", 0) == 0 || !entry.is_regular_file())
      continue;
    std::string bytes = Slurp(entry.path().string());
    // A shortcut records its target's file times, as the shell does: those
    // are the moment of each install.
    if (entry.path().extension() == ".lnk" && bytes.size() >= 52) bytes.replace(28, 24, 24, '\0');
    state.files[relative] = bytes;
  }
  sim::ReadRegistry([&](const sim::RegTree& tree) { state.registry = sim::FormatRegText(tree); });
  return state;
}

// The values of a key of HKEY_LOCAL_MACHINE's 32-bit view as the export
// writes them (strings as text, other types in .reg notation).
std::map<String, String> MachineValues(const String& key) {
  std::map<String, String> values;
  sim::ReadRegistry([&](const sim::RegTree& tree) {
    sim::RegKey* at = tree.localMachine.Find(u"Software");
    at = at ? at->Find(u"WOW6432Node") : nullptr;
    size_t start = key.find(u'\\') + 1;  // below Software
    while (at && start < key.size()) {
      const size_t slash = key.find(u'\\', start);
      at = at->Find(key.substr(start, slash == String::npos ? String::npos : slash - start));
      start = slash == String::npos ? key.size() : slash + 1;
    }
    if (at)
      for (const sim::RegValue& v : at->values) values[v.name] = v.data;
  });
  return values;
}

class SilentInstall : public EndToEnd {
 protected:
  std::vector<std::string> MachineSettings() const override { return machineSettings_; }
  std::vector<std::string> machineSettings_;
  // Runs while watching the machine's screens; the names of every form that
  // showed (message boxes too) come back in shown.
  RunResult RunUnseen(const std::string& script, const String& program, const std::string& arguments,
                      std::string& shown) {
    std::atomic<bool> done{false};
    std::thread watcher([&] {
      const std::string folder = Machine().Dir() + "/ui";
      while (!done) {
        std::error_code error;
        if (fs::exists(folder, error))
          for (const auto& entry : fs::directory_iterator(folder, error)) {
            if (entry.path().extension() != ".state") continue;
            std::istringstream lines(Slurp(entry.path().string()));
            for (std::string line; std::getline(lines, line);) {
              const auto fields = sim::SplitTabs(line);
              if (fields[0] == "form" && sim::StateField(fields, "shown") == "1" &&
                  shown.find(sim::StateField(fields, "name")) == std::string::npos)
                shown += sim::StateField(fields, "name") + " ";
            }
          }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
      }
    });
    const RunResult r = Run(script, program, arguments);
    done = true;
    watcher.join();
    return r;
  }
  std::string Log(const String& path = kLog) {
    const std::string text = Machine().ReadFile(path);
    EXPECT_EQ(text.rfind("\xEF\xBB\xBF", 0), 0u) << "UTF-8 with its byte-order mark";
    return text;
  }
  void MakeOlder() { SetValue(kUninstallEntry, u"DisplayVersion", u"19.01.0001"); }
};

// A silent install gives what the wizard gives when German is chosen on its
// welcome screen and every other screen keeps its default: the same files,
// registry and shortcuts, with no window at all.
TEST_F(SilentInstall, GivesWhatTheWizardGivesInTheSameLanguage) {
  const RunResult wizard = Run(
      "timeout 30\n"
      "wait FWelcome\nclick FWelcome.lb_Languages1\n"
      "expect FWelcome.lb_Welcome caption Willkommen beim Installations-Assistenten für Zorvex7 Gaming-Maus\n"
      "click FWelcome.bt_Next\n"
      "wait FSeriesSelect\nclick FSeriesSelect.bt_Next\n"
      "wait FEULA\nclick FEULA.bt_Next\n"
      "wait FFinish\nuntick FFinish.ck_StartProgram\nclick FFinish.bt_Finish\n"
      "wait end 0\n");
  ASSERT_EQ(wizard.code, 0) << wizard.error;
  const MachineState byWizard = ReadState(Machine());

  StartAgain();
  Machine().MakeFolder(u"C:\\Logs");
  std::string shown;
  const RunResult silent = RunUnseen("timeout 30\nwait end 0\n", kSetup, "silentinstall 'lang=german' 'log=" +
                                                                             win::ToUtf8(kLog) + "'", shown);
  ASSERT_EQ(silent.code, 0) << silent.error;
  EXPECT_EQ(shown, "");
  const MachineState bySilence = ReadState(Machine());
  EXPECT_EQ(bySilence.registry, byWizard.registry);
  std::string differences;
  for (const auto& [path, bytes] : byWizard.files) {
    auto found = bySilence.files.find(path);
    if (found == bySilence.files.end())
      differences += "missing " + path + "\n";
    else if (found->second != bytes)
      differences += "differs " + path + "\n";
  }
  for (const auto& [path, bytes] : bySilence.files)
    if (!byWizard.files.count(path)) differences += "extra " + path + "\n";
  EXPECT_EQ(differences, "");
  EXPECT_NE(byWizard.files.size(), 0u);
  // The product it installed was not started.
  EXPECT_EQ(ToolLog().find("ShellExecute"), std::string::npos) << ToolLog();

  const std::string log = Log();
  for (const char* line : {"mode: SilentInstall", "version decision: package 19.02.0005, installed none: fresh install",
                           "language: German", "stage: device data backed up", "stage: program files copied to ",
                           "stage: uninstaller folder made", "stage: Add/Remove Programs entry written",
                           "stage: shortcuts made", "stage: product record written", "install finished",
                           "end: exit code 0"})
    EXPECT_NE(log.find(line), std::string::npos) << line << "\n" << log;
}

// Without log= a silent run keeps its log in the temporary folder, named after
// the product and the time; a wizard run keeps none unless asked.
TEST_F(SilentInstall, LogGoesToTheTemporaryFolderUnlessNamed) {
  ASSERT_NO_FATAL_FAILURE(InstallOnce());
  EXPECT_EQ(CountFiles(kTemp), 0);
  ASSERT_EQ(Run("timeout 30\nwait end 0\n", kUninstaller, "silentuninstall").code, 0);
  ASSERT_EQ(CountFiles(kTemp), 1);
  const std::string name = fs::directory_iterator(Machine().HostPath(kTemp))->path().filename().string();
  EXPECT_EQ(name.rfind("Zorvex7 Gaming Mouse Setup 20", 0), 0u) << name;
  EXPECT_EQ(name.size(), std::string("Zorvex7 Gaming Mouse Setup 20261210-213000.log").size()) << name;
  const std::string log = Log(kTemp + win::FromUtf8(name));
  EXPECT_NE(log.find("stage: Remove Reg on Boot!"), std::string::npos) << log;
  EXPECT_NE(log.find("uninstall finished"), std::string::npos) << log;
  EXPECT_NE(log.find("end: exit code 0"), std::string::npos) << log;
}

// An older or the same copy is replaced without a question and without any
// window, its own uninstaller run silently too; a newer one is refused.
TEST_F(SilentInstall, ReplacesAnOlderCopyUnseenAndRefusesANewerOne) {
  ASSERT_NO_FATAL_FAILURE(InstallOnce());
  MakeOlder();
  Machine().MakeFolder(u"C:\\Logs");
  std::string shown;
  RunResult r = RunUnseen("timeout 60\nwait end 0\n", kSetup, "silentinstall 'log=" + win::ToUtf8(kLog) + "'", shown);
  ASSERT_EQ(r.code, 0) << r.error;
  EXPECT_EQ(shown, "");
  EXPECT_EQ(Value(kUninstallEntry, u"DisplayVersion"), u"19.02.0005");
  EXPECT_TRUE(Exists(kProgramFolder + u"Installed.log"));
  EXPECT_NE(ToolLog().find("uninst\\Setup.exe\" silentuninstall"), std::string::npos) << ToolLog();
  const std::string log = Log();
  EXPECT_NE(log.find("installed 19.01.0001: replace the installed copy"), std::string::npos) << log;
  EXPECT_NE(log.find("the installed copy was removed"), std::string::npos) << log;

  SetValue(kUninstallEntry, u"DisplayVersion", u"99.01.0001");
  shown.clear();
  r = RunUnseen("timeout 30\nwait end 2\n", kSetup, "silentinstall 'log=" + win::ToUtf8(kLog) + "'", shown);
  ASSERT_EQ(r.code, 0) << r.error;
  EXPECT_EQ(shown, "");
  EXPECT_EQ(Value(kUninstallEntry, u"DisplayVersion"), u"99.01.0001");
  EXPECT_NE(Log().find("(102)"), std::string::npos) << Log();
}

// Every exit code of the silent modes, each from a run that meets its cause.
TEST_F(SilentInstall, ExitCodes) {
  struct Case {
    const char* name;
    std::vector<std::string> machine;  // machine settings
    std::function<void()> prepare;
    std::string arguments;
    int code;
    const char* logged;
  };
  const Case cases[] = {
      {"done", {}, nullptr, "silentinstall", 0, "end: exit code 0"},
      {"unusable package", {}, [this] {
         Machine().WriteFile(kPackage + u"Setup.ini", "[Setup]\r\n%PROGRAM_FILES=\r\n");
       }, "silentinstall", 1, "(101)"},
      {"a language the package lacks", {}, nullptr, "silentinstall lang=Klingon", 1,
       "the package has no language \"Klingon\""},
      {"newer installed", {}, [this] {
         InstallOnce();
         SetValue(kUninstallEntry, u"DisplayVersion", u"99.01.0001");
       }, "silentinstall", 2, "(102)"},
      {"no administrator", {"admin=0"}, nullptr, "silentinstall", 3, "end: exit code 3"},
      {"a file that cannot be copied", {}, [this] {
         Machine().WriteFile(kProgramFolder + u"Zorvex7.exe", "locked");
         ASSERT_TRUE(win::SetFileAttributes(kProgramFolder + u"Zorvex7.exe", win::kFileAttributeReadOnly));
       }, "silentinstall", 4, "not copied: "},
      {"older copy not removed", {}, [this] {
         InstallOnce();
         MakeOlder();
         zxtest::InstallHelper(Machine(), u"C:\\Apps\\Stays.exe");
         SetValue(kUninstallEntry, u"UninstallString", u"\"C:\\Apps\\Stays.exe\" uninstall");
       }, "silentinstall", 5, "the installed copy's uninstaller left it installed"},
      {"nothing installed", {}, nullptr, "silentuninstall", 6, "(201)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    machineSettings_ = c.machine;
    StartAgain();
    if (c.prepare) {
      ASSERT_NO_FATAL_FAILURE(c.prepare());
    }
    // The uninstall's error box is shown as the silent uninstall always did;
    // it is answered here.
    const std::string box = c.code == 6 ? "wait MessageBox\nclick MessageBox.OK\n" : "";
    // The log in the temporary folder: a standard user may write only there.
    const RunResult r = Run("timeout 60\n" + box + "wait end " + std::to_string(c.code) + "\n", kSetup, c.arguments);
    EXPECT_EQ(r.code, 0) << r.error;
    ASSERT_EQ(CountFiles(kTemp), 1);
    const std::string log =
        Log(kTemp + win::FromUtf8(fs::directory_iterator(Machine().HostPath(kTemp))->path().filename().string()));
    EXPECT_NE(log.find(c.logged), std::string::npos) << log;
    EXPECT_NE(log.find("end: exit code " + std::to_string(c.code)), std::string::npos) << log;
  }
}

// The screen modes end with 0 whatever happened, as they always did; they
// keep a log only when asked for one.
TEST_F(SilentInstall, ScreenModesEndWithZeroAndLogOnlyWhenAsked) {
  ASSERT_NO_FATAL_FAILURE(InstallOnce());
  EXPECT_EQ(CountFiles(kTemp), 0);
  SetValue(kUninstallEntry, u"DisplayVersion", u"99.01.0001");
  Machine().MakeFolder(u"C:\\Logs");
  const RunResult r = Run("timeout 30\nwait MessageBox\nclick MessageBox.OK\nwait end 0\n", kSetup,
                          "'log=" + win::ToUtf8(kLog) + "'");
  ASSERT_EQ(r.code, 0) << r.error;
  const std::string log = Log();
  EXPECT_NE(log.find("mode: Install"), std::string::npos) << log;
  EXPECT_NE(log.find("a newer version is installed"), std::string::npos) << log;
  EXPECT_NE(log.find("(102)"), std::string::npos) << log;
  EXPECT_NE(log.find("end: exit code 0"), std::string::npos) << log;
  EXPECT_EQ(CountFiles(kTemp), 0);
}

// The values deployment tools and the settings page read are written with
// the entry and go with it.
TEST_F(SilentInstall, UninstallEntryValuesForDeploymentTools) {
  ASSERT_NO_FATAL_FAILURE(InstallOnce());
  std::map<String, String> values = MachineValues(kUninstallEntry);
  EXPECT_EQ(values[u"InstallLocation"], u"C:\\Program Files (x86)\\Zorvex7");
  EXPECT_EQ(values[u"QuietUninstallString"], u"\"" + kUninstaller + u"\" silentuninstall");
  EXPECT_EQ(values[u"NoModify"], u"dword:00000001");
  EXPECT_EQ(values[u"NoRepair"], u"dword:00000001");
  const win::SystemTime today = win::GetLocalTime();
  char date[16];
  snprintf(date, sizeof date, "%04u%02u%02u", today.year, today.month, today.day);
  EXPECT_EQ(values[u"InstallDate"], win::FromUtf8(date));
  uint64_t bytes = 0;
  for (const auto& entry : fs::recursive_directory_iterator(Machine().HostPath(kProgramFolder)))
    if (entry.is_regular_file() && !entry.is_symlink()) bytes += entry.file_size();
  // Installed.log comes after the entry, and is empty.
  char size[24];
  snprintf(size, sizeof size, "dword:%08x", static_cast<unsigned>((bytes + 1023) / 1024));
  EXPECT_EQ(values[u"EstimatedSize"], win::FromUtf8(size)) << bytes << " bytes";
  EXPECT_GT(bytes, 1024u);

  ASSERT_EQ(Run("timeout 30\nwait end 0\n", kUninstaller, "silentuninstall").code, 0);
  EXPECT_TRUE(MachineValues(kUninstallEntry).empty());
}

}  // namespace
}  // namespace e2e
