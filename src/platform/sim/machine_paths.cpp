// Windows paths on the simulated machine: drive C: maps onto <machine>/drive_c,
// each name matched without regard to case against what exists; "." and ".."
// apply as Windows applies them; nothing leads out of the machine.
#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cstring>
#include <memory>
#include <mutex>
#include <unordered_map>

#include "platform/files.h"
#include "platform/sim/machine.h"
#include "platform/sim/machine_internal.h"

namespace sim {

namespace {

constexpr size_t kMaxPath = 260;

bool IsDirHost(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string RealPathOf(const std::string& path) {
  char buf[PATH_MAX];
  if (realpath(path.c_str(), buf) == nullptr) return std::string();
  return buf;
}

bool InvalidNameChar(char16_t c) {
  return c < 0x20 || c == u'<' || c == u'>' || c == u':' || c == u'"' || c == u'|' ||
         c == u'?' || c == u'*';
}

bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

// Splits a Windows path into its components on drive C:, with "." and ".."
// applied as Windows applies them (lexically, before the file system sees the
// path). False with an error number for anything that is not on drive C: of
// this machine.
bool SplitWindowsPath(const String& path, StringList& parts, uint32_t& error) {
  String p = path;
  bool verbatim = false;
  if (p.size() >= 4 && IsSeparator(p[0]) && IsSeparator(p[1]) && (p[2] == u'?' || p[2] == u'.') &&
      IsSeparator(p[3])) {
    p.erase(0, 4);
    verbatim = true;
  }
  if (!verbatim && path.size() >= kMaxPath) {
    error = win::kErrorFilenameExcedRange;
    return false;
  }
  String rest;
  if (p.size() >= 2 && p[1] == u':') {
    if (p[0] != u'C' && p[0] != u'c') {
      error = win::kErrorPathNotFound;
      return false;
    }
    rest = p.substr(2);
  } else if (!verbatim && !p.empty() && IsSeparator(p[0]) && !(p.size() > 1 && IsSeparator(p[1]))) {
    rest = p;  // rooted on the current drive, which is C:
  } else {
    error = win::kErrorPathNotFound;  // relative, UNC or empty
    return false;
  }
  parts.clear();
  size_t i = 0;
  while (i <= rest.size()) {
    size_t j = i;
    while (j < rest.size() && !IsSeparator(rest[j])) ++j;
    String comp = rest.substr(i, j - i);
    i = j + 1;
    if (comp.empty() || comp == u".") continue;
    if (comp == u"..") {
      if (parts.empty()) {
        error = win::kErrorPathNotFound;  // would leave the machine
        return false;
      }
      parts.pop_back();
      continue;
    }
    if (!verbatim) {
      // Windows drops trailing dots and blanks of a name.
      while (!comp.empty() && (comp.back() == u'.' || comp.back() == u' ')) comp.pop_back();
      if (comp.empty()) continue;
    }
    for (char16_t c : comp) {
      if (InvalidNameChar(c)) {
        error = kErrorInvalidName;
        return false;
      }
    }
    parts.push_back(comp);
  }
  return true;
}

// Folder listings for the case-blind name match, so that looking up a name
// that is not there does not read a large folder again and again. A listing
// is trusted while the folder's inode and change time stay the same. As the
// host stamps changes with a coarse clock, a listing read within a few
// milliseconds of the folder's last change may miss a change made in the
// same tick; a miss in such a listing reads the folder again. Changes made
// through this process's own file calls are applied to the listing directly.
struct Listing {
  ino_t inode = 0;
  struct timespec mtime = {0, 0};
  bool racy = true;
  std::unordered_map<String, std::string> byFoldedName;  // first entry of a folded name wins
};

struct ListingCache {
  std::mutex mutex;
  std::unordered_map<std::string, Listing> folders;
};

ListingCache& TheListings() {
  static ListingCache cache;
  return cache;
}

constexpr size_t kMaxCachedFolders = 64;
constexpr int64_t kRacyNanoseconds = 20 * 1000 * 1000;

bool SameTime(const struct timespec& a, const struct timespec& b) {
  return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

bool RecentlyChanged(const struct timespec& mtime) {
  struct timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  int64_t age = (static_cast<int64_t>(now.tv_sec) - mtime.tv_sec) * 1000000000LL + (now.tv_nsec - mtime.tv_nsec);
  return age < kRacyNanoseconds;
}

bool ReadListing(const std::string& dir, const struct stat& st, Listing& listing) {
  DIR* d = opendir(dir.c_str());
  if (d == nullptr) return false;
  listing = Listing();
  listing.inode = st.st_ino;
  listing.mtime = st.st_mtim;
  listing.racy = RecentlyChanged(st.st_mtim);
  while (dirent* e = readdir(d)) {
    if (strcmp(e->d_name, ".") == 0 || strcmp(e->d_name, "..") == 0) continue;
    listing.byFoldedName.emplace(win::LowerCase(win::FromUtf8(e->d_name)), e->d_name);
  }
  closedir(d);
  return true;
}

// A folder to look into: its host path and, when it is held open, its handle.
struct FolderAt {
  const std::string& host;
  int fd = -1;
};

bool LstatIn(const FolderAt& dir, const std::string& name, struct stat& st) {
  if (dir.fd >= 0) return fstatat(dir.fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
  return lstat((dir.host + "/" + name).c_str(), &st) == 0;
}

// The folder's own stat; false when it is no folder (any more).
bool StatFolder(const FolderAt& dir, struct stat& st) {
  if (dir.fd >= 0) return fstat(dir.fd, &st) == 0 && S_ISDIR(st.st_mode) && st.st_nlink > 0;
  return stat(dir.host.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The name in folder `at` that matches `name` without regard to case, or ""
// when there is none (`folderFound` then tells whether `at` is a folder at
// all). An exact match wins. `found` receives the lstat of the matched entry,
// so the walk needs no second look at it.
std::string MatchEntry(const FolderAt& at, StringView name, struct stat& found, bool& folderFound) {
  const std::string& dir = at.host;
  folderFound = true;
  std::string exact = win::ToUtf8(name);
  if (LstatIn(at, exact, found)) return exact;
  struct stat st;
  if (!StatFolder(at, st)) {
    folderFound = false;
    return std::string();
  }
  String folded = win::LowerCase(name);
  ListingCache& cache = TheListings();
  std::lock_guard<std::mutex> lock(cache.mutex);
  if (cache.folders.size() > kMaxCachedFolders) cache.folders.clear();
  Listing& listing = cache.folders[dir];
  bool fresh = false;
  if (listing.inode != st.st_ino || !SameTime(listing.mtime, st.st_mtim)) {
    if (!ReadListing(dir, st, listing)) return std::string();
    fresh = true;
  }
  auto hit = listing.byFoldedName.find(folded);
  if (hit == listing.byFoldedName.end() && listing.racy && !fresh) {
    if (!ReadListing(dir, st, listing)) return std::string();
    hit = listing.byFoldedName.find(folded);
  }
  if (hit == listing.byFoldedName.end()) return std::string();
  if (!LstatIn(at, hit->second, found)) return std::string();  // gone since
  return hit->second;
}

bool UnderFolder(const std::string& path, const std::string& folder) {
  return !folder.empty() &&
         (path == folder || (path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
                             path[folder.size()] == '/'));
}

// Folders already mapped, held open, so that a file call in a known folder
// looks at the file alone, by its name in the open folder, rather than at
// every folder on its way. Only chains of real folders are kept (a link on
// the way is looked at again each time). A kept folder that was removed shows
// itself when a name in it is not found: the entry is dropped and the path
// walked again. Removing a folder through this process drops every entry.
// (A folder that another program renames after it was mapped here is still
// found under its old name; nothing on the machine renames folders.)
struct KeyHash {
  using is_transparent = void;
  size_t operator()(StringView key) const { return std::hash<StringView>{}(key); }
};

struct FolderMappings {
  std::mutex mutex;
  std::string drive;  // the drive the entries belong to
  // Windows folder (its parts, each followed by a backslash) -> the open host folder
  std::unordered_map<String, std::shared_ptr<const HostFolder>, KeyHash, std::equal_to<>> open;
};

FolderMappings& TheMappings() {
  static FolderMappings mappings;
  return mappings;
}

constexpr size_t kMaxMappedFolders = 256;  // each holds a handle

String FolderKey(const StringList& parts, size_t count) {
  String key;
  for (size_t i = 0; i < count; ++i) {
    key += parts[i];
    key.push_back(u'\\');
  }
  return key;
}

std::shared_ptr<const HostFolder> MappedFolder(const std::string& drive, StringView key) {
  FolderMappings& m = TheMappings();
  std::lock_guard<std::mutex> lock(m.mutex);
  if (m.drive != drive) return nullptr;
  auto hit = m.open.find(key);
  return hit == m.open.end() ? nullptr : hit->second;
}

void RememberFolder(const std::string& drive, const String& key, const std::string& host) {
  int fd = open(host.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return;
  auto folder = std::make_shared<HostFolder>(fd, host);
  FolderMappings& m = TheMappings();
  std::lock_guard<std::mutex> lock(m.mutex);
  if (m.drive != drive || m.open.size() >= kMaxMappedFolders) {
    m.open.clear();
    m.drive = drive;
  }
  m.open.emplace(key, std::move(folder));
}

void ForgetFolder(StringView key) {
  FolderMappings& m = TheMappings();
  std::lock_guard<std::mutex> lock(m.mutex);
  auto hit = m.open.find(key);
  if (hit != m.open.end()) m.open.erase(hit);
}

// A path in the plain form most calls use: "C:\" and names between single
// backslashes, none of them "." or "..", none ending in a dot or blank, none
// with a character Windows refuses, and no "\\?\" prefix or forward slash.
// Its parts are then the text between its backslashes as it stands, so its
// folder can be looked up without taking the path apart. Gives the position
// of the last backslash.
bool IsPlainDrivePath(StringView path, size_t& lastSeparator) {
  const size_t n = path.size();
  if (n < 4 || n >= kMaxPath || (path[0] != u'C' && path[0] != u'c') || path[1] != u':' || path[2] != u'\\') {
    return false;
  }
  lastSeparator = 2;
  size_t start = 3;  // of the current name
  for (size_t i = 3; i <= n; ++i) {
    const char16_t c = i < n ? path[i] : u'\\';
    if (c == u'\\') {
      if (i == start) return false;  // an empty name
      if (path[i - 1] == u'.' || path[i - 1] == u' ') return false;
      if (i < n) lastSeparator = i;
      start = i + 1;
    } else if (c == u'/' || InvalidNameChar(c)) {
      return false;
    }
  }
  return true;
}

// The last name of a path looked up in its mapped folder. False when the
// mapping no longer holds and the path must be walked.
bool ResolveInMappedFolder(const std::shared_ptr<const HostFolder>& folder, StringView name,
                           ResolvedPath& resolved) {
  bool folderFound = true;
  std::string match = MatchEntry(FolderAt{folder->host, folder->fd}, name, resolved.st, folderFound);
  if (match.empty()) {
    if (!folderFound) return false;
    match = win::ToUtf8(name);
    resolved.exists = false;
  } else {
    resolved.exists = true;
  }
  resolved.host = folder->host + "/" + match;
  resolved.folder = folder;
  resolved.leaf = std::move(match);
  return true;
}

// The last name of a path looked up in its folder, when that folder (key) is
// mapped. A mapping that no longer holds is dropped, and false leaves
// `resolved` as it was found, for the walk.
bool ResolveThroughMapping(const std::string& drive, StringView key, StringView name, ResolvedPath& resolved) {
  auto folder = MappedFolder(drive, key);
  if (!folder) return false;
  ResolvedPath found;
  found.parentExists = true;
  if (!ResolveInMappedFolder(folder, name, found)) {
    ForgetFolder(key);
    return false;
  }
  resolved = std::move(found);
  return true;
}

}  // namespace

bool ResolvePath(const String& windowsPath, ResolvedPath& resolved, uint32_t& error) {
  resolved = ResolvedPath();
  const std::string drive = DriveRoot();
  if (drive.empty()) {
    error = win::kErrorPathNotFound;
    return false;
  }
  size_t lastSeparator = 0;
  if (IsPlainDrivePath(windowsPath, lastSeparator)) {
    // The quick way: the folder is known already, and the path need not be
    // taken apart to find it.
    const StringView path(windowsPath);
    if (ResolveThroughMapping(drive, path.substr(3, lastSeparator - 2), path.substr(lastSeparator + 1), resolved))
      return true;
  }
  StringList parts;
  if (!SplitWindowsPath(windowsPath, parts, error)) return false;
  resolved.isRoot = parts.empty();
  resolved.parentExists = true;
  resolved.exists = true;
  if (parts.empty()) {
    resolved.host = drive;
    return true;
  }
  const String folderKey = FolderKey(parts, parts.size() - 1);
  if (ResolveThroughMapping(drive, folderKey, parts.back(), resolved)) return true;
  const std::string realDrive = RealDriveRoot();
  std::string host = drive;
  bool missing = false;
  bool realFolders = true;  // every folder on the way is a folder, not a link
  for (size_t i = 0; i < parts.size(); ++i) {
    bool last = i + 1 == parts.size();
    if (last && !missing && realFolders) RememberFolder(drive, folderKey, host);
    std::string name;
    struct stat& st = resolved.st;
    if (!missing) {
      bool folderFound = true;
      name = MatchEntry(FolderAt{host}, parts[i], st, folderFound);
      if (name.empty()) missing = true;
    }
    if (missing) name = win::ToUtf8(parts[i]);
    host += "/" + name;
    if (missing) {
      if (!last) resolved.parentExists = false;
      resolved.exists = false;
      continue;
    }
    if (last) break;
    // A folder on the way (st is its lstat): links are followed, but never
    // out of the machine.
    if (S_ISLNK(st.st_mode)) {
      realFolders = false;
      std::string real = RealPathOf(host);
      if (real.empty()) {
        missing = true;  // dangling link
        continue;
      }
      if (!UnderFolder(real, realDrive)) {
        error = win::kErrorPathNotFound;
        return false;
      }
    }
    if (S_ISLNK(st.st_mode) ? !IsDirHost(host) : !S_ISDIR(st.st_mode)) {
      missing = true;  // a file used as a folder
    }
  }
  resolved.host = host;
  if (!resolved.parentExists) resolved.exists = false;
  return true;
}

bool StaysInsideMachine(const std::string& hostPath) {
  const std::string realDrive = RealDriveRoot();
  if (realDrive.empty()) return false;
  std::string probe = hostPath;
  std::string tail;
  // Walk up to the first existing ancestor, then resolve it.
  while (!probe.empty()) {
    std::string real = RealPathOf(probe);
    if (!real.empty()) return UnderFolder(real, realDrive);
    struct stat st;
    if (lstat(probe.c_str(), &st) == 0) return false;  // a dangling link: nowhere safe
    size_t slash = probe.rfind('/');
    if (slash == std::string::npos || slash == 0) return false;
    probe.erase(slash);
  }
  return false;
}

void NoteEntryChanged(const std::string& hostPath, bool added, int folderFd) {
  size_t slash = hostPath.rfind('/');
  if (slash == std::string::npos) return;
  std::string dir = hostPath.substr(0, slash);
  std::string name = hostPath.substr(slash + 1);
  ListingCache& cache = TheListings();
  std::lock_guard<std::mutex> lock(cache.mutex);
  auto it = cache.folders.find(dir);
  if (it == cache.folders.end()) return;
  struct stat st;
  if (folderFd >= 0 ? fstat(folderFd, &st) != 0 : stat(dir.c_str(), &st) != 0) {
    cache.folders.erase(it);
    return;
  }
  Listing& listing = it->second;
  String folded = win::LowerCase(win::FromUtf8(name));
  if (added) {
    listing.byFoldedName.emplace(folded, name);
  } else {
    auto entry = listing.byFoldedName.find(folded);
    if (entry != listing.byFoldedName.end() && entry->second == name) listing.byFoldedName.erase(entry);
  }
  // The folder's new time stamp is this change (another program writing to
  // the same folder within the same clock tick would go unseen here).
  listing.inode = st.st_ino;
  listing.mtime = st.st_mtim;
  listing.racy = false;
}

void ForgetFolderListings() {
  {
    ListingCache& cache = TheListings();
    std::lock_guard<std::mutex> lock(cache.mutex);
    cache.folders.clear();
  }
  ForgetFolderMappings();
}

void ForgetFolderMappings() {
  FolderMappings& m = TheMappings();
  std::lock_guard<std::mutex> lock(m.mutex);
  m.open.clear();
}

void ForgetFolderMappingsUnder(const std::string& hostFolder) {
  FolderMappings& m = TheMappings();
  std::lock_guard<std::mutex> lock(m.mutex);
  for (auto it = m.open.begin(); it != m.open.end();) {
    if (UnderFolder(it->second->host, hostFolder)) it = m.open.erase(it);
    else ++it;
  }
}

bool Machine::HostPath(const String& windowsPath, std::string& hostPath, uint32_t& error) const {
  ResolvedPath r;
  if (!ResolvePath(windowsPath, r, error)) return false;
  hostPath = r.host;
  return true;
}

String Machine::WindowsPath(const std::string& hostPath) const {
  const std::string drive = DriveRoot();
  const std::string realDrive = RealDriveRoot();
  if (drive.empty()) return String();
  std::string rest;
  if (UnderFolder(hostPath, drive)) {
    rest = hostPath.substr(drive.size());
  } else if (UnderFolder(hostPath, realDrive)) {
    rest = hostPath.substr(realDrive.size());
  } else {
    return String();
  }
  String out = u"C:";
  if (rest.empty()) return u"C:\\";
  for (char16_t c : win::FromUtf8(rest)) out.push_back(c == u'/' ? u'\\' : c);
  return out;
}

}  // namespace sim
