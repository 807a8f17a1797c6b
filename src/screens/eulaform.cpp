#include "screens/eulaform.h"

#include "app/app.h"
#include "platform/files.h"
#include "screens/cancelform.h"
#include "screens/installform.h"
#include "screens/navigation.h"
#include "screens/screens.h"
#include "screens/seriesselectform.h"
#include "screens/welcomeform.h"
#include "text/text_appliers.h"
#include "text/text_keys.h"

namespace {

struct LicenceCode {
  const char16_t* language;
  const char16_t* code;
};
constexpr LicenceCode kLicenceCodes[] = {
    {u"ChineseT", u"tw"}, {u"ChineseS", u"cn"},   {u"English", u"en"},    {u"Dutch", u"nl"},
    {u"German", u"de"},   {u"Spanish", u"es"},    {u"French", u"fr"},     {u"Italian", u"it"},
    {u"Japanese", u"jp"}, {u"Korean", u"kr"},     {u"Polish", u"pl"},     {u"Portuguese", u"pt"},
    {u"Turkish", u"tr"},  {u"Russian", u"ru"},    {u"Indonesian", u"id"}, {u"Czech", u"cs"},
    {u"Romanian", u"ro"}, {u"Malay", u"ms"},      {u"Swedish", u"sv"},    {u"Vietnamese", u"vi"},
    {u"Norwegian", u"no"}, {u"Finnish", u"fi"},   {u"Hungarian", u"hu"},  {u"Bulgarian", u"bg"},
    {u"Greek", u"el"},    {u"Croatian", u"hr"},   {u"Danish", u"da"},     {u"Persian", u"fa"},
    {u"Arabic", u"ar"},   {u"Estonian", u"et"},   {u"Azerbaijan", u"az"}, {u"Macedonian", u"mk"},
    {u"Thai", u"th"},     {u"Slovak", u"sk"},
};
constexpr char16_t kEnglishCode[] = u"en";

String LicencePathFor(const String& code) {
  return win::ExecutableFolder() + u"EULA\\" + code + u"\\Service.rtf";
}

}  // namespace

String LicenceFolderCode(const String& languageName) {
  for (const LicenceCode& entry : kLicenceCodes)
    if (languageName == entry.language) return entry.code;
  return kEnglishCode;
}

String LicenceFilePath(const String& languageName) {
  const String own = LicencePathFor(LicenceFolderCode(languageName));
  if (win::FileExists(own)) return own;
  const String english = LicencePathFor(kEnglishCode);
  return win::FileExists(english) ? english : String();
}

TFEULA::TFEULA(win::Component* owner) : TWizardForm(owner, u"TFEULA", u"FEULA") {
  SetClientSize(632, 456);
  CreateStandardImages();
  re_EULA = Create<win::RichEdit>(u"re_EULA");
  re_EULA->SetBounds(192, 72, 416, 262);
  re_EULA->SetColor(win::kClWindow);
  re_EULA->SetTabStop(true);  // the licence can be read with the keyboard
  rb_AgreeEULA = Create<win::RadioButton>(u"rb_AgreeEULA");
  rb_AgreeEULA->SetBounds(192, 340, 400, 18);
  rb_DisapproveOfEULA = Create<win::RadioButton>(u"rb_DisapproveOfEULA");
  rb_DisapproveOfEULA->SetBounds(192, 360, 400, 18);
  for (win::RadioButton* radio : {rb_AgreeEULA, rb_DisapproveOfEULA}) {
    radio->SetCaption(radio->Name());
    radio->GetFont().color = win::kClWhite;
    radio->OnClick = [this](win::Component*) { rb_AgreeEULAClick(); };
  }
  bt_PrintEULA = MakeButton(u"bt_PrintEULA", u"Print", 184, 395);
  bt_Next = MakeButton(u"bt_Next", u"Next", 480, 395);
  bt_Previous = MakeButton(u"bt_Previous", u"Previous", 408, 395);
  bt_Cancel = MakeButton(u"bt_Cancel", u"Cancel", 552, 395);
  PrintDialog1 = Create<win::PrintDialog>(u"PrintDialog1");
  bt_PrintEULA->OnClick = [this](win::Component*) { bt_PrintEULAClick(); };
  bt_Next->OnClick = [this](win::Component*) {
    Hide();
    FInstall->Show();
  };
  bt_Previous->OnClick = [this](win::Component*) {
    Hide();
    if (SeriesScreenEnabled())
      FSeriesSelect->Show();
    else
      FWelcome->Show();
  };
  bt_Cancel->OnClick = [this](win::Component*) {
    Hide();
    FCancel->Show();
  };
  OnCreate = [this](win::Component*) { FormCreate(); };
  OnActivate = [this](win::Component*) {
    if (TakeFirstActivation()) SizeToBackgroundAndCentre();
  };
  EndProgramOnCloseRequest();

  HookWindowProc();
  ApplyRadioButtonTexts(*App, *this, App->textSection);
  for (win::Button* button : {bt_PrintEULA, bt_Next, bt_Previous, bt_Cancel}) button->SetCaption(u"");
  LoadBannerAndLogo();
}

TFEULA::~TFEULA() {
  skinPrint_.reset();
  skinNext_.reset();
  skinPrevious_.reset();
  skinCancel_.reset();
  skinAgree_.reset();
  skinDisapprove_.reset();
  if (FEULA == this) FEULA = nullptr;
}

void TFEULA::FormCreate() {
  LoadLicence();
  rb_AgreeEULA->SetChecked(true);
  ShapeToBackground();
  ApplyScreenLayout();
  skinPrint_ = SkinPushButton(*bt_PrintEULA, kPrintPicture);
  skinNext_ = SkinPushButton(*bt_Next, kNextPicture);
  skinPrevious_ = SkinPushButton(*bt_Previous, kPreviousPicture);
  skinCancel_ = SkinPushButton(*bt_Cancel, kCancelPicture);
  const String radio = SkinFile(kRadioPicture);
  // Without its picture each radio button keeps its own look; nothing is reported.
  skinAgree_ = std::make_unique<TskinRadioButton>(*rb_AgreeEULA);
  (void)skinAgree_->LoadSkin(radio, &im_Background->Picture(), 5);
  skinDisapprove_ = std::make_unique<TskinRadioButton>(*rb_DisapproveOfEULA);
  (void)skinDisapprove_->LoadSkin(radio, &im_Background->Picture(), 5);
}

void TFEULA::LoadLicence() {
  const String path = LicenceFilePath(App->languageName);
  re_EULA->Clear();
  // A licence file that cannot be read leaves the view empty; the player can
  // still agree and go on.
  if (!path.empty() && win::FileExists(path)) (void)re_EULA->LoadFromFile(path);
}

void TFEULA::rb_AgreeEULAClick() {
  if (rb_DisapproveOfEULA->Checked())
    bt_Next->SetEnabled(false);
  else if (rb_AgreeEULA->Checked())
    bt_Next->SetEnabled(true);
}

void TFEULA::bt_PrintEULAClick() {
  PrintDialog1->options = 0;
  PrintDialog1->printRangeAll = true;
  // A job that no printer took is not reported: the screen has no message for it.
  if (PrintDialog1->Execute(this)) (void)re_EULA->Print(kLicencePrintTitle);
}

bool TFEULA::ScreenMessage(win::Message& message) {
  if (message.msg != win::kWmUser) return false;
  ApplyRadioButtonTexts(*App, *this, App->textSection);
  LoadBannerAndLogo();
  LoadLicence();
  return true;
}
