// ShellExecuteW(open) on the simulated machine: the call is written to the
// tool log; a program inside the machine starts without being waited for, a
// document or folder counts as opened by its associated program.
#include <string>

#include "platform/files.h"
#include "platform/process.h"
#include "platform/shell.h"
#include "platform/sim/machine.h"

namespace win {

namespace {

bool IsProgram(const String& file) {
  String ext = LowerCase(ExtractFileExt(file));
  return ext == u".exe" || ext == u".com" || ext == u".bat" || ext == u".cmd";
}

bool IsAddress(const String& file) {
  String lower = LowerCase(file);
  return StartsWith(lower, u"http://") || StartsWith(lower, u"https://") || StartsWith(lower, u"mailto:");
}

}  // namespace

bool ShellExecuteOpen(const String& file, const String& parameters, int /*show*/) {
  const sim::Machine& m = sim::CurrentMachine();
  String line = u"ShellExecute open " + file;
  if (!parameters.empty()) line += u" " + parameters;
  m.AppendToolLog(ToUtf8(line));
  if (!m.Found()) return false;
  if (IsAddress(file)) return true;  // the browser or mail program takes it
  if (GetFileAttributes(file) == kInvalidFileAttributes) return false;  // "file not found" (2 or 3)
  if (!IsProgram(file)) return true;
  String commandLine = u"\"" + file + u"\"";
  if (!parameters.empty()) commandLine += u" " + parameters;
  return CreateProcessNoWait(commandLine, 0) != 0;
}

}  // namespace win
