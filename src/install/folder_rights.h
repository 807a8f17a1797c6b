// Opening up folder rights with the system's tools: cacls on Windows major
// version 5, icacls on 6 and 10, one folder at a time.
#pragma once

#include "install/install_context.h"
#include "platform/strings.h"

enum class FolderRightsVariant {
  kWithProgress,  // install root, device data, user logs, migrated folders
  kQuiet,         // compressed folder repair
  kUninstaller,   // the uninstaller folder: Everyone may read and run, not change
};

// Runs the variant's command lines for folder (a trailing "\" is dropped), each
// waited for; failures are not reported. The with-progress variant moves the
// bar and, on 6 and 10, shows "ChangeFolderCompetence".
void ApplyFolderRights(FolderRightsVariant variant, const String& folder, const InstallContext& ctx);

// The command lines, in the system's own words. {F} is the folder without its
// trailing "\", {E} the local name of the Everyone account.
inline constexpr char16_t kCaclsGrantEveryone[] = u"cmd.exe /c echo y|cacls \"{F}\" /G \"{E}\":F /T";
inline constexpr char16_t kIcaclsReset[] = u"icacls.exe \"{F}\" /reset /T";
inline constexpr char16_t kIcaclsCutInheritance[] = u"icacls.exe \"{F}\" /inheritance:r /T";
inline constexpr char16_t kIcaclsGrantSystem[] = u"icacls.exe \"{F}\" /grant SYSTEM:(OI)(CI)F /T";
inline constexpr char16_t kIcaclsGrantEveryone[] = u"icacls.exe \"{F}\" /grant \"{E}\":(OI)(CI)F /T";
inline constexpr char16_t kIcaclsGrantEveryoneReadRun[] =
    u"icacls.exe \"{F}\" /grant \"{E}\":(OI)(CI)RX /T";

// Fills a command line template: every "{F}" and "{E}" in one pass, so a folder
// name that itself holds such a token stays as it is.
String FormatRightsCommand(StringView commandTemplate, const String& folder, const String& everyone);
