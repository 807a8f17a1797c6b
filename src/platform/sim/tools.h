// The system tools built into the simulated machine (cmd.exe, cacls.exe,
// icacls.exe) and the machine's access records they change.
//
// The tools run inside the process that starts them. They understand what
// the set-up program and an administrator would type: `cmd.exe /c` with
// `echo TEXT|` pipes and cacls or icacls behind them; `cacls PATH [/T] [/E]
// [/C] [/G|/P user:perm ...] [/R user ...]`; `icacls PATH [/reset]
// [/inheritance:e|d|r] [/grant[:r] user:perm ...] [/setowner user] [/T] [/C]
// [/Q]`. Accounts may be given by name or as "*S-1-..." identifiers. Anything
// else fails with an exit code and changes nothing; so does a path that does
// not exist or an account the machine does not know (on a machine whose
// Everyone account has another local name, "Everyone" is not known).
//
// Access records live in <machine>/acl.tsv, one line per explicit entry:
//   <path> TAB <account> TAB <rights> TAB <inheritance>
// e.g. "C:\Program Files (x86)\Zorvex7	SYSTEM	F	(OI)(CI)". Lines of
// account "-" describe the path: "no-inherit" (inherits nothing from its
// parent), "own-entries" (its lines replace the path's default entries),
// "owner" and "creator" with the account in the last field (recorded only
// when it is not Administrators). Paths are stored as the objects are
// spelled on disk, at their real place (not through a link), and matched
// without regard to case. A path without lines has the defaults of a fresh
// Windows: drive C: gives Administrators and SYSTEM full control and Users
// read and execute to everything below; C:\ProgramData inherits nothing and
// lets Users also create files and folders, which their creator then
// controls (CREATOR OWNER); each user's profile folder belongs to that user;
// every other path inherits from its parent. Changing rights needs WRITE_DAC
// or ownership (see access.h). A tool given /T changes the folder and every
// folder below it, entering links inside the machine; files follow their
// folder, except for /setowner, which reaches every file.
//
// Only the sim backend, tests and the machine tool include this header.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/strings.h"

namespace sim {

enum class SystemTool { kNone, kCmd, kCacls, kIcacls };

// The built-in tool of a file name ("cmd.exe", "ICACLS.EXE", "cacls"), any
// letter case; kNone for every other name.
SystemTool SystemToolByName(StringView fileName);

// Runs a built-in tool in this process. `arguments` is the command line after
// the program name, unchanged; `input` what a pipe feeds it. Returns the exit
// code: 0 on success, a Windows error number otherwise (2 missing path, 87 bad
// parameter, 1332 unknown account, 9009 unknown command in cmd).
[[nodiscard]] uint32_t RunSystemTool(SystemTool tool, StringView arguments, StringView input = u"");

struct AccessEntry {
  String account;      // as stored: "SYSTEM", the local Everyone name ...
  String rights;       // "F", "M", "RX", "R", "W" or a list such as "RX,W"
  String inheritance;  // "(OI)(CI)", "(OI)(CI)(IO)", "" ...
  bool inherited = false;
};

// The entries that apply to an existing file or folder, its own first and then
// those it inherits. False when the path does not exist on the machine.
bool GetAccess(const String& windowsPath, std::vector<AccessEntry>& entries);
// Whether `account` may change files there: an entry with F, M or W for the
// account itself, for the Everyone account, or for Users (every account but
// SYSTEM); Administrators covers the machine's user only on an admin machine.
bool MayWrite(const String& windowsPath, const String& account);
// The owner of an existing file or folder ("Administrators", a user's name);
// "" when the path does not exist.
String GetOwner(const String& windowsPath);
// False when the path's inheritance was cut (icacls /inheritance:r or d, cacls
// without /E).
bool InheritsAccess(const String& windowsPath);

}  // namespace sim
