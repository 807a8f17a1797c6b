// Uninstalls through the installed uninstaller copy: with and without the
// user's data, without confirmation, and silently.
#include "e2e_fixture.h"

namespace e2e {
namespace {

const String kUserLog = kProgramFolder + u"UserLog\\History.log";

TEST_F(EndToEnd, UninstallKeepsOrDeletesTheUserDataAsChosen) {
  for (const bool deleteUserData : {false, true}) {
    SCOPED_TRACE(deleteUserData ? "ticked" : "unticked");
    ASSERT_NO_FATAL_FAILURE(InstallOnce());
    ASSERT_TRUE(Exists(kUserLog));
    const std::string prefix = deleteUserData ? "uninstall-" : "uninstall-keep-";
    const RunResult r = Run(
        "timeout 30\n"
        "wait FUninstallConfirm\n" +
            std::string(deleteUserData ? "tick FUninstallConfirm.ck_DeleteUserLog\n" : "") + "snapshot FUninstallConfirm " +
            prefix + "01-confirm.png\n"
            "click FUninstallConfirm.bt_OK\n"
            "wait FFinish\n"
            "expect FFinish.lb_Finish_Uninstall visible 1\n"
            "expect FFinish.ck_StartProgram visible 0\n"
            "snapshot FFinish " +
            prefix + "03-finish.png\n"
            "click FFinish.bt_Finish\n"
            "wait end 0\n",
        kUninstaller, "uninstall");
    ASSERT_EQ(r.code, 0) << r.error;
    EXPECT_EQ(Value(kUninstallEntry, u"DisplayVersion"), u"<no key>");
    EXPECT_EQ(Value(kProductKey, u"UninstRegFolder"), u"<no key>");
    EXPECT_FALSE(Exists(kProgramFolder + u"Zorvex7.exe"));
    EXPECT_EQ(Exists(kUserLog), !deleteUserData);
  }
}

// A close request on the progress screen pauses the run and asks; declining
// lets it finish.
TEST_F(EndToEnd, UninstallAnywayShowsOnlyProgressAndFinish) {
  ASSERT_NO_FATAL_FAILURE(InstallOnce());
  // Enough files that the removal is still running when the request comes.
  AddBulk(kProgramFolder + u"Data\\Bulk", 3000);
  const RunResult r = Run(
      "timeout 30\n"
      "wait FUninstall\n"
      "close FUninstall\n"
      "wait FCancelConfirm\n"
      "snapshot FUninstall uninstall-02-progress.png\n"
      "snapshot FCancelConfirm uninstall-02-cancel-question.png\n"
      "click FCancelConfirm.bt_Cancel\n"
      "wait FFinish\n"
      "click FFinish.bt_Finish\n"
      "wait end 0\n",
      kUninstaller, "uninstallanyway");
  ASSERT_EQ(r.code, 0) << r.error;
  EXPECT_EQ(Value(kUninstallEntry, u"DisplayVersion"), u"<no key>");
  EXPECT_EQ(CountFiles(kProgramFolder + u"Data\\Bulk"), 0);
  // Without the confirmation the user data stays.
  EXPECT_TRUE(Exists(kUserLog));
}

TEST_F(EndToEnd, SilentUninstallShowsNoWindowAtAll) {
  ASSERT_NO_FATAL_FAILURE(InstallOnce());
  std::atomic<bool> done{false};
  std::atomic<bool> shown{false};
  std::string seen;
  std::thread watcher([&] {
    const std::string folder = Machine().Dir() + "/ui";
    while (!done) {
      if (fs::exists(folder))
        for (const auto& entry : fs::directory_iterator(folder)) {
          if (entry.path().extension() != ".state") continue;
          std::istringstream lines(Slurp(entry.path().string()));
          for (std::string line; std::getline(lines, line);) {
            const auto fields = sim::SplitTabs(line);
            if (fields[0] == "form" && sim::StateField(fields, "shown") == "1") {
              shown = true;
              seen = sim::StateField(fields, "name");
            }
          }
        }
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  });
  const RunResult r = Run("timeout 30\nwait end 0\n", kUninstaller, "silentuninstall");
  done = true;
  watcher.join();
  ASSERT_EQ(r.code, 0) << r.error;
  EXPECT_FALSE(shown) << seen;
  EXPECT_EQ(Value(kUninstallEntry, u"DisplayVersion"), u"<no key>");
  EXPECT_FALSE(Exists(kProgramFolder + u"Zorvex7.exe"));
  EXPECT_TRUE(Exists(kUserLog));
}

}  // namespace
}  // namespace e2e
