#include "app/run_mode.h"

String RunModeOfArgument(const String& argument) {
  if (argument == u"uninstall") return kRunModeUninstall;
  if (argument == u"uninstallanyway") return kRunModeUninstallAnyway;
  if (argument == u"silentuninstall") return kRunModeSilentUninstall;
  if (argument == u"upgrade") return kRunModeUpgrade;
  if (argument == u"onlineupdater") return kRunModeOnlineUpdater;
  if (argument == u"silentinstall") return kRunModeSilentInstall;
  return kRunModeInstall;
}

bool IsUninstallMode(const String& runMode) {
  return runMode == kRunModeUninstall || runMode == kRunModeUninstallAnyway || runMode == kRunModeSilentUninstall;
}
