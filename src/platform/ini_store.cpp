// Text decoding of ini-style files and the in-memory ini store.
#include <utility>

#include "platform/files.h"
#include "platform/ini.h"
#include "platform/system.h"

namespace win {

namespace {

String DecodeUtf16(std::string_view bytes, bool bigEndian) {
  String out;
  out.reserve(bytes.size() / 2);
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    auto b0 = static_cast<unsigned char>(bytes[i]);
    auto b1 = static_cast<unsigned char>(bytes[i + 1]);
    out.push_back(static_cast<char16_t>(bigEndian ? (b0 << 8) | b1 : (b1 << 8) | b0));
  }
  return out;
}

std::string EncodeUtf16(StringView text, bool bigEndian) {
  std::string out;
  out.reserve(text.size() * 2);
  for (char16_t c : text) {
    char hi = static_cast<char>(c >> 8), lo = static_cast<char>(c & 0xFF);
    out.push_back(bigEndian ? hi : lo);
    out.push_back(bigEndian ? lo : hi);
  }
  return out;
}

}  // namespace

size_t NameHash::operator()(StringView name) const noexcept {
  uint64_t h = 1469598103934665603ull;  // FNV-1a over the folded units
  for (char16_t c : name) {
    h = (h ^ FoldCase(c)) * 1099511628211ull;
  }
  return static_cast<size_t>(h);
}

DecodedText DecodeText(std::string_view bytes) {
  DecodedText result;
  if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") {
    result.encoding = TextEncoding::Utf8;
    result.bomSize = 3;
    result.text = FromUtf8(bytes.substr(3));
  } else if (bytes.size() >= 2 && bytes.substr(0, 2) == "\xFF\xFE") {
    result.encoding = TextEncoding::Utf16LE;
    result.bomSize = 2;
    result.text = DecodeUtf16(bytes.substr(2), false);
  } else if (bytes.size() >= 2 && bytes.substr(0, 2) == "\xFE\xFF") {
    result.encoding = TextEncoding::Utf16BE;
    result.bomSize = 2;
    result.text = DecodeUtf16(bytes.substr(2), true);
  } else {
    result.text = DecodeCodePage(bytes, 0);
  }
  return result;
}

std::string EncodeText(StringView text, TextEncoding encoding) {
  switch (encoding) {
    case TextEncoding::Utf8: return ToUtf8(text);
    case TextEncoding::Utf16LE: return EncodeUtf16(text, false);
    case TextEncoding::Utf16BE: return EncodeUtf16(text, true);
    case TextEncoding::Ansi: break;
  }
  return EncodeCodePage(text, 0);
}

StringList SplitLines(StringView text) {
  StringList lines;
  size_t start = 0, i = 0;
  while (i < text.size()) {
    char16_t c = text[i];
    if (c == u'\r' || c == u'\n') {
      lines.emplace_back(text.substr(start, i - start));
      i += (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ? 2 : 1;
      start = i;
    } else {
      ++i;
    }
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
  return lines;
}

MemIniFile::MemIniFile() = default;

// A missing or unreadable file gives an empty store.
MemIniFile::MemIniFile(const String& fileName) { (void)LoadFromFile(fileName); }

MemIniFile::~MemIniFile() = default;

void MemIniFile::Clear() {
  sections_.clear();
  sectionIndex_.clear();
}

bool MemIniFile::LoadFromFile(const String& fileName) {
  fileName_ = fileName;
  Clear();
  std::string bytes;
  if (!ReadFileBytes(fileName, bytes)) return false;
  LoadFromText(DecodeText(bytes).text);
  return true;
}

void MemIniFile::LoadFromText(StringView text) {
  Clear();
  Section* current = nullptr;
  for (const String& rawLine : SplitLines(text)) {
    String line = Trim(rawLine);
    if (line.empty() || line[0] == u';') continue;
    if (line.size() >= 2 && line.front() == u'[' && line.back() == u']') {
      current = &AddSection(Trim(StringView(line).substr(1, line.size() - 2)));
      continue;
    }
    if (current == nullptr) continue;
    Entry entry;
    size_t eq = line.find(u'=');
    if (eq == String::npos) {
      entry.key = line;
      entry.hasEquals = false;
    } else {
      entry.key = Trim(StringView(line).substr(0, eq));
      entry.value = Trim(StringView(line).substr(eq + 1));
    }
    AddEntry(*current, std::move(entry));
  }
}

MemIniFile::Section& MemIniFile::AddSection(StringView section) {
  // A repeated header gets a section of its own; lookups keep finding the first.
  sections_.emplace_back();
  sections_.back().name = String(section);
  sectionIndex_.emplace(String(section), sections_.size() - 1);
  return sections_.back();
}

void MemIniFile::AddEntry(Section& section, Entry entry) {
  if (entry.hasEquals) section.keyIndex.emplace(entry.key, section.entries.size());
  section.entries.push_back(std::move(entry));
}

MemIniFile::Section* MemIniFile::FindSection(StringView section) {
  auto it = sectionIndex_.find(section);
  return it == sectionIndex_.end() ? nullptr : &sections_[it->second];
}

const MemIniFile::Section* MemIniFile::FindSection(StringView section) const {
  auto it = sectionIndex_.find(section);
  return it == sectionIndex_.end() ? nullptr : &sections_[it->second];
}

const String* MemIniFile::FindValue(StringView section, StringView key) const {
  const Section* s = FindSection(section);
  if (s == nullptr) return nullptr;
  auto it = s->keyIndex.find(key);
  return it == s->keyIndex.end() ? nullptr : &s->entries[it->second].value;
}

String MemIniFile::ReadString(StringView section, StringView key, StringView defaultValue) const {
  const String* value = FindValue(section, key);
  return value != nullptr ? *value : String(defaultValue);
}

bool MemIniFile::SectionExists(StringView section) const { return FindSection(section) != nullptr; }

bool MemIniFile::ValueExists(StringView section, StringView key) const {
  const Section* s = FindSection(section);
  return s != nullptr && s->keyIndex.count(key) != 0;
}

void MemIniFile::ReadSections(StringList& sections) const {
  sections.clear();
  for (size_t i = 0; i < sections_.size(); ++i) {
    // Only the first section of a name is listed.
    auto it = sectionIndex_.find(sections_[i].name);
    if (it != sectionIndex_.end() && it->second == i) sections.push_back(sections_[i].name);
  }
}

void MemIniFile::ReadSection(StringView section, StringList& keys) const {
  keys.clear();
  const Section* s = FindSection(section);
  if (s == nullptr) return;
  for (const Entry& e : s->entries)
    if (e.hasEquals) keys.push_back(e.key);
}

void MemIniFile::ReadSectionValues(StringView section, StringList& lines) const {
  lines.clear();
  const Section* s = FindSection(section);
  if (s == nullptr) return;
  for (const Entry& e : s->entries) lines.push_back(e.hasEquals ? e.key + u"=" + e.value : e.key);
}

void MemIniFile::WriteString(StringView section, StringView key, StringView value) {
  Section* s = FindSection(section);
  if (s == nullptr) s = &AddSection(section);
  auto it = s->keyIndex.find(key);
  if (it != s->keyIndex.end()) {
    s->entries[it->second].value = String(value);
    return;
  }
  AddEntry(*s, Entry{String(key), String(value), true});
}

}  // namespace win
