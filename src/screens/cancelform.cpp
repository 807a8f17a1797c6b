#include "screens/cancelform.h"

#include "app/app.h"
#include "screens/screens.h"
#include "text/text_appliers.h"
#include "text/text_keys.h"

TFCancel::TFCancel(win::Component* owner) : TWizardForm(owner, u"TFCancel", u"FCancel") {
  SetClientSize(632, 456);
  CreateStandardImages();
  lb_Cancel = MakeLabel(u"lb_Cancel", 200, 80, 400, 22);
  lb_Cancel->GetFont().style = win::kFsBold;
  lb_Cancel->SetWordWrap(true);
  lb_Notes = MakeLabel(u"lb_Notes", 200, 116, 400, 120);
  lb_Notes->SetWordWrap(true);
  lb_Notes->SetLayout(win::TextLayout::Bottom);
  bt_OK = MakeButton(u"bt_OK", u"OK", 552, 395);
  // The close request is refused, which ends the program.
  bt_OK->OnClick = [this](win::Component*) { Close(); };
  OnCreate = [this](win::Component*) {
    ApplyScreenLayout();
    skinOK_ = SkinPushButton(*bt_OK, kOKPicture);
  };
  ActivateAsStandard();
  EndProgramOnCloseRequest();

  HookWindowProc();
  ApplyTexts();
  bt_OK->SetCaption(u"");
}

TFCancel::~TFCancel() {
  skinOK_.reset();
  if (FCancel == this) FCancel = nullptr;
}

void TFCancel::ApplyTexts() {
  ApplyLabelTexts(*App, *this, App->textSection);
  LoadBannerAndLogo();
}

bool TFCancel::ScreenMessage(win::Message& message) {
  if (message.msg != win::kWmUser) return false;
  ApplyTexts();
  return true;
}
