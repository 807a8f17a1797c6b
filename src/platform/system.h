// National language, version, security, debugger output, sleeping, and the
// ANSI code page used to read files without a byte-order mark.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/strings.h"

namespace win {

uint16_t GetUserDefaultLangID();
uint16_t GetSystemDefaultLangID();

// GetVersionExW with the extended structure (size 284); on failure the size is
// set to 276, the call is not repeated, and major/minor read 0.
struct OsVersion {
  uint32_t major = 0;
  uint32_t minor = 0;
  uint32_t build = 0;
};
[[nodiscard]] bool GetVersionEx(OsVersion& version);

// The local account name of the well-known SID "S-1-1-0" (ConvertStringSidToSidW
// + LookupAccountSidW); "" when the lookup fails.
String EveryoneAccountName();

void OutputDebugString(const String& text);
void Sleep(uint32_t milliseconds);

// The system's ANSI code page (CP_ACP on Windows; machine.ini on the sim).
uint32_t GetACP();
// Decodes bytes in a code page (0 = the ANSI code page) to UTF-16; invalid
// sequences become U+FFFD. Encodes likewise (unmappable characters become "?").
String DecodeCodePage(std::string_view bytes, uint32_t codePage = 0);
std::string EncodeCodePage(StringView text, uint32_t codePage = 0);

// First call of the entry routine. On Windows it restricts DLL loading to the
// system folder (SetDefaultDllDirectories), so a DLL planted beside Setup.exe in
// a downloads folder is never loaded.
void InitializeProcess();

// Screen size and logical pixels per inch of the primary display.
int ScreenWidth();
int ScreenHeight();
int ScreenPixelsPerInch();

}  // namespace win
