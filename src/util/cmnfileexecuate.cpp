// Starting external programs and stopping running ones.
#include "util/cmnfileexecuate.h"

#include <vector>

#include "platform/files.h"
#include "platform/process.h"
#include "platform/system.h"
#include "platform/thread.h"

namespace {

// Give the owner of a closed window a moment to shut down by itself.
constexpr uint32_t kCloseGraceMilliseconds = 100;

}  // namespace

bool RunAndWait(const String& commandLine, uint32_t creationFlags, uint32_t* exitCode) {
  win::PausePoint();
  if (win::CreateProcessAndWait(commandLine, creationFlags, exitCode)) return true;
  win::OutputDebugString(win::SysErrorMessage(win::GetLastError()));
  return false;
}

void TerminateProcessesByName(const String& exeName) {
  std::vector<win::ProcessEntry> processes;
  if (!win::SnapshotProcesses(processes)) return;
  const uint32_t self = win::GetCurrentProcessId();
  for (const win::ProcessEntry& process : processes) {
    // Never this program itself, whatever name a caller passes.
    if (process.exeFile != exeName || process.processId == self) continue;
    win::PausePoint();
    // A process that is gone already or may not be ended is left alone.
    (void)win::TerminateProcessById(process.processId, 0);
  }
}

void CloseWindowByTitle(const String& title) {
  const win::WindowHandle window = win::FindWindow(title);
  if (window == 0) return;
  // A window that took no message needs no closing; the callers end its
  // program by name next in any case.
  (void)win::PostMessage(window, win::kWmClose, 0, 0);
  win::Sleep(kCloseGraceMilliseconds);
}

void TerminateWindowProcess(const String& title) {
  const win::WindowHandle window = win::FindWindow(title);
  if (window == 0) return;
  const uint32_t processId = win::GetWindowThreadProcessId(window);
  if (processId == 0 || processId == win::GetCurrentProcessId()) return;
  // A process that is gone already or may not be ended is left alone.
  (void)win::TerminateProcessById(processId, 0);
}
