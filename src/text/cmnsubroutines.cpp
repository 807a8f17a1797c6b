// The language catalogue.
#include "text/cmnsubroutines.h"

#include "platform/system.h"

namespace {

constexpr char16_t kEnglish[] = u"English";
constexpr uint16_t kEnglishId = 1033;

// A name with the identifiers that select it: `first` to `last` in steps of
// `step` (a single identifier has first == last), plus up to two more.
struct IdRange {
  uint16_t first, last, step;
};

struct CatalogueEntry {
  const char16_t* name;
  uint16_t idForName;  // what LanguageIdFromName gives
  IdRange ranges[3];
};

// In the order names are looked up; unused ranges are {0, 0, 0}.
constexpr CatalogueEntry kCatalogue[] = {
    {u"ChineseT", 1028, {{1028, 1028, 1}, {3076, 3076, 1}, {4100, 4100, 1}}},
    {u"ChineseS", 2052, {{2052, 2052, 1}}},
    {u"Russian", 1049, {{1049, 1049, 1}}},
    {u"Turkish", 1055, {{1055, 1055, 1}}},
    {u"Italian", 1040, {{1040, 1040, 1}, {2064, 2064, 1}}},
    // 1034 (traditional sort) is not Spanish here, on purpose.
    {u"Spanish", 11274, {{2058, 20490, 1024}}},
    {u"Portuguese", 1046, {{1046, 1046, 1}, {2070, 2070, 1}}},
    {u"French", 2060, {{1036, 6156, 1024}}},
    {u"Dutch", 2067, {{1043, 1043, 1}, {2067, 2067, 1}}},
    {u"German", 3079, {{1031, 5127, 1024}}},
    {u"Japanese", 1041, {{1041, 1041, 1}}},
    {u"Korean", 1042, {{1042, 1042, 1}}},
    {u"Polish", 1045, {{1045, 1045, 1}}},
    {u"Indonesian", 1057, {{1057, 1057, 1}}},
    {u"Czech", 1029, {{1029, 1029, 1}}},
    {u"Romanian", 1048, {{1048, 1048, 1}, {2072, 2072, 1}}},
    {u"Malay", 1086, {{1086, 1086, 1}, {2110, 2110, 1}}},
    {u"Swedish", 1053, {{1053, 1053, 1}, {2077, 2077, 1}}},
    {u"Vietnamese", 1066, {{1066, 1066, 1}}},
    {u"Norwegian", 1044, {{1044, 1044, 1}, {2068, 2068, 1}}},
    {u"Finnish", 1035, {{1035, 1035, 1}}},
    {u"Hungarian", 1038, {{1038, 1038, 1}}},
    {u"Bulgarian", 1026, {{1026, 1026, 1}}},
    {u"Greek", 1032, {{1032, 1032, 1}}},
    {u"Croatian", 1050, {{1050, 1050, 1}}},
    {u"Danish", 1030, {{1030, 1030, 1}}},
    {u"Persian", 1065, {{1065, 1065, 1}}},
    {u"Arabic", 1025, {{1025, 16385, 1024}}},
    {u"Estonian", 1061, {{1061, 1061, 1}}},
    {u"Azerbaijan", 1068, {{1068, 1068, 1}, {2092, 2092, 1}}},
    {u"Macedonian", 1071, {{1071, 1071, 1}}},
    {u"Thai", 1054, {{1054, 1054, 1}}},
    {u"Slovak", 1051, {{1051, 1051, 1}}},
};

bool Selects(const IdRange& range, uint16_t id) {
  if (range.step == 0 || id < range.first || id > range.last) return false;
  return (id - range.first) % range.step == 0;
}

}  // namespace

String LanguageNameFromId(uint16_t languageId) {
  for (const CatalogueEntry& entry : kCatalogue)
    for (const IdRange& range : entry.ranges)
      if (Selects(range, languageId)) return entry.name;
  return kEnglish;
}

uint16_t LanguageIdFromName(const String& name) {
  for (const CatalogueEntry& entry : kCatalogue)
    if (name == entry.name) return entry.idForName;
  return kEnglishId;
}

String StartLanguageName(const String& setting) {
  if (!setting.empty()) return setting;
  return LanguageNameFromId(win::GetSystemDefaultLangID());
}

const StringList& CatalogueLanguageNames() {
  static const StringList names = [] {
    StringList list;
    for (const CatalogueEntry& entry : kCatalogue) list.emplace_back(entry.name);
    return list;
  }();
  return names;
}
