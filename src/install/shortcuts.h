// Stage S9: the Start-menu shortcuts (program, uninstaller, manual) and the
// desktop shortcut, for all users. Their paths go into the application object
// and from there into the product record.
#pragma once

#include "install/install_context.h"

// Either folder name may be empty; the Start-menu folder then sits one level
// higher.
void CreateShortcuts(const InstallContext& ctx, const String& publisherFolder,
                     const String& programsFolder);
