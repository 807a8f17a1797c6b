// Junctions and symbolic links on the way to a folder the program changes.
//
// Any local user may create folders under the common application data folder
// and, inside the install root, anywhere at all. A link planted there must
// never lead the elevated program to copy, delete or open up someone else's
// files: such a folder is left alone, and the links inside a tree that a
// rights command walks are removed first (icacls /T walks into junctions).
#pragma once

#include "platform/strings.h"

// Whether the folder (a trailing "\" is allowed) is itself a junction or
// symbolic link.
bool IsLinkFolder(const String& folder);

// The first folder, from `folder` itself up to but not including `base`, that
// is a junction or symbolic link; "" when there is none. A base that is not
// an ancestor of folder stops the walk at the drive.
String LinkOnFolderChain(const String& folder, const String& base);

// Removes every junction and symbolic link below folder (the links
// themselves, never what they point at). folder itself is not looked at.
void RemoveLinksInTree(const String& folder);

// The text a stage reports for a folder it refused; it names the folder.
String LinkedFolderRefusal(const String& folder, const String& link);
