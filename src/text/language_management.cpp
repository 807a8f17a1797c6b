// Language files, the text store and the text lookup.
#include "text/language_management.h"

#include "platform/files.h"
#include "platform/system.h"
#include "text/cmnsubroutines.h"
#include "text/lookup_record.h"

namespace {

constexpr char16_t kFallbackLanguage[] = u"English";
constexpr char16_t kMappingKey[] = u"%Mapping%";
constexpr char16_t kReturnMarker[] = u"@RETURN@";
constexpr char16_t kParameterMarker[] = u"%P";

// Mapping chains longer than this are taken to be loops: the key is not found.
constexpr int kMaxMappingSteps = 32;

// The language root under a texts folder: its LanguageIni folder, or else its
// first sub-folder as the file system lists it, or else LanguageIni anyway.
String LanguageRoot(const String& textsFolder) {
  String folder = win::IncludeTrailingBackslash(textsFolder);
  String root = folder + kLanguageRootName;
  if (win::DirectoryExists(root)) return root;
  win::FindFile find;
  win::FindData data;
  for (bool more = find.First(folder + u"*.*", data); more; more = find.Next(data)) {
    if (data.name == u"." || data.name == u"..") continue;
    if ((data.attributes & win::kFileAttributeDirectory) != 0) return folder + data.name;
  }
  return root;
}

String LanguageFileIn(const String& root, const String& name, const String& prefix) {
  return root + u"\\" + name + u"\\" + prefix + u"_" + name + u".ini";
}

}  // namespace

String TextsFolderIn(const String& folder) {
  const String texts = folder + kPackageTextsFolder;
  return win::DirectoryExists(texts + kLanguageRootName + u"\\") ? texts : String();
}

String GetField(StringView text, char16_t delimiter, int index) {
  if (index < 0) return String();
  int field = 0;
  size_t start = 0;
  const size_t n = text.size();
  for (size_t i = 0; i < n; ++i) {
    // The last character always joins the field being built.
    if (text[i] != delimiter || i + 1 == n) continue;
    if (field == index) return win::Trim(text.substr(start, i - start));
    ++field;
    start = i + 1;
  }
  if (field == index && start < n) return win::Trim(text.substr(start));
  return String();
}

String ExpandEscapes(const String& text) {
  if (text.find_first_of(u"\\%") == String::npos) return text;
  String out = win::ReplaceAll(text, u"\\\\\\\\", u"\n");
  out = win::ReplaceAll(out, u"%R1", u"\r");
  out = win::ReplaceAll(out, u"%R2", u"\r\r");
  // Two-digit forms first, so "%B12" is not read as "%B1" and "2".
  for (int n = 10; n <= 35; ++n)
    out = win::ReplaceAll(out, u"%B" + win::IntToStr(n), String(static_cast<size_t>(n - 1), u' '));
  for (int n = 1; n <= 9; ++n)
    out = win::ReplaceAll(out, u"%B" + win::IntToStr(n), String(static_cast<size_t>(n), u' '));
  return out;
}

TlanguageManagement::TlanguageManagement() = default;

TlanguageManagement::~TlanguageManagement() = default;

String TlanguageManagement::LanguageFilePath(const String& textsFolder, const String& languageName,
                                             const String& prefix) {
  String root = LanguageRoot(textsFolder);
  String file = LanguageFileIn(root, languageName, prefix);
  if (!win::FileExists(file)) file = LanguageFileIn(root, kFallbackLanguage, prefix);
  return file;
}

String TlanguageManagement::LoadLanguage(const String& textsFolder, uint16_t languageId,
                                         const String& prefix, const String& qualifier) {
  qualifier_ = qualifier;
  if (languageId == 0) languageId = win::GetUserDefaultLangID();
  String name = win::Trim(LanguageNameFromId(languageId));
  auto store = std::make_unique<win::MemIniFile>();
  // A file that cannot be read leaves the store empty, so every lookup gives
  // "@@"; the read error is not shown.
  (void)ReadLanguageFile(LanguageFilePath(textsFolder, name, prefix), *store);
  textStore_ = std::move(store);
  return name;
}

void TlanguageManagement::LoadLanguageText(StringView text, const String& qualifier) {
  qualifier_ = qualifier;
  auto store = std::make_unique<win::MemIniFile>();
  ParseLanguageText(text, *store);
  textStore_ = std::move(store);
}

bool TlanguageManagement::ReadLanguageFile(const String& fileName, win::MemIniFile& store) {
  std::string bytes;
  if (!win::ReadFileBytes(fileName, bytes)) return false;
  ParseLanguageText(win::DecodeText(bytes).text, store);
  return true;
}

void TlanguageManagement::ParseLanguageText(StringView text, win::MemIniFile& store) {
  String section;
  for (const String& line : win::SplitLines(text)) {
    if (!line.empty() && line[0] == u'[') {
      // Headers are taken literally: only the brackets go, blanks stay.
      section.clear();
      for (char16_t c : line)
        if (c != u'[' && c != u']') section.push_back(c);
      continue;
    }
    String key = GetField(line, u'=', 0);
    String value = GetField(line, u'=', 1);
    if (key.empty() && value.empty()) continue;
    if (value.empty()) key = win::ReplaceAll(key, u"=", u"");
    if (value.find(u'@') != String::npos) value = win::ReplaceAll(value, kReturnMarker, u"\r\n");
    store.WriteString(section, key, value);  // a later entry replaces an earlier one
  }
}

const String* TlanguageManagement::Lookup(const String& section, const String& key) const {
  // Follow "%Mapping%" to the section that answers; a chain that does not end
  // within the bound is a loop, and the key counts as not found.
  const String* current = &section;
  for (int step = 0; step <= kMaxMappingSteps; ++step) {
    const String* target = textStore_->FindValue(*current, kMappingKey);
    if (target == nullptr || *target == kTextNotFound) {
      const String* text = textStore_->FindValue(*current, key);
      return text != nullptr && *text != kTextNotFound ? text : nullptr;
    }
    current = target;
  }
  return nullptr;
}

String TlanguageManagement::GetText(const String& section, const String& key) const {
  lookup_record::Text(section, key);
  if (!textStore_) return kTextNotFound;
  if (qualifier_.empty()) {
    const String* text = Lookup(section, key);
    return text != nullptr ? *text : String(kTextNotFound);
  }
  StringList parts;
  for (int i = 0;; ++i) {
    String part = GetField(qualifier_, u'.', i);
    if (part.empty()) break;
    parts.push_back(std::move(part));
  }
  // The longest qualified section first, the plain section last.
  for (size_t m = parts.size() + 1; m-- > 0;) {
    String candidate = section;
    for (size_t k = 0; k < m; ++k) candidate += u"." + parts[k];
    if (const String* text = Lookup(candidate, key)) return *text;
  }
  return kTextNotFound;
}

String TlanguageManagement::GetTextParam(const String& section, const String& key,
                                         const String& parameter) const {
  String text = GetText(section, key);
  if (parameter.empty()) return text;
  return win::ReplaceAll(text, kParameterMarker, parameter);
}
