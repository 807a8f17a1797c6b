#include "screens/seriesselectform.h"

#include "app/app.h"
#include "platform/files.h"
#include "screens/cancelform.h"
#include "screens/eulaform.h"
#include "screens/navigation.h"
#include "screens/screens.h"
#include "screens/welcomeform.h"
#include "skin/skin_windowshape.h"
#include "text/text_appliers.h"
#include "text/text_keys.h"

namespace {

constexpr const char16_t* kRadioNames[] = {u"rb_Series2", u"rb_Series3", u"rb_Series4", u"rb_Series5",
                                           u"rb_Series7"};
constexpr const char16_t* kHolderNames[] = {u"im_Series1", u"im_Series2", u"im_Series3", u"im_Series4",
                                            u"im_Series5"};
// The series ticked when the stored index names none of the five.
constexpr int kDefaultSeries = 3;

}  // namespace

TFSeriesSelect::TFSeriesSelect(win::Component* owner) : TWizardForm(owner, u"TFSeriesSelect", u"FSeriesSelect") {
  SetClientSize(632, 456);
  CreateStandardImages();
  im_Banner->Show();
  im_TitleBar->Show();
  lb_SelectSeriesTitle = MakeLabel(u"lb_SelectSeriesTitle", 192, 72, 416, 22);
  lb_SelectSeriesTitle->GetFont().style = win::kFsBold;
  lb_SelectSeriesDescription = MakeLabel(u"lb_SelectSeriesDescription", 192, 98, 416, 30);
  lb_SelectSeriesDescription->SetWordWrap(true);
  for (int i = 0; i < kSeriesCount; ++i) {
    auto* radio = Create<win::RadioButton>(kRadioNames[i]);
    radio->SetBounds(192, 140 + 30 * i, 176, 18);
    radio->SetCaption(kRadioNames[i]);
    radio->GetFont().color = win::kClWhite;
    radio->OnClick = [this](win::Component*) { ShowTickedPicture(); };
    rb_Series[static_cast<size_t>(i)] = radio;
  }
  for (int i = 0; i < kSeriesCount; ++i) {
    auto* holder = Create<win::Image>(kHolderNames[i]);
    holder->SetBounds(376, 134, 224, 168);
    holder->SetStretch(true);
    holder->Hide();
    im_Series[static_cast<size_t>(i)] = holder;
  }
  im_DisplaySelection = Create<win::Image>(u"im_DisplaySelection");
  im_DisplaySelection->SetBounds(376, 134, 224, 168);
  im_DisplaySelection->SetStretch(true);
  bt_Next = MakeButton(u"bt_Next", u"Next", 480, 395);
  bt_Previous = MakeButton(u"bt_Previous", u"Previous", 408, 395);
  bt_Cancel = MakeButton(u"bt_Cancel", u"Cancel", 552, 395);
  bt_Next->OnClick = [this](win::Component*) {
    const int ticked = TickedIndex();
    if (ticked >= 0) App->seriesIndex = ticked;
    Hide();
    FEULA->Show();
  };
  bt_Previous->OnClick = [this](win::Component*) {
    Hide();
    FWelcome->Show();
  };
  bt_Cancel->OnClick = [this](win::Component*) {
    Hide();
    FCancel->Show();
  };
  OnCreate = [this](win::Component*) { FormCreate(); };
  OnShow = [this](win::Component*) { Repaint(); };
  ActivateAsStandard();
  EndProgramOnCloseRequest();

  HookWindowProc();
  ApplyTexts();
  for (win::Button* button : {bt_Next, bt_Previous, bt_Cancel}) button->SetCaption(u"");
}

TFSeriesSelect::~TFSeriesSelect() {
  skinNext_.reset();
  skinPrevious_.reset();
  skinCancel_.reset();
  for (auto& skin : skinSeries_) skin.reset();
  if (FSeriesSelect == this) FSeriesSelect = nullptr;
}

void TFSeriesSelect::ApplyTexts() {
  ApplyLabelTexts(*App, *this, App->textSection);
  ApplyRadioButtonTexts(*App, *this, App->textSection);
  lb_SelectSeriesTitle->SetCaption(TextParam(caption::FSeriesSelect_lb_SelectSeriesTitle));
  LoadBannerAndLogo();
}

void TFSeriesSelect::FormCreate() {
  ApplyScreenLayout();
  skinNext_ = SkinPushButton(*bt_Next, kNextPicture);
  skinPrevious_ = SkinPushButton(*bt_Previous, kPreviousPicture);
  skinCancel_ = SkinPushButton(*bt_Cancel, kCancelPicture);
  // The radio buttons copy what lies behind them from the background picture,
  // so it is loaded now; the window takes its outline on first activation.
  // A background that cannot be read leaves the screen as designed.
  (void)LoadPicture(*im_Background, SkinFile(kBackgroundPicture));
  const String radio = SkinFile(kRadioPicture);
  for (int i = 0; i < kSeriesCount; ++i) {
    auto& skin = skinSeries_[static_cast<size_t>(i)];
    skin = std::make_unique<TskinRadioButton>(*rb_Series[static_cast<size_t>(i)]);
    // Without its picture a radio button keeps its own look; nothing is reported.
    (void)skin->LoadSkin(radio, &im_Background->Picture(), 0);
  }
  for (int i = 0; i < kSeriesCount; ++i) {
    const String picture = SkinFile(kSeriesPictures.prefix + SeriesCode(i) + kSeriesPictures.suffix);
    // A series picture that cannot be read leaves its place empty; nothing is reported.
    if (!picture.empty() && win::FileExists(picture)) (void)LoadPicture(*im_Series[static_cast<size_t>(i)], picture);
  }
  const int index = App->seriesIndex;
  const int initial = index == 0 || index == 1 || index == 2 || index == 4 ? index : kDefaultSeries;
  rb_Series[static_cast<size_t>(initial)]->SetChecked(true);
  ShowTickedPicture();
}

int TFSeriesSelect::TickedIndex() const {
  for (int i = 0; i < kSeriesCount; ++i)
    if (rb_Series[static_cast<size_t>(i)]->Checked()) return i;
  return -1;
}

void TFSeriesSelect::ShowTickedPicture() {
  const int ticked = TickedIndex();
  if (ticked < 0) return;
  im_DisplaySelection->SetPicture(im_Series[static_cast<size_t>(ticked)]->Picture());
}

bool TFSeriesSelect::ScreenMessage(win::Message& message) {
  if (message.msg != win::kWmUser) return false;
  ApplyTexts();
  return true;
}
