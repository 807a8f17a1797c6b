// The baseline of the planted-DLL check: a program that imports the system
// DLLs Setup.exe imports, carries its manifest, restricts the DLL search to
// the system folder first thing, as Setup.exe does, and makes one window.
// Whatever DLL it still loads from its own folder is loaded by the system's
// own DLLs (under Wine, whose user32 and comctl32 import some that Windows'
// do not), not by anything a program can do. Prints "ready" when it got that
// far.
#include <windows.h>
#include <commdlg.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstdio>

int wmain() {
  ::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
  ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  wchar_t folder[MAX_PATH] = L"";
  ::SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, 0, folder);
  HKEY key = nullptr;
  if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software", 0, KEY_READ, &key) == ERROR_SUCCESS) ::RegCloseKey(key);
  ::GetStockObject(DEFAULT_GUI_FONT);
  ::CommDlgExtendedError();
  HWND window = ::CreateWindowExW(0, L"STATIC", L"baseline", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr,
                                  ::GetModuleHandleW(nullptr), nullptr);
  ::ShowWindow(window, SW_SHOW);
  const ULONGLONG until = ::GetTickCount64() + 500;
  MSG message;
  while (::GetTickCount64() < until) {
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
    ::Sleep(10);
  }
  ::DestroyWindow(window);
  ::CoUninitialize();
  std::printf("ready\n");
  return 0;
}
