#include "screens/cancelconfirmform.h"

#include "app/app.h"
#include "app/run_mode.h"
#include "screens/cancelform.h"
#include "screens/installform.h"
#include "screens/screens.h"
#include "screens/uninstallform.h"
#include "text/text_appliers.h"
#include "text/text_keys.h"

namespace {

// The progress screen whose run the question is about: by the run mode.
TWorkerScreen* RunningScreen() {
  if (IsUninstallMode(App->RunMode)) return FUninstall;
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
    skinOK_ = SkinPushButton(*bt_OK, kOKPicture);
    skinCancel_ = SkinPushButton(*bt_Cancel, kCancelPicture);
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

// Once confirmed, the cancel is final: the question goes away before the
// wait for the worker, so that nothing (a click, a key, a close request)
// can answer it again while the worker comes to its pause point.
void TFCancelConfirm::bt_OKClick() {
  if (confirmed_) return;
  confirmed_ = true;
  Hide();
  if (TWorkerScreen* screen = RunningScreen()) {
    // The worker stops at its next pause point and stays there; what it has
    // done stays done.
    screen->AbandonWorker();
    screen->Hide();
  }
  FCancel->Show();
}

void TFCancelConfirm::bt_CancelClick() {
  if (confirmed_) return;
  Hide();
  if (TWorkerScreen* screen = RunningScreen()) screen->ResumeWorker();
}
