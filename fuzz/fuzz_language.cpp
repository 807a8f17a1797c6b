// The language-file reader and the text lookups: any file text, then GetText
// and GetTextParam for every section and key it holds and for the asked ones,
// through "%Mapping%" chains (loops included), and the translators' escapes.
// Input: section \0 key \0 parameter \0 qualifier \0 file bytes.
#include "fuzz_support.h"
#include "platform/ini.h"
#include "text/language_management.h"

namespace {

constexpr size_t kMaxLookups = 200;

void Look(const TlanguageManagement& texts, const String& section, const String& key, const String& parameter) {
  const String text = texts.GetText(section, key);
  const String withParameter = texts.GetTextParam(section, key, parameter);
  if (parameter.empty() || text.find(u"%P") == String::npos) FUZZ_CHECK(withParameter == text);
  // A parameter without "%P" of its own is found wherever the text had "%P".
  if (!parameter.empty() && parameter.find(u'%') == String::npos && text.find(u"%P") != String::npos)
    FUZZ_CHECK(withParameter.find(parameter) != String::npos);
  (void)ExpandEscapes(text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = (fuzz::ScratchMachine(), true);
  (void)ready;
  const std::vector<std::string> f = fuzz::Fields(data, size, 5);
  const String section = fuzz::Text(f[0]), key = fuzz::Text(f[1]), parameter = fuzz::Text(f[2]);

  TlanguageManagement texts;
  // Before any language is loaded nothing is found.
  FUZZ_CHECK(texts.GetText(section, key) == kTextNotFound);
  texts.LoadLanguageText(win::DecodeText(f[4]).text, fuzz::Text(f[3]));
  Look(texts, section, key, parameter);

  const win::MemIniFile* store = texts.TextStore();
  FUZZ_CHECK(store != nullptr);
  StringList sections;
  store->ReadSections(sections);
  size_t lookups = 0;
  for (const String& s : sections) {
    StringList keys;
    store->ReadSection(s, keys);
    for (const String& k : keys) {
      if (++lookups > kMaxLookups) return 0;
      Look(texts, s, k, parameter);
      (void)GetField(k, u'=', static_cast<int>(lookups % 3));
    }
  }
  return 0;
}
