#include "install/folder_rights.h"

#include <vector>

#include "app/folder_guard.h"
#include "install/status_texts.h"
#include "platform/files.h"
#include "platform/process.h"
#include "platform/system.h"
#include "util/cmnfileexecuate.h"
#include "util/folder_links.h"
#include "util/xfunctions.h"

namespace {

enum class Tools { kNone, kCacls, kIcacls };

Tools ToolsOfThisSystem() {
  win::OsVersion version;
  // A failed call leaves the major version 0: no rights tool is run.
  (void)win::GetVersionEx(version);
  if (version.major == 5) return Tools::kCacls;
  if (version.major == 6 || version.major == 10) return Tools::kIcacls;
  return Tools::kNone;
}

void Run(StringView commandTemplate, const String& folder, bool needsEveryone) {
  // The account name is looked up right before the command that needs it.
  const String everyone = needsEveryone ? win::EveryoneAccountName() : String();
  // Nothing is reported: a tool that cannot be started leaves the rights as
  // they were, and the sequence goes on with the next command.
  (void)RunAndWait(FormatRightsCommand(commandTemplate, folder, everyone), win::kCreateNoWindow);
}

// Runs the commands on folder in order; false at the first one that could not
// be started or ended with an error.
bool RunAll(const std::vector<const char16_t*>& commandTemplates, const String& folder) {
  for (const char16_t* commandTemplate : commandTemplates) {
    uint32_t exitCode = 0;
    if (!RunAndWait(FormatRightsCommand(commandTemplate, folder, String()), win::kCreateNoWindow, &exitCode) ||
        exitCode != 0)
      return false;
  }
  return true;
}

String NotAdministratorsOwn(const String& folder) {
  return u"The folder \"" + folder + u"\" could not be made the administrators' own.";
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
  if (tools == Tools::kNone) return;
  // Nothing is opened up through a junction or symbolic link, and since the
  // commands walk the whole tree (and into junctions), the links inside it
  // go first: the links themselves, never what they point at.
  if (!FolderUsable(ctx.app, target)) return;
  RemoveLinksInTree(target);
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
      // nobody but the administrators may replace it. The elevated set-up
      // program is not SYSTEM: without its own entry the next install could
      // neither empty nor refill the folder.
      if (tools == Tools::kIcacls) {
        Run(kIcaclsReset, target, false);
        Run(kIcaclsCutInheritance, target, false);
        Run(kIcaclsGrantEveryoneReadRun, target, true);
        Run(kIcaclsGrantSystem, target, false);
        Run(kIcaclsGrantAdministrators, target, false);
      }
      return;
  }
}

bool MakeDataFolderAdministratorsOwn(const TApp& app, String& errorText) {
  errorText.clear();
  const String data = win::ExcludeTrailingBackslash(app.dataFolder);
  const String uninst = win::ExcludeTrailingBackslash(app.uninstallerFolder);
  if (!FolderUsable(app, uninst, &errorText)) return false;
  if (ToolsOfThisSystem() != Tools::kIcacls) return true;

  // Outermost first, each folder created where missing only once its parent
  // is ours: a folder a user locked can take no new folder before that.
  struct Level {
    String folder;
    std::vector<const char16_t*> commands;
    bool wholeTree = false;
  };
  const Level levels[] = {
      {data,
       {kIcaclsOwnerAdministrators, kIcaclsResetFolder, kIcaclsCutInheritanceFolder,
        kIcaclsGrantAdministratorsFolder, kIcaclsGrantSystemFolder, kIcaclsGrantUsersReadRun}},
      {data + u"\\bin", {kIcaclsOwnerAdministrators, kIcaclsResetFolder}},
      // A run killed while the uninstaller folder's rights were being set
      // leaves folders in it that nobody may open: the whole tree is reset
      // (its links removed first), or the folder could never be emptied again.
      {uninst, {kIcaclsOwnerAdministrators, kIcaclsResetFolder}, true},
  };
  for (const Level& level : levels) {
    // A folder that cannot be made fails its first rights command, which reports it.
    if (!win::DirectoryExists(level.folder)) (void)win::CreateDirectory(level.folder);
    bool done = RunAll(level.commands, level.folder);
    if (done && level.wholeTree) {
      RemoveLinksInTree(level.folder);
      done = RunAll({kIcaclsReset}, level.folder);
    }
    if (!done) {
      errorText = NotAdministratorsOwn(level.folder);
      return false;
    }
  }
  return true;
}
