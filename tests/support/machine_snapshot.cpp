#include "support/machine_snapshot.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include "platform/ini.h"
#include "platform/strings.h"
#include "support/sim_machine.h"

namespace zxtest {

namespace {

namespace fs = std::filesystem;

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

std::string Fingerprint(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return std::to_string(bytes.size()) + " bytes, hash " + std::to_string(std::hash<std::string>()(bytes));
}

void TakeFiles(const TempMachine& machine, std::map<std::string, std::string>& files) {
  const fs::path root = fs::path(machine.Dir()) / "drive_c";
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(root, ec); it != fs::recursive_directory_iterator();
       it.increment(ec)) {
    std::string name = "C:\\" + fs::relative(it->path(), root).string();
    std::replace(name.begin(), name.end(), '/', '\\');
    if (it->is_symlink()) {
      files[name] = "link to " + fs::read_symlink(it->path()).string();
    } else if (it->is_directory()) {
      files[name + "\\"] = "";
    } else {
      files[name] = Fingerprint(it->path());
    }
  }
}

// The value's name as the .reg line gives it: quoted (with \" and \\ escapes)
// or "@"; `rest` becomes the data after the "=".
std::string ValueName(const std::string& line, std::string& rest) {
  if (line.rfind("@=", 0) == 0) {
    rest = line.substr(2);
    return "@";
  }
  std::string name;
  size_t i = 1;
  for (; i < line.size() && line[i] != '"'; ++i) {
    if (line[i] == '\\' && i + 1 < line.size()) ++i;
    name += line[i];
  }
  rest = i + 2 <= line.size() ? line.substr(i + 2) : std::string();
  return name;
}

void TakeRegistry(const TempMachine& machine, std::map<std::string, std::string>& registry) {
  std::ifstream in(machine.Dir() + "/registry.reg", std::ios::binary);
  const std::string raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  String text;
  for (size_t i = raw.size() >= 2 ? 2 : 0; i + 1 < raw.size(); i += 2)
    text += static_cast<char16_t>(static_cast<unsigned char>(raw[i]) | (static_cast<unsigned char>(raw[i + 1]) << 8));
  std::string key;
  for (const String& wide : win::SplitLines(text)) {
    const std::string line = win::ToUtf8(wide);
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
      key = line.substr(1, line.size() - 2) + "\\";
      registry[key] = "";
    } else if (!key.empty() && (line.rfind("\"", 0) == 0 || line.rfind("@=", 0) == 0)) {
      std::string data;
      const std::string name = ValueName(line, data);
      registry[key + "|" + name] = data;
    }
  }
}

bool Allowed(const std::string& name, const std::vector<std::string>& allowed) {
  const std::string lower = Lower(name);
  for (const std::string& place : allowed)
    if (lower.rfind(Lower(place), 0) == 0) return true;
  return false;
}

// A new folder or key on the way to an allowed place ("HKEY_..\Software\"
// made for "HKEY_..\Software\Zorvex\").
bool OnTheWayTo(const std::string& name, const std::vector<std::string>& allowed) {
  if (name.empty() || name.back() != '\\') return false;
  const std::string lower = Lower(name);
  for (const std::string& place : allowed)
    if (Lower(place).rfind(lower, 0) == 0) return true;
  return false;
}

void Compare(const std::map<std::string, std::string>& before, const std::map<std::string, std::string>& after,
             const std::vector<std::string>& allowed, std::vector<std::string>& changes) {
  for (const auto& [name, was] : before) {
    auto now = after.find(name);
    if (Allowed(name, allowed)) continue;
    if (now == after.end())
      changes.push_back("- " + name);
    else if (now->second != was)
      changes.push_back("~ " + name + " (" + was + " -> " + now->second + ")");
  }
  for (const auto& [name, data] : after)
    if (!before.count(name) && !Allowed(name, allowed) && !OnTheWayTo(name, allowed)) changes.push_back("+ " + name);
}

}  // namespace

MachineSnapshot TakeSnapshot(const TempMachine& machine) {
  MachineSnapshot snapshot;
  TakeFiles(machine, snapshot.files);
  TakeRegistry(machine, snapshot.registry);
  return snapshot;
}

std::vector<std::string> ChangesOutside(const MachineSnapshot& before, const MachineSnapshot& after,
                                        const std::vector<std::string>& allowed) {
  std::vector<std::string> changes;
  Compare(before.files, after.files, allowed, changes);
  Compare(before.registry, after.registry, allowed, changes);
  return changes;
}

}  // namespace zxtest
