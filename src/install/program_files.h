// Stage S4: the product's program files and its updater put in place, and the
// chosen language written into the installed program's and the updater's
// settings.
#pragma once

#include "install/install_context.h"

// Runs the stage. Returns the destination paths of the files that could not be
// copied, payload and updater alike; the run tells the user about them.
StringList CopyProgramFiles(const InstallContext& ctx);

// The message for files that could not be copied: the text of "MSG_401" (the
// English sentence when the language files lack it) with the number of files,
// then up to five of them, one a line.
String CopyFailureMessage(const InstallContext& ctx, const StringList& failedPaths);

inline constexpr char16_t kCopyFailureFallback[] = u"Some files could not be copied:";
inline constexpr size_t kCopyFailuresShown = 5;
