// Top-level windows on the simulated machine: the window table in
// <machine>/windows/, FindWindow, PostMessage, GetWindowThreadProcessId,
// GetDesktopWindow and RegisterWindowMessage.
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>

#include "platform/files.h"
#include "platform/process.h"
#include "platform/sim/machine.h"
#include "platform/sim/machine_internal.h"
#include "platform/sim/windows_table.h"

namespace sim {

namespace {

constexpr win::WindowHandle kDesktopWindow = 0x10010;
constexpr win::WindowHandle kFirstWindow = 0x20010;
constexpr win::WindowHandle kHandleStep = 4;
constexpr uint32_t kFirstRegisteredMessage = 0xC000;
constexpr uint32_t kRegisteredMessageCount = 0x4000;
constexpr uint32_t kErrorInvalidWindowHandle = 1400;

// ---- host helpers -----------------------------------------------------------

// The start time of a live (not zombie) process, from /proc/<pid>/stat.
bool ProcessStartTime(uint32_t pid, uint64_t& start) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  size_t paren = text.rfind(')');
  if (paren == std::string::npos) return false;
  std::istringstream fields(text.substr(paren + 1));
  std::string state;
  fields >> state;  // field 3
  if (state == "Z" || state == "X" || state == "x") return false;
  std::string value;
  for (int field = 4; field <= 22 && fields >> value; ++field) {
  }
  if (!fields) return false;
  start = strtoull(value.c_str(), nullptr, 10);
  return true;
}

bool Alive(uint32_t pid, uint64_t start) {
  uint64_t now = 0;
  return ProcessStartTime(pid, now) && now == start;
}

uint32_t SelfPid() { return static_cast<uint32_t>(getpid()); }

// Read once per process (the message loop asks for it all the time).
uint64_t SelfStart() {
  static std::mutex mutex;
  static uint32_t pid = 0;
  static uint64_t start = 0;
  std::lock_guard<std::mutex> lock(mutex);
  if (pid != SelfPid()) {
    pid = SelfPid();
    start = 0;
    ProcessStartTime(pid, start);
  }
  return start;
}

// An open file held under flock for the object's life.
class LockedFile {
 public:
  LockedFile(const std::string& path, int flags) {
    fd_ = open(path.c_str(), flags | O_CLOEXEC, 0644);
    if (fd_ >= 0) flock(fd_, LOCK_EX);
  }
  ~LockedFile() {
    if (fd_ >= 0) {
      flock(fd_, LOCK_UN);
      close(fd_);
    }
  }
  LockedFile(const LockedFile&) = delete;
  LockedFile& operator=(const LockedFile&) = delete;
  int fd() const { return fd_; }

  std::string ReadAll() const {
    std::string text;
    if (fd_ < 0) return text;
    lseek(fd_, 0, SEEK_SET);
    char buffer[4096];
    ssize_t n;
    while ((n = read(fd_, buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR)) {
      if (n > 0) text.append(buffer, static_cast<size_t>(n));
    }
    return text;
  }
  bool WriteAll(const std::string& text) const { return sim::WriteAll(fd_, text.data(), text.size()); }
  bool Replace(const std::string& text) const {
    if (fd_ < 0 || ftruncate(fd_, 0) != 0) return false;
    lseek(fd_, 0, SEEK_SET);
    return WriteAll(text);
  }

 private:
  int fd_ = -1;
};

bool WriteAtomically(const std::string& path, const std::string& text) {
  std::string temp = path + ".tmp" + std::to_string(getpid());
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out << text;
    if (!out) return false;
  }
  return rename(temp.c_str(), path.c_str()) == 0;
}

// ---- the table ------------------------------------------------------------

// The window folder of the current machine; "" without a machine.
std::string TableDir(bool create = true) {
  Machine& machine = CurrentMachine();
  if (!machine.Found()) return std::string();
  std::string dir = machine.Root() + "/windows";
  if (create) mkdir(dir.c_str(), 0755);
  return dir;
}

std::string HandleName(win::WindowHandle window) {
  char name[32];
  snprintf(name, sizeof name, "%08" PRIXPTR ".win", window);
  return name;
}

std::string QueueName(uint32_t pid, uint64_t start) {
  return std::to_string(pid) + "-" + std::to_string(start) + ".queue";
}

struct Entry {
  uint32_t pid = 0;
  uint64_t start = 0;
  String title;
};

std::string EntryText(const Entry& e) {
  return std::to_string(e.pid) + " " + std::to_string(e.start) + " " + win::ToUtf8(e.title) + "\n";
}

bool ReadEntry(const std::string& path, Entry& entry) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!text.empty() && text.back() == '\n') text.pop_back();
  size_t first = text.find(' ');
  size_t second = first == std::string::npos ? first : text.find(' ', first + 1);
  if (second == std::string::npos) return false;
  char* end = nullptr;
  unsigned long pid = strtoul(text.c_str(), &end, 10);
  if (end != text.c_str() + first || pid == 0) return false;
  entry.pid = static_cast<uint32_t>(pid);
  entry.start = strtoull(text.c_str() + first + 1, nullptr, 10);
  entry.title = win::FromUtf8(text.substr(second + 1));
  return true;
}

struct Local {
  std::string root;  // the machine the window was published on ("" none)
  String title;
};

struct State {
  std::mutex mutex;
  std::map<std::pair<std::string, win::WindowHandle>, Local> own;
  win::WindowHandle nextLocal = kFirstWindow;
  std::deque<PostedMessage> queued;
  LocalDelivery hook;
  std::map<std::string, std::map<String, uint32_t>> messageNumbers;  // per machine root
};

State& TheState() {
  static State state;
  return state;
}

std::string CurrentRoot() {
  Machine& machine = CurrentMachine();
  return machine.Found() ? machine.Root() : std::string();
}

win::WindowHandle AllocateHandle(const std::string& dir) {
  LockedFile counter(dir + "/counter", O_RDWR | O_CREAT);
  win::WindowHandle next = strtoull(counter.ReadAll().c_str(), nullptr, 16);
  if (next < kFirstWindow) next = kFirstWindow;
  // A damaged counter never hands out the handle of a window that exists.
  struct stat st;
  while (stat((dir + "/" + HandleName(next)).c_str(), &st) == 0) next += kHandleStep;
  char text[32];
  snprintf(text, sizeof text, "%" PRIXPTR "\n", next + kHandleStep);
  counter.Replace(text);
  return next;
}

// Clears away the windows and queues of processes that have ended.
void Prune(const std::string& dir) {
  DIR* d = opendir(dir.c_str());
  if (d == nullptr) return;
  std::vector<std::string> stale;
  while (dirent* e = readdir(d)) {
    std::string name = e->d_name;
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".win") == 0) {
      Entry entry;
      if (ReadEntry(dir + "/" + name, entry) && !Alive(entry.pid, entry.start)) stale.push_back(name);
    } else if (name.size() > 6 && name.compare(name.size() - 6, 6, ".queue") == 0) {
      unsigned long pid = 0;
      unsigned long long start = 0;
      if (sscanf(name.c_str(), "%lu-%llu.queue", &pid, &start) == 2 &&
          !Alive(static_cast<uint32_t>(pid), start)) {
        stale.push_back(name);
      }
    }
  }
  closedir(d);
  for (const std::string& name : stale) unlink((dir + "/" + name).c_str());
}

bool IsOwn(State& s, win::WindowHandle window, const std::string& root) {
  return s.own.count({root, window}) != 0;
}

// The live owner of a published window of another process.
bool FindOwner(win::WindowHandle window, Entry& entry) {
  std::string dir = TableDir(false);
  return !dir.empty() && ReadEntry(dir + "/" + HandleName(window), entry) && Alive(entry.pid, entry.start);
}

bool DeliverLocally(const PostedMessage& message) {
  State& s = TheState();
  LocalDelivery hook;
  {
    std::lock_guard<std::mutex> lock(s.mutex);
    if (!s.hook) {
      s.queued.push_back(message);
      return true;
    }
    hook = s.hook;
  }
  return hook(message);
}

bool AppendToQueue(const std::string& dir, const Entry& owner, const PostedMessage& m) {
  LockedFile queue(dir + "/" + QueueName(owner.pid, owner.start), O_WRONLY | O_CREAT | O_APPEND);
  if (queue.fd() < 0) return false;
  char line[96];
  snprintf(line, sizeof line, "%" PRIuPTR " %u %" PRIuPTR " %" PRIdPTR "\n", m.window, m.message, m.wParam,
           m.lParam);
  return queue.WriteAll(line);
}

uint32_t HashName(const String& upper) {
  uint32_t h = 2166136261u;
  for (char16_t c : upper) {
    h = (h ^ (c & 0xFF)) * 16777619u;
    h = (h ^ (c >> 8)) * 16777619u;
  }
  return h;
}

// The first number from the name's hash on that no other name holds.
uint32_t FreeNumber(const String& upper, const std::map<String, uint32_t>& taken) {
  uint32_t slot = HashName(upper) % kRegisteredMessageCount;
  for (uint32_t tries = 0; tries < kRegisteredMessageCount; ++tries) {
    uint32_t number = kFirstRegisteredMessage + (slot + tries) % kRegisteredMessageCount;
    bool used = false;
    for (const auto& [name, n] : taken) used = used || n == number;
    if (!used) return number;
  }
  return 0;  // every number is taken
}

}  // namespace

// ---- windows_table.h --------------------------------------------------------

win::WindowHandle PublishWindow(const String& title) {
  State& s = TheState();
  std::string dir = TableDir();
  std::string root = CurrentRoot();
  win::WindowHandle window;
  if (dir.empty()) {
    std::lock_guard<std::mutex> lock(s.mutex);
    window = s.nextLocal;
    s.nextLocal += kHandleStep;
  } else {
    Prune(dir);
    window = AllocateHandle(dir);
    WriteAtomically(dir + "/" + HandleName(window), EntryText({SelfPid(), SelfStart(), title}));
  }
  std::lock_guard<std::mutex> lock(s.mutex);
  s.own[{root, window}] = {root, title};
  return window;
}

void RenameWindow(win::WindowHandle window, const String& title) {
  State& s = TheState();
  std::string root = CurrentRoot();
  {
    std::lock_guard<std::mutex> lock(s.mutex);
    auto it = s.own.find({root, window});
    if (it == s.own.end()) return;
    it->second.title = title;
  }
  std::string dir = TableDir();
  if (!dir.empty()) WriteAtomically(dir + "/" + HandleName(window), EntryText({SelfPid(), SelfStart(), title}));
}

void UnpublishWindow(win::WindowHandle window) {
  State& s = TheState();
  std::string root = CurrentRoot();
  {
    std::lock_guard<std::mutex> lock(s.mutex);
    if (s.own.erase({root, window}) == 0) return;
  }
  std::string dir = TableDir();
  if (!dir.empty()) unlink((dir + "/" + HandleName(window)).c_str());
}

std::vector<PostedMessage> TakePostedMessages() {
  std::vector<PostedMessage> out;
  std::string dir = TableDir(false);
  if (!dir.empty()) {
    std::string path = dir + "/" + QueueName(SelfPid(), SelfStart());
    struct stat st;
    if (stat(path.c_str(), &st) == 0 && st.st_size > 0) {
      LockedFile queue(path, O_RDWR);
      std::istringstream lines(queue.ReadAll());
      queue.Replace(std::string());
      std::string line;
      while (std::getline(lines, line)) {
        PostedMessage m;
        char* p = line.data();
        char* end = nullptr;
        m.window = static_cast<win::WindowHandle>(strtoull(p, &end, 10));
        if (end == p) continue;
        m.message = static_cast<uint32_t>(strtoul(p = end, &end, 10));
        m.wParam = static_cast<uintptr_t>(strtoull(p = end, &end, 10));
        m.lParam = static_cast<intptr_t>(strtoll(p = end, &end, 10));
        out.push_back(m);
      }
    }
  }
  State& s = TheState();
  std::lock_guard<std::mutex> lock(s.mutex);
  out.insert(out.end(), s.queued.begin(), s.queued.end());
  s.queued.clear();
  return out;
}

bool HasPostedMessages() {
  State& s = TheState();
  {
    std::lock_guard<std::mutex> lock(s.mutex);
    if (!s.queued.empty()) return true;
  }
  std::string dir = TableDir(false);
  if (dir.empty()) return false;
  struct stat st;
  return stat((dir + "/" + QueueName(SelfPid(), SelfStart())).c_str(), &st) == 0 && st.st_size > 0;
}

void SetLocalDeliveryHook(LocalDelivery hook) {
  State& s = TheState();
  std::lock_guard<std::mutex> lock(s.mutex);
  s.hook = std::move(hook);
}

}  // namespace sim

// ---- process.h ----------------------------------------------------------------

namespace win {

WindowHandle FindWindow(const String& title) {
  sim::State& s = sim::TheState();
  std::string dir = sim::TableDir(false);
  if (dir.empty()) {
    std::lock_guard<std::mutex> lock(s.mutex);
    for (const auto& [key, local] : s.own) {
      if (key.first.empty() && local.title == title) return key.second;
    }
    return 0;
  }
  // The oldest live window with exactly this title.
  WindowHandle found = 0;
  DIR* d = opendir(dir.c_str());
  if (d == nullptr) return 0;
  while (dirent* e = readdir(d)) {
    std::string name = e->d_name;
    if (name.size() != 12 || name.compare(8, 4, ".win") != 0) continue;
    WindowHandle window = static_cast<WindowHandle>(strtoull(name.substr(0, 8).c_str(), nullptr, 16));
    if (found != 0 && window > found) continue;
    sim::Entry entry;
    if (sim::ReadEntry(dir + "/" + name, entry) && entry.title == title && sim::Alive(entry.pid, entry.start)) {
      found = window;
    }
  }
  closedir(d);
  return found;
}

WindowHandle GetDesktopWindow() { return sim::kDesktopWindow; }

bool PostMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  const sim::PostedMessage posted{window, message, wParam, lParam};
  if (window == sim::kDesktopWindow) return true;  // nobody listens there
  sim::State& s = sim::TheState();
  std::string root = sim::CurrentRoot();
  bool own;
  {
    std::lock_guard<std::mutex> lock(s.mutex);
    own = sim::IsOwn(s, window, root);
  }
  if (own) return sim::DeliverLocally(posted);
  sim::Entry owner;
  if (!sim::FindOwner(window, owner)) {
    SetLastError(sim::kErrorInvalidWindowHandle);
    return false;
  }
  if (owner.pid == sim::SelfPid()) return sim::DeliverLocally(posted);
  if (!sim::AppendToQueue(sim::TableDir(), owner, posted)) {
    SetLastError(kErrorAccessDenied);
    return false;
  }
  return true;
}

uint32_t GetWindowThreadProcessId(WindowHandle window) {
  sim::State& s = sim::TheState();
  std::string root = sim::CurrentRoot();
  {
    std::lock_guard<std::mutex> lock(s.mutex);
    if (sim::IsOwn(s, window, root)) return sim::SelfPid();
  }
  sim::Entry owner;
  if (!sim::FindOwner(window, owner)) {
    SetLastError(sim::kErrorInvalidWindowHandle);
    return 0;
  }
  return owner.pid;
}

uint32_t RegisterWindowMessage(const String& name) {
  if (name.empty()) {
    SetLastError(kErrorInvalidParameter);
    return 0;
  }
  const String upper = UpperCase(name);
  sim::State& s = sim::TheState();
  std::string root = sim::CurrentRoot();
  {
    std::lock_guard<std::mutex> lock(s.mutex);
    auto& known = s.messageNumbers[root];
    auto it = known.find(upper);
    if (it != known.end()) return it->second;
    if (root.empty()) {
      uint32_t number = sim::FreeNumber(upper, known);
      known[upper] = number;
      return number;
    }
  }
  // The machine's table: the same number for a name in every process.
  std::map<String, uint32_t> table;
  uint32_t number = 0;
  {
    sim::LockedFile file(sim::TableDir() + "/messages.tsv", O_RDWR | O_CREAT);
    std::istringstream lines(file.ReadAll());
    std::string line;
    while (std::getline(lines, line)) {
      size_t tab = line.find('\t');
      if (tab == std::string::npos) continue;
      unsigned long long n = strtoull(line.c_str(), nullptr, 10);
      bool inRange = n >= sim::kFirstRegisteredMessage &&
                     n < sim::kFirstRegisteredMessage + sim::kRegisteredMessageCount;
      if (inRange) table[UpperCase(FromUtf8(line.substr(tab + 1)))] = static_cast<uint32_t>(n);
    }
    auto it = table.find(upper);
    if (it != table.end()) {
      number = it->second;
    } else {
      number = sim::FreeNumber(upper, table);
      if (number == 0) return 0;
      lseek(file.fd(), 0, SEEK_END);
      file.WriteAll(std::to_string(number) + "\t" + ToUtf8(name) + "\n");
      table[upper] = number;
    }
  }
  std::lock_guard<std::mutex> lock(s.mutex);
  s.messageNumbers[root][upper] = number;
  return number;
}

}  // namespace win
