#include "screens/askform.h"

#include "app/app.h"
#include "platform/files.h"
#include "screens/screens.h"
#include "skin/skin_windowshape.h"
#include "text/text_keys.h"

TFAsk::TFAsk(win::Component* owner) : TWizardForm(owner, u"TFAsk", u"FAsk") {
  SetClientSize(632, 456);
  CreateStandardImages();
  lb_Message = MakeLabel(u"lb_Message", 268, 100, 332, 192);
  lb_Message->SetWordWrap(true);
  lb_Message->SetLayout(win::TextLayout::Center);
  im_Mark = Create<win::Image>(u"im_Mark");
  im_Mark->SetBounds(204, 100, 48, 192);
  im_Mark->SetCenter(true);
  bt_OK = MakeButton(u"bt_OK", u"OK", 480, 395);
  bt_Cancel = MakeButton(u"bt_Cancel", u"Cancel", 552, 395);
  bt_OK->OnClick = [this](win::Component*) { Answer(kResultOk); };
  bt_Cancel->OnClick = [this](win::Component*) { Answer(kResultCancel); };
  OnCreate = [this](win::Component*) { FormCreate(); };
  OnShow = [this](win::Component*) { lb_Message->SetCaption(message_); };
  ActivateAsStandard();

  bt_OK->SetCaption(u"");
  bt_Cancel->SetCaption(u"");
  const String mark = SkinFile(kExclamationMarkPicture);
  // A picture that cannot be read leaves the mark empty; nothing is reported.
  if (!mark.empty() && win::FileExists(mark)) (void)LoadPicture(*im_Mark, mark);
  LoadBannerAndLogo();
}

TFAsk::~TFAsk() {
  skinOK_.reset();
  skinCancel_.reset();
  if (FAsk == this) FAsk = nullptr;
}

void TFAsk::FormCreate() {
  skinOK_ = SkinPushButton(*bt_OK, kOKPicture);
  skinCancel_ = SkinPushButton(*bt_Cancel, kCancelPicture);
  ApplyScreenLayout();
}

void TFAsk::Answer(int result) {
  result_ = result;
  answered_ = true;
  SetModalResult(result == kResultOk ? win::kMrOk : win::kMrCancel);
}

int TFAsk::Ask(const String& text) {
  SetMessage(text);
  answered_ = false;
  ShowModal();
  if (!answered_) result_ = kResultCancel;
  return result_;
}
