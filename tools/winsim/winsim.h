// winsim, the simulated machine's command-line tool: what its command files
// share, and the hook through which a file of its own adds an option to
// `winsim run`.
//
// Adding an option (e.g. "--script FILE"): in a new file of this folder, at
// namespace scope,
//   static const bool registered = winsim::RegisterRunOption(
//       {"--script", true, "--script FILE  drive the program's screens from FILE", RunScripted});
// where RunScripted(const RunRequest&) starts the program (StartProgram below),
// does its work and returns the exit code for winsim. Options stand before DIR.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/strings.h"

namespace winsim {

struct RunRequest {
  std::string machineDir;
  String program;       // the Windows path (or bare name) of the program
  StringList arguments;
  std::map<std::string, std::string> options;  // "--script" -> "FILE" ("" for a flag)
  String CommandLine() const;  // program and arguments quoted as Windows reads them
};

struct RunOption {
  std::string name;   // "--script"
  bool takesValue = false;
  std::string usage;  // one line for the usage text
  // Runs the request instead of the plain run when the option is given;
  // returns winsim's exit code. Empty for an option that only sets how the
  // program runs (--user).
  std::function<int(const RunRequest&)> run;
};

bool RegisterRunOption(RunOption option);
const std::vector<RunOption>& RunOptions();

// Starts the request's program on its machine (already selected) without
// waiting. False with a one-line error.
bool StartProgram(const RunRequest& request, uint32_t& processId, std::string& error);

// Prints "winsim: <message>" as one line on stderr; returns the exit code 1.
int Fail(const std::string& message);

// Checks that dir holds a usable machine (folder, machine.ini that reads,
// drive_c) and selects it for this process. False with a one-line error.
bool OpenMachine(const std::string& dir, std::string& error);

// The commands that show what is on a machine.
int ShowRegistry(const std::string& dir);
int ShowFiles(const std::string& dir, const std::string& windowsPath);
int ShowLog(const std::string& dir);

}  // namespace winsim
