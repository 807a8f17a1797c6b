#include "app/run_log.h"

#include <cstdio>

#include "platform/files.h"

namespace {

constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";

String Stamp(const char* format) {
  const win::SystemTime now = win::GetLocalTime();
  char text[32];
  std::snprintf(text, sizeof text, format, now.year, now.month, now.day, now.hour, now.minute, now.second);
  return win::FromUtf8(text);
}

}  // namespace

String LogTimeStamp() { return Stamp("%04u-%02u-%02u %02u:%02u:%02u"); }

String LogFileStamp() { return Stamp("%04u%02u%02u-%02u%02u%02u"); }

bool RunLog::Open(const String& path) {
  std::lock_guard<std::mutex> lock(mutex_);
  path_.clear();
  bytes_ = kByteOrderMark;
  if (path.empty() || !win::WriteFileBytes(path, bytes_)) return false;
  path_ = path;
  return true;
}

bool RunLog::IsOpen() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return !path_.empty();
}

String RunLog::Path() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return path_;
}

void RunLog::Write(StringView text) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (path_.empty()) return;
  // One event a line: line breaks inside a message become " / ".
  String line = LogTimeStamp() + u"  ";
  for (char16_t c : text) {
    if (c == u'\r') continue;
    if (c == u'\n') {
      line += u" / ";
    } else {
      line.push_back(c);
    }
  }
  bytes_ += win::ToUtf8(line) + "\r\n";
  // A failed write keeps the text; the next line tries again.
  (void)win::WriteFileBytes(path_, bytes_);
}

void RunOutcome::Fail(ExitCode code) {
  int expected = 0;
  code_.compare_exchange_strong(expected, static_cast<int>(code));
}
