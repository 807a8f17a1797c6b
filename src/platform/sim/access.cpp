// The rights checks of the simulated machine's file calls and the records
// that follow the objects. The parsed store is shared with the tools (see
// acl::CurrentStore); the rights a folder's entries give the running account
// are kept per folder while the store and the account stay the same.
#include "platform/sim/access.h"

#include <dirent.h>
#include <limits.h>
#include <stdlib.h>

#include <cstring>
#include <mutex>
#include <unordered_map>

#include "platform/files.h"
#include "platform/sim/acl_store.h"
#include "platform/sim/machine.h"

namespace sim {

namespace {

using acl::Ace;

bool InToken(const String& account) {
  const RunningAccount& me = CurrentMachine().Account();
  return win::SameText(account, me.user) || win::SameText(account, acl::kUsers) ||
         win::SameText(account, acl::kAuthenticatedUsers) ||
         win::SameText(account, CurrentMachine().Config().everyone) ||
         (me.elevated && win::SameText(account, acl::kAdministrators));
}

bool IsOwner(const String& owner) {
  const RunningAccount& me = CurrentMachine().Account();
  if (owner.empty() || win::SameText(owner, acl::kAdministrators)) return me.elevated;
  return win::SameText(owner, me.user);
}

uint32_t RightsFrom(const std::vector<Ace>& entries, const String& owner) {
  uint32_t rights = 0;
  for (const Ace& ace : entries) {
    if (!(ace.flags & acl::kInheritOnly) && InToken(ace.account)) rights |= ace.rights;
  }
  if (IsOwner(owner)) rights |= acl::kReadControl | acl::kWriteDac;
  return rights;
}

String Join(const String& folder, const String& name) {
  return folder.back() == u'\\' ? folder + name : folder + u"\\" + name;
}

// What the rights of a folder and of the entries in it come to for the
// running account.
struct FolderRights {
  String path;  // the folder's real Windows path
  String key;
  bool childrenPlain = false;  // no entry in it has a record or defaults of its own
  std::vector<Ace> full;       // the folder's full list
  uint32_t self = 0;
  uint32_t plainFile = 0, plainFolder = 0;  // of an entry without a record
};

struct RightsCache {
  std::mutex mutex;
  uint64_t generation = 0;
  std::string root;
  String user;
  bool elevated = false;
  std::unordered_map<std::string, FolderRights> folders;  // by real host folder
};

RightsCache& TheCache() {
  static RightsCache cache;
  return cache;
}

constexpr size_t kMaxCachedFolders = 512;

bool RecordsBelow(const acl::Store& store, const String& folderKey) {
  String prefix = folderKey.back() == u'\\' ? folderKey : folderKey + u"\\";
  auto it = store.lower_bound(prefix);
  return it != store.end() && it->first.compare(0, prefix.size(), prefix) == 0;
}

// The folder's rights (caller holds the cache's mutex). False when the folder
// is not on the machine.
const FolderRights* FolderOf(RightsCache& cache, const acl::Store& store, const std::string& realFolder) {
  auto hit = cache.folders.find(realFolder);
  if (hit != cache.folders.end()) return &hit->second;
  FolderRights f;
  f.path = CurrentMachine().WindowsPath(realFolder);
  if (f.path.empty()) return nullptr;
  f.key = acl::Key(f.path);
  f.full = acl::FullAcl(store, f.path, true);
  f.self = RightsFrom(f.full, acl::OwnOf(store, f.path).owner);
  f.childrenPlain = !RecordsBelow(store, f.key) && !acl::HasDefaultsBelow(f.path);
  if (f.childrenPlain) {
    f.plainFile = RightsFrom(acl::InheritFrom(f.full, false, String()), String());
    f.plainFolder = RightsFrom(acl::InheritFrom(f.full, true, String()), String());
  }
  if (cache.folders.size() >= kMaxCachedFolders) cache.folders.clear();
  return &cache.folders.emplace(realFolder, std::move(f)).first->second;
}

// Where an object lies for its rights: its real folder on the host and its
// name there. The drive root has no folder.
struct Place {
  bool root = false;
  std::string folder;
  std::string name;
};

std::string RealPath(const std::string& host) {
  char buf[PATH_MAX];
  return realpath(host.c_str(), buf) ? std::string(buf) : std::string();
}

bool IsDriveRoot(const std::string& host) { return host == DriveRoot() || host == RealDriveRoot(); }

bool PlaceOfHost(const std::string& host, Place& place) {
  if (IsDriveRoot(host)) {
    place.root = true;
    return true;
  }
  size_t slash = host.rfind('/');
  if (slash == std::string::npos) return false;
  place.folder = RealPath(host.substr(0, slash));
  place.name = host.substr(slash + 1);
  return !place.folder.empty();
}

// followLink: a link named last stands for what it leads to.
bool PlaceOf(const ResolvedPath& r, bool followLink, Place& place) {
  if (r.isRoot) {
    place.root = true;
    return true;
  }
  if (followLink && r.exists && S_ISLNK(r.st.st_mode)) {
    std::string real = RealPath(r.host);
    return !real.empty() && PlaceOfHost(real, place);
  }
  if (r.folder && !r.leaf.empty()) {
    place.folder = r.folder->host;
    place.name = r.leaf;
    return true;
  }
  return PlaceOfHost(r.host, place);
}

// Everything may be done: an elevated administrator on a machine whose
// records are all as Windows starts (Administrators have full control of
// every folder there).
bool Unrestricted(const acl::Snapshot& snapshot) {
  return snapshot.store->empty() && CurrentMachine().Account().elevated;
}

// Runs `work` with the cache made current for the store and the account.
template <typename Work>
uint32_t WithRights(const acl::Snapshot& snapshot, Work work) {
  RightsCache& cache = TheCache();
  std::lock_guard<std::mutex> lock(cache.mutex);
  const RunningAccount& me = CurrentMachine().Account();
  const std::string& root = CurrentMachine().Root();
  if (cache.generation != snapshot.generation || cache.root != root || cache.user != me.user ||
      cache.elevated != me.elevated) {
    cache.folders.clear();
    cache.generation = snapshot.generation;
    cache.root = root;
    cache.user = me.user;
    cache.elevated = me.elevated;
  }
  return work(cache);
}

uint32_t RightsAt(const acl::Snapshot& snapshot, const Place& place, bool isFolder) {
  const acl::Store& store = *snapshot.store;
  return WithRights(snapshot, [&](RightsCache& cache) -> uint32_t {
    if (place.root) {
      const FolderRights* root = FolderOf(cache, store, RealDriveRoot());
      return root ? root->self : 0;
    }
    const FolderRights* folder = FolderOf(cache, store, place.folder);
    if (folder == nullptr) return 0;
    if (folder->childrenPlain) return isFolder ? folder->plainFolder : folder->plainFile;
    String path = Join(folder->path, win::FromUtf8(place.name));
    return RightsFrom(acl::FullAcl(store, path, isFolder), acl::OwnOf(store, path).owner);
  });
}

uint32_t FolderRightsAt(const acl::Snapshot& snapshot, const std::string& realFolder) {
  return WithRights(snapshot, [&](RightsCache& cache) -> uint32_t {
    const FolderRights* folder = FolderOf(cache, *snapshot.store, realFolder);
    return folder ? folder->self : 0;
  });
}

bool IsFolderAt(const Place& place) {
  if (place.root) return true;
  struct stat st;
  return stat((place.folder + "/" + place.name).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The real Windows path of an object's place.
String WindowsPathOf(const Place& place) {
  if (place.root) return acl::kRootPath;
  String folder = CurrentMachine().WindowsPath(place.folder);
  return folder.empty() ? folder : Join(folder, win::FromUtf8(place.name));
}

// Changes the store under its lock and writes it back.
template <typename Change>
void ChangeStore(Change change) {
  const std::string& root = CurrentMachine().Root();
  acl::StoreLock lock(root);
  acl::Store store = acl::LoadStore(root);
  // The file call this records has been made; a store that cannot be written
  // back (the machine folder itself failing) keeps its old records.
  if (change(store)) (void)acl::SaveStore(root, store);
}

bool EraseAtAndBelow(acl::Store& store, const String& key) {
  return std::erase_if(store, [&](const auto& e) { return e.first == key || acl::IsUnder(e.first, key); }) > 0;
}

bool HasRecordAtOrBelow(const acl::Store& store, const String& key) {
  return store.count(key) > 0 || RecordsBelow(store, key);
}

}  // namespace

uint32_t RightsOnObject(const ResolvedPath& r) {
  acl::Snapshot snapshot = acl::CurrentStore();
  if (Unrestricted(snapshot)) return acl::kFull;
  Place place;
  if (!PlaceOf(r, true, place)) return 0;
  return RightsAt(snapshot, place, IsFolderAt(place));
}

uint32_t CheckObjectAccess(const ResolvedPath& r, uint32_t wanted) {
  acl::Snapshot snapshot = acl::CurrentStore();
  if (Unrestricted(snapshot)) return 0;
  Place place;
  if (!PlaceOf(r, true, place)) return win::kErrorAccessDenied;
  uint32_t rights = RightsAt(snapshot, place, IsFolderAt(place));
  return (rights & wanted) == wanted ? 0 : win::kErrorAccessDenied;
}

uint32_t CheckAddToFolder(const ResolvedPath& r) {
  acl::Snapshot snapshot = acl::CurrentStore();
  if (Unrestricted(snapshot)) return 0;
  Place place;
  if (r.isRoot || !PlaceOf(r, false, place)) return win::kErrorAccessDenied;
  return (FolderRightsAt(snapshot, place.folder) & acl::kWrite) ? 0 : win::kErrorAccessDenied;
}

uint32_t CheckDeleteAccess(const ResolvedPath& r) {
  acl::Snapshot snapshot = acl::CurrentStore();
  if (Unrestricted(snapshot)) return 0;
  Place place;
  if (r.isRoot || !PlaceOf(r, false, place)) return win::kErrorAccessDenied;
  bool folder = S_ISDIR(r.st.st_mode) || S_ISLNK(r.st.st_mode);
  if (RightsAt(snapshot, place, folder) & acl::kDelete) return 0;
  return (FolderRightsAt(snapshot, place.folder) & acl::kDeleteChild) ? 0 : win::kErrorAccessDenied;
}

void NoteCreated(const ResolvedPath& r) {
  acl::Snapshot snapshot = acl::CurrentStore();
  if (Unrestricted(snapshot)) return;
  Place place;
  if (!PlaceOf(r, false, place)) return;
  String path = WindowsPathOf(place);
  if (path.empty()) return;
  const String key = acl::Key(path);
  const RunningAccount& me = CurrentMachine().Account();
  if (me.elevated && !HasRecordAtOrBelow(*snapshot.store, key)) return;
  ChangeStore([&](acl::Store& store) {
    bool changed = EraseAtAndBelow(store, key);
    if (!me.elevated) {
      acl::Record& record = store[key];
      record.path = path;
      record.owner = me.user;
      record.creator = me.user;
      changed = true;
    }
    return changed;
  });
}

void NoteRemoved(const ResolvedPath& r) {
  acl::Snapshot snapshot = acl::CurrentStore();
  if (snapshot.store->empty()) return;
  Place place;
  if (!PlaceOf(r, false, place)) return;
  String path = WindowsPathOf(place);
  if (path.empty()) return;
  const String key = acl::Key(path);
  if (!HasRecordAtOrBelow(*snapshot.store, key)) return;
  ChangeStore([&](acl::Store& store) { return EraseAtAndBelow(store, key); });
}

void NoteMoved(const ResolvedPath& from, const ResolvedPath& to) {
  acl::Snapshot snapshot = acl::CurrentStore();
  if (snapshot.store->empty()) return;
  Place a, b;
  if (!PlaceOf(from, false, a) || !PlaceOf(to, false, b)) return;
  const String fromPath = WindowsPathOf(a), toPath = WindowsPathOf(b);
  if (fromPath.empty() || toPath.empty()) return;
  const String fromKey = acl::Key(fromPath), toKey = acl::Key(toPath);
  if (!HasRecordAtOrBelow(*snapshot.store, fromKey) && !HasRecordAtOrBelow(*snapshot.store, toKey)) return;
  ChangeStore([&](acl::Store& store) {
    EraseAtAndBelow(store, toKey);
    std::vector<acl::Record> moved;
    for (auto it = store.begin(); it != store.end();) {
      if (it->first == fromKey || acl::IsUnder(it->first, fromKey)) {
        acl::Record record = std::move(it->second);
        record.path = toPath + record.path.substr(fromPath.size());
        moved.push_back(std::move(record));
        it = store.erase(it);
      } else {
        ++it;
      }
    }
    for (acl::Record& record : moved) {
      String key = acl::Key(record.path);
      store[key] = std::move(record);
    }
    return true;
  });
}

bool IsRunningProgram(const std::string& host, const struct stat& st) {
  if (host.size() < 4 || strcasecmp(host.c_str() + host.size() - 4, ".exe") != 0) return false;
  DIR* proc = opendir("/proc");
  if (proc == nullptr) return false;
  bool running = false;
  while (dirent* e = readdir(proc)) {
    if (e->d_name[0] < '1' || e->d_name[0] > '9') continue;
    std::string exe = std::string("/proc/") + e->d_name + "/exe";
    struct stat program;
    if (stat(exe.c_str(), &program) == 0 && program.st_dev == st.st_dev && program.st_ino == st.st_ino) {
      running = true;
      break;
    }
  }
  closedir(proc);
  return running;
}

}  // namespace sim
