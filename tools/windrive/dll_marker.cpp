// A DLL that leaves a mark when a program loads it: "<its own path>.loaded",
// holding the path of the program. Laid beside Setup.exe under the names of
// system DLLs, it shows whether the program loads DLLs from its own folder.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  wchar_t dll[MAX_PATH] = L"";
  wchar_t program[MAX_PATH] = L"";
  if (::GetModuleFileNameW(self, dll, MAX_PATH) == 0) return TRUE;
  ::GetModuleFileNameW(nullptr, program, MAX_PATH);
  wchar_t mark[MAX_PATH + 16];
  ::lstrcpynW(mark, dll, MAX_PATH);
  ::lstrcatW(mark, L".loaded");
  HANDLE file = ::CreateFileW(mark, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    DWORD written = 0;
    ::WriteFile(file, program, static_cast<DWORD>(::lstrlenW(program) * sizeof(wchar_t)), &written, nullptr);
    ::CloseHandle(file);
  }
  return TRUE;
}
