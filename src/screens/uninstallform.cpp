#include "screens/uninstallform.h"

#include "app/app.h"
#include "app/run_mode.h"
#include "screens/cancelconfirmform.h"
#include "screens/finishform.h"
#include "screens/screens.h"
#include "text/text_appliers.h"
#include "text/text_keys.h"
#include "uninstall/uninstallthread.h"

TFUninstall::TFUninstall(win::Component* owner) : TWorkerScreen(owner, u"TFUninstall", u"FUninstall") {
  lb_Uninstall = MakeLabel(u"lb_Uninstall", 200, 80, 400, 40);
  lb_UninstallProc = MakeLabel(u"lb_UninstallProc", 200, 250, 400, 16);
  FinishProgressScreen(*lb_Uninstall, *lb_UninstallProc, u"pb_Uninstallation",
                       {pb_Uninstallation, bt_Cancel, skinCancel_});
  bt_Cancel->Hide();
  OnShow = [this](win::Component*) { StartWorker(); };
  ApplyLabelTexts(*App, *this, App->textSection);
  bt_Cancel->SetCaption(u"");
  lb_Uninstall->SetCaption(TextParam(caption::FUninstall_lb_Uninstall));
  LoadBannerAndLogo();
}

TFUninstall::~TFUninstall() {
  skinCancel_.reset();
  if (FUninstall == this) FUninstall = nullptr;
}

void TFUninstall::StartWorker() {
  if (WorkerStarted()) return;
  StartOwnedWorker(std::make_unique<TUninstallThread>(Outputs(*lb_UninstallProc, *pb_Uninstallation),
                                                      record));
}

bool TFUninstall::ScreenMessage(win::Message& message) {
  if (message.msg != win::RegisterWindowMessage(kUninstallFinishedMessage)) return false;
  if (Abandoned()) return true;
  if (FCancelConfirm->Visible()) FCancelConfirm->Hide();
  if (App->RunState == kRunStateSilentUninstall) {
    // Closing the finish screen without showing it ends the program.
    FFinish->Close();
    return true;
  }
  Hide();
  FFinish->Show();
  return true;
}
