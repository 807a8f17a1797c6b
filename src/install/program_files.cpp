#include "install/program_files.h"

#include "install/copy_failures.h"
#include "install/folder_rights.h"
#include "install/status_texts.h"
#include "platform/files.h"
#include "platform/ini.h"
#include "platform/thread.h"
#include "util/xfunctions.h"

namespace {

constexpr char16_t kPayloadFolder[] = u"Program Files\\";

constexpr char16_t kSystemSection[] = u"SYSTEM";
constexpr char16_t kLanguageKey[] = u"Language";
constexpr char16_t kMainIni[] = u"\\ini\\Main.ini";
constexpr char16_t kAppConfigIni[] = u"\\ini\\AppConfig.ini";
constexpr char16_t kUpdaterIni[] = u"Updater.ini";
constexpr char16_t kUpgradeInfoSection[] = u"UpgradeInfo";
constexpr char16_t kUpdaterLanguageKey[] = u"%LANGUAGE";

// Products whose program keeps its settings in Main.ini instead of AppConfig.ini.
bool UsesMainIni(const String& product) {
  return product == kProductTonalix || product == kProductPad || product == kProductDrevanix;
}

void WriteLanguage(const String& file, StringView section, StringView key, const String& language) {
  if (!win::FileExists(file)) return;
  win::PausePoint();
  win::IniFile ini(file);
  // Nothing is reported: a settings file that cannot be written keeps its language.
  if (ini.WriteString(section, key, language)) (void)ini.UpdateFile();
}

void CreateFolderIfMissing(const String& folder) {
  win::PausePoint();
  // A folder that cannot be made shows as the files that could not be copied into it.
  if (!win::DirectoryExists(folder)) (void)win::CreateDirectory(folder);
}

}  // namespace

StringList CopyProgramFiles(const InstallContext& ctx) {
  TApp& app = ctx.app;
  ctx.out.SetProgress(0);
  ctx.out.SetStatus(ctx.Text(kCopyFiles));

  CreateFolderIfMissing(app.installRootFolder);
  CreateFolderIfMissing(app.programFolder);
  ApplyFolderRights(FolderRightsVariant::kWithProgress, app.installRootFolder, ctx);

  StringList failed;
  StringList failures;
  const String payload = ctx.setupFolder + kPayloadFolder + ctx.Setup(kKeyProgramFiles) + u"\\";
  const String program = app.programFolder + u"\\";
  CopyFolderTreeListFailures(payload, program, ctx.out.status, failures, false, u"", ctx.out.bar);
  for (const String& path : FailedDestinations(failures, payload, program)) failed.push_back(path);

  const String updaterPayload = ctx.setupFolder + kPayloadFolder + app.updaterFolderName + u"\\";
  if (win::DirectoryExists(updaterPayload)) {
    CreateFolderIfMissing(app.updaterFolder);
    const String updater = app.updaterFolder + u"\\";
    failures.clear();
    CopyFolderTreeListFailures(updaterPayload, updater, ctx.out.status, failures, false, u"",
                               ctx.out.bar);
    for (const String& path : FailedDestinations(failures, updaterPayload, updater))
      failed.push_back(path);
  }

  const String settings =
      app.programFolder + (UsesMainIni(ctx.AppSetup(kKeyRegFolderName)) ? kMainIni : kAppConfigIni);
  WriteLanguage(settings, kSystemSection, kLanguageKey, app.languageName);
  WriteLanguage(app.updaterFolder + u"\\" + kUpdaterIni, kUpgradeInfoSection, kUpdaterLanguageKey,
                app.languageName);

  ctx.out.SetProgress(100);
  return failed;
}

String CopyFailureMessage(const InstallContext& ctx, const StringList& failedPaths) {
  String text = ctx.Text(kMessageCopyFailure.key);
  if (text == kTextNotFound) text = kCopyFailureFallback;
  text += u" " + win::IntToStr(static_cast<int64_t>(failedPaths.size()));
  for (size_t i = 0; i < failedPaths.size() && i < kCopyFailuresShown; ++i) text += u"\r\n" + failedPaths[i];
  if (failedPaths.size() > kCopyFailuresShown) text += u"\r\n...";
  return text;
}
