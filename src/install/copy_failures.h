// Reading the failure lists that CopyFolderTreeListFailures fills.
#pragma once

#include "platform/strings.h"

// The destination paths of the failure lines of one copy from source into
// destination. A line is "source path,destination path" with the same relative
// part on both sides, so its length tells where the separating comma is,
// whatever commas the names themselves hold. Lines of another copy are left out.
StringList FailedDestinations(const StringList& failures, const String& source,
                              const String& destination);
