// Folder trees, registry, shell-link and special-folder services.
#include "util/xfunctions.h"

#include "platform/files.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "platform/thread.h"
#include "util/folder_links.h"

namespace {

const String kAllEntries = u"*.*";
const String kKindFolder = u"Folder";
const String kKindFile = u"File";

bool IsDotEntry(const String& name) { return name == u"." || name == u".."; }

bool IsFolder(const win::FindData& entry) {
  return (entry.attributes & win::kFileAttributeDirectory) != 0;
}

bool IsLink(const win::FindData& entry) {
  return (entry.attributes & win::kFileAttributeReparsePoint) != 0;
}

// A copy that a killed process left half-made under its temporary name: never
// data, so never listed or copied; emptying its folder removes it.
bool IsLeftoverCopy(const String& name) { return win::StartsWith(name, u".zxtmp-"); }

enum class Leftovers { kSkip, kInclude };

// Calls visit(entry) for every entry of folder (which ends with "\") but "."
// and "..". An entry without any of the low attribute bits is still an entry:
// files in compressed or encrypted folders report nothing else. visit returns
// false to end the listing early. One find handle, open while visit runs, so a
// recursive walk holds one handle per level along its current path.
template <typename Visit>
void ForEachEntry(const String& folder, Visit visit, Leftovers leftovers = Leftovers::kSkip) {
  win::FindFile find;
  win::FindData entry;
  if (!find.First(folder + kAllEntries, entry)) return;
  do {
    if (IsDotEntry(entry.name)) continue;
    if (leftovers == Leftovers::kSkip && IsLeftoverCopy(entry.name)) continue;
    if (!visit(entry)) break;
  } while (find.Next(entry));
}

// How a failed file copy is handled by the three copy variants.
struct CopyFailures {
  enum class Mode { Ignore, List, Stop } mode = Mode::Ignore;
  StringList* list = nullptr;   // Mode::List
  String* errorText = nullptr;  // Mode::Stop; the first failure is kept
};

// Returns false when this level stopped at a failed copy (Mode::Stop only).
bool CopyLevel(const String& source, const String& destination, win::StatusLine* status,
               bool failIfExists, const String& skipName, win::ProgressIndicator* bar,
               CopyFailures& failures) {
  bool completed = true;
  ForEachEntry(source, [&](const win::FindData& entry) {
    const String from = source + entry.name;
    const String to = destination + entry.name;
    if (IsFolder(entry)) {
      if (!skipName.empty() && entry.name == skipName) return true;
      // A folder that cannot be made fails the copies into it, which the
      // variant then ignores, lists or reports like any failed copy.
      if (!win::DirectoryExists(to)) (void)win::CreateDirectory(to);
      // A failure below stops only that sub-folder; this level goes on, and
      // the error text already holds the failure for the caller.
      CopyLevel(from + u"\\", to + u"\\", status, failIfExists, skipName, bar, failures);
      return true;
    }
    win::PausePoint();
    if (status) status->SetStatusText(to);
    if (!win::CopyFile(from, to, failIfExists)) {
      switch (failures.mode) {
        case CopyFailures::Mode::Ignore:
          break;
        case CopyFailures::Mode::List:
          failures.list->push_back(from + u"," + to);
          break;
        case CopyFailures::Mode::Stop:
          if (failures.errorText->empty())
            *failures.errorText = win::SysErrorMessage(win::GetLastError());
          completed = false;
          return false;
      }
    }
    // Reset whether or not the copy succeeded; a file that keeps its
    // attributes is not reported.
    (void)win::SetFileAttributes(to, win::kFileAttributeNormal);
    if (bar) StepProgress(bar);
    return true;
  });
  return completed;
}

// A path that names a drive or no folder at all: the upward walk of
// ForceFolderChain ends there and never empties or creates it.
bool IsDriveRootOrEmpty(const String& path) {
  if (path.empty()) return true;
  if (path.size() <= 3 && path.size() >= 2 && path[1] == u':') return true;  // "C:", "C:\"
  return path == u"\\" || path == u"\\\\";
}

}  // namespace

void CopyFolderTree(const String& source, const String& destination, win::StatusLine* status,
                    bool failIfExists, const String& skipName, win::ProgressIndicator* bar) {
  CopyFailures failures;
  CopyLevel(source, destination, status, failIfExists, skipName, bar, failures);
}

void CopyFolderTreeListFailures(const String& source, const String& destination,
                                win::StatusLine* status, StringList& failures, bool failIfExists,
                                const String& skipName, win::ProgressIndicator* bar) {
  CopyFailures mode;
  mode.mode = CopyFailures::Mode::List;
  mode.list = &failures;
  CopyLevel(source, destination, status, failIfExists, skipName, bar, mode);
}

void CopyFolderTreeStopOnError(const String& source, const String& destination,
                               win::StatusLine* status, String& errorText, bool failIfExists,
                               const String& skipName, win::ProgressIndicator* bar) {
  errorText.clear();
  CopyFailures mode;
  mode.mode = CopyFailures::Mode::Stop;
  mode.errorText = &errorText;
  CopyLevel(source, destination, status, failIfExists, skipName, bar, mode);
}

void DeleteFolderContents(const String& folder, win::StatusLine* status,
                          win::ProgressIndicator* bar) {
  // A folder that is itself a link is not ours to empty: its target may be
  // anybody's.
  if (IsLinkFolder(folder)) return;
  ForEachEntry(folder, [&](const win::FindData& entry) {
    const String path = folder + entry.name;
    win::PausePoint();
    if (IsFolder(entry)) {
      // A junction or folder link goes itself; what it points at is not ours.
      if (!IsLink(entry)) DeleteFolderContents(path + u"\\", nullptr, nullptr);
      // A folder that still holds a file that could not be deleted stays.
      (void)win::RemoveDirectory(path);
      return true;
    }
    if (status) status->SetStatusText(path);
    // A file that cannot be deleted (read-only, in use) stays; nothing is reported.
    (void)win::DeleteFile(path);
    if (bar) StepProgress(bar);
    return true;
  }, Leftovers::kInclude);
}

int CountFolderEntries(const String& folder) {
  int count = 0;
  ForEachEntry(win::IncludeTrailingBackslash(folder), [&](const win::FindData&) {
    ++count;
    return true;
  });
  return count;
}

uint64_t FolderTreeBytes(const String& folder) {
  uint64_t bytes = 0;
  const String base = win::IncludeTrailingBackslash(folder);
  ForEachEntry(base, [&](const win::FindData& entry) {
    if (IsLink(entry)) return true;  // what a link leads to is not this folder's
    bytes += IsFolder(entry) ? FolderTreeBytes(base + entry.name) : entry.size;
    return true;
  });
  return bytes;
}

int ListFolderEntries(const String& folder, const String& kind, const String& extension,
                      StringList& list, const String& exclude) {
  const bool folders = kind == kKindFolder;
  const bool files = kind == kKindFile;
  if (!folders && !files) return 0;
  const String wantedExtension = win::LowerCase(extension);
  int added = 0;
  ForEachEntry(win::IncludeTrailingBackslash(folder), [&](const win::FindData& entry) {
    if (!exclude.empty() && entry.name == exclude) return true;
    // The file test looks at the name only, so a folder "x.xlsx" is listed too.
    const bool match = folders ? IsFolder(entry)
                               : win::LowerCase(win::ExtractFileExt(entry.name)) == wantedExtension;
    if (match) {
      list.push_back(entry.name);
      ++added;
    }
    return true;
  });
  return added;
}

void ForceFolderChain(const String& path, const String& baseFolder, bool emptyFirst) {
  String current = win::ExcludeTrailingBackslash(path);
  if (!win::ExtractFileExt(current).empty()) current = win::ExtractFileDir(current);
  const String base = win::ExcludeTrailingBackslash(baseFolder);
  // Nothing is emptied or created through a junction or symbolic link on the
  // way from the base.
  if (!LinkOnFolderChain(current, base).empty()) return;

  StringList missing;  // innermost first
  while (current != base && !IsDriveRootOrEmpty(current)) {
    if (emptyFirst) {
      missing.push_back(current);
      DeleteFolderContents(current + u"\\", nullptr, nullptr);
      emptyFirst = false;
    } else {
      if (win::DirectoryExists(current)) break;
      missing.push_back(current);
    }
    const String parent = win::ExtractFileDir(current);
    if (parent == current) break;
    current = parent;
  }
  // A folder that cannot be made is not reported here: what is later written
  // into it fails there.
  if (current == base && !IsDriveRootOrEmpty(base) && !win::DirectoryExists(base))
    (void)win::CreateDirectory(base);
  for (auto it = missing.rbegin(); it != missing.rend(); ++it) (void)win::CreateDirectory(*it);
}

void StepProgress(win::ProgressIndicator* bar) {
  if (!bar) return;
  if (bar->Position() == 100) bar->SetPosition(0);
  bar->SetPosition(bar->Position() + 1);
}

String FindInSubfolders(const String& baseFolder, const String& secondSubfolder,
                        const String& firstSubfolder, const String& fileName) {
  const String first = baseFolder + firstSubfolder + u"\\" + fileName;
  if (win::FileExists(first)) return first;
  const String second = baseFolder + secondSubfolder + u"\\" + fileName;
  if (win::FileExists(second)) return second;
  return String();
}

String SpecialFolderPath(int csidl) { return win::SHGetSpecialFolderPath(csidl); }

String ReadMachineString(const String& valueName, bool mayCreate, const String& key) {
  win::Registry registry(win::kKeyRead);
  registry.SetRootKey(win::RootKey::LocalMachine);
  String value;
  if (registry.OpenKey(key, mayCreate)) value = registry.ReadString(valueName);
  registry.CloseKey();
  return value;
}

void DeleteMachineKey(const String& parentKey, bool mayCreate, const String& key) {
  // An empty name would mean the parent itself; that is never what a caller wants.
  if (win::ExcludeTrailingBackslash(key).empty()) return;
  win::PausePoint();
  win::Registry registry(win::kKeyWrite);
  registry.SetRootKey(win::RootKey::LocalMachine);
  // A key that has sub-keys or cannot be deleted stays; nothing is reported.
  if (parentKey.empty()) {
    (void)registry.DeleteKey(key);
  } else if (registry.OpenKey(parentKey, mayCreate)) {
    (void)registry.DeleteKey(key);
  }
  registry.CloseKey();
}

void DeleteUserValue(const String& key, bool mayCreate, const String& valueName) {
  win::PausePoint();
  win::Registry registry(win::kKeyWrite);
  registry.SetRootKey(win::RootKey::CurrentUser);
  // A value that is missing or cannot be deleted stays; nothing is reported.
  if (registry.OpenKey(key, mayCreate)) (void)registry.DeleteValue(valueName);
  registry.CloseKey();
}

bool CreateShellLink(const String& linkFile, const String& target, const String& description,
                     const String& arguments, const String& iconPath) {
  win::PausePoint();
  win::ShellLink link;
  if (!link.Create()) return false;
  link.SetPath(target);
  link.SetDescription(description);
  link.SetWorkingDirectory(win::ExtractFilePath(target));
  link.SetIconLocation(iconPath, 0);
  if (!arguments.empty()) link.SetArguments(arguments);
  // Only the object's existence is reported: callers record the link path even
  // when the file could not be written.
  (void)link.Save(linkFile);
  return true;
}
