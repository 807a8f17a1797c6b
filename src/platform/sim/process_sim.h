// What the simulated machine adds to process.h for its own tools and tests:
// command-line splitting and quoting as Windows does them, and the exit code of
// a process this process started.
//
// Every program started on the machine (a host program inside drive C: or one
// of the built-in system tools) is written to the machine's tool log as one
// line, "run <command line>", with the command line exactly as the caller
// passed it, at the moment it starts. A program that cannot be started is not
// written there.
//
// Only the sim backend, tests and the machine tool include this header.
#pragma once

#include <cstdint>

#include "platform/strings.h"

namespace sim {

// CommandLineToArgvW: the first element is the program as the command line
// names it (quoted or up to the first blank, no escapes); the others follow
// the backslash-and-quote rules of the C run-time.
StringList SplitCommandLine(StringView commandLine);
// The arguments after the program (SplitCommandLine without its first element).
StringList SplitArguments(StringView commandLine);
// Quotes one argument so that SplitArguments gives it back unchanged; plain
// arguments stay as they are.
String QuoteArgument(StringView argument);

// Waits for a process started by CreateProcessNoWait of this process and gives
// its exit code. A process ended by TerminateProcessById reports the code given
// there (1 when another process killed it). False for an id this process did
// not start or has already waited for.
[[nodiscard]] bool WaitForProcess(uint32_t processId, uint32_t& exitCode);

}  // namespace sim
