#include <gtest/gtest.h>

#include "platform/strings.h"

using namespace win;

TEST(Strings, Utf8RoundTripKeepsChineseAndAstralCharacters) {
  String text = u"C:\\程序\\\U0001F600.txt";
  EXPECT_EQ(FromUtf8(ToUtf8(text)), text);
}

TEST(Strings, PathPartsFollowTheToolkit) {
  EXPECT_EQ(ExtractFilePath(u"C:\\A\\B\\f.txt"), u"C:\\A\\B\\");
  EXPECT_EQ(ExtractFileDir(u"C:\\A\\B\\f.txt"), u"C:\\A\\B");
  EXPECT_EQ(ExtractFileDir(u"C:\\f.txt"), u"C:\\");
  EXPECT_EQ(ExtractFileExt(u"C:\\my.bmp.files\\Next"), u"");
  EXPECT_EQ(ExtractFileExt(u"a.XLSX"), u".XLSX");
  EXPECT_EQ(ExcludeTrailingBackslash(u"C:\\A\\"), u"C:\\A");
}

TEST(Strings, IntegersAreDecimalWithOptionalSign) {
  int32_t v = 0;
  EXPECT_TRUE(TryStrToInt(u" -12 ", v));
  EXPECT_EQ(v, -12);
  EXPECT_FALSE(TryStrToInt(u"red", v));
  EXPECT_FALSE(TryStrToInt(u"", v));
  EXPECT_FALSE(TryStrToInt(u"0x10", v));
}
