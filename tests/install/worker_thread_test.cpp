// The install worker on its own thread: a pause stops it between single
// operations and nothing moves until it is resumed.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "install/package_fixture.h"

namespace {

using namespace zxtest;

TEST(InstallWorker, PausesBetweenOperationsAndGoesOnWhenResumed) {
  PackageSpec spec;
  for (int i = 0; i < 200; ++i) spec.extraProgramFiles.push_back({"lib\\f" + std::to_string(i) + ".dll", "x"});
  InstallRig rig(spec);
  TApp& app = rig.NewApp();
  app.RunState = kRunStateFreshInstall;

  auto worker = std::make_unique<TInstallThread>(rig.screen.Outputs());
  worker->SetFreeOnTerminate(false);
  worker->Suspend();  // asked before it starts: it stops at its first pause point
  worker->Start();
  worker->WaitUntilPaused();
  EXPECT_FALSE(worker->Finished());
  EXPECT_FALSE(rig.m.Exists(rig.ProgramFolder()));

  worker->Resume();
  // Pause again somewhere in the middle of the copies.
  while (!rig.m.Exists(rig.ProgramFolder() + u"\\lib\\f20.dll") && !worker->Finished())
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  worker->Suspend();
  worker->WaitUntilPaused();
  ASSERT_FALSE(worker->Finished());
  const std::set<std::string> paused = DriveEntries(rig.m);
  const size_t events = rig.screen.recorder.events.size();
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(DriveEntries(rig.m), paused);
  EXPECT_EQ(rig.screen.recorder.events.size(), events);

  worker->Resume();
  worker->WaitFor();
  EXPECT_TRUE(rig.m.Exists(rig.ProgramFolder() + u"\\lib\\f199.dll"));
  EXPECT_EQ(rig.screen.Posted(kInstallFinishedMessage), 1);
}

}  // namespace
