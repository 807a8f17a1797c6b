// Files and folders of the simulated machine with Windows semantics.
//
// Attributes the host cannot keep live in the extended attribute
// "user.zx.attrs" of each file (decimal text). A file without it reports
// ARCHIVE, as a freshly created Windows file does; one whose stored set is
// empty reports NORMAL. Read-only is enforced here, since the host's
// permission bits mean nothing to a root process. Host symbolic links play
// junctions: they are reparse points, removed themselves and never followed
// out of the machine.
#include "platform/files.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <fstream>

#include "platform/sim/file_hooks.h"
#include "platform/sim/machine_internal.h"

namespace sim {

namespace {

constexpr const char* kAttrsName = "user.zx.attrs";
constexpr const char* kLockName = "user.zx.locked";
constexpr const char* kTempPrefix = ".zxtmp-";
constexpr uint32_t kCompressedOrEncrypted = win::kFileAttributeCompressed | win::kFileAttributeEncrypted;
// What SetFileAttributes may change: read-only, hidden, system, archive,
// temporary, offline, not-content-indexed.
constexpr uint32_t kSettable = 0x1 | 0x2 | 0x4 | 0x20 | 0x100 | 0x1000 | 0x2000;

bool ReadStored(const std::string& host, uint32_t& attrs) {
  char buf[32];
  ssize_t n = getxattr(host.c_str(), kAttrsName, buf, sizeof buf - 1);
  if (n <= 0) return false;
  buf[n] = '\0';
  attrs = static_cast<uint32_t>(strtoul(buf, nullptr, 10));
  return true;
}

bool WriteStored(const std::string& host, uint32_t attrs) {
  std::string text = std::to_string(attrs);
  return setxattr(host.c_str(), kAttrsName, text.data(), text.size(), 0) == 0;
}

bool Fail(uint32_t error) {
  win::SetLastError(error);
  return false;
}

bool Succeed() {
  win::SetLastError(win::kErrorSuccess);
  return true;
}

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

bool IsLink(const std::string& host) {
  struct stat st;
  return lstat(host.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

// The host file an existing path stands for, with a final link followed when
// it stays on the machine; false (access denied) when it leads out.
bool FollowInside(std::string& host) {
  if (!IsLink(host)) return true;
  char real[PATH_MAX];
  if (realpath(host.c_str(), real) == nullptr || !StaysInsideMachine(real)) {
    return Fail(win::kErrorAccessDenied);
  }
  host = real;
  return true;
}

// Checks an existing path before its contents are read: a folder, a locked
// file or a link out of the machine fail as CreateFile would.
bool OpenableForRead(const String& path, std::string& host) {
  ResolvedPath r;
  if (!Resolve(path, r)) return false;
  if (!r.exists) return Fail(MissingError(r));
  host = r.host;
  if (!FollowInside(host)) return false;
  struct stat st;
  if (stat(host.c_str(), &st) != 0) return Fail(ErrorFromErrno(errno));
  if (S_ISDIR(st.st_mode)) return Fail(win::kErrorAccessDenied);
  if (IsLockedHost(host)) return Fail(win::kErrorSharingViolation);
  return true;
}

// Checks a path before it is created or overwritten. `exists` tells whether
// a file is there already; host is the file to write (a link followed).
bool WritableTarget(const ResolvedPath& r, std::string& host, bool& exists) {
  host = r.host;
  exists = false;
  if (r.isRoot) return Fail(win::kErrorAccessDenied);
  if (!r.parentExists) return Fail(win::kErrorPathNotFound);
  if (!r.exists) return true;
  if (!FollowInside(host)) return false;
  struct stat st;
  if (stat(host.c_str(), &st) != 0) return true;  // a dangling link: written anew
  exists = true;
  uint32_t attrs = AttributesOfHost(host);
  if (S_ISDIR(st.st_mode) || (attrs & win::kFileAttributeReadOnly)) return Fail(win::kErrorAccessDenied);
  if (IsLockedHost(host)) return Fail(win::kErrorSharingViolation);
  return true;
}

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

// Copies a whole file: in the kernel where the host can, else through a buffer.
bool CopyBytes(int in, int out) {
  bool started = false;
  while (true) {
    ssize_t n = copy_file_range(in, nullptr, out, nullptr, 1 << 30, 0);
    if (n > 0) {
      started = true;
      continue;
    }
    if (n == 0) return true;
    if (errno == EINTR) continue;
    if (started || (errno != EXDEV && errno != ENOSYS && errno != EOPNOTSUPP && errno != EINVAL)) return false;
    break;
  }
  char buf[1 << 16];
  while (true) {
    ssize_t n = read(in, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) return true;
    if (!WriteAll(out, buf, static_cast<size_t>(n))) return false;
  }
}

// Replaces `target` in one step: the bytes go to a temporary file beside it,
// which then takes its name, so no reader ever sees half a file.
class TempBeside {
 public:
  explicit TempBeside(const std::string& target) : target_(target) {
    std::string folder = target.substr(0, target.rfind('/') + 1);
    temp_ = folder + kTempPrefix + "XXXXXX";
    fd_ = mkstemp(temp_.data());
  }
  ~TempBeside() {
    if (fd_ >= 0) close(fd_);
    if (!committed_ && fd_ >= 0) unlink(temp_.c_str());
  }
  bool Ok() const { return fd_ >= 0; }
  int Fd() const { return fd_; }
  bool Commit() {
    if (close(fd_) != 0) {
      fd_ = -1;
      unlink(temp_.c_str());
      return false;
    }
    fd_ = -1;
    if (rename(temp_.c_str(), target_.c_str()) != 0) {
      unlink(temp_.c_str());
      return false;
    }
    committed_ = true;
    return true;
  }

 private:
  std::string target_, temp_;
  int fd_ = -1;
  bool committed_ = false;
};

}  // namespace

uint32_t AttributesOfHost(const std::string& host) {
  struct stat st;
  if (lstat(host.c_str(), &st) != 0) return win::kInvalidFileAttributes;
  if (S_ISLNK(st.st_mode)) {
    // Junctions point at folders; a link whose target is gone still is one.
    struct stat target;
    bool file = stat(host.c_str(), &target) == 0 && !S_ISDIR(target.st_mode);
    return win::kFileAttributeReparsePoint |
           (file ? win::kFileAttributeArchive : win::kFileAttributeDirectory);
  }
  uint32_t stored = 0;
  bool has = ReadStored(host, stored);
  stored &= ~(win::kFileAttributeDirectory | win::kFileAttributeNormal | win::kFileAttributeReparsePoint);
  if (S_ISDIR(st.st_mode)) return win::kFileAttributeDirectory | stored;
  if (!has) return win::kFileAttributeArchive;
  return stored == 0 ? win::kFileAttributeNormal : stored;
}

bool IsLockedHost(const std::string& host) {
  char c;
  return getxattr(host.c_str(), kLockName, &c, 1) > 0 && c == '1';
}

bool SetFileLocked(const String& windowsPath, bool locked) {
  ResolvedPath r;
  uint32_t error = 0;
  if (!ResolvePath(windowsPath, r, error) || !r.exists) return false;
  if (locked) return setxattr(r.host.c_str(), kLockName, "1", 1, 0) == 0;
  return removexattr(r.host.c_str(), kLockName) == 0 || errno == ENODATA;
}

bool SetFileAttributesRaw(const String& windowsPath, uint32_t attributes) {
  ResolvedPath r;
  uint32_t error = 0;
  if (!ResolvePath(windowsPath, r, error) || !r.exists || IsLink(r.host)) return false;
  return WriteStored(r.host, attributes & ~(win::kFileAttributeDirectory | win::kFileAttributeNormal |
                                            win::kFileAttributeReparsePoint));
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
  uint32_t attrs = sim::AttributesOfHost(r.host);
  if (attrs == kInvalidFileAttributes) sim::Fail(sim::MissingError(r));
  else sim::Succeed();
  return attrs;
}

bool SetFileAttributes(const String& path, uint32_t attributes) {
  ResolvedPath r;
  if (!sim::Resolve(path, r)) return false;
  if (!r.exists) return sim::Fail(sim::MissingError(r));
  if (r.isRoot || sim::IsLink(r.host)) return sim::Succeed();  // kept on the link itself
  if (sim::IsLockedHost(r.host)) return sim::Fail(kErrorSharingViolation);
  uint32_t old = 0;
  sim::ReadStored(r.host, old);
  uint32_t keep = old & sim::kCompressedOrEncrypted;
  if (!sim::WriteStored(r.host, (attributes & sim::kSettable) | keep)) return sim::Fail(sim::ErrorFromErrno(errno));
  return sim::Succeed();
}

bool CopyFile(const String& existing, const String& target, bool failIfExists) {
  std::string source;
  if (!sim::OpenableForRead(existing, source)) return false;
  ResolvedPath r;
  if (!sim::Resolve(target, r)) return false;
  if (r.exists && failIfExists) return sim::Fail(kErrorFileExists);
  std::string dest;
  bool exists = false;
  if (!sim::WritableTarget(r, dest, exists)) return false;
  struct stat src;
  if (stat(source.c_str(), &src) != 0) return sim::Fail(sim::ErrorFromErrno(errno));
  if (exists) {
    struct stat dst;
    if (stat(dest.c_str(), &dst) == 0 && dst.st_dev == src.st_dev && dst.st_ino == src.st_ino) {
      return sim::Fail(kErrorSharingViolation);  // a file copied onto itself
    }
  }
  int in = open(source.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return sim::Fail(sim::ErrorFromErrno(errno));
  sim::TempBeside out(dest);
  if (!out.Ok()) {
    int e = errno;
    close(in);
    return sim::Fail(sim::ErrorFromErrno(e));
  }
  bool ok = sim::CopyBytes(in, out.Fd());
  int e = errno;
  close(in);
  if (!ok) return sim::Fail(sim::ErrorFromErrno(e));
  // Like Windows: the copy keeps the last-write time and the attributes.
  fchmod(out.Fd(), src.st_mode & 07777);
  struct timespec times[2] = {{0, UTIME_NOW}, src.st_mtim};
  futimens(out.Fd(), times);
  uint32_t stored = 0;
  if (sim::ReadStored(source, stored)) {
    std::string text = std::to_string(stored);
    fsetxattr(out.Fd(), sim::kAttrsName, text.data(), text.size(), 0);
  }
  if (!out.Commit()) return sim::Fail(sim::ErrorFromErrno(errno));
  sim::NoteEntryChanged(dest, true);
  return sim::Succeed();
}

bool DeleteFile(const String& path) {
  ResolvedPath r;
  if (!sim::Resolve(path, r)) return false;
  if (!r.exists) return sim::Fail(sim::MissingError(r));
  if (r.isRoot) return sim::Fail(kErrorAccessDenied);
  if (!sim::IsLink(r.host)) {
    uint32_t attrs = sim::AttributesOfHost(r.host);
    if (attrs & (kFileAttributeDirectory | kFileAttributeReadOnly)) return sim::Fail(kErrorAccessDenied);
    if (sim::IsLockedHost(r.host)) return sim::Fail(kErrorSharingViolation);
  }
  if (unlink(r.host.c_str()) != 0) return sim::Fail(sim::ErrorFromErrno(errno));
  sim::NoteEntryChanged(r.host, false);
  return sim::Succeed();
}

bool CreateDirectory(const String& path) {
  // CreateDirectoryW leaves room for an 8.3 name: 248 characters at most.
  if (path.size() >= 248 && !StartsWith(path, u"\\\\?\\")) return sim::Fail(kErrorFilenameExcedRange);
  ResolvedPath r;
  uint32_t error = 0;
  if (!sim::ResolvePath(path, r, error)) return sim::Fail(error);
  if (r.isRoot) return sim::Fail(kErrorAccessDenied);
  if (r.exists) return sim::Fail(kErrorAlreadyExists);
  if (!r.parentExists) return sim::Fail(kErrorPathNotFound);
  if (mkdir(r.host.c_str(), 0755) != 0) return sim::Fail(sim::ErrorFromErrno(errno));
  sim::NoteEntryChanged(r.host, true);
  return sim::Succeed();
}

bool RemoveDirectory(const String& path) {
  ResolvedPath r;
  if (!sim::Resolve(path, r)) return false;
  if (!r.exists) return sim::Fail(sim::MissingError(r));
  if (r.isRoot) return sim::Fail(kErrorAccessDenied);
  if (sim::IsLink(r.host)) {
    // A junction goes by itself; what it points at stays untouched.
    if (unlink(r.host.c_str()) != 0) return sim::Fail(sim::ErrorFromErrno(errno));
    sim::NoteEntryChanged(r.host, false);
    return sim::Succeed();
  }
  uint32_t attrs = sim::AttributesOfHost(r.host);
  if (!(attrs & kFileAttributeDirectory)) return sim::Fail(kErrorDirectory);
  if (attrs & kFileAttributeReadOnly) return sim::Fail(kErrorAccessDenied);
  if (sim::IsLockedHost(r.host)) return sim::Fail(kErrorSharingViolation);
  if (rmdir(r.host.c_str()) != 0) {
    int e = errno;
    return sim::Fail(e == EEXIST ? kErrorDirNotEmpty : sim::ErrorFromErrno(e));
  }
  sim::NoteEntryChanged(r.host, false);
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

bool GetFileLastWriteTime(const String& path, SystemTime& time) {
  std::string host;
  if (!sim::OpenableForRead(path, host)) return false;
  struct stat st;
  if (stat(host.c_str(), &st) != 0) return sim::Fail(sim::ErrorFromErrno(errno));
  struct tm t;
  if (gmtime_r(&st.st_mtim.tv_sec, &t) == nullptr) return sim::Fail(kErrorInvalidParameter);
  time.year = static_cast<uint16_t>(t.tm_year + 1900);
  time.month = static_cast<uint16_t>(t.tm_mon + 1);
  time.dayOfWeek = static_cast<uint16_t>(t.tm_wday);
  time.day = static_cast<uint16_t>(t.tm_mday);
  time.hour = static_cast<uint16_t>(t.tm_hour);
  time.minute = static_cast<uint16_t>(t.tm_min);
  time.second = static_cast<uint16_t>(t.tm_sec);
  time.milliseconds = static_cast<uint16_t>(st.st_mtim.tv_nsec / 1000000);
  return sim::Succeed();
}

bool ReadFileBytes(const String& path, std::string& bytes) {
  std::string host;
  if (!sim::OpenableForRead(path, host)) return false;
  std::ifstream in(host, std::ios::binary);
  if (!in) return sim::Fail(sim::ErrorFromErrno(errno));
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (in.bad()) return sim::Fail(1117);
  return sim::Succeed();
}

bool WriteFileBytes(const String& path, const std::string& bytes) {
  ResolvedPath r;
  if (!sim::Resolve(path, r)) return false;
  std::string host;
  bool exists = false;
  if (!sim::WritableTarget(r, host, exists)) return false;
  mode_t mode = 0644;
  uint32_t stored = 0;
  bool hasStored = false;
  if (exists) {
    struct stat st;
    if (stat(host.c_str(), &st) == 0) mode = st.st_mode & 07777;
    hasStored = sim::ReadStored(host, stored);
  }
  sim::TempBeside out(host);
  if (!out.Ok()) return sim::Fail(sim::ErrorFromErrno(errno));
  if (!sim::WriteAll(out.Fd(), bytes.data(), bytes.size())) return sim::Fail(sim::ErrorFromErrno(errno));
  fchmod(out.Fd(), mode);
  if (hasStored) {
    // A written file is marked for the next backup, as Windows does.
    std::string text = std::to_string((stored & ~kFileAttributeNormal) | kFileAttributeArchive);
    fsetxattr(out.Fd(), sim::kAttrsName, text.data(), text.size(), 0);
  }
  if (!out.Commit()) return sim::Fail(sim::ErrorFromErrno(errno));
  sim::NoteEntryChanged(host, true);
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
