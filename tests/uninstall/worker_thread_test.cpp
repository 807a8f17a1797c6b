// The uninstall worker on its own thread honours a pause as well.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

#include "install/package_fixture.h"
#include "uninstall/uninstallthread.h"

namespace {

using namespace zxtest;

TEST(UninstallWorker, PausesBetweenOperationsAndGoesOnWhenResumed) {
  PackageSpec spec;
  for (int i = 0; i < 200; ++i) spec.extraProgramFiles.push_back({"lib\\f" + std::to_string(i) + ".dll", "x"});
  InstallRig rig(spec);
  rig.Install();
  TApp& app = rig.NewApp();
  app.deleteUserData = true;
  UninstallRecord record;
  ASSERT_TRUE(ReadUninstallRecord(app.ProductKey(), record));

  ScreenSide screen;
  auto worker = std::make_unique<TUninstallThread>(screen.Outputs(), record);
  worker->Suspend();
  worker->Start();
  worker->WaitUntilPaused();
  EXPECT_TRUE(rig.m.Exists(kDesktop + u"\\Zorvex7 Mouse.lnk"));

  // Pause again as the worker names f20.dll, asked from its own thread, so it
  // stops at the next pause point however fast the deletes run.
  std::promise<void> asked;
  screen.recorder.onText = [&](const String& text) {
    if (!text.ends_with(u"\\lib\\f20.dll")) return;
    worker->Suspend();
    asked.set_value();
  };
  worker->Resume();
  // The worker is running again once it has asked; only then does waiting
  // for its pause mean the pause in the middle.
  ASSERT_EQ(asked.get_future().wait_for(std::chrono::seconds(20)), std::future_status::ready);
  worker->WaitUntilPaused();
  screen.recorder.onText = nullptr;
  ASSERT_FALSE(worker->Finished());
  const std::set<std::string> paused = DriveEntries(rig.m);
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(DriveEntries(rig.m), paused);

  worker->Resume();
  worker->WaitFor();
  EXPECT_FALSE(rig.m.Exists(rig.ProgramFolder() + u"\\lib"));
  EXPECT_EQ(screen.Posted(kUninstallFinishedMessage), 1);
}

}  // namespace
