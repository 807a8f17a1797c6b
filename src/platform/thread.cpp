#include "platform/thread.h"

namespace win {

namespace {
thread_local Thread* currentWorker = nullptr;

// Thrown by a pause point of a stopped worker; caught where its run began.
struct RunStopped {};
}

Thread::Thread() = default;

Thread::~Thread() {
  if (thread_.joinable()) {
    if (thread_.get_id() == std::this_thread::get_id())
      thread_.detach();
    else
      thread_.join();
  }
}

void Thread::Start() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (started_) return;
  started_ = true;
  thread_ = std::thread([this] { Run(); });
}

void Thread::Run() {
  currentWorker = this;
  try {
    Execute();
  } catch (const RunStopped&) {
    // Stopped at a pause point: the run took no further step.
  }
  currentWorker = nullptr;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    finished_ = true;
  }
  changed_.notify_all();
}

void Thread::Suspend() {
  std::lock_guard<std::mutex> lock(mutex_);
  suspendRequested_ = true;
}

void Thread::Resume() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    suspendRequested_ = false;
  }
  changed_.notify_all();
}

void Thread::Terminate() {
  std::lock_guard<std::mutex> lock(mutex_);
  terminated_ = true;
}

void Thread::Stop() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopRequested_ = true;
  }
  changed_.notify_all();
}

bool Thread::Started() const { std::lock_guard<std::mutex> lock(mutex_); return started_; }
bool Thread::Terminated() const { std::lock_guard<std::mutex> lock(mutex_); return terminated_; }
bool Thread::Finished() const { std::lock_guard<std::mutex> lock(mutex_); return finished_; }
bool Thread::SuspendRequested() const { std::lock_guard<std::mutex> lock(mutex_); return suspendRequested_; }
bool Thread::Paused() const { std::lock_guard<std::mutex> lock(mutex_); return paused_ || finished_; }

void Thread::WaitUntilPaused() {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [this] { return paused_ || finished_ || !started_; });
}

void Thread::WaitFor() {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [this] { return finished_ || !started_; });
}

void Thread::CheckPause() {
  std::unique_lock<std::mutex> lock(mutex_);
  if (stopRequested_) throw RunStopped{};
  if (!suspendRequested_) return;
  paused_ = true;
  changed_.notify_all();
  changed_.wait(lock, [this] { return !suspendRequested_ || stopRequested_; });
  paused_ = false;
  if (stopRequested_) throw RunStopped{};
}

void PausePoint() {
  if (currentWorker) currentWorker->CheckPause();
}

}  // namespace win
