// The one door to the Windows headers for the win32 backend. Every backend
// source includes this file first: it pulls in the system headers and then
// removes the A/W name macros that would rename our own functions in
// namespace win (win::CopyFile must stay win::CopyFile, not win::CopyFileW).
// The backend therefore always calls the ...W functions by their full name.
//
// It also holds the only conversions between String and wchar_t text (both
// UTF-16 on Windows).
#pragma once

#include <windows.h>
#include <objbase.h>
#include <objidl.h>
#include <sddl.h>
#include <shellapi.h>
#include <shlobj.h>
#include <tlhelp32.h>

#undef CopyFile
#undef CreateDirectory
#undef DeleteFile
#undef FindWindow
#undef GetFileAttributes
#undef GetVersionEx
#undef MoveFile
#undef OutputDebugString
#undef PostMessage
#undef RegisterWindowMessage
#undef RemoveDirectory
#undef SetFileAttributes
#undef SHGetSpecialFolderPath
#undef ShellExecute
#undef CreateProcess
#undef GetCommandLine
#undef Yield
// Names of the widget model (platform/ui.h, platform/graphics.h).
#undef MessageBox
#undef TextOut
// Colour helpers of the portable drawing types (platform/graphics.h).
#undef RGB
#undef GetRValue
#undef GetGValue
#undef GetBValue

#include <string>

#include "platform/strings.h"

namespace win {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "wchar_t must be UTF-16 on Windows");

// Read-only view of a String as a zero-terminated wide string for the system.
inline const wchar_t* Wide(const String& text) {
  return reinterpret_cast<const wchar_t*>(text.c_str());
}
// Wide text from the system, copied unit by unit.
inline String FromWide(const wchar_t* text, size_t length) {
  String out;
  out.reserve(length);
  for (size_t i = 0; i < length; ++i) out.push_back(static_cast<char16_t>(text[i]));
  return out;
}
inline String FromWide(const wchar_t* text) {
  return text ? FromWide(text, wcslen(text)) : String();
}
// A writable, zero-terminated wide copy (CreateProcessW may change its buffer).
inline std::wstring WideCopy(const String& text) {
  std::wstring out;
  out.reserve(text.size());
  for (char16_t c : text) out.push_back(static_cast<wchar_t>(c));
  return out;
}

namespace w32 {
// A DLL of the system folder, loaded by its full path (name like
// L"msftedit.dll"), never by its bare name: a DLL of that name beside
// Setup.exe must never load. Null when it cannot be loaded.
HMODULE LoadSystemLibrary(const wchar_t* name);
}  // namespace w32

}  // namespace win
