// ZorvexMouseUpdater.exe of the sample package: records that it was started,
// with its arguments, and ends. The set-up program closes and stops a running
// updater; this one never stays running, so there is nothing to close.
#include "started_log.h"

int main() { return zorvex_demo::RecordStart() ? 0 : 1; }
