// Installed-copy detection and the version decision: before any screen shows,
// the start-up finds out whether a copy of the product is installed (its
// product record and its entry in the system's list of installed programs)
// and decides whether to install fresh, ask, or refuse. In the uninstall modes
// it reads the installed product's record instead.
#pragma once

#include <cstdint>
#include <functional>

#include "app/app.h"
#include "app/record_names.h"
#include "app/uninstall_record.h"
#include "platform/strings.h"

// What the installed-copy checks found.
struct InstalledCopy {
  bool recordPresent = false;  // the product key opened and names its uninstall entry
  bool versionFound = false;   // the uninstall entry has a "DisplayVersion"
  String installedVersion;
  String packageVersion;       // %PROGRAM_VERSION, read by the version decision
};

// The four checks, each followed by a call of `step` (the start-up screen's
// counter). False when the package names no usable product (no Setup.ini, an
// empty product key, or a product folder that could lead outside its
// folders): the caller reports error 101 and the checks stop there.
[[nodiscard]] bool RunInstalledCopyChecks(const TApp& app, InstalledCopy& found, const std::function<void()>& step);

// The run state the version decision takes: 1 when no installed copy is in
// the way, 2 when one of the same or an older version is installed (also when
// the package names no version of its own), 4 when a newer one is installed.
// Fills found.packageVersion.
int32_t DecideRunState(const TApp& app, InstalledCopy& found);

// The message key of the question for run state 2: "MSG_503" for the same
// version, "MSG_501" otherwise.
String QuestionKey(const InstalledCopy& found);

// Reads the product record for the uninstall run; `step` is called ten times
// on success. False when the product key is empty or cannot be opened.
[[nodiscard]] bool ReadProductRecordForUninstall(const TApp& app, UninstallRecord& record,
                                                 const std::function<void()>& step);

// A string value of the product's entry in the list of installed programs
// (HKEY_LOCAL_MACHINE, read-only); "" when the entry or value is missing.
String ReadUninstallEntryValue(const TApp& app, const String& valueName);
