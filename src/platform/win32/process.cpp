// Processes and top-level windows on a real Windows system.
#include "platform/win32/winapi.h"
#include "platform/win32/handles.h"

#include "platform/process.h"

namespace win {

namespace {

HWND ToHwnd(WindowHandle window) { return reinterpret_cast<HWND>(window); }

WindowHandle FromHwnd(HWND window) { return reinterpret_cast<WindowHandle>(window); }

// CreateProcessW with no application name, a writable copy of the command line,
// no inherited handles, the parent's environment and folder. The caller owns
// both handles afterwards.
// Every program started is named on the debug output first (DebugView shows
// it), as the simulated machine writes it to its tool log.
bool StartProcess(const String& commandLine, uint32_t creationFlags, PROCESS_INFORMATION& info) {
  ::OutputDebugStringW(Wide(u"run " + commandLine));
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);  // 68 in a 32-bit process
  info = PROCESS_INFORMATION{};
  std::wstring writable = WideCopy(commandLine);
  return ::CreateProcessW(nullptr, writable.data(), nullptr, nullptr, FALSE, creationFlags,
                          nullptr, nullptr, &startup, &info) != FALSE;
}

}  // namespace

bool CreateProcessAndWait(const String& commandLine, uint32_t creationFlags, uint32_t* exitCode) {
  PROCESS_INFORMATION info;
  if (!StartProcess(commandLine, creationFlags, info)) return false;
  w32::Handle process(info.hProcess);
  w32::Handle thread(info.hThread);
  ::WaitForSingleObject(process.Get(), INFINITE);
  if (exitCode) {
    DWORD code = 0;
    *exitCode = ::GetExitCodeProcess(process.Get(), &code) ? code : 1;
  }
  return true;
}

uint32_t CreateProcessNoWait(const String& commandLine, uint32_t creationFlags) {
  PROCESS_INFORMATION info;
  if (!StartProcess(commandLine, creationFlags, info)) return 0;
  w32::Handle process(info.hProcess);
  w32::Handle thread(info.hThread);
  return info.dwProcessId;
}

bool SnapshotProcesses(std::vector<ProcessEntry>& processes) {
  w32::Handle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot.IsValid()) return false;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof(entry);  // 556 in a 32-bit process
  std::vector<ProcessEntry> found;
  for (BOOL more = ::Process32FirstW(snapshot.Get(), &entry); more;
       more = ::Process32NextW(snapshot.Get(), &entry)) {
    ProcessEntry process;
    process.processId = entry.th32ProcessID;
    entry.szExeFile[MAX_PATH - 1] = L'\0';
    process.exeFile = FromWide(entry.szExeFile);
    found.push_back(std::move(process));
  }
  processes.swap(found);
  return true;
}

bool TerminateProcessById(uint32_t processId, uint32_t exitCode) {
  w32::Handle process(
      ::OpenProcess(PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION, FALSE, processId));
  if (!process.IsValid()) return false;
  return ::TerminateProcess(process.Get(), exitCode) != FALSE;
}

uint32_t GetCurrentProcessId() { return ::GetCurrentProcessId(); }

WindowHandle FindWindow(const String& title) {
  return FromHwnd(::FindWindowW(nullptr, Wide(title)));
}

WindowHandle GetDesktopWindow() { return FromHwnd(::GetDesktopWindow()); }

bool PostMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  return ::PostMessageW(ToHwnd(window), message, static_cast<WPARAM>(wParam),
                        static_cast<LPARAM>(lParam)) != FALSE;
}

uint32_t GetWindowThreadProcessId(WindowHandle window) {
  if (window == 0) return 0;
  DWORD processId = 0;
  if (::GetWindowThreadProcessId(ToHwnd(window), &processId) == 0) return 0;
  return processId;
}

uint32_t RegisterWindowMessage(const String& name) {
  return ::RegisterWindowMessageW(Wide(name));
}

}  // namespace win
