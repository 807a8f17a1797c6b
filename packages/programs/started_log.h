// The sample package's programs show that they were started: each appends the
// line "started <arguments>" to "<own name>.started.log" beside itself, e.g.
// Zorvex7.started.log beside Zorvex7.exe. Only the platform's file services
// are used, so the same source builds for Windows and for the simulated
// machine, where the host build runs as the package's .exe.
#pragma once

#include <string>

#include "platform/files.h"
#include "platform/strings.h"

namespace zorvex_demo {

inline String StartedLogPath() {
  const String self = win::ExecutablePath();
  String name = win::ExtractFileName(self);
  const String ext = win::ExtractFileExt(name);
  if (!ext.empty()) name.resize(name.size() - ext.size());
  return win::ExtractFilePath(self) + name + u".started.log";
}

inline String StartedLine(const StringList& arguments) {
  String line = u"started";
  for (const String& argument : arguments) line += u" " + argument;
  return line + u"\r\n";
}

// Appends the line; false when the program cannot tell where it lies or the
// log cannot be written (the program then ends with exit code 1).
inline bool RecordStart() {
  if (win::ExecutablePath().empty()) return false;
  const String path = StartedLogPath();
  std::string bytes;
  if (win::FileExists(path) && !win::ReadFileBytes(path, bytes)) return false;
  bytes += win::ToUtf8(StartedLine(win::CommandLineArguments()));
  return win::WriteFileBytes(path, bytes);
}

}  // namespace zorvex_demo
