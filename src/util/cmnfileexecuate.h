// Starting external programs and stopping running ones.
#pragma once

#include <cstdint>

#include "platform/strings.h"

// Starts the command line and waits without a time-out until it has ended. False
// (with the system's message text on the debugger output) when it could not
// start. exitCode, when given, receives the program's exit code.
[[nodiscard]] bool RunAndWait(const String& commandLine, uint32_t creationFlags,
                              uint32_t* exitCode = nullptr);
// Terminates every running process whose executable file name equals exeName
// exactly (letter case matters); does not wait.
void TerminateProcessesByName(const String& exeName);
// Posts WM_CLOSE to the first top-level window with that exact title and pauses
// 100 ms; nothing (and no pause) when there is none.
void CloseWindowByTitle(const String& title);
// Terminates the process that owns the first top-level window with that title.
void TerminateWindowProcess(const String& title);
