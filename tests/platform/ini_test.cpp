// The in-memory ini store and the ini file writer on a simulated machine.
#include <gtest/gtest.h>

#include "platform/files.h"
#include "platform/ini.h"
#include "support/sim_machine.h"

using zxtest::TempMachine;

namespace {

std::string Utf16Le(StringView text) { return win::EncodeText(text, win::TextEncoding::Utf16LE); }
std::string Utf16Be(StringView text) { return win::EncodeText(text, win::TextEncoding::Utf16BE); }

const char16_t kIniPath[] = u"C:\\Pkg\\Settings.ini";

TEST(MemIniFile, ReadingRules) {
  TempMachine m;
  m.WriteFile(kIniPath,
              "Orphan=before any section\r\n"
              "  [ SpecifyLang ]  \r\n"
              "  Language  =  German  \r\n"
              "; Language=commented out\r\n"
              "\r\n"
              "Quoted=\"a = b\"\r\n"
              "Escape=%B12\\n\r\n"
              "[Languages]\n"
              "English=English\n"
              "ChineseS\n"
              "German = Deutsch\r"
              "[specifylang]\r\n"
              "Language=second section\r\n"
              "Extra=not read\r\n"
              "[Series]\r\n"
              "Code=A,B\r\n"
              "code=second key\r\n"
              "[Broken\r\n"
              "Display=1\r\n"
              "=empty key\r\n");
  win::MemIniFile ini(kIniPath);
  struct Case {
    const char16_t* section;
    const char16_t* key;
    const char16_t* value;
  } cases[] = {
      {u"SpecifyLang", u"Language", u"German"},
      {u"SPECIFYLANG", u"language", u"German"},  // names are case-blind
      {u"SpecifyLang", u"Quoted", u"\"a = b\""},
      {u"SpecifyLang", u"Escape", u"%B12\\n"},    // values as stored
      {u"SpecifyLang", u"Extra", u"<default>"},   // only the first section counts
      {u"SpecifyLang", u"; Language", u"<default>"},
      {u"Languages", u"German", u"Deutsch"},
      {u"Languages", u"ChineseS", u"<default>"},  // a line without "=" is no key
      {u"Series", u"Code", u"A,B"},               // the first of a repeated key
      {u"Series", u"Display", u"1"},              // "[Broken" is an ordinary line
      {u"", u"Orphan", u"<default>"},
      {u"Missing", u"Key", u"<default>"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ini.ReadString(c.section, c.key, u"<default>"), c.value)
        << win::ToUtf8(c.section) << "/" << win::ToUtf8(c.key);

  StringList lines;
  ini.ReadSectionValues(u"languages", lines);
  EXPECT_EQ(lines, (StringList{u"English=English", u"ChineseS", u"German=Deutsch"}));
  ini.ReadSection(u"Languages", lines);
  EXPECT_EQ(lines, (StringList{u"English", u"German"}));
  ini.ReadSections(lines);
  EXPECT_EQ(lines, (StringList{u"SpecifyLang", u"Languages", u"Series"}));
  EXPECT_TRUE(ini.SectionExists(u"series"));
  EXPECT_FALSE(ini.SectionExists(u"Broken"));
  EXPECT_TRUE(ini.ValueExists(u"Series", u"CODE"));
  EXPECT_FALSE(ini.ValueExists(u"Languages", u"ChineseS"));
}

TEST(MemIniFile, EveryEncodingReadsTheSameValues) {
  const String text = u"[SpecifyLang]\r\nLanguage=ChineseS\r\n[Texts]\r\nTitle=安装向导 Setup\r\n";
  const std::string gbk =
      "[SpecifyLang]\r\nLanguage=ChineseS\r\n[Texts]\r\nTitle=\xB0\xB2\xD7\xB0\xCF\xF2\xB5\xBC Setup\r\n";
  struct Case {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"utf-8 with bom", "\xEF\xBB\xBF" + win::ToUtf8(text)},
      {"utf-16le with bom", "\xFF\xFE" + Utf16Le(text)},
      {"utf-16be with bom", "\xFE\xFF" + Utf16Be(text)},
      {"gbk without bom", gbk},
  };
  TempMachine m({"codePage=936"});
  for (const Case& c : cases) {
    m.WriteFile(kIniPath, c.bytes);
    win::MemIniFile ini(kIniPath);
    EXPECT_EQ(ini.ReadString(u"Texts", u"Title", u""), u"安装向导 Setup") << c.name;
    EXPECT_EQ(ini.ReadString(u"SpecifyLang", u"Language", u""), u"ChineseS") << c.name;
  }
}

TEST(MemIniFile, MissingOrDamagedFilesGiveDefaults) {
  TempMachine m;
  win::MemIniFile missing(u"C:\\Nowhere\\Setup.ini");
  EXPECT_EQ(missing.ReadString(u"Setup", u"%UPDATER", u"0"), u"0");
  EXPECT_FALSE(missing.SectionExists(u"Setup"));

  // A truncated UTF-16 file and binary noise read without trouble.
  m.WriteFile(kIniPath, "\xFF\xFE" + Utf16Le(u"[A]\r\nK=v\r\n") + "\x41");
  EXPECT_EQ(win::MemIniFile(kIniPath).ReadString(u"A", u"K", u""), u"v");
  m.WriteFile(kIniPath, std::string("\0\x01\x02[\xFF]\r\n=\r\n[", 12));
  EXPECT_EQ(win::MemIniFile(kIniPath).ReadString(u"A", u"K", u"d"), u"d");
}

TEST(MemIniFile, WriteStringInMemory) {
  win::MemIniFile ini;
  ini.WriteString(u"S", u"K", u"1");
  ini.WriteString(u"s", u"k", u"2");
  ini.WriteString(u"T", u"K", u"3");
  EXPECT_EQ(ini.ReadString(u"S", u"K", u""), u"2");
  EXPECT_EQ(ini.ReadString(u"T", u"K", u""), u"3");
  StringList sections;
  ini.ReadSections(sections);
  EXPECT_EQ(sections, (StringList{u"S", u"T"}));
}

// The writer changes one line and keeps every other byte.
TEST(IniFile, KeepsOtherLinesEncodingAndByteOrderMark) {
  struct Case {
    const char* name;
    std::string before;
    std::string after;
  } cases[] = {
      {"utf-16le, value replaced",
       "\xFF\xFE" + Utf16Le(u"; 设置\r\n[SYSTEM]\r\n  language = English  \r\nSkin=Dark\r\n"),
       "\xFF\xFE" + Utf16Le(u"; 设置\r\n[SYSTEM]\r\nlanguage=German\r\nSkin=Dark\r\n")},
      {"utf-16be, key appended to the section",
       "\xFE\xFF" + Utf16Be(u"[SYSTEM]\r\nSkin=Dark\r\n\r\n[Other]\r\nA=1\r\n"),
       "\xFE\xFF" + Utf16Be(u"[SYSTEM]\r\nSkin=Dark\r\nLanguage=German\r\n\r\n[Other]\r\nA=1\r\n")},
      {"utf-8 bom, section appended, no final break kept",
       "\xEF\xBB\xBF[Other]\nA=\xC3\xA4",
       "\xEF\xBB\xBF[Other]\nA=\xC3\xA4\n[SYSTEM]\nLanguage=German"},
      {"ansi with a byte 0x81 and lone CR breaks",
       "[Other]\rX=\x81\x8D\r[SYSTEM]\rLanguage=French\r",
       "[Other]\rX=\x81\x8D\r[SYSTEM]\rLanguage=German\r"},
      {"first of two sections of the name",
       "[SYSTEM]\r\nA=1\r\n[Mid]\r\n[system]\r\nLanguage=old\r\n",
       "[SYSTEM]\r\nA=1\r\nLanguage=German\r\n[Mid]\r\n[system]\r\nLanguage=old\r\n"},
      {"commented key is not the key",
       "[SYSTEM]\r\n;Language=x\r\n",
       "[SYSTEM]\r\n;Language=x\r\nLanguage=German\r\n"},
      {"empty file", "", "[SYSTEM]\r\nLanguage=German\r\n"},
      {"utf-16le ending in a dangling odd byte, which is no character",
       "\xFF\xFE" + Utf16Le(u"[Other]\r\nA=1") + "\x61",
       "\xFF\xFE" + Utf16Le(u"[Other]\r\nA=1\r\n[SYSTEM]\r\nLanguage=German")},
  };
  TempMachine m;
  for (const Case& c : cases) {
    m.WriteFile(kIniPath, c.before);
    win::IniFile ini(kIniPath);
    EXPECT_TRUE(ini.WriteString(u"SYSTEM", u"Language", u"German")) << c.name;
    EXPECT_EQ(m.ReadFile(kIniPath), c.before) << c.name << ": nothing on disk before UpdateFile";
    EXPECT_TRUE(ini.UpdateFile()) << c.name;
    EXPECT_EQ(m.ReadFile(kIniPath), c.after) << c.name;
  }
}

TEST(IniFile, AnsiFileOnAChineseMachineKeepsItsBytes) {
  TempMachine m({"codePage=936"});
  const std::string before = "[\xC9\xE8\xD6\xC3]\r\nName=\xB0\xB2\xD7\xB0\r\n[SYSTEM]\r\nLanguage=English\r\n";
  m.WriteFile(kIniPath, before);
  win::IniFile ini(kIniPath);
  ASSERT_TRUE(ini.WriteString(u"SYSTEM", u"Language", u"中文"));
  ASSERT_TRUE(ini.UpdateFile());
  EXPECT_EQ(m.ReadFile(kIniPath),
            "[\xC9\xE8\xD6\xC3]\r\nName=\xB0\xB2\xD7\xB0\r\n[SYSTEM]\r\nLanguage=\xD6\xD0\xCE\xC4\r\n");
  EXPECT_EQ(win::MemIniFile(kIniPath).ReadString(u"设置", u"Name", u""), u"安装");
}

TEST(IniFile, RefusesWhatWouldDamageTheFile) {
  TempMachine m;  // code page 1252
  const std::string before = "[SYSTEM]\r\nLanguage=English\r\n";
  m.WriteFile(kIniPath, before);
  win::IniFile ini(kIniPath);
  EXPECT_FALSE(ini.WriteString(u"SYSTEM", u"Language", u"中文"));  // not in the code page
  EXPECT_FALSE(ini.WriteString(u"SYSTEM", u"Language", u"a\r\nInjected=1"));
  EXPECT_FALSE(ini.WriteString(u"SYSTEM", u"Lang=uage", u"x"));
  EXPECT_FALSE(ini.WriteString(u"SYSTEM", u"", u"x"));
  // Entries the store would read as a comment or as a section header.
  EXPECT_FALSE(ini.WriteString(u"SYSTEM", u" ;Language", u"x"));
  EXPECT_FALSE(ini.WriteString(u"SYSTEM", u"[Other", u"x]"));
  EXPECT_TRUE(ini.UpdateFile());  // nothing pending
  EXPECT_EQ(m.ReadFile(kIniPath), before);

  // A lone surrogate has no UTF-8 form.
  const std::string utf8 = "\xEF\xBB\xBF" + before;
  m.WriteFile(kIniPath, utf8);
  win::IniFile utf8Ini(kIniPath);
  EXPECT_FALSE(utf8Ini.WriteString(u"SYSTEM", u"Language", u"a\xDC00"));
  EXPECT_TRUE(utf8Ini.WriteString(u"SYSTEM", u"Language", u"中文"));
}

TEST(IniFile, NewFilesAndReadOnlyFiles) {
  TempMachine m;
  m.MakeFolder(u"C:\\Pkg");
  {
    win::IniFile ini(u"C:\\Pkg\\New.ini");
    ASSERT_TRUE(ini.WriteString(u"S", u"K", u"v"));
    ASSERT_TRUE(ini.UpdateFile());
    EXPECT_EQ(m.ReadFile(u"C:\\Pkg\\New.ini"), "[S]\r\nK=v\r\n");
  }
  {
    // Text the code page cannot hold makes a new file UTF-16 rather than "?".
    win::IniFile ini(u"C:\\Pkg\\Wide.ini");
    ASSERT_TRUE(ini.WriteString(u"S", u"K", u"中文"));
    ASSERT_TRUE(ini.UpdateFile());
    EXPECT_EQ(m.ReadFile(u"C:\\Pkg\\Wide.ini"), "\xFF\xFE" + Utf16Le(u"[S]\r\nK=中文\r\n"));
  }
  {
    const std::string before = "[S]\r\nK=old\r\n";
    m.WriteFile(kIniPath, before);
    ASSERT_TRUE(win::SetFileAttributes(kIniPath, win::kFileAttributeReadOnly));
    win::IniFile ini(kIniPath);
    EXPECT_TRUE(ini.WriteString(u"S", u"K", u"new"));
    EXPECT_FALSE(ini.UpdateFile());
    EXPECT_EQ(m.ReadFile(kIniPath), before);
  }
  {
    // A folder where the file should be is never replaced.
    m.MakeFolder(u"C:\\Pkg\\Folder.ini");
    win::IniFile ini(u"C:\\Pkg\\Folder.ini");
    EXPECT_FALSE(ini.WriteString(u"S", u"K", u"v"));
    EXPECT_TRUE(win::DirectoryExists(u"C:\\Pkg\\Folder.ini"));
  }
}

}  // namespace
