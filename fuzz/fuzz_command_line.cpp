// The command line and the run-mode word: any command line is cut into
// arguments as Windows cuts it, the first argument always gives one of the
// run modes, and arguments quoted by the program come back unchanged.
// Input: a command line \0 then arguments to quote, separated by NUL bytes.
#include "app/run_mode.h"
#include "fuzz_support.h"
#include "platform/sim/process_sim.h"

namespace {

constexpr const char16_t* kRunModes[] = {kRunModeInstall, kRunModeUpgrade, kRunModeOnlineUpdater,
                                         kRunModeUninstall, kRunModeUninstallAnyway, kRunModeSilentUninstall,
                                         kRunModeSilentInstall};

bool IsRunMode(const String& word) {
  for (const char16_t* mode : kRunModes)
    if (word == mode) return true;
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<std::string> f = fuzz::Fields(data, size, 2);
  const String commandLine = fuzz::Text(f[0]);

  const StringList all = sim::SplitCommandLine(commandLine);
  const StringList arguments = sim::SplitArguments(commandLine);
  if (!all.empty()) {
    FUZZ_CHECK(arguments.size() + 1 == all.size());
  }
  const String word = arguments.empty() ? String() : win::LowerCase(arguments.front());
  const String runMode = RunModeOfArgument(word);
  FUZZ_CHECK(IsRunMode(runMode));
  FUZZ_CHECK(IsUninstallMode(runMode) == (word == u"uninstall" || word == u"uninstallanyway" ||
                                         word == u"silentuninstall"));

  // Arguments the program quotes for another program come back as they were.
  StringList quoted;
  String line = u"\"C:\\Program Files\\Setup.exe\"";
  std::string_view rest = f[1];
  while (!rest.empty() || quoted.empty()) {
    const size_t nul = rest.find('\0');
    const String argument = fuzz::Text(rest.substr(0, nul));
    if (argument.find(u'\0') == String::npos) {
      quoted.push_back(argument);
      line += u" " + sim::QuoteArgument(argument);
    }
    if (nul == std::string_view::npos) break;
    rest.remove_prefix(nul + 1);
    if (quoted.size() > 16) break;
  }
  FUZZ_CHECK(sim::SplitArguments(line) == quoted);
  FUZZ_CHECK(sim::SplitCommandLine(line).front() == u"C:\\Program Files\\Setup.exe");
  return 0;
}
