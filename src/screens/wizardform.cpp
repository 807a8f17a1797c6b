#include "screens/wizardform.h"

#include "app/app.h"
#include "platform/files.h"
#include "platform/system.h"
#include "screens/program_end.h"
#include "skin/language_elementsproperty.h"
#include "skin/skin_windowshape.h"
#include "text/skin_lookup.h"
#include "text/text_appliers.h"
#include "text/text_keys.h"

TWizardForm::TWizardForm(win::Component* owner, StringView className, StringView formName)
    : Form(owner, className) {
  SetName(formName);
  SetBorderStyle(win::BorderStyle::None);
  SetCenterOnScreen(true);
  if (App) SetCaption(App->productName);
}

TWizardForm::~TWizardForm() = default;

String TWizardForm::SkinFile(StringView name) {
  return ResolveSkinFile(win::ExecutableFolder(), App->languageName, String(name));
}

String TWizardForm::Text(const String& key) { return App->GetText(App->textSection, key); }

String TWizardForm::TextParam(const String& key) {
  return App->GetTextParam(App->textSection, key, App->productName);
}

void TWizardForm::CreateStandardImages() {
  im_Background = Create<win::Image>(u"im_Background");
  im_Background->SetAutoSize(true);
  im_Banner = Create<win::Image>(u"im_Banner");
  im_Banner->SetAutoSize(true);
  im_Banner->Hide();
  im_TitleBar = Create<win::Image>(u"im_TitleBar");
  im_TitleBar->SetAutoSize(true);
  im_TitleBar->Hide();
}

win::Label* TWizardForm::MakeLabel(StringView name, int32_t left, int32_t top, int32_t width, int32_t height) {
  auto* label = Create<win::Label>(name);
  label->SetAutoSize(false);
  label->SetBounds(left, top, width, height);
  label->SetTransparent(true);
  label->GetFont().color = win::kClWhite;
  label->SetCaption(name);
  return label;
}

win::Button* TWizardForm::MakeButton(StringView name, StringView designedCaption, int32_t left, int32_t top,
                                     int32_t width, int32_t height) {
  auto* button = Create<win::Button>(name);
  button->SetBounds(left, top, width, height);
  button->SetCaption(designedCaption);
  designedCaptions_.emplace_back(button, String(designedCaption));
  // Enter moves the wizard on; Escape does what the screen's Cancel does.
  for (StringView onEnter : {StringView(u"bt_Next"), StringView(u"bt_Install"), StringView(u"bt_OK"),
                             StringView(u"bt_Finish")})
    if (name == onEnter) button->SetDefault(true);
  if (name == u"bt_Cancel") button->SetCancel(true);
  NameButton(*button, String(designedCaption));
  return button;
}

void TWizardForm::NameButton(win::Button& button, const String& designedCaption) {
  // The words of a skinned button are in its picture and its caption is
  // emptied; accessibility tools get them from the language file (the key of
  // this screen, else the one without the form's name), else as designed.
  const String text = App ? ControlCaptionText(*App, *this, button.Name(), App->textSection) : String();
  button.SetAccessibleName(text.empty() ? designedCaption : text);
}

void TWizardForm::NameButtons() {
  for (const auto& [button, caption] : designedCaptions_) NameButton(*button, caption);
}

void TWizardForm::HookWindowProc() {
  hook_.Install([this](win::Message& m) {
    if (!ScreenMessage(m)) PassOn(m);
  });
}

bool TWizardForm::ScreenMessage(win::Message&) { return false; }

void TWizardForm::PassOn(win::Message& message) {
  hook_.CallSaved(message);
}

void TWizardForm::LoadBannerAndLogo() {
  const String banner = SkinFile(kBannerPicture);
  // A picture that cannot be read leaves the banner as it was; nothing is reported.
  if (im_Banner && !banner.empty() && win::FileExists(banner)) (void)LoadPicture(*im_Banner, banner);
  const String logo = SkinFile(kLogoPicture);
  if (im_TitleBar && !logo.empty() && win::FileExists(logo)) {
    im_TitleBar->Show();
    // Settings.ini places the logo when the screen is built; the layout file
    // may move it after that, and a language switch keeps where it is.
    if (!logoPlaced_) {
      im_TitleBar->SetBounds(App->logoRect.Left, App->logoRect.Top, im_TitleBar->Width(), im_TitleBar->Height());
      logoPlaced_ = true;
    }
    // A picture that cannot be read leaves the logo as it was; nothing is reported.
    (void)LoadPicture(*im_TitleBar, logo);
  }
}

void TWizardForm::ApplyScreenLayout() {
  TlanguageElementsProperty layout;
  // Without UI.txt the screen keeps its designed places; nothing is reported.
  (void)layout.ApplyLayout(*this, win::ExecutableFolder() + kLayoutFileName, u"", App->languageId);
}

std::unique_ptr<TskinButton> TWizardForm::SkinPushButton(win::Button& button, StringView picture) {
  auto skin = std::make_unique<TskinButton>(button);
  if (!skin->LoadSkin(SkinFile(picture))) {
    for (const auto& [designed, caption] : designedCaptions_)
      if (designed == &button) button.SetCaption(caption);
  }
  return skin;
}

bool TWizardForm::TakeFirstActivation() {
  if (!firstActivation_) return false;
  firstActivation_ = false;
  return true;
}

void TWizardForm::ShapeToBackground() {
  // A background that cannot be read changes nothing, so the window never disappears.
  if (im_Background) (void)SetShapedBackground(*this, *im_Background, SkinFile(kBackgroundPicture));
}

void TWizardForm::SizeToBackgroundAndCentre() {
  if (!im_Background) return;
  const win::Bitmap& picture = im_Background->Picture();
  im_Background->SetBounds(0, 0, picture.Width(), picture.Height());
  if (!picture.Empty()) SetClientSize(picture.Width(), picture.Height());
  SetBounds((win::ScreenWidth() - Width()) / 2, (win::ScreenHeight() - Height()) / 2, Width(), Height());
}

void TWizardForm::StandardFirstActivation() {
  ShapeToBackground();
  SizeToBackgroundAndCentre();
}

void TWizardForm::EndProgramOnCloseRequest() { CloseRequestDoes(EndProgram); }

void TWizardForm::CloseRequestDoes(std::function<void()> action) {
  OnCloseQuery = [action = std::move(action)](win::Component*, bool& canClose) {
    canClose = false;
    action();
  };
}

void TWizardForm::ActivateAsStandard() {
  OnActivate = [this](win::Component*) {
    if (TakeFirstActivation()) StandardFirstActivation();
  };
}
