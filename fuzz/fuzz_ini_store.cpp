// The settings-file store (Setup.ini, Settings.ini, UI.txt) over any bytes, in
// every encoding a byte-order mark selects: the decoded text survives a round
// trip through each Unicode encoding, and every section and key the store
// lists is found again by the lookups.
#include <set>

#include "fuzz_support.h"
#include "platform/ini.h"

namespace {

using win::TextEncoding;

bool HasLoneSurrogate(StringView text) {
  for (size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      return true;
    }
  }
  return false;
}

void CheckReencoding(const String& text) {
  const std::pair<TextEncoding, const char*> forms[] = {
      {TextEncoding::Utf16LE, "\xFF\xFE"}, {TextEncoding::Utf16BE, "\xFE\xFF"}, {TextEncoding::Utf8, "\xEF\xBB\xBF"}};
  for (const auto& [encoding, bom] : forms) {
    if (encoding == TextEncoding::Utf8 && HasLoneSurrogate(text)) continue;
    const win::DecodedText again = win::DecodeText(std::string(bom) + win::EncodeText(text, encoding));
    FUZZ_CHECK(again.encoding == encoding);
    FUZZ_CHECK(again.text == text);
  }
}

void CheckLookups(win::MemIniFile& store) {
  StringList sections;
  store.ReadSections(sections);
  std::set<String> folded;
  for (const String& section : sections) {
    FUZZ_CHECK(folded.insert(win::LowerCase(section)).second || win::LowerCase(section) != section);
    FUZZ_CHECK(store.SectionExists(section));
    StringList keys, lines;
    store.ReadSection(section, keys);
    store.ReadSectionValues(section, lines);
    FUZZ_CHECK(lines.size() >= keys.size());
    for (const String& key : keys) {
      const String* value = store.FindValue(section, key);
      FUZZ_CHECK(value != nullptr);
      FUZZ_CHECK(store.ValueExists(section, key));
      FUZZ_CHECK(store.ReadString(section, key, u"\x01 default") == *value);
      // Values and names are stored trimmed.
      FUZZ_CHECK(win::Trim(*value) == *value);
      FUZZ_CHECK(win::Trim(key) == key);
    }
  }
  // A value written in memory is read back, under any name.
  const String section = sections.empty() ? String(u"Fuzz") : sections.back();
  store.WriteString(section, u"ZxFuzzKey", u"written");
  FUZZ_CHECK(store.ReadString(section, u"zxfuzzkey", u"") == u"written");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = (fuzz::ScratchMachine(), true);
  (void)ready;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const win::DecodedText decoded = win::DecodeText(bytes);
  CheckReencoding(decoded.text);

  win::MemIniFile store;
  store.LoadFromText(decoded.text);
  CheckLookups(store);
  return 0;
}
