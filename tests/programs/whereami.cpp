// Prints what a program learns about itself on the machine it finds on its
// own: its Windows path, its arguments (one a line), the machine's ANSI code
// page.
#include <cstdio>

#include "platform/files.h"
#include "platform/system.h"

int main() {
  printf("%s\n", win::ToUtf8(win::ExecutablePath()).c_str());
  for (const String& argument : win::CommandLineArguments()) printf("[%s]\n", win::ToUtf8(argument).c_str());
  printf("codepage %u\n", win::GetACP());
  return 0;
}
