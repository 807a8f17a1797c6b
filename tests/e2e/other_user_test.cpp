// Another local user (a standard user, Bob) who got to the data folder first.
// The elevated uninstall later runs what lies in the uninstaller folder, so
// after an install Bob can neither replace a file there, nor plant one beside
// it, nor move the folder away, nor change its rights. The install root and the
// device folders stay writable by everyone: the product writes there.
#include "e2e_fixture.h"
#include "platform/process.h"

namespace e2e {
namespace {

const String kData = u"C:\\ProgramData\\Zorvex7\\";
const String kBin = kData + u"bin\\";
const String kUninst = kBin + u"uninst\\";

// Runs a system tool as whoever this process runs as; its exit code.
uint32_t Tool(const String& commandLine) {
  uint32_t code = 0;
  EXPECT_TRUE(win::CreateProcessAndWait(commandLine, win::kCreateNoWindow, &code)) << win::ToUtf8(commandLine);
  return code;
}

class OtherUser : public EndToEnd {
 protected:
  // Everything Bob tries against the uninstaller folder after an install; each
  // must fail.
  void BobCannotTouchTheUninstaller() {
    const std::string setup = Machine().ReadFile(kUninstaller);
    ASSERT_FALSE(setup.empty());
    zxtest::RunAsUser bob(u"Bob");
    EXPECT_FALSE(win::WriteFileBytes(kUninstaller, "evil"));
    EXPECT_FALSE(win::CopyFile(kPackage + u"Setup.ini", kUninstaller, false));
    EXPECT_FALSE(win::DeleteFile(kUninstaller));
    EXPECT_FALSE(win::WriteFileBytes(kUninst + u"version.dll", "planted"));
    EXPECT_FALSE(win::WriteFileBytes(kBin + u"Setup.exe", "planted"));
    EXPECT_FALSE(win::WriteFileBytes(kData + u"planted.txt", "planted"));
    EXPECT_FALSE(win::CreateDirectory(kUninst + u"Texts\\Planted"));
    EXPECT_FALSE(win::MoveFile(kUninstaller, kUninst + u"Setup.old"));
    EXPECT_FALSE(win::MoveFile(kBin + u"uninst", kBin + u"uninst.old"));
    EXPECT_FALSE(win::MoveFile(kData + u"bin", kData + u"bin.old"));
    EXPECT_FALSE(win::MoveFile(u"C:\\ProgramData\\Zorvex7", u"C:\\ProgramData\\Zorvex7.old"));
    EXPECT_NE(Tool(u"icacls.exe \"C:\\ProgramData\\Zorvex7\\bin\\uninst\" /grant Bob:(OI)(CI)F"), 0u);
    EXPECT_NE(Tool(u"icacls.exe \"C:\\ProgramData\\Zorvex7\\bin\" /grant Bob:(OI)(CI)F"), 0u);
    EXPECT_NE(Tool(u"icacls.exe \"C:\\ProgramData\\Zorvex7\" /reset"), 0u);
    EXPECT_EQ(Machine().ReadFile(kUninstaller), setup);
    EXPECT_FALSE(Exists(kUninst + u"version.dll"));

    // The product's own folders stay open to everyone, as designed.
    EXPECT_TRUE(win::WriteFileBytes(kProgramFolder + u"Data\\Device\\English\\Bob.ini", "mine"));
    EXPECT_TRUE(win::WriteFileBytes(kProgramFolder + u"UserLog\\Bob.log", "mine"));
  }
};

TEST_F(OtherUser, MadeTheUninstallerFoldersFirstAndStillCannotChangeThem) {
  {
    // Bob makes the chain before the first install, keeps it for himself
    // and leaves a program where the uninstaller will be.
    zxtest::RunAsUser bob(u"Bob");
    ASSERT_TRUE(win::CreateDirectory(u"C:\\ProgramData\\Zorvex7"));
    ASSERT_TRUE(win::CreateDirectory(u"C:\\ProgramData\\Zorvex7\\bin"));
    ASSERT_TRUE(win::CreateDirectory(u"C:\\ProgramData\\Zorvex7\\bin\\uninst"));
    ASSERT_TRUE(win::WriteFileBytes(kUninstaller, "Bob's program"));
    ASSERT_TRUE(win::WriteFileBytes(kBin + u"notes.txt", "Bob's notes"));
    EXPECT_EQ(Tool(u"icacls.exe \"C:\\ProgramData\\Zorvex7\\bin\" /inheritance:r /grant Bob:(OI)(CI)F"), 0u);
  }
  ASSERT_NO_FATAL_FAILURE(InstallOnce());
  EXPECT_NE(Machine().ReadFile(kUninstaller), "Bob's program");
  ASSERT_NO_FATAL_FAILURE(BobCannotTouchTheUninstaller());

  // And again after a reinstall over it.
  const RunResult r = Run(
      "timeout 60\nwait FAsk\nclick FAsk.bt_OK\nwait FFinish\nclick FFinish.bt_Finish\n"
      "wait FWelcome\nclick FWelcome.bt_Next\nwait FSeriesSelect\nclick FSeriesSelect.bt_Next\n"
      "wait FEULA\nclick FEULA.bt_Next\nwait FFinish\nuntick FFinish.ck_StartProgram\nclick FFinish.bt_Finish\n"
      "wait end 0\n");
  ASSERT_EQ(r.code, 0) << r.error;
  ASSERT_NO_FATAL_FAILURE(BobCannotTouchTheUninstaller());
}

TEST_F(OtherUser, CannotTakeOverTheUninstallerFoldersAfterAnInstall) {
  ASSERT_NO_FATAL_FAILURE(InstallOnce());
  {
    zxtest::RunAsUser bob(u"Bob");
    EXPECT_FALSE(win::CreateDirectory(kBin + u"uninst2"));
    EXPECT_NE(Tool(u"icacls.exe \"C:\\ProgramData\\Zorvex7\\bin\" /setowner Bob"), 0u);
  }
  ASSERT_NO_FATAL_FAILURE(BobCannotTouchTheUninstaller());
}

}  // namespace
}  // namespace e2e
