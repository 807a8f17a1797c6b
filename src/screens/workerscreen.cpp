#include "screens/workerscreen.h"

#include <chrono>
#include <future>

#include "app/worker_outputs.h"
#include "screens/cancelconfirmform.h"
#include "screens/screens.h"
#include "text/text_keys.h"

namespace {

// The toolkit's simple message dialog for a worker: shown on the
// user-interface thread; the worker waits until it is closed (or the program
// ends meanwhile).
void ShowMessageForWorker(const String& text) {
  win::Application& application = win::GetApplication();
  if (application.IsUiThread()) {
    application.ShowMessage(text);
    return;
  }
  auto shown = std::make_shared<std::promise<void>>();
  std::future<void> closed = shown->get_future();
  application.Queue([text, shown] {
    win::GetApplication().ShowMessage(text);
    shown->set_value();
  });
  while (closed.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready)
    if (application.Terminated()) return;
}

}  // namespace

TWorkerScreen::TWorkerScreen(win::Component* owner, StringView className, StringView formName)
    : TWizardForm(owner, className, formName) {
  SetClientSize(632, 456);
  CreateStandardImages();
}

TWorkerScreen::~TWorkerScreen() {
  if (!worker_) return;
  // A run still going (an abandoned one stands at its pause point) is ended
  // there, between two steps, and then freed.
  if (!worker_->Finished()) {
    worker_->Suspend();
    worker_->WaitUntilPaused();
    worker_->Stop();
  }
  worker_.reset();
}

bool TWorkerScreen::PauseWorker() {
  if (!worker_ || worker_->Finished()) return false;
  worker_->Suspend();
  return true;
}

// An abandoned worker is never sent on again.
void TWorkerScreen::ResumeWorker() {
  if (worker_ && !abandoned_ && !worker_->Finished()) worker_->Resume();
}

void TWorkerScreen::AbandonWorker() {
  if (!worker_) return;
  abandoned_ = true;
  worker_->Terminate();
  worker_->Suspend();
  win::Application& application = win::GetApplication();
  // The wait cursor shows until the worker stands still.
  application.SetWaitCursor(true);
  while (!worker_->Paused() && !application.Terminated()) application.HandleMessage(20);
  application.SetWaitCursor(false);
}

void TWorkerScreen::CancelRequest() {
  if (!PauseWorker()) return;
  FCancelConfirm->Show();
}

void TWorkerScreen::FinishProgressScreen(win::Label& heading, win::Label& status,
                                         StringView barName, const ProgressParts& parts) {
  heading.SetWordWrap(true);
  status.SetLayout(win::TextLayout::Bottom);
  parts.bar = MakeProgressBar(barName);
  win::Button* cancel = parts.cancel = MakeButton(u"bt_Cancel", u"Cancel", 552, 395);
  cancel->OnClick = [this](win::Component*) { CancelRequest(); };
  OnCreate = [this, cancel, &skinCancel = parts.skinCancel](win::Component*) {
    ApplyScreenLayout();
    skinCancel = SkinPushButton(*cancel, kCancelPicture);
  };
  ActivateAsStandard();
  CloseRequestDoes([this] { CancelRequest(); });
  HookWindowProc();
}

// Every worker of the program is started here, and the rule is one: the screen
// that starts a worker owns it. The screen keeps the object while the worker
// runs, pauses, resumes or is abandoned, so it can always ask how the run
// stands; an abandoned worker stands still at its pause point until the screen
// is destroyed when the program ends, which stops it there and frees it. A
// worker never frees itself.
void TWorkerScreen::StartOwnedWorker(std::unique_ptr<win::Thread> worker) {
  if (worker_ || !worker) return;
  worker_ = std::move(worker);
  worker_->Start();
}

WorkerOutputs TWorkerScreen::Outputs(win::Label& status, win::ProgressBar& bar) {
  status_ = std::make_unique<win::LabelStatusLine>(status);
  bar_ = std::make_unique<win::BarProgressIndicator>(bar);
  WorkerOutputs outputs;
  outputs.status = status_.get();
  outputs.bar = bar_.get();
  outputs.window = Handle();
  outputs.showMessage = ShowMessageForWorker;
  outputs.terminateApplication = [] { win::GetApplication().Terminate(); };
  return outputs;
}

win::ProgressBar* TWorkerScreen::MakeProgressBar(StringView name) {
  auto* bar = Create<win::ProgressBar>(name);
  bar->SetBounds(200, 272, 400, 16);
  bar->SetRange(0, 100);
  return bar;
}
