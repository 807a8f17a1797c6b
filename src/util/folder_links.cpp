#include "util/folder_links.h"

#include "platform/files.h"
#include "platform/system.h"
#include "platform/thread.h"

namespace {

bool IsDriveRoot(const String& path) {
  return path.empty() || (path.size() <= 3 && path.size() >= 2 && path[1] == u':');
}

bool IsLinkAttribute(uint32_t attributes) {
  return attributes != win::kInvalidFileAttributes && (attributes & win::kFileAttributeReparsePoint) != 0;
}

}  // namespace

bool IsLinkFolder(const String& folder) {
  return IsLinkAttribute(win::GetFileAttributes(win::ExcludeTrailingBackslash(folder)));
}

String LinkOnFolderChain(const String& folder, const String& base) {
  const String stop = win::ExcludeTrailingBackslash(base);
  String current = win::ExcludeTrailingBackslash(folder);
  while (!IsDriveRoot(current) && !win::SameText(current, stop)) {
    if (IsLinkFolder(current)) return current;
    const String parent = win::ExtractFileDir(current);
    if (parent == current) break;
    current = parent;
  }
  return String();
}

void RemoveLinksInTree(const String& folder) {
  const String root = win::IncludeTrailingBackslash(folder);
  win::FindFile find;
  win::FindData entry;
  if (!find.First(root + u"*.*", entry)) return;
  do {
    if (entry.name == u"." || entry.name == u"..") continue;
    const String path = root + entry.name;
    if (IsLinkAttribute(entry.attributes)) {
      win::PausePoint();
      // A folder link goes with RemoveDirectory, a file link with DeleteFile;
      // neither touches the target. Failures leave the link, and the caller's
      // rights command then fails on it as it would anyway.
      const bool removed = (entry.attributes & win::kFileAttributeDirectory) ? win::RemoveDirectory(path)
                                                                             : win::DeleteFile(path);
      if (removed)
        win::OutputDebugString(u"Removed a link inside a folder whose rights are set: " + path);
      else
        win::OutputDebugString(u"Could not remove a link inside a folder whose rights are set: " + path + u" (" +
                               win::SysErrorMessage(win::GetLastError()) + u")");
    } else if (entry.attributes & win::kFileAttributeDirectory) {
      RemoveLinksInTree(path);
    }
  } while (find.Next(entry));
}

String LinkedFolderRefusal(const String& folder, const String& link) {
  return u"The folder \"" + win::ExcludeTrailingBackslash(folder) + u"\" was not used: \"" + link +
         u"\" is a junction or symbolic link.";
}
