// The free space of the machine's drive C. Without a limit (the machine was
// made without freeBytes) every write fits. With one, the bytes left are kept
// in the machine folder's "diskfree" file, shared by every process on the
// machine: files that grow take from it, files deleted give back, and a write
// that does not fit fails with ERROR_DISK_FULL as on Windows.
#pragma once

#include <cstdint>

namespace sim {

constexpr const char* kDiskFreeName = "diskfree";
constexpr uint32_t kErrorDiskFull = 112;

// Takes `bytes` from what is left; false, taking nothing, when fewer are left.
[[nodiscard]] bool TakeDiskSpace(int64_t bytes);
// Gives `bytes` back (a file deleted or shrunk, a reservation not used).
void GiveBackDiskSpace(int64_t bytes);

}  // namespace sim
