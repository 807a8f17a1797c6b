// Whether a folder the program is about to empty, fill, copy from or open up
// may be used: never when it, or a folder between it and its base (the
// Program Files folder for the install root and what lies in it, the common
// application data folder for the data folder), is a junction or symbolic
// link. Any local user may create folders under ProgramData and inside the
// install root; a link there must not lead the elevated program to someone
// else's files.
#pragma once

#include "app/app.h"
#include "platform/strings.h"

// The folder a covered folder's chain is checked up to.
String LinkCheckBase(const TApp& app, const String& folder);

// True when folder may be used. Otherwise the refusal, naming the folder, goes
// to the trace and, when refusal is given, into it.
bool FolderUsable(const TApp& app, const String& folder, String* refusal = nullptr);
