// Hostile machines for the files the run copies: payload files it cannot
// replace, a drive that fills up, a destination beyond the path limit, and
// names in other scripts. Each case says what the player sees and what is
// installed; the machine check says nothing else changed.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <memory>

#include "hostile_fixture.h"
#include "platform/sim/file_hooks.h"

extern char** environ;

namespace hostile {
namespace {

const String kProgram = e2e::kProgramFolder;
const String kLockedManual = u"Manual\\English.pdf";
const std::string kCopyFailed = "Setup: Some files could not be copied: ";

// A program of the machine running from `windowsPath` until it is dropped.
class RunningProgram {
 public:
  RunningProgram(zxtest::TempMachine& m, const String& windowsPath) {
    m.MakeFolder(win::ExtractFileDir(windowsPath));
    const std::string host = m.HostPath(windowsPath);
    fs::copy_file(std::string(ZX_TEST_PROGRAMS_DIR) + "/proc_helper", host, fs::copy_options::overwrite_existing);
    std::string sleep = "sleep", seconds = "60";
    char* argv[] = {const_cast<char*>(host.c_str()), sleep.data(), seconds.data(), nullptr};
    if (posix_spawn(&pid_, host.c_str(), nullptr, nullptr, argv, environ) != 0) pid_ = -1;
    const std::string exe = "/proc/" + std::to_string(pid_) + "/exe";
    for (int i = 0; i < 500 && pid_ > 0 && fs::read_symlink(exe).string() != host; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ~RunningProgram() {
    if (pid_ <= 0) return;
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  bool Running() const { return pid_ > 0; }

 private:
  pid_t pid_ = -1;
};

// Payload files that cannot be written: each is reported by name in the one
// message after the copy; the rest installs, the file in the way keeps its
// bytes, and the run ends on its finish screen. What a case arranges (a
// program kept running) lasts until its check is done.
TEST_F(HostileMachine, PayloadFilesInTheWayAreReportedAndKept) {
  using Arranged = std::shared_ptr<void>;
  struct Case {
    const char* name;
    String file;  // relative to the program folder
    std::function<Arranged(HostileMachine&, const String&)> arrange;
  } cases[] = {
      {"read-only", kLockedManual,
       [](HostileMachine& t, const String& path) {
         t.Machine().WriteFile(path, "the old manual");
         EXPECT_TRUE(win::SetFileAttributes(path, win::kFileAttributeReadOnly));
         return Arranged();
       }},
      {"held open without sharing", kLockedManual,
       [](HostileMachine& t, const String& path) {
         t.Machine().WriteFile(path, "the old manual");
         EXPECT_TRUE(sim::SetFileLocked(path, true));
         return Arranged();
       }},
      {"a running program", u"DozadoZoZizo.exe",
       [](HostileMachine& t, const String& path) {
         auto running = std::make_shared<RunningProgram>(t.Machine(), path);
         EXPECT_TRUE(running->Running());
         return Arranged(running);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Prepare();
    const String path = kProgram + c.file;
    const Arranged arranged = c.arrange(*this, path);
    const std::string old = Bytes(path);
    Snapshot();
    const RunResult r = Run(InstallScript(1, true), Setup());
    ASSERT_EQ(r.code, 0) << r.error;
    EXPECT_EQ(MessageBoxes(), std::vector<std::string>{kCopyFailed + "1" + Logged(u"\r\n" + path)});
    EXPECT_EQ(Bytes(path), old);
    EXPECT_EQ(Bytes(kProgram + u"Zorvex7.exe"), Bytes(Package() + u"program files\\Zorvex7\\Zorvex7.exe"));
    EXPECT_EQ(Value(e2e::kUninstallEntry, u"DisplayVersion"), u"19.02.0005");
    EXPECT_EQ(Damage(), std::vector<std::string>{});
  }
}

// A package whose files are read-only (copied from a disc): the installed
// copies are not, so the next install or the uninstall can replace them.
TEST_F(HostileMachine, ReadOnlyPackageFilesInstallWritable) {
  Prepare();
  const String manual = Package() + u"program files\\Zorvex7\\" + kLockedManual;
  ASSERT_TRUE(win::SetFileAttributes(manual, win::kFileAttributeReadOnly));
  Snapshot();
  const RunResult r = Run(InstallScript(0, true), Setup());
  ASSERT_EQ(r.code, 0) << r.error;
  EXPECT_EQ(MessageBoxes(), std::vector<std::string>{});
  EXPECT_EQ(Bytes(kProgram + kLockedManual), Bytes(manual));
  EXPECT_EQ(win::GetFileAttributes(kProgram + kLockedManual), win::kFileAttributeNormal);
  EXPECT_EQ(Damage(), std::vector<std::string>{});
}

// Bytes below a folder of the machine, as files hold them.
int64_t FolderBytes(zxtest::TempMachine& m, const String& folder) {
  int64_t total = 0;
  for (const auto& entry : fs::recursive_directory_iterator(m.HostPath(folder)))
    if (entry.is_regular_file()) total += static_cast<int64_t>(entry.file_size());
  return total;
}

// Files below `copy` whose bytes are not those of the same file below
// `original`: a copy left half-written, or changed.
std::vector<std::string> NotWhole(zxtest::TempMachine& m, const String& copy, const String& original,
                                  const std::vector<std::string>& changedOnPurpose = {}) {
  std::vector<std::string> out;
  const fs::path root = m.HostPath(copy);
  if (!fs::exists(root)) return out;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (!entry.is_regular_file()) continue;
    const std::string relative = fs::relative(entry.path(), root).string();
    if (std::find(changedOnPurpose.begin(), changedOnPurpose.end(), relative) != changedOnPurpose.end()) continue;
    const std::string from = m.HostPath(original) + "/" + relative;
    if (!fs::exists(from) || e2e::Slurp(from) != e2e::Slurp(entry.path().string())) out.push_back(relative);
  }
  return out;
}

// The drive fills up while the program files are copied: the files that did
// not fit are told, the uninstaller folder cannot be built, and the run ends
// with its message and without the finish screen. Every file that is there
// is whole, and nothing is recorded as installed.
TEST_F(HostileMachine, AFullDiskDuringTheCopyEndsTheRunWithNothingHalfWritten) {
  Prepare();
  const String payload = Package() + u"program files\\Zorvex7\\";
  const int64_t half = FolderBytes(Machine(), payload) / 2;
  Prepare({"freeBytes=" + std::to_string(half)});
  Snapshot();
  // The second message follows the first at once: the script waits for its text.
  const std::string ended =
      "There is not enough space on the disk.\\r\\nCopy Failed!! InstallWizard Close. (Install 04)";
  std::string script = InstallScript(1, false);
  script.insert(script.rfind("wait end"), "expect MessageBox.Message caption " + ended + "\nclick MessageBox.OK\n");
  const RunResult r = Run(script, Setup());
  ASSERT_EQ(r.code, 0) << r.error;
  const std::vector<std::string> boxes = MessageBoxes();
  ASSERT_EQ(boxes.size(), 2u) << ToolLog();
  EXPECT_EQ(boxes[0].rfind(kCopyFailed, 0), 0u) << boxes[0];
  EXPECT_EQ(boxes[1], "Setup: " + ended);
  EXPECT_EQ(NotWhole(Machine(), kProgram, payload, {"ini/AppConfig.ini", "Installed.log"}), std::vector<std::string>{});
  EXPECT_EQ(NotWhole(Machine(), win::ExtractFilePath(e2e::kUninstaller), Package()), std::vector<std::string>{});
  EXPECT_FALSE(Exists(kProgram + u"Installed.log"));
  EXPECT_EQ(Value(e2e::kUninstallEntry, u"UninstallString"), u"<no key>");
  EXPECT_EQ(Damage(), std::vector<std::string>{});
}

// The drive fills up while the installed copy's device data is saved before
// its uninstaller would run: the older copy stays as it was, the run says so
// and ends. What was saved in part is not kept as a backup, so the next run
// saves what the player has by then.
TEST_F(HostileMachine, AFullDiskDuringTheDeviceDataBackupLeavesTheInstalledCopyAlone) {
  Prepare();
  ASSERT_EQ(Run(InstallScript(0, true), Setup()).code, 0);
  const std::vector<String> own = {kDevice + u"English\\Profile2.ini", kDevice + u"English\\ScriptsMacros\\Rapid.mcr",
                                   kDevice + u"Calibration.dat", kDevice + u"Sensor\\Lift.cfg"};
  for (const String& file : own) Machine().WriteFile(kProgram + file, std::string(800, 'p'));
  sim::ForgetFolderListings();
  ASSERT_TRUE(sim::SetFreeDiskBytes(FolderBytes(Machine(), kProgram + kDevice) / 2));
  Snapshot();
  const RunResult r = Run("timeout 60\nwait FAsk\nclick FAsk.bt_OK\nwait MessageBox\nclick MessageBox.OK\nwait end 0\n",
                          Setup());
  ASSERT_EQ(r.code, 0) << r.error;
  EXPECT_EQ(MessageBoxes(), std::vector<std::string>{
                                "Zorvex7 Gaming Mouse: The previous version could not be removed. Please uninstall "
                                "it in the Control Panel and run Setup again."});
  EXPECT_EQ(Damage({"C:\\ProgramData\\Zorvex7\\Templates\\"}), std::vector<std::string>{})
      << "the installed copy is untouched";

  // Room again, and the player goes on playing before the next try.
  ASSERT_TRUE(sim::SetFreeDiskBytes(-1));
  for (const String& file : own) Machine().WriteFile(kProgram + file, "played on: " + win::ToUtf8(file));
  sim::ForgetFolderListings();
  const RunResult again = Run(
      "timeout 60\nwait FAsk\nclick FAsk.bt_OK\n"
      "wait FFinish\nclick FFinish.bt_Finish\n" + WizardSteps(0, true), Setup());
  ASSERT_EQ(again.code, 0) << again.error << ToolLog();
  for (const String& file : own) EXPECT_EQ(Bytes(kProgram + file), "played on: " + win::ToUtf8(file));
}

// A product folder name that makes some payload paths longer than the
// machine allows: those files and folders are refused as on Windows and told
// in the copy message; everything shorter installs and the run finishes.
TEST_F(HostileMachine, PathsBeyondTheLimitAreToldAndTheRestInstalls) {
  Prepare();
  const std::string product(100, 'Z');
  const fs::path package = Machine().HostPath(Package());
  std::string setup = e2e::Slurp((package / "Setup.ini").string());
  setup.replace(setup.find("%PROGRAM_FILES=Zorvex7"), 22, "%PROGRAM_FILES=" + product);
  std::ofstream((package / "Setup.ini").string(), std::ios::binary | std::ios::trunc) << setup;
  fs::rename(package / "program files" / "Zorvex7", package / "program files" / product);
  sim::ForgetFolderListings();

  const String program = u"C:\\Program Files (x86)\\" + win::FromUtf8(product) + u"\\" + win::FromUtf8(product) + u"\\";
  std::vector<String> tooLong;
  for (const char* language : {"ChineseS", "ChineseT", "English"})
    tooLong.push_back(program + u"Data\\Device\\" + win::FromUtf8(language) + u"\\ScriptsMacros\\Default.mcr");
  ASSERT_GT(tooLong[0].size(), 260u);
  ASSERT_LT((program + u"Data\\Device\\English\\Profile1.ini").size(), 260u);

  Snapshot();
  const RunResult r = Run(InstallScript(1, true), Setup());
  ASSERT_EQ(r.code, 0) << r.error;
  std::string told = kCopyFailed + "3";
  for (const String& path : tooLong) told += Logged(u"\r\n" + path);
  EXPECT_EQ(MessageBoxes(), std::vector<std::string>{told});
  EXPECT_TRUE(Exists(program + u"Data\\Device\\English\\Profile1.ini"));
  EXPECT_TRUE(Exists(program + u"Zorvex7.exe"));
  EXPECT_EQ(Value(e2e::kUninstallEntry, u"DisplayVersion"), u"19.02.0005");
  EXPECT_EQ(Damage({"C:\\Program Files (x86)\\" + product + "\\", "C:\\ProgramData\\" + product + "\\"}),
            std::vector<std::string>{});

  // The machine refuses those paths itself, as Windows without long paths does.
  EXPECT_FALSE(win::CreateDirectory(win::ExtractFileDir(tooLong[0])));
  EXPECT_EQ(win::GetLastError(), win::kErrorFilenameExcedRange);
  EXPECT_FALSE(win::WriteFileBytes(tooLong[0], "x"));
  EXPECT_EQ(win::GetLastError(), win::kErrorPathNotFound);
}

// A player whose account name and download folder are written in Chinese,
// Cyrillic and accented letters, with blanks and "&": the install and the
// uninstall through the entry's command work as anywhere else.
TEST_F(HostileMachine, NamesInOtherScriptsWithBlanksAndAmpersandsInstallAndUninstall) {
  const std::string user = "J\u00fcrgen \u0418\u0432\u0430\u043d \u5f20\u4e09 & Co";
  const String package = u"C:\\Users\\" + win::FromUtf8(user) +
                         u"\\Downloads\\Zorvex \u5b89\u88c5 \u0423\u0441\u0442\u0430\u043d\u043e\u0432\u043a\u0430 Caf\u00e9 & Co\\";
  Prepare({"userName=" + user}, package);
  Snapshot();
  const RunResult r = Run(InstallScript(0, true), Setup());
  ASSERT_EQ(r.code, 0) << r.error;
  EXPECT_EQ(MessageBoxes(), std::vector<std::string>{});
  EXPECT_EQ(NotWhole(Machine(), kProgram, Package() + u"program files\\Zorvex7\\", {"ini/AppConfig.ini", "Installed.log"}),
            std::vector<std::string>{});
  EXPECT_EQ(Value(e2e::kUninstallEntry, u"UninstallString"), u"\"" + e2e::kUninstaller + u"\" uninstall");
  EXPECT_EQ(Damage(), std::vector<std::string>{});

  const RunResult removed = Run(
      "timeout 30\nwait FUninstallConfirm\nclick FUninstallConfirm.bt_OK\nwait FFinish\nclick FFinish.bt_Finish\nwait end 0\n",
      e2e::kUninstaller, "uninstall");
  ASSERT_EQ(removed.code, 0) << removed.error;
  EXPECT_FALSE(Exists(kProgram + u"Zorvex7.exe"));
  EXPECT_EQ(Value(e2e::kUninstallEntry, u"DisplayVersion"), u"<no key>");
  EXPECT_EQ(Damage(), std::vector<std::string>{});
  EXPECT_TRUE(Exists(package + u"Setup.exe"));
}

}  // namespace
}  // namespace hostile
