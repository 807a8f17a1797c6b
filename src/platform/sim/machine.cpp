// The simulated machine's core: machine.ini, the skeleton of a fresh machine,
// finding the machine of this process, and its tool log.
#include "platform/sim/machine.h"

#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <mutex>
#include <sstream>

#include "platform/files.h"
#include "platform/sim/disk_space.h"
#include "platform/sim/machine_internal.h"

namespace sim {

namespace {

constexpr const char* kIniName = "machine.ini";
constexpr const char* kDriveFolder = "drive_c";
constexpr const char* kRegistryName = "registry.reg";
constexpr const char* kToolLogName = "tools.log";
constexpr const char* kWindowsFolder = "windows";

struct State {
  std::mutex mutex;
  bool selected = false;  // UseMachine chose the machine (else discovery)
  bool loaded = false;
  bool found = false;
  std::string root;
  std::string realDrive;  // drive_c with every link resolved
  MachineConfig config;
  RunningAccount account;
  std::optional<String> exePath;
  std::optional<StringList> arguments;
};

State& TheState() {
  static State state;
  return state;
}

bool FileExistsHost(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

bool IsDirHost(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string Trimmed(const std::string& s) {
  size_t b = s.find_first_not_of(" \t\r\n");
  if (b == std::string::npos) return std::string();
  size_t e = s.find_last_not_of(" \t\r\n");
  return s.substr(b, e - b + 1);
}

bool ParseBool(const std::string& v, bool& out) {
  std::string l;
  for (char c : v) l.push_back(static_cast<char>(tolower(static_cast<unsigned char>(c))));
  if (l == "1" || l == "true" || l == "yes") { out = true; return true; }
  if (l == "0" || l == "false" || l == "no") { out = false; return true; }
  return false;
}

bool ParseUnsigned(const std::string& v, uint64_t max, uint64_t& out) {
  if (v.empty() || v.size() > 15) return false;
  uint64_t n = 0;
  for (char c : v) {
    if (c < '0' || c > '9') return false;
    n = n * 10 + static_cast<uint64_t>(c - '0');
  }
  if (n > max) return false;
  out = n;
  return true;
}

// Applies one name=value setting; false when the name is unknown or the value
// does not fit.
bool ApplySetting(MachineConfig& c, const std::string& name, const std::string& value) {
  uint64_t n = 0;
  auto number = [&](uint64_t max) { return ParseUnsigned(value, max, n); };
  if (name == "admin") return ParseBool(value, c.admin);
  if (name == "is64Bit") return ParseBool(value, c.is64Bit);
  if (name == "everyone") { c.everyone = win::FromUtf8(value); return true; }
  if (name == "userName") {
    if (value.empty() || value.find_first_of("/\\:*?\"<>|") != std::string::npos) return false;
    c.userName = win::FromUtf8(value);
    return true;
  }
  if (name == "userLangId") { if (!number(0xFFFF)) return false; c.userLangId = static_cast<uint16_t>(n); return true; }
  if (name == "systemLangId") { if (!number(0xFFFF)) return false; c.systemLangId = static_cast<uint16_t>(n); return true; }
  if (name == "osMajor") { if (!number(0xFFFFFFFF)) return false; c.osMajor = static_cast<uint32_t>(n); return true; }
  if (name == "osMinor") { if (!number(0xFFFFFFFF)) return false; c.osMinor = static_cast<uint32_t>(n); return true; }
  if (name == "osBuild") { if (!number(0xFFFFFFFF)) return false; c.osBuild = static_cast<uint32_t>(n); return true; }
  if (name == "codePage") { if (!number(65535)) return false; c.codePage = static_cast<uint32_t>(n); return true; }
  if (name == "screenWidth") { if (!number(100000)) return false; c.screenWidth = static_cast<int>(n); return true; }
  if (name == "screenHeight") { if (!number(100000)) return false; c.screenHeight = static_cast<int>(n); return true; }
  if (name == "freeBytes") { if (!number(999999999999999)) return false; c.freeBytes = static_cast<int64_t>(n); return true; }
  if (name == "dpi") { if (!number(10000) || n == 0) return false; c.dpi = static_cast<int>(n); return true; }
  return false;
}

std::string ConfigText(const MachineConfig& c) {
  std::ostringstream o;
  o << "[machine]\n"
    << "admin=" << (c.admin ? 1 : 0) << "\n"
    << "userLangId=" << c.userLangId << "\n"
    << "systemLangId=" << c.systemLangId << "\n"
    << "osMajor=" << c.osMajor << "\n"
    << "osMinor=" << c.osMinor << "\n"
    << "osBuild=" << c.osBuild << "\n"
    << "codePage=" << c.codePage << "\n"
    << "screenWidth=" << c.screenWidth << "\n"
    << "screenHeight=" << c.screenHeight << "\n"
    << "dpi=" << c.dpi << "\n"
    << "everyone=" << win::ToUtf8(c.everyone) << "\n"
    << "is64Bit=" << (c.is64Bit ? 1 : 0) << "\n"
    << "userName=" << win::ToUtf8(c.userName) << "\n";
  if (c.freeBytes >= 0) o << "freeBytes=" << c.freeBytes << "\n";
  return o.str();
}

// Reads machine.ini; lines outside [machine], unknown names and bad values
// are ignored (the default stays).
MachineConfig ReadConfig(const std::string& root) {
  MachineConfig c;
  std::ifstream in(root + "/" + kIniName);
  std::string line;
  bool inSection = false;
  bool first = true;
  while (std::getline(in, line)) {
    if (first && line.size() >= 3 && line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);
    first = false;
    line = Trimmed(line);
    if (line.empty() || line[0] == ';' || line[0] == '#') continue;
    if (line.front() == '[' && line.back() == ']') {
      std::string sec = Trimmed(line.substr(1, line.size() - 2));
      inSection = sec.size() == 7 && strncasecmp(sec.c_str(), "machine", 7) == 0;
      continue;
    }
    size_t eq = line.find('=');
    if (!inSection || eq == std::string::npos) continue;
    MachineConfig trial = c;
    if (ApplySetting(trial, Trimmed(line.substr(0, eq)), Trimmed(line.substr(eq + 1)))) c = trial;
  }
  return c;
}

std::string RealPathOf(const std::string& path) {
  char buf[PATH_MAX];
  if (realpath(path.c_str(), buf) == nullptr) return std::string();
  return buf;
}

std::string StripSlashes(std::string dir) {
  while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
  return dir;
}

// Loads the state for the current selection (caller holds the mutex).
void LoadLocked(State& s) {
  if (!s.selected) {
    s.root.clear();
    std::string exe = RealPathOf("/proc/self/exe");
    std::string dir = exe.empty() ? std::string() : exe.substr(0, exe.rfind('/'));
    while (!dir.empty()) {
      if (FileExistsHost(dir + "/" + kIniName)) {
        s.root = dir;
        break;
      }
      size_t slash = dir.rfind('/');
      if (slash == std::string::npos || slash == 0) break;
      dir.erase(slash);
    }
  }
  s.found = !s.root.empty() && FileExistsHost(s.root + "/" + kIniName) &&
            IsDirHost(s.root + "/" + kDriveFolder);
  s.config = s.found ? ReadConfig(s.root) : MachineConfig();
  const char* runAs = getenv(kRunAsVariable);
  if (runAs != nullptr && *runAs != '\0') {
    s.account = {win::FromUtf8(runAs), false};
  } else {
    s.account = {s.config.userName, s.config.admin};
  }
  s.realDrive = s.found ? RealPathOf(s.root + "/" + kDriveFolder) : std::string();
  s.loaded = true;
}

State& Loaded() {
  State& s = TheState();
  std::lock_guard<std::mutex> lock(s.mutex);
  if (!s.loaded) LoadLocked(s);
  return s;
}

bool WriteWhole(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

bool MakeDirs(const std::string& path) {
  std::string partial;
  size_t pos = 0;
  while (pos != std::string::npos) {
    pos = path.find('/', pos + 1);
    partial = path.substr(0, pos);
    if (partial.empty()) continue;
    if (mkdir(partial.c_str(), 0755) != 0 && errno != EEXIST) return false;
  }
  return IsDirHost(path);
}

}  // namespace

// ---------------------------------------------------------------------------

bool CreateMachine(const std::string& hostDir, const std::vector<std::string>& overrides,
                   std::string& error) {
  if (hostDir.empty()) {
    error = "no folder given for the machine";
    return false;
  }
  std::string root = StripSlashes(hostDir);
  if (FileExistsHost(root + "/" + kIniName)) {
    error = root + " already holds a machine";
    return false;
  }
  MachineConfig config;
  for (const std::string& line : overrides) {
    size_t eq = line.find('=');
    if (eq == std::string::npos) {
      error = "not a name=value setting: " + line;
      return false;
    }
    if (!ApplySetting(config, Trimmed(line.substr(0, eq)), Trimmed(line.substr(eq + 1)))) {
      error = "unknown setting or bad value: " + line;
      return false;
    }
  }
  std::string drive = root + "/" + kDriveFolder;
  std::vector<std::string> folders = {
      drive + "/Windows",
      drive + "/Windows/System32",
      drive + "/Program Files",
      drive + "/ProgramData/Microsoft/Windows/Start Menu/Programs",
      drive + "/Users/Public/Desktop",
      drive + "/Users/" + win::ToUtf8(config.userName) + "/AppData/Roaming",
      drive + "/Users/" + win::ToUtf8(config.userName) + "/AppData/Local/Temp",
      root + "/" + kWindowsFolder,
  };
  if (config.is64Bit) folders.push_back(drive + "/Program Files (x86)");
  for (const std::string& f : folders) {
    if (!MakeDirs(f)) {
      error = "cannot create " + f + ": " + strerror(errno);
      return false;
    }
  }
  // An empty registry: the export header alone, UTF-16LE with its byte-order mark.
  std::string reg = "\xFF\xFE";
  for (char c : std::string("Windows Registry Editor Version 5.00\r\n\r\n")) {
    reg.push_back(c);
    reg.push_back('\0');
  }
  if (!WriteWhole(root + "/" + kRegistryName, reg) || !WriteWhole(root + "/" + kToolLogName, "") ||
      (config.freeBytes >= 0 && !WriteWhole(root + "/" + kDiskFreeName, std::to_string(config.freeBytes))) ||
      !WriteWhole(root + "/" + kIniName, ConfigText(config))) {
    error = "cannot write the machine's files in " + root;
    return false;
  }
  return true;
}

void UseMachine(const std::string& hostDir) {
  State& s = TheState();
  std::lock_guard<std::mutex> lock(s.mutex);
  s.selected = !hostDir.empty();
  s.root = s.selected ? StripSlashes(hostDir) : std::string();
  LoadLocked(s);
  ForgetFolderListings();
}

void ReloadMachine() {
  State& s = TheState();
  std::lock_guard<std::mutex> lock(s.mutex);
  LoadLocked(s);
}

void SetExecutablePath(const String& windowsPath) {
  State& s = TheState();
  std::lock_guard<std::mutex> lock(s.mutex);
  if (windowsPath.empty())
    s.exePath.reset();
  else
    s.exePath = windowsPath;
}

void SetCommandLineArguments(const StringList& arguments) {
  State& s = TheState();
  std::lock_guard<std::mutex> lock(s.mutex);
  s.arguments = arguments;
}

std::optional<String> ExecutablePathOverride() {
  State& s = TheState();
  std::lock_guard<std::mutex> lock(s.mutex);
  return s.exePath;
}

std::optional<StringList> CommandLineArgumentsOverride() {
  State& s = TheState();
  std::lock_guard<std::mutex> lock(s.mutex);
  return s.arguments;
}

Machine& CurrentMachine() {
  static Machine machine;
  Loaded();
  return machine;
}

bool Machine::Found() const { return Loaded().found; }
const std::string& Machine::Root() const { return Loaded().root; }
const MachineConfig& Machine::Config() const { return Loaded().config; }
const RunningAccount& Machine::Account() const { return Loaded().account; }

bool CreateUserProfile(const String& user) {
  State& s = Loaded();
  if (!s.found || user.empty() || user.find_first_of(u"/\\:*?\"<>|") != String::npos) return false;
  const std::string profile = s.root + "/" + kDriveFolder + "/Users/" + win::ToUtf8(user) + "/AppData/";
  bool ok = MakeDirs(profile + "Roaming") && MakeDirs(profile + "Local/Temp");
  ForgetFolderListings();
  return ok;
}

std::string DriveRoot() {
  State& s = Loaded();
  return s.found ? s.root + "/" + kDriveFolder : std::string();
}

std::string RealDriveRoot() {
  State& s = Loaded();
  return s.found ? s.realDrive : std::string();
}

void Machine::AppendToolLog(const std::string& line) const {
  State& s = Loaded();
  if (!s.found) return;
  std::string path = s.root + "/" + kToolLogName;
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0) return;
  flock(fd, LOCK_EX);
  std::string text = line + "\n";
  const char* p = text.data();
  size_t left = text.size();
  while (left > 0) {
    ssize_t n = write(fd, p, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    p += n;
    left -= static_cast<size_t>(n);
  }
  flock(fd, LOCK_UN);
  close(fd);
}

}  // namespace sim
