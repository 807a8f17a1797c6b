// The run's log and exit code, for people who set up many PCs at once.
//
// The log is plain UTF-8 text with a byte-order mark, one line per event, each
// stamped with the local time. The whole file is written again after every
// line, so a run that is stopped or ends abruptly leaves all it did so far.
// Any thread may write to it.
//
// The exit code is the first failure the run met; the silent modes end with
// it, the screen modes always with 0.
#pragma once

#include <atomic>
#include <mutex>
#include <string>

#include "platform/strings.h"

enum class ExitCode : int {
  kDone = 0,
  kPackageUnusable = 1,   // error 101, or a language the package does not have
  kNewerInstalled = 2,    // error 102
  kNoAdministrator = 3,
  kInstallFailed = 4,     // the uninstaller folder, or files that could not be copied
  kOlderNotRemoved = 5,   // error 502
  kNothingInstalled = 6,  // error 201
};

class RunLog {
 public:
  // Starts the file at path (created or emptied, with the byte-order mark);
  // false, and nothing is logged, when it cannot be written.
  [[nodiscard]] bool Open(const String& path);
  bool IsOpen() const;
  String Path() const;
  // One line; nothing when no file is open.
  void Write(StringView text);

 private:
  mutable std::mutex mutex_;
  String path_;
  std::string bytes_;
};

// "yyyy-MM-dd HH:mm:ss" of the local time now.
String LogTimeStamp();
// "yyyyMMdd-HHmmss" of the local time now, for file names.
String LogFileStamp();

// The run's outcome: the first failure recorded is kept.
class RunOutcome {
 public:
  void Fail(ExitCode code);
  ExitCode Code() const { return static_cast<ExitCode>(code_.load()); }

 private:
  std::atomic<int> code_{0};
};
