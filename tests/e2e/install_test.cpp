// Installs as a person does them: the fresh install in German, the OEM and
// series paths, and a cancelled install.
#include "e2e_fixture.h"

namespace e2e {
namespace {

// Every screen of an install in German, saved as it shows.
TEST_F(EndToEnd, FreshInstallInGermanThroughLicenceAndFinish) {
  const RunResult r = Run(
      "timeout 30\n"
      "wait FWelcome\n"
      "snapshot FWelcome install-01-welcome-english.png\n"
      "expect FWelcome.bt_Next caption\n"  // the skin picture carries the word
      "expect FWelcome.lb_Languages1 caption   Deutsch\n"
      "click FWelcome.lb_Languages1\n"
      "expect FWelcome.lb_Welcome caption Willkommen beim Installations-Assistenten für Zorvex7 Gaming-Maus\n"
      "snapshot FWelcome install-02-welcome-german.png\n"
      "click FWelcome.bt_Next\n"
      "wait FSeriesSelect\n"
      "expect FSeriesSelect.rb_Series5 checked 1\n"
      "snapshot FSeriesSelect install-03-series.png\n"
      "click FSeriesSelect.bt_Next\n"
      "wait FEULA\n"
      "expect FEULA.rb_AgreeEULA caption Ich akzeptiere den Lizenzvertrag\n"
      "snapshot FEULA install-04-licence.png\n"
      "click FEULA.bt_Next\n"
      "wait FFinish\n"
      "expect FFinish.lb_Finish_Install caption Installation abgeschlossen\n"
      "expect FFinish.ck_StartProgram checked 1\n"
      "snapshot FFinish install-06-finish.png\n"
      "click FFinish.bt_Finish\n"
      "wait end 0\n");
  ASSERT_EQ(r.code, 0) << r.error;
  EXPECT_EQ(Value(kUninstallEntry, u"DisplayVersion"), u"19.02.0005");
  EXPECT_TRUE(Exists(kProgramFolder + u"Installed.log"));
  // The default series is the fourth.
  EXPECT_NE(Machine().ReadFile(kProgramFolder + u"Data\\Project.ini").find("SeriesType=Z7-S5"), std::string::npos);
  // The product learns the chosen language; Finish starts it through the launcher.
  EXPECT_NE(Machine().ReadFile(kProgramFolder + u"ini\\AppConfig.ini").find("German"), std::string::npos);
  EXPECT_NE(ToolLog().find("run \"C:\\Program Files (x86)\\Zorvex7\\Zorvex7\\DozadoZoZizo.exe\" Zorvex7.exe"),
            std::string::npos);
}

TEST_F(EndToEnd, SeriesChoiceWritesTheFifthCode) {
  const RunResult r = Run(
      "timeout 30\n"
      "wait FWelcome\nclick FWelcome.bt_Next\n"
      "wait FSeriesSelect\ntick FSeriesSelect.rb_Series7\nclick FSeriesSelect.bt_Next\n"
      "wait FEULA\nclick FEULA.bt_Next\n"
      "wait FFinish\nclick FFinish.bt_Finish\n"
      "wait end 0\n");
  ASSERT_EQ(r.code, 0) << r.error;
  EXPECT_NE(Machine().ReadFile(kProgramFolder + u"Data\\Project.ini").find("SeriesType=Z7-S7"), std::string::npos);
}

TEST_F(EndToEnd, OemPackageAsksBeforeInstalling) {
  std::string setup = Machine().ReadFile(kPackage + u"Setup.ini");
  setup.replace(setup.find("%PUBLISHER=Zorvex"), 17, "%PUBLISHER=OEM");
  Machine().WriteFile(kPackage + u"Setup.ini", setup);
  const RunResult r = Run(
      "timeout 30\n"
      "wait FWelcome\nclick FWelcome.bt_Next\n"
      "wait FAskInstall\n"
      "snapshot FAskInstall install-oem-ask-install.png\n"
      "click FAskInstall.bt_Install\n"
      "wait FFinish\nclick FFinish.bt_Finish\n"
      "wait end 0\n");
  ASSERT_EQ(r.code, 0) << r.error;
  EXPECT_EQ(Value(u"Software\\OEM\\Zorvex3", u"UninstRegFolder"), u"Zorvex3");
  EXPECT_TRUE(Exists(kProgramFolder + u"Installed.log"));
}

// A payload large enough that the copy is still running when Cancel is
// pressed right after the progress screen shows.
class CancelledInstall : public EndToEnd {
 protected:
  void SetUp() override {
    EndToEnd::SetUp();
    if (IsSkipped()) return;
    AddBulk(kPackage + u"program files\\Zorvex7\\Data\\Bulk", kBulkFiles);
  }
  int CopiedBulkFiles() { return CountFiles(kProgramFolder + u"Data\\Bulk"); }
  static constexpr int kBulkFiles = 3000;
  const std::string kToProgress =
      "timeout 30\n"
      "wait FWelcome\nclick FWelcome.bt_Next\n"
      "wait FSeriesSelect\nclick FSeriesSelect.bt_Next\n"
      "wait FEULA\nclick FEULA.bt_Next\n"
      "wait FInstall\nclick FInstall.bt_Cancel\n"
      "wait FCancelConfirm\n";
};

TEST_F(CancelledInstall, DeclinedCancelLetsTheInstallComplete) {
  const RunResult r = Run(kToProgress +
                          "snapshot FInstall install-05-progress.png\n"
                          "snapshot FCancelConfirm install-05-cancel-question.png\n"
                          "click FCancelConfirm.bt_Cancel\n"
                          "wait FFinish\nclick FFinish.bt_Finish\n"
                          "wait end 0\n");
  ASSERT_EQ(r.code, 0) << r.error;
  EXPECT_EQ(CopiedBulkFiles(), kBulkFiles);
  EXPECT_EQ(Value(kUninstallEntry, u"DisplayVersion"), u"19.02.0005");
  EXPECT_TRUE(Exists(kProgramFolder + u"Installed.log"));
}

TEST_F(CancelledInstall, AcceptedCancelEndsAfterTheNoticeWithNothingMoreWritten) {
  const RunResult r = Run(kToProgress +
                          "click FCancelConfirm.bt_OK\n"
                          "wait FCancel\n"
                          "snapshot FCancel install-cancelled.png\n"
                          "click FCancel.bt_OK\n"
                          "wait end 0\n");
  ASSERT_EQ(r.code, 0) << r.error;
  const int copied = CopiedBulkFiles();
  EXPECT_LT(copied, kBulkFiles);
  EXPECT_FALSE(Exists(kProgramFolder + u"Installed.log"));
  EXPECT_EQ(Value(kUninstallEntry, u"DisplayVersion"), u"<no key>");
  EXPECT_EQ(Value(kProductKey, u"UninstRegFolder"), u"<no key>");
  // The worker stood still at a pause point when the program ended.
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_EQ(CopiedBulkFiles(), copied);
}

}  // namespace
}  // namespace e2e

namespace e2e {
namespace {

// The uninstaller folder cannot be made (a file stands in its way): after the
// worker's message and its remaining steps the program ends, with no finish
// screen and no "Installed.log".
TEST_F(EndToEnd, FailedUninstallerFolderEndsWithoutTheFinishScreen) {
  Machine().WriteFile(u"C:\\ProgramData\\Zorvex7\\bin\\uninst", "in the way");
  const RunResult r = Run(
      "timeout 30\n"
      "wait FWelcome\nclick FWelcome.bt_Next\n"
      "wait FSeriesSelect\nclick FSeriesSelect.bt_Next\n"
      "wait FEULA\nclick FEULA.bt_Next\n"
      "wait MessageBox\nclick MessageBox.OK\n"
      "wait end 0\n");
  ASSERT_EQ(r.code, 0) << r.error;
  EXPECT_NE(ToolLog().find("Copy Failed!! (Install)\\r\\nInstallWizard Close. Please try again."), std::string::npos);
  EXPECT_FALSE(Exists(kProgramFolder + u"Installed.log"));
  EXPECT_EQ(Value(kUninstallEntry, u"DisplayVersion"), u"<no key>");
  // The user log rights after the stages still ran.
  EXPECT_NE(ToolLog().find("icacls.exe \"C:\\Program Files (x86)\\Zorvex7\\Zorvex7\\UserLog\""), std::string::npos);
}

}  // namespace
}  // namespace e2e
