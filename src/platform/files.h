// Files and folders with Windows semantics (CopyFileW, GetFileAttributesW,
// FindFirstFileW ...). Paths are Windows paths ("C:\..."); on the simulated
// machine they map case-insensitively into the machine's drive folder.
//
// Every call sets the thread's last error (GetLastError) on failure, with the
// Windows error numbers below, so SysErrorMessage gives the system's text.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/strings.h"

namespace win {

// File attributes as Windows reports them.
constexpr uint32_t kFileAttributeReadOnly = 0x1;
constexpr uint32_t kFileAttributeHidden = 0x2;
constexpr uint32_t kFileAttributeSystem = 0x4;
constexpr uint32_t kFileAttributeVolume = 0x8;
constexpr uint32_t kFileAttributeDirectory = 0x10;
constexpr uint32_t kFileAttributeArchive = 0x20;
constexpr uint32_t kFileAttributeDevice = 0x40;
constexpr uint32_t kFileAttributeNormal = 0x80;
constexpr uint32_t kFileAttributeTemporary = 0x100;
constexpr uint32_t kFileAttributeReparsePoint = 0x400;
constexpr uint32_t kFileAttributeCompressed = 0x800;
constexpr uint32_t kFileAttributeEncrypted = 0x4000;
constexpr uint32_t kInvalidFileAttributes = 0xFFFFFFFF;

// Windows error numbers the program and its tests meet.
constexpr uint32_t kErrorSuccess = 0;
constexpr uint32_t kErrorFileNotFound = 2;
constexpr uint32_t kErrorPathNotFound = 3;
constexpr uint32_t kErrorAccessDenied = 5;
constexpr uint32_t kErrorInvalidHandle = 6;
constexpr uint32_t kErrorNoMoreFiles = 18;
constexpr uint32_t kErrorSharingViolation = 32;
constexpr uint32_t kErrorFileExists = 80;
constexpr uint32_t kErrorInvalidParameter = 87;
constexpr uint32_t kErrorDirNotEmpty = 145;
constexpr uint32_t kErrorAlreadyExists = 183;
constexpr uint32_t kErrorFilenameExcedRange = 206;
constexpr uint32_t kErrorDirectory = 267;

uint32_t GetLastError();
void SetLastError(uint32_t code);
// The system's message text for an error number (SysErrorMessage): e.g.
// "The file exists." for 80. Never empty.
String SysErrorMessage(uint32_t code);

[[nodiscard]] bool CopyFile(const String& existing, const String& target, bool failIfExists);
uint32_t GetFileAttributes(const String& path);  // kInvalidFileAttributes on failure
[[nodiscard]] bool SetFileAttributes(const String& path, uint32_t attributes);
[[nodiscard]] bool DeleteFile(const String& path);
[[nodiscard]] bool CreateDirectory(const String& path);  // one level
[[nodiscard]] bool RemoveDirectory(const String& path);  // only an empty folder; a link is removed itself
// Renames a file or folder (MoveFileW): fails with kErrorAlreadyExists when
// newName exists. A running program's file may be renamed.
[[nodiscard]] bool MoveFile(const String& existing, const String& newName);
bool FileExists(const String& path);       // an existing file (not a folder)
bool DirectoryExists(const String& path);  // an existing folder (a link to one counts)

struct SystemTime {
  uint16_t year = 0, month = 0, dayOfWeek = 0, day = 0;
  uint16_t hour = 0, minute = 0, second = 0, milliseconds = 0;
};
// Last-write time of a file opened for reading with read sharing, converted to
// UTC system time (CreateFileW + GetFileTime + FileTimeToSystemTime).
[[nodiscard]] bool GetFileLastWriteTime(const String& path, SystemTime& time);
// The local date and time now (GetLocalTime).
SystemTime GetLocalTime();
// The account's folder for temporary files, with a trailing "\" (GetTempPathW:
// %TEMP%, normally the profile's AppData\Local\Temp).
String TempFolder();

// Whole-file helpers for the program's own small files (ini files, logs,
// markers). Write creates or truncates the file.
[[nodiscard]] bool ReadFileBytes(const String& path, std::string& bytes);
[[nodiscard]] bool WriteFileBytes(const String& path, const std::string& bytes);

// FindFirstFileW / FindNextFileW over a pattern such as "C:\X\*.*": every
// entry including "." and ".." (where the platform lists them), hidden and
// system ones, in the order the file system returns them. One handle, closed
// by the destructor.
struct FindData {
  String name;
  uint32_t attributes = 0;
  uint64_t size = 0;  // of a file, in bytes
};

class FindFile {
 public:
  FindFile();
  ~FindFile();
  FindFile(const FindFile&) = delete;
  FindFile& operator=(const FindFile&) = delete;

  [[nodiscard]] bool First(const String& pattern, FindData& data);
  [[nodiscard]] bool Next(FindData& data);
  void Close();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// The running program: its Windows path (ParamStr(0)) and its arguments
// without the program name (ParamStr(1) ...).
String ExecutablePath();
String ExecutableFolder();  // with a trailing "\"
StringList CommandLineArguments();

}  // namespace win
