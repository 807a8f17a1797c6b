// The install worker on its own thread: a pause stops it between single
// operations and nothing moves until it is resumed.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
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
  worker->Suspend();  // asked before it starts: it stops at its first pause point
  worker->Start();
  worker->WaitUntilPaused();
  EXPECT_FALSE(worker->Finished());
  EXPECT_FALSE(rig.m.Exists(rig.ProgramFolder()));

  // Pause again in the middle of the copies: asked from the worker's own
  // thread as it names f20.dll, so it stops at the next pause point however
  // fast the copies run.
  std::promise<void> asked;
  rig.screen.recorder.onText = [&](const String& text) {
    if (!text.ends_with(u"\\lib\\f20.dll")) return;
    worker->Suspend();
    asked.set_value();
  };
  worker->Resume();
  // The worker is running again once it has asked; only then does waiting
  // for its pause mean the pause in the middle.
  ASSERT_EQ(asked.get_future().wait_for(std::chrono::seconds(20)), std::future_status::ready);
  worker->WaitUntilPaused();
  rig.screen.recorder.onText = nullptr;
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
