// Processes on the simulated machine: programs inside drive C: run as real host
// processes, the system tools run built in, snapshots list the host processes
// whose executable lies inside the machine.
#include "platform/process.h"

#include <dirent.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>

#include "platform/files.h"
#include "platform/sim/machine.h"
#include "platform/sim/machine_internal.h"
#include "platform/sim/process_sim.h"
#include "platform/sim/tools.h"

extern char** environ;

namespace {

constexpr uint32_t kErrorBadExeFormat = 193;  // "%1 is not a valid Win32 application."
constexpr uint32_t kKilledExitCode = 1;
constexpr size_t kMaxCommandLine = 32767;
// Ids for the built-in tools started without waiting: above every host pid.
constexpr uint32_t kFirstToolId = 0x40000000;

// ---- children of this process ---------------------------------------------

struct Child {
  bool finished = false;
  uint32_t exitCode = 0;
  bool terminated = false;  // ended by TerminateProcessById of this process
  uint32_t terminateCode = 0;
};

struct Children {
  std::mutex mutex;
  std::map<uint32_t, Child> byId;  // started without waiting, not yet waited for
  uint32_t nextToolId = kFirstToolId;
};

Children& TheChildren() {
  static Children children;
  return children;
}

uint32_t ExitCodeOf(int status, const Child& child) {
  if (WIFEXITED(status)) return static_cast<uint32_t>(WEXITSTATUS(status));
  return child.terminated ? child.terminateCode : kKilledExitCode;
}

// Collects the children that have ended, so none lingers as a zombie (caller
// holds the mutex). Only known ids are waited for, never "any child".
void ReapLocked(Children& children) {
  for (auto& [id, child] : children.byId) {
    if (child.finished || id >= kFirstToolId) continue;
    int status = 0;
    pid_t r = waitpid(static_cast<pid_t>(id), &status, WNOHANG);
    if (r == static_cast<pid_t>(id)) {
      child.finished = true;
      child.exitCode = ExitCodeOf(status, child);
    } else if (r < 0 && errno == ECHILD) {
      child.finished = true;
      child.exitCode = kKilledExitCode;
    }
  }
}

void Reap() {
  Children& children = TheChildren();
  std::lock_guard<std::mutex> lock(children.mutex);
  ReapLocked(children);
}

// ---- what a command line starts -------------------------------------------

struct Launch {
  sim::SystemTool tool = sim::SystemTool::kNone;
  std::string host;  // the host program when it is not a built-in tool
  String rest;       // the command line after the program
};

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

String SystemFolder() { return u"C:\\Windows\\System32\\"; }

bool HasFolderPart(const String& name) { return name.find_first_of(u"\\/:") != String::npos; }

// A program named by a path: a built-in tool in the system folder, or a host
// file. 0 when found; otherwise the Windows error number.
uint32_t FindProgramAt(const String& path, Launch& launch) {
  String folder = win::ExtractFilePath(path);
  sim::SystemTool tool = sim::SystemToolByName(win::ExtractFileName(path));
  if (tool != sim::SystemTool::kNone &&
      (win::SameText(folder, SystemFolder()) || win::SameText(folder, u"C:\\Windows\\SysWOW64\\"))) {
    launch.tool = tool;
    return 0;
  }
  std::string host;
  uint32_t error = 0;
  if (!sim::CurrentMachine().HostPath(path, host, error)) return error;
  if (!sim::StaysInsideMachine(host)) return win::kErrorFileNotFound;
  struct stat st;
  if (stat(host.c_str(), &st) != 0) return win::kErrorFileNotFound;
  if (S_ISDIR(st.st_mode)) return win::kErrorAccessDenied;
  launch.host = host;
  launch.tool = sim::SystemTool::kNone;
  return 0;
}

// A name as CreateProcess looks it up: ".exe" is added when the name has no
// extension; a bare name is searched in the system folder and then in the
// Windows folder.
uint32_t FindProgram(String name, Launch& launch) {
  if (name.empty()) return win::kErrorFileNotFound;
  if (win::ExtractFileExt(name).empty()) name += u".exe";
  if (HasFolderPart(name)) {
    if (name.size() < 3 || name[1] != u':') {
      // A relative path: the machine has no current folder to start from.
      if (name[0] != u'\\') return win::kErrorFileNotFound;
    }
    return FindProgramAt(name, launch);
  }
  for (const String& folder : {SystemFolder(), String(u"C:\\Windows\\")}) {
    if (FindProgramAt(folder + name, launch) == 0) return 0;
  }
  return win::kErrorFileNotFound;
}

// Reads the program from the command line as CreateProcessW does with no
// application name: a quoted name up to the closing quote; an unquoted one is
// tried at every blank, shortest first ("C:\Program Files\a b.exe" tries
// "C:\Program", then "C:\Program Files\a", then the whole).
uint32_t ParseLaunch(const String& commandLine, Launch& launch) {
  // CreateProcessW takes 32,767 characters with the terminating null.
  if (commandLine.size() >= kMaxCommandLine) return win::kErrorFilenameExcedRange;
  size_t start = 0;
  while (start < commandLine.size() && IsBlank(commandLine[start])) ++start;
  if (start == commandLine.size()) return win::kErrorFileNotFound;
  if (commandLine[start] == u'"') {
    size_t close = commandLine.find(u'"', start + 1);
    if (close == String::npos) close = commandLine.size();
    uint32_t error = FindProgram(commandLine.substr(start + 1, close - start - 1), launch);
    launch.rest = close < commandLine.size() ? commandLine.substr(close + 1) : String();
    return error;
  }
  uint32_t firstError = 0;
  size_t end = start;
  while (true) {
    while (end < commandLine.size() && !IsBlank(commandLine[end])) ++end;
    uint32_t error = FindProgram(commandLine.substr(start, end - start), launch);
    if (error == 0) {
      launch.rest = commandLine.substr(end);
      return 0;
    }
    if (firstError == 0) firstError = error;
    if (end == commandLine.size()) return firstError;
    while (end < commandLine.size() && IsBlank(commandLine[end])) ++end;
  }
}

// A host file runs when it is a program the host can start: an ELF file or a
// script with "#!". Windows keeps no execute bit, so it is added when missing.
uint32_t PrepareHostProgram(const std::string& host) {
  FILE* file = fopen(host.c_str(), "rb");
  if (file == nullptr) return win::kErrorAccessDenied;
  unsigned char magic[4] = {0, 0, 0, 0};
  size_t n = fread(magic, 1, sizeof magic, file);
  fclose(file);
  bool elf = n == 4 && magic[0] == 0x7F && magic[1] == 'E' && magic[2] == 'L' && magic[3] == 'F';
  bool script = n >= 2 && magic[0] == '#' && magic[1] == '!';
  if (!elf && !script) return kErrorBadExeFormat;
  struct stat st;
  if (stat(host.c_str(), &st) == 0 && (st.st_mode & S_IXUSR) == 0) {
    chmod(host.c_str(), st.st_mode | S_IXUSR | S_IXGRP | S_IXOTH);
  }
  return 0;
}

std::string OneLine(const String& commandLine) {
  std::string line = win::ToUtf8(commandLine);
  for (char& c : line) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  return line;
}

void LogStart(const String& commandLine) {
  sim::CurrentMachine().AppendToolLog("run " + OneLine(commandLine));
}

uint32_t ErrorOfErrno(int e) {
  switch (e) {
    case ENOENT: return win::kErrorFileNotFound;
    case ENOEXEC: return kErrorBadExeFormat;
    default: return win::kErrorAccessDenied;
  }
}

// Starts a host program with the arguments the command line gives it (the
// program's own part of the command line is dropped, as the C run-time of the
// started program would read it). 0 and the pid, or the error number.
uint32_t SpawnHost(const String& commandLine, const Launch& launch, pid_t& pid) {
  if (uint32_t error = PrepareHostProgram(launch.host)) return error;
  std::vector<std::string> args{launch.host};
  for (const String& a : sim::SplitArguments(commandLine)) args.push_back(win::ToUtf8(a));
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  // Written before the start, so the line precedes whatever the program logs.
  LogStart(commandLine);
  int rc = posix_spawn(&pid, launch.host.c_str(), nullptr, nullptr, argv.data(), environ);
  return rc == 0 ? 0 : ErrorOfErrno(rc);
}

uint32_t StartBuiltIn(const String& commandLine, const Launch& launch) {
  LogStart(commandLine);
  return sim::RunSystemTool(launch.tool, launch.rest);
}

bool FailWith(uint32_t error) {
  win::SetLastError(error);
  return false;
}

uint32_t NoProcess(uint32_t error) {
  win::SetLastError(error);
  return 0;
}

// Host path of the drive with every link resolved, for comparing /proc links.
std::string RealDrive() {
  std::string drive = sim::DriveRoot();
  if (drive.empty()) return drive;
  char buffer[PATH_MAX];
  return realpath(drive.c_str(), buffer) ? std::string(buffer) : std::string();
}

// The executable of a host process when it lies inside the drive; "" otherwise.
std::string ExecutableInside(pid_t pid, const std::string& realDrive) {
  if (realDrive.empty()) return std::string();
  std::string link = "/proc/" + std::to_string(pid) + "/exe";
  char buffer[PATH_MAX];
  ssize_t n = readlink(link.c_str(), buffer, sizeof buffer - 1);
  if (n <= 0) return std::string();  // gone, a zombie, or not ours to see
  std::string exe(buffer, static_cast<size_t>(n));
  const std::string deleted = " (deleted)";
  if (exe.size() > deleted.size() && exe.compare(exe.size() - deleted.size(), deleted.size(), deleted) == 0) {
    exe.erase(exe.size() - deleted.size());
  }
  if (exe.size() <= realDrive.size() + 1 || exe.compare(0, realDrive.size(), realDrive) != 0 ||
      exe[realDrive.size()] != '/') {
    return std::string();
  }
  return exe;
}

}  // namespace

namespace win {

bool CreateProcessAndWait(const String& commandLine, uint32_t /*creationFlags*/, uint32_t* exitCode) {
  Reap();
  if (!sim::CurrentMachine().Found()) return FailWith(kErrorFileNotFound);
  Launch launch;
  if (uint32_t error = ParseLaunch(commandLine, launch)) return FailWith(error);
  if (launch.tool != sim::SystemTool::kNone) {
    const uint32_t code = StartBuiltIn(commandLine, launch);
    if (exitCode) *exitCode = code;
    return true;
  }
  pid_t pid = 0;
  if (uint32_t error = SpawnHost(commandLine, launch, pid)) return FailWith(error);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  // A program ended by a signal reports what TerminateProcess would give it.
  if (exitCode) *exitCode = WIFEXITED(status) ? static_cast<uint32_t>(WEXITSTATUS(status)) : 1;
  return true;
}

uint32_t CreateProcessNoWait(const String& commandLine, uint32_t /*creationFlags*/) {
  Reap();
  if (!sim::CurrentMachine().Found()) return NoProcess(kErrorFileNotFound);
  Launch launch;
  if (uint32_t error = ParseLaunch(commandLine, launch)) return NoProcess(error);
  Children& children = TheChildren();
  if (launch.tool != sim::SystemTool::kNone) {
    uint32_t code = StartBuiltIn(commandLine, launch);
    std::lock_guard<std::mutex> lock(children.mutex);
    uint32_t id = children.nextToolId++;
    Child& child = children.byId[id];
    child.finished = true;
    child.exitCode = code;
    return id;
  }
  pid_t pid = 0;
  if (uint32_t error = SpawnHost(commandLine, launch, pid)) return NoProcess(error);
  std::lock_guard<std::mutex> lock(children.mutex);
  children.byId[static_cast<uint32_t>(pid)] = Child();
  return static_cast<uint32_t>(pid);
}

bool SnapshotProcesses(std::vector<ProcessEntry>& processes) {
  processes.clear();
  Reap();
  std::string realDrive = RealDrive();
  DIR* proc = opendir("/proc");
  if (proc == nullptr) return FailWith(kErrorAccessDenied);
  while (dirent* e = readdir(proc)) {
    char* end = nullptr;
    long pid = strtol(e->d_name, &end, 10);
    if (end == e->d_name || *end != '\0' || pid <= 0) continue;
    std::string exe = ExecutableInside(static_cast<pid_t>(pid), realDrive);
    if (exe.empty()) continue;
    processes.push_back({static_cast<uint32_t>(pid), FromUtf8(exe.substr(exe.rfind('/') + 1))});
  }
  closedir(proc);
  return true;
}

bool TerminateProcessById(uint32_t processId, uint32_t exitCode) {
  Reap();
  Children& children = TheChildren();
  {
    std::lock_guard<std::mutex> lock(children.mutex);
    auto it = children.byId.find(processId);
    if (it != children.byId.end() && processId >= kFirstToolId) return true;  // a tool that has ended
    // Only processes of this machine: a stale id never reaches a host process.
    if (processId == 0 || processId > INT_MAX ||
        ExecutableInside(static_cast<pid_t>(processId), RealDrive()).empty()) {
      return FailWith(kErrorInvalidParameter);
    }
    if (it != children.byId.end()) {
      it->second.terminated = true;
      it->second.terminateCode = exitCode;
    }
  }
  if (kill(static_cast<pid_t>(processId), SIGKILL) != 0) return FailWith(kErrorInvalidParameter);
  return true;
}

uint32_t GetCurrentProcessId() { return static_cast<uint32_t>(getpid()); }

}  // namespace win

namespace sim {

bool WaitForProcess(uint32_t processId, uint32_t& exitCode) {
  Children& children = TheChildren();
  {
    std::lock_guard<std::mutex> lock(children.mutex);
    auto it = children.byId.find(processId);
    if (it == children.byId.end()) return false;
    if (it->second.finished) {
      exitCode = it->second.exitCode;
      children.byId.erase(it);
      return true;
    }
  }
  // Block until it ends without collecting it, then collect it under the lock.
  siginfo_t info;
  while (waitid(P_PID, static_cast<id_t>(processId), &info, WEXITED | WNOWAIT) < 0 && errno == EINTR) {
  }
  std::lock_guard<std::mutex> lock(children.mutex);
  ReapLocked(children);
  auto it = children.byId.find(processId);
  if (it == children.byId.end()) return false;
  exitCode = it->second.exitCode;
  children.byId.erase(it);
  return true;
}

}  // namespace sim
