// The simulated machine's registry: a tree of keys held in registry.reg, the
// standard .reg export text ("Windows Registry Editor Version 5.00",
// UTF-16LE with a byte-order mark). Every transaction re-reads the file when
// another process changed it and writes it back in one step (temporary file +
// rename) under a lock file, so processes on one machine share it and a
// killed process never leaves a torn file.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/strings.h"

namespace sim {

constexpr uint32_t kRegOther = 0;  // any type the program does not read
constexpr uint32_t kRegSz = 1;
constexpr uint32_t kRegExpandSz = 2;

// A value as it stands in the file: strings are kept as text, every other
// type as its .reg notation ("dword:00000001", "hex(7):41,00,...").
struct RegValue {
  String name;  // "" is the default value (@)
  uint32_t type = kRegSz;
  String data;  // the string, or the notation of another type
};

struct RegKey {
  String name;
  std::vector<RegValue> values;
  std::vector<std::unique_ptr<RegKey>> subKeys;  // sorted without regard to case

  RegKey* Find(StringView child) const;
  RegKey* FindOrAdd(StringView child);
  bool Remove(StringView child);
  RegValue* FindValue(StringView valueName);
};

// Both hives: HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER.
struct RegTree {
  RegKey localMachine{u"HKEY_LOCAL_MACHINE", {}, {}};
  RegKey currentUser{u"HKEY_CURRENT_USER", {}, {}};
};

// The parts of a key path between its "\" separators; empty parts (a
// leading, doubled or trailing "\") are dropped.
StringList SplitKeyPath(StringView path);

// Parses .reg text (UTF-16LE with BOM, UTF-8 or ANSI "REGEDIT4"); lines it
// cannot read are skipped.
void ParseRegText(const std::string& bytes, RegTree& tree);
// The export text of the tree, UTF-16LE with its byte-order mark.
std::string FormatRegText(const RegTree& tree);

// Runs f on the machine's registry: shared for reading, exclusive for
// changing (f returns true when it changed something; the file is then
// written back). False when there is no machine or the file cannot be written.
bool ReadRegistry(const std::function<void(const RegTree&)>& f);
[[nodiscard]] bool ChangeRegistry(const std::function<bool(RegTree&)>& f);

}  // namespace sim
