// What a run changed on a machine: its files (drive C:) and its registry,
// taken before and after and compared, with the places a product may change
// named. Whatever changed elsewhere, or went missing there, is reported.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace zxtest {

class TempMachine;

struct MachineSnapshot {
  // "C:\path" (folders end in "\") -> size and a hash of the bytes.
  std::map<std::string, std::string> files;
  // Keys as "HKEY_...\key\" (mapped to ""), values as "HKEY_...\key\|name"
  // (the default value's name is "@") mapped to their data as the .reg text
  // has it.
  std::map<std::string, std::string> registry;
};

MachineSnapshot TakeSnapshot(const TempMachine& machine);

// Every file, folder, key and value that was added, removed or changed
// between the two snapshots, one line each ("+ ", "- " or "~ " and the
// name), but those that lie under one of `allowed` (Windows paths such as
// "C:\Program Files (x86)\Zorvex7\", registry keys such as
// "HKEY_LOCAL_MACHINE\Software\Zorvex\", or a key and a value name as
// "HKEY_CURRENT_USER\...\Run\|Zorvex7"; compared without regard to case).
// A folder or key made on the way to such a place is not a change either.
std::vector<std::string> ChangesOutside(const MachineSnapshot& before, const MachineSnapshot& after,
                                        const std::vector<std::string>& allowed);

}  // namespace zxtest
