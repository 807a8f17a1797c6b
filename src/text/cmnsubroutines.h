// The language catalogue: names and Windows language identifiers both ways,
// and the choice of the start language.
#pragma once

#include <cstdint>

#include "platform/strings.h"

// The name of a language identifier (LANGID); "English" for every identifier
// outside the catalogue. Callers replace 0 by the default they need first.
String LanguageNameFromId(uint16_t languageId);

// The identifier for a name, compared exactly (letter case matters); 1033 for
// "English" and for every name outside the catalogue.
uint16_t LanguageIdFromName(const String& name);

// The start language: the setting itself when it is not empty, otherwise the
// name of the system's default language.
String StartLanguageName(const String& setting);

// The 33 catalogue names in lookup order ("ChineseT", "ChineseS", ... "Slovak");
// "English" is not among them.
const StringList& CatalogueLanguageNames();
