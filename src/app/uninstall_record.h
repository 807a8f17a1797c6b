// The installed product's record as the uninstall run needs it: the string
// values under HKEY_LOCAL_MACHINE\Software\<publisher>\<registry name>\, read
// once at start-up in the uninstall modes.
#pragma once

#include <functional>

#include "platform/strings.h"

struct UninstallRecord {
  String key;                 // the product key itself, ending with "\"
  String uninstRegFolder;     // "UninstRegFolder": name of the Add/Remove Programs entry
  String uninstExeDir;        // "UninstExeDir", or "UninstOnAppDataDir" when that is empty
  String product;             // "Product"
  String formCaption;         // "FormCaption"
  String installDir;          // "InstallDir": the install root
  String execOnBoot;          // "ExecOnBoot": value name under the start-up key
  String linkProgramsExec;    // "LINK_ProgramsExec"
  String linkProgramUnist;    // "LINK_ProgramUnist"
  String linkProgramsManual;  // "LINK_ProgramsManual" (may be empty)
  String linkDesktopExec;     // "LINK_DesktopExec"
  String onlineUpdaterDir;    // "OnlineUpdaterDir"
};

// Reads the record under productKey (HKEY_LOCAL_MACHINE, read-only, nothing
// created). A field is overwritten only by a value that is not empty, so the
// record keeps what it held for absent or empty values. afterRead is called
// after each value read except the manual shortcut's (ten times), for the
// start-up screen's counter. False, with the record untouched, when the key is
// empty or cannot be opened.
[[nodiscard]] bool ReadUninstallRecord(const String& productKey, UninstallRecord& record,
                                       const std::function<void()>& afterRead = {});
