// The text store: one language file loaded into an in-memory store, and the
// lookups every screen and worker calls. The application object derives from
// TlanguageManagement, so there is exactly one store per program.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/ini.h"
#include "platform/strings.h"

// What a lookup gives when no candidate section holds the key.
inline constexpr char16_t kTextNotFound[] = u"@@";

// A package's texts folder, and the folder of language folders inside it.
inline constexpr char16_t kPackageTextsFolder[] = u"Texts\\";
inline constexpr char16_t kLanguageRootName[] = u"LanguageIni";

// The Texts\ folder in folder (which ends with "\") when it holds a
// LanguageIni folder; "" otherwise.
String TextsFolderIn(const String& folder);

class TlanguageManagement {
 public:
  TlanguageManagement();
  virtual ~TlanguageManagement();
  TlanguageManagement(const TlanguageManagement&) = delete;
  TlanguageManagement& operator=(const TlanguageManagement&) = delete;

  // Replaces the text store by the contents of one language file under
  // textsFolder and sets the qualifier. languageId 0 means the user's default
  // language. Returns the language name asked for (before any fallback to the
  // English file).
  String LoadLanguage(const String& textsFolder, uint16_t languageId, const String& prefix,
                      const String& qualifier);

  // Replaces the text store by language-file text, as LoadLanguage does with a
  // file's contents (tests and tools that need texts without files).
  void LoadLanguageText(StringView text, const String& qualifier);

  // The text of a key, or "@@" when no candidate section holds it (or no
  // language was loaded yet).
  String GetText(const String& section, const String& key) const;
  // GetText with every "%P" replaced by parameter when parameter is not empty.
  String GetTextParam(const String& section, const String& key, const String& parameter) const;

  // The file LoadLanguage reads for a language name (tests and tools).
  static String LanguageFilePath(const String& textsFolder, const String& languageName,
                                 const String& prefix);

  // Read-only view of the store; null before the first LoadLanguage.
  const win::MemIniFile* TextStore() const { return textStore_.get(); }
  const String& Qualifier() const { return qualifier_; }

  // Adds the entries of language-file text to a store, by the language-file
  // grammar: a header is a line starting with "[" (brackets removed, nothing
  // trimmed); other lines are "key=value" entries cut with GetField; a later
  // entry replaces an earlier one.
  static void ParseLanguageText(StringView text, win::MemIniFile& store);
  // The same for a file (decoded by its byte-order mark, else the ANSI code
  // page); false when it cannot be read.
  [[nodiscard]] static bool ReadLanguageFile(const String& fileName, win::MemIniFile& store);

 private:
  // The text of key in section after its mappings; null when not found.
  const String* Lookup(const String& section, const String& key) const;

  std::unique_ptr<win::MemIniFile> textStore_;
  String qualifier_;
};

// Field `index` (from 0) of text cut at delimiter: each field trimmed; the last
// character of the text always belongs to the field being built, even when it
// is the delimiter ("key=" is one field "key="). "" when there are fewer fields.
String GetField(StringView text, char16_t delimiter, int index);

// Expands the escapes translators put into captions and hints, in this order:
// four backslashes -> LF, "%R1" -> CR, "%R2" -> two CRs, "%B10".."%B35" -> n-1
// blanks, then "%B1".."%B9" -> n blanks. Case-sensitive.
String ExpandEscapes(const String& text);
