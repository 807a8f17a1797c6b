// The notice that the run was cancelled; its OK ends the program.
#pragma once

#include <memory>

#include "screens/wizardform.h"

class TFCancel : public TWizardForm {
 public:
  explicit TFCancel(win::Component* owner);
  ~TFCancel() override;

  win::Label* lb_Cancel;
  win::Label* lb_Notes;
  win::Button* bt_OK;

 protected:
  bool ScreenMessage(win::Message& message) override;

 private:
  void ApplyTexts();

  std::unique_ptr<TskinButton> skinOK_;
};
