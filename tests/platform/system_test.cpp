#include <gtest/gtest.h>

#include "platform/system.h"
#include "support/sim_machine.h"

using namespace win;
using zxtest::TempMachine;

namespace {

TEST(SystemInfo, ComesFromTheMachine) {
  TempMachine m({"userLangId=1031", "systemLangId=2052", "osMajor=6", "osMinor=1", "osBuild=7601",
                 "everyone=Jeder", "screenWidth=1366", "screenHeight=768", "dpi=120", "codePage=936"});
  EXPECT_EQ(GetUserDefaultLangID(), 1031);
  EXPECT_EQ(GetSystemDefaultLangID(), 2052);
  OsVersion v;
  ASSERT_TRUE(GetVersionEx(v));
  EXPECT_EQ(v.major, 6u);
  EXPECT_EQ(v.minor, 1u);
  EXPECT_EQ(v.build, 7601u);
  EXPECT_EQ(EveryoneAccountName(), u"Jeder");
  EXPECT_EQ(ScreenWidth(), 1366);
  EXPECT_EQ(ScreenHeight(), 768);
  EXPECT_EQ(ScreenPixelsPerInch(), 120);
  EXPECT_EQ(GetACP(), 936u);
  EXPECT_EQ(DecodeCodePage("\xD6\xD0\xCE\xC4"), u"\x4E2D\x6587");  // the ANSI code page is GBK here
}

TEST(SystemInfo, DebuggerOutputGoesToTheToolLog) {
  TempMachine m;
  OutputDebugString(u"Shortcut \x4E2D ok");
  EXPECT_EQ(m.ToolLog(), "debug: Shortcut \xE4\xB8\xAD ok\n");
}

TEST(CodePages, DecodeAndEncodeAsWindowsDoes) {
  TempMachine m;
  struct Case {
    uint32_t codePage;
    std::string bytes;
    String text;
  } cases[] = {
      {936, "\xD6\xD0\xCE\xC4 GBK", u"\x4E2D\x6587 GBK"},          // 中文
      {950, "\xA4\xA4\xA4\xE5 Big5", u"\x4E2D\x6587 Big5"},        // 中文
      {932, "\x93\xFA\x96\x7B", u"\x65E5\x672C"},                  // 日本
      {949, "\xC7\xD1\xB1\xB9", u"\xD55C\xAD6D"},                  // 한국
      {1251, "\xCF\xF0\xE8\xE2\xE5\xF2", u"\x041F\x0440\x0438\x0432\x0435\x0442"},
      {1252, "Caf\xE9 \x80", u"Caf\x00E9 \x20AC"},
      {65001, "\xE4\xB8\xAD", u"\x4E2D"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DecodeCodePage(c.bytes, c.codePage), c.text) << c.codePage;
    EXPECT_EQ(EncodeCodePage(c.text, c.codePage), c.bytes) << c.codePage;
  }
  EXPECT_EQ(DecodeCodePage("a\x81z", 1252), u"a\x0081z");      // a hole of 1252
  EXPECT_EQ(DecodeCodePage("a\xFF\xFFz", 936), u"a\xFFFD\xFFFDz");  // not GBK
  EXPECT_EQ(DecodeCodePage("ab\xD6", 936), u"ab\xFFFD");        // lead byte cut off
  EXPECT_EQ(EncodeCodePage(u"a\x4E2D\xD83D\xDE00z", 1252), "a??z");
  EXPECT_EQ(DecodeCodePage("Caf\xE9"), u"Caf\x00E9");           // machine default 1252
}

}  // namespace
