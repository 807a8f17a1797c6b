// The access model behind the built-in cacls and icacls: entries, their text
// forms, and the changes the tools make to the machine's access records.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/strings.h"

namespace sim::acl {

// Inheritance flags of an entry.
constexpr uint8_t kObjectInherit = 1;     // (OI) files below get it
constexpr uint8_t kContainerInherit = 2;  // (CI) folders below get it
constexpr uint8_t kInheritOnly = 4;       // (IO) not for the folder itself
constexpr uint8_t kNoPropagate = 8;       // (NP) one level only

// Rights of an entry.
constexpr uint32_t kRead = 1;          // R: read a file's data, list a folder
constexpr uint32_t kExecute = 2;       // X
constexpr uint32_t kWrite = 4;         // W: write data and attributes, add files and folders
constexpr uint32_t kDelete = 8;        // D: delete the object itself
constexpr uint32_t kDeleteChild = 16;  // DC: delete anything in the folder
constexpr uint32_t kWriteDac = 32;     // WDAC: change the rights
constexpr uint32_t kWriteOwner = 64;   // WO: take the ownership
constexpr uint32_t kReadControl = 128; // RC: read the rights
constexpr uint32_t kModify = kRead | kExecute | kWrite | kDelete;
constexpr uint32_t kFull = kModify | kDeleteChild | kWriteDac | kWriteOwner | kReadControl;

struct Ace {
  String account;
  uint32_t rights = 0;
  uint8_t flags = 0;
  bool inherited = false;
};

// "F", "M", "RX", "R", "W", "D", "X", "DC", "WDAC", "WO", "RC", "N" and comma
// lists of them ("RX,W").
bool ParseRights(StringView text, uint32_t& rights);
String FormatRights(uint32_t rights);
String FormatFlags(uint8_t flags);  // "(OI)(CI)" ...
bool ParseFlags(StringView text, uint8_t& flags);  // "(OI)(CI)" -> flags; false on anything else
// icacls' "account:perm" permission part: "(OI)(CI)F", "(OI)(CI)(RX)", "F",
// "(R,W)". False when it names no right or something unknown.
bool ParsePermission(StringView text, uint32_t& rights, uint8_t& flags);

// The machine's own spelling of an account name: "SYSTEM", "Administrators",
// "Users", "Authenticated Users", "CREATOR OWNER", its Everyone name, its
// user, the running user and every user with a profile folder; a domain part
// ("NT AUTHORITY\") is dropped and "*S-1-1-0"-style identifiers are
// accepted. False when unknown.
bool CanonicalAccount(StringView name, String& account);

struct Change {
  enum Kind {
    kReset,           // forget own entries and inherit again
    kCutInheritance,  // inherit nothing, keep own entries
    kCopyInheritance, // make the inherited entries own ones, then inherit nothing
    kInherit,         // inherit again
    kGrant,           // add rights to the account's own entry
    kGrantReplace,    // replace the account's own entries
    kReplaceAll,      // this entry alone, inherit nothing
    kRevoke,          // drop the account's own entries
    kSetOwner,        // the account becomes the owner
  };
  Kind kind = kReset;
  Ace ace;  // account, rights and flags for the granting kinds
};

// Applies the changes in order to an existing path and, with `recurse`, to
// every folder below it (a new owner also to every file), links entered as
// icacls enters them, each object recorded under its real path. The running
// account needs the right to change each object's rights (its owner always
// has it); an object it may not change stops the walk with 5 (access
// denied), unless `goOn`, which changes the others and still returns 5.
// Returns 0, or the Windows error number when the path is missing (2 or 3)
// or unusable, in which case nothing changes.
[[nodiscard]] uint32_t ApplyChanges(const String& windowsPath, bool recurse, const std::vector<Change>& changes,
                                    bool goOn = false);

}  // namespace sim::acl
