// The registry object on the simulated machine. Programs on it are 32-bit:
// on a 64-bit machine HKEY_LOCAL_MACHINE\Software\... lands in
// Software\WOW6432Node\... of the store while the program keeps seeing
// Software\...; HKEY_CURRENT_USER is shared by both views.
#include "platform/registry.h"

#include <cstdio>
#include <functional>

#include "platform/files.h"
#include "platform/sim/machine.h"
#include "platform/sim/registry_store.h"

namespace win {

namespace {

constexpr uint32_t kKeyQueryValue = 0x1;
constexpr uint32_t kKeySetValue = 0x2;
constexpr uint32_t kKeyEnumerateSubKeys = 0x8;
constexpr uint32_t kErrorKeyDeleted = 1018;

// The path in the store for a path as the program names it.
StringList StorePath(RootKey root, StringList parts) {
  if (root == RootKey::LocalMachine && sim::CurrentMachine().Config().is64Bit && !parts.empty() &&
      SameText(parts[0], u"Software") && !(parts.size() > 1 && SameText(parts[1], u"WOW6432Node"))) {
    parts.insert(parts.begin() + 1, u"WOW6432Node");
  }
  return parts;
}

sim::RegKey& Hive(sim::RegTree& tree, RootKey root) {
  return root == RootKey::LocalMachine ? tree.localMachine : tree.currentUser;
}

sim::RegKey* Walk(const sim::RegTree& tree, RootKey root, const StringList& storePath) {
  sim::RegKey* key = const_cast<sim::RegKey*>(root == RootKey::LocalMachine ? &tree.localMachine : &tree.currentUser);
  for (const String& part : storePath) {
    key = key->Find(part);
    if (key == nullptr) return nullptr;
  }
  return key;
}

bool Fail(uint32_t error) {
  SetLastError(error);
  return false;
}

}  // namespace

struct Registry::Impl {
  uint32_t access = kKeyAllAccess;
  RootKey root = RootKey::CurrentUser;
  bool open = false;
  bool readOnly = false;
  StringList path;  // as the program names it

  StringList Store() const { return StorePath(root, path); }
  // Local machine keys change only for an elevated administrator.
  bool MayChangeHive() const { return root == RootKey::CurrentUser || sim::CurrentMachine().Account().elevated; }
  bool CanSetValues() const {
    return open && !path.empty() && !readOnly && (access & kKeySetValue) && MayChangeHive();
  }
  bool CanQuery() const { return open && (readOnly || (access & kKeyQueryValue)); }
  // A key path for KeyExists / DeleteKey / GetKeyNames: relative to the open
  // key, or to the root when none is open or the path starts with "\".
  StringList Relative(const String& key) const {
    StringList parts = (open && !StartsWith(key, u"\\")) ? path : StringList();
    for (String& p : sim::SplitKeyPath(key)) parts.push_back(std::move(p));
    return parts;
  }
  // Runs read on the open key as the store holds it now (null when it is gone).
  void ReadOpenKey(const std::function<void(sim::RegKey*)>& read) const {
    const StringList store = Store();
    sim::ReadRegistry([&](const sim::RegTree& tree) { read(Walk(tree, root, store)); });
  }
  // Changes the open key's values in one transaction: change says whether it
  // changed the key. A key deleted meanwhile by another program, or a change
  // that did not happen, fails with missingError.
  bool ChangeValues(uint32_t missingError, const std::function<bool(sim::RegKey&)>& change) const {
    if (!CanSetValues()) return Fail(kErrorAccessDenied);
    const StringList store = Store();
    bool done = false;
    bool saved = sim::ChangeRegistry([&](sim::RegTree& tree) {
      sim::RegKey* key = Walk(tree, root, store);
      if (key == nullptr) return false;
      done = change(*key);
      return done;
    });
    if (!done) return Fail(missingError);
    return saved || Fail(kErrorAccessDenied);
  }

  // Writes one value of the open key, of the store's type and text.
  bool SetValue(const String& name, uint32_t type, const String& data) const {
    return ChangeValues(kErrorKeyDeleted, [&](sim::RegKey& key) {
      sim::RegValue* v = key.FindValue(name);
      if (v == nullptr) {
        key.values.push_back({name, type, data});
      } else {
        v->type = type;
        v->data = data;
      }
      return true;
    });
  }
};

Registry::Registry(uint32_t access) : impl_(std::make_unique<Impl>()) { impl_->access = access; }
Registry::~Registry() = default;

void Registry::SetRootKey(RootKey root) {
  if (impl_->root != root) CloseKey();
  impl_->root = root;
}
RootKey Registry::GetRootKey() const { return impl_->root; }
void Registry::SetAccess(uint32_t access) { impl_->access = access; }
uint32_t Registry::Access() const { return impl_->access; }

bool Registry::OpenKey(const String& key, bool canCreate) {
  StringList parts = sim::SplitKeyPath(key);
  StringList store = StorePath(impl_->root, parts);
  bool found = false;
  RootKey root = impl_->root;
  if (canCreate && impl_->MayChangeHive()) {
    bool ok = sim::ChangeRegistry([&](sim::RegTree& tree) {
      sim::RegKey* k = &Hive(tree, root);
      bool created = false;
      for (const String& part : store) {
        if (k->Find(part) == nullptr) created = true;
        k = k->FindOrAdd(part);
      }
      found = true;
      return created;
    });
    if (!ok) found = false;
  } else {
    sim::ReadRegistry([&](const sim::RegTree& tree) { found = Walk(tree, root, store) != nullptr; });
  }
  if (!found) return Fail(canCreate ? kErrorAccessDenied : kErrorFileNotFound);
  impl_->open = true;
  impl_->readOnly = false;
  impl_->path = parts;
  return true;
}

bool Registry::OpenKeyReadOnly(const String& key) {
  if (!OpenKey(key, false)) return false;
  impl_->readOnly = true;
  return true;
}

void Registry::CloseKey() {
  impl_->open = false;
  impl_->readOnly = false;
  impl_->path.clear();
}

bool Registry::HasOpenKey() const { return impl_->open; }

String Registry::CurrentPath() const {
  String out;
  for (const String& p : impl_->path) out += (out.empty() ? u"" : u"\\") + p;
  return out;
}

String Registry::ReadString(const String& name) {
  String result;
  if (!impl_->CanQuery()) return result;
  impl_->ReadOpenKey([&](sim::RegKey* key) {
    const sim::RegValue* v = key ? key->FindValue(name) : nullptr;
    if (v && v->type != sim::kRegOther) result = v->data;
  });
  return result;
}

bool Registry::WriteString(const String& name, const String& value) { return impl_->SetValue(name, sim::kRegSz, value); }

bool Registry::WriteInteger(const String& name, uint32_t value) {
  char notation[24];
  snprintf(notation, sizeof notation, "dword:%08x", value);
  return impl_->SetValue(name, sim::kRegOther, FromUtf8(notation));
}

bool Registry::ValueExists(const String& name) {
  if (!impl_->CanQuery()) return false;
  bool exists = false;
  impl_->ReadOpenKey([&](sim::RegKey* key) { exists = key && key->FindValue(name); });
  return exists;
}

bool Registry::DeleteValue(const String& name) {
  return impl_->ChangeValues(kErrorFileNotFound, [&](sim::RegKey& key) {
    for (auto it = key.values.begin(); it != key.values.end(); ++it) {
      if (SameText(it->name, name)) {
        key.values.erase(it);
        return true;
      }
    }
    return false;
  });
}

StringList Registry::GetValueNames() {
  StringList names;
  if (!impl_->CanQuery()) return names;
  impl_->ReadOpenKey([&](sim::RegKey* key) {
    if (key) {
      for (const sim::RegValue& v : key->values) names.push_back(v.name);
    }
  });
  return names;
}

bool Registry::KeyExists(const String& key) {
  StringList store = StorePath(impl_->root, impl_->Relative(key));
  RootKey root = impl_->root;
  bool exists = false;
  sim::ReadRegistry([&](const sim::RegTree& tree) { exists = Walk(tree, root, store) != nullptr; });
  return exists;
}

bool Registry::HasSubKeys() {
  if (!impl_->open) return false;
  bool has = false;
  impl_->ReadOpenKey([&](sim::RegKey* key) { has = key && !key->subKeys.empty(); });
  return has;
}

StringList Registry::GetKeyNames() {
  StringList names;
  if (impl_->open && !impl_->readOnly && !(impl_->access & kKeyEnumerateSubKeys)) return names;
  impl_->ReadOpenKey([&](sim::RegKey* key) {
    if (key) {
      for (const auto& sub : key->subKeys) names.push_back(sub->name);
    }
  });
  return names;
}

bool Registry::DeleteKey(const String& key) {
  StringList program = impl_->Relative(key);
  if (sim::SplitKeyPath(key).empty() || program.empty()) return Fail(kErrorAccessDenied);  // never the root
  if (!impl_->MayChangeHive()) return Fail(kErrorAccessDenied);
  StringList store = StorePath(impl_->root, program);
  StringList parent(store.begin(), store.end() - 1);
  RootKey root = impl_->root;
  uint32_t error = kErrorSuccess;
  bool saved = sim::ChangeRegistry([&](sim::RegTree& tree) {
    sim::RegKey* p = Walk(tree, root, parent);
    sim::RegKey* k = p ? p->Find(store.back()) : nullptr;
    if (k == nullptr) {
      error = kErrorFileNotFound;
      return false;
    }
    if (!k->subKeys.empty()) {
      error = kErrorAccessDenied;  // RegDeleteKeyW does not recurse
      return false;
    }
    p->Remove(store.back());
    return true;
  });
  if (error != kErrorSuccess) return Fail(error);
  return saved || Fail(kErrorAccessDenied);
}

}  // namespace win
