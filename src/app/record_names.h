// The value names of an installed product's two records: the entry in the
// system's list of installed programs (Add/Remove Programs) and the product
// record under Software\<publisher>\<registry name>. The install writes them,
// the installed-copy checks, the older-copy replacement and the uninstall read
// them: one name for all, so an upgrade always finds what an install wrote.
#pragma once

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
