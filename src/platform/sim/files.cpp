// Files and folders of the simulated machine with Windows semantics.
//
// Attributes the host cannot keep live in each file's record. A file without
// one reports ARCHIVE, as a freshly created Windows file does; one whose
// stored set is empty reports NORMAL. The two common cases cost nothing to
// read, as the stat that finds a file shows them in its mode: no record (no
// extra bit), and, for a file, the empty set (the set-group-ID bit). Any
// other record is the extended attribute "user.zx.attrs", marked by the
// sticky bit: the decimal attribute set, when one was stored, and the word
// "locked" while a test holds the file open without sharing. Read-only is
// enforced here, since the host's permission bits mean nothing to a root
// process. Host symbolic links play junctions: they are reparse points,
// removed themselves and never followed out of the machine.
//
// Every call that opens, creates, renames or deletes checks the running
// account's rights first (access.h), as Windows does when it opens the file;
// the executable of a running program cannot be written or deleted, only
// renamed.
#include "platform/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <atomic>
#include <cstring>
#include <fstream>

#include "platform/shell.h"
#include "platform/sim/access.h"
#include "platform/sim/acl_store.h"
#include "platform/sim/disk_space.h"
#include "platform/sim/file_hooks.h"
#include "platform/sim/machine_internal.h"
#include "platform/sim/tools_internal.h"

namespace sim {

namespace {

constexpr const char* kAttrsName = "user.zx.attrs";
constexpr const char* kLockedWord = "locked";
constexpr const char* kTempPrefix = ".zxtmp-";
constexpr uint32_t kCompressedOrEncrypted = win::kFileAttributeCompressed | win::kFileAttributeEncrypted;
// What SetFileAttributes may change: read-only, hidden, system, archive,
// temporary, offline, not-content-indexed.
constexpr uint32_t kSettable = 0x1 | 0x2 | 0x4 | 0x20 | 0x100 | 0x1000 | 0x2000;
// Never stored: they follow from what the file is.
constexpr uint32_t kDerived = win::kFileAttributeDirectory | win::kFileAttributeNormal | win::kFileAttributeReparsePoint;

// A file's attribute record, read with one look.
struct Record {
  bool stored = false;  // an attribute set was stored (else the file reports ARCHIVE)
  uint32_t attrs = 0;
  bool locked = false;
};

// The mode bits that tell how a file keeps its record.
constexpr mode_t kRecordBit = S_ISVTX;  // the record is the extended attribute
constexpr mode_t kNormalBit = S_ISGID;  // a file whose stored set is empty (not used on folders)

Record ParseRecord(const char* text) {
  Record r;
  const char* rest = text;
  if (*text >= '0' && *text <= '9') {
    char* end = nullptr;
    r.stored = true;
    r.attrs = static_cast<uint32_t>(strtoul(text, &end, 10)) & ~kDerived;
    rest = end;
  }
  r.locked = strstr(rest, kLockedWord) != nullptr;
  return r;
}

// How a record is kept: the mode bit it needs and the extended attribute's
// text ("" when it needs none).
struct Keeping {
  mode_t bit = 0;
  std::string text;
};

Keeping KeepingOf(const Record& r, bool folder) {
  Keeping k;
  if (r.locked || (r.stored && r.attrs != 0)) {
    k.bit = kRecordBit;
    if (r.stored) k.text = std::to_string(r.attrs & ~kDerived);
    if (r.locked) k.text += k.text.empty() ? kLockedWord : std::string(" ") + kLockedWord;
  } else if (r.stored && !folder) {
    k.bit = kNormalBit;
  }
  return k;
}

// The record of an existing file of the given mode (not a link). False only
// when the file is gone.
bool LookUpRecord(const std::string& host, mode_t mode, Record& record) {
  record = Record();
  if (mode & kRecordBit) {
    char buf[64];
    ssize_t n = getxattr(host.c_str(), kAttrsName, buf, sizeof buf - 1);
    if (n < 0) return errno != ENOENT && errno != ENOTDIR;
    buf[n] = '\0';
    record = ParseRecord(buf);
  } else if (S_ISREG(mode) && (mode & kNormalBit)) {
    record.stored = true;
  }
  return true;
}

Record ReadRecord(const std::string& host, mode_t mode) {
  Record record;
  LookUpRecord(host, mode, record);
  return record;
}

// The mode a file of `mode` has once it keeps `k`.
mode_t ModeKeeping(mode_t mode, const Keeping& k) {
  const mode_t spare = S_ISDIR(mode) ? kRecordBit : (kRecordBit | kNormalBit);
  return ((mode & 07777) & ~spare) | k.bit;
}

// Where a file call opens a file: by its name in its open folder, or by its
// host path (a link followed, or a folder not held open).
struct Place {
  int folder = AT_FDCWD;
  std::string name;
  const char* Name() const { return name.c_str(); }
  int FolderFd() const { return folder == AT_FDCWD ? -1 : folder; }
};

Place PlaceOf(const ResolvedPath& r, const std::string& host) {
  if (r.folder && host == r.host) return Place{r.folder->fd, r.leaf};
  return Place{AT_FDCWD, host};
}

Place PlaceOf(const ResolvedPath& r) { return PlaceOf(r, r.host); }

// Stores the record of an existing file or folder (not a link). The
// attribute goes first and the bit after it, so that the bit never points at
// a missing record.
bool WriteRecord(const ResolvedPath& path, const Record& r) {
  const mode_t mode = path.st.st_mode;
  const char* host = path.host.c_str();
  const Keeping k = KeepingOf(r, S_ISDIR(mode));
  if (!k.text.empty() && setxattr(host, kAttrsName, k.text.data(), k.text.size(), 0) != 0) return false;
  const mode_t wanted = ModeKeeping(mode, k);
  const Place at = PlaceOf(path);
  if (wanted != (mode & 07777) && fchmodat(at.folder, at.Name(), wanted, 0) != 0) return false;
  if (k.text.empty() && (mode & kRecordBit)) removexattr(host, kAttrsName);
  return true;
}

// Attributes as Windows reports them for a host entry of which the lstat and
// the record are known.
uint32_t AttributesOf(const std::string& host, const struct stat& st, const Record& record) {
  if (S_ISLNK(st.st_mode)) {
    // Junctions point at folders; a link whose target is gone still is one.
    struct stat target;
    bool file = stat(host.c_str(), &target) == 0 && !S_ISDIR(target.st_mode);
    return win::kFileAttributeReparsePoint |
           (file ? win::kFileAttributeArchive : win::kFileAttributeDirectory);
  }
  if (S_ISDIR(st.st_mode)) return win::kFileAttributeDirectory | record.attrs;
  if (!record.stored) return win::kFileAttributeArchive;
  return record.attrs == 0 ? win::kFileAttributeNormal : record.attrs;
}

bool Fail(uint32_t error) {
  win::SetLastError(error);
  return false;
}

bool Succeed() {
  win::SetLastError(win::kErrorSuccess);
  return true;
}

// Bytes taken from the drive's free space for a write under way: given back
// unless the write keeps them.
class SpaceTaken {
 public:
  bool Take(int64_t bytes) {
    if (!TakeDiskSpace(bytes)) return false;
    bytes_ = bytes > 0 ? bytes : 0;
    return true;
  }
  void Keep() { bytes_ = 0; }
  ~SpaceTaken() { GiveBackDiskSpace(bytes_); }

 private:
  int64_t bytes_ = 0;
};

// Maps a path for a file call. A path too long for the call is "path not
// found", as the Windows file calls without the "\\?\" prefix report it.
bool Resolve(const String& path, ResolvedPath& r) {
  uint32_t error = 0;
  if (ResolvePath(path, r, error)) return true;
  return Fail(error == win::kErrorFilenameExcedRange ? win::kErrorPathNotFound : error);
}

uint32_t MissingError(const ResolvedPath& r) {
  return r.parentExists ? win::kErrorFileNotFound : win::kErrorPathNotFound;
}

bool IsLink(const ResolvedPath& r) { return r.exists && !r.isRoot && S_ISLNK(r.st.st_mode); }

// The host file an existing link stands for, when it stays on the machine;
// false (access denied) when it leads out. `st` becomes the target's stat.
bool FollowInside(std::string& host, struct stat& st) {
  char real[PATH_MAX];
  if (realpath(host.c_str(), real) == nullptr || !StaysInsideMachine(real)) {
    return Fail(win::kErrorAccessDenied);
  }
  host = real;
  if (stat(host.c_str(), &st) != 0) return Fail(ErrorFromErrno(errno));
  return true;
}

// An existing file whose contents are about to be read: a folder, a locked
// file or a link out of the machine fail as CreateFile would. Gives the host
// file (a link followed), its stat and its record.
bool OpenableForRead(const ResolvedPath& r, std::string& host, struct stat& st, Record& record) {
  if (!r.exists) return Fail(MissingError(r));
  host = r.host;
  st = r.st;
  if (r.isRoot) return Fail(win::kErrorAccessDenied);
  if (S_ISLNK(st.st_mode) && !FollowInside(host, st)) return false;
  if (S_ISDIR(st.st_mode)) return Fail(win::kErrorAccessDenied);
  if (uint32_t error = CheckObjectAccess(r, acl::kRead)) return Fail(error);
  record = ReadRecord(host, st.st_mode);
  if (record.locked) return Fail(win::kErrorSharingViolation);
  return true;
}

bool OpenableForRead(const String& path, std::string& host, struct stat& st) {
  ResolvedPath r;
  Record record;
  return Resolve(path, r) && OpenableForRead(r, host, st, record);
}

// Checks a path before it is created or overwritten. `exists` tells whether
// a file is there already (then `st` is its stat and `record` its record);
// host is the file to write (a link followed).
bool WritableTarget(const ResolvedPath& r, std::string& host, bool& exists, struct stat& st, Record& record) {
  host = r.host;
  exists = false;
  if (r.isRoot) return Fail(win::kErrorAccessDenied);
  if (!r.parentExists) return Fail(win::kErrorPathNotFound);
  if (!r.exists) {
    if (uint32_t error = CheckAddToFolder(r)) return Fail(error);
    return true;
  }
  st = r.st;
  if (S_ISLNK(st.st_mode) && !FollowInside(host, st)) return false;
  exists = true;
  record = ReadRecord(host, st.st_mode);
  if (S_ISDIR(st.st_mode) || (AttributesOf(host, st, record) & win::kFileAttributeReadOnly)) {
    return Fail(win::kErrorAccessDenied);
  }
  if (uint32_t error = CheckObjectAccess(r, acl::kWrite)) return Fail(error);
  if (record.locked || IsRunningProgram(host, st)) return Fail(win::kErrorSharingViolation);
  return true;
}

// Copies a file of `size` bytes: in the kernel where the host can, else
// through a buffer.
bool CopyBytes(int in, int out, off_t size) {
  off_t copied = 0;
  while (copied < size) {
    ssize_t n = copy_file_range(in, nullptr, out, nullptr, static_cast<size_t>(size - copied), 0);
    if (n > 0) {
      copied += n;
      continue;
    }
    if (n == 0) return true;  // it became shorter meanwhile
    if (errno == EINTR) continue;
    if (copied > 0 || (errno != EXDEV && errno != ENOSYS && errno != EOPNOTSUPP && errno != EINVAL)) return false;
    break;
  }
  if (copied >= size) return true;
  char buf[1 << 16];
  while (true) {
    ssize_t n = read(in, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) return true;
    if (!WriteAll(out, buf, static_cast<size_t>(n))) return false;
  }
}

// The process's file creation mask, read once (reading it any other way
// changes it for a moment).
mode_t CreationMask() {
  static const mode_t mask = [] {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line)) {
      if (line.rfind("Umask:", 0) == 0) return static_cast<mode_t>(strtoul(line.c_str() + 6, nullptr, 8));
    }
    return static_cast<mode_t>(0777);  // unknown: every mode is set explicitly
  }();
  return mask;
}

// Whether the host gives a file name to an unnamed file through /proc.
bool ProcFdLinks() {
  static const bool usable = access("/proc/self/fd", X_OK) == 0;
  return usable;
}

// Gives an unnamed file a name in a folder. The file's own handle does it
// where the host lets this process (AT_EMPTY_PATH); else its /proc entry.
bool NameUnnamedFile(int fd, int folder, const char* name) {
  static std::atomic<int> emptyPathWorks{-1};  // not known yet
  if (emptyPathWorks.load() != 0) {
    if (linkat(fd, "", folder, name, AT_EMPTY_PATH) == 0) {
      emptyPathWorks = 1;
      return true;
    }
    if ((errno != ENOENT && errno != EPERM) || emptyPathWorks.load() == 1) return false;
  }
  char self[32];
  snprintf(self, sizeof self, "/proc/self/fd/%d", fd);
  if (linkat(AT_FDCWD, self, folder, name, AT_SYMLINK_FOLLOW) != 0) return false;
  int unknown = -1;
  emptyPathWorks.compare_exchange_strong(unknown, 0);
  return true;
}

// A file that appears under its name in one step, whole: the bytes go to an
// unnamed file in the target's folder (or to a temporary name beside it where
// the host has no unnamed files), which then takes the name. No reader ever
// sees half a file, and a process killed while writing leaves nothing behind.
class NewFile {
 public:
  // target: where the file goes; host: its host path; mode: the host mode
  // of the file before its attribute record is added; keeping: that record.
  NewFile(const Place& target, const std::string& host, mode_t baseMode, const Keeping& keeping)
      : target_(target), host_(host), record_(keeping.text) {
    const mode_t mode = ModeKeeping(baseMode, keeping);
    const std::string folder = host.substr(0, host.rfind('/') + 1);
    if (ProcFdLinks()) {
      fd_ = target.folder == AT_FDCWD ? open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode)
                                      : openat(target.folder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
      if (fd_ >= 0) {
        // The creation mask may have taken permission bits, and the bits
        // of a record are set explicitly.
        if ((mode & ~CreationMask()) != mode || (mode & ~0777)) fchmod(fd_, mode);
        return;
      }
      if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) return;
    }
    temp_ = folder + kTempPrefix + "XXXXXX";
    fd_ = mkostemp(temp_.data(), O_CLOEXEC);
    if (fd_ >= 0) fchmod(fd_, mode);
  }
  ~NewFile() {
    if (fd_ >= 0) close(fd_);
    if (!committed_ && !temp_.empty() && fd_ >= 0) unlink(temp_.c_str());
  }
  NewFile(const NewFile&) = delete;
  NewFile& operator=(const NewFile&) = delete;

  bool Ok() const { return fd_ >= 0; }
  int Fd() const { return fd_; }

  // Gives the file its name. Without `replace` an existing file of that name
  // stays and the call fails with EEXIST.
  bool Commit(bool replace) {
    if (!record_.empty() && fsetxattr(fd_, kAttrsName, record_.data(), record_.size(), 0) != 0) return false;
    if (temp_.empty()) {
      if (NameUnnamedFile(fd_, target_.folder, target_.Name())) return Done();
      if (errno != EEXIST || !replace) return false;
      // Replacing: named beside the target first, then renamed over it.
      temp_ = host_.substr(0, host_.rfind('/') + 1) + kTempPrefix + std::to_string(getpid()) + "-" +
              std::to_string(fd_);
      if (!NameUnnamedFile(fd_, AT_FDCWD, temp_.c_str())) {
        temp_.clear();
        return false;
      }
    }
    if (replace ? rename(temp_.c_str(), host_.c_str()) != 0 : link(temp_.c_str(), host_.c_str()) != 0) {
      int e = errno;
      unlink(temp_.c_str());
      temp_.clear();
      errno = e;
      return false;
    }
    if (!replace) unlink(temp_.c_str());
    return Done();
  }

 private:
  bool Done() {
    committed_ = true;
    int fd = fd_;
    fd_ = -1;
    return close(fd) == 0;
  }

  Place target_;
  std::string host_, record_, temp_;
  int fd_ = -1;
  bool committed_ = false;
};

}  // namespace

bool WriteAll(int fd, const char* p, size_t size) {
  while (size > 0) {
    ssize_t n = write(fd, p, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

uint32_t AttributesOfStat(const std::string& host, const struct stat& st) {
  Record record;
  if (!S_ISLNK(st.st_mode) && !LookUpRecord(host, st.st_mode, record)) return win::kInvalidFileAttributes;
  return AttributesOf(host, st, record);
}

uint32_t AttributesOfHost(const std::string& host) {
  struct stat st;
  if (lstat(host.c_str(), &st) != 0) return win::kInvalidFileAttributes;
  return AttributesOfStat(host, st);
}

bool IsLockedHost(const std::string& host) {
  struct stat st;
  return lstat(host.c_str(), &st) == 0 && !S_ISLNK(st.st_mode) && ReadRecord(host, st.st_mode).locked;
}

bool SetFileLocked(const String& windowsPath, bool locked) {
  ResolvedPath r;
  uint32_t error = 0;
  if (!ResolvePath(windowsPath, r, error) || !r.exists || r.isRoot || IsLink(r)) return false;
  Record record = ReadRecord(r.host, r.st.st_mode);
  record.locked = locked;
  return WriteRecord(r, record);
}

bool SetFileAttributesRaw(const String& windowsPath, uint32_t attributes) {
  ResolvedPath r;
  uint32_t error = 0;
  if (!ResolvePath(windowsPath, r, error) || !r.exists || r.isRoot || IsLink(r)) return false;
  Record record = ReadRecord(r.host, r.st.st_mode);
  record.stored = true;
  record.attrs = attributes & ~kDerived;
  return WriteRecord(r, record);
}

}  // namespace sim

namespace win {

using sim::ResolvedPath;

uint32_t GetFileAttributes(const String& path) {
  ResolvedPath r;
  if (!sim::Resolve(path, r)) return kInvalidFileAttributes;
  if (!r.exists) {
    sim::Fail(sim::MissingError(r));
    return kInvalidFileAttributes;
  }
  uint32_t attrs = r.isRoot ? sim::AttributesOfHost(r.host)
                            : sim::AttributesOfStat(r.host, r.st);
  if (attrs == kInvalidFileAttributes) sim::Fail(sim::MissingError(r));
  else sim::Succeed();
  return attrs;
}

bool SetFileAttributes(const String& path, uint32_t attributes) {
  sim::acl::StoreGlance glance;
  ResolvedPath r;
  if (!sim::Resolve(path, r)) return false;
  if (!r.exists) return sim::Fail(sim::MissingError(r));
  if (r.isRoot || sim::IsLink(r)) return sim::Succeed();  // kept on the link itself
  if (uint32_t error = sim::CheckObjectAccess(r, sim::acl::kWrite)) return sim::Fail(error);
  // Attributes are no data: a file another program holds open without
  // sharing still takes them, as on Windows.
  sim::Record record = sim::ReadRecord(r.host, r.st.st_mode);
  record.attrs = (attributes & sim::kSettable) | (record.attrs & sim::kCompressedOrEncrypted);
  record.stored = true;
  if (!sim::WriteRecord(r, record)) return sim::Fail(sim::ErrorFromErrno(errno));
  return sim::Succeed();
}

bool CopyFile(const String& existing, const String& target, bool failIfExists) {
  sim::acl::StoreGlance glance;
  ResolvedPath from;
  if (!sim::Resolve(existing, from)) return false;
  std::string source;
  struct stat src;
  sim::Record record;
  if (!sim::OpenableForRead(from, source, src, record)) return false;
  ResolvedPath to;
  if (!sim::Resolve(target, to)) return false;
  if (to.exists && failIfExists) return sim::Fail(kErrorFileExists);
  std::string dest;
  bool exists = false;
  struct stat dst;
  sim::Record old;
  if (!sim::WritableTarget(to, dest, exists, dst, old)) return false;
  if (exists && dst.st_dev == src.st_dev && dst.st_ino == src.st_ino) {
    return sim::Fail(kErrorSharingViolation);  // a file copied onto itself
  }
  // The whole copy is made beside the target before it takes the name, so
  // it needs its full size free even where it replaces a file.
  sim::SpaceTaken space;
  if (!space.Take(src.st_size)) return sim::Fail(sim::kErrorDiskFull);
  const sim::Place reading = sim::PlaceOf(from, source);
  int in = openat(reading.folder, reading.Name(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return sim::Fail(sim::ErrorFromErrno(errno));
  // Like Windows: the copy keeps the attributes (a lock is not the file's,
  // it stays behind) and the last-write time.
  record.locked = false;
  const sim::Place place = sim::PlaceOf(to, dest);
  sim::NewFile out(place, dest, src.st_mode, sim::KeepingOf(record, false));
  if (!out.Ok()) {
    int e = errno;
    close(in);
    return sim::Fail(sim::ErrorFromErrno(e));
  }
  bool ok = sim::CopyBytes(in, out.Fd(), src.st_size);
  int e = errno;
  close(in);
  if (!ok) return sim::Fail(sim::ErrorFromErrno(e));
  struct timespec times[2] = {{0, UTIME_OMIT}, src.st_mtim};
  futimens(out.Fd(), times);
  if (!out.Commit(!failIfExists)) {
    return sim::Fail(errno == EEXIST ? kErrorFileExists : sim::ErrorFromErrno(errno));
  }
  space.Keep();
  if (exists) sim::GiveBackDiskSpace(dst.st_size);
  sim::NoteEntryChanged(dest, true, place.FolderFd());
  if (!exists) sim::NoteCreated(to);
  return sim::Succeed();
}

bool DeleteFile(const String& path) {
  sim::acl::StoreGlance glance;
  ResolvedPath r;
  if (!sim::Resolve(path, r)) return false;
  if (!r.exists) return sim::Fail(sim::MissingError(r));
  if (r.isRoot) return sim::Fail(kErrorAccessDenied);
  if (!sim::IsLink(r)) {
    sim::Record record = sim::ReadRecord(r.host, r.st.st_mode);
    uint32_t attrs = sim::AttributesOf(r.host, r.st, record);
    if (attrs & (kFileAttributeDirectory | kFileAttributeReadOnly)) return sim::Fail(kErrorAccessDenied);
    if (uint32_t error = sim::CheckDeleteAccess(r)) return sim::Fail(error);
    if (record.locked) return sim::Fail(kErrorSharingViolation);
    // The image of a running program is mapped: it cannot go.
    if (sim::IsRunningProgram(r.host, r.st)) return sim::Fail(kErrorAccessDenied);
  } else if (uint32_t error = sim::CheckDeleteAccess(r)) {
    return sim::Fail(error);
  }
  const sim::Place at = sim::PlaceOf(r);
  if (unlinkat(at.folder, at.Name(), 0) != 0) return sim::Fail(sim::ErrorFromErrno(errno));
  if (S_ISREG(r.st.st_mode) && r.st.st_nlink == 1) sim::GiveBackDiskSpace(r.st.st_size);
  sim::NoteEntryChanged(r.host, false, at.FolderFd());
  sim::NoteRemoved(r);
  return sim::Succeed();
}

bool CreateDirectory(const String& path) {
  sim::acl::StoreGlance glance;
  // CreateDirectoryW leaves room for an 8.3 name: 248 characters at most.
  if (path.size() >= 248 && !StartsWith(path, u"\\\\?\\")) return sim::Fail(kErrorFilenameExcedRange);
  ResolvedPath r;
  uint32_t error = 0;
  if (!sim::ResolvePath(path, r, error)) return sim::Fail(error);
  if (r.isRoot) return sim::Fail(kErrorAccessDenied);
  if (r.exists) return sim::Fail(kErrorAlreadyExists);
  if (!r.parentExists) return sim::Fail(kErrorPathNotFound);
  if (uint32_t error = sim::CheckAddToFolder(r)) return sim::Fail(error);
  const sim::Place at = sim::PlaceOf(r);
  if (mkdirat(at.folder, at.Name(), 0755) != 0) return sim::Fail(sim::ErrorFromErrno(errno));
  sim::NoteEntryChanged(r.host, true, at.FolderFd());
  sim::NoteCreated(r);
  return sim::Succeed();
}

bool RemoveDirectory(const String& path) {
  sim::acl::StoreGlance glance;
  ResolvedPath r;
  if (!sim::Resolve(path, r)) return false;
  if (!r.exists) return sim::Fail(sim::MissingError(r));
  if (r.isRoot) return sim::Fail(kErrorAccessDenied);
  const sim::Place at = sim::PlaceOf(r);
  if (sim::IsLink(r)) {
    // A junction goes by itself; what it points at stays untouched.
    if (uint32_t error = sim::CheckDeleteAccess(r)) return sim::Fail(error);
    if (unlinkat(at.folder, at.Name(), 0) != 0) return sim::Fail(sim::ErrorFromErrno(errno));
    sim::NoteEntryChanged(r.host, false, at.FolderFd());
    sim::NoteRemoved(r);
    return sim::Succeed();
  }
  sim::Record record = sim::ReadRecord(r.host, r.st.st_mode);
  uint32_t attrs = sim::AttributesOf(r.host, r.st, record);
  if (!(attrs & kFileAttributeDirectory)) return sim::Fail(kErrorDirectory);
  if (attrs & kFileAttributeReadOnly) return sim::Fail(kErrorAccessDenied);
  if (uint32_t error = sim::CheckDeleteAccess(r)) return sim::Fail(error);
  if (record.locked) return sim::Fail(kErrorSharingViolation);
  if (unlinkat(at.folder, at.Name(), AT_REMOVEDIR) != 0) {
    int e = errno;
    return sim::Fail(e == EEXIST ? kErrorDirNotEmpty : sim::ErrorFromErrno(e));
  }
  sim::NoteEntryChanged(r.host, false, at.FolderFd());
  sim::ForgetFolderMappingsUnder(r.host);
  sim::NoteRemoved(r);
  return sim::Succeed();
}

bool MoveFile(const String& existing, const String& newName) {
  sim::acl::StoreGlance glance;
  ResolvedPath from;
  if (!sim::Resolve(existing, from)) return false;
  if (!from.exists) return sim::Fail(sim::MissingError(from));
  if (from.isRoot) return sim::Fail(kErrorAccessDenied);
  ResolvedPath to;
  if (!sim::Resolve(newName, to)) return false;
  if (to.isRoot) return sim::Fail(kErrorAccessDenied);
  if (!to.parentExists) return sim::Fail(kErrorPathNotFound);
  if (uint32_t error = sim::CheckDeleteAccess(from)) return sim::Fail(error);
  if (to.exists) {
    // The same entry under another letter case keeps its name here (names
    // stay as first created).
    const bool same = to.st.st_dev == from.st.st_dev && to.st.st_ino == from.st.st_ino;
    return same ? sim::Succeed() : sim::Fail(kErrorAlreadyExists);
  }
  if (uint32_t error = sim::CheckAddToFolder(to)) return sim::Fail(error);
  if (!sim::IsLink(from) && sim::ReadRecord(from.host, from.st.st_mode).locked) {
    return sim::Fail(kErrorSharingViolation);
  }
  const sim::Place a = sim::PlaceOf(from);
  const sim::Place b = sim::PlaceOf(to);
  if (renameat(a.folder, a.Name(), b.folder, b.Name()) != 0) return sim::Fail(sim::ErrorFromErrno(errno));
  sim::NoteEntryChanged(from.host, false, a.FolderFd());
  sim::NoteEntryChanged(to.host, true, b.FolderFd());
  if (S_ISDIR(from.st.st_mode)) sim::ForgetFolderMappingsUnder(from.host);
  sim::NoteMoved(from, to);
  return sim::Succeed();
}

bool FileExists(const String& path) {
  uint32_t attrs = GetFileAttributes(path);
  return attrs != kInvalidFileAttributes && !(attrs & kFileAttributeDirectory);
}

bool DirectoryExists(const String& path) {
  uint32_t attrs = GetFileAttributes(path);
  return attrs != kInvalidFileAttributes && (attrs & kFileAttributeDirectory);
}

namespace {

// A broken-down time and its milliseconds as Windows' SYSTEMTIME has them.
SystemTime ToSystemTime(const struct tm& t, long nanoseconds) {
  SystemTime time;
  time.year = static_cast<uint16_t>(t.tm_year + 1900);
  time.month = static_cast<uint16_t>(t.tm_mon + 1);
  time.dayOfWeek = static_cast<uint16_t>(t.tm_wday);
  time.day = static_cast<uint16_t>(t.tm_mday);
  time.hour = static_cast<uint16_t>(t.tm_hour);
  time.minute = static_cast<uint16_t>(t.tm_min);
  time.second = static_cast<uint16_t>(t.tm_sec);
  time.milliseconds = static_cast<uint16_t>(nanoseconds / 1000000);
  return time;
}

}  // namespace

bool GetFileLastWriteTime(const String& path, SystemTime& time) {
  sim::acl::StoreGlance glance;
  std::string host;
  struct stat st;
  if (!sim::OpenableForRead(path, host, st)) return false;
  struct tm t;
  if (gmtime_r(&st.st_mtim.tv_sec, &t) == nullptr) return sim::Fail(kErrorInvalidParameter);
  time = ToSystemTime(t, st.st_mtim.tv_nsec);
  return sim::Succeed();
}

SystemTime GetLocalTime() {
  struct timespec now {};
  clock_gettime(CLOCK_REALTIME, &now);
  struct tm t {};
  localtime_r(&now.tv_sec, &t);
  return ToSystemTime(t, now.tv_nsec);
}

String TempFolder() {
  const String local = SHGetSpecialFolderPath(kCsidlLocalAppData);
  return local.empty() ? String(u"C:\\Windows\\Temp\\") : local + u"\\Temp\\";
}

bool ReadFileBytes(const String& path, std::string& bytes) {
  sim::acl::StoreGlance glance;
  std::string host;
  struct stat st;
  if (!sim::OpenableForRead(path, host, st)) return false;
  std::ifstream in(host, std::ios::binary);
  if (!in) return sim::Fail(sim::ErrorFromErrno(errno));
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (in.bad()) return sim::Fail(1117);
  return sim::Succeed();
}

bool WriteFileBytes(const String& path, const std::string& bytes) {
  sim::acl::StoreGlance glance;
  ResolvedPath r;
  if (!sim::Resolve(path, r)) return false;
  std::string host;
  bool exists = false;
  struct stat st;
  sim::Record record;
  if (!sim::WritableTarget(r, host, exists, st, record)) return false;
  // A written file is marked for the next backup, as Windows does.
  if (record.stored) record.attrs |= kFileAttributeArchive;
  const sim::Place place = sim::PlaceOf(r, host);
  // The file is opened (created when missing) and written in place: where the
  // drive has no room for its growth the write fails as a whole, leaving an
  // existing file as it was and a new one empty.
  const int64_t before = exists ? static_cast<int64_t>(st.st_size) : 0;
  const int64_t growth = static_cast<int64_t>(bytes.size()) - before;
  sim::SpaceTaken space;
  const bool fits = space.Take(growth);
  if (!fits && exists) return sim::Fail(sim::kErrorDiskFull);
  sim::NewFile out(place, host, exists ? st.st_mode : 0644, sim::KeepingOf(record, false));
  if (!out.Ok()) return sim::Fail(sim::ErrorFromErrno(errno));
  if (fits && !sim::WriteAll(out.Fd(), bytes.data(), bytes.size())) return sim::Fail(sim::ErrorFromErrno(errno));
  if (!out.Commit(true)) return sim::Fail(sim::ErrorFromErrno(errno));
  sim::NoteEntryChanged(host, true, place.FolderFd());
  if (!exists) sim::NoteCreated(r);
  if (!fits) return sim::Fail(sim::kErrorDiskFull);
  space.Keep();
  if (growth < 0) sim::GiveBackDiskSpace(-growth);
  return sim::Succeed();
}

String ExecutablePath() {
  if (auto path = sim::ExecutablePathOverride()) return *path;
  char real[PATH_MAX];
  if (realpath("/proc/self/exe", real) == nullptr) return String();
  return sim::CurrentMachine().WindowsPath(real);
}

String ExecutableFolder() { return ExtractFilePath(ExecutablePath()); }

StringList CommandLineArguments() {
  if (auto args = sim::CommandLineArgumentsOverride()) return *args;
  std::ifstream in("/proc/self/cmdline", std::ios::binary);
  std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  StringList out;
  size_t start = 0;
  bool first = true;
  while (start < all.size()) {
    size_t end = all.find('\0', start);
    if (end == std::string::npos) end = all.size();
    if (!first) out.push_back(FromUtf8(std::string_view(all).substr(start, end - start)));
    first = false;
    start = end + 1;
  }
  return out;
}

}  // namespace win
