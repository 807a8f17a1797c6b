// Shell services: special folders, the administrator test, change notices,
// ShellExecuteW and the COM shell link object.
#include "platform/win32/winapi.h"
#include "platform/win32/handles.h"

#include "platform/files.h"
#include "platform/shell.h"

namespace win {

String SHGetSpecialFolderPath(int csidl) {
  wchar_t buffer[MAX_PATH] = {};
  // The result does not decide anything: a failed lookup leaves the buffer
  // zero, which reads as "".
  ::SHGetSpecialFolderPathW(::GetForegroundWindow(), buffer, csidl, FALSE);
  buffer[MAX_PATH - 1] = L'\0';
  return FromWide(buffer);
}

bool IsUserAnAdmin() { return ::IsUserAnAdmin() != FALSE; }

void SHChangeNotify(uint32_t eventId, uint32_t flags) {
  ::SHChangeNotify(static_cast<LONG>(eventId), flags, nullptr, nullptr);
}

bool ShellExecuteOpen(const String& file, const String& parameters, int show) {
  // The shell may hand the file to an extension, which needs COM on the
  // calling thread.
  w32::ComInit com;
  com.Initialize();
  String trace = u"ShellExecute open " + file;
  if (!parameters.empty()) trace += u" " + parameters;
  ::OutputDebugStringW(Wide(trace));
  HINSTANCE result = ::ShellExecuteW(nullptr, L"open", Wide(file),
                                     parameters.empty() ? nullptr : Wide(parameters), nullptr,
                                     show);
  return reinterpret_cast<INT_PTR>(result) > 32;
}

struct ShellLink::Impl {
  // Declared first, so COM is given back after the link object is released.
  w32::ComInit com;
  w32::ComPtr<IShellLinkW> link;
};

ShellLink::ShellLink() : impl_(std::make_unique<Impl>()) {}

ShellLink::~ShellLink() = default;

bool ShellLink::Create() {
  if (impl_->link) return true;
  impl_->com.Initialize();
  HRESULT result = ::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_IShellLinkW, impl_->link.Receive());
  if (FAILED(result) || !impl_->link) {
    impl_->link.Reset();
    impl_->com.Uninitialize();
    return false;
  }
  return true;
}

void ShellLink::SetPath(const String& target) {
  if (impl_->link) impl_->link->SetPath(Wide(target));
}

void ShellLink::SetDescription(const String& description) {
  if (impl_->link) impl_->link->SetDescription(Wide(description));
}

void ShellLink::SetWorkingDirectory(const String& folder) {
  if (impl_->link) impl_->link->SetWorkingDirectory(Wide(folder));
}

void ShellLink::SetIconLocation(const String& icon, int index) {
  if (impl_->link) impl_->link->SetIconLocation(Wide(icon), index);
}

void ShellLink::SetArguments(const String& arguments) {
  if (impl_->link) impl_->link->SetArguments(Wide(arguments));
}

bool ShellLink::Save(const String& linkFile) {
  if (!impl_->link) return false;
  w32::ComPtr<IPersistFile> file;
  if (FAILED(impl_->link->QueryInterface(IID_IPersistFile, file.Receive())) || !file) {
    return false;
  }
  return SUCCEEDED(file->Save(Wide(linkFile), TRUE));
}

namespace {

// IShellLinkW getters write into caller buffers; 1024 units covers the longest
// text a link stores for these fields (INFOTIPSIZE).
constexpr int kLinkTextUnits = 1024;

}  // namespace

bool ReadShellLink(const String& linkFile, ShellLinkInfo& info) {
  w32::ComInit com;
  com.Initialize();
  w32::ComPtr<IShellLinkW> link;
  if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                link.Receive())) ||
      !link) {
    return false;
  }
  {
    w32::ComPtr<IPersistFile> file;
    if (FAILED(link->QueryInterface(IID_IPersistFile, file.Receive())) || !file) return false;
    if (FAILED(file->Load(Wide(linkFile), STGM_READ))) {
      ::SetLastError(ERROR_FILE_NOT_FOUND);
      return false;
    }
  }
  wchar_t buffer[kLinkTextUnits];
  ShellLinkInfo read;
  buffer[0] = L'\0';
  if (SUCCEEDED(link->GetPath(buffer, kLinkTextUnits, nullptr, SLGP_RAWPATH))) {
    read.target = FromWide(buffer);
  }
  buffer[0] = L'\0';
  if (SUCCEEDED(link->GetArguments(buffer, kLinkTextUnits))) read.arguments = FromWide(buffer);
  buffer[0] = L'\0';
  if (SUCCEEDED(link->GetWorkingDirectory(buffer, kLinkTextUnits))) {
    read.workingDirectory = FromWide(buffer);
  }
  buffer[0] = L'\0';
  if (SUCCEEDED(link->GetDescription(buffer, kLinkTextUnits))) {
    read.description = FromWide(buffer);
  }
  buffer[0] = L'\0';
  int index = 0;
  if (SUCCEEDED(link->GetIconLocation(buffer, kLinkTextUnits, &index))) {
    read.iconLocation = FromWide(buffer);
    read.iconIndex = index;
  }
  info = read;
  return true;
}

}  // namespace win
