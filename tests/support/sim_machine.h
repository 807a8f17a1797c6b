// A fresh simulated machine in a temporary folder, selected for this process
// while the object lives. Set ZX_KEEP_MACHINES=1 to keep the folders for a look.
#pragma once

#include <string>
#include <vector>

#include "platform/strings.h"

namespace zxtest {

class TempMachine {
 public:
  // overrides: machine.ini lines such as "is64Bit=0" or "codePage=936".
  explicit TempMachine(const std::vector<std::string>& overrides = {});
  ~TempMachine();
  TempMachine(const TempMachine&) = delete;
  TempMachine& operator=(const TempMachine&) = delete;

  const std::string& Dir() const { return dir_; }
  // Host path of a Windows path on the machine's drive C: (case-insensitive
  // where the names exist; missing names kept as given). "" when unmappable.
  std::string HostPath(const String& windowsPath) const;
  // Writes a file by its Windows path, creating the missing folders on the way.
  void WriteFile(const String& windowsPath, const std::string& bytes) const;
  void MakeFolder(const String& windowsPath) const;  // the whole chain
  std::string ReadFile(const String& windowsPath) const;  // "" when missing
  bool Exists(const String& windowsPath) const;
  std::string ToolLog() const;  // the machine's tools.log

 private:
  std::string dir_;
};

// Acts as the standard user `name` (never an administrator) while the object
// lives: the file calls, the registry, IsUserAnAdmin and the built-in tools of
// this process, and every program it starts, run as that user (as with
// `winsim run --user NAME`). The user gets a profile folder first. Make it
// after the TempMachine; the account before it comes back at the end.
class RunAsUser {
 public:
  explicit RunAsUser(const String& name);
  ~RunAsUser();
  RunAsUser(const RunAsUser&) = delete;
  RunAsUser& operator=(const RunAsUser&) = delete;

 private:
  std::string previous_;
  bool hadPrevious_ = false;
};

}  // namespace zxtest
