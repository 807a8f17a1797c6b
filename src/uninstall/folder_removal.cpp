#include "uninstall/folder_removal.h"

#include "app/product_words.h"
#include "platform/files.h"
#include "platform/shell.h"
#include "platform/system.h"
#include "platform/thread.h"
#include "util/folder_links.h"
#include "util/xfunctions.h"

namespace {

constexpr char16_t kScriptsMacros[] = u"ScriptsMacros";
constexpr char16_t kUserLog[] = u"UserLog";
constexpr char16_t kSled[] = u"SLED";
constexpr char16_t kDefaultLog[] = u"DefaultLog";
constexpr char16_t kUpdater[] = u"Updater";

// Special folders that no uninstall ever clears, nor any folder above them.
constexpr int kProtectedFolders[] = {
    win::kCsidlWindows,           win::kCsidlSystem,          win::kCsidlProgramFiles,
    win::kCsidlProgramFilesX86,   win::kCsidlProgramFilesCommon, win::kCsidlCommonAppData,
    win::kCsidlProfile,           win::kCsidlCommonPrograms,  win::kCsidlCommonDesktopDirectory,
};

bool IsLink(const win::FindData& entry) { return (entry.attributes & win::kFileAttributeReparsePoint) != 0; }
bool IsFolder(const win::FindData& entry) { return (entry.attributes & win::kFileAttributeDirectory) != 0; }

bool InList(const StringList& list, const String& name) {
  for (const String& item : list)
    if (win::SameText(item, name)) return true;
  return false;
}

StringList SplitPath(const String& path) {
  StringList parts;
  String part;
  for (char16_t c : path) {
    if (c == u'\\') {
      parts.push_back(part);
      part.clear();
    } else {
      part += c;
    }
  }
  parts.push_back(part);
  return parts;
}

class Remover {
 public:
  Remover(const FolderRemovalPlan& plan, const String& installName, const WorkerOutputs& out)
      : plan_(plan), installName_(installName), out_(out) {}

  // Processes the contents of folder (ending with "\"). insideDefaultLog: one of
  // the folders on the way down from the install folder is "DefaultLog".
  void Clear(const String& folder, bool topLevel, bool insideDefaultLog) {
    // Names first, then the work: the listing is not changed while it is read.
    std::vector<win::FindData> entries;
    {
      win::FindFile find;
      win::FindData entry;
      if (find.First(folder + u"*.*", entry)) {
        do {
          if (entry.name != u"." && entry.name != u"..") entries.push_back(entry);
        } while (find.Next(entry));
      }
    }
    for (const win::FindData& entry : entries) {
      const String path = folder + entry.name;
      if (IsFolder(entry)) {
        if (KeepsFolder(entry.name, insideDefaultLog)) continue;
        win::PausePoint();
        if (!IsLink(entry))
          Clear(path + u"\\", false, insideDefaultLog || win::SameText(entry.name, kDefaultLog));
        // A folder that still holds a kept item stays (and so does one that cannot go).
        if (!NeverRemoved(entry.name)) (void)win::RemoveDirectory(path);
      } else {
        if (KeepsFile(entry.name, topLevel)) continue;
        win::PausePoint();
        out_.SetStatus(path);
        // A file that cannot be deleted is skipped; the run goes on without a message.
        (void)win::DeleteFile(path);
        StepProgress(out_.bar);
      }
    }
  }

 private:
  bool FullClear() const { return plan_.variant == FolderRemoval::kFullClear; }

  bool KeepsFile(const String& name, bool topLevel) const {
    if (FullClear()) return topLevel && name == plan_.keepFile;
    return name == plan_.keepFile;
  }

  bool KeepsFolder(const String& name, bool insideDefaultLog) const {
    if (FullClear()) return plan_.keepFolder != kNoKeepFolder && name == plan_.keepFolder;
    return !insideDefaultLog && InList(plan_.keepList, name);
  }

  // Emptied but kept: a folder named like the install folder (the program
  // folder repeats the install root's name) and, in the updater variant,
  // "Updater".
  bool NeverRemoved(const String& name) const {
    if (name == installName_) return true;
    return plan_.variant == FolderRemoval::kKeepListClearWithUpdater && name == kUpdater;
  }

  const FolderRemovalPlan& plan_;
  const String installName_;
  const WorkerOutputs& out_;
};

}  // namespace

FolderRemovalPlan FolderRemovalFor(const String& registryName, bool deleteUserData) {
  const StringList keepAll{kScriptsMacros, kUserLog, kSled};
  FolderRemovalPlan plan;
  plan.keepFile = kMigrationMarker;
  plan.keepFolder = kNoKeepFolder;
  plan.keepList = keepAll;
  if (registryName == kProductMouse || registryName == kProductEsport) {
    plan.variant = deleteUserData ? FolderRemoval::kFullClear : FolderRemoval::kKeepListClearWithUpdater;
  } else if (registryName == kProductTonalix) {
    plan.variant = FolderRemoval::kFullClear;  // the macros stay either way
    plan.keepFolder = kScriptsMacros;
  } else if (registryName == kProductKeyboard || registryName == kProductPad) {
    plan.variant = deleteUserData ? FolderRemoval::kFullClear : FolderRemoval::kKeepListClear;
  } else if (registryName == kProductDrevanix) {
    plan.variant = deleteUserData ? FolderRemoval::kFullClear : FolderRemoval::kKeepListClear;
    plan.keepFile = kDrevanixMigrationMarker;
    plan.keepList = {kScriptsMacros, kUserLog};
  } else {
    plan = FolderRemovalPlan{};
  }
  return plan;
}

bool IsRemovableInstallFolder(const String& folder) {
  const String path = win::ExcludeTrailingBackslash(folder);
  // "X:\name..." and nothing else: no other drive forms, no network paths.
  if (path.size() < 4 || path[1] != u':' || path[2] != u'\\') return false;
  const char16_t drive = static_cast<char16_t>(path[0] | 0x20);
  if (drive < u'a' || drive > u'z') return false;
  if (path.find(u'/') != String::npos) return false;
  const StringList parts = SplitPath(path.substr(3));
  for (const String& part : parts)
    if (part.empty() || win::Trim(part).empty() || part == u"." || part == u"..") return false;
  // Every Program Files folder of any drive, whatever the shell reports.
  if (parts.size() == 1 && win::StartsWith(win::LowerCase(parts[0]), u"program files")) return false;

  const String mine = win::LowerCase(path) + u"\\";
  for (int csidl : kProtectedFolders) {
    const String special = win::ExcludeTrailingBackslash(SpecialFolderPath(csidl));
    if (special.empty()) continue;
    if (win::StartsWith(win::LowerCase(special) + u"\\", mine)) return false;
  }

  const uint32_t attributes = win::GetFileAttributes(path);
  if (attributes == win::kInvalidFileAttributes) return false;
  if ((attributes & win::kFileAttributeDirectory) == 0) return false;
  return (attributes & win::kFileAttributeReparsePoint) == 0;
}

void RemoveInstallFolder(const String& installFolder, const FolderRemovalPlan& plan,
                         const WorkerOutputs& out) {
  if (plan.variant == FolderRemoval::kNothing) return;
  if (!IsRemovableInstallFolder(installFolder)) return;
  // Reached through a junction or symbolic link, the folder is somebody
  // else's, whatever its name says.
  const String link = LinkOnFolderChain(installFolder, SpecialFolderPath(win::kCsidlProgramFiles));
  if (!link.empty()) {
    win::OutputDebugString(LinkedFolderRefusal(installFolder, link));
    return;
  }
  const String folder = win::IncludeTrailingBackslash(installFolder);
  const String installName = win::ExtractFileName(win::ExcludeTrailingBackslash(installFolder));
  Remover(plan, installName, out).Clear(folder, true, false);
}
