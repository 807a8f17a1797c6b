// winsim: makes simulated Windows machines, runs programs on them and shows
// what is on them.
#include <stdlib.h>
#include <sys/stat.h>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>

#include "platform/files.h"
#include "platform/process.h"
#include "platform/sim/machine.h"
#include "platform/sim/process_sim.h"
#include "preview.h"
#include "winsim.h"

namespace winsim {

namespace {

void PrintUsage() {
  std::string text =
      "usage: winsim COMMAND ...\n"
      "  winsim new DIR [name=value ...]   make a machine (admin=0, is64Bit=0, codePage=936,\n"
      "                                     systemLangId=2052, everyone=Jeder, osMajor=6,\n"
      "                                     freeBytes=100000 ...)\n"
      "  winsim run [OPTIONS] DIR 'C:\\path\\Program.exe' [args ...]\n"
      "                                     run a program on the machine; exits with its exit code\n";
  for (const RunOption& option : RunOptions()) text += "      " + option.usage + "\n";
  text +=
      "  winsim reg DIR                     the registry as .reg text\n"
      "  winsim files DIR [C:\\path]         files and folders with attributes, time and size\n"
      "  winsim log DIR                     the machine's tool log\n"
      "  winsim preview PACKAGE OUT [--lookups FILE]\n"
      "                                     every screen of the package in every language as PNG,\n"
      "                                     OUT/index.html and the marks in OUT/marks.txt\n"
      "                                     (exit code 3 when something is marked); FILE gets\n"
      "                                     the text keys and pictures the program looked up\n";
  std::cerr << text;
}

std::string Trimmed(const std::string& s) {
  size_t b = s.find_first_not_of(" \t\r\n");
  if (b == std::string::npos) return std::string();
  return s.substr(b, s.find_last_not_of(" \t\r\n") - b + 1);
}

bool IsNumber(const std::string& value) {
  if (value.empty() || value.size() > 10) return false;
  for (char c : value) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

// machine.ini must read as the machine reads it: a [machine] section and
// name=value lines; the numbers and switches it knows must be numbers.
bool CheckMachineIni(const std::string& path, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "cannot read " + path;
    return false;
  }
  static const char* const kNumbers[] = {"userLangId", "systemLangId", "osMajor",      "osMinor", "osBuild",
                                         "codePage",   "screenWidth",  "screenHeight", "dpi"};
  static const char* const kSwitches[] = {"admin", "is64Bit"};
  std::string line;
  int number = 0;
  bool section = false;
  while (std::getline(in, line)) {
    ++number;
    if (number == 1 && line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);
    line = Trimmed(line);
    if (line.empty() || line[0] == ';' || line[0] == '#') continue;
    std::string where = "damaged machine.ini, line " + std::to_string(number);
    if (line.front() == '[' && line.back() == ']') {
      section = section || Trimmed(line.substr(1, line.size() - 2)) == "machine";
      continue;
    }
    size_t eq = line.find('=');
    if (eq == std::string::npos || eq == 0 || win::FromUtf8(line).find(u'\uFFFD') != String::npos) {
      error = where + ": not a name=value line";
      return false;
    }
    std::string name = Trimmed(line.substr(0, eq));
    std::string value = Trimmed(line.substr(eq + 1));
    for (const char* n : kNumbers) {
      if (name == n && !IsNumber(value)) {
        error = where + ": " + name + " is not a number";
        return false;
      }
    }
    for (const char* n : kSwitches) {
      if (name == n && value != "0" && value != "1" && value != "true" && value != "false") {
        error = where + ": " + name + " is not 0 or 1";
        return false;
      }
    }
  }
  if (!section) {
    error = "damaged machine.ini: no [machine] section";
    return false;
  }
  return true;
}

int New(const std::vector<std::string>& args) {
  if (args.empty()) return Fail("new: no folder given");
  std::string error;
  std::vector<std::string> overrides(args.begin() + 1, args.end());
  if (!sim::CreateMachine(args[0], overrides, error)) return Fail("new: " + error);
  return 0;
}

constexpr const char* kUserOption = "--user";

// The program and whatever it starts run as the standard user `name`, who
// gets a profile folder when it has none yet.
bool RunAsUser(const std::string& name, std::string& error) {
  const String user = win::FromUtf8(name);
  if (name.empty() || !sim::CreateUserProfile(user)) {
    error = "run: cannot run as user \"" + name + "\"";
    return false;
  }
  setenv(sim::kRunAsVariable, name.c_str(), 1);
  sim::ReloadMachine();
  return true;
}

[[maybe_unused]] const bool userRegistered = RegisterRunOption(
    {kUserOption, true, "--user NAME    run it as the standard user NAME (not an administrator)", nullptr});

// winsim run [OPTIONS] DIR PROGRAM [args ...]
int Run(const std::vector<std::string>& args) {
  RunRequest request;
  size_t i = 0;
  for (; i < args.size() && args[i].compare(0, 2, "--") == 0; ++i) {
    const RunOption* known = nullptr;
    for (const RunOption& option : RunOptions()) {
      if (option.name == args[i]) known = &option;
    }
    if (known == nullptr) return Fail("run: unknown option " + args[i]);
    std::string value;
    if (known->takesValue) {
      if (i + 1 >= args.size()) return Fail("run: " + args[i] + " needs a value");
      value = args[++i];
    }
    request.options[known->name] = value;
  }
  if (i + 2 > args.size()) return Fail("run: give the machine folder and the program");
  request.machineDir = args[i];
  request.program = win::FromUtf8(args[i + 1]);
  for (size_t j = i + 2; j < args.size(); ++j) request.arguments.push_back(win::FromUtf8(args[j]));

  std::string error;
  if (!OpenMachine(request.machineDir, error)) return Fail(error);
  if (auto user = request.options.find(kUserOption); user != request.options.end()) {
    if (!RunAsUser(user->second, error)) return Fail(error);
  }
  for (const RunOption& option : RunOptions()) {
    if (option.run && request.options.count(option.name)) return option.run(request);
  }
  uint32_t processId = 0;
  if (!StartProgram(request, processId, error)) return Fail(error);
  uint32_t exitCode = 0;
  if (!sim::WaitForProcess(processId, exitCode)) return Fail("run: lost the started program");
  // A host exit code fits; a tool's Windows error number does not, and still fails.
  return exitCode <= 255 ? static_cast<int>(exitCode) : 1;
}

}  // namespace

String RunRequest::CommandLine() const {
  String line = u"\"" + program + u"\"";
  for (const String& a : arguments) line += u" " + sim::QuoteArgument(a);
  return line;
}

namespace {

std::vector<RunOption>& OptionTable() {
  static std::vector<RunOption> options;
  return options;
}

}  // namespace

bool RegisterRunOption(RunOption option) {
  OptionTable().push_back(std::move(option));
  return true;
}

const std::vector<RunOption>& RunOptions() { return OptionTable(); }

int Fail(const std::string& message) {
  std::string line = message;
  for (char& c : line) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  std::cerr << "winsim: " << line << std::endl;
  return 1;
}

bool OpenMachine(const std::string& dir, std::string& error) {
  struct stat st;
  if (dir.empty() || stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    error = "no machine at " + dir + ": no such folder";
    return false;
  }
  if (stat((dir + "/machine.ini").c_str(), &st) != 0) {
    error = "no machine at " + dir + ": it holds no machine.ini";
    return false;
  }
  if (!CheckMachineIni(dir + "/machine.ini", error)) {
    error = dir + ": " + error;
    return false;
  }
  if (stat((dir + "/drive_c").c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    error = "damaged machine at " + dir + ": drive_c is missing";
    return false;
  }
  sim::UseMachine(dir);
  if (!sim::CurrentMachine().Found()) {
    error = "no machine at " + dir;
    return false;
  }
  return true;
}

bool StartProgram(const RunRequest& request, uint32_t& processId, std::string& error) {
  const String& program = request.program;
  if (program.find_first_of(u"\\/:") != String::npos) {
    std::string host;
    uint32_t code = 0;
    if (!sim::CurrentMachine().HostPath(program, host, code)) {
      error = "path outside the machine: " + win::ToUtf8(program);
      return false;
    }
  }
  processId = win::CreateProcessNoWait(request.CommandLine(), 0);
  if (processId == 0) {
    uint32_t code = win::GetLastError();
    error = "cannot start " + win::ToUtf8(program) + ": " + win::ToUtf8(win::SysErrorMessage(code)) + " (" +
            std::to_string(code) + ")";
    return false;
  }
  return true;
}

}  // namespace winsim

int main(int argc, char** argv) {
  if (argc < 2) {
    winsim::PrintUsage();
    return 2;
  }
  std::string command = argv[1];
  std::vector<std::string> args(argv + 2, argv + argc);
  if (command == "new") return winsim::New(args);
  if (command == "run") return winsim::Run(args);
  if (command == "preview") return winsim::Preview(args);
  if (command == "reg" || command == "files" || command == "log") {
    if (args.empty()) return winsim::Fail(command + ": no machine folder given");
    if (command == "files" && args.size() > 2) return winsim::Fail("files: too many arguments");
    if (command != "files" && args.size() > 1) return winsim::Fail(command + ": too many arguments");
    std::string error;
    if (!winsim::OpenMachine(args[0], error)) return winsim::Fail(error);
    if (command == "reg") return winsim::ShowRegistry(args[0]);
    if (command == "log") return winsim::ShowLog(args[0]);
    return winsim::ShowFiles(args[0], args.size() > 1 ? args[1] : std::string("C:\\"));
  }
  if (command == "help" || command == "--help" || command == "-h") {
    winsim::PrintUsage();
    return 0;
  }
  return winsim::Fail("unknown command " + command + " (run winsim without arguments for help)");
}
