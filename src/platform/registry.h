// The registry object, after the toolkit's TRegistry: one object, one root key,
// one access mask, at most one open key at a time. No view flag is ever given:
// a 32-bit program sees the 32-bit view, as on Windows.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/strings.h"

namespace win {

enum class RootKey { LocalMachine, CurrentUser };

constexpr uint32_t kKeyRead = 0x20019;
constexpr uint32_t kKeyWrite = 0x20006;
constexpr uint32_t kKeyAllAccess = 0xF003F;

class Registry {
 public:
  explicit Registry(uint32_t access = kKeyAllAccess);
  ~Registry();
  Registry(const Registry&) = delete;
  Registry& operator=(const Registry&) = delete;

  void SetRootKey(RootKey root);
  RootKey GetRootKey() const;
  void SetAccess(uint32_t access);
  uint32_t Access() const;

  // Key paths are relative to the root key (a leading "\" is accepted and
  // ignored, so is a trailing one). The empty path opens the root itself, where
  // value writes are refused.
  [[nodiscard]] bool OpenKey(const String& key, bool canCreate);
  [[nodiscard]] bool OpenKeyReadOnly(const String& key);
  void CloseKey();
  bool HasOpenKey() const;
  String CurrentPath() const;

  // Values of the open key. ReadString of an absent value gives "".
  String ReadString(const String& name);
  [[nodiscard]] bool WriteString(const String& name, const String& value);
  // A REG_DWORD value (the toolkit's WriteInteger).
  [[nodiscard]] bool WriteInteger(const String& name, uint32_t value);
  bool ValueExists(const String& name);
  [[nodiscard]] bool DeleteValue(const String& name);
  StringList GetValueNames();

  // Sub-keys: relative to the open key, or to the root when none is open.
  bool KeyExists(const String& key);
  bool HasSubKeys();  // of the open key
  StringList GetKeyNames();
  // Deletes the key only when it has no sub-keys (RegDeleteKeyW semantics);
  // the root and the empty name are never deleted.
  [[nodiscard]] bool DeleteKey(const String& key);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace win
