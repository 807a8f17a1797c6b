// The application object: what the set-up program learns about itself before
// any screen exists. One static instance lives for the whole run (main.cpp);
// every other unit reads and writes its fields directly through `App`.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/ini.h"
#include "platform/strings.h"
#include "skin/cmnstringprocessunit.h"
#include "app/run_log.h"
#include "text/language_management.h"

// RunState values.
constexpr int32_t kRunStateUndecided = 0;
constexpr int32_t kRunStateFreshInstall = 1;
constexpr int32_t kRunStateOlderInstalled = 2;  // same or older copy; the user is asked
constexpr int32_t kRunStateNewerInstalled = 4;  // refused
constexpr int32_t kRunStateUninstallAnyway = 5;
constexpr int32_t kRunStateSilentUninstall = 6;

// Setup.ini keys (section "Setup").
inline constexpr char16_t kSetupSection[] = u"Setup";
inline constexpr char16_t kKeyProgramFiles[] = u"%PROGRAM_FILES";
inline constexpr char16_t kKeyProgramExec[] = u"%PROGRAM_EXEC";
inline constexpr char16_t kKeyProgramData[] = u"%PROGRAM_DATA";
inline constexpr char16_t kKeyUpdateType[] = u"%UPDATE_TYPE";
inline constexpr char16_t kKeyUpdater[] = u"%UPDATER";
inline constexpr char16_t kKeyProgramVersion[] = u"%PROGRAM_VERSION";
inline constexpr char16_t kKeyRegFolderName[] = u"%REG_FODLER_PROGNAME";
inline constexpr char16_t kKeyPublisher[] = u"%PUBLISHER";
inline constexpr char16_t kKeyProgramDevice[] = u"%PROGRAM_DEVICE";

class TApp : public TlanguageManagement {
 public:
  // Runs the start-up sequence: opens the settings files beside the executable,
  // derives every folder and key, loads the start language. Sets `App`.
  TApp();
  // Frees the three stores; clears `App` when it points here.
  ~TApp() override;

  // Folder holding the language files: Texts\ beside the executable when it has
  // a LanguageIni folder, otherwise the payload's Texts\ or Forms\Texts\ folder
  // by the product line and version. Ends with "\".
  String TextsFolder() const;

  // The product key template expanded with %PUBLISHER and %REG_FODLER_PROGNAME
  // from the setup store; "" when either is empty.
  String ProductKey() const;

  // A value of section "Setup" from the setup store.
  String SetupValue(StringView key, StringView defaultValue = u"") const;

  // False when the package names no usable product folder: %PROGRAM_FILES
  // empty or holding "\", "/", ":" or "..", or %PROGRAM_DATA / %PROGRAM_DEVICE
  // holding ".."; or %PROGRAM_FILES, or a component of the other two, that is
  // no name Windows keeps as given (see IsPlainFolderName). The start-up code
  // refuses such a package (MSG_101).
  bool ProductIdentityUsable() const;
  // A folder name Windows stores as it is written and that names no device:
  // not only dots and blanks, no dot or blank at its end, none of * ? " < > |
  // or a control character, and no reserved device name (CON, PRN, AUX, NUL,
  // COM1-COM9, LPT1-LPT9, in any letter case, with or without an extension).
  static bool IsPlainFolderName(StringView name);

  // Fields, in the order the program has always kept them.
  String setupFilePath;        // executable folder + "Setup.ini"
  String programFilesFolder;   // CSIDL_PROGRAM_FILES, no trailing "\"
  String installRootFolder;    // Program Files + "\" + %PROGRAM_FILES
  String programFolder;        // install root + "\" + %PROGRAM_FILES
  String programExecPath;      // program folder + "\" + %PROGRAM_EXEC
  String dataFolder;           // CSIDL_COMMON_APPDATA + "\" + %PROGRAM_FILES + "\"
  String uninstallerFolder;    // data folder + "bin\uninst\"
  String templatesFolder;      // data folder + "Templates\"
  String uninstallerExecPath;  // written by the install run
  String updaterFolder;        // install root + "\Updater"
  String programsLinkPath;     // written by the install run
  String uninstallLinkPath;    // written by the install run
  String manualLinkPath;       // written by the install run
  String desktopLinkPath;      // written by the install run
  String deviceBackupFolder;   // written by the install run
  String startupKey;           // under HKEY_CURRENT_USER
  String productKeyTemplate;   // under HKEY_LOCAL_MACHINE
  String uninstallKey;         // under HKEY_LOCAL_MACHINE
  uint16_t languageId = 0;     // LANGID of the current language
  String languageName;         // name of the current language
  String productName;          // "ProductName" text; caption of every message box
  String textSection;          // "InstallWizard"
  int32_t RunState = kRunStateUndecided;
  String RunMode;              // the run mode word of the command line (run_mode.h)
  int32_t seriesIndex = 0;     // 3 once constructed
  TRect logoRect;              // "UI"/"Logo" of Settings.ini
  bool deleteUserData = false;
  String updaterExeName;       // %UPDATE_TYPE + "Updater.exe"
  String updaterFolderName;    // "Updater"
  String updaterWindowTitle;   // %UPDATE_TYPE + "UpdaterForm"
  std::unique_ptr<win::MemIniFile> settingsStore;  // Settings.ini; null when missing
  std::unique_ptr<win::MemIniFile> setupStore;     // Setup.ini; never null
  std::unique_ptr<win::MemIniFile> layoutStore;    // UI.txt; null when missing
  RunLog log;          // open when the run keeps a log
  RunOutcome outcome;  // the exit code of a silent run
};

// Expands a registry key template: an empty value is first read from the store
// (section, placeholder as key, default ""); then each placeholder is replaced
// by its value, and an empty value makes the whole key "".
String ExpandKeyTemplate(const win::MemIniFile* store, const String& section,
                         const String& keyTemplate, String firstValue, String secondValue,
                         const String& secondPlaceholder, const String& firstPlaceholder);

// The application object of this run; null outside its lifetime.
extern TApp* App;
