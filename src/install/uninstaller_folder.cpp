#include "install/uninstaller_folder.h"

#include "install/folder_rights.h"
#include "platform/files.h"
#include "platform/ini.h"
#include "platform/shell.h"
#include "platform/thread.h"
#include "text/language_management.h"
#include "util/xfunctions.h"

namespace {

constexpr char16_t kSetupExe[] = u"Setup.exe";
constexpr char16_t kSettingsIni[] = u"Settings.ini";
// Left out of the copy, at any depth; the name is compared exactly.
constexpr char16_t kPayloadFolderName[] = u"program files";
constexpr char16_t kSpecifyLangSection[] = u"SpecifyLang";
constexpr char16_t kLanguageKey[] = u"Language";
constexpr int kCreateAttempts = 3;

// True when one folder lies inside the other or both are the same (both end
// with "\"). Emptying the uninstaller folder would then delete the package
// being installed, or the copy would run into its own output.
bool Overlap(const String& a, const String& b) {
  const String la = win::LowerCase(a), lb = win::LowerCase(b);
  return win::StartsWith(la, lb) || win::StartsWith(lb, la);
}

// The folder the language files are copied from: Texts\ beside Setup.exe when
// it holds LanguageIni\, otherwise the application object's texts folder when
// it has at least one sub-folder; "" when there is none.
String LanguageSource(const InstallContext& ctx) {
  const String besideSetup = TextsFolderIn(ctx.setupFolder);
  if (!besideSetup.empty()) return besideSetup;
  const String candidate = ctx.app.TextsFolder();
  StringList folders;
  if (ListFolderEntries(candidate, u"Folder", u"", folders, u"") >= 1) return candidate;
  return String();
}

bool EnsureFolder(const String& folder) {
  for (int attempt = 0; attempt < kCreateAttempts && !win::DirectoryExists(folder); ++attempt) {
    win::PausePoint();
    // Whether it worked is what the loop and the result look at.
    (void)win::CreateDirectory(folder);
  }
  return win::DirectoryExists(folder);
}

}  // namespace

UninstallerFolderResult BuildUninstallerFolder(const InstallContext& ctx) {
  TApp& app = ctx.app;
  UninstallerFolderResult result;
  const String folder = win::IncludeTrailingBackslash(app.uninstallerFolder);
  app.uninstallerExecPath = folder + kSetupExe;

  if (Overlap(folder, ctx.setupFolder)) return result;
  // The folder is emptied and filled only once the data folder chain is the
  // administrators' own (and no part of it is a link).
  if (!MakeDataFolderAdministratorsOwn(app, result.errorText)) return result;

  ForceFolderChain(folder, SpecialFolderPath(win::kCsidlCommonAppData), /*emptyFirst=*/true);
  StringList failures;  // the package copy never fails the stage
  CopyFolderTreeListFailures(ctx.setupFolder, folder, ctx.out.status, failures, false,
                             kPayloadFolderName, ctx.out.bar);

  const String source = LanguageSource(ctx);
  if (source.empty()) return result;
  const String target = folder + kPackageTextsFolder;
  if (!EnsureFolder(target)) return result;

  CopyFolderTreeStopOnError(source, target, nullptr, result.errorText, false, u"", nullptr);
  result.ok = result.errorText.empty();
  return result;
}

void WriteUninstallerLanguage(const InstallContext& ctx) {
  const String settings = win::IncludeTrailingBackslash(ctx.app.uninstallerFolder) + kSettingsIni;
  if (!win::FileExists(settings)) return;
  win::PausePoint();
  win::IniFile ini(settings);
  // Nothing is reported: an uninstaller whose Settings.ini keeps its language
  // starts in that one.
  if (ini.WriteString(kSpecifyLangSection, kLanguageKey, ctx.app.languageName)) (void)ini.UpdateFile();
}
