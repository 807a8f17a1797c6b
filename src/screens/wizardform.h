// What every screen of the wizard shares: a borderless form named after its
// text keys, the banner and title-bar logo, the layout file, skinned push
// buttons, the first activation that takes the background picture's size and
// outline, a hook in front of the window procedure, and the refusal to close
// (the program ends only through the start-up controller).
#pragma once

#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "platform/strings.h"
#include "platform/ui.h"
#include "skin/skin_button.h"

class TWizardForm : public win::Form {
 public:
  // formName is the object name that prefixes the screen's text keys; the
  // form takes it at once, so texts can be applied while it is built.
  TWizardForm(win::Component* owner, StringView className, StringView formName);
  ~TWizardForm() override;

  win::Image* im_Background = nullptr;
  win::Image* im_Banner = nullptr;    // hidden in most designs
  win::Image* im_TitleBar = nullptr;  // shown once a logo picture exists

  // The skin picture of the current language (English as fallback); "" when
  // there is none.
  static String SkinFile(StringView name);
  // GetText of the wizard's section; TextParam replaces "%P" by the product
  // name.
  static String Text(const String& key);
  static String TextParam(const String& key);
  // Names the push buttons for accessibility tools in the current language.
  void NameButtons();

 protected:
  // Creates the designed background, banner and logo images.
  void CreateStandardImages();
  win::Label* MakeLabel(StringView name, int32_t left, int32_t top, int32_t width, int32_t height);
  win::Button* MakeButton(StringView name, StringView designedCaption, int32_t left, int32_t top,
                          int32_t width = 64, int32_t height = 25);

  void NameButton(win::Button& button, const String& designedCaption);
  // Saves the current window procedure and puts ScreenMessage in front of it.
  void HookWindowProc();
  // A message the screen handles itself (true: not passed on).
  virtual bool ScreenMessage(win::Message& message);
  void PassOn(win::Message& message);

  // Banner.bmp into im_Banner (which keeps its visibility); Logo.bmp into
  // im_TitleBar, made visible and moved to the logo position of Settings.ini.
  // Missing pictures change nothing.
  void LoadBannerAndLogo();
  // The layout file beside the executable, for the current language.
  void ApplyScreenLayout();
  // A skinned push button. When its picture is missing the button stays a
  // plain one with its designed caption, so the wizard stays usable.
  std::unique_ptr<TskinButton> SkinPushButton(win::Button& button, StringView picture);
  // Whether this is the screen's first activation (true once).
  bool TakeFirstActivation();
  // Background.bmp drawn and the window cut to its outline.
  void ShapeToBackground();
  // The background at 0, 0, the screen sized to it and centred on the screen.
  void SizeToBackgroundAndCentre();
  // The standard first activation: shape, size and centre.
  void StandardFirstActivation();
  // Every close request is refused and ends the program instead.
  void EndProgramOnCloseRequest();
  // Every close request is refused and does what `action` does instead (the
  // screen's Cancel, as a rule).
  void CloseRequestDoes(std::function<void()> action);
  // The first activation is the standard one, and later ones do nothing.
  void ActivateAsStandard();

 private:
  win::WindowProcHook hook_{*this};
  std::vector<std::pair<win::Button*, String>> designedCaptions_;
  bool firstActivation_ = true;
  bool logoPlaced_ = false;  // the logo took its Settings.ini place once
};
