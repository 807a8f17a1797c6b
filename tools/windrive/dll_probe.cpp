// The careless program: loads each DLL named on its command line by name
// alone, with the default search order, which looks beside the program
// first. It shows that a planted DLL is found there, so that Setup.exe not
// loading it means something.
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
  int missing = 0;
  for (int i = 1; i < argc; ++i)
    if (::LoadLibraryW(argv[i]) == nullptr) ++missing;
  return missing;
}
