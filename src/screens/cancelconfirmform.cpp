#include "screens/cancelconfirmform.h"

#include "app/app.h"
#include "app/prepareform.h"
#include "screens/cancelform.h"
#include "screens/installform.h"
#include "screens/screens.h"
#include "screens/uninstallform.h"
#include "text/text_appliers.h"

namespace {

// The progress screen whose run the question is about: by the run mode.
TWorkerScreen* RunningScreen() {
  if (FPrepare && IsUninstallMode(FPrepare->RunMode)) return FUninstall;
  return FInstall;
}

}  // namespace

TFCancelConfirm::TFCancelConfirm(win::Component* owner)
    : TWizardForm(owner, u"TFCancelConfirm", u"FCancelConfirm") {
  SetClientSize(632, 456);
  CreateStandardImages();
  lb_CancelConfirm = MakeLabel(u"lb_CancelConfirm", 200, 100, 400, 160);
  lb_CancelConfirm->SetWordWrap(true);
  bt_OK = MakeButton(u"bt_OK", u"OK", 480, 395);
  bt_Cancel = MakeButton(u"bt_Cancel", u"Cancel", 552, 395);
  bt_OK->OnClick = [this](win::Component*) { bt_OKClick(); };
  bt_Cancel->OnClick = [this](win::Component*) { bt_CancelClick(); };
  OnCreate = [this](win::Component*) {
    skinOK_ = SkinPushButton(*bt_OK, u"OK.bmp");
    skinCancel_ = SkinPushButton(*bt_Cancel, u"Cancel.bmp");
    ApplyScreenLayout();
  };
  ActivateAsStandard();
  CloseRequestDoes([this] { bt_CancelClick(); });

  HookWindowProc();
  ApplyTexts();
  bt_OK->SetCaption(u"");
  bt_Cancel->SetCaption(u"");
}

TFCancelConfirm::~TFCancelConfirm() {
  skinOK_.reset();
  skinCancel_.reset();
  if (FCancelConfirm == this) FCancelConfirm = nullptr;
}

void TFCancelConfirm::ApplyTexts() {
  ApplyLabelTexts(*App, *this, App->textSection);
  LoadBannerAndLogo();
}

bool TFCancelConfirm::ScreenMessage(win::Message& message) {
  if (message.msg != win::kWmUser) return false;
  ApplyTexts();
  return true;
}

void TFCancelConfirm::bt_OKClick() {
  if (TWorkerScreen* screen = RunningScreen()) {
    // The worker stops at its next pause point and stays there; what it has
    // done stays done.
    screen->AbandonWorker();
    screen->Hide();
  }
  Hide();
  FCancel->Show();
}

void TFCancelConfirm::bt_CancelClick() {
  Hide();
  if (TWorkerScreen* screen = RunningScreen()) screen->ResumeWorker();
}
