// The finish screen: tells the user that the install, uninstall or upgrade is
// done; after an install it records two small facts in the program folder
// and can start the installed program. Finish ends the program.
#pragma once

#include <memory>

#include "screens/wizardform.h"
#include "skin/skin_checkbox.h"

// What an install leaves in the program folder for the product.
inline constexpr char16_t kInstalledLogName[] = u"Installed.log";
// The companion launcher that starts the product.
inline constexpr char16_t kCompanionLauncher[] = u"DozadoZoZizo.exe";

class TFFinish : public TWizardForm {
 public:
  explicit TFFinish(win::Component* owner);
  ~TFFinish() override;

  win::Label* lb_Finish_Install;
  win::Label* lb_FinishInstallNotes;
  win::Label* lb_Finish_Uninstall;
  win::Label* lb_FinishUninstallNotes;
  win::Label* lb_Finish_Upgrade;
  win::Label* lb_FinishUpgradeNotes;
  win::CheckBox* ck_StartProgram;
  win::Image* im_Vizo;
  win::Button* bt_Finish;

  void bt_FinishClick();
  // What an install's finish leaves: an empty Installed.log in the program
  // folder and, when the series screen is on, the chosen series in the
  // product's Project.ini.
  void WriteInstallRecords();

 protected:
  bool ScreenMessage(win::Message& message) override;

 private:
  void FormCreate();
  void FormActivate();
  void FormShow();
  void ApplyTexts();

  std::unique_ptr<TskinButton> skinFinish_;
  std::unique_ptr<TskinCheckBox> skinStart_;
};
