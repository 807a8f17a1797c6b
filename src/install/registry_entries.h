// The three registry records of an installed product: the Add/Remove Programs
// entry, the start-up value and the product record.
#pragma once

#include "install/install_context.h"

// Value names of the Add/Remove Programs entry.
inline constexpr char16_t kValueDisplayName[] = u"DisplayName";
inline constexpr char16_t kValueUninstallString[] = u"UninstallString";
inline constexpr char16_t kValueDisplayIcon[] = u"DisplayIcon";
inline constexpr char16_t kValueDisplayVersion[] = u"DisplayVersion";
inline constexpr char16_t kValuePublisher[] = u"Publisher";
inline constexpr char16_t kValueUrlInfoAbout[] = u"URLInfoAbout";
inline constexpr char16_t kValueInstallLocation[] = u"InstallLocation";
inline constexpr char16_t kValueEstimatedSize[] = u"EstimatedSize";  // DWORD, KB of the program folder
inline constexpr char16_t kValueQuietUninstallString[] = u"QuietUninstallString";
inline constexpr char16_t kValueNoModify[] = u"NoModify";  // DWORD 1
inline constexpr char16_t kValueNoRepair[] = u"NoRepair";  // DWORD 1
inline constexpr char16_t kValueInstallDate[] = u"InstallDate";  // yyyyMMdd

// Value names of the product record.
inline constexpr char16_t kValueUninstExeDir[] = u"UninstExeDir";
inline constexpr char16_t kValueUninstOnAppDataDir[] = u"UninstOnAppDataDir";
inline constexpr char16_t kValueProduct[] = u"Product";
inline constexpr char16_t kValueFormCaption[] = u"FormCaption";
inline constexpr char16_t kValueInstallDir[] = u"InstallDir";
inline constexpr char16_t kValueExecOnBoot[] = u"ExecOnBoot";
inline constexpr char16_t kValueUninstRegFolder[] = u"UninstRegFolder";
inline constexpr char16_t kValueLinkProgramsExec[] = u"LINK_ProgramsExec";
inline constexpr char16_t kValueLinkProgramUnist[] = u"LINK_ProgramUnist";
inline constexpr char16_t kValueLinkProgramsManual[] = u"LINK_ProgramsManual";
inline constexpr char16_t kValueLinkDesktopExec[] = u"LINK_DesktopExec";
inline constexpr char16_t kValueOnlineUpdaterDir[] = u"OnlineUpdaterDir";

// Stage S7, under HKEY_LOCAL_MACHINE\<uninstall key><%REG_FODLER_PROGNAME>.
void WriteUninstallEntry(const InstallContext& ctx);
// Stage S8, under HKEY_CURRENT_USER\<start-up key>: "<program>" Minimum.
void WriteStartupEntry(const InstallContext& ctx);
// Stage S10, under HKEY_LOCAL_MACHINE\Software\<publisher>\<registry name>\.
void WriteProductRecord(const InstallContext& ctx);
