// The machine's access records: the store in acl.tsv, the rights of the paths
// nobody has changed, inheritance and owners.
#include "platform/sim/acl_store.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <mutex>
#include <sstream>

#include "platform/sim/machine.h"

namespace sim::acl {

namespace {

constexpr const char* kStoreName = "acl.tsv";
constexpr const char* kLockName = "acl.lock";
// Lines of account "-" say something about the path rather than give an entry.
constexpr char16_t kMarkAccount[] = u"-";
constexpr char16_t kNoInherit[] = u"no-inherit";
constexpr char16_t kOwnEntries[] = u"own-entries";
constexpr char16_t kOwnerMark[] = u"owner";
constexpr char16_t kCreatorMark[] = u"creator";

// Stands for the user whose profile folder it is.
constexpr char16_t kProfileUser[] = u"*";

constexpr uint8_t kBoth = kObjectInherit | kContainerInherit;

// The rights of the folders that do not simply inherit, as a fresh Windows
// has them. Everything else inherits from drive C:.
struct DefaultRule {
  const char16_t* path;  // "C:\Users\*" is each user's profile folder
  bool cut;
  const char16_t* owner;  // "" = Administrators
  std::vector<Ace> entries;
};

const std::vector<DefaultRule>& DefaultTable() {
  static const std::vector<DefaultRule> table = {
      {u"C:\\",
       false,
       u"",
       {{kAdministrators, kFull, kBoth, false}, {kSystem, kFull, kBoth, false}, {kUsers, kRead | kExecute, kBoth, false}}},
      {u"C:\\ProgramData",
       true,
       u"",
       {{kSystem, kFull, kBoth, false},
        {kAdministrators, kFull, kBoth, false},
        {kCreatorOwner, kFull, kBoth | kInheritOnly, false},
        {kUsers, kRead | kExecute, kBoth, false},
        {kUsers, kWrite, kContainerInherit, false}}},
      {u"C:\\Users\\*",
       true,
       kProfileUser,
       {{kProfileUser, kFull, kBoth, false}, {kAdministrators, kFull, kBoth, false}, {kSystem, kFull, kBoth, false}}},
  };
  return table;
}

// The folders under C:\Users that are nobody's profile.
bool IsSharedProfileFolder(StringView name) {
  for (const char16_t* shared : {u"Public", u"Default", u"Default User", u"All Users"}) {
    if (win::SameText(name, shared)) return true;
  }
  return false;
}

StringList SplitTabs(const std::string& line) {
  StringList fields;
  size_t start = 0;
  while (true) {
    size_t tab = line.find('\t', start);
    fields.push_back(win::FromUtf8(line.substr(start, tab == std::string::npos ? tab : tab - start)));
    if (tab == std::string::npos) return fields;
    start = tab + 1;
  }
}

Store ParseStore(std::istream& in) {
  Store store;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    StringList f = SplitTabs(line);
    if (f.size() != 4 || f[0].empty() || f[1].empty()) continue;
    Record& record = store[Key(f[0])];
    if (record.path.empty()) record.path = f[0];
    if (f[1] == kMarkAccount) {
      if (f[2] == kNoInherit) record.cut = true;
      else if (f[2] == kOwnEntries) record.ownsEntries = true;
      else if (f[2] == kOwnerMark) record.owner = f[3];
      else if (f[2] == kCreatorMark) record.creator = f[3];
      continue;
    }
    Ace ace;
    ace.account = f[1];
    if (!ParseRights(f[2], ace.rights) || !ParseFlags(f[3], ace.flags)) continue;
    record.own.push_back(ace);
  }
  std::erase_if(store, [](const auto& entry) { return entry.second.Empty(); });
  return store;
}

}  // namespace

String Key(StringView path) { return win::UpperCase(path); }

bool IsUnder(const String& key, const String& folderKey) {
  return key.size() > folderKey.size() && key.compare(0, folderKey.size(), folderKey) == 0 &&
         (key[folderKey.size()] == u'\\' || folderKey.back() == u'\\');
}

const Defaults* DefaultsOf(const String& path, Defaults& scratch) {
  for (const DefaultRule& rule : DefaultTable()) {
    String user;
    StringView pattern(rule.path);
    if (win::EndsWith(pattern, u"\\*")) {
      StringView folder = pattern.substr(0, pattern.size() - 1);
      if (path.size() <= folder.size() || !win::SameText(StringView(path).substr(0, folder.size()), folder)) continue;
      user = path.substr(folder.size());
      if (user.find(u'\\') != String::npos || IsSharedProfileFolder(user)) continue;
    } else if (!win::SameText(path, pattern)) {
      continue;
    }
    auto account = [&](const char16_t* name) { return name == StringView(kProfileUser) ? user : String(name); };
    scratch.cut = rule.cut;
    scratch.owner = account(rule.owner);
    scratch.entries = rule.entries;
    for (Ace& ace : scratch.entries) ace.account = account(ace.account.c_str());
    return &scratch;
  }
  return nullptr;
}

bool HasDefaultsBelow(const String& folder) {
  for (const DefaultRule& rule : DefaultTable()) {
    StringView pattern(rule.path);
    size_t slash = pattern.rfind(u'\\', pattern.size() - 2);
    if (slash == StringView::npos) continue;
    StringView parent = pattern.substr(0, slash == 2 ? 3 : slash);
    if (win::SameText(folder, parent)) return true;
  }
  return false;
}

Own OwnOf(const Store& store, const String& path) {
  auto it = store.find(Key(path));
  const Record* record = it == store.end() ? nullptr : &it->second;
  Own own;
  Defaults scratch;
  const Defaults* defaults = DefaultsOf(path, scratch);
  if (record == nullptr || (defaults && !record->ownsEntries)) {
    if (defaults) {
      own.cut = defaults->cut;
      own.entries = defaults->entries;
      own.owner = defaults->owner;
    }
  } else {
    own.cut = record->cut;
    own.entries = record->own;
  }
  if (record) {
    if (!record->owner.empty()) own.owner = record->owner;
    own.creator = record->creator;
  }
  return own;
}

Record& RecordFor(Store& store, const String& path) {
  Record& record = store[Key(path)];
  if (record.path.empty()) record.path = path;
  Defaults scratch;
  if (!record.ownsEntries) {
    if (const Defaults* defaults = DefaultsOf(path, scratch)) {
      record.cut = defaults->cut;
      record.own = defaults->entries;
      if (record.owner.empty()) record.owner = defaults->owner;
    }
    record.ownsEntries = true;
  }
  return record;
}

std::vector<Ace> InheritFrom(const std::vector<Ace>& parent, bool childIsFolder, const String& creator) {
  std::vector<Ace> out;
  for (const Ace& ace : parent) {
    Ace child = ace;
    child.inherited = true;
    if (!childIsFolder) {
      if (!(ace.flags & kObjectInherit)) continue;
      child.flags = 0;
    } else if (ace.flags & kContainerInherit) {
      child.flags = (ace.flags & kNoPropagate) ? 0 : static_cast<uint8_t>(ace.flags & ~kInheritOnly);
    } else if ((ace.flags & kObjectInherit) && !(ace.flags & kNoPropagate)) {
      child.flags = kObjectInherit | kInheritOnly;  // passed on to the files further down
    } else {
      continue;
    }
    if (win::SameText(child.account, kCreatorOwner) && !(child.flags & kInheritOnly)) {
      // On the object itself the entry is its creator's; what passes on
      // further stays CREATOR OWNER.
      Ace resolved = child;
      resolved.account = creator.empty() ? String(kAdministrators) : creator;
      resolved.flags = 0;
      out.push_back(resolved);
      if (!(child.flags & kBoth)) continue;
      child.flags |= kInheritOnly;
    }
    out.push_back(child);
  }
  return out;
}

namespace {

// "C:\", "C:\A", "C:\A\B" for "C:\A\B".
StringList PathChain(const String& path) {
  StringList chain{kRootPath};
  for (size_t pos = 3; pos <= path.size(); ++pos) {
    if (pos == path.size() || path[pos] == u'\\') chain.push_back(path.substr(0, pos));
  }
  if (chain.size() > 1 && chain.back().size() <= 3) chain.pop_back();
  return chain;
}

}  // namespace

std::vector<Ace> FullAcl(const Store& store, const String& path, bool isFolder) {
  StringList chain = PathChain(path);
  std::vector<Ace> acl;
  for (size_t i = 0; i < chain.size(); ++i) {
    Own own = OwnOf(store, chain[i]);
    if (i == 0) {
      acl = std::move(own.entries);
      continue;
    }
    bool folder = i + 1 < chain.size() || isFolder;
    std::vector<Ace> inherited = own.cut ? std::vector<Ace>() : InheritFrom(acl, folder, own.creator);
    acl = std::move(own.entries);
    acl.insert(acl.end(), inherited.begin(), inherited.end());
  }
  return acl;
}

// ---- the store file -------------------------------------------------------

StoreLock::StoreLock(const std::string& root) {
  fd_ = open((root + "/" + kLockName).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd_ >= 0) flock(fd_, LOCK_EX);
}

StoreLock::~StoreLock() {
  if (fd_ >= 0) {
    flock(fd_, LOCK_UN);
    close(fd_);
  }
}

Store LoadStore(const std::string& root) {
  std::ifstream in(root + "/" + kStoreName, std::ios::binary);
  return ParseStore(in);
}

bool SaveStore(const std::string& root, const Store& store) {
  std::ostringstream out;
  out << "# path\taccount\trights\tinheritance (account \"-\": \"no-inherit\" inherits nothing, \"own-entries\" "
         "replaces the path's default entries, \"owner\" and \"creator\" name the account)\n";
  for (const auto& [key, record] : store) {
    if (record.Empty()) continue;
    std::string path = win::ToUtf8(record.path);
    Defaults scratch;
    if (record.ownsEntries && DefaultsOf(record.path, scratch)) out << path << "\t-\town-entries\t\n";
    if (record.cut) out << path << "\t-\tno-inherit\t\n";
    if (!record.owner.empty()) out << path << "\t-\towner\t" << win::ToUtf8(record.owner) << '\n';
    if (!record.creator.empty()) out << path << "\t-\tcreator\t" << win::ToUtf8(record.creator) << '\n';
    for (const Ace& ace : record.own) {
      out << path << '\t' << win::ToUtf8(ace.account) << '\t' << win::ToUtf8(FormatRights(ace.rights))
          << '\t' << win::ToUtf8(FormatFlags(ace.flags)) << '\n';
    }
  }
  std::string finalPath = root + "/" + kStoreName;
  std::string temp = finalPath + ".tmp";
  {
    std::ofstream file(temp, std::ios::binary | std::ios::trunc);
    file << out.str();
    if (!file) return false;
  }
  return std::rename(temp.c_str(), finalPath.c_str()) == 0;
}

namespace {

thread_local int glanceDepth = 0;
thread_local Snapshot glanced;

}  // namespace

StoreGlance::StoreGlance() { ++glanceDepth; }

StoreGlance::~StoreGlance() {
  if (--glanceDepth == 0) glanced = Snapshot();
}

Snapshot CurrentStore() {
  if (glanceDepth > 0 && glanced.store) return glanced;
  struct Cache {
    std::mutex mutex;
    std::string root;
    int rootFd = -1;  // the machine's folder, so that the look at the file walks no long path
    bool present = false;
    dev_t dev = 0;
    ino_t ino = 0;
    off_t size = 0;
    struct timespec mtime = {0, 0};
    Snapshot snapshot;
  };
  static Cache cache;
  const std::string& root = CurrentMachine().Root();
  const std::string file = root + "/" + kStoreName;
  std::lock_guard<std::mutex> lock(cache.mutex);
  if (cache.root != root || cache.rootFd < 0) {
    if (cache.rootFd >= 0) close(cache.rootFd);
    cache.rootFd = open(root.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    cache.snapshot = Snapshot{nullptr, cache.snapshot.generation};
    cache.root = root;
  }
  // One look at the file when nothing changed; it is opened only to read it again.
  struct stat st {};
  bool present = cache.rootFd >= 0 ? fstatat(cache.rootFd, kStoreName, &st, 0) == 0 : stat(file.c_str(), &st) == 0;
  auto same = [&] {
    return cache.snapshot.store && cache.root == root && cache.present == present &&
           (!present || (cache.dev == st.st_dev && cache.ino == st.st_ino && cache.size == st.st_size &&
                         cache.mtime.tv_sec == st.st_mtim.tv_sec && cache.mtime.tv_nsec == st.st_mtim.tv_nsec));
  };
  if (same()) {
    if (glanceDepth > 0) glanced = cache.snapshot;
    return cache.snapshot;
  }
  std::string text;
  int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC);
  present = fd >= 0 && fstat(fd, &st) == 0;
  if (present) {
    char buf[1 << 14];
    ssize_t n;
    while ((n = read(fd, buf, sizeof buf)) > 0) text.append(buf, static_cast<size_t>(n));
  }
  if (fd >= 0) close(fd);
  std::istringstream in(text);
  cache.root = root;
  cache.present = present;
  cache.dev = st.st_dev;
  cache.ino = st.st_ino;
  cache.size = st.st_size;
  cache.mtime = st.st_mtim;
  cache.snapshot.store = std::make_shared<const Store>(ParseStore(in));
  ++cache.snapshot.generation;
  if (glanceDepth > 0) glanced = cache.snapshot;
  return cache.snapshot;
}

}  // namespace sim::acl
