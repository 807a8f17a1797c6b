// The question shown over a progress screen when the user wants to stop a
// running install or uninstall: OK abandons the run, Cancel lets it go on.
#pragma once

#include <memory>

#include "screens/wizardform.h"

class TFCancelConfirm : public TWizardForm {
 public:
  explicit TFCancelConfirm(win::Component* owner);
  ~TFCancelConfirm() override;

  win::Label* lb_CancelConfirm;
  win::Button* bt_OK;
  win::Button* bt_Cancel;

  void bt_OKClick();
  void bt_CancelClick();

 protected:
  bool ScreenMessage(win::Message& message) override;

 private:
  void ApplyTexts();

  std::unique_ptr<TskinButton> skinOK_;
  std::unique_ptr<TskinButton> skinCancel_;
  bool confirmed_ = false;  // OK was pressed: the run is cancelled for good
};
