// The simulated Windows machine: a host folder laid out like a Wine prefix.
//
//   <machine>/machine.ini     admin flag, LANGIDs, OS version, code page, screen,
//                             DPI, Everyone account name, 32/64-bit
//   <machine>/drive_c/...     drive C:
//   <machine>/registry.reg    HKLM and HKCU as .reg export text (UTF-16LE + BOM)
//   <machine>/tools.log       cacls/icacls command lines, shell notices,
//                             started programs, debugger output
//   <machine>/windows/        top-level windows of the programs on the machine
//
// A program finds its machine by walking up from its own executable's folder to
// the first folder holding machine.ini; tests and tools select one explicitly.
// Only the sim backend, tests and the machine tool include this header.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/strings.h"

namespace sim {

struct MachineConfig {
  bool admin = true;
  uint16_t userLangId = 1033;
  uint16_t systemLangId = 1033;
  uint32_t osMajor = 10;
  uint32_t osMinor = 0;
  uint32_t osBuild = 19045;
  uint32_t codePage = 1252;
  int screenWidth = 1920;
  int screenHeight = 1080;
  int dpi = 96;
  String everyone = u"Everyone";
  bool is64Bit = true;  // a 32-bit program then sees C:\Program Files (x86)
  String userName = u"Player";
  // Free bytes left on drive C when the machine is made; -1: no limit. The
  // machine then counts them itself (disk_space.h).
  int64_t freeBytes = -1;
};

// The account a process runs as: the machine's user, elevated (an
// administrator) on an admin machine. A process whose environment names a
// user (kRunAsVariable=NAME, as `winsim run --user NAME` sets it) runs as
// that user, never elevated; the programs it starts inherit the variable and
// so run as the same user.
constexpr const char* kRunAsVariable = "ZXSIM_USER";
struct RunningAccount {
  String user;
  bool elevated = false;
};

// Creates a fresh machine in hostDir (which must not hold one yet). overrides
// are "name=value" lines of machine.ini (admin=0, systemLangId=2052,
// codePage=936, osMajor=6, osMinor=1, everyone=Jeder, is64Bit=0,
// freeBytes=4096 ...).
// False with a one-line error on failure.
[[nodiscard]] bool CreateMachine(const std::string& hostDir, const std::vector<std::string>& overrides,
                                 std::string& error);

// Selects the machine this process runs on (tests, tools). Without it the
// machine is found by walking up from the executable.
void UseMachine(const std::string& hostDir);
// Tests: the Windows path this process reports as its own executable
// (ParamStr(0)), e.g. C:\Package\Setup.exe. Empty restores the real one.
void SetExecutablePath(const String& windowsPath);
// Tests: the arguments this process reports (ParamStr(1) ...).
void SetCommandLineArguments(const StringList& arguments);

// The machine of this process. When none can be found, Found() is false and
// every platform call fails as on a machine without the file or key.
class Machine {
 public:
  bool Found() const;
  const std::string& Root() const;  // host folder, no trailing "/"
  const MachineConfig& Config() const;
  // Host path of a Windows path on drive C:, each component matched without
  // regard to case against what exists (names are kept as first created);
  // missing trailing components are kept as given. False (with a Windows error
  // number) for another drive, a path of 260 characters or more, or a path
  // that would leave the machine.
  bool HostPath(const String& windowsPath, std::string& hostPath, uint32_t& error) const;
  // The Windows path ("C:\...") of a host path inside drive_c; "" outside it.
  String WindowsPath(const std::string& hostPath) const;
  void AppendToolLog(const std::string& line) const;
  const RunningAccount& Account() const;
};

// Gives a user a profile folder (C:\Users\NAME\AppData\Roaming and
// \Local), as the first logon does. False when it cannot be made.
[[nodiscard]] bool CreateUserProfile(const String& user);

Machine& CurrentMachine();
// Re-reads machine.ini and the running account (after a test changed them).
void ReloadMachine();

}  // namespace sim
