#include "install/folder_rights.h"

#include "platform/process.h"
#include "platform/system.h"
#include "util/cmnfileexecuate.h"

namespace {

constexpr char16_t kChangeFolderCompetence[] = u"ChangeFolderCompetence";

enum class Tools { kNone, kCacls, kIcacls };

Tools ToolsOfThisSystem() {
  win::OsVersion version;
  win::GetVersionEx(version);  // a failed call leaves the major version 0
  if (version.major == 5) return Tools::kCacls;
  if (version.major == 6 || version.major == 10) return Tools::kIcacls;
  return Tools::kNone;
}

void Run(StringView commandTemplate, const String& folder, bool needsEveryone) {
  // The account name is looked up right before the command that needs it.
  const String everyone = needsEveryone ? win::EveryoneAccountName() : String();
  RunAndWait(FormatRightsCommand(commandTemplate, folder, everyone), win::kCreateNoWindow);
}

}  // namespace

String FormatRightsCommand(StringView commandTemplate, const String& folder, const String& everyone) {
  String result;
  for (size_t i = 0; i < commandTemplate.size(); ++i) {
    const StringView rest = commandTemplate.substr(i);
    if (win::StartsWith(rest, u"{F}")) {
      result += folder;
      i += 2;
    } else if (win::StartsWith(rest, u"{E}")) {
      result += everyone;
      i += 2;
    } else {
      result += commandTemplate[i];
    }
  }
  return result;
}

void ApplyFolderRights(FolderRightsVariant variant, const String& folder, const InstallContext& ctx) {
  const String target = win::ExcludeTrailingBackslash(folder);
  const Tools tools = ToolsOfThisSystem();
  switch (variant) {
    case FolderRightsVariant::kWithProgress:
      if (tools == Tools::kCacls) {
        ctx.out.SetProgress(0);
        Run(kCaclsGrantEveryone, target, true);
        ctx.out.SetProgress(80);
      } else if (tools == Tools::kIcacls) {
        ctx.out.SetProgress(0);
        ctx.out.SetStatus(ctx.Text(kChangeFolderCompetence));
        Run(kIcaclsReset, target, false);
        ctx.out.SetProgress(20);
        Run(kIcaclsCutInheritance, target, false);
        ctx.out.SetProgress(40);
        Run(kIcaclsGrantSystem, target, false);
        ctx.out.SetProgress(60);
        Run(kIcaclsGrantEveryone, target, true);
        ctx.out.SetProgress(80);
      }
      return;
    case FolderRightsVariant::kQuiet:
      if (tools == Tools::kCacls) {
        Run(kCaclsGrantEveryone, target, true);
      } else if (tools == Tools::kIcacls) {
        Run(kIcaclsReset, target, false);
        Run(kIcaclsCutInheritance, target, false);
        Run(kIcaclsGrantEveryone, target, true);
        Run(kIcaclsGrantSystem, target, false);
      }
      return;
    case FolderRightsVariant::kUninstaller:
      // The uninstaller is later run elevated: everyone may read and start it,
      // nobody but the administrators may replace it.
      if (tools == Tools::kIcacls) {
        Run(kIcaclsReset, target, false);
        Run(kIcaclsCutInheritance, target, false);
        Run(kIcaclsGrantEveryoneReadRun, target, true);
        Run(kIcaclsGrantSystem, target, false);
      }
      return;
  }
}
