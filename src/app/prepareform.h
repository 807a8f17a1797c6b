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
#include "screens/wizardform.h"
#include "uninstall/uninstall_record.h"

// RunMode words.
inline constexpr char16_t kRunModeInstall[] = u"Install";
inline constexpr char16_t kRunModeUpgrade[] = u"Upgrade";
inline constexpr char16_t kRunModeOnlineUpdater[] = u"OnlineUpdater";
inline constexpr char16_t kRunModeUninstall[] = u"Uninstall";
inline constexpr char16_t kRunModeUninstallAnyway[] = u"UninstallAnyway";
inline constexpr char16_t kRunModeSilentUninstall[] = u"SilentUninstall";
// Installs with no screen at all, for deployment tools (see StartSilentInstall).
inline constexpr char16_t kRunModeSilentInstall[] = u"SilentInstall";

// The RunMode of a lower-cased first command-line argument.
String RunModeOfArgument(const String& argument);
bool IsUninstallMode(const String& runMode);

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
  String RunMode;
  UninstallRecord uninstallRecord;  // read in the uninstall modes; the uninstall run works from it

  // Stops the product's running programs and its updater and makes this form
  // transparent.
  void HandOver();
  // The system's error box for a message number: the text of "MSG_nnn", a
  // blank and the number in parentheses; product name as caption; owned by
  // the desktop.
  static void ShowErrorBox(int number);

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
  // The install of a "silentinstall" run: in the language asked for by
  // lang= (else the one the wizard would start in), the install worker
  // without its screen, then the finish screen's records; the program it
  // installed is not started.
  void StartSilentInstall();
};

extern TFPrepare* FPrepare;

// Stops the product's own programs (only when Setup.ini exists).
void StopProductPrograms();
