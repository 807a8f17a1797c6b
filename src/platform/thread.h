// The worker thread of the install and uninstall runs, after the toolkit's
// TThread: created suspended, started once, a terminate flag. Its owner frees
// it; destroying a worker waits until its Execute has returned.
//
// Pausing is cooperative: Suspend() asks the worker to stop at its next pause
// point, which lies between single file, registry and process operations, so a
// paused or abandoned run never leaves a half-written file. Code that runs on a
// worker calls win::PausePoint() between such operations; on any other thread
// the call returns at once.
#pragma once

#include <condition_variable>
#include <mutex>
#include <thread>

namespace win {

class Thread {
 public:
  Thread();
  virtual ~Thread();
  Thread(const Thread&) = delete;
  Thread& operator=(const Thread&) = delete;

  void Start();     // once; later calls do nothing
  void Suspend();   // pause at the next pause point; a second call changes nothing
  void Resume();    // one call restarts a paused worker
  void Terminate(); // sets the terminate flag; the worker decides what it means
  // Ends the run at its next pause point (at once when it stands at one):
  // PausePoint throws there, the worker's code unwinds without taking another
  // step, and Execute returns. For an abandoned run whose program ends.
  void Stop();

  bool Started() const;
  bool Terminated() const;
  bool Finished() const;
  bool SuspendRequested() const;
  // True once the worker stands still at a pause point (or has finished).
  bool Paused() const;
  // Waits until the worker stands at a pause point or has finished.
  void WaitUntilPaused();
  // Waits until Execute has returned.
  void WaitFor();

 protected:
  virtual void Execute() = 0;
  // Honours a pause request; called by PausePoint() on this worker's thread.
  void CheckPause();

 private:
  friend void PausePoint();
  void Run();

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::thread thread_;
  bool started_ = false;
  bool terminated_ = false;
  bool finished_ = false;
  bool suspendRequested_ = false;
  bool stopRequested_ = false;
  bool paused_ = false;
};

// Pause point for code running on a worker (folder copies, registry writes,
// process runs); returns at once on threads that are not workers.
void PausePoint();

}  // namespace win
