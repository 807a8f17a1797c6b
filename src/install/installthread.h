// The install run: the worker that performs an installation after the user
// confirmed it, stage by stage, writing the progress screen's status label and
// bar, and posting "INSTALL_THREAD_FINISHED" to the screen when it is done.
#pragma once

#include <memory>

#include "app/worker_outputs.h"
#include "platform/ini.h"
#include "platform/thread.h"

inline constexpr char16_t kInstallFinishedMessage[] = u"INSTALL_THREAD_FINISHED";

class TInstallThread : public win::Thread {
 public:
  // Created suspended; the progress screen owns it and starts it once
  // (TWorkerScreen::StartOwnedWorker). Works on the application object `App`.
  explicit TInstallThread(WorkerOutputs outputs);
  ~TInstallThread() override;

  // The whole run, on the calling thread (Execute calls it; tests call it
  // directly). Returns once the completion message is posted, or, after a
  // failed uninstaller folder, once the program was asked to end.
  void Run();

  // Whether the uninstaller folder stage failed, or the program folder was a
  // junction or symbolic link, and the installation ended.
  bool Failed() const { return failed_; }

 protected:
  void Execute() override;

 private:
  void RunStages();
  // A stage that ends the installation: the worker's message (errorText first
  // when there is one), the terminate flag, and no later stage.
  void EndRunAfterFailure(const String& errorText);

  WorkerOutputs outputs_;
  std::unique_ptr<win::MemIniFile> setupReader_;  // the run's own reader over Setup.ini
  bool failed_ = false;
};
