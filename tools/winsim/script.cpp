// winsim run --script FILE: drives a program's screens from a script, one
// action a line, as a person would (see "Driving the screens" in README.md).
// The program publishes what it shows in <machine>/ui/<pid>.state and takes
// requests from <machine>/ui/<pid>.req (platform/sim/ui_driver.h).
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <chrono>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <thread>
#include <vector>

#include "platform/process.h"
#include "platform/sim/machine.h"
#include "platform/sim/process_sim.h"
#include "platform/sim/ui_driver.h"
#include "winsim.h"

namespace winsim {

namespace {

using Clock = std::chrono::steady_clock;

std::string ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

bool ProcessAlive(uint32_t pid) {
  if (kill(static_cast<pid_t>(pid), 0) != 0) return false;
  // A process that has ended but not been waited for yet is not alive.
  const std::string stat = ReadWhole("/proc/" + std::to_string(pid) + "/stat");
  const size_t paren = stat.rfind(')');
  return paren != std::string::npos && paren + 2 < stat.size() && stat[paren + 2] != 'Z';
}

// The parent of a host process, 0 when it is gone.
uint32_t ParentOf(uint32_t pid) {
  const std::string stat = ReadWhole("/proc/" + std::to_string(pid) + "/stat");
  const size_t paren = stat.rfind(')');
  if (paren == std::string::npos) return 0;
  std::istringstream rest(stat.substr(paren + 1));
  std::string state;
  uint32_t parent = 0;
  rest >> state >> parent;
  return parent;
}

// Every process started, directly or through others, by `pid`.
std::vector<uint32_t> DescendantsOf(uint32_t pid) {
  std::vector<std::pair<uint32_t, uint32_t>> all;  // (process, parent)
  if (DIR* proc = opendir("/proc")) {
    while (dirent* e = readdir(proc)) {
      char* end = nullptr;
      const unsigned long id = std::strtoul(e->d_name, &end, 10);
      if (end == e->d_name || *end != '\0') continue;
      all.emplace_back(static_cast<uint32_t>(id), ParentOf(static_cast<uint32_t>(id)));
    }
    closedir(proc);
  }
  std::vector<uint32_t> found;
  std::vector<uint32_t> parents = {pid};
  while (!parents.empty()) {
    const uint32_t parent = parents.back();
    parents.pop_back();
    for (const auto& [id, itsParent] : all) {
      if (itsParent == parent) {
        found.push_back(id);
        parents.push_back(id);
      }
    }
  }
  return found;
}

struct Target {
  uint32_t pid = 0;
  std::string state;
};

class ScriptRunner {
 public:
  ScriptRunner(std::string folder, uint32_t pid) : folder_(std::move(folder)), pid_(pid) {
    waiter_ = std::thread([this] {
      uint32_t code = 0;
      if (sim::WaitForProcess(pid_, code)) exitCode_ = static_cast<int>(code);
      ended_ = true;
    });
  }
  ~ScriptRunner() {
    if (!ended_) {
      // Stopped before its end: whatever it started goes with it (an
      // uninstaller it handed over to, a program it launched).
      const std::vector<uint32_t> started = DescendantsOf(pid_);
      // A program that has ended by itself meanwhile needs no ending.
      (void)win::TerminateProcessById(pid_, 1);
      for (uint32_t id : started) (void)win::TerminateProcessById(id, 1);
    }
    waiter_.join();
    // The program is gone: its replies and any state it could not clear.
    for (const char* suffix : {".rep", ".req", ".state"})
      std::remove((folder_ + "/" + std::to_string(pid_) + suffix).c_str());
  }

  std::chrono::milliseconds timeout{10000};

  // Runs one action; "" on success, otherwise what went wrong.
  std::string Run(const std::vector<std::string>& words, const std::string& rest) {
    const std::string& action = words[0];
    if (action == "timeout") {
      if (words.size() != 2) return "timeout takes a number of seconds";
      try {
        timeout = std::chrono::milliseconds(static_cast<int64_t>(std::stod(words[1]) * 1000));
      } catch (...) {
        return "timeout takes a number of seconds";
      }
      return "";
    }
    if (action == "wait") {
      if (words.size() < 2) return "wait takes a form name or \"end\"";
      if (words[1] == "end") return WaitEnd(words.size() > 2 ? words[2] : "");
      return WaitForm(words[1]);
    }
    if (action == "close") {
      if (words.size() != 2) return "close takes a form name";
      return Request(words[1], {"close", words[1]});
    }
    if (action == "key") {
      if (words.size() != 3) return "key takes a form name and a key";
      return Request(words[1], {"key", words[1], words[2]});
    }
    if (action == "snapshot") {
      if (words.size() != 3) return "snapshot takes a form name and a file";
      std::string path = words[2];
      if (!path.empty() && path[0] != '/') {
        char cwd[4096];
        if (getcwd(cwd, sizeof cwd)) path = std::string(cwd) + "/" + path;
      }
      return Request(words[1], {"snapshot", words[1], path}, false);
    }
    // The actions on one control: FORM.CONTROL.
    if (words.size() < 2) return action + " takes FORM.CONTROL";
    const size_t dot = words[1].find('.');
    if (dot == std::string::npos || dot == 0 || dot + 1 == words[1].size())
      return "\"" + words[1] + "\" is not FORM.CONTROL";
    const std::string form = words[1].substr(0, dot), control = words[1].substr(dot + 1);
    if (action == "click" && words.size() == 2) return Request(form, {"click", form, control});
    if ((action == "tick" || action == "untick") && words.size() == 2)
      return Request(form, {"tick", form, control, action == "tick" ? "1" : "0"});
    if (action == "wheel" && words.size() == 3) return Request(form, {"wheel", form, control, words[2]});
    if (action == "wheel" && words.size() == 4) return Request(form, {"wheel", form, control, words[2], words[3]});
    if (action == "drag" && words.size() == 4) return Request(form, {"drag", form, control, words[2], words[3]});
    if (action == "expect" && words.size() >= 3) return Expect(form, control, words[2], rest);
    return "unknown action or wrong arguments: " + action;
  }

 private:
  // The live programs' states; the one showing the form first.
  std::vector<Target> Targets() {
    std::vector<Target> targets;
    DIR* dir = opendir(folder_.c_str());
    if (!dir) return targets;
    while (dirent* e = readdir(dir)) {
      const std::string name = e->d_name;
      if (name.size() < 7 || name.substr(name.size() - 6) != ".state") continue;
      const uint32_t pid = static_cast<uint32_t>(std::strtoul(name.c_str(), nullptr, 10));
      if (pid == 0 || !ProcessAlive(pid)) continue;
      targets.push_back(Target{pid, ReadWhole(folder_ + "/" + name)});
    }
    closedir(dir);
    return targets;
  }

  static bool Shows(const std::string& state, const std::string& form) {
    const std::string line = sim::FindStateLine(state, form);
    if (line.empty()) return false;
    const auto fields = sim::SplitTabs(line);
    return sim::StateField(fields, "visible") == "1" && sim::StateField(fields, "shown") == "1";
  }

  bool Find(const std::string& form, bool mustShow, Target& found) {
    Target fallback;
    for (Target& t : Targets()) {
      if (Shows(t.state, form)) {
        found = t;
        return true;
      }
      if (!sim::FindStateLine(t.state, form).empty()) fallback = t;
    }
    if (mustShow || fallback.pid == 0) return false;
    found = fallback;
    return true;
  }

  std::string WaitForm(const std::string& form) {
    const auto deadline = Clock::now() + timeout;
    Target t;
    while (Clock::now() < deadline) {
      if (Find(form, true, t)) return "";
      if (ended_ && Targets().empty()) return "the program ended while waiting for form " + form;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return "timeout after " + Seconds() + ": form " + form + " was not shown";
  }

  std::string WaitEnd(const std::string& code) {
    const auto deadline = Clock::now() + timeout;
    while (Clock::now() < deadline && !ended_) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    if (!ended_) return "timeout after " + Seconds() + ": the program did not end";
    if (!code.empty() && std::to_string(exitCode_.load()) != code)
      return "the program ended with exit code " + std::to_string(exitCode_.load()) + ", not " + code;
    return "";
  }

  std::string Expect(const std::string& form, const std::string& control, const std::string& property,
                     const std::string& value) {
    const auto deadline = Clock::now() + timeout;
    std::string seen;
    bool known = false;
    while (Clock::now() < deadline) {
      Target t;
      if (Find(form, false, t)) {
        const std::string line = sim::FindStateLine(t.state, form, control);
        if (line.empty()) return "form " + form + " has no control named " + control;
        known = true;
        seen = sim::StateField(sim::SplitTabs(line), property);
        // A line break of a text is written \r\n in the script.
        if (seen == value || win::EscapeField(seen) == value) return "";
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (!known) return "timeout after " + Seconds() + ": no program shows form " + form;
    return "expected " + form + "." + control + " " + property + " \"" + value + "\", found \"" + seen + "\"";
  }

  std::string Request(const std::string& form, const std::vector<std::string>& words, bool mustShow = true) {
    Target t;
    if (!Find(form, false, t)) return "no program has a form named " + form;
    if (mustShow && !Shows(t.state, form)) return "form " + form + " is not shown";
    const std::string id = std::to_string(getpid()) + "-" + std::to_string(++requests_);
    std::string line = id;
    for (const std::string& w : words) line += "\t" + sim::EscapeField(w);
    line += "\n";
    const std::string base = folder_ + "/" + std::to_string(t.pid);
    const int fd = open((base + ".req").c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    if (fd < 0) return "cannot reach the program";
    bool written = false;
    if (flock(fd, LOCK_EX) == 0) {
      written = write(fd, line.data(), line.size()) == static_cast<ssize_t>(line.size());
      flock(fd, LOCK_UN);
    }
    close(fd);
    if (!written) return "cannot reach the program";
    const auto deadline = Clock::now() + timeout;
    while (Clock::now() < deadline) {
      std::istringstream replies(ReadWhole(base + ".rep"));
      std::string reply;
      while (std::getline(replies, reply)) {
        const auto fields = sim::SplitTabs(reply);
        if (fields[0] != id) continue;
        if (fields.size() >= 2 && fields[1] == "ok") return "";
        return fields.size() >= 3 ? sim::UnescapeField(fields[2]) : "the program refused the request";
      }
      if (!ProcessAlive(t.pid)) return "the program ended before it took the request";
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return "timeout after " + Seconds() + ": the program did not take the request";
  }

  std::string Seconds() const {
    std::ostringstream s;
    s << timeout.count() / 1000.0 << " s";
    return s.str();
  }

  std::string folder_;
  uint32_t pid_;
  std::atomic<bool> ended_{false};
  std::atomic<int> exitCode_{0};
  std::thread waiter_;
  int requests_ = 0;
};

std::vector<std::string> Words(const std::string& line, std::string& restAfterThird) {
  std::vector<std::string> words;
  std::istringstream in(line);
  std::string w;
  while (in >> w) words.push_back(w);
  // The text of an expectation is everything after its third word, as written.
  restAfterThird.clear();
  size_t pos = 0;
  for (int i = 0; i < 3 && pos != std::string::npos; ++i) {
    pos = line.find_first_not_of(" \t", pos);
    if (pos == std::string::npos) break;
    pos = line.find_first_of(" \t", pos);
  }
  if (pos != std::string::npos && pos < line.size()) restAfterThird = line.substr(pos + 1);
  return words;
}

int RunScripted(const RunRequest& request) {
  const std::string scriptPath = request.options.at("--script");
  std::ifstream in(scriptPath, std::ios::binary);
  if (!in) return Fail("script " + scriptPath + ": cannot be read");
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  const std::string folder = sim::UiFolder();
  if (folder.empty()) return Fail("no machine selected");
  uint32_t pid = 0;
  std::string error;
  if (!StartProgram(request, pid, error)) return Fail(error);
  ScriptRunner runner(folder, pid);
  for (size_t n = 0; n < lines.size(); ++n) {
    std::string rest;
    const std::string trimmed = lines[n].substr(std::min(lines[n].find_first_not_of(" \t"), lines[n].size()));
    if (trimmed.empty() || trimmed[0] == '#') continue;
    const auto words = Words(trimmed, rest);
    const std::string problem = runner.Run(words, rest);
    if (!problem.empty())
      return Fail("script " + scriptPath + " line " + std::to_string(n + 1) + " (" + trimmed + "): " + problem);
  }
  return 0;
}

[[maybe_unused]] const bool registered = RegisterRunOption(
    {"--script", true, "--script FILE  drive the program's screens from FILE (see README)", RunScripted});

}  // namespace

}  // namespace winsim
