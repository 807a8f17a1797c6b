// The uninstall worker on its own thread honours a pause as well.
#include <gtest/gtest.h>

#include <chrono>
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
  worker->SetFreeOnTerminate(false);
  worker->Suspend();
  worker->Start();
  worker->WaitUntilPaused();
  EXPECT_TRUE(rig.m.Exists(kDesktop + u"\\Zorvex7 Mouse.lnk"));

  worker->Resume();
  while (rig.m.Exists(rig.ProgramFolder() + u"\\lib\\f20.dll") && !worker->Finished())
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  worker->Suspend();
  worker->WaitUntilPaused();
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
