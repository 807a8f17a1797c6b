// Shell services of the simulated machine: special folders as a modern
// Windows lays them out, the administrator flag of machine.ini, and change
// notices written to the tool log.
#include "platform/shell.h"

#include <cstdio>

#include "platform/sim/machine.h"

namespace win {

String SHGetSpecialFolderPath(int csidl) {
  const sim::Machine& m = sim::CurrentMachine();
  if (!m.Found()) return String();
  // A 32-bit program on a 64-bit machine gets the 32-bit Program Files.
  const String programFiles = m.Config().is64Bit ? u"C:\\Program Files (x86)" : u"C:\\Program Files";
  const String profile = u"C:\\Users\\" + m.Account().user;
  switch (csidl & 0xFF) {
    case kCsidlProgramFiles: return programFiles;
    case kCsidlProgramFilesCommon: return programFiles + u"\\Common Files";
    case kCsidlCommonAppData: return u"C:\\ProgramData";
    case kCsidlCommonPrograms: return u"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs";
    case kCsidlCommonDesktopDirectory: return u"C:\\Users\\Public\\Desktop";
    case kCsidlCommonDocuments: return u"C:\\Users\\Public\\Documents";
    case kCsidlWindows: return u"C:\\Windows";
    case kCsidlSystem: return m.Config().is64Bit ? u"C:\\Windows\\SysWOW64" : u"C:\\Windows\\System32";
    case kCsidlProfile: return profile;
    case kCsidlDesktopDirectory: return profile + u"\\Desktop";
    case kCsidlAppData: return profile + u"\\AppData\\Roaming";
    case kCsidlLocalAppData: return profile + u"\\AppData\\Local";
  }
  return String();
}

bool IsUserAnAdmin() { return sim::CurrentMachine().Account().elevated; }

void SHChangeNotify(uint32_t eventId, uint32_t /*flags*/) {
  char line[48];
  snprintf(line, sizeof line, "SHChangeNotify 0x%08X", eventId);
  sim::CurrentMachine().AppendToolLog(line);
}

}  // namespace win
