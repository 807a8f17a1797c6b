// The thread's last error and the system's message texts, worded as Windows
// words them (FormatMessage of the system table, without the line break).
#include <cerrno>
#include <cstdio>

#include "platform/files.h"
#include "platform/sim/machine_internal.h"

namespace win {

namespace {
thread_local uint32_t lastError = 0;

struct Message {
  uint32_t code;
  const char16_t* text;
};

constexpr Message kMessages[] = {
    {0, u"The operation completed successfully."},
    {1, u"Incorrect function."},
    {2, u"The system cannot find the file specified."},
    {3, u"The system cannot find the path specified."},
    {4, u"The system cannot open the file."},
    {5, u"Access is denied."},
    {6, u"The handle is invalid."},
    {8, u"Not enough memory resources are available to process this command."},
    {18, u"There are no more files."},
    {19, u"The media is write protected."},
    {31, u"A device attached to the system is not functioning."},
    {32, u"The process cannot access the file because it is being used by another process."},
    {50, u"The request is not supported."},
    {80, u"The file exists."},
    {87, u"The parameter is incorrect."},
    {112, u"There is not enough space on the disk."},
    {123, u"The filename, directory name, or volume label syntax is incorrect."},
    {145, u"The directory is not empty."},
    {161, u"The specified path is invalid."},
    {183, u"Cannot create a file when that file already exists."},
    {193, u"%1 is not a valid Win32 application."},
    {206, u"The filename or extension is too long."},
    {267, u"The directory name is invalid."},
    {740, u"The requested operation requires elevation."},
    {1117, u"The request could not be performed because of an I/O device error."},
    {1921, u"The name of the file cannot be resolved by the system."},
};
}  // namespace

uint32_t GetLastError() { return lastError; }
void SetLastError(uint32_t code) { lastError = code; }

String SysErrorMessage(uint32_t code) {
  for (const Message& m : kMessages) {
    if (m.code == code) return m.text;
  }
  char text[64];
  snprintf(text, sizeof text, "Unknown error %u.", code);
  return FromUtf8(text);
}

}  // namespace win

namespace sim {

uint32_t ErrorFromErrno(int error) {
  switch (error) {
    case 0: return win::kErrorSuccess;
    case ENOENT: return win::kErrorFileNotFound;
    case ENOTDIR: return win::kErrorPathNotFound;
    case EACCES:
    case EPERM:
    case EISDIR: return win::kErrorAccessDenied;
    case EEXIST: return win::kErrorAlreadyExists;
    case ENOTEMPTY: return win::kErrorDirNotEmpty;
    case ENAMETOOLONG: return win::kErrorFilenameExcedRange;
    case ENOSPC:
    case EDQUOT: return 112;
    case EROFS: return 19;
    case EBUSY:
    case ETXTBSY: return win::kErrorSharingViolation;
    case EINVAL: return win::kErrorInvalidParameter;
    case EMFILE:
    case ENFILE: return 4;
    case ENOMEM: return 8;
    case ELOOP: return 1921;
    case EIO: return 1117;
    case ENOTSUP: return 50;
    default: return 31;
  }
}

}  // namespace sim
