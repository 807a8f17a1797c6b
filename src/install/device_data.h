// Saving the installed copy's device data before the program files are copied
// over it, and putting it back afterwards. The player's device settings are
// never lost: a backup is emptied only once everything in it is back in place,
// and a backup left over from an interrupted run is kept and used.
#pragma once

#include "install/install_context.h"

// Stage S3: saves the device data folder (or, for Zorvex6, Zorvex7 and
// Vantorix2, the old "Data\RES\" folder) into the templates folder and sets
// the application object's device-data backup folder. A templates folder that
// is not empty already holds a pending backup: it is kept, used as this run's
// backup, and the new files only fill in what it lacks.
void BackupDeviceData(const InstallContext& ctx);

// Before an installed copy is replaced (its uninstaller run, or its traces
// removed): makes the data folder chain the administrators' own, then saves
// its device data, found by the same rule in its program
// folder (install root + "\" + product folder), into the templates folder,
// where no uninstaller looks. The new install's backup then finds it pending
// and its restore puts back what the player made. True when there was nothing
// to save or everything was saved; false when a file could not be saved or a
// folder on either side is a junction or symbolic link. A save that failed
// leaves no part of itself in a templates folder that was empty before.
[[nodiscard]] bool SaveInstalledCopyDeviceData(TApp& app, const String& installRoot, const String& productFolder,
                                               const String& device);

// Step 3 of the run: copies the backup into the new device data folder without
// replacing what the new version installed (and without any "DefaultLog"
// folder), then opens up the folder's rights. The backup is emptied only when
// every saved file is now in place; otherwise it stays for the next run.
void RestoreDeviceData(const InstallContext& ctx);
