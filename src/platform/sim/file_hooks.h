// Test hooks of the simulated machine's files: states a test needs that the
// program itself can never produce. They are kept in the file's extended
// attributes, so every process on the machine sees them.
#pragma once

#include <cstdint>

#include "platform/strings.h"

namespace sim {

// Marks a file or folder as held open without sharing by another process:
// opening, copying, overwriting and deleting it fail with a sharing violation
// (error 32) until it is released. False when the path does not exist.
[[nodiscard]] bool SetFileLocked(const String& windowsPath, bool locked);

// Stores attributes as they are, including the ones SetFileAttributes cannot
// set (compressed 0x800, encrypted 0x4000), e.g. a file inside a compressed
// folder that reports no low attribute bit at all.
[[nodiscard]] bool SetFileAttributesRaw(const String& windowsPath, uint32_t attributes);

// The free bytes left on drive C, as the machine setting freeBytes gives
// them when the machine is made; -1 lifts the limit. False without a machine.
[[nodiscard]] bool SetFreeDiskBytes(int64_t bytes);
// What is left now; -1 when there is no limit.
int64_t FreeDiskBytes();

}  // namespace sim
