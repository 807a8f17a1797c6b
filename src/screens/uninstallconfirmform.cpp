#include "screens/uninstallconfirmform.h"

#include "app/app.h"
#include "app/product_words.h"
#include "screens/cancelform.h"
#include "screens/screens.h"
#include "screens/uninstallform.h"
#include "text/text_appliers.h"
#include "text/text_keys.h"

TFUninstallConfirm::TFUninstallConfirm(win::Component* owner)
    : TWizardForm(owner, u"TFUninstallConfirm", u"FUninstallConfirm") {
  SetClientSize(632, 456);
  CreateStandardImages();
  lb_UninstallConfirm = MakeLabel(u"lb_UninstallConfirm", 200, 80, 400, 100);
  lb_UninstallConfirm->SetWordWrap(true);
  ck_DeleteUserLog = Create<win::CheckBox>(u"ck_DeleteUserLog");
  ck_DeleteUserLog->SetBounds(200, 200, 400, 18);
  ck_DeleteUserLog->SetCaption(u"ck_DeleteUserLog");
  bt_OK = MakeButton(u"bt_OK", u"OK", 480, 395);
  bt_Cancel = MakeButton(u"bt_Cancel", u"Cancel", 552, 395);
  bt_OK->OnClick = [this](win::Component*) {
    Hide();
    // A hidden box still counts.
    App->deleteUserData = ck_DeleteUserLog->Checked();
    FUninstall->Show();
  };
  bt_Cancel->OnClick = [this](win::Component*) {
    Hide();
    FCancel->Show();
  };
  OnCreate = [this](win::Component*) {
    ApplyScreenLayout();
    ck_DeleteUserLog->GetFont().color = win::kClWhite;
  };
  OnShow = [this](win::Component*) {
    if (App->SetupValue(kKeyRegFolderName) == kProductTonalix) ck_DeleteUserLog->Hide();
  };
  OnActivate = [this](win::Component*) { FormActivate(); };
  EndProgramOnCloseRequest();

  ApplyLabelTexts(*App, *this, App->textSection);
  ApplyCheckBoxTexts(*App, *this, App->textSection);
  bt_OK->SetCaption(u"");
  bt_Cancel->SetCaption(u"");
  LoadBannerAndLogo();
}

TFUninstallConfirm::~TFUninstallConfirm() {
  skinOK_.reset();
  skinCancel_.reset();
  skinDeleteUserLog_.reset();
  if (FUninstallConfirm == this) FUninstallConfirm = nullptr;
}

void TFUninstallConfirm::FormActivate() {
  if (!TakeFirstActivation()) return;
  StandardFirstActivation();
  // The check box copies what lies behind it from the background picture,
  // which is in place only now.
  skinOK_ = SkinPushButton(*bt_OK, kOKPicture);
  skinCancel_ = SkinPushButton(*bt_Cancel, kCancelPicture);
  skinDeleteUserLog_ = std::make_unique<TskinCheckBox>(*ck_DeleteUserLog);
  // Without its picture the check box keeps its own look; nothing is reported.
  (void)skinDeleteUserLog_->LoadSkin(SkinFile(kCheckPicture), &im_Background->Picture(), 5, 0, 0);
  ck_DeleteUserLog->Repaint();
}
