// What every stage of the install run is given: the application object, the
// run's own reader over Setup.ini, the progress outputs and the setup folder.
#pragma once

#include "app/app.h"
#include "app/product_words.h"
#include "app/worker_outputs.h"
#include "platform/ini.h"
#include "platform/strings.h"
#include "text/text_keys.h"

// Setup.ini keys only the install run reads.
inline constexpr char16_t kKeyProgramOnBoot[] = u"%PROGRAM_ONBOOT";
inline constexpr char16_t kKeyProgramFormCaption[] = u"%PROGRAM_FORMCAPTION";
inline constexpr char16_t kKeyUninstallIcon[] = u"%UNINST_ICO";
inline constexpr char16_t kKeyManualExist[] = u"%MANUAL_EXIST";
inline constexpr char16_t kKeyManualDir[] = u"%MANUAL_DIR";
inline constexpr char16_t kKeyManualIcon[] = u"%MANUAL_ICO";

struct InstallContext {
  TApp& app;
  const win::MemIniFile* reader = nullptr;  // null when Setup.ini was missing
  const WorkerOutputs& out;
  String setupFolder;  // folder of the running Setup.exe, with a trailing "\"

  // A key of section "Setup" through the run's reader, default "".
  String Setup(StringView key) const {
    return reader ? reader->ReadString(kSetupSection, key, u"") : String();
  }
  // A key of section "Setup" through the application object's store.
  String AppSetup(StringView key) const { return app.SetupValue(key); }
  // GetText of the wizard's section ("InstallWizard").
  String Text(const String& key) const { return app.GetText(app.textSection, key); }
  // GetText of section "UNINSTALL" (names of entries and shortcuts).
  String UninstallText(const String& key) const { return app.GetText(kUninstallTextSection, key); }
};
