// Folders the program empties, fills, copies from or opens up, made junctions
// to somebody else's folder by a local user, before the first install and
// before an upgrade. The target's files and rights stay exactly as they were,
// and the run says which folder it refused.
#include <map>

#include "e2e_fixture.h"
#include "platform/sim/tools.h"

namespace e2e {
namespace {

const String kTarget = u"C:\\Users\\Bob\\Documents\\";
const String kRoot = u"C:\\Program Files (x86)\\Zorvex7";
const String kData = u"C:\\ProgramData\\Zorvex7";

// What a person would look at to see that nothing of theirs changed: every
// file with its bytes, and the rights of every folder and file.
std::map<std::string, std::string> Snapshot(zxtest::TempMachine& m, const String& folder) {
  std::map<std::string, std::string> out;
  const fs::path root = m.HostPath(folder);
  auto rights = [](const String& path) {
    std::vector<sim::AccessEntry> entries;
    sim::GetAccess(path, entries);
    std::string text;
    for (const auto& e : entries)
      text += win::ToUtf8(e.account) + ":" + win::ToUtf8(e.rights) + win::ToUtf8(e.inheritance) +
              (e.inherited ? "i " : " ");
    return text;
  };
  out["."] = rights(win::ExcludeTrailingBackslash(folder));
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    const std::string relative = fs::relative(entry.path(), root).string();
    String windows = folder;
    for (char c : relative) windows += c == '/' ? u'\\' : static_cast<char16_t>(c);
    out[relative] = (entry.is_regular_file() ? Slurp(entry.path().string()) : "<folder>") + " | " + rights(windows);
  }
  return out;
}

class Links : public EndToEnd {
 protected:
  void SetUp() override {
    EndToEnd::SetUp();
    if (IsSkipped()) return;
    Machine().WriteFile(kTarget + u"letter.txt", "Dear Bob,\r\n");
    Machine().WriteFile(kTarget + u"Taxes\\2026.xlsx", std::string("PK\x03\x04 sheet", 10));
    Machine().WriteFile(kTarget + u"Data\\Device\\English\\Profile1.ini", "Bob's own");
    sim::ForgetFolderListings();
  }
  // Replaces folder (made if missing, emptied first) by a junction to kTarget.
  void MakeLinkAt(const String& folder) {
    const fs::path host = Machine().HostPath(folder);
    fs::remove_all(host);
    fs::create_directories(host.parent_path());
    fs::create_symlink(Machine().HostPath(kTarget), host);
    sim::ForgetFolderListings();
    ASSERT_NE(win::GetFileAttributes(folder) & win::kFileAttributeReparsePoint, 0u);
  }
  static std::string Wizard(const std::string& ending) {
    return "timeout 60\n"
           "wait FWelcome\nclick FWelcome.bt_Next\n"
           "wait FSeriesSelect\nclick FSeriesSelect.bt_Next\n"
           "wait FEULA\nclick FEULA.bt_Next\n" +
           ending + "wait end 0\n";
  }
};

const char kFinish[] = "wait FFinish\nuntick FFinish.ck_StartProgram\nclick FFinish.bt_Finish\n";
const char kFailureBox[] = "wait MessageBox\nclick MessageBox.OK\n";
const char kUpgradeRefused[] = "timeout 60\nwait FAsk\nclick FAsk.bt_OK\nwait MessageBox\nclick MessageBox.OK\nwait end 0\n";
const char kUpgradeGoesOn[] =
    "timeout 60\nwait FAsk\nclick FAsk.bt_OK\n"
    "wait FFinish\nclick FFinish.bt_Finish\n"
    "wait FWelcome\nclick FWelcome.bt_Next\nwait FSeriesSelect\nclick FSeriesSelect.bt_Next\n"
    "wait FEULA\nclick FEULA.bt_Next\nwait FFinish\nuntick FFinish.ck_StartProgram\nclick FFinish.bt_Finish\n"
    "wait end 0\n";

TEST_F(Links, ACoveredFolderThatIsAJunctionIsNeverUsed) {
  struct Case {
    const char* name;
    String link;         // made a junction to the target
    bool upgrade;        // planted after a first install, before the upgrade
    std::string script;  // how the run goes on
    std::string said;    // what the run says in its trace
    bool failureMessage; // the install's own failure message names the folder
  } cases[] = {
      {"templates, first install", kData + u"\\Templates", false, Wizard(kFinish),
       R"(debug: The folder "C:\ProgramData\Zorvex7\Templates" was not used: "C:\ProgramData\Zorvex7\Templates" is)", false},
      {"data folder, first install", kData, false, Wizard(kFailureBox),
       R"(debug: The folder "C:\ProgramData\Zorvex7\bin\uninst" was not used: "C:\ProgramData\Zorvex7" is)", true},
      {"uninstaller folder, first install", kData + u"\\bin\\uninst", false, Wizard(kFailureBox),
       R"(debug: The folder "C:\ProgramData\Zorvex7\bin\uninst" was not used: "C:\ProgramData\Zorvex7\bin\uninst" is)",
       true},
      {"install root, first install", kRoot, false, Wizard(kFailureBox),
       R"(debug: The folder "C:\Program Files (x86)\Zorvex7\Zorvex7" was not used: "C:\Program Files (x86)\Zorvex7" is)",
       true},
      {"device data, first install", kRoot + u"\\Zorvex7\\Data\\Device", false, Wizard(kFinish),
       R"(debug: The folder "C:\Program Files (x86)\Zorvex7\Zorvex7\Data\Device" was not used)", false},
      {"user logs, first install", kRoot + u"\\Zorvex7\\UserLog", false, Wizard(kFinish),
       R"(debug: Removed a link inside a folder whose rights are set: C:\Program Files (x86)\Zorvex7\Zorvex7\UserLog)",
       false},
      {"older generation, first install", u"C:\\Program Files (x86)\\Zorvex6", false, Wizard(kFinish),
       R"(was not used: "C:\Program Files (x86)\Zorvex6" is a junction or symbolic link.)", false},
      {"templates, upgrade", kData + u"\\Templates", true, kUpgradeRefused,
       R"(debug: The folder "C:\ProgramData\Zorvex7\Templates" was not used)", false},
      {"data folder, upgrade", kData, true, kUpgradeRefused, R"(was not used: "C:\ProgramData\Zorvex7" is a junction)",
       false},
      {"uninstaller folder, upgrade", kData + u"\\bin\\uninst", true, kUpgradeRefused,
       R"(was not used: "C:\ProgramData\Zorvex7\bin\uninst" is a junction)", false},
      {"install root, upgrade", kRoot, true, kUpgradeRefused,
       R"(was not used: "C:\Program Files (x86)\Zorvex7" is a junction)", false},
      {"device data, upgrade", kRoot + u"\\Zorvex7\\Data\\Device", true, kUpgradeRefused,
       R"(debug: The folder "C:\Program Files (x86)\Zorvex7\Zorvex7\Data\Device" was not used)", false},
      {"user logs, upgrade", kRoot + u"\\Zorvex7\\UserLog", true, kUpgradeGoesOn,
       R"(debug: Removed a link inside a folder whose rights are set: C:\Program Files (x86)\Zorvex7\Zorvex7\UserLog)",
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StartAgain();
    if (c.upgrade) {
      ASSERT_NO_FATAL_FAILURE(InstallOnce());
    }
    ASSERT_NO_FATAL_FAILURE(MakeLinkAt(c.link));
    const auto before = Snapshot(Machine(), kTarget);
    const RunResult r = Run(c.script);
    ASSERT_EQ(r.code, 0) << r.error << ToolLog();
    EXPECT_EQ(Snapshot(Machine(), kTarget), before);
    EXPECT_NE(ToolLog().find(c.said), std::string::npos) << ToolLog();
    if (c.failureMessage) {
      EXPECT_NE(ToolLog().find("is a junction or symbolic link.\\r\\nCopy Failed!! InstallWizard Close. (Install 04)"),
                std::string::npos);
    }
  }
}

// icacls /T walks into junctions: one planted inside the install root, which
// everyone may change, would otherwise open up another program's folder.
TEST_F(Links, AJunctionInsideTheInstallRootIsRemovedBeforeItsRightsAreSet) {
  const String other = u"C:\\Program Files (x86)\\Other\\";
  Machine().WriteFile(other + u"other.exe", "other program");
  Machine().WriteFile(other + u"plugins\\p.dll", "plugin");
  ASSERT_NO_FATAL_FAILURE(InstallOnce());
  const String evil = kRoot + u"\\evil";
  fs::create_symlink(Machine().HostPath(other), Machine().HostPath(evil));
  sim::ForgetFolderListings();
  const auto before = Snapshot(Machine(), other);

  const RunResult r = Run(kUpgradeGoesOn);
  ASSERT_EQ(r.code, 0) << r.error;
  EXPECT_FALSE(Exists(evil));
  EXPECT_EQ(Snapshot(Machine(), other), before);
  EXPECT_FALSE(sim::MayWrite(other + u"other.exe", u"Bob"));
}

}  // namespace
}  // namespace e2e
