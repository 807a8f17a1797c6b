// The machine's access records (acl.tsv) as the sim backend keeps them: the
// store, the rights a path has where nothing was recorded, how entries are
// inherited, and the owner of each object.
//
// Only the sim backend includes this header.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/sim/tools_internal.h"
#include "platform/strings.h"

namespace sim::acl {

// Accounts with a fixed name on every machine (the Everyone account has the
// machine's own local name, MachineConfig::everyone).
inline constexpr char16_t kAdministrators[] = u"Administrators";
inline constexpr char16_t kSystem[] = u"SYSTEM";
inline constexpr char16_t kUsers[] = u"Users";
inline constexpr char16_t kAuthenticatedUsers[] = u"Authenticated Users";
inline constexpr char16_t kCreatorOwner[] = u"CREATOR OWNER";
inline constexpr char16_t kRootPath[] = u"C:\\";

struct Record {
  String path;             // as spelled on disk
  bool cut = false;        // inherits nothing from its parent
  bool ownsEntries = false;  // its entries replace the defaults of its path (see DefaultsOf)
  std::vector<Ace> own;
  String owner;    // "" = Administrators
  String creator;  // who created it, what CREATOR OWNER stands for; "" = Administrators
  bool Empty() const { return !cut && !ownsEntries && own.empty() && owner.empty() && creator.empty(); }
};

// Keyed by the upper-cased path, so that lookups ignore letter case.
using Store = std::map<String, Record>;
String Key(StringView path);

// The rights of a path nobody has changed: drive C:, C:\ProgramData and each
// user's profile folder; nullptr for every other path (it inherits).
struct Defaults {
  bool cut = false;
  std::vector<Ace> entries;
  String owner;  // "" = Administrators
};
const Defaults* DefaultsOf(const String& path, Defaults& scratch);
// True when an entry of the folder may have defaults of its own.
bool HasDefaultsBelow(const String& folder);

// The own entries, the cut and the owner of a path, recorded or default.
struct Own {
  bool cut = false;
  std::vector<Ace> entries;
  String owner;
  String creator;
};
Own OwnOf(const Store& store, const String& path);
// Makes a record hold everything the path has of its own, so that a change
// to it starts from the defaults.
Record& RecordFor(Store& store, const String& path);

// Every entry of a path (own first, then inherited), including the ones that
// only pass on to what lies below. CREATOR OWNER entries that reach the path
// itself stand for the path's creator.
std::vector<Ace> FullAcl(const Store& store, const String& path, bool isFolder);
// The entries a child gets from its folder's full list.
std::vector<Ace> InheritFrom(const std::vector<Ace>& parent, bool childIsFolder, const String& creator);

// The store file. Loading skips lines that cannot be read: a damaged store
// never stops a tool.
Store LoadStore(const std::string& root);
[[nodiscard]] bool SaveStore(const std::string& root, const Store& store);

// The store as it is now, read again only when acl.tsv changed; with a
// number that changes whenever it was read again.
struct Snapshot {
  std::shared_ptr<const Store> store;
  uint64_t generation = 0;
};
Snapshot CurrentStore();

// While one lives on this thread, CurrentStore looks at the file once: a file
// call that checks several objects sees them all in one state of the store.
class StoreGlance {
 public:
  StoreGlance();
  ~StoreGlance();
  StoreGlance(const StoreGlance&) = delete;
  StoreGlance& operator=(const StoreGlance&) = delete;
};

// Holds the store's lock file while it lives.
class StoreLock {
 public:
  explicit StoreLock(const std::string& root);
  ~StoreLock();
  StoreLock(const StoreLock&) = delete;
  StoreLock& operator=(const StoreLock&) = delete;

 private:
  int fd_ = -1;
};

// True when key lies below folderKey.
bool IsUnder(const String& key, const String& folderKey);

}  // namespace sim::acl
