#include "screens/askinstallform.h"

#include "app/app.h"
#include "screens/cancelform.h"
#include "screens/eulaform.h"
#include "screens/installform.h"
#include "screens/navigation.h"
#include "screens/screens.h"
#include "screens/welcomeform.h"
#include "text/text_appliers.h"
#include "text/text_keys.h"

TFAskInstall::TFAskInstall(win::Component* owner) : TWizardForm(owner, u"TFAskInstall", u"FAskInstall") {
  SetClientSize(632, 456);
  CreateStandardImages();
  lb_Title = MakeLabel(u"lb_Title", 200, 80, 400, 22);
  lb_Title->GetFont().style = win::kFsBold;
  lb_AskInstall = MakeLabel(u"lb_AskInstall", 200, 116, 400, 150);
  lb_AskInstall->SetWordWrap(true);
  bt_Previous = MakeButton(u"bt_Previous", u"Previous", 408, 395);
  bt_Install = MakeButton(u"bt_Install", u"Install", 480, 395);
  bt_Cancel = MakeButton(u"bt_Cancel", u"Cancel", 552, 395);
  bt_Install->OnClick = [this](win::Component*) {
    Hide();
    FInstall->Show();
  };
  bt_Previous->OnClick = [this](win::Component*) {
    const bool oem = IsOemSetup();
    Hide();
    if (oem)
      FWelcome->Show();
    else
      FEULA->Show();
  };
  bt_Cancel->OnClick = [this](win::Component*) {
    Hide();
    FCancel->Show();
  };
  OnCreate = [this](win::Component*) {
    ApplyScreenLayout();
    skinInstall_ = SkinPushButton(*bt_Install, kNextPicture);
    skinCancel_ = SkinPushButton(*bt_Cancel, kCancelPicture);
    skinPrevious_ = SkinPushButton(*bt_Previous, kPreviousPicture);
  };
  ActivateAsStandard();
  EndProgramOnCloseRequest();

  HookWindowProc();
  ApplyTexts();
  bt_Install->SetCaption(u"");
  bt_Cancel->SetCaption(u"");
  bt_Previous->SetCaption(u"");
}

TFAskInstall::~TFAskInstall() {
  skinInstall_.reset();
  skinCancel_.reset();
  skinPrevious_.reset();
  if (FAskInstall == this) FAskInstall = nullptr;
}

// At construction and again after a language switch: the product name in
// the new language is the window's caption too.
void TFAskInstall::ApplyTexts() {
  SetCaption(App->productName);
  ApplyLabelTexts(*App, *this, App->textSection);
  LoadBannerAndLogo();
}

bool TFAskInstall::ScreenMessage(win::Message& message) {
  if (message.msg != win::kWmUser) return false;
  ApplyTexts();
  return true;
}
