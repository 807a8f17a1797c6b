// Processes and top-level windows: CreateProcessW + wait, Toolhelp snapshots,
// termination, FindWindowW by title, PostMessageW, RegisterWindowMessageW.
//
// On the simulated machine processes are real host processes and top-level
// windows of every program on the machine are published in a table inside the
// machine, so FindWindow and PostMessage work across processes.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/strings.h"

namespace win {

constexpr uint32_t kCreateNewConsole = 0x00000010;
constexpr uint32_t kCreateNoWindow = 0x08000000;

// CreateProcessW with no application name and a writable copy of the command
// line, then WaitForSingleObject(INFINITE). False, with GetLastError set, when
// the process could not be started. exitCode, when given, receives the
// process's exit code (GetExitCodeProcess).
[[nodiscard]] bool CreateProcessAndWait(const String& commandLine, uint32_t creationFlags, uint32_t* exitCode = nullptr);
// Starts without waiting (tests, the machine tool); process id or 0.
[[nodiscard]] uint32_t CreateProcessNoWait(const String& commandLine, uint32_t creationFlags);

struct ProcessEntry {
  uint32_t processId = 0;
  String exeFile;  // the bare executable file name, as Toolhelp reports it
};
// CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS) walked with Process32FirstW/NextW.
[[nodiscard]] bool SnapshotProcesses(std::vector<ProcessEntry>& processes);
// OpenProcess(access) + TerminateProcess(exitCode) + CloseHandle.
[[nodiscard]] bool TerminateProcessById(uint32_t processId, uint32_t exitCode);
uint32_t GetCurrentProcessId();

using WindowHandle = uintptr_t;  // 0 is no window
constexpr uint32_t kWmClose = 0x0010;
constexpr uint32_t kWmUser = 0x0400;

WindowHandle FindWindow(const String& title);  // FindWindowW(nullptr, title)
WindowHandle GetDesktopWindow();
[[nodiscard]] bool PostMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam);
uint32_t GetWindowThreadProcessId(WindowHandle window);  // the owning process id, 0 if none
// Same number for the same name for the life of the machine's session.
uint32_t RegisterWindowMessage(const String& name);

}  // namespace win
