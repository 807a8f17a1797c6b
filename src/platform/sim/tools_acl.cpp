// What the built-in icacls and cacls change in the machine's access records,
// the text forms of rights, and the queries tests ask ("who may write here").
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <algorithm>
#include <climits>
#include <set>
#include <sstream>

#include "platform/files.h"
#include "platform/sim/acl_store.h"
#include "platform/sim/machine.h"
#include "platform/sim/machine_internal.h"
#include "platform/sim/tools.h"
#include "platform/sim/tools_internal.h"

namespace sim::acl {

namespace {

struct RightName {
  const char16_t* name;
  uint32_t rights;
};
constexpr RightName kRightNames[] = {
    {u"F", kFull},         {u"M", kModify},       {u"RX", kRead | kExecute}, {u"R", kRead},
    {u"W", kWrite},        {u"D", kDelete},       {u"X", kExecute},          {u"N", 0},
    {u"DC", kDeleteChild}, {u"WDAC", kWriteDac},  {u"WO", kWriteOwner},      {u"RC", kReadControl},
};

// ---- paths on the machine -------------------------------------------------

struct Target {
  String path;  // the real object's path, as spelled on disk
  std::string host;  // real host path
  bool folder = false;
};

uint32_t FindTarget(const String& windowsPath, Target& target) {
  ResolvedPath resolved;
  uint32_t error = 0;
  if (!ResolvePath(windowsPath, resolved, error)) return error;
  if (!resolved.exists) return resolved.parentExists ? win::kErrorFileNotFound : win::kErrorPathNotFound;
  struct stat st;
  if (stat(resolved.host.c_str(), &st) != 0) return win::kErrorFileNotFound;  // a dangling link
  char real[PATH_MAX];
  if (realpath(resolved.host.c_str(), real) == nullptr || !StaysInsideMachine(real)) return win::kErrorAccessDenied;
  target.host = real;
  target.path = CurrentMachine().WindowsPath(target.host);
  target.folder = S_ISDIR(st.st_mode);
  return target.path.empty() ? win::kErrorPathNotFound : 0;
}

// Every object below hostDir, parents before children, as icacls /T walks:
// links to folders are entered (at their real place, each folder once),
// links out of the machine never. Files only when `files`.
void CollectBelow(const std::string& hostDir, bool files, std::vector<std::pair<std::string, bool>>& out,
                  std::set<std::pair<dev_t, ino_t>>& seen) {
  DIR* dir = opendir(hostDir.c_str());
  if (dir == nullptr) return;
  std::vector<std::string> names;
  while (dirent* e = readdir(dir)) {
    std::string name = e->d_name;
    if (name == "." || name == ".." || name.rfind(".zxtmp-", 0) == 0) continue;
    names.push_back(name);
  }
  closedir(dir);
  std::sort(names.begin(), names.end());
  for (const std::string& name : names) {
    std::string child = hostDir + "/" + name;
    struct stat st;
    if (stat(child.c_str(), &st) != 0) continue;
    char real[PATH_MAX];
    if (realpath(child.c_str(), real) == nullptr || !StaysInsideMachine(real)) continue;
    if (!S_ISDIR(st.st_mode)) {
      if (files) out.emplace_back(real, false);
      continue;
    }
    if (!seen.insert({st.st_dev, st.st_ino}).second) continue;
    out.emplace_back(real, true);
    CollectBelow(real, files, out, seen);
  }
}

bool PathExists(const String& path) {
  ResolvedPath resolved;
  uint32_t error = 0;
  return ResolvePath(path, resolved, error) && resolved.exists;
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

// Whether the running account may make the change to the path.
bool MayChange(const Store& store, const String& path, bool folder, const Change& change) {
  const RunningAccount& me = CurrentMachine().Account();
  uint32_t rights = 0;
  bool owner = false;
  {
    String ownerName = OwnOf(store, path).owner;
    owner = (ownerName.empty() || win::SameText(ownerName, kAdministrators)) ? me.elevated
                                                                          : win::SameText(ownerName, me.user);
    const String everyone = CurrentMachine().Config().everyone;
    for (const Ace& ace : FullAcl(store, path, folder)) {
      if (ace.flags & kInheritOnly) continue;
      const String& a = ace.account;
      if (win::SameText(a, me.user) || win::SameText(a, kUsers) || win::SameText(a, kAuthenticatedUsers) ||
          win::SameText(a, everyone) || (me.elevated && win::SameText(a, kAdministrators))) {
        rights |= ace.rights;
      }
    }
  }
  if (change.kind == Change::kSetOwner) {
    // icacls enables the privileges to take and give ownership for an
    // elevated administrator; anybody else may only take it for itself.
    if (me.elevated) return true;
    return win::SameText(change.ace.account, me.user) && (owner || (rights & kWriteOwner));
  }
  return owner || (rights & kWriteDac);
}

void ApplyOne(Store& store, const String& path, bool folder, const Change& change) {
  String key = Key(path);
  if (change.kind == Change::kSetOwner) {
    Record& record = store[key];
    if (record.path.empty()) record.path = path;
    record.owner = win::SameText(change.ace.account, kAdministrators) ? String() : change.ace.account;
    Defaults scratch;
    const Defaults* defaults = DefaultsOf(path, scratch);
    if (record.owner.empty() && defaults && !defaults->owner.empty()) {
      record.owner = kAdministrators;  // differs from the path's default owner
    }
    if (record.Empty()) store.erase(key);
    return;
  }
  std::vector<Ace> before = FullAcl(store, path, folder);
  Record& record = RecordFor(store, path);
  switch (change.kind) {
    case Change::kReset:
      record.own.clear();
      record.cut = false;
      break;
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
    case Change::kSetOwner:
      break;
  }
  Defaults scratch;
  if (!record.cut && record.own.empty() && record.owner.empty() && record.creator.empty() &&
      !DefaultsOf(path, scratch)) {
    store.erase(key);
  }
}

}  // namespace

// ---- text forms -----------------------------------------------------------

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
  if ((rights & kFull) == kFull) return u"F";
  if (rights == 0) return u"N";
  String out;
  auto add = [&](const char16_t* part) {
    if (!out.empty()) out += u",";
    out += part;
  };
  if ((rights & kModify) == kModify) {
    add(u"M");
  } else {
    if ((rights & (kRead | kExecute)) == (kRead | kExecute)) add(u"RX");
    else if (rights & kRead) add(u"R");
    else if (rights & kExecute) add(u"X");
    if (rights & kWrite) add(u"W");
    if (rights & kDelete) add(u"D");
  }
  if (rights & kDeleteChild) add(u"DC");
  if (rights & kWriteDac) add(u"WDAC");
  if (rights & kWriteOwner) add(u"WO");
  if (rights & kReadControl) add(u"RC");
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
  const Machine& machine = CurrentMachine();
  const MachineConfig& config = machine.Config();
  struct Sid {
    const char16_t* sid;
    String account;
  };
  const Sid sids[] = {{u"*S-1-1-0", config.everyone},          {u"*S-1-5-18", kSystem},
                      {u"*S-1-5-32-544", kAdministrators},     {u"*S-1-5-32-545", kUsers},
                      {u"*S-1-5-11", kAuthenticatedUsers},     {u"*S-1-3-0", kCreatorOwner}};
  for (const Sid& s : sids) {
    if (win::SameText(name, s.sid)) {
      account = s.account;
      return true;
    }
  }
  size_t slash = name.rfind(u'\\');
  StringView bare = slash == StringView::npos ? name : name.substr(slash + 1);
  const String known[] = {kSystem, kAdministrators, kUsers, kAuthenticatedUsers, kCreatorOwner,
                          config.everyone, config.userName, machine.Account().user};
  for (const String& k : known) {
    if (!k.empty() && win::SameText(bare, k)) {
      account = k;
      return true;
    }
  }
  // Every user with a profile folder is an account of the machine.
  Defaults scratch;
  String profile = String(u"C:\\Users\\") + String(bare);
  if (!bare.empty() && DefaultsOf(profile, scratch) && PathExists(profile)) {
    ResolvedPath resolved;
    uint32_t error = 0;
    ResolvePath(profile, resolved, error);
    account = win::FromUtf8(resolved.host.substr(resolved.host.rfind('/') + 1));
    return true;
  }
  return false;
}

uint32_t ApplyChanges(const String& windowsPath, bool recurse, const std::vector<Change>& changes, bool goOn) {
  Machine& machine = CurrentMachine();
  if (!machine.Found()) return win::kErrorPathNotFound;
  Target target;
  if (uint32_t error = FindTarget(windowsPath, target)) return error;
  if (changes.empty()) return 0;

  StoreLock lock(machine.Root());
  Store store = LoadStore(machine.Root());
  std::vector<std::pair<String, bool>> items{{target.path, target.folder}};
  if (recurse && target.folder) {
    // Rights follow the folders down to the files; an owner is each object's own.
    bool files = false;
    for (const Change& change : changes) files = files || change.kind == Change::kSetOwner;
    std::vector<std::pair<std::string, bool>> below;
    std::set<std::pair<dev_t, ino_t>> seen;
    struct stat st;
    if (stat(target.host.c_str(), &st) == 0) seen.insert({st.st_dev, st.st_ino});
    CollectBelow(target.host, files, below, seen);
    for (const auto& [host, folder] : below) {
      String path = machine.WindowsPath(host);
      if (!path.empty()) items.emplace_back(path, folder);
    }
  }
  uint32_t result = 0;
  for (size_t i = 0; i < items.size(); ++i) {
    const auto& [path, folder] = items[i];
    bool allowed = true;
    for (const Change& change : changes) allowed = allowed && MayChange(store, path, folder, change);
    if (!allowed) {
      result = win::kErrorAccessDenied;
      if (!goOn) break;
      continue;
    }
    const String key = Key(path);
    for (const Change& change : changes) {
      // A reset of a whole tree also forgets what files below had of their own.
      if (change.kind == Change::kReset && recurse && folder) {
        for (auto& [k, record] : store) {
          if (!IsUnder(k, key)) continue;
          record.own.clear();
          record.cut = false;
          record.ownsEntries = true;
        }
      }
      // The rights of the files below follow their folder.
      if (change.kind != Change::kSetOwner && !folder && i > 0) continue;
      ApplyOne(store, path, folder, change);
    }
  }
  // Records of paths that were deleted meanwhile are dropped.
  std::erase_if(store, [](const auto& entry) {
    return entry.second.Empty() || (entry.second.path != kRootPath && !PathExists(entry.second.path));
  });
  if (!SaveStore(machine.Root(), store)) return win::kErrorAccessDenied;
  return result;
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
  acl::Snapshot snapshot = acl::CurrentStore();
  for (const acl::Ace& ace : acl::FullAcl(*snapshot.store, target.path, target.folder)) {
    if (!(ace.flags & acl::kInheritOnly)) aces.push_back(ace);
  }
  return true;
}

bool Covers(const String& entryAccount, const String& account) {
  const MachineConfig& config = CurrentMachine().Config();
  if (win::SameText(entryAccount, account)) return true;
  if (win::SameText(entryAccount, config.everyone)) return true;
  if (win::SameText(entryAccount, acl::kUsers) || win::SameText(entryAccount, acl::kAuthenticatedUsers)) {
    return !win::SameText(account, acl::kSystem);
  }
  if (win::SameText(entryAccount, acl::kAdministrators)) {
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
  return !acl::OwnOf(*acl::CurrentStore().store, target.path).cut;
}

String GetOwner(const String& windowsPath) {
  Machine& machine = CurrentMachine();
  acl::Target target;
  if (!machine.Found() || acl::FindTarget(windowsPath, target) != 0) return String();
  String owner = acl::OwnOf(*acl::CurrentStore().store, target.path).owner;
  return owner.empty() ? String(acl::kAdministrators) : owner;
}

}  // namespace sim
