// An installed copy's uninstaller, for the tests that replace such a copy: it
// appends its arguments (one run a line) to ran.txt beside itself and, when
// entry.txt beside itself names a registry key under HKEY_LOCAL_MACHINE,
// removes that key's "UninstallString", as a successful uninstall does.
#include <string>

#include "platform/files.h"
#include "platform/registry.h"

int main() {
  const String folder = win::ExecutableFolder();
  std::string ran;
  // Missing before the first run: the list starts empty.
  (void)win::ReadFileBytes(folder + u"ran.txt", ran);
  std::string line;
  for (const String& argument : win::CommandLineArguments()) line += (line.empty() ? "" : " ") + win::ToUtf8(argument);
  // A list that cannot be written shows as a run missing from it, which the tests look at.
  (void)win::WriteFileBytes(folder + u"ran.txt", ran + line + "\n");

  std::string entry;
  if (win::ReadFileBytes(folder + u"entry.txt", entry) && !entry.empty()) {
    win::Registry registry;
    registry.SetRootKey(win::RootKey::LocalMachine);
    // A value that stays shows as an uninstall that failed, which the tests look at.
    if (registry.OpenKey(win::FromUtf8(entry), false)) (void)registry.DeleteValue(u"UninstallString");
  }
  return 0;
}
