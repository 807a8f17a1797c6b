#include "install/installthread.h"

#include "app/app.h"
#include "app/folder_guard.h"
#include "install/device_data.h"
#include "install/folder_rights.h"
#include "install/install_context.h"
#include "install/program_files.h"
#include "install/registry_entries.h"
#include "install/shortcuts.h"
#include "install/uninstaller_folder.h"
#include "install/user_data_migration.h"
#include "platform/files.h"
#include "platform/process.h"
#include "util/cmnfileexecuate.h"
#include "util/xfunctions.h"

namespace {

constexpr char16_t kPayloadFolder[] = u"program files\\";
constexpr char16_t kOemPublisher[] = u"OEM";
constexpr char16_t kUserLogFolder[] = u"\\UserLog\\";

// What the worker shows when the uninstaller folder could not be built.
constexpr char16_t kCopyFailedAfterError[] = u"Copy Failed!! InstallWizard Close. (Install 04)";
constexpr char16_t kCopyFailed[] = u"Copy Failed!! (Install)";
constexpr char16_t kCopyFailedClose[] = u"InstallWizard Close. Please try again.";
constexpr char16_t kLineBreak[] = u"\r\n";

// One line of the run's log (when the run keeps one).
void LogStage(StringView text) { App->log.Write(u"stage: " + String(text)); }

bool IsCompressedFolder(const String& folder) {
  // The raw value is tested, so a failed query (all bits set) passes.
  const uint32_t attributes = win::GetFileAttributes(folder);
  return (attributes & win::kFileAttributeDirectory) != 0 &&
         (attributes & win::kFileAttributeCompressed) != 0;
}

}  // namespace

TInstallThread::TInstallThread(WorkerOutputs outputs) : outputs_(std::move(outputs)) {}

TInstallThread::~TInstallThread() = default;

void TInstallThread::Execute() { Run(); }

void TInstallThread::Run() {
  failed_ = false;
  if (App == nullptr) return;  // no application object: nothing to install from
  TApp& app = *App;
  if (win::FileExists(app.setupFilePath))
    setupReader_ = std::make_unique<win::MemIniFile>(app.setupFilePath);
  const InstallContext ctx{app, setupReader_.get(), outputs_, win::ExecutableFolder()};

  // A package whose product folder could lead outside its own folders was
  // refused at start-up; no folder of it is ever touched here either.
  const bool usable = app.ProductIdentityUsable();
  if (app.RunState == kRunStateFreshInstall && usable) RunStages();

  // These steps run in every case, also after a failed uninstaller folder:
  // the saved device data must go back.
  RestoreDeviceData(ctx);
  LogStage(u"device data restored");

  const String productFolder = ctx.Setup(kKeyProgramFiles);
  const String userLogs =
      app.programFilesFolder + u"\\" + productFolder + u"\\" + productFolder + kUserLogFolder;
  if (usable && win::DirectoryExists(userLogs)) ApplyFolderRights(FolderRightsVariant::kWithProgress, userLogs, ctx);

  setupReader_.reset();

  const InstallContext quiet{app, nullptr, outputs_, ctx.setupFolder};
  if (usable && IsCompressedFolder(app.installRootFolder))
    ApplyFolderRights(FolderRightsVariant::kQuiet, app.programFolder, quiet);
  // The repair of the uninstaller folder gives it the uninstaller's own rights,
  // not everyone's full control: the folder ends every run as S12 left it.
  if (usable && IsCompressedFolder(app.uninstallerFolder))
    ApplyFolderRights(FolderRightsVariant::kUninstaller, app.uninstallerFolder, quiet);

  if (failed_) {
    // The installation is broken: the program ends without the finish screen.
    // Only now, with every step done, may it end.
    outputs_.TerminateApplication();
    return;
  }
  // A post fails only without a screen or once its window is gone: then nobody
  // waits for the message.
  (void)win::PostMessage(outputs_.window, win::RegisterWindowMessage(kInstallFinishedMessage), 0, 0);
}

void TInstallThread::EndRunAfterFailure(const String& errorText) {
  App->outcome.Fail(ExitCode::kInstallFailed);
  LogStage(u"the install stops: " + (errorText.empty() ? String(u"the uninstaller folder could not be made") : errorText));
  outputs_.ShowMessage(errorText.empty() ? String(kCopyFailed) + kLineBreak + kCopyFailedClose
                                         : errorText + kLineBreak + kCopyFailedAfterError);
  Terminate();
  failed_ = true;
}

void TInstallThread::RunStages() {
  TApp& app = *App;
  const InstallContext ctx{app, setupReader_.get(), outputs_, win::ExecutableFolder()};

  // S1: a running updater would hold its files.
  const String updaterInPackage =
      ctx.setupFolder + kPayloadFolder + app.updaterFolderName + u"\\" + app.updaterExeName;
  if (win::FileExists(updaterInPackage)) {
    CloseWindowByTitle(app.updaterWindowTitle);
    TerminateProcessesByName(app.updaterExeName);
  }

  // S2
  const String publisherFolder =
      ctx.Setup(kKeyPublisher) != kOemPublisher ? ctx.UninstallText(kTextPublisherFolder) : String();

  // S3
  outputs_.SetProgress(0);
  BackupDeviceData(ctx);
  LogStage(u"device data backed up");
  outputs_.SetProgress(10);

  // S4. A program or updater folder reached through a junction or symbolic
  // link is somebody else's: nothing is copied there, and the run ends as when
  // the uninstaller folder cannot be built, so that no later step (nor the
  // finish screen) writes through the link either.
  String refusal;
  if (!FolderUsable(app, app.programFolder, &refusal) || !FolderUsable(app, app.updaterFolder, &refusal)) {
    EndRunAfterFailure(refusal);
    return;
  }
  const StringList failedCopies = CopyProgramFiles(ctx);
  if (failedCopies.empty()) {
    LogStage(u"program files copied to " + app.programFolder);
  } else {
    // The run goes on, but it did not install everything.
    App->outcome.Fail(ExitCode::kInstallFailed);
    LogStage(u"program files copied; " + win::IntToStr(static_cast<int64_t>(failedCopies.size())) +
             u" could not be copied:");
    for (const String& path : failedCopies) LogStage(u"  not copied: " + path);
    outputs_.ShowMessage(CopyFailureMessage(ctx, failedCopies));
  }

  // S5
  const String registryName = ctx.AppSetup(kKeyRegFolderName);
  if (registryName == kProductMouse) {
    MigrateMouseUserData(ctx);
    LogStage(u"user data of older generations migrated");
  } else if (registryName == kProductKeyboard) {
    MigrateKeyboardUserData(ctx);
    LogStage(u"user data of older generations migrated");
  }

  // S6
  const UninstallerFolderResult uninstaller = BuildUninstallerFolder(ctx);
  if (!uninstaller.ok && registryName != kProductTonalix) {
    EndRunAfterFailure(uninstaller.errorText);
    return;
  }
  LogStage(uninstaller.ok ? u"uninstaller folder made: " + app.uninstallerFolder
                          : u"uninstaller folder incomplete: " + uninstaller.errorText);

  // S7
  outputs_.SetProgress(0);
  WriteUninstallEntry(ctx);
  LogStage(u"Add/Remove Programs entry written");
  outputs_.SetProgress(20);

  // S8
  if (registryName != kProductEsport) {
    WriteStartupEntry(ctx);
    LogStage(u"start-up entry written");
  }
  outputs_.SetProgress(40);

  // S9
  CreateShortcuts(ctx, publisherFolder, ctx.UninstallText(kTextProgramsFolder));
  LogStage(u"shortcuts made");
  outputs_.SetProgress(60);

  // S10
  WriteProductRecord(ctx);
  LogStage(u"product record written");
  outputs_.SetProgress(80);

  // S11
  WriteUninstallerLanguage(ctx);
  LogStage(u"uninstaller language written");
  outputs_.SetProgress(100);

  // S12
  ApplyFolderRights(FolderRightsVariant::kUninstaller, app.uninstallerFolder, ctx);
  LogStage(u"uninstaller folder rights set");
}
