// The start-up controller: the main form, never visible. It reads the run
// mode from the command line, runs the preparation steps (the installed-copy
// checks, or the reading of the installed product's record), waits on a
// one-second timer until they are all counted, and then hands over to the
// first screen or to the uninstall worker. Closing it ends the program.
#pragma once

#include <cstdint>
#include <memory>

#include "app/installed_copy.h"
#include "app/older_copy.h"
#include "app/run_mode.h"
#include "app/uninstall_record.h"
#include "screens/wizardform.h"
#include "text/text_keys.h"

class TFPrepare : public TWizardForm {
 public:
  explicit TFPrepare(win::Component* owner);
  ~TFPrepare() override;

  win::Label* lb_Prepare;
  win::Label* lb_PrepareProc;
  win::Label* lb_Title;
  win::Button* bt_Cancel;
  win::ProgressBar* pb_Prepare;
  win::Timer* Timer1;
  win::Timer* Timer2;

  std::unique_ptr<TskinButton> skinCancel;
  InstalledCopy installed;     // what the installed-copy checks found
  OlderCopyState olderCopy;    // the older copy's record and this program's copy in its place
  int32_t stepCount = 0;
  UninstallRecord uninstallRecord;  // read in the uninstall modes; the uninstall run works from it

  // Stops the product's running programs and its updater and makes this form
  // transparent.
  void HandOver();
  // The system's error box for a message: its text, a blank and its number
  // in parentheses; product name as caption; owned by the desktop.
  static void ShowErrorBox(const MessageText& message);

 protected:
  bool ScreenMessage(win::Message& message) override;

 private:
  void FormCreate();
  void FormActivate();
  void Timer1Timer();
  void CountStep(int32_t weight);
  void DecideVersion();
  void ReplaceOlderCopyAndGoOn();
  // Saves the installed copy's device data before anything removes it; false
  // when something could not be saved.
  [[nodiscard]] bool SaveInstalledDeviceData();
  void ShowWelcome();
  // The way on once nothing stands in the install's way: the welcome screen,
  // or in a silent install the install worker at once.
  void GoOnToTheInstall();
  // The install of a "silentinstall" run: in the language asked for by
  // lang= (else the one the wizard would start in), the install worker
  // without its screen, then the finish screen's records; the program it
  // installed is not started.
  void StartSilentInstall();
};

extern TFPrepare* FPrepare;

// Stops the product's own programs (only when Setup.ini exists).
void StopProductPrograms();
