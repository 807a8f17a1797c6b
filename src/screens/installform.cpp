#include "screens/installform.h"

#include "app/app.h"
#include "app/prepareform.h"
#include "install/installthread.h"
#include "screens/cancelconfirmform.h"
#include "screens/finishform.h"
#include "screens/screens.h"
#include "text/text_appliers.h"
#include "text/text_keys.h"

TFInstall::TFInstall(win::Component* owner) : TWorkerScreen(owner, u"TFInstall", u"FInstall") {
  SetClientSize(632, 456);
  CreateStandardImages();
  lb_Install = MakeLabel(u"lb_Install", 200, 80, 400, 40);
  lb_Install->SetWordWrap(true);
  lb_InstallProc = MakeLabel(u"lb_InstallProc", 200, 250, 400, 16);
  lb_InstallProc->SetLayout(win::TextLayout::Bottom);
  pb_Installation = MakeProgressBar(u"pb_Installation");
  bt_Cancel = MakeButton(u"bt_Cancel", u"Cancel", 552, 395);
  bt_Cancel->OnClick = [this](win::Component*) { bt_CancelClick(); };
  OnCreate = [this](win::Component*) {
    ApplyScreenLayout();
    skinCancel_ = SkinPushButton(*bt_Cancel, kCancelPicture);
  };
  OnShow = [this](win::Component*) { FormShow(); };
  ActivateAsStandard();
  CloseRequestDoes([this] { bt_CancelClick(); });

  HookWindowProc();
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
    if (FPrepare->RunMode == kRunModeSilentInstall) {
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
