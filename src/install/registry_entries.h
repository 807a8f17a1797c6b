// The three registry records of an installed product: the Add/Remove Programs
// entry, the start-up value and the product record.
#pragma once

#include "app/record_names.h"
#include "install/install_context.h"

// Stage S7, under HKEY_LOCAL_MACHINE\<uninstall key><%REG_FODLER_PROGNAME>.
void WriteUninstallEntry(const InstallContext& ctx);
// Stage S8, under HKEY_CURRENT_USER\<start-up key>: "<program>" Minimum.
void WriteStartupEntry(const InstallContext& ctx);
// Stage S10, under HKEY_LOCAL_MACHINE\Software\<publisher>\<registry name>\.
void WriteProductRecord(const InstallContext& ctx);
