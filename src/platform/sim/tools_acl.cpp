// The machine's access records: the store in acl.tsv, how entries are
// inherited, and the queries tests ask ("who may write here").
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>

#include "platform/files.h"
#include "platform/sim/machine.h"
#include "platform/sim/machine_internal.h"
#include "platform/sim/tools.h"
#include "platform/sim/tools_internal.h"

namespace sim::acl {

namespace {

constexpr const char* kStoreName = "acl.tsv";
constexpr const char* kLockName = "acl.lock";
constexpr char16_t kNoInheritAccount[] = u"-";
constexpr char16_t kNoInheritRights[] = u"no-inherit";
constexpr char16_t kRootPath[] = u"C:\\";

struct Record {
  String path;  // as spelled on disk
  bool cut = false;
  std::vector<Ace> own;
};

// Keyed by the upper-cased path, so that lookups ignore letter case.
using Store = std::map<String, Record>;

String Key(StringView path) { return win::UpperCase(path); }

struct RightName {
  const char16_t* name;
  uint32_t rights;
};
constexpr RightName kRightNames[] = {
    {u"F", kFull | kModify}, {u"M", kModify}, {u"RX", kRead | kExecute}, {u"R", kRead},
    {u"W", kWrite},          {u"D", kDelete}, {u"X", kExecute},          {u"N", 0},
};

// Entries of drive C: while nobody has changed it.
std::vector<Ace> RootDefaults() {
  const uint8_t both = kObjectInherit | kContainerInherit;
  return {{u"Administrators", kFull | kModify, both, false},
          {u"SYSTEM", kFull | kModify, both, false},
          {u"Users", kRead | kExecute, both, false}};
}

// ---- the store file -------------------------------------------------------

class StoreLock {
 public:
  explicit StoreLock(const std::string& root) {
    fd_ = open((root + "/" + kLockName).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd_ >= 0) flock(fd_, LOCK_EX);
  }
  ~StoreLock() {
    if (fd_ >= 0) {
      flock(fd_, LOCK_UN);
      close(fd_);
    }
  }
  StoreLock(const StoreLock&) = delete;
  StoreLock& operator=(const StoreLock&) = delete;

 private:
  int fd_ = -1;
};

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

bool ParseFlags(StringView text, uint8_t& flags) {
  flags = 0;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t close = text.find(u')', pos);
    if (text[pos] != u'(' || close == StringView::npos) return false;
    StringView token = text.substr(pos + 1, close - pos - 1);
    if (token == u"OI") flags |= kObjectInherit;
    else if (token == u"CI") flags |= kContainerInherit;
    else if (token == u"IO") flags |= kInheritOnly;
    else if (token == u"NP") flags |= kNoPropagate;
    else return false;
    pos = close + 1;
  }
  return true;
}

// Lines that cannot be read are skipped: a damaged store never stops a tool.
Store LoadStore(const std::string& root) {
  Store store;
  std::ifstream in(root + "/" + kStoreName, std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    StringList f = SplitTabs(line);
    if (f.size() != 4 || f[0].empty() || f[1].empty()) continue;
    Record& record = store[Key(f[0])];
    if (record.path.empty()) record.path = f[0];
    if (f[1] == kNoInheritAccount && f[2] == kNoInheritRights) {
      record.cut = true;
      continue;
    }
    Ace ace;
    ace.account = f[1];
    if (!ParseRights(f[2], ace.rights) || !ParseFlags(f[3], ace.flags)) continue;
    record.own.push_back(ace);
  }
  return store;
}

bool SaveStore(const std::string& root, const Store& store) {
  std::ostringstream out;
  out << "# path\taccount\trights\tinheritance (account \"-\" with \"no-inherit\": inherits nothing)\n";
  for (const auto& [key, record] : store) {
    std::string path = win::ToUtf8(record.path);
    if (record.cut) out << path << "\t-\tno-inherit\t\n";
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

// ---- inheritance ----------------------------------------------------------

// What a child gets from its parent's entries.
std::vector<Ace> InheritFrom(const std::vector<Ace>& parent, bool childIsFolder) {
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
    out.push_back(child);
  }
  return out;
}

// "C:\", "C:\A", "C:\A\B" for "C:\A\B".
StringList PathChain(const String& path) {
  StringList chain{kRootPath};
  for (size_t pos = 3; pos <= path.size(); ++pos) {
    if (pos == path.size() || path[pos] == u'\\') chain.push_back(path.substr(0, pos));
  }
  if (chain.size() > 1 && chain.back().size() <= 3) chain.pop_back();
  return chain;
}

// Every entry of a path (own first, then inherited), including the ones that
// only pass on to what lies below.
std::vector<Ace> FullAcl(const Store& store, const String& path, bool isFolder) {
  StringList chain = PathChain(path);
  std::vector<Ace> acl;
  for (size_t i = 0; i < chain.size(); ++i) {
    auto it = store.find(Key(chain[i]));
    const Record* record = it == store.end() ? nullptr : &it->second;
    if (i == 0) {
      acl = record ? record->own : RootDefaults();
      continue;
    }
    bool folder = i + 1 < chain.size() || isFolder;
    std::vector<Ace> inherited = (record && record->cut) ? std::vector<Ace>() : InheritFrom(acl, folder);
    acl = record ? record->own : std::vector<Ace>();
    acl.insert(acl.end(), inherited.begin(), inherited.end());
  }
  return acl;
}

// ---- paths on the machine -------------------------------------------------

struct Target {
  String path;  // as spelled on disk
  std::string host;
  bool folder = false;
};

uint32_t FindTarget(const String& windowsPath, Target& target) {
  ResolvedPath resolved;
  uint32_t error = 0;
  if (!ResolvePath(windowsPath, resolved, error)) return error;
  if (!resolved.exists) return resolved.parentExists ? win::kErrorFileNotFound : win::kErrorPathNotFound;
  struct stat st;
  if (stat(resolved.host.c_str(), &st) != 0) return win::kErrorFileNotFound;  // a dangling link
  target.host = resolved.host;
  target.path = CurrentMachine().WindowsPath(resolved.host);
  target.folder = S_ISDIR(st.st_mode);
  return target.path.empty() ? win::kErrorPathNotFound : 0;
}

// Every folder below hostDir, parents before children; links are not entered.
void CollectFolders(const std::string& hostDir, std::vector<std::string>& out) {
  DIR* dir = opendir(hostDir.c_str());
  if (dir == nullptr) return;
  std::vector<std::string> names;
  while (dirent* e = readdir(dir)) {
    std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    names.push_back(name);
  }
  closedir(dir);
  for (const std::string& name : names) {
    std::string child = hostDir + "/" + name;
    struct stat st;
    if (lstat(child.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) continue;
    out.push_back(child);
    CollectFolders(child, out);
  }
}

bool PathExists(const String& path) {
  ResolvedPath resolved;
  uint32_t error = 0;
  return ResolvePath(path, resolved, error) && resolved.exists;
}

bool IsUnder(const String& key, const String& folderKey) {
  return key.size() > folderKey.size() && key.compare(0, folderKey.size(), folderKey) == 0 &&
         (key[folderKey.size()] == u'\\' || folderKey.back() == u'\\');
}

void Merge(std::vector<Ace>& own, const Ace& ace) {
  for (Ace& existing : own) {
    if (win::SameText(existing.account, ace.account) && existing.flags == ace.flags) {
      existing.rights |= ace.rights;
      return;
    }
  }
  own.push_back(ace);
}

void DropAccount(std::vector<Ace>& own, const String& account) {
  std::erase_if(own, [&](const Ace& a) { return win::SameText(a.account, account); });
}

void ApplyOne(Store& store, const String& path, bool folder, const Change& change) {
  String key = Key(path);
  if (change.kind == Change::kReset) {
    store.erase(key);
    return;
  }
  std::vector<Ace> before = FullAcl(store, path, folder);
  Record& record = store[key];
  if (record.path.empty()) record.path = path;
  switch (change.kind) {
    case Change::kCutInheritance:
      record.cut = true;
      break;
    case Change::kCopyInheritance:
      if (!record.cut) {
        for (Ace ace : before) {
          if (!ace.inherited) continue;
          ace.inherited = false;
          Merge(record.own, ace);
        }
      }
      record.cut = true;
      break;
    case Change::kInherit:
      record.cut = false;
      break;
    case Change::kGrant:
      Merge(record.own, change.ace);
      break;
    case Change::kGrantReplace:
      DropAccount(record.own, change.ace.account);
      record.own.push_back(change.ace);
      break;
    case Change::kReplaceAll:
      record.own = {change.ace};
      record.cut = true;
      break;
    case Change::kRevoke:
      DropAccount(record.own, change.ace.account);
      break;
    case Change::kReset:
      break;
  }
  if (!record.cut && record.own.empty()) store.erase(key);
}

}  // namespace

// ---- text forms -----------------------------------------------------------

bool ParseRights(StringView text, uint32_t& rights) {
  rights = 0;
  if (text.empty()) return false;
  size_t pos = 0;
  while (pos <= text.size()) {
    size_t comma = text.find(u',', pos);
    if (comma == StringView::npos) comma = text.size();
    StringView token = text.substr(pos, comma - pos);
    bool known = false;
    for (const RightName& r : kRightNames) {
      if (win::SameText(token, r.name)) {
        rights |= r.rights;
        known = true;
        break;
      }
    }
    if (!known) return false;
    pos = comma + 1;
  }
  return true;
}

String FormatRights(uint32_t rights) {
  if (rights & kFull) return u"F";
  if ((rights & kModify) == kModify) return u"M";
  if (rights == 0) return u"N";
  String out;
  auto add = [&](const char16_t* part) {
    if (!out.empty()) out += u",";
    out += part;
  };
  if ((rights & (kRead | kExecute)) == (kRead | kExecute)) add(u"RX");
  else if (rights & kRead) add(u"R");
  else if (rights & kExecute) add(u"X");
  if (rights & kWrite) add(u"W");
  if (rights & kDelete) add(u"D");
  return out;
}

String FormatFlags(uint8_t flags) {
  String out;
  if (flags & kObjectInherit) out += u"(OI)";
  if (flags & kContainerInherit) out += u"(CI)";
  if (flags & kInheritOnly) out += u"(IO)";
  if (flags & kNoPropagate) out += u"(NP)";
  return out;
}

bool ParsePermission(StringView text, uint32_t& rights, uint8_t& flags) {
  rights = 0;
  flags = 0;
  bool anyRight = false;
  size_t pos = 0;
  while (pos < text.size()) {
    StringView token;
    if (text[pos] == u'(') {
      size_t close = text.find(u')', pos);
      if (close == StringView::npos) return false;
      token = text.substr(pos + 1, close - pos - 1);
      pos = close + 1;
    } else {
      size_t open = text.find(u'(', pos);
      if (open == StringView::npos) open = text.size();
      token = text.substr(pos, open - pos);
      pos = open;
    }
    uint8_t flag = 0;
    if (ParseFlags(String(u"(") + String(token) + u")", flag)) {
      flags |= flag;
      continue;
    }
    uint32_t r = 0;
    if (!ParseRights(token, r)) return false;
    rights |= r;
    anyRight = true;
  }
  return anyRight;
}

bool CanonicalAccount(StringView name, String& account) {
  const MachineConfig& config = CurrentMachine().Config();
  struct Sid {
    const char16_t* sid;
    String account;
  };
  const Sid sids[] = {{u"*S-1-1-0", config.everyone},
                      {u"*S-1-5-18", u"SYSTEM"},
                      {u"*S-1-5-32-544", u"Administrators"},
                      {u"*S-1-5-32-545", u"Users"}};
  for (const Sid& s : sids) {
    if (win::SameText(name, s.sid)) {
      account = s.account;
      return true;
    }
  }
  size_t slash = name.rfind(u'\\');
  StringView bare = slash == StringView::npos ? name : name.substr(slash + 1);
  const String known[] = {u"SYSTEM", u"Administrators", u"Users", config.everyone, config.userName};
  for (const String& k : known) {
    if (!k.empty() && win::SameText(bare, k)) {
      account = k;
      return true;
    }
  }
  return false;
}

uint32_t ApplyChanges(const String& windowsPath, bool recurse, const std::vector<Change>& changes) {
  Machine& machine = CurrentMachine();
  if (!machine.Found()) return win::kErrorPathNotFound;
  Target target;
  if (uint32_t error = FindTarget(windowsPath, target)) return error;
  if (changes.empty()) return 0;

  StoreLock lock(machine.Root());
  Store store = LoadStore(machine.Root());
  std::vector<std::pair<String, bool>> items{{target.path, target.folder}};
  if (recurse && target.folder) {
    std::vector<std::string> folders;
    CollectFolders(target.host, folders);
    for (const std::string& host : folders) {
      String path = machine.WindowsPath(host);
      if (!path.empty()) items.emplace_back(path, true);
    }
    // A reset of a whole tree also forgets what files below had of their own.
    for (const Change& change : changes) {
      if (change.kind != Change::kReset) continue;
      String top = Key(target.path);
      std::erase_if(store, [&](const auto& entry) { return IsUnder(entry.first, top); });
    }
  }
  for (const auto& [path, folder] : items) {
    for (const Change& change : changes) ApplyOne(store, path, folder, change);
  }
  // Records of paths that were deleted meanwhile are dropped.
  std::erase_if(store, [](const auto& entry) {
    return entry.second.path != kRootPath && !PathExists(entry.second.path);
  });
  return SaveStore(machine.Root(), store) ? 0 : win::kErrorAccessDenied;
}

}  // namespace sim::acl

namespace sim {

namespace {

bool EffectiveEntries(const String& windowsPath, std::vector<acl::Ace>& aces) {
  aces.clear();
  Machine& machine = CurrentMachine();
  if (!machine.Found()) return false;
  acl::Target target;
  if (acl::FindTarget(windowsPath, target) != 0) return false;
  acl::Store store = acl::LoadStore(machine.Root());
  for (const acl::Ace& ace : acl::FullAcl(store, target.path, target.folder)) {
    if (!(ace.flags & acl::kInheritOnly)) aces.push_back(ace);
  }
  return true;
}

bool Covers(const String& entryAccount, const String& account) {
  const MachineConfig& config = CurrentMachine().Config();
  if (win::SameText(entryAccount, account)) return true;
  if (win::SameText(entryAccount, config.everyone)) return true;
  if (win::SameText(entryAccount, u"Users")) return !win::SameText(account, u"SYSTEM");
  if (win::SameText(entryAccount, u"Administrators")) {
    return config.admin && win::SameText(account, config.userName);
  }
  return false;
}

}  // namespace

bool GetAccess(const String& windowsPath, std::vector<AccessEntry>& entries) {
  entries.clear();
  std::vector<acl::Ace> aces;
  if (!EffectiveEntries(windowsPath, aces)) return false;
  for (const acl::Ace& ace : aces) {
    entries.push_back({ace.account, acl::FormatRights(ace.rights), acl::FormatFlags(ace.flags), ace.inherited});
  }
  return true;
}

bool MayWrite(const String& windowsPath, const String& account) {
  std::vector<acl::Ace> aces;
  if (!EffectiveEntries(windowsPath, aces)) return false;
  String name = account;
  acl::CanonicalAccount(account, name);
  for (const acl::Ace& ace : aces) {
    if ((ace.rights & acl::kWrite) && Covers(ace.account, name)) return true;
  }
  return false;
}

bool InheritsAccess(const String& windowsPath) {
  Machine& machine = CurrentMachine();
  if (!machine.Found()) return false;
  acl::Target target;
  if (acl::FindTarget(windowsPath, target) != 0) return false;
  acl::Store store = acl::LoadStore(machine.Root());
  auto it = store.find(acl::Key(target.path));
  return it == store.end() || !it->second.cut;
}

}  // namespace sim
