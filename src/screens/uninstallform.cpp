#include "screens/uninstallform.h"

#include "app/app.h"
#include "app/prepareform.h"
#include "screens/cancelconfirmform.h"
#include "screens/finishform.h"
#include "screens/screens.h"
#include "text/text_appliers.h"
#include "text/text_keys.h"
#include "uninstall/uninstallthread.h"

TFUninstall::TFUninstall(win::Component* owner) : TWorkerScreen(owner, u"TFUninstall", u"FUninstall") {
  SetClientSize(632, 456);
  CreateStandardImages();
  lb_Uninstall = MakeLabel(u"lb_Uninstall", 200, 80, 400, 40);
  lb_Uninstall->SetWordWrap(true);
  lb_UninstallProc = MakeLabel(u"lb_UninstallProc", 200, 250, 400, 16);
  lb_UninstallProc->SetLayout(win::TextLayout::Bottom);
  pb_Uninstallation = MakeProgressBar(u"pb_Uninstallation");
  bt_Cancel = MakeButton(u"bt_Cancel", u"Cancel", 552, 395);
  bt_Cancel->Hide();
  bt_Cancel->OnClick = [this](win::Component*) { bt_CancelClick(); };
  OnCreate = [this](win::Component*) {
    ApplyScreenLayout();
    skinCancel_ = SkinPushButton(*bt_Cancel, kCancelPicture);
  };
  OnShow = [this](win::Component*) { StartWorker(); };
  ActivateAsStandard();
  CloseRequestDoes([this] { bt_CancelClick(); });

  HookWindowProc();
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
                                                      FPrepare->uninstallRecord));
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
