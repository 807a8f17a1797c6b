// National language, version, the Everyone account, debugger output, code
// pages, the screen, and the process hardening done first thing in main.
#include "platform/win32/winapi.h"
#include "platform/win32/handles.h"

#include <climits>
#include <vector>

#include "platform/system.h"

namespace win {

namespace {

// The extended version structure and the basic one that the system also
// accepts; only the first is ever passed.
constexpr DWORD kVersionInfoExSize = 284;
constexpr DWORD kVersionInfoSize = 276;
static_assert(sizeof(OSVERSIONINFOEXW) == kVersionInfoExSize);
static_assert(sizeof(OSVERSIONINFOW) == kVersionInfoSize);

constexpr wchar_t kEveryoneSid[] = L"S-1-1-0";
constexpr DWORD kLoadLibrarySearchSystem32 = 0x00000800;

UINT CodePageOrAnsi(uint32_t codePage) { return codePage == 0 ? CP_ACP : codePage; }

// Code pages for which MultiByteToWideChar / WideCharToMultiByte take no flags.
bool TakesNoFlags(UINT codePage) {
  return codePage == CP_UTF7 || codePage == CP_UTF8 || codePage == 42 ||
         (codePage >= 50220 && codePage <= 50229) || codePage == 52936 || codePage == 54936 ||
         (codePage >= 57002 && codePage <= 57011);
}

String Decode(std::string_view bytes, UINT codePage) {
  int length = static_cast<int>(bytes.size());
  int units = ::MultiByteToWideChar(codePage, 0, bytes.data(), length, nullptr, 0);
  if (units <= 0) return String();
  std::vector<wchar_t> buffer(static_cast<size_t>(units));
  units = ::MultiByteToWideChar(codePage, 0, bytes.data(), length, buffer.data(), units);
  return units > 0 ? FromWide(buffer.data(), static_cast<size_t>(units)) : String();
}

}  // namespace

uint16_t GetUserDefaultLangID() { return ::GetUserDefaultLangID(); }

uint16_t GetSystemDefaultLangID() { return ::GetSystemDefaultLangID(); }

bool GetVersionEx(OsVersion& version) {
  OSVERSIONINFOEXW info{};
  info.dwOSVersionInfoSize = kVersionInfoExSize;
  // No retry with the smaller size: the zeroed structure then reads 0.0.
  bool ok = ::GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info)) != FALSE;
  if (!ok) info.dwOSVersionInfoSize = kVersionInfoSize;
  version.major = info.dwMajorVersion;
  version.minor = info.dwMinorVersion;
  version.build = info.dwBuildNumber;
  return ok;
}

String EveryoneAccountName() {
  PSID sid = nullptr;
  if (!::ConvertStringSidToSidW(kEveryoneSid, &sid)) return String();
  w32::LocalMemory sidOwner(sid);
  // Sizes first (in characters, with the terminating zero), then the names.
  DWORD nameLength = 0;
  DWORD domainLength = 0;
  SID_NAME_USE use = SidTypeUnknown;
  ::LookupAccountSidW(nullptr, sid, nullptr, &nameLength, nullptr, &domainLength, &use);
  if (nameLength == 0) return String();
  std::vector<wchar_t> name(nameLength + 1, L'\0');
  std::vector<wchar_t> domain(domainLength + 1, L'\0');
  if (!::LookupAccountSidW(nullptr, sid, name.data(), &nameLength, domain.data(), &domainLength,
                           &use)) {
    return String();
  }
  return FromWide(name.data());
}

void OutputDebugString(const String& text) { ::OutputDebugStringW(Wide(text)); }

void Sleep(uint32_t milliseconds) { ::Sleep(milliseconds); }

uint32_t GetACP() { return ::GetACP(); }

String DecodeCodePage(std::string_view bytes, uint32_t codePage) {
  if (bytes.empty()) return String();
  if (bytes.size() > static_cast<size_t>(INT_MAX)) return String();
  UINT page = CodePageOrAnsi(codePage);
  if (::IsValidCodePage(page) || page == CP_ACP) return Decode(bytes, page);
  // A code page this system does not have: read the bytes as ANSI text rather
  // than losing them.
  return Decode(bytes, CP_ACP);
}

std::string EncodeCodePage(StringView text, uint32_t codePage) {
  if (text.empty()) return std::string();
  if (text.size() > static_cast<size_t>(INT_MAX / 4)) return std::string();
  UINT page = CodePageOrAnsi(codePage);
  if (page != CP_ACP && !::IsValidCodePage(page)) page = CP_ACP;
  const wchar_t* units = reinterpret_cast<const wchar_t*>(text.data());
  int length = static_cast<int>(text.size());
  // No best-fit mapping: a character the code page lacks becomes "?" and never
  // a look-alike (a full-width "＼" must not turn into a path separator).
  DWORD flags = TakesNoFlags(page) ? 0 : WC_NO_BEST_FIT_CHARS;
  int bytes = ::WideCharToMultiByte(page, flags, units, length, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0 && flags != 0) {
    flags = 0;
    bytes = ::WideCharToMultiByte(page, flags, units, length, nullptr, 0, nullptr, nullptr);
  }
  if (bytes <= 0) return std::string();
  std::string out(static_cast<size_t>(bytes), '\0');
  bytes = ::WideCharToMultiByte(page, flags, units, length, out.data(), bytes, nullptr, nullptr);
  if (bytes <= 0) return std::string();
  out.resize(static_cast<size_t>(bytes));
  return out;
}

void InitializeProcess() {
  static bool done = false;
  if (done) return;
  done = true;
  // SetDefaultDllDirectories exists from Windows 8 (and Windows 7 with
  // KB2533623); look it up so that Setup.exe still starts where it is absent.
  using SetDefaultDllDirectoriesProc = BOOL(WINAPI*)(DWORD);
  HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
  FARPROC proc = kernel ? ::GetProcAddress(kernel, "SetDefaultDllDirectories") : nullptr;
  if (proc != nullptr) {
    auto setDefault =
        reinterpret_cast<SetDefaultDllDirectoriesProc>(reinterpret_cast<void (*)()>(proc));
    if (setDefault(kLoadLibrarySearchSystem32)) return;
  }
  // Older systems: at least take the current folder out of the search order.
  ::SetDllDirectoryW(L"");
}

namespace {

// The application object is a static object that reads files and asks the
// shell for folders before main runs, and the shell may load DLLs while doing
// so. Restricting the DLL search here, ahead of every ordinary static
// constructor of the program, closes that window; main's own call then finds
// it done.
__attribute__((constructor(101))) void HardenBeforeStaticObjects() { InitializeProcess(); }

}  // namespace

namespace w32 {

HMODULE LoadSystemLibrary(const wchar_t* name) {
  wchar_t folder[MAX_PATH] = {};
  const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  const std::wstring path = std::wstring(folder, length) + L"\\" + name;
  return ::LoadLibraryExW(path.c_str(), nullptr, 0);
}

}  // namespace w32

int ScreenWidth() { return ::GetSystemMetrics(SM_CXSCREEN); }

int ScreenHeight() { return ::GetSystemMetrics(SM_CYSCREEN); }

int ScreenPixelsPerInch() {
  w32::ScreenDC screen;
  if (screen.Get() == nullptr) return 96;
  int dpi = ::GetDeviceCaps(screen.Get(), LOGPIXELSY);
  return dpi > 0 ? dpi : 96;
}

}  // namespace win
