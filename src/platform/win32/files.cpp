// Files and folders on a real Windows system.
#include "platform/win32/winapi.h"
#include "platform/win32/handles.h"

#include <atomic>
#include <new>
#include <vector>

#include "platform/files.h"

namespace win {

namespace {

// The whole-file helpers serve ini files, logs and licence texts; anything
// larger is refused rather than risking an allocation failure.
constexpr ULONGLONG kMaxWholeFileSize = 256ull * 1024 * 1024;
// GetModuleFileNameW never needs more than the longest Windows path.
constexpr DWORD kMaxModulePath = 32768;

// The same file, by volume and file index (both paths must open).
bool SameFile(const String& a, const String& b) {
  auto info = [](const String& path, BY_HANDLE_FILE_INFORMATION& out) {
    w32::Handle file(::CreateFileW(Wide(path), FILE_READ_ATTRIBUTES,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return file.IsValid() && ::GetFileInformationByHandle(file.Get(), &out) != FALSE;
  };
  BY_HANDLE_FILE_INFORMATION first{}, second{};
  return info(a, first) && info(b, second) && first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
         first.nFileIndexHigh == second.nFileIndexHigh && first.nFileIndexLow == second.nFileIndexLow;
}

// Whether another program holds the file open so that it cannot be written.
bool InUse(const String& path) {
  w32::Handle file(::CreateFileW(Wide(path), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  return !file.IsValid() && ::GetLastError() == ERROR_SHARING_VIOLATION;
}

// A name beside the target for a copy in progress: ".zxtmp-<process>-<n>".
String TemporaryBeside(const String& target) {
  static std::atomic<unsigned> next{0};
  return ExtractFilePath(target) + u".zxtmp-" + IntToStr(::GetCurrentProcessId()) + u"-" + IntToStr(next++);
}

FindData ToFindData(const WIN32_FIND_DATAW& found) {
  FindData data;
  data.name = FromWide(found.cFileName);
  data.attributes = found.dwFileAttributes;
  data.size = (static_cast<uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
  return data;
}

}  // namespace

uint32_t GetLastError() { return ::GetLastError(); }

void SetLastError(uint32_t code) { ::SetLastError(code); }

namespace {

SystemTime ToSystemTime(const SYSTEMTIME& from) {
  SystemTime time;
  time.year = from.wYear;
  time.month = from.wMonth;
  time.dayOfWeek = from.wDayOfWeek;
  time.day = from.wDay;
  time.hour = from.wHour;
  time.minute = from.wMinute;
  time.second = from.wSecond;
  time.milliseconds = from.wMilliseconds;
  return time;
}

}  // namespace

SystemTime GetLocalTime() {
  SYSTEMTIME now{};
  ::GetLocalTime(&now);
  return ToSystemTime(now);
}

String TempFolder() {
  wchar_t buffer[MAX_PATH + 2] = {};
  const DWORD length = ::GetTempPathW(MAX_PATH + 2, buffer);
  if (length == 0 || length > MAX_PATH + 1) return u"C:\\Windows\\Temp\\";
  return IncludeTrailingBackslash(FromWide(buffer, length));
}

String SysErrorMessage(uint32_t code) {
  wchar_t* buffer = nullptr;
  DWORD length = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  w32::LocalMemory owner(buffer);
  String text = length > 0 ? FromWide(buffer, length) : String();
  // The system ends its texts with CR LF (sometimes a blank before it).
  while (!text.empty() && (text.back() == u'\r' || text.back() == u'\n' || text.back() == u' ')) {
    text.pop_back();
  }
  if (text.empty()) text = u"System error " + IntToStr(code) + u".";
  return text;
}

// A copy takes its name only once it is whole: CopyFileW writes a temporary
// file beside the target, which then takes the target's name. A program ended
// in the middle of a copy leaves at worst that temporary file, never a target
// with half its bytes, so a saved device setting is the old one or the new
// one. The errors are those CopyFileW gives for the target itself.
bool CopyFile(const String& existing, const String& target, bool failIfExists) {
  const BOOL failFlag = failIfExists ? TRUE : FALSE;
  const DWORD present = ::GetFileAttributesW(Wide(target));
  if (present != INVALID_FILE_ATTRIBUTES) {
    if (failIfExists) {
      ::SetLastError(ERROR_FILE_EXISTS);
      return false;
    }
    // A rename would replace a read-only file on some systems; a copy never does.
    if (present & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) {
      ::SetLastError(ERROR_ACCESS_DENIED);
      return false;
    }
  }
  if (!failIfExists && SameFile(existing, target)) {
    ::SetLastError(ERROR_SHARING_VIOLATION);  // as CopyFileW onto the file itself
    return false;
  }
  String temporary;
  for (unsigned attempt = 0; temporary.empty(); ++attempt) {
    const String candidate = TemporaryBeside(target);
    // Where the temporary name would not fit the path limit, the copy goes
    // to the target straight away.
    if (candidate.size() >= MAX_PATH && !StartsWith(candidate, u"\\\\?\\")) {
      return ::CopyFileW(Wide(existing), Wide(target), failFlag) != FALSE;
    }
    if (::CopyFileW(Wide(existing), Wide(candidate), TRUE)) {
      temporary = candidate;
    } else if (::GetLastError() != ERROR_FILE_EXISTS || attempt >= 3) {
      return false;  // the source or the folder is wrong; a leftover name is tried around
    }
  }
  if (::MoveFileExW(Wide(temporary), Wide(target), failIfExists ? 0 : MOVEFILE_REPLACE_EXISTING)) return true;
  DWORD error = ::GetLastError();
  ::SetFileAttributesW(Wide(temporary), FILE_ATTRIBUTE_NORMAL);
  ::DeleteFileW(Wide(temporary));
  if (error == ERROR_ALREADY_EXISTS) error = ERROR_FILE_EXISTS;
  else if (error == ERROR_ACCESS_DENIED && InUse(target)) error = ERROR_SHARING_VIOLATION;
  ::SetLastError(error);
  return false;
}

uint32_t GetFileAttributes(const String& path) { return ::GetFileAttributesW(Wide(path)); }

bool SetFileAttributes(const String& path, uint32_t attributes) {
  return ::SetFileAttributesW(Wide(path), attributes) != FALSE;
}

bool DeleteFile(const String& path) { return ::DeleteFileW(Wide(path)) != FALSE; }

bool CreateDirectory(const String& path) {
  return ::CreateDirectoryW(Wide(path), nullptr) != FALSE;
}

bool RemoveDirectory(const String& path) { return ::RemoveDirectoryW(Wide(path)) != FALSE; }

bool MoveFile(const String& existing, const String& newName) {
  return ::MoveFileW(Wide(existing), Wide(newName)) != FALSE;
}

bool FileExists(const String& path) {
  DWORD attributes = ::GetFileAttributesW(Wide(path));
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool DirectoryExists(const String& path) {
  DWORD attributes = ::GetFileAttributesW(Wide(path));
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool GetFileLastWriteTime(const String& path, SystemTime& time) {
  w32::Handle file(::CreateFileW(Wide(path), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.IsValid()) return false;
  FILETIME written{};
  if (!::GetFileTime(file.Get(), nullptr, nullptr, &written)) return false;
  SYSTEMTIME utc{};
  if (!::FileTimeToSystemTime(&written, &utc)) return false;
  time = ToSystemTime(utc);
  return true;
}

bool ReadFileBytes(const String& path, std::string& bytes) {
  w32::Handle file(::CreateFileW(Wide(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.IsValid()) return false;
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(file.Get(), &size)) return false;
  if (static_cast<ULONGLONG>(size.QuadPart) > kMaxWholeFileSize) {
    ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return false;
  }
  std::string content;
  try {
    content.resize(static_cast<size_t>(size.QuadPart));
  } catch (const std::bad_alloc&) {
    ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return false;
  }
  size_t done = 0;
  while (done < content.size()) {
    DWORD got = 0;
    DWORD want = static_cast<DWORD>(content.size() - done);
    if (!::ReadFile(file.Get(), content.data() + done, want, &got, nullptr)) return false;
    if (got == 0) break;  // the file shrank while we read it
    done += got;
  }
  content.resize(done);
  bytes.swap(content);
  return true;
}

bool WriteFileBytes(const String& path, const std::string& bytes) {
  // OPEN_ALWAYS + SetEndOfFile rather than CREATE_ALWAYS: an existing hidden or
  // system file is rewritten in place, keeping its attributes, as the profile
  // functions do.
  w32::Handle file(::CreateFileW(Wide(path), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                 OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.IsValid()) return false;
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD put = 0;
    DWORD want = static_cast<DWORD>(bytes.size() - done);
    if (!::WriteFile(file.Get(), bytes.data() + done, want, &put, nullptr)) return false;
    if (put == 0) {
      ::SetLastError(ERROR_WRITE_FAULT);
      return false;
    }
    done += put;
  }
  return ::SetEndOfFile(file.Get()) != FALSE;
}

struct FindFile::Impl {
  w32::FindHandle handle;
};

FindFile::FindFile() : impl_(std::make_unique<Impl>()) {}

FindFile::~FindFile() = default;

bool FindFile::First(const String& pattern, FindData& data) {
  impl_->handle.Close();
  WIN32_FIND_DATAW found{};
  HANDLE handle = ::FindFirstFileW(Wide(pattern), &found);
  if (handle == INVALID_HANDLE_VALUE) return false;
  impl_->handle.Attach(handle);
  data = ToFindData(found);
  return true;
}

bool FindFile::Next(FindData& data) {
  if (!impl_->handle.IsValid()) {
    ::SetLastError(ERROR_INVALID_HANDLE);
    return false;
  }
  WIN32_FIND_DATAW found{};
  if (!::FindNextFileW(impl_->handle.Get(), &found)) return false;
  data = ToFindData(found);
  return true;
}

void FindFile::Close() { impl_->handle.Close(); }

String ExecutablePath() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    DWORD size = static_cast<DWORD>(buffer.size());
    DWORD length = ::GetModuleFileNameW(nullptr, buffer.data(), size);
    if (length == 0) return String();
    // A result that fills the buffer may have been cut short: grow and retry.
    if (length < size) return FromWide(buffer.data(), length);
    if (size >= kMaxModulePath) return String();
    buffer.resize(size * 2 > kMaxModulePath ? kMaxModulePath : size * 2);
  }
}

String ExecutableFolder() { return ExtractFilePath(ExecutablePath()); }

StringList CommandLineArguments() {
  StringList arguments;
  int count = 0;
  wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (argv == nullptr) return arguments;
  w32::LocalMemory owner(argv);
  for (int i = 1; i < count; ++i) arguments.push_back(FromWide(argv[i]));
  return arguments;
}

}  // namespace win
