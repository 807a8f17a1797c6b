#include "install/device_data.h"

#include "install/copy_failures.h"
#include "install/folder_rights.h"
#include "platform/files.h"
#include "platform/shell.h"
#include "util/xfunctions.h"

namespace {

constexpr char16_t kOldDeviceLocation[] = u"Data\\RES\\";
constexpr char16_t kOldDataFolder[] = u"\\Data\\";
constexpr char16_t kDefaultLog[] = u"DefaultLog";

// Products whose older versions kept their device data in Data\RES\.
bool HasOldLocation(const String& productFolder) {
  return productFolder == u"Zorvex6" || productFolder == u"Zorvex7" || productFolder == u"Vantorix2";
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

// Copies a device data folder into the templates folder. Into a pending backup
// nothing is overwritten. True when every file of the source is now saved.
bool SaveInto(const String& source, const String& templates, bool pending) {
  StringList failures;
  CopyFolderTreeListFailures(source, templates, nullptr, failures, /*failIfExists=*/pending, u"",
                             nullptr);
  return AllInPlace(failures, source, templates);
}

}  // namespace

void BackupDeviceData(const InstallContext& ctx) {
  TApp& app = ctx.app;
  const String templates = win::IncludeTrailingBackslash(app.templatesFolder);
  const String commonAppData = SpecialFolderPath(win::kCsidlCommonAppData);

  // An earlier run stopped between its backup and its restore: that backup is
  // the only copy of what it saved, so it is kept and restored by this run.
  const bool pending = win::DirectoryExists(templates) && CountFolderEntries(templates) > 0;
  if (pending) app.deviceBackupFolder = templates;

  if (!win::DirectoryExists(app.programFolder)) return;

  const String productFolder = ctx.Setup(kKeyProgramFiles);
  const String device = ctx.Setup(kKeyProgramDevice);
  const String current = app.programFolder + u"\\" + device;
  const String oldLocation =
      HasOldLocation(productFolder) ? app.programFolder + u"\\" + kOldDeviceLocation : String();

  const bool fromCurrent = win::DirectoryExists(current);
  const bool fromOld = !fromCurrent && !oldLocation.empty() && win::DirectoryExists(oldLocation);
  if (!fromCurrent && !fromOld) return;

  // A fresh backup starts from an empty templates folder; a pending one is
  // never emptied.
  ForceFolderChain(templates, commonAppData, /*emptyFirst=*/!pending);
  const String source = win::IncludeTrailingBackslash(fromCurrent ? current : oldLocation);
  const bool allSaved = SaveInto(source, templates, pending);
  app.deviceBackupFolder = templates;

  // The old Data\ folder goes only when nothing of Data\RES\ was left unsaved.
  if (fromOld && allSaved) DeleteFolderContents(app.programFolder + kOldDataFolder, nullptr, nullptr);
}

void RestoreDeviceData(const InstallContext& ctx) {
  TApp& app = ctx.app;
  if (app.deviceBackupFolder.empty()) return;
  const String backup = win::IncludeTrailingBackslash(app.deviceBackupFolder);
  const String target = app.programFolder + u"\\" + ctx.Setup(kKeyProgramDevice);
  const String targetFolder = win::IncludeTrailingBackslash(target);

  if (win::DirectoryExists(targetFolder)) {
    StringList failures;
    CopyFolderTreeListFailures(backup, targetFolder, nullptr, failures, /*failIfExists=*/true,
                               kDefaultLog, nullptr);
    // A file the new version brought itself was skipped on purpose; anything
    // else that is not in place keeps the whole backup for the next run.
    if (AllInPlace(failures, backup, targetFolder)) DeleteFolderContents(backup, nullptr, nullptr);
  }
  ApplyFolderRights(FolderRightsVariant::kWithProgress, target, ctx);
}
