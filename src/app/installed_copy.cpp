#include "app/installed_copy.h"

#include "platform/files.h"
#include "platform/registry.h"
#include "text/text_keys.h"

namespace {

String UninstallEntryKey(const TApp& app) { return app.uninstallKey + app.SetupValue(kKeyRegFolderName); }

void Step(const std::function<void()>& step) {
  if (step) step();
}

}  // namespace

String ReadUninstallEntryValue(const TApp& app, const String& valueName) {
  win::Registry registry(win::kKeyRead);
  registry.SetRootKey(win::RootKey::LocalMachine);
  if (!registry.OpenKeyReadOnly(UninstallEntryKey(app))) return String();
  String value = registry.ReadString(valueName);
  registry.CloseKey();
  return value;
}

bool RunInstalledCopyChecks(const TApp& app, InstalledCopy& found, const std::function<void()>& step) {
  const bool setupExists = win::FileExists(app.setupFilePath);

  // 1: the start-up entry probe decides nothing.
  Step(step);

  // 2: the product record. Without Setup.ini, or with a product folder that
  // could lead the folder operations outside the product's own folders, the
  // package is unusable.
  found.recordPresent = false;
  const String productKey = setupExists ? app.ProductKey() : String();
  if (productKey.empty() || !app.ProductIdentityUsable()) return false;
  {
    win::Registry registry(win::kKeyRead);
    registry.SetRootKey(win::RootKey::LocalMachine);
    if (registry.OpenKeyReadOnly(productKey))
      found.recordPresent = !registry.ReadString(kValueUninstRegFolder).empty();
    registry.CloseKey();
  }
  Step(step);

  // 3: the installed version.
  found.installedVersion.clear();
  found.versionFound = false;
  const String version = ReadUninstallEntryValue(app, kValueDisplayVersion);
  if (!version.empty()) {
    found.versionFound = true;
    found.installedVersion = version;
  }
  Step(step);

  // 4: the program probe decides nothing.
  Step(step);
  return true;
}

int32_t DecideRunState(const TApp& app, InstalledCopy& found) {
  if (!(found.versionFound && found.recordPresent)) return kRunStateFreshInstall;
  found.packageVersion.clear();
  if (win::FileExists(app.setupFilePath)) found.packageVersion = app.SetupValue(kKeyProgramVersion);
  // A package that names no version of its own counts as the newer one: the
  // user is asked before the installed copy is replaced.
  if (found.packageVersion.empty()) return kRunStateOlderInstalled;
  // Versions compare as strings, code unit by code unit.
  return found.installedVersion <= found.packageVersion ? kRunStateOlderInstalled : kRunStateNewerInstalled;
}

String QuestionKey(const InstalledCopy& found) {
  return found.installedVersion == found.packageVersion ? kMessageSameInstalled.key : kMessageOlderInstalled.key;
}

bool ReadProductRecordForUninstall(const TApp& app, UninstallRecord& record,
                                   const std::function<void()>& step) {
  const String productKey = win::FileExists(app.setupFilePath) ? app.ProductKey() : String();
  return ReadUninstallRecord(productKey, record, step);
}
