// Folder tree copy on the simulated machine against `cp -r` of the same tree.
//
//   copy_tree                 small files (20,000 in nested folders) and large
//                             files (20 x 50 MB): CopyFolderTree with a status
//                             line and a bar attached, and cp -r, best of N
//                             runs (wall and CPU time); beside them the host
//                             calls the machine makes, made directly, as the
//                             least such a copy can cost on this host;
//                             then peak memory for 10,000 and 100,000 small files,
//                             each measured in a fresh child process
//   copy_tree --memory N      (child) copy N small files, print the peak RSS
//   copy_tree --runs N        runs per timing (default 3)
//   copy_tree --small-only / --large-only / --memory-only
//   copy_tree --dir DIR       machines in DIR (default /dev/shm, else /tmp)
//
// The machine lives in a temporary folder that is removed at the end
// (ZX_KEEP_MACHINES=1 keeps it).
#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/sim/machine.h"
#include "platform/status.h"
#include "platform/strings.h"
#include "util/xfunctions.h"

namespace fs = std::filesystem;

namespace {

class Status : public win::StatusLine {
 public:
  void SetStatusText(const String& text) override {
    last = text;
    ++calls;
  }
  String last;
  long calls = 0;
};

class Bar : public win::ProgressIndicator {
 public:
  int Position() const override { return position; }
  void SetPosition(int value) override { position = value; }
  int position = 0;
};

struct Machine {
  std::string root;
  ~Machine() {
    if (!root.empty() && !std::getenv("ZX_KEEP_MACHINES")) fs::remove_all(root);
  }
};

// Where the machines go: --dir, else /dev/shm (memory: the figures then show
// the cost of the code rather than the state of a shared disk), else /tmp.
std::string BaseFolder(const std::string& chosen) {
  if (!chosen.empty()) return chosen;
  if (::access("/dev/shm", W_OK) == 0) return "/dev/shm";
  return "/tmp";
}

std::string gBase;

bool MakeMachine(Machine& machine) {
  std::string pattern = gBase + "/zx-bench-XXXXXX";
  if (!mkdtemp(pattern.data())) {
    std::fprintf(stderr, "cannot create a folder in %s\n", gBase.c_str());
    return false;
  }
  machine.root = pattern;
  const std::string dir = machine.root + "/m";
  std::string error;
  if (!sim::CreateMachine(dir, {}, error)) {
    std::fprintf(stderr, "cannot create machine: %s\n", error.c_str());
    return false;
  }
  sim::UseMachine(dir);
  return true;
}

std::string Host(const String& windowsPath) {
  std::string host;
  uint32_t error = 0;
  if (!sim::CurrentMachine().HostPath(windowsPath, host, error)) {
    std::fprintf(stderr, "no host path for %s (error %u)\n", win::ToUtf8(windowsPath).c_str(),
                 error);
    std::exit(2);
  }
  return host;
}

// count small files of ~1 KB in folders of 100, grouped 10 folders per parent.
void MakeSmallTree(const std::string& hostRoot, long count) {
  const std::string data(1000, 'x');
  for (long i = 0; i < count; ++i) {
    const long folder = i / 100;
    const std::string dir = hostRoot + "/group" + std::to_string(folder / 10) + "/folder" +
                            std::to_string(folder % 10);
    if (i % 100 == 0) fs::create_directories(dir);
    std::ofstream(dir + "/file" + std::to_string(i % 100) + ".dat", std::ios::binary) << data;
  }
}

void MakeLargeTree(const std::string& hostRoot, int count, long megabytes) {
  fs::create_directories(hostRoot + "/large");
  std::vector<char> block(1 << 20);
  for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<char>(i * 131 + 7);
  for (int f = 0; f < count; ++f) {
    std::ofstream out(hostRoot + "/large/blob" + std::to_string(f) + ".bin", std::ios::binary);
    for (long m = 0; m < megabytes; ++m) {
      block[0] = static_cast<char>(f + m);
      out.write(block.data(), static_cast<std::streamsize>(block.size()));
    }
  }
}

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// Wall and CPU (user + system, and user alone) seconds of one measured step.
struct Timing {
  double wall = 0;
  double cpu = 0;
  double user = 0;
};

double CpuSeconds(int who) {
  struct rusage usage;
  getrusage(who, &usage);
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double UserSeconds(int who) {
  struct rusage usage;
  getrusage(who, &usage);
  return usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6;
}

// Every run copies into a fresh folder: removing the previous copy right
// before a run makes the host file system search longer for free inodes
// (ext4 skips recently deleted ones), which would favour whoever runs second.
Timing TimeCopyFolderTree(const String& source, const String& destination, long& files) {
  fs::create_directories(Host(destination));
  ::sync();
  Status status;
  Bar bar;
  const double cpu = CpuSeconds(RUSAGE_SELF);
  const double user = UserSeconds(RUSAGE_SELF);
  const auto start = std::chrono::steady_clock::now();
  CopyFolderTree(source, destination, &status, false, u"", &bar);
  Timing timing{Seconds(start), CpuSeconds(RUSAGE_SELF) - cpu, UserSeconds(RUSAGE_SELF) - user};
  files = status.calls;
  return timing;
}

Timing TimeCp(const std::string& hostSource, const std::string& hostDestination) {
  ::sync();
  const std::string command = "cp -r '" + hostSource + "' '" + hostDestination + "'";
  const double cpu = CpuSeconds(RUSAGE_CHILDREN);
  const double user = UserSeconds(RUSAGE_CHILDREN);
  const auto start = std::chrono::steady_clock::now();
  const int rc = std::system(command.c_str());
  Timing timing{Seconds(start), CpuSeconds(RUSAGE_CHILDREN) - cpu, UserSeconds(RUSAGE_CHILDREN) - user};
  if (rc != 0) std::fprintf(stderr, "cp -r failed (%d)\n", rc);
  return timing;
}

// The host system calls the simulated machine makes to copy a tree, made
// directly: what a copy with Windows semantics costs here at the least. For
// each file: its stat, a look for it in the target folder and at the folder
// (another spelling of the name), the bytes into an unnamed file that then
// takes the name (no half file is ever seen), the last-write time kept, the
// folder's new state noted, and the attributes set afterwards.
bool NameUnnamed(int fd, int folder, const char* name) {
  if (linkat(fd, "", folder, name, AT_EMPTY_PATH) == 0) return true;
  char self[32];
  std::snprintf(self, sizeof self, "/proc/self/fd/%d", fd);
  return linkat(AT_FDCWD, self, folder, name, AT_SYMLINK_FOLLOW) == 0;
}

void BareCopyLevel(int from, int to) {
  DIR* listing = fdopendir(openat(from, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!listing) return;
  std::vector<std::pair<std::string, bool>> entries;
  while (dirent* e = readdir(listing)) {
    if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0) continue;
    struct stat st;
    if (fstatat(dirfd(listing), e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0) entries.emplace_back(e->d_name, S_ISDIR(st.st_mode));
  }
  closedir(listing);
  for (const auto& [name, folder] : entries) {
    const char* n = name.c_str();
    if (folder) {
      mkdirat(to, n, 0755);
      const int f = openat(from, n, O_PATH | O_DIRECTORY | O_CLOEXEC);
      const int t = openat(to, n, O_PATH | O_DIRECTORY | O_CLOEXEC);
      BareCopyLevel(f, t);
      close(f);
      close(t);
      continue;
    }
    struct stat st, other;
    if (fstatat(from, n, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
    if (fstatat(to, n, &other, AT_SYMLINK_NOFOLLOW) == 0) continue;
    fstat(to, &other);
    const int in = openat(from, n, O_RDONLY | O_CLOEXEC);
    const int out = openat(to, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, st.st_mode & 0777);
    for (off_t done = 0; done < st.st_size;) {
      const ssize_t part = copy_file_range(in, nullptr, out, nullptr, static_cast<size_t>(st.st_size - done), 0);
      if (part <= 0) break;
      done += part;
    }
    close(in);
    struct timespec times[2] = {{0, UTIME_OMIT}, st.st_mtim};
    futimens(out, times);
    NameUnnamed(out, to, n);
    close(out);
    fstat(to, &other);
    fstatat(to, n, &other, AT_SYMLINK_NOFOLLOW);
    fchmodat(to, n, (other.st_mode & 0777) | S_ISGID, 0);
  }
}

Timing TimeBare(const std::string& hostSource, const std::string& hostDestination) {
  fs::create_directories(hostDestination);
  ::sync();
  const double cpu = CpuSeconds(RUSAGE_SELF);
  const double user = UserSeconds(RUSAGE_SELF);
  const auto start = std::chrono::steady_clock::now();
  const int from = open(hostSource.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  const int to = open(hostDestination.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  BareCopyLevel(from, to);
  close(from);
  close(to);
  return Timing{Seconds(start), CpuSeconds(RUSAGE_SELF) - cpu, UserSeconds(RUSAGE_SELF) - user};
}

Timing Best(const std::vector<Timing>& timings) {
  Timing best = timings.front();
  for (const Timing& t : timings) {
    best.wall = std::min(best.wall, t.wall);
    best.cpu = std::min(best.cpu, t.cpu);
    best.user = std::min(best.user, t.user);
  }
  return best;
}

void CompareWithCp(const char* label, const String& source, double target, int runs,
                   bool removeEachRun) {
  const std::string hostSource = Host(source);
  std::vector<Timing> ours, theirs, bare;
  long files = 0;
  for (int run = 0; run < runs; ++run) {
    const String destination = u"C:\\BenchCopy" + win::IntToStr(run) + u"\\";
    const std::string hostCp = Host(u"C:\\BenchCp" + win::IntToStr(run));
    const std::string hostBare = Host(u"C:\\BenchBare" + win::IntToStr(run));
    // Alternate the order so neither side always meets a warmer cache.
    if (run % 2 == 0) {
      ours.push_back(TimeCopyFolderTree(source, destination, files));
      theirs.push_back(TimeCp(hostSource, hostCp));
      bare.push_back(TimeBare(hostSource, hostBare));
    } else {
      bare.push_back(TimeBare(hostSource, hostBare));
      theirs.push_back(TimeCp(hostSource, hostCp));
      ours.push_back(TimeCopyFolderTree(source, destination, files));
    }
    if (removeEachRun) {
      fs::remove_all(Host(destination));
      fs::remove_all(hostCp);
      fs::remove_all(hostBare);
    }
  }
  for (int run = 0; run < runs; ++run) {
    fs::remove_all(Host(u"C:\\BenchCopy" + win::IntToStr(run)));
    fs::remove_all(Host(u"C:\\BenchCp" + win::IntToStr(run)));
    fs::remove_all(Host(u"C:\\BenchBare" + win::IntToStr(run)));
  }
  const Timing bestOurs = Best(ours), bestCp = Best(theirs), bestBare = Best(bare);
  const double ratio = bestOurs.wall / bestCp.wall;
  std::printf("%-12s files %6ld  CopyFolderTree %7.3f s (cpu %6.3f, user %6.3f)  cp -r %7.3f s (cpu %6.3f, user %6.3f)"
              "  ratio %.2f, cpu %.2f (target <= %.2f) %s\n",
              label, files, bestOurs.wall, bestOurs.cpu, bestOurs.user, bestCp.wall, bestCp.cpu, bestCp.user,
              ratio, bestOurs.cpu / bestCp.cpu, target, ratio <= target ? "ok" : "MISSED");
  std::printf("%-12s the same host calls without the machine %7.3f s (cpu %6.3f)  ratio to cp -r %.2f\n", "",
              bestBare.wall, bestBare.cpu, bestBare.wall / bestCp.wall);
  std::fflush(stdout);
}

long ReadStatusKb(const char* field) {
  std::ifstream in("/proc/self/status");
  std::string line;
  const size_t length = std::strlen(field);
  while (std::getline(in, line)) {
    if (line.compare(0, length, field) == 0 && line.size() > length && line[length] == ':')
      return std::atol(line.c_str() + length + 1);
  }
  return -1;
}

// Child: N small files copied once; prints "rss-before hwm-after" in KB.
int MemoryChild(long count) {
  Machine machine;
  if (!MakeMachine(machine)) return 1;
  MakeSmallTree(Host(u"C:\\Source"), count);
  fs::create_directories(Host(u"C:\\Dest"));
  // Reset the high-water mark so file generation does not count.
  std::ofstream("/proc/self/clear_refs") << "5";
  const long before = ReadStatusKb("VmRSS");
  Status status;
  Bar bar;
  CopyFolderTree(u"C:\\Source\\", u"C:\\Dest\\", &status, false, u"", &bar);
  const long peak = ReadStatusKb("VmHWM");
  std::printf("%ld %ld %ld\n", status.calls, before, peak);
  return 0;
}

void MeasureMemory(const char* self) {
  long previousPeak = 0;
  for (long count : {10000L, 100000L}) {
    const std::string command = std::string("'") + self + "' --dir '" + gBase + "' --memory " +
                                std::to_string(count);
    FILE* pipe = ::popen(command.c_str(), "r");
    long files = 0, before = 0, peak = 0;
    if (!pipe || std::fscanf(pipe, "%ld %ld %ld", &files, &before, &peak) != 3) {
      std::fprintf(stderr, "memory child for %ld files failed\n", count);
      if (pipe) ::pclose(pipe);
      continue;
    }
    ::pclose(pipe);
    std::printf("memory       files %6ld  RSS before copy %6ld KB  peak during copy %6ld KB", files,
                before, peak);
    if (previousPeak > 0)
      std::printf("  (x%.2f against %ld KB for 10x fewer files)", double(peak) / previousPeak,
                  previousPeak);
    std::printf("\n");
    std::fflush(stdout);
    previousPeak = peak;
  }
}

}  // namespace

int main(int argc, char** argv) {
  bool small = true, large = true, memory = true;
  int runs = 3;
  std::string dir;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--memory" && i + 1 < argc) {
      gBase = BaseFolder(dir);
      return MemoryChild(std::atol(argv[i + 1]));
    }
    if (arg == "--dir" && i + 1 < argc) dir = argv[++i];
    else
    if (arg == "--runs" && i + 1 < argc) runs = std::max(1, std::atoi(argv[++i]));
    else if (arg == "--small-only") large = memory = false;
    else if (arg == "--large-only") small = memory = false;
    else if (arg == "--memory-only") small = large = false;
    else {
      std::fprintf(stderr,
                   "usage: %s [--dir DIR] [--runs N] [--small-only|--large-only|--memory-only]\n",
                   argv[0]);
      return 2;
    }
  }
  gBase = BaseFolder(dir);
  std::printf("machines in %s\n", gBase.c_str());
  if (small || large) {
    Machine machine;
    if (!MakeMachine(machine)) return 1;
    if (small) {
      MakeSmallTree(Host(u"C:\\Small"), 20000);
      CompareWithCp("small files", u"C:\\Small\\", 1.25, runs, false);
      fs::remove_all(Host(u"C:\\Small"));
    }
    if (large) {
      MakeLargeTree(Host(u"C:\\Large"), 20, 50);
      CompareWithCp("large files", u"C:\\Large\\", 1.10, runs, true);
    }
  }
  if (memory) MeasureMemory(argv[0]);
  return 0;
}
