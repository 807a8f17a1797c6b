// The uninstall confirmation: whether to uninstall, and whether to delete
// the user's own data as well.
#pragma once

#include <memory>

#include "screens/wizardform.h"
#include "skin/skin_checkbox.h"

class TFUninstallConfirm : public TWizardForm {
 public:
  explicit TFUninstallConfirm(win::Component* owner);
  ~TFUninstallConfirm() override;

  win::Label* lb_UninstallConfirm;
  win::CheckBox* ck_DeleteUserLog;
  win::Button* bt_OK;
  win::Button* bt_Cancel;

 private:
  void FormActivate();

  std::unique_ptr<TskinButton> skinOK_;
  std::unique_ptr<TskinButton> skinCancel_;
  std::unique_ptr<TskinCheckBox> skinDeleteUserLog_;
};
