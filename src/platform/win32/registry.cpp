// The registry object over the real registry. No view flag is ever passed, so a
// 32-bit Setup.exe reads and writes the 32-bit view, as the installed product
// and its uninstaller expect.
#include "platform/win32/winapi.h"
#include "platform/win32/handles.h"

#include <vector>

#include "platform/registry.h"

namespace win {

namespace {

HKEY RootHandle(RootKey root) {
  return root == RootKey::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

// Key paths are taken relative to their base: leading and trailing "\" go.
String KeyPath(const String& key) {
  size_t begin = 0;
  size_t end = key.size();
  while (begin < end && key[begin] == u'\\') ++begin;
  while (end > begin && key[end - 1] == u'\\') --end;
  return key.substr(begin, end - begin);
}

// Registry calls return their error instead of setting the thread's last error;
// this sets it, so GetLastError tells the caller what went wrong.
bool Succeeded(LSTATUS status) {
  if (status == ERROR_SUCCESS) return true;
  ::SetLastError(static_cast<DWORD>(status));
  return false;
}

// REG_SZ / REG_EXPAND_SZ data as text: up to the first zero unit.
String TextOfData(const std::vector<BYTE>& data, DWORD size) {
  size_t units = size / sizeof(wchar_t);
  const wchar_t* text = reinterpret_cast<const wchar_t*>(data.data());
  size_t length = 0;
  while (length < units && text[length] != L'\0') ++length;
  return FromWide(text, length);
}

// The names RegEnumValueW or RegEnumKeyExW gives for index 0, 1, ... until
// it has no more. The buffer starts one unit past the longest name the query
// reported; a longer name that appeared since doubles it, up to maxUnits.
template <typename Enumerate>
StringList EnumerateNames(DWORD longest, size_t maxUnits, Enumerate enumerate) {
  StringList names;
  std::vector<wchar_t> buffer(longest + 1);
  for (DWORD index = 0;;) {
    DWORD length = static_cast<DWORD>(buffer.size());
    LSTATUS status = enumerate(index, buffer.data(), &length);
    if (status == ERROR_MORE_DATA) {
      if (buffer.size() > maxUnits) break;
      buffer.resize(buffer.size() * 2);
      continue;
    }
    if (status != ERROR_SUCCESS) break;
    names.push_back(FromWide(buffer.data(), length));
    ++index;
  }
  return names;
}

}  // namespace

struct Registry::Impl {
  RootKey root = RootKey::CurrentUser;
  uint32_t access = kKeyAllAccess;
  w32::RegKey key;
  String path;

  HKEY Base() const { return key.IsOpen() ? key.Get() : RootHandle(root); }

  // Opens a key below the root with open(root, path, &opened). The empty path
  // stands for the root itself, which is borrowed, never closed.
  template <typename OpenCall>
  bool Open(const String& name, OpenCall open) {
    const String relative = KeyPath(name);
    HKEY rootKey = RootHandle(root);
    if (relative.empty()) {
      key.Attach(rootKey, false);
      path.clear();
      return true;
    }
    HKEY opened = nullptr;
    if (!Succeeded(open(rootKey, Wide(relative), &opened))) return false;
    key.Attach(opened, true);
    path = relative;
    return true;
  }
};

Registry::Registry(uint32_t access) : impl_(std::make_unique<Impl>()) { impl_->access = access; }

Registry::~Registry() = default;

void Registry::SetRootKey(RootKey root) {
  if (root == impl_->root) return;
  CloseKey();
  impl_->root = root;
}

RootKey Registry::GetRootKey() const { return impl_->root; }

void Registry::SetAccess(uint32_t access) { impl_->access = access; }

uint32_t Registry::Access() const { return impl_->access; }

bool Registry::OpenKey(const String& key, bool canCreate) {
  const REGSAM access = impl_->access;
  return impl_->Open(key, [canCreate, access](HKEY root, const wchar_t* path, HKEY* opened) {
    if (!canCreate) return ::RegOpenKeyExW(root, path, 0, access, opened);
    DWORD disposition = 0;
    return ::RegCreateKeyExW(root, path, 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr,
                             opened, &disposition);
  });
}

bool Registry::OpenKeyReadOnly(const String& key) {
  return impl_->Open(key, [](HKEY root, const wchar_t* path, HKEY* opened) {
    return ::RegOpenKeyExW(root, path, 0, KEY_READ, opened);
  });
}

void Registry::CloseKey() {
  impl_->key.Close();
  impl_->path.clear();
}

bool Registry::HasOpenKey() const { return impl_->key.IsOpen(); }

String Registry::CurrentPath() const { return impl_->path; }

String Registry::ReadString(const String& name) {
  if (!impl_->key.IsOpen()) {
    ::SetLastError(ERROR_INVALID_HANDLE);
    return String();
  }
  // The value may grow between the size query and the read: retry a few times.
  for (int attempt = 0; attempt < 4; ++attempt) {
    DWORD type = 0;
    DWORD size = 0;
    LSTATUS status =
        ::RegQueryValueExW(impl_->key.Get(), Wide(name), nullptr, &type, nullptr, &size);
    if (!Succeeded(status)) return String();
    if (type != REG_SZ && type != REG_EXPAND_SZ) {
      ::SetLastError(ERROR_INVALID_DATATYPE);
      return String();
    }
    std::vector<BYTE> data(size + sizeof(wchar_t), 0);
    DWORD got = size;
    status = ::RegQueryValueExW(impl_->key.Get(), Wide(name), nullptr, &type, data.data(), &got);
    if (status == ERROR_MORE_DATA) continue;
    if (!Succeeded(status)) return String();
    if (type != REG_SZ && type != REG_EXPAND_SZ) {
      ::SetLastError(ERROR_INVALID_DATATYPE);
      return String();
    }
    return TextOfData(data, got);
  }
  ::SetLastError(ERROR_MORE_DATA);
  return String();
}

bool Registry::WriteString(const String& name, const String& value) {
  // Values are never written into a hive root.
  if (!impl_->key.IsOpen() || impl_->path.empty()) {
    ::SetLastError(ERROR_ACCESS_DENIED);
    return false;
  }
  DWORD size = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
  return Succeeded(::RegSetValueExW(impl_->key.Get(), Wide(name), 0, REG_SZ,
                                    reinterpret_cast<const BYTE*>(Wide(value)), size));
}

bool Registry::WriteInteger(const String& name, uint32_t value) {
  if (!impl_->key.IsOpen() || impl_->path.empty()) {
    ::SetLastError(ERROR_ACCESS_DENIED);
    return false;
  }
  const DWORD data = value;
  return Succeeded(::RegSetValueExW(impl_->key.Get(), Wide(name), 0, REG_DWORD,
                                    reinterpret_cast<const BYTE*>(&data), sizeof data));
}

bool Registry::ValueExists(const String& name) {
  if (!impl_->key.IsOpen()) return false;
  return Succeeded(
      ::RegQueryValueExW(impl_->key.Get(), Wide(name), nullptr, nullptr, nullptr, nullptr));
}

bool Registry::DeleteValue(const String& name) {
  if (!impl_->key.IsOpen() || impl_->path.empty()) {
    ::SetLastError(ERROR_ACCESS_DENIED);
    return false;
  }
  return Succeeded(::RegDeleteValueW(impl_->key.Get(), Wide(name)));
}

StringList Registry::GetValueNames() {
  StringList names;
  if (!impl_->key.IsOpen()) return names;
  DWORD longest = 0;
  if (!Succeeded(::RegQueryInfoKeyW(impl_->key.Get(), nullptr, nullptr, nullptr, nullptr,
                                    nullptr, nullptr, nullptr, &longest, nullptr, nullptr,
                                    nullptr))) {
    return names;
  }
  // Value names are at most 16383 units.
  HKEY key = impl_->key.Get();
  return EnumerateNames(longest, 32768, [key](DWORD index, wchar_t* name, DWORD* length) {
    return ::RegEnumValueW(key, index, name, length, nullptr, nullptr, nullptr, nullptr);
  });
}

bool Registry::KeyExists(const String& key) {
  String path = KeyPath(key);
  if (path.empty()) return true;
  HKEY opened = nullptr;
  if (!Succeeded(::RegOpenKeyExW(impl_->Base(), Wide(path), 0,
                                 STANDARD_RIGHTS_READ | KEY_QUERY_VALUE, &opened))) {
    return false;
  }
  w32::RegKey owner;
  owner.Attach(opened, true);
  return true;
}

bool Registry::HasSubKeys() {
  if (!impl_->key.IsOpen()) return false;
  DWORD count = 0;
  if (!Succeeded(::RegQueryInfoKeyW(impl_->key.Get(), nullptr, nullptr, nullptr, &count, nullptr,
                                    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr))) {
    return false;
  }
  return count > 0;
}

StringList Registry::GetKeyNames() {
  StringList names;
  HKEY base = impl_->Base();
  DWORD longest = 0;
  if (!Succeeded(::RegQueryInfoKeyW(base, nullptr, nullptr, nullptr, nullptr, &longest, nullptr,
                                    nullptr, nullptr, nullptr, nullptr, nullptr))) {
    return names;
  }
  // Key names are at most 255 units.
  return EnumerateNames(longest, 512, [base](DWORD index, wchar_t* name, DWORD* length) {
    return ::RegEnumKeyExW(base, index, name, length, nullptr, nullptr, nullptr, nullptr);
  });
}

bool Registry::DeleteKey(const String& key) {
  String path = KeyPath(key);
  // The empty name would address the open key or the hive root itself.
  if (path.empty()) {
    ::SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  // RegDeleteKeyW removes only a key without sub-keys: never a whole tree.
  return Succeeded(::RegDeleteKeyW(impl_->Base(), Wide(path)));
}

}  // namespace win
