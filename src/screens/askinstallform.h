// The install confirmation of an OEM set-up: the last question before the
// files are copied.
#pragma once

#include <memory>

#include "screens/wizardform.h"

class TFAskInstall : public TWizardForm {
 public:
  explicit TFAskInstall(win::Component* owner);
  ~TFAskInstall() override;

  win::Label* lb_Title;
  win::Label* lb_AskInstall;
  win::Button* bt_Previous;
  win::Button* bt_Install;
  win::Button* bt_Cancel;

 protected:
  bool ScreenMessage(win::Message& message) override;

 private:
  void ApplyTexts();

  std::unique_ptr<TskinButton> skinInstall_;
  std::unique_ptr<TskinButton> skinCancel_;
  std::unique_ptr<TskinButton> skinPrevious_;
};
