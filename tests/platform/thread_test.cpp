// The worker thread's pause and stop: a worker is only ever ended between two
// steps, at a pause point.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include "platform/thread.h"

namespace {

// Counts its steps; a pause point before each.
class Counter : public win::Thread {
 public:
  explicit Counter(std::atomic<int>& steps) : steps_(steps) {}
  void Execute() override {
    for (int i = 0; i < 1000; ++i) {
      win::PausePoint();
      ++steps_;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    completed = true;
  }
  std::atomic<bool> completed{false};

 private:
  std::atomic<int>& steps_;
};

TEST(WorkerStop, APausedWorkerEndsAtItsPausePointWithoutAnotherStep) {
  std::atomic<int> steps{0};
  auto worker = std::make_unique<Counter>(steps);
  worker->Suspend();
  worker->Start();
  worker->WaitUntilPaused();
  EXPECT_EQ(steps, 0);
  worker->Stop();
  worker->WaitFor();
  EXPECT_TRUE(worker->Finished());
  EXPECT_FALSE(worker->completed);
  EXPECT_EQ(steps, 0);
  worker.reset();  // freed by its owner; nothing waits any more
}

TEST(WorkerStop, ARunningWorkerEndsAtItsNextPausePoint) {
  std::atomic<int> steps{0};
  auto worker = std::make_unique<Counter>(steps);
  worker->Start();
  while (steps < 3) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  worker->Stop();
  worker->WaitFor();
  EXPECT_FALSE(worker->completed);
  EXPECT_LT(steps, 1000);
}

TEST(WorkerStop, PausePointsOutsideAWorkerDoNothing) {
  std::atomic<int> steps{0};
  Counter idle(steps);  // never started
  idle.Stop();
  win::PausePoint();
  EXPECT_FALSE(idle.Finished());
  idle.WaitFor();  // an unstarted worker has nothing to wait for
}

}  // namespace
