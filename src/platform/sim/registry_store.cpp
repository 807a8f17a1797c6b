#include "platform/sim/registry_store.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <mutex>

#include "platform/sim/machine.h"

namespace sim {

namespace {

constexpr const char16_t* kHeader = u"Windows Registry Editor Version 5.00";
constexpr const char* kFileName = "/registry.reg";
constexpr const char* kLockName = "/registry.lock";

bool Less(const std::unique_ptr<RegKey>& a, StringView b) { return win::CompareText(a->name, b) < 0; }

// --- reading -------------------------------------------------------------

String DecodeFile(const std::string& bytes) {
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
      static_cast<unsigned char>(bytes[1]) == 0xFE) {
    String out;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
      out.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                          (static_cast<unsigned char>(bytes[i + 1]) << 8)));
    }
    return out;
  }
  size_t skip = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
  return win::FromUtf8(std::string_view(bytes).substr(skip));
}

// A quoted .reg string starting at text[pos] == '"'; pos ends after the
// closing quote. False when the quote is never closed.
bool ParseQuoted(StringView text, size_t& pos, String& out) {
  out.clear();
  for (size_t i = pos + 1; i < text.size(); ++i) {
    char16_t c = text[i];
    if (c == u'\\' && i + 1 < text.size() && (text[i + 1] == u'\\' || text[i + 1] == u'"')) {
      out.push_back(text[++i]);
    } else if (c == u'"') {
      pos = i + 1;
      return true;
    } else {
      out.push_back(c);
    }
  }
  return false;
}

// "hex(n):aa,bb,..." bytes; false on a malformed list.
bool ParseHexBytes(StringView list, std::string& bytes) {
  bytes.clear();
  String cleaned;
  for (char16_t c : list) {
    if (c != u' ' && c != u'\t' && c != u'\\') cleaned.push_back(c);
  }
  if (cleaned.empty()) return true;
  size_t i = 0;
  while (i < cleaned.size()) {
    size_t comma = cleaned.find(u',', i);
    if (comma == String::npos) comma = cleaned.size();
    StringView part = StringView(cleaned).substr(i, comma - i);
    if (part.empty() || part.size() > 2) return false;
    int v = 0;
    for (char16_t c : part) {
      int d = c >= u'0' && c <= u'9' ? c - u'0' : c >= u'a' && c <= u'f' ? c - u'a' + 10
              : c >= u'A' && c <= u'F' ? c - u'A' + 10 : -1;
      if (d < 0) return false;
      v = v * 16 + d;
    }
    bytes.push_back(static_cast<char>(v));
    i = comma + 1;
  }
  return true;
}

String Utf16LeString(const std::string& bytes) {
  String out;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    char16_t c = static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                       (static_cast<unsigned char>(bytes[i + 1]) << 8));
    if (c == 0) break;  // the terminator
    out.push_back(c);
  }
  return out;
}

RegKey* HiveOf(RegTree& tree, StringView name) {
  if (win::SameText(name, u"HKEY_LOCAL_MACHINE") || win::SameText(name, u"HKLM")) return &tree.localMachine;
  if (win::SameText(name, u"HKEY_CURRENT_USER") || win::SameText(name, u"HKCU")) return &tree.currentUser;
  return nullptr;
}

// The key named by a header's path, created on the way; null for another hive.
RegKey* KeyForHeader(RegTree& tree, StringView path, bool create) {
  StringList parts = SplitKeyPath(path);
  if (parts.empty()) return nullptr;
  RegKey* key = HiveOf(tree, parts[0]);
  for (size_t i = 1; key != nullptr && i < parts.size(); ++i) {
    key = create ? key->FindOrAdd(parts[i]) : key->Find(parts[i]);
  }
  return key;
}

void ParseValueLine(RegKey& key, StringView line) {
  size_t pos = 0;
  String name;
  if (line[0] == u'@') {
    pos = 1;
  } else if (!ParseQuoted(line, pos, name)) {
    return;
  }
  while (pos < line.size() && line[pos] == u' ') ++pos;
  if (pos >= line.size() || line[pos] != u'=') return;
  ++pos;
  while (pos < line.size() && line[pos] == u' ') ++pos;
  StringView rest = line.substr(pos);
  RegValue value;
  value.name = name;
  if (rest == u"-") {
    auto it = std::find_if(key.values.begin(), key.values.end(),
                           [&](const RegValue& v) { return win::SameText(v.name, name); });
    if (it != key.values.end()) key.values.erase(it);
    return;
  }
  if (!rest.empty() && rest[0] == u'"') {
    size_t p = 0;
    if (!ParseQuoted(rest, p, value.data)) return;
    // A string ends at its first NUL, as in hex(1) and hex(2) data.
    value.data.resize(std::min(value.data.size(), value.data.find(u'\0')));
    value.type = kRegSz;
  } else if (win::StartsWith(rest, u"hex(1):") || win::StartsWith(rest, u"hex(2):")) {
    std::string bytes;
    if (!ParseHexBytes(rest.substr(7), bytes)) return;
    value.type = rest[4] == u'1' ? kRegSz : kRegExpandSz;
    value.data = Utf16LeString(bytes);
  } else if (win::StartsWith(rest, u"dword:") || win::StartsWith(rest, u"hex")) {
    value.type = kRegOther;
    value.data = String(rest);
  } else {
    return;
  }
  if (RegValue* old = key.FindValue(name)) {
    *old = value;
  } else {
    key.values.push_back(value);
  }
}

// --- writing -------------------------------------------------------------

String Escaped(StringView text) {
  String out;
  for (char16_t c : text) {
    if (c == u'\\' || c == u'"') out.push_back(u'\\');
    out.push_back(c);
  }
  return out;
}

String HexBytes(StringView text) {
  static const char16_t digits[] = u"0123456789abcdef";
  String out;
  auto put = [&](unsigned v) {
    if (!out.empty()) out.push_back(u',');
    out.push_back(digits[v >> 4]);
    out.push_back(digits[v & 15]);
  };
  for (char16_t c : text) {
    put(c & 0xFF);
    put(c >> 8);
  }
  put(0);
  put(0);
  return out;
}

void FormatKey(const RegKey& key, const String& path, String& out) {
  out += u"[" + path + u"]\r\n";
  for (const RegValue& v : key.values) {
    out += v.name.empty() ? String(u"@") : u"\"" + Escaped(v.name) + u"\"";
    out += u"=";
    if (v.type == kRegOther) {
      out += v.data;
    } else if (v.type == kRegExpandSz) {
      out += u"hex(2):" + HexBytes(v.data);
    } else if (v.data.find_first_of(StringView(u"\r\n\0", 3)) != String::npos) {
      out += u"hex(1):" + HexBytes(v.data);  // line breaks would not survive quoting
    } else {
      out += u"\"" + Escaped(v.data) + u"\"";
    }
    out += u"\r\n";
  }
  out += u"\r\n";
  for (const auto& sub : key.subKeys) FormatKey(*sub, path + u"\\" + sub->name, out);
}

// --- the shared file -----------------------------------------------------

struct Cache {
  std::mutex mutex;
  std::string root;
  bool valid = false;
  RegTree tree;
  ino_t inode = 0;
  off_t size = -1;
  struct timespec mtime = {0, 0};
};

Cache& TheCache() {
  static Cache cache;
  return cache;
}

class FileLock {
 public:
  FileLock(const std::string& path, int how) {
    fd_ = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd_ >= 0) {
      while (flock(fd_, how) != 0 && errno == EINTR) {
      }
    }
  }
  ~FileLock() {
    if (fd_ >= 0) close(fd_);  // releases the lock
  }

 private:
  int fd_ = -1;
};

bool SameSignature(const Cache& c, const struct stat& st) {
  return c.inode == st.st_ino && c.size == st.st_size && c.mtime.tv_sec == st.st_mtim.tv_sec &&
         c.mtime.tv_nsec == st.st_mtim.tv_nsec;
}

void Remember(Cache& c, const struct stat& st) {
  c.inode = st.st_ino;
  c.size = st.st_size;
  c.mtime = st.st_mtim;
}

// Re-reads the file when it changed since this process last saw it.
void Refresh(Cache& c) {
  std::string path = c.root + kFileName;
  struct stat st;
  if (stat(path.c_str(), &st) != 0) {
    c.tree = RegTree();
    c.valid = true;
    c.size = -1;
    return;
  }
  if (c.valid && SameSignature(c, st)) return;
  std::string bytes;
  if (FILE* f = fopen(path.c_str(), "rb")) {
    char buf[1 << 16];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0) bytes.append(buf, n);
    fclose(f);
  }
  c.tree = RegTree();
  ParseRegText(bytes, c.tree);
  Remember(c, st);
  c.valid = true;
}

bool Save(Cache& c) {
  std::string path = c.root + kFileName;
  std::string temp = path + ".XXXXXX";
  int fd = mkstemp(temp.data());
  if (fd < 0) return false;
  std::string bytes = FormatRegText(c.tree);
  const char* p = bytes.data();
  size_t left = bytes.size();
  bool ok = true;
  while (left > 0) {
    ssize_t n = write(fd, p, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) { ok = false; break; }
    p += n;
    left -= static_cast<size_t>(n);
  }
  fchmod(fd, 0644);
  if (close(fd) != 0) ok = false;
  if (!ok || rename(temp.c_str(), path.c_str()) != 0) {
    unlink(temp.c_str());
    return false;
  }
  struct stat st;
  if (stat(path.c_str(), &st) == 0) Remember(c, st);
  return true;
}

// Points the cache at the current machine; false when there is none.
bool Select(Cache& c) {
  Machine& m = CurrentMachine();
  if (!m.Found()) return false;
  if (c.root != m.Root()) {
    c.root = m.Root();
    c.valid = false;
  }
  return true;
}

}  // namespace

StringList SplitKeyPath(StringView path) {
  StringList parts;
  size_t i = 0;
  while (i <= path.size()) {
    size_t j = path.find(u'\\', i);
    if (j == StringView::npos) j = path.size();
    if (j > i) parts.emplace_back(path.substr(i, j - i));
    i = j + 1;
  }
  return parts;
}

RegKey* RegKey::Find(StringView child) const {
  auto it = std::lower_bound(subKeys.begin(), subKeys.end(), child, Less);
  return it != subKeys.end() && win::SameText((*it)->name, child) ? it->get() : nullptr;
}

RegKey* RegKey::FindOrAdd(StringView child) {
  auto it = std::lower_bound(subKeys.begin(), subKeys.end(), child, Less);
  if (it != subKeys.end() && win::SameText((*it)->name, child)) return it->get();
  auto key = std::make_unique<RegKey>();
  key->name = String(child);
  return subKeys.insert(it, std::move(key))->get();
}

bool RegKey::Remove(StringView child) {
  auto it = std::lower_bound(subKeys.begin(), subKeys.end(), child, Less);
  if (it == subKeys.end() || !win::SameText((*it)->name, child)) return false;
  subKeys.erase(it);
  return true;
}

RegValue* RegKey::FindValue(StringView valueName) {
  for (RegValue& v : values) {
    if (win::SameText(v.name, valueName)) return &v;
  }
  return nullptr;
}

void ParseRegText(const std::string& bytes, RegTree& tree) {
  String text = DecodeFile(bytes);
  RegKey* current = nullptr;
  String pending;
  size_t i = 0;
  while (i < text.size()) {
    size_t end = text.find(u'\n', i);
    if (end == String::npos) end = text.size();
    String line = text.substr(i, end - i);
    i = end + 1;
    if (!line.empty() && line.back() == u'\r') line.pop_back();
    if (!pending.empty()) {
      line = pending + win::TrimLeft(line);
      pending.clear();
    }
    if (line.empty()) continue;
    if (line[0] != u'[' && line.back() == u'\\' && line.find(u"=hex") != String::npos) {
      pending = line.substr(0, line.size() - 1);  // a hex list goes on on the next line
      continue;
    }
    if (line[0] == u'[') {
      size_t close = line.rfind(u']');
      if (close == String::npos) {
        current = nullptr;
        continue;
      }
      StringView path = StringView(line).substr(1, close - 1);
      if (!path.empty() && path[0] == u'-') {
        StringList parts = SplitKeyPath(path.substr(1));
        current = nullptr;
        if (parts.size() < 2) continue;
        String parentPath = parts[0];
        for (size_t k = 1; k + 1 < parts.size(); ++k) parentPath += u"\\" + parts[k];
        if (RegKey* parent = KeyForHeader(tree, parentPath, false)) parent->Remove(parts.back());
        continue;
      }
      current = KeyForHeader(tree, path, true);
      if (current == &tree.localMachine || current == &tree.currentUser) current = nullptr;
      continue;
    }
    if (current != nullptr && (line[0] == u'"' || line[0] == u'@')) ParseValueLine(*current, line);
  }
}

std::string FormatRegText(const RegTree& tree) {
  String text = String(kHeader) + u"\r\n\r\n";
  for (const RegKey* hive : {&tree.localMachine, &tree.currentUser}) {
    for (const auto& sub : hive->subKeys) FormatKey(*sub, hive->name + u"\\" + sub->name, text);
  }
  std::string bytes = "\xFF\xFE";
  bytes.reserve(2 + text.size() * 2);
  for (char16_t c : text) {
    bytes.push_back(static_cast<char>(c & 0xFF));
    bytes.push_back(static_cast<char>(c >> 8));
  }
  return bytes;
}

bool ReadRegistry(const std::function<void(const RegTree&)>& f) {
  Cache& c = TheCache();
  std::lock_guard<std::mutex> guard(c.mutex);
  if (!Select(c)) return false;
  FileLock lock(c.root + kLockName, LOCK_SH);
  Refresh(c);
  f(c.tree);
  return true;
}

bool ChangeRegistry(const std::function<bool(RegTree&)>& f) {
  Cache& c = TheCache();
  std::lock_guard<std::mutex> guard(c.mutex);
  if (!Select(c)) return false;
  FileLock lock(c.root + kLockName, LOCK_EX);
  Refresh(c);
  if (!f(c.tree)) return true;
  if (Save(c)) return true;
  c.valid = false;  // the file still holds the old state
  return false;
}

}  // namespace sim
