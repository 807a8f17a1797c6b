// The run mode: what the first command-line argument asks of this run. The
// start-up controller decides it; every screen and worker reads it from App.
#pragma once

#include "platform/strings.h"

// RunMode words.
inline constexpr char16_t kRunModeInstall[] = u"Install";
inline constexpr char16_t kRunModeUpgrade[] = u"Upgrade";
inline constexpr char16_t kRunModeOnlineUpdater[] = u"OnlineUpdater";
inline constexpr char16_t kRunModeUninstall[] = u"Uninstall";
inline constexpr char16_t kRunModeUninstallAnyway[] = u"UninstallAnyway";
inline constexpr char16_t kRunModeSilentUninstall[] = u"SilentUninstall";
// Installs with no screen at all, for deployment tools.
inline constexpr char16_t kRunModeSilentInstall[] = u"SilentInstall";

// The RunMode of a lower-cased first command-line argument.
String RunModeOfArgument(const String& argument);
bool IsUninstallMode(const String& runMode);
