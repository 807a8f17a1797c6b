// The uninstaller folder in the data folder: a copy of the set-up package
// without its payload, with the language files, started later with
// "uninstall" by the Add/Remove Programs entry and the uninstall shortcut.
#pragma once

#include "install/install_context.h"

struct UninstallerFolderResult {
  bool ok = false;
  String errorText;  // the system's text when a language file failed to copy
};

// Stage S6: empties and fills the uninstaller folder; sets the application
// object's uninstaller executable path.
[[nodiscard]] UninstallerFolderResult BuildUninstallerFolder(const InstallContext& ctx);

// Stage S11: the chosen language into the copy's Settings.ini, so the
// uninstaller starts in it.
void WriteUninstallerLanguage(const InstallContext& ctx);
