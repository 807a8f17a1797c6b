// Folder trees, registry, shell-link and special-folder services shared by the
// install, upgrade and uninstall runs. Free functions without state; they run on
// whichever thread calls them and report by result values, never by exceptions.
#pragma once

#include <cstdint>

#include "platform/status.h"
#include "platform/strings.h"

// Folder arguments of the copy and delete operations end with "\"; names are
// joined to them without adding one. The status line and the bar may be null.

// Copies S into D (missing folders created, one level each), every file's
// attributes reset to normal afterwards; a folder named skipName is left out at
// every depth. A failed file copy is not reported.
void CopyFolderTree(const String& source, const String& destination, win::StatusLine* status,
                    bool failIfExists, const String& skipName, win::ProgressIndicator* bar);
// As CopyFolderTree; every failed file copy, at any depth, is appended to
// failures as "source path,destination path".
void CopyFolderTreeListFailures(const String& source, const String& destination,
                                win::StatusLine* status, StringList& failures, bool failIfExists,
                                const String& skipName, win::ProgressIndicator* bar);
// As CopyFolderTree; the first failed file copy stops that folder level and its
// system message text reaches errorText (also from inside a sub-folder; the
// first failure wins). errorText is empty on success.
void CopyFolderTreeStopOnError(const String& source, const String& destination,
                               win::StatusLine* status, String& errorText, bool failIfExists,
                               const String& skipName, win::ProgressIndicator* bar);
// Deletes every file and sub-folder below folder; folder itself stays. A junction
// or symbolic link is removed itself; its target is never touched.
void DeleteFolderContents(const String& folder, win::StatusLine* status,
                          win::ProgressIndicator* bar);
int CountFolderEntries(const String& folder);
// The bytes of every file below folder; links are not followed.
uint64_t FolderTreeBytes(const String& folder);
int ListFolderEntries(const String& folder, const String& kind, const String& extension,
                      StringList& list, const String& exclude);
void ForceFolderChain(const String& path, const String& baseFolder, bool emptyFirst);
// The bar wraps from 100 to 1; callers set the final position themselves.
void StepProgress(win::ProgressIndicator* bar);
String FindInSubfolders(const String& baseFolder, const String& secondSubfolder,
                        const String& firstSubfolder, const String& fileName);

String SpecialFolderPath(int csidl);
String ReadMachineString(const String& valueName, bool mayCreate, const String& key);
void DeleteMachineKey(const String& parentKey, bool mayCreate, const String& key);
void DeleteUserValue(const String& key, bool mayCreate, const String& valueName);
[[nodiscard]] bool CreateShellLink(const String& linkFile, const String& target, const String& description,
                                   const String& arguments, const String& iconPath);
