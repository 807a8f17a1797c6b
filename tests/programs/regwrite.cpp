// Writes registry values on a given machine from a separate process:
//   regwrite <machine folder> <HKLM|HKCU> <key> <name> <value> [count]
// With a count, writes <name>0 ... <name>(count-1), one registry object each.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/registry.h"
#include "platform/sim/machine.h"

int main(int argc, char** argv) {
  if (argc < 6) {
    fprintf(stderr, "usage: regwrite <machine> <HKLM|HKCU> <key> <name> <value> [count]\n");
    return 2;
  }
  sim::UseMachine(argv[1]);
  win::RootKey root = std::string(argv[2]) == "HKLM" ? win::RootKey::LocalMachine : win::RootKey::CurrentUser;
  String key = win::FromUtf8(argv[3]);
  String name = win::FromUtf8(argv[4]);
  String value = win::FromUtf8(argv[5]);
  int count = argc > 6 ? atoi(argv[6]) : 0;
  for (int i = 0; i < (count > 0 ? count : 1); ++i) {
    win::Registry reg;
    reg.SetRootKey(root);
    if (!reg.OpenKey(key, true)) return 1;
    String n = count > 0 ? name + win::IntToStr(i) : name;
    if (!reg.WriteString(n, value)) return 1;
  }
  return 0;
}
