// Loading a 5,000-line language file and 10,000 text lookups, timed together.
// Runs on a fresh simulated machine in a temporary folder; prints the best and
// the median of several rounds. The target is well under 50 ms per round.
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/ini.h"
#include "platform/sim/machine.h"
#include "text/language_management.h"

namespace {

constexpr int kLines = 5000;
constexpr int kLookups = 10000;
constexpr int kRounds = 15;

// About what a real wizard file holds: a few sections, control captions with
// escapes and line markers, message texts, and some Chinese text.
String MakeLanguageFile() {
  String text;
  int line = 0;
  for (int section = 0; line < kLines; ++section) {
    text += u"[Section" + win::IntToStr(section) + u"]\r\n";
    ++line;
    for (int k = 0; k < 500 && line < kLines; ++k, ++line) {
      text += u"FWelcome->lb_Control" + win::IntToStr(k) + u"->Caption = Caption text " +
              win::IntToStr(k) + u"%B12with blanks@RETURN@and a second line 安装向导\r\n";
    }
  }
  return text;
}

}  // namespace

int main() {
  const char* tmp = getenv("TMPDIR");
  std::string dir = std::string(tmp && *tmp ? tmp : "/tmp") + "/zxbench-XXXXXX";
  if (mkdtemp(dir.data()) == nullptr) return 1;
  std::string error;
  if (!sim::CreateMachine(dir + "/m", {}, error)) {
    std::fprintf(stderr, "cannot create a machine: %s\n", error.c_str());
    return 1;
  }
  sim::UseMachine(dir + "/m");

  const String texts = u"C:\\Bench\\Texts\\";
  // A folder that cannot be made fails the language file's write below, which
  // ends the benchmark.
  (void)win::CreateDirectory(u"C:\\Bench");
  (void)win::CreateDirectory(texts);
  (void)win::CreateDirectory(texts + u"LanguageIni");
  (void)win::CreateDirectory(texts + u"LanguageIni\\English");
  const String file = texts + u"LanguageIni\\English\\Install_English.ini";
  if (!win::WriteFileBytes(file, "\xFF\xFE" + win::EncodeText(MakeLanguageFile(), win::TextEncoding::Utf16LE))) {
    std::fprintf(stderr, "cannot write the language file\n");
    return 1;
  }

  std::vector<String> sections, keys;
  for (int i = 0; i < kLookups; ++i) {
    sections.push_back(u"section" + win::IntToStr(i % 10));  // other letter case on purpose
    keys.push_back(u"FWelcome->lb_Control" + win::IntToStr((i * 7) % 520) + u"->Caption");
  }

  // Wall-clock and processor time: the second is steadier on a busy machine.
  std::vector<double> rounds, cpuRounds;
  size_t found = 0;
  for (int r = 0; r < kRounds; ++r) {
    std::clock_t cpuStart = std::clock();
    auto start = std::chrono::steady_clock::now();
    TlanguageManagement t;
    t.LoadLanguage(texts, 1033, u"Install", u"");
    for (int i = 0; i < kLookups; ++i)
      if (t.GetText(sections[i], keys[i]) != kTextNotFound) ++found;
    auto end = std::chrono::steady_clock::now();
    rounds.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    cpuRounds.push_back(1000.0 * static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC);
  }
  std::sort(rounds.begin(), rounds.end());
  std::sort(cpuRounds.begin(), cpuRounds.end());
  std::printf("language_load: %d lines + %d lookups: best %.2f ms, median %.2f ms wall; "
              "median %.2f ms processor (%zu found)\n",
              kLines, kLookups, rounds.front(), rounds[rounds.size() / 2], cpuRounds[cpuRounds.size() / 2],
              found / kRounds);

  sim::UseMachine(std::string());
  std::error_code ec;
  std::filesystem::remove_all(dir, ec);
  return 0;
}
