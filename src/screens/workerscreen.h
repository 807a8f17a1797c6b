// The two progress screens share the care of their worker: it is started
// once, on the first show; Cancel (or a close request) pauses it at its next
// pause point and asks whether to stop; the answer resumes or abandons it.
// The screen keeps the worker object, so a finished worker can still be asked
// whether it has finished.
#pragma once

#include <memory>

#include "platform/thread.h"
#include "screens/wizardform.h"

struct WorkerOutputs;

class TWorkerScreen : public TWizardForm {
 public:
  // A progress screen has the designed size and the standard pictures.
  TWorkerScreen(win::Component* owner, StringView className, StringView formName);
  // A worker still running is first brought to its next pause point, so the
  // program never ends while it is inside a step, and is ended and freed there.
  ~TWorkerScreen() override;

  bool WorkerStarted() const { return worker_ != nullptr; }
  bool WorkerFinished() const { return worker_ && worker_->Finished(); }
  // Asks the worker to stop at its next pause point; false (nothing done)
  // when there is no worker or it has finished. A second call changes nothing.
  bool PauseWorker();
  void ResumeWorker();
  // Stops the run for good: the worker is told to terminate and this waits,
  // handling messages, until it stands at its next pause point (or has
  // finished). A completion it reports afterwards is ignored.
  void AbandonWorker();
  bool Abandoned() const { return abandoned_; }
  // Starts the worker unless one exists; the screen owns it (see the rule at
  // its definition).
  void StartOwnedWorker(std::unique_ptr<win::Thread> worker);

 protected:
  // Cancel and close requests: pause the worker and ask over this screen.
  void CancelRequest();
  // The outputs a worker writes to: the status label and bar of this screen
  // (updated on the user-interface thread, in order), this screen's window
  // for the completion message, message boxes and the end of the program.
  WorkerOutputs Outputs(win::Label& status, win::ProgressBar& bar);
  // The designed progress bar under the status line (0 to 100).
  win::ProgressBar* MakeProgressBar(StringView name);

  // Where a progress screen keeps what FinishProgressScreen makes.
  struct ProgressParts {
    win::ProgressBar*& bar;
    win::Button*& cancel;
    std::unique_ptr<TskinButton>& skinCancel;
  };
  // The designed progress screen below its heading and status line: the bar,
  // and Cancel, which (like a close request) asks whether to stop and is
  // skinned when the form is created. The screen's window procedure is hooked.
  void FinishProgressScreen(win::Label& heading, win::Label& status, StringView barName,
                            const ProgressParts& parts);

 private:
  std::unique_ptr<win::Thread> worker_;
  std::unique_ptr<win::StatusLine> status_;
  std::unique_ptr<win::ProgressIndicator> bar_;
  bool abandoned_ = false;
};
