// Start-up as a person meets it: rights, run-mode words, and the decision
// about an installed copy.
#include "e2e_fixture.h"

namespace e2e {
namespace {

class WithoutRights : public EndToEnd {
  std::vector<std::string> MachineSettings() const override { return {"admin=0"}; }
};

TEST_F(WithoutRights, OnlyTheAdministratorMessageShows) {
  const RunResult r = Run(
      "wait MessageBox\n"
      "expect MessageBox.Message caption Setup needs administrator rights. Right-click Setup.exe and choose \"Run as "
      "administrator\".\n"
      "click MessageBox.OK\n"
      "wait end 0\n");
  ASSERT_EQ(r.code, 0) << r.error;
  EXPECT_FALSE(Exists(kProgramFolder));
}

TEST_F(EndToEnd, RunModeWordIsTheWholeFirstArgumentInAnyCase) {
  RunResult r = Run("timeout 30\nwait FWelcome\nclose FWelcome\nwait end 0\n", kSetup, "'uninstall now'");
  EXPECT_EQ(r.code, 0) << r.error;
  ASSERT_NO_FATAL_FAILURE(InstallOnce());
  r = Run(
      "timeout 30\nwait FUninstallConfirm\nclick FUninstallConfirm.bt_Cancel\n"
      "wait FCancel\nclick FCancel.bt_OK\nwait end 0\n",
      kUninstaller, "UNINSTALL extra");
  EXPECT_EQ(r.code, 0) << r.error;
  EXPECT_EQ(Value(kUninstallEntry, u"DisplayVersion"), u"19.02.0005");
}

TEST_F(EndToEnd, NewerInstalledVersionIsRefused) {
  ASSERT_NO_FATAL_FAILURE(InstallOnce());
  SetValue(kUninstallEntry, u"DisplayVersion", u"20.01.0001");
  const RunResult r = Run(
      "timeout 30\n"
      "wait MessageBox\n"
      "expect MessageBox.Message caption A newer version of the Zorvex7 Gaming Mouse software is already installed. "
      "Setup will close. (102)\n"
      "click MessageBox.OK\n"
      "wait end 0\n");
  ASSERT_EQ(r.code, 0) << r.error;
  EXPECT_NE(ToolLog().find("messagebox error desktop Zorvex7 Gaming Mouse: A newer version"), std::string::npos);
}

TEST_F(EndToEnd, SameInstalledVersionIsAskedAbout) {
  ASSERT_NO_FATAL_FAILURE(InstallOnce());
  const RunResult r = Run(
      "timeout 30\n"
      "wait FAsk\n"
      "expect FAsk.lb_Message caption This version is already installed. Do you want to install it again?\n"
      "snapshot FAsk install-older-copy-question.png\n"
      "click FAsk.bt_Cancel\n"
      "wait end 0\n");
  ASSERT_EQ(r.code, 0) << r.error;
  EXPECT_EQ(ToolLog().find("uninstallanyway"), std::string::npos);
  EXPECT_EQ(Value(kUninstallEntry, u"DisplayVersion"), u"19.02.0005");
}

// The installed copy's own uninstaller really runs (a second program on the
// machine, driven by the same script), then the wizard begins.
TEST_F(EndToEnd, OlderInstalledCopyIsReplaced) {
  ASSERT_NO_FATAL_FAILURE(InstallOnce());
  SetValue(kUninstallEntry, u"DisplayVersion", u"19.01.0001");
  const RunResult r = Run(
      "timeout 30\n"
      "wait FAsk\n"
      "expect FAsk.lb_Message caption An older version of the software is installed. Setup will remove it before it "
      "installs this version. Continue?\n"
      "click FAsk.bt_OK\n"
      "wait FFinish\n"
      "expect FFinish.lb_Finish_Uninstall visible 1\n"
      "click FFinish.bt_Finish\n"
      "wait FWelcome\n"
      "close FWelcome\n"
      "wait end 0\n");
  ASSERT_EQ(r.code, 0) << r.error;
  EXPECT_NE(ToolLog().find("run \"C:\\ProgramData\\Zorvex7\\bin\\uninst\\Setup.exe\" uninstallanyway"),
            std::string::npos);
  EXPECT_EQ(Value(kUninstallEntry, u"DisplayVersion"), u"<no key>");
}

}  // namespace
}  // namespace e2e
