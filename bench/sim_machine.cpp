// Costs of the simulated machine's basic calls, for comparison with plain
// host calls:
//
//   sim_machine [N]   N small files (default 5,000) in a folder six levels
//                     deep: CopyFile of each, GetFileAttributes of each, one
//                     FindFile listing, one large CopyFile (200 MB) against
//                     cp; then N/10 registry values written one object each
//                     (every write is one locked transaction on the file).
//
// The machine lives in a temporary folder removed at the end
// (ZX_KEEP_MACHINES=1 keeps it).
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/files.h"
#include "platform/registry.h"
#include "platform/sim/machine.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

void Report(const char* what, int count, double seconds) {
  printf("%-34s %8d  %8.3f s  %9.1f us each\n", what, count, seconds, seconds * 1e6 / (count ? count : 1));
}

}  // namespace

int main(int argc, char** argv) {
  int n = argc > 1 ? atoi(argv[1]) : 5000;
  if (n <= 0) n = 5000;
  char pattern[] = "/tmp/zxbench-XXXXXX";
  if (mkdtemp(pattern) == nullptr) return 1;
  std::string dir = pattern;
  std::string error;
  if (!sim::CreateMachine(dir, {}, error)) {
    fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  sim::UseMachine(dir);
  const String src = u"C:\\Program Files (x86)\\Zorvex\\Zorvex7\\Data\\RES\\Src\\";
  const String dst = u"C:\\ProgramData\\Zorvex\\Zorvex7\\Data\\RES\\Dst\\";
  std::string host;
  uint32_t code = 0;
  for (const String& folder : {src, dst}) {
    sim::CurrentMachine().HostPath(folder, host, code);
    std::filesystem::create_directories(host);
  }
  sim::CurrentMachine().HostPath(src, host, code);
  for (int i = 0; i < n; ++i) {
    std::ofstream(host + "/file" + std::to_string(i) + ".dat") << "small file " << i << "\n";
  }

  auto t = Clock::now();
  for (int i = 0; i < n; ++i) {
    String name = u"file" + win::IntToStr(i) + u".dat";
    if (!win::CopyFile(src + name, dst + name, false)) return 2;
  }
  Report("CopyFile, small files", n, Seconds(t));

  t = Clock::now();
  for (int i = 0; i < n; ++i) win::GetFileAttributes(dst + u"FILE" + win::IntToStr(i) + u".DAT");
  Report("GetFileAttributes (other case)", n, Seconds(t));

  t = Clock::now();
  int listed = 0;
  win::FindFile find;
  win::FindData data;
  for (bool ok = find.First(dst + u"*.*", data); ok; ok = find.Next(data)) ++listed;
  Report("FindFile listing, per entry", listed, Seconds(t));

  sim::CurrentMachine().HostPath(src + u"big.bin", host, code);
  {
    std::ofstream big(host, std::ios::binary);
    std::string block(1 << 20, 'x');
    for (int i = 0; i < 200; ++i) big.write(block.data(), static_cast<std::streamsize>(block.size()));
  }
  t = Clock::now();
  // Timed as it comes: a copy that failed shows as a time far below cp's.
  (void)win::CopyFile(src + u"big.bin", dst + u"big.bin", false);
  Report("CopyFile, 200 MB", 1, Seconds(t));
  std::string target;
  sim::CurrentMachine().HostPath(dst + u"big2.bin", target, code);
  t = Clock::now();
  if (system(("cp '" + host + "' '" + target + "'").c_str()) != 0) return 3;
  Report("cp, 200 MB", 1, Seconds(t));

  int values = n / 10;
  t = Clock::now();
  for (int i = 0; i < values; ++i) {
    win::Registry reg;
    reg.SetRootKey(win::RootKey::LocalMachine);
    if (!reg.OpenKey(u"Software\\Zorvex\\Bench", true)) return 4;
    // The calls are timed, not their outcome: the key itself opened.
    (void)reg.WriteString(u"Value" + win::IntToStr(i), u"C:\\Program Files (x86)\\Zorvex7");
  }
  Report("Registry OpenKey + WriteString", values, Seconds(t));
  t = Clock::now();
  for (int i = 0; i < values; ++i) {
    win::Registry reg(win::kKeyRead);
    reg.SetRootKey(win::RootKey::LocalMachine);
    // The calls are timed, not their outcome: the write loop above opened this key.
    (void)reg.OpenKey(u"Software\\Zorvex\\Bench", false);
    reg.ReadString(u"Value" + win::IntToStr(i));
  }
  Report("Registry OpenKey + ReadString", values, Seconds(t));

  const char* keep = getenv("ZX_KEEP_MACHINES");
  if (keep && *keep && std::string(keep) != "0") {
    printf("kept machine %s\n", dir.c_str());
  } else {
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }
  return 0;
}
