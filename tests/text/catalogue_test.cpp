// The language catalogue both ways.
#include <gtest/gtest.h>

#include "text/cmnsubroutines.h"

namespace {

TEST(LanguageNameFromId, Table) {
  struct Case {
    uint16_t id;
    const char16_t* name;
  } cases[] = {
      {0x0401, u"Arabic"},    {0x4001, u"Arabic"},    {0x4401, u"English"},  // past the range
      {0x0402, u"Bulgarian"}, {0x0404, u"ChineseT"},  {0x0C04, u"ChineseT"},
      {0x1004, u"ChineseT"},  {0x0804, u"ChineseS"},  {0x1404, u"English"},
      {0x0407, u"German"},    {0x1407, u"German"},    {0x1807, u"English"},
      {0x040C, u"French"},    {0x180C, u"French"},    {0x0410, u"Italian"},
      {0x0810, u"Italian"},   {0x0413, u"Dutch"},     {0x0813, u"Dutch"},
      {0x040A, u"English"},  // traditional-sort Spanish is not Spanish here
      {0x080A, u"Spanish"},   {0x0C0A, u"Spanish"},   {0x500A, u"Spanish"},
      {0x540A, u"English"},   {0x0419, u"Russian"},   {0x0411, u"Japanese"},
      {0x042C, u"Azerbaijan"}, {0x082C, u"Azerbaijan"}, {0x043E, u"Malay"},
      {0x041B, u"Slovak"},    {0x0409, u"English"},   {0x0000, u"English"},
      {0xFFFF, u"English"},
  };
  for (const Case& c : cases) EXPECT_EQ(LanguageNameFromId(c.id), c.name) << c.id;
}

TEST(LanguageIdFromName, ExactNamesOnly) {
  struct Case {
    const char16_t* name;
    uint16_t id;
  } cases[] = {
      {u"ChineseT", 1028}, {u"ChineseS", 2052}, {u"German", 3079}, {u"French", 2060},
      {u"Dutch", 2067},    {u"Spanish", 11274}, {u"Arabic", 1025}, {u"Slovak", 1051},
      {u"English", 1033},  {u"chineset", 1033}, {u"Klingon", 1033}, {u"", 1033},
      {u" German", 1033},
  };
  for (const Case& c : cases) EXPECT_EQ(LanguageIdFromName(c.name), c.id) << win::ToUtf8(c.name);
}

TEST(LanguageCatalogue, EveryNameRoundTripsThroughItsIdentifier) {
  ASSERT_EQ(CatalogueLanguageNames().size(), 33u);
  for (const String& name : CatalogueLanguageNames())
    EXPECT_EQ(LanguageNameFromId(LanguageIdFromName(name)), name) << win::ToUtf8(name);
}

TEST(StartLanguageName, KeepsANonEmptySettingAsItIs) {
  EXPECT_EQ(StartLanguageName(u"chineset"), u"chineset");
  EXPECT_EQ(StartLanguageName(u"German"), u"German");
}

}  // namespace
