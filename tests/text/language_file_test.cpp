// Finding and loading language files on a simulated machine.
#include <gtest/gtest.h>

#include "platform/ini.h"
#include "support/sim_machine.h"
#include "text/cmnsubroutines.h"
#include "text/language_management.h"

using zxtest::TempMachine;

namespace {

const String kTexts = u"C:\\Pkg\\Texts\\";

String FileOf(const String& root, const String& name) {
  return kTexts + root + u"\\" + name + u"\\Install_" + name + u".ini";
}

std::string Utf8(const String& text) { return win::ToUtf8(text); }

void WriteLanguage(const TempMachine& m, const String& root, const String& name) {
  m.WriteFile(FileOf(root, name), Utf8(u"[InstallWizard]\r\nWhich=" + name + u"\r\n"));
}

TEST(LoadLanguage, FindsTheFileOrFallsBackToEnglish) {
  TempMachine m({"userLangId=1049"});
  WriteLanguage(m, u"LanguageIni", u"English");
  WriteLanguage(m, u"LanguageIni", u"ChineseS");
  struct Case {
    uint16_t id;
    const char16_t* returned;
    const char16_t* loaded;
  } cases[] = {
      {2052, u"ChineseS", u"ChineseS"},
      {3079, u"German", u"English"},  // no German file: English, but the name is German's
      {0, u"Russian", u"English"},    // 0 is the user's default language
      {1034, u"English", u"English"},
  };
  for (const Case& c : cases) {
    TlanguageManagement t;
    EXPECT_EQ(t.LoadLanguage(kTexts, c.id, u"Install", u""), c.returned) << c.id;
    EXPECT_EQ(t.GetText(u"InstallWizard", u"Which"), c.loaded) << c.id;
  }
}

TEST(LoadLanguage, WithoutLanguageIniTheFirstSubFolderIsTheRoot) {
  TempMachine m;
  WriteLanguage(m, u"Lang2", u"English");
  TlanguageManagement t;
  t.LoadLanguage(kTexts, 1033, u"Install", u"");
  EXPECT_EQ(t.GetText(u"InstallWizard", u"Which"), u"English");
  EXPECT_EQ(TlanguageManagement::LanguageFilePath(u"C:\\Pkg\\Texts", u"English", u"Install"),
            FileOf(u"Lang2", u"English"));
}

TEST(LoadLanguage, ChineseAndOverlongPaths) {
  TempMachine m;
  const String chinese = u"C:\\游戏\\雷神\\Texts\\";
  m.WriteFile(chinese + u"LanguageIni\\English\\Install_English.ini", "[W]\r\nK=found\r\n");
  TlanguageManagement t;
  t.LoadLanguage(chinese, 1033, u"Install", u"");
  EXPECT_EQ(t.GetText(u"W", u"K"), u"found");

  // A texts folder past the path limit reads nothing and fails nothing.
  t.LoadLanguage(u"C:\\" + String(300, u'a') + u"\\Texts\\", 1033, u"Install", u"");
  EXPECT_EQ(t.GetText(u"W", u"K"), u"@@");
}

TEST(LoadLanguage, NoFileLeavesAnEmptyStoreAndReplacesTheOldOne) {
  TempMachine m;
  WriteLanguage(m, u"LanguageIni", u"English");
  TlanguageManagement t;
  t.LoadLanguage(kTexts, 1033, u"Install", u"");
  ASSERT_EQ(t.GetText(u"InstallWizard", u"Which"), u"English");
  t.LoadLanguage(u"C:\\Elsewhere\\", 1033, u"Install", u"Q");
  EXPECT_EQ(t.GetText(u"InstallWizard", u"Which"), u"@@");
  EXPECT_EQ(t.Qualifier(), u"Q");
}

TEST(LoadLanguage, EveryEncodingGivesTheSameTexts) {
  const String text =
      u"[InstallWizard]\r\nProductName=雷神 鼠标\r\nNote=a=\r\nLine1=一@RETURN@二\r\n";
  const std::string gbk =
      "[InstallWizard]\r\nProductName=\xC0\xD7\xC9\xF1 \xCA\xF3\xB1\xEA\r\nNote=a=\r\n"
      "Line1=\xD2\xBB@RETURN@\xB6\xFE\r\n";
  struct Case {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"utf-16le", "\xFF\xFE" + win::EncodeText(text, win::TextEncoding::Utf16LE)},
      {"utf-16be", "\xFE\xFF" + win::EncodeText(text, win::TextEncoding::Utf16BE)},
      {"utf-8 with bom", "\xEF\xBB\xBF" + Utf8(text)},
      {"gbk without bom", gbk},
  };
  TempMachine m({"codePage=936"});
  for (const Case& c : cases) {
    m.WriteFile(FileOf(u"LanguageIni", u"ChineseS"), c.bytes);
    TlanguageManagement t;
    t.LoadLanguage(kTexts, 2052, u"Install", u"");
    EXPECT_EQ(t.GetText(u"InstallWizard", u"ProductName"), u"雷神 鼠标") << c.name;
    EXPECT_EQ(t.GetText(u"InstallWizard", u"Note"), u"a=") << c.name;
    EXPECT_EQ(t.GetText(u"InstallWizard", u"Line1"), u"一\r\n二") << c.name;
  }
}

TEST(StartLanguageName, EmptySettingTakesTheSystemLanguage) {
  struct Case {
    const char* machine;
    const char16_t* name;
  } cases[] = {
      {"systemLangId=2052", u"ChineseS"},
      {"systemLangId=1034", u"English"},
      {"systemLangId=3082", u"Spanish"},
  };
  for (const Case& c : cases) {
    TempMachine m({c.machine, "userLangId=1031"});  // the user's language plays no part
    EXPECT_EQ(StartLanguageName(u""), c.name) << c.machine;
  }
}

}  // namespace
