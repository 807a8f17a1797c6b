// The uninstall run: the worker that removes an installed copy (start-up
// value, Add/Remove Programs entry, shortcuts, product record, install folder
// contents), writing the uninstall screen's label and bar and posting
// "UNINSTALL_THREAD_FINISHED" to the screen when it is done.
#pragma once

#include "app/worker_outputs.h"
#include "platform/thread.h"
#include "app/uninstall_record.h"

inline constexpr char16_t kUninstallFinishedMessage[] = u"UNINSTALL_THREAD_FINISHED";

// The stage texts, fixed English words whatever the wizard's language.
inline constexpr char16_t kRemoveRegOnBoot[] = u"Remove Reg on Boot!";
inline constexpr char16_t kRemoveRegOnAddRemove[] = u"Remove Reg on Add/Remove Programs!";
inline constexpr char16_t kRemoveLinks[] = u"Remove Links!";
inline constexpr char16_t kRemoveRegOnProgramFolder[] = u"Remove Reg on Program Folder!";
inline constexpr char16_t kRemoveProgramFolder[] = u"Remove Program Folder!";

class TUninstallThread : public win::Thread {
 public:
  // Created suspended; the uninstall screen owns it and starts it once
  // (TWorkerScreen::StartOwnedWorker), also in the silent uninstall. The record is the one read
  // at start-up; the registry folder name and the user's delete-user-data
  // choice are read from the application object `App` when the run needs them.
  TUninstallThread(WorkerOutputs outputs, UninstallRecord record);
  ~TUninstallThread() override;

  // The whole run on the calling thread (Execute calls it; tests call it).
  void Run();

 protected:
  void Execute() override;

 private:
  // A step's status text on the screen and in the run's log, and the bar.
  void StepDone(const char16_t* status, int progress);

  WorkerOutputs outputs_;
  UninstallRecord record_;
};
