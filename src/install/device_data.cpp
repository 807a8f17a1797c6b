#include "install/device_data.h"

#include "app/folder_guard.h"
#include "app/product_words.h"
#include "install/copy_failures.h"
#include "install/folder_rights.h"
#include "platform/files.h"
#include "platform/shell.h"
#include "platform/system.h"
#include "util/xfunctions.h"

namespace {

constexpr char16_t kOldDeviceLocation[] = u"Data\\RES\\";
constexpr char16_t kOldDataFolder[] = u"\\Data\\";
constexpr char16_t kDefaultLog[] = u"DefaultLog";

// Products whose older versions kept their device data in Data\RES\.
bool HasOldLocation(const String& productFolder) {
  return productFolder == kMouseGeneration6 || productFolder == kMouseGeneration7 ||
         productFolder == kKeyboardGeneration2;
}

// True when every failed copy found its file already there (a pending backup
// that holds it, or the new version's own copy).
bool AllInPlace(const StringList& failures, const String& source, const String& destination) {
  const StringList targets = FailedDestinations(failures, source, destination);
  if (targets.size() != failures.size()) return false;
  for (const String& target : targets)
    if (!win::FileExists(target)) return false;
  return true;
}

// Where a copy keeps its device data: the current location, or for the
// products that had one the old "Data\RES\" folder when the current one is
// missing. Empty when neither exists.
struct DeviceSource {
  String folder;  // with a trailing "\"
  bool old = false;
};

DeviceSource FindDeviceSource(const String& programFolder, const String& productFolder, const String& device) {
  const String current = programFolder + u"\\" + device;
  if (win::DirectoryExists(current)) return {win::IncludeTrailingBackslash(current), false};
  const String old = programFolder + u"\\" + kOldDeviceLocation;
  if (HasOldLocation(productFolder) && win::DirectoryExists(old)) return {old, true};
  return {};
}

// A templates folder that is not empty holds a pending backup: an earlier run
// stopped between its backup and its restore, or an installed copy's data was
// saved before its uninstaller ran.
bool HoldsPendingBackup(const String& templates) {
  return win::DirectoryExists(templates) && CountFolderEntries(templates) > 0;
}

// Copies a device data folder into the templates folder: a fresh backup starts
// from an empty folder, into a pending one nothing is overwritten. True when
// every file of the source is now saved.
bool SaveIntoTemplates(const String& source, const String& templates, bool pending) {
  ForceFolderChain(templates, SpecialFolderPath(win::kCsidlCommonAppData), /*emptyFirst=*/!pending);
  StringList failures;
  CopyFolderTreeListFailures(source, templates, nullptr, failures, /*failIfExists=*/pending, u"", nullptr);
  return AllInPlace(failures, source, templates);
}

}  // namespace

void BackupDeviceData(const InstallContext& ctx) {
  TApp& app = ctx.app;
  const String templates = win::IncludeTrailingBackslash(app.templatesFolder);
  // A templates folder reached through a link is somebody else's folder: it
  // is neither restored from nor saved into.
  if (!FolderUsable(app, templates)) return;

  // A run killed while the data folder's rights were being set leaves it
  // without entries, and a templates folder nobody may list looks empty: a
  // pending backup would then be taken for none and emptied. The chain is
  // made the administrators' own again before anything looks inside.
  if (win::DirectoryExists(templates) || win::DirectoryExists(app.programFolder)) {
    String error;
    if (!MakeDataFolderAdministratorsOwn(app, error)) win::OutputDebugString(error);
  }

  // The only copy of what an earlier run saved: kept and restored by this run.
  const bool pending = HoldsPendingBackup(templates);
  if (pending) app.deviceBackupFolder = templates;

  if (!win::DirectoryExists(app.programFolder)) return;
  const DeviceSource source =
      FindDeviceSource(app.programFolder, ctx.Setup(kKeyProgramFiles), ctx.Setup(kKeyProgramDevice));
  if (source.folder.empty() || !FolderUsable(app, source.folder)) return;

  // Saved even where the data folder could not be made the administrators'
  // own: a backup in a folder others may change is better than none, and the
  // run's uninstaller folder stage reports the fault.
  const bool allSaved = SaveIntoTemplates(source.folder, templates, pending);
  app.deviceBackupFolder = templates;

  // The old Data\ folder goes only when nothing of Data\RES\ was left unsaved.
  if (source.old && allSaved) DeleteFolderContents(app.programFolder + kOldDataFolder, nullptr, nullptr);
}

bool SaveInstalledCopyDeviceData(TApp& app, const String& installRoot, const String& productFolder,
                                 const String& device) {
  // First of all the data folder chain is the administrators' own again: a
  // run killed while the uninstaller folder's rights were being set leaves
  // folders there that the installed uninstaller, about to run, could not read.
  String error;
  if (!MakeDataFolderAdministratorsOwn(app, error)) win::OutputDebugString(error);
  if (installRoot.empty() || productFolder.empty()) return true;  // no copy named, nothing to save
  const String programFolder = win::ExcludeTrailingBackslash(installRoot) + u"\\" + productFolder;
  const String templates = win::IncludeTrailingBackslash(app.templatesFolder);
  if (!FolderUsable(app, programFolder)) return false;
  if (!win::DirectoryExists(programFolder)) return true;
  const DeviceSource source = FindDeviceSource(programFolder, productFolder, device);
  if (source.folder.empty()) return true;
  if (!FolderUsable(app, source.folder) || !FolderUsable(app, templates)) return false;
  const bool pending = HoldsPendingBackup(templates);
  if (SaveIntoTemplates(source.folder, templates, pending)) return true;
  // The installed copy then stays as it is, its device data in place. What
  // was saved of it must not become a pending backup, which a later run would
  // put back over what the player changes meanwhile. A backup that was
  // pending before is the only copy of its files and stays.
  if (!pending) DeleteFolderContents(templates, nullptr, nullptr);
  return false;
}

void RestoreDeviceData(const InstallContext& ctx) {
  TApp& app = ctx.app;
  if (app.deviceBackupFolder.empty()) return;
  const String backup = win::IncludeTrailingBackslash(app.deviceBackupFolder);
  const String target = app.programFolder + u"\\" + ctx.Setup(kKeyProgramDevice);
  const String targetFolder = win::IncludeTrailingBackslash(target);

  // Behind a link neither side is used; the backup stays for the next run.
  if (win::DirectoryExists(targetFolder) && FolderUsable(app, backup) && FolderUsable(app, targetFolder)) {
    StringList failures;
    CopyFolderTreeListFailures(backup, targetFolder, nullptr, failures, /*failIfExists=*/true,
                               kDefaultLog, nullptr);
    // A file the new version brought itself was skipped on purpose; anything
    // else that is not in place keeps the whole backup for the next run.
    if (AllInPlace(failures, backup, targetFolder)) DeleteFolderContents(backup, nullptr, nullptr);
  }
  ApplyFolderRights(FolderRightsVariant::kWithProgress, target, ctx);
}
