// Opening up folder rights with the system's tools: cacls on Windows major
// version 5, icacls on 6 and 10, one folder at a time.
#pragma once

#include "install/install_context.h"
#include "platform/strings.h"

enum class FolderRightsVariant {
  kWithProgress,  // install root, device data, user logs, migrated folders
  kQuiet,         // compressed folder repair
  kUninstaller,   // the uninstaller folder: Everyone may read and run, not change;
                  // the administrators keep full control for the next install
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
// Administrators by their identifier, so the line works in every system language.
inline constexpr char16_t kIcaclsGrantAdministrators[] =
    u"icacls.exe \"{F}\" /grant *S-1-5-32-544:(OI)(CI)F /T";

// The data folder chain made the administrators' own: each of the data
// folder, its bin and bin\uninst is owned by Administrators; the data folder
// keeps no inherited entry (a user who created it keeps nothing through
// CREATOR OWNER) and grants only Administrators and SYSTEM full control and
// Users read and execute; bin and uninst inherit that and nothing else.
inline constexpr char16_t kIcaclsOwnerAdministrators[] = u"icacls.exe \"{F}\" /setowner *S-1-5-32-544";
inline constexpr char16_t kIcaclsResetFolder[] = u"icacls.exe \"{F}\" /reset";
inline constexpr char16_t kIcaclsCutInheritanceFolder[] = u"icacls.exe \"{F}\" /inheritance:r";
inline constexpr char16_t kIcaclsGrantAdministratorsFolder[] = u"icacls.exe \"{F}\" /grant *S-1-5-32-544:(OI)(CI)F";
inline constexpr char16_t kIcaclsGrantSystemFolder[] = u"icacls.exe \"{F}\" /grant *S-1-5-18:(OI)(CI)F";
inline constexpr char16_t kIcaclsGrantUsersReadRun[] = u"icacls.exe \"{F}\" /grant *S-1-5-32-545:(OI)(CI)RX";

// Creates the data folder, its bin and bin\uninst where missing and makes them
// the administrators' own, before anything is copied into the data folder: a
// user who created them first could otherwise rename the uninstaller away and
// put a program of their own in its place, which the next elevated uninstall
// would run. Nothing is done through a junction or symbolic link. False, with
// a text naming the folder, when a folder is a link or a command failed. On
// systems without icacls nothing is run and the result is true.
[[nodiscard]] bool MakeDataFolderAdministratorsOwn(const TApp& app, String& errorText);

// Fills a command line template: every "{F}" and "{E}" in one pass, so a folder
// name that itself holds such a token stays as it is.
String FormatRightsCommand(StringView commandTemplate, const String& folder, const String& everyone);
