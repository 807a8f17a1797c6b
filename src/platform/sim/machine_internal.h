// Helpers the sim backend's own files share on top of machine.h: the full
// result of mapping a Windows path, the escape check for links, the test
// overrides of the program's path and arguments, and the per-thread last error.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/sim/machine.h"
#include "platform/strings.h"

namespace sim {

constexpr uint32_t kErrorInvalidName = 123;

// A host folder held open (O_PATH), so that names in it are found without
// walking its whole path again.
struct HostFolder {
  HostFolder(int handle, std::string path) : fd(handle), host(std::move(path)) {}
  ~HostFolder() { ::close(fd); }
  HostFolder(const HostFolder&) = delete;
  HostFolder& operator=(const HostFolder&) = delete;
  int fd;
  std::string host;
};

struct ResolvedPath {
  std::string host;          // host path (components matched without regard to case)
  bool parentExists = false; // every component but the last exists as a folder
  bool exists = false;       // the last component exists (a link counts, even dangling)
  bool isRoot = false;       // the path names the drive root itself
  struct stat st {};         // when it exists: the lstat of the last component (not of the root)
  // The parent folder held open and the last component's host name in it,
  // when the parent is a mapped folder (else folder is empty).
  std::shared_ptr<const HostFolder> folder;
  std::string leaf;
};


// Maps a Windows path on drive C: like Machine::HostPath, with the details the
// file calls need to choose between "file not found" and "path not found".
bool ResolvePath(const String& windowsPath, ResolvedPath& resolved, uint32_t& error);

// True when hostPath, with every link followed, still lies inside drive C: of
// the current machine (a missing path counts as inside when its existing
// ancestor is).
bool StaysInsideMachine(const std::string& hostPath);

// This process created (added) or removed an entry: keeps the cached folder
// listing of the case-blind name match up to date without reading it again.
// folderFd is the entry's folder held open, when it is.
void NoteEntryChanged(const std::string& hostPath, bool added, int folderFd = -1);
// Drops every cached folder listing and folder mapping (after writing to the
// machine's folders with host calls, as test fixtures do).
void ForgetFolderListings();
// Drops every folder mapping kept for quick lookups, or those of a removed
// host folder and what lay in it.
void ForgetFolderMappings();
void ForgetFolderMappingsUnder(const std::string& hostFolder);

// The host folder of drive C: ("<machine>/drive_c"), and the same with every
// link resolved; "" without a machine.
std::string DriveRoot();
std::string RealDriveRoot();

// Test overrides (set by SetExecutablePath / SetCommandLineArguments).
std::optional<String> ExecutablePathOverride();
std::optional<StringList> CommandLineArgumentsOverride();

}  // namespace sim

namespace sim {

// The Windows error number for a host errno (ENOENT -> 2, EACCES -> 5 ...).
uint32_t ErrorFromErrno(int error);

// Attributes as GetFileAttributes reports them for a host path (a link is a
// reparse point and is not followed); kInvalidFileAttributes when missing.
uint32_t AttributesOfHost(const std::string& hostPath);
// The same for an entry whose lstat is known.
uint32_t AttributesOfStat(const std::string& hostPath, const struct stat& st);
bool IsLockedHost(const std::string& hostPath);

// Writes all size bytes to a host file, again after an interrupted call;
// false when the host refuses.
bool WriteAll(int fd, const char* p, size_t size);

}  // namespace sim

namespace sim {
// Windows name matching of a find pattern's last part ("*.*", "a?.txt" ...).
bool MatchesMask(StringView mask, StringView name);
}  // namespace sim
