#include "screens/installform.h"

#include "app/app.h"
#include "app/run_mode.h"
#include "install/installthread.h"
#include "screens/cancelconfirmform.h"
#include "screens/finishform.h"
#include "screens/program_end.h"
#include "screens/screens.h"
#include "text/text_appliers.h"
#include "text/text_keys.h"

TFInstall::TFInstall(win::Component* owner) : TWorkerScreen(owner, u"TFInstall", u"FInstall") {
  lb_Install = MakeLabel(u"lb_Install", 200, 80, 400, 40);
  lb_InstallProc = MakeLabel(u"lb_InstallProc", 200, 250, 400, 16);
  FinishProgressScreen(*lb_Install, *lb_InstallProc, u"pb_Installation",
                       {pb_Installation, bt_Cancel, skinCancel_});
  OnShow = [this](win::Component*) { FormShow(); };
  ApplyTexts();
  bt_Cancel->SetCaption(u"");
}

TFInstall::~TFInstall() {
  skinCancel_.reset();
  if (FInstall == this) FInstall = nullptr;
}

void TFInstall::ApplyTexts() {
  ApplyLabelTexts(*App, *this, App->textSection);
  // The heading names the product; it overrides what the applier set.
  lb_Install->SetCaption(TextParam(caption::FInstall_lb_Install));
  LoadBannerAndLogo();
}

void TFInstall::FormShow() { StartWorker(); }

void TFInstall::StartWorker() {
  if (WorkerStarted()) return;
  StartOwnedWorker(std::make_unique<TInstallThread>(Outputs(*lb_InstallProc, *pb_Installation)));
}

bool TFInstall::ScreenMessage(win::Message& message) {
  if (message.msg == win::RegisterWindowMessage(kInstallFinishedMessage)) {
    // A run the user abandoned ends through the cancelled notice.
    if (Abandoned()) return true;
    // The run is complete: a cancel question still up has nothing left to stop.
    if (FCancelConfirm->Visible()) FCancelConfirm->Hide();
    if (App->RunMode == kRunModeSilentInstall) {
      // No finish screen: its records are written, nothing is started.
      FFinish->WriteInstallRecords();
      App->log.Write(u"install finished");
      EndProgram();
      return true;
    }
    Hide();
    FFinish->Show();
    return true;
  }
  if (message.msg != win::kWmUser) return false;
  ApplyTexts();
  return true;
}
