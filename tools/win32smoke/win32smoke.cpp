// win32smoke: exercises the Windows backend of the platform layer on a real
// system (or under Wine) and prints one line per check. Exit code: the number
// of failed checks.
//
// It works in a scratch folder beside itself ("win32smoke.tmp") and under
// HKEY_CURRENT_USER\Software\ZorvexSetupTest, and removes both when done.
#include <cstdio>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "platform/strings.h"
#include "platform/system.h"
#include "platform/win32/winapi.h"

namespace {

int failures = 0;

std::string U8(const String& text) { return win::ToUtf8(text); }

void Check(bool ok, const char* what, const std::string& detail = std::string()) {
  if (!ok) ++failures;
  std::printf("%-4s %s%s%s\n", ok ? "ok" : "FAIL", what, detail.empty() ? "" : ": ",
              detail.c_str());
}

void Info(const char* what, const std::string& value) {
  std::printf("info %s: %s\n", what, value.c_str());
}

std::string LastError() {
  uint32_t code = win::GetLastError();
  return "error " + std::to_string(code) + " \"" + U8(win::SysErrorMessage(code)) + "\"";
}

// The detail is formed after the check has run, so it shows the check's error.
#define CHECK(expr, ...)   \
  do {                     \
    bool ok_ = (expr);     \
    Check(ok_, __VA_ARGS__); \
  } while (0)

// For calls expected to succeed: the system's error is shown only on failure.
#define CHECK_OK(expr, what)                                   \
  do {                                                         \
    bool ok_ = (expr);                                         \
    Check(ok_, what, ok_ ? std::string() : LastError());       \
  } while (0)

const String kTestKey = u"Software\\ZorvexSetupTest";

// Names in a folder that a copy in progress uses.
int TemporaryLeftovers(const String& folder) {
  int leftovers = 0;
  win::FindFile find;
  win::FindData data;
  for (bool more = find.First(folder + u"*.*", data); more; more = find.Next(data)) {
    if (win::StartsWith(data.name, u".zxtmp-")) ++leftovers;
  }
  return leftovers;
}

// A copy replaces its target whole and leaves nothing beside it; the target's
// own failures are those of CopyFileW.
void CheckWholeCopies(const String& folder, const String& a, const String& b) {
  std::string back;
  CHECK(win::WriteFileBytes(b, "old contents") && win::CopyFile(a, b, false) &&
            win::ReadFileBytes(b, back) && back == "short",
        "CopyFile replaces a longer file whole", back);
  CHECK(TemporaryLeftovers(folder) == 0, "CopyFile leaves no temporary file");
  CHECK(!win::CopyFile(a, a, false) && win::GetLastError() == win::kErrorSharingViolation,
        "CopyFile onto the file itself reports 32", LastError());
  {
    HANDLE held = ::CreateFileW(reinterpret_cast<const wchar_t*>(b.c_str()), GENERIC_READ, 0, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    CHECK(held != INVALID_HANDLE_VALUE, "a file held open without sharing");
    CHECK(!win::CopyFile(a, b, false) && win::GetLastError() == win::kErrorSharingViolation,
          "CopyFile onto a file in use reports 32", LastError());
    if (held != INVALID_HANDLE_VALUE) ::CloseHandle(held);
  }
  CHECK(win::ReadFileBytes(b, back) && back == "short" && TemporaryLeftovers(folder) == 0,
        "a refused copy leaves the target and nothing beside it");
  CHECK(win::SetFileAttributes(b, win::kFileAttributeReadOnly) && !win::CopyFile(a, b, false) &&
            win::GetLastError() == win::kErrorAccessDenied,
        "CopyFile onto a read-only file reports 5", LastError());
  CHECK(win::SetFileAttributes(b, win::kFileAttributeNormal), "read-only cleared again");
  CHECK(!win::CopyFile(folder + u"missing.txt", b, false) && win::GetLastError() == win::kErrorFileNotFound,
        "CopyFile of a missing file reports 2", LastError());
}

void CheckFiles(const String& scratch) {
  std::printf("-- files\n");
  CHECK(win::CreateDirectory(scratch), "CreateDirectory scratch folder", U8(scratch));
  CHECK(!win::CreateDirectory(scratch) && win::GetLastError() == win::kErrorAlreadyExists,
        "CreateDirectory again reports 183", LastError());
  const String chinese = scratch + u"\u6D4B\u8BD5\u6587\u4EF6\u5939\\";
  CHECK(win::CreateDirectory(chinese) && win::DirectoryExists(chinese),
        "Chinese folder name", U8(chinese));

  const String a = chinese + u"a.txt";
  const String b = chinese + u"b.txt";
  static const char kContent[] = "line 1\r\n\xEF\xBB\xBFzero\0byte";
  const std::string content(kContent, sizeof kContent - 1);
  CHECK(win::WriteFileBytes(a, content), "WriteFileBytes");
  std::string back;
  CHECK(win::ReadFileBytes(a, back) && back == content, "ReadFileBytes gives the same bytes",
        std::to_string(back.size()) + " bytes");
  CHECK(win::WriteFileBytes(a, "short") && win::ReadFileBytes(a, back) && back == "short",
        "WriteFileBytes truncates a longer file");
  CHECK(win::FileExists(a) && !win::DirectoryExists(a), "FileExists / DirectoryExists");

  CHECK_OK(win::CopyFile(a, b, false), "CopyFile");
  CHECK(!win::CopyFile(a, b, true) && win::GetLastError() == win::kErrorFileExists,
        "CopyFile fail-if-exists reports 80", LastError());
  CheckWholeCopies(chinese, a, b);
  CHECK(!win::SysErrorMessage(win::kErrorFileExists).empty() &&
            win::SysErrorMessage(win::kErrorFileExists).back() != u'\n',
        "SysErrorMessage(80) without CR LF", U8(win::SysErrorMessage(win::kErrorFileExists)));

  CHECK(win::SetFileAttributes(b, win::kFileAttributeReadOnly), "SetFileAttributes read-only");
  uint32_t attributes = win::GetFileAttributes(b);
  CHECK(attributes != win::kInvalidFileAttributes && (attributes & win::kFileAttributeReadOnly),
        "GetFileAttributes shows read-only", std::to_string(attributes));
  CHECK(!win::DeleteFile(b) && win::GetLastError() == win::kErrorAccessDenied,
        "DeleteFile of a read-only file is refused", LastError());
  CHECK(win::SetFileAttributes(b, win::kFileAttributeNormal) && win::DeleteFile(b),
        "DeleteFile after reset to normal");
  CHECK(win::GetFileAttributes(b) == win::kInvalidFileAttributes &&
            win::GetLastError() == win::kErrorFileNotFound,
        "GetFileAttributes of a deleted file reports 2", LastError());

  win::SystemTime time;
  CHECK(win::GetFileLastWriteTime(a, time) && time.year >= 2020, "GetFileLastWriteTime",
        std::to_string(time.year) + "-" + std::to_string(time.month) + "-" +
            std::to_string(time.day) + " " + std::to_string(time.hour) + ":" +
            std::to_string(time.minute));

  CHECK(win::CreateDirectory(chinese + u"sub"), "CreateDirectory sub-folder");
  std::vector<std::string> names;
  bool sawFolder = false;
  {
    win::FindFile find;
    win::FindData data;
    for (bool more = find.First(chinese + u"*.*", data); more; more = find.Next(data)) {
      names.push_back(U8(data.name));
      if (data.name == u"sub") sawFolder = (data.attributes & win::kFileAttributeDirectory) != 0;
    }
    CHECK(win::GetLastError() == win::kErrorNoMoreFiles, "FindNextFile ends with 18",
          LastError());
  }
  std::string listed;
  for (const auto& n : names) listed += n + " ";
  CHECK(names.size() >= 2 && sawFolder, "FindFirstFile/FindNextFile list the folder", listed);
  {
    win::FindFile find;
    win::FindData data;
    CHECK(!find.First(scratch + u"missing\\*.*", data), "FindFirstFile on a missing folder",
          LastError());
  }

  CHECK(!win::RemoveDirectory(chinese) && win::GetLastError() == win::kErrorDirNotEmpty,
        "RemoveDirectory of a non-empty folder reports 145", LastError());

  String longPath = scratch;
  while (longPath.size() < 300) longPath += u"abcdefghij\\";
  CHECK(!win::CreateDirectory(longPath), "CreateDirectory beyond 260 characters fails",
        LastError());
  CHECK(!win::CopyFile(a, longPath + u"x.txt", false), "CopyFile beyond 260 characters fails",
        LastError());

  CHECK(win::RemoveDirectory(chinese + u"sub") && win::DeleteFile(a) &&
            win::RemoveDirectory(chinese) && win::RemoveDirectory(scratch),
        "clean-up of the scratch folder");
}

void CheckRegistry() {
  std::printf("-- registry\n");
  {
    win::Registry reg(win::kKeyAllAccess);
    reg.SetRootKey(win::RootKey::CurrentUser);
    CHECK_OK(reg.OpenKey(kTestKey + u"\\", true), "OpenKey creates HKCU\\Software\\ZorvexSetupTest");
    CHECK(reg.CurrentPath() == kTestKey, "CurrentPath without the trailing backslash",
          U8(reg.CurrentPath()));
    const String value = u"C:\\Program Files (x86)\\Zorvex7\\\u4E2D\u6587";
    CHECK_OK(reg.WriteString(u"InstallDir", value), "WriteString");
    CHECK(reg.ReadString(u"InstallDir") == value, "ReadString gives the same text");
    CHECK(reg.ValueExists(u"InstallDir") && !reg.ValueExists(u"Missing"), "ValueExists");
    CHECK(reg.ReadString(u"Missing").empty(), "ReadString of an absent value is empty");
    CHECK(reg.WriteString(u"Empty", u"") && reg.ValueExists(u"Empty") &&
              reg.ReadString(u"Empty").empty(),
          "an empty value exists and reads empty");
    CHECK(reg.GetValueNames().size() == 2, "GetValueNames",
          std::to_string(reg.GetValueNames().size()));
    CHECK(reg.DeleteValue(u"Empty") && !reg.ValueExists(u"Empty"), "DeleteValue");
    CHECK(!reg.HasSubKeys(), "HasSubKeys of a new key is false");
  }
  {
    win::Registry reg(win::kKeyAllAccess);
    reg.SetRootKey(win::RootKey::CurrentUser);
    CHECK(reg.OpenKey(kTestKey + u"\\Child", true), "OpenKey creates a sub-key");
    reg.CloseKey();
    CHECK(reg.OpenKey(u"\\" + kTestKey, false), "OpenKey with a leading backslash");
    CHECK(reg.HasSubKeys() && reg.GetKeyNames().size() == 1 && reg.GetKeyNames()[0] == u"Child",
          "HasSubKeys and GetKeyNames");
    CHECK(reg.KeyExists(u"Child") && !reg.KeyExists(u"Other"), "KeyExists relative to the key");
    CHECK(!reg.DeleteKey(u""), "DeleteKey refuses the empty name");
    reg.CloseKey();
    CHECK(!reg.DeleteKey(kTestKey) && reg.KeyExists(kTestKey),
          "DeleteKey leaves a key with sub-keys", LastError());
    CHECK(reg.DeleteKey(kTestKey + u"\\Child") && reg.DeleteKey(kTestKey) &&
              !reg.KeyExists(kTestKey),
          "DeleteKey removes leaf keys");
  }
  {
    win::Registry reg(win::kKeyRead);
    reg.SetRootKey(win::RootKey::LocalMachine);
    CHECK(!reg.OpenKey(u"Software\\ZorvexSetupTest\\Missing", false),
          "OpenKey of a missing key fails", LastError());
    CHECK_OK(reg.OpenKeyReadOnly(u"Software\\Microsoft\\Windows\\CurrentVersion"), "OpenKeyReadOnly of HKLM\\...\\CurrentVersion");
    Info("ProgramFilesDir", U8(reg.ReadString(u"ProgramFilesDir")));
    win::Registry root(win::kKeyAllAccess);
    root.SetRootKey(win::RootKey::CurrentUser);
    CHECK(root.OpenKey(u"", false) && !root.WriteString(u"ZorvexSetupTest", u"x"),
          "no value is written into a hive root");
  }
}

void CheckShell(const String& scratch) {
  std::printf("-- shell\n");
  const int folders[] = {win::kCsidlProgramFiles, win::kCsidlCommonAppData,
                         win::kCsidlCommonPrograms, win::kCsidlCommonDesktopDirectory};
  for (int csidl : folders) {
    String path = win::SHGetSpecialFolderPath(csidl);
    char what[48];
    std::snprintf(what, sizeof what, "SHGetSpecialFolderPath 0x%02X", csidl);
    CHECK(!path.empty() && path.back() != u'\\', what, U8(path));
  }
  Info("IsUserAnAdmin", win::IsUserAnAdmin() ? "yes" : "no");

  CHECK(win::CreateDirectory(scratch), "scratch folder for the shortcut");
  const String link = scratch + u"Zorvex \u6D4B\u8BD5.lnk";
  const String target = win::ExecutablePath();
  {
    win::ShellLink shell;
    CHECK(shell.Create(), "ShellLink Create");
    shell.SetPath(target);
    shell.SetDescription(u"Zorvex smoke \u4E2D\u6587");
    shell.SetWorkingDirectory(win::ExecutableFolder());
    shell.SetIconLocation(target, 0);
    shell.SetArguments(u"uninstall");
    CHECK(shell.Save(link) && win::FileExists(link), "ShellLink Save", U8(link));
  }
  win::ShellLinkInfo info;
  CHECK(win::ReadShellLink(link, info), "ReadShellLink");
  CHECK(win::SameText(info.target, target), "link target", U8(info.target));
  CHECK(info.arguments == u"uninstall", "link arguments", U8(info.arguments));
  CHECK(info.description == u"Zorvex smoke \u4E2D\u6587", "link description",
        U8(info.description));
  CHECK(win::SameText(win::IncludeTrailingBackslash(info.workingDirectory),
                      win::ExecutableFolder()),
        "link working folder", U8(info.workingDirectory));
  CHECK(win::SameText(info.iconLocation, target) && info.iconIndex == 0, "link icon",
        U8(info.iconLocation));
  CHECK(!win::ReadShellLink(scratch + u"missing.lnk", info), "ReadShellLink of a missing file");
  CHECK(win::DeleteFile(link) && win::RemoveDirectory(scratch), "clean-up of the shortcut");
  win::SHChangeNotify(win::kShcneAssocChanged, win::kShcnfIdList);
}

void CheckProcesses() {
  std::printf("-- processes\n");
  std::vector<win::ProcessEntry> processes;
  CHECK(win::SnapshotProcesses(processes) && !processes.empty(), "SnapshotProcesses",
        std::to_string(processes.size()) + " processes");
  String self = win::ExtractFileName(win::ExecutablePath());
  bool foundSelf = false;
  for (const auto& p : processes) {
    if (p.processId == win::GetCurrentProcessId()) foundSelf = (p.exeFile == self);
  }
  CHECK(foundSelf, "the snapshot lists this program by its file name", U8(self));

  CHECK_OK(win::CreateProcessAndWait(u"cmd.exe /c exit 3", win::kCreateNoWindow), "CreateProcessAndWait cmd.exe");
  CHECK(!win::CreateProcessAndWait(u"\"C:\\Zorvex\\missing program.exe\" uninstall",
                                   win::kCreateNoWindow) &&
            (win::GetLastError() == win::kErrorFileNotFound ||
             win::GetLastError() == win::kErrorPathNotFound),
        "CreateProcessAndWait of a missing program fails", LastError());
  CHECK(!win::TerminateProcessById(0xFFFFFFF0u, 0), "TerminateProcessById of no process");

  uint32_t pid = win::CreateProcessNoWait(u"cmd.exe /c ping -n 30 127.0.0.1 >nul",
                                          win::kCreateNoWindow);
  CHECK_OK(pid != 0, "CreateProcessNoWait");
  if (pid != 0) CHECK_OK(win::TerminateProcessById(pid, 0), "TerminateProcessById");

  CHECK(win::FindWindow(u"Zorvex window that does not exist") == 0, "FindWindow of no window");
  CHECK(win::GetDesktopWindow() != 0, "GetDesktopWindow");
  CHECK(win::GetWindowThreadProcessId(0) == 0, "GetWindowThreadProcessId(0)");
  uint32_t message = win::RegisterWindowMessage(u"INSTALL_THREAD_FINISHED");
  CHECK(message >= 0xC000 && message == win::RegisterWindowMessage(u"INSTALL_THREAD_FINISHED"),
        "RegisterWindowMessage gives the same number twice", std::to_string(message));
}

void CheckSystem() {
  std::printf("-- system\n");
  win::OsVersion version;
  CHECK(win::GetVersionEx(version) && version.major >= 5, "GetVersionEx",
        std::to_string(version.major) + "." + std::to_string(version.minor) + "." +
            std::to_string(version.build));
  String everyone = win::EveryoneAccountName();
  CHECK(!everyone.empty(), "Everyone account name", U8(everyone));
  Info("user / system LANGID", std::to_string(win::GetUserDefaultLangID()) + " / " +
                                   std::to_string(win::GetSystemDefaultLangID()));
  Info("ANSI code page", std::to_string(win::GetACP()));
  Info("screen", std::to_string(win::ScreenWidth()) + "x" + std::to_string(win::ScreenHeight()) +
                     " at " + std::to_string(win::ScreenPixelsPerInch()) + " dpi");

  CHECK(win::DecodeCodePage("caf\xE9", 1252) == u"caf\u00E9", "DecodeCodePage 1252");
  CHECK(win::EncodeCodePage(u"caf\u00E9", 1252) == "caf\xE9", "EncodeCodePage 1252");
  CHECK(win::DecodeCodePage("\xD6\xD0\xCE\xC4", 936) == u"\u4E2D\u6587", "DecodeCodePage 936");
  CHECK(win::EncodeCodePage(u"\u4E2D\u6587", 936) == "\xD6\xD0\xCE\xC4", "EncodeCodePage 936");
  CHECK(win::EncodeCodePage(u"a\uFF3Cb", 1252) == "a?b",
        "EncodeCodePage maps a full-width backslash to ?",
        win::EncodeCodePage(u"a\uFF3Cb", 1252));
  CHECK(win::DecodeCodePage("a\xFF" "b", 65001) == u"a\uFFFDb", "DecodeCodePage UTF-8 invalid byte");
  CHECK(win::DecodeCodePage("abc", 12345) == u"abc",
        "DecodeCodePage of a code page the system lacks keeps the text");

  Info("ExecutablePath", U8(win::ExecutablePath()));
  std::string arguments;
  for (const auto& a : win::CommandLineArguments()) {
    arguments += '[';
    arguments += U8(a);
    arguments += "] ";
  }
  Info("CommandLineArguments", arguments);
  win::OutputDebugString(u"win32smoke: debugger output");
  win::Sleep(1);
}

}  // namespace

int main() {
  win::InitializeProcess();
  const String scratch = win::ExecutableFolder() + u"win32smoke.tmp\\";
  CheckFiles(scratch);
  CheckRegistry();
  CheckShell(scratch);
  CheckProcesses();
  CheckSystem();
  std::printf("%d check(s) failed\n", failures);
  return failures;
}
