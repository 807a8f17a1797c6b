// Removing the contents of the install folder at the end of an uninstall,
// keeping the user data the product's rules keep.
#pragma once

#include "app/worker_outputs.h"
#include "platform/strings.h"

enum class FolderRemoval {
  kNothing,                   // a product this program does not know: nothing goes
  kFullClear,                 // the user chose to delete the user data
  kKeepListClear,             // the user data folders stay
  kKeepListClearWithUpdater,  // as above, and "Updater" is emptied but kept
};

struct FolderRemovalPlan {
  FolderRemoval variant = FolderRemoval::kNothing;
  String keepFile;      // kept at the top level (full clear) or at every level
  String keepFolder;    // full clear: "none" means no folder is kept
  StringList keepList;  // keep-list variants: folder names, letter case aside
};

inline constexpr char16_t kNoKeepFolder[] = u"none";

// The plan for a product (%REG_FODLER_PROGNAME, exact) and the user's choice.
FolderRemovalPlan FolderRemovalFor(const String& registryName, bool deleteUserData);

// False for a folder no uninstall may clear, whatever a record says: an empty
// or relative path, a drive root, a path with "." or ".." parts, a junction or
// symbolic link, and any folder that is or holds the Windows folder, a Program
// Files folder, ProgramData, a user profile, the common Start menu or desktop.
bool IsRemovableInstallFolder(const String& folder);

// Applies the plan to the install folder: files deleted (each shown on the
// status line, the bar stepped), emptied folders removed depth first. The
// install folder itself, any folder named like its last component and (in the
// updater variant) "Updater" are emptied but never removed. Links are removed
// themselves, never followed.
void RemoveInstallFolder(const String& installFolder, const FolderRemovalPlan& plan,
                         const WorkerOutputs& out);
