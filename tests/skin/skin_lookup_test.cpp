// Finding a skin picture: language folder first, ".png" preferred, English as
// the fallback.
#include <gtest/gtest.h>

#include "support/sim_machine.h"
#include "text/skin_lookup.h"

namespace {

struct LookupCase {
  const char* name;
  const char16_t* folder;
  std::vector<const char16_t*> files;  // relative to the folder
  const char16_t* language;
  const char16_t* picture;
  const char16_t* expected;            // relative to the folder; "" for none
};

TEST(ResolveSkinFile, PrefersLanguageThenPngThenEnglish) {
  const LookupCase cases[] = {
      {"English fallback", u"C:\\Pkg\\", {u"English\\Next.bmp"}, u"ChineseT", u"Next.bmp",
       u"English\\Next.bmp"},
      {"language png first", u"C:\\Pkg\\",
       {u"English\\Next.bmp", u"ChineseT\\Next.png", u"ChineseT\\Next.bmp"}, u"ChineseT",
       u"Next.bmp", u"ChineseT\\Next.png"},
      {"language bmp before English png", u"C:\\Pkg\\",
       {u"English\\Next.png", u"ChineseT\\Next.bmp"}, u"ChineseT", u"Next.bmp",
       u"ChineseT\\Next.bmp"},
      {"English png before English bmp", u"C:\\Pkg\\",
       {u"English\\Next.png", u"English\\Next.bmp"}, u"German", u"Next.bmp",
       u"English\\Next.png"},
      {"folder name holding the extension spoils the png", u"C:\\my.bmp.files\\",
       {u"ChineseT\\Next.png", u"ChineseT\\Next.bmp"}, u"ChineseT", u"Next.bmp",
       u"ChineseT\\Next.bmp"},
      {"replacement is case-sensitive", u"C:\\PKG.BMP\\",
       {u"ChineseT\\Next.png", u"ChineseT\\Next.bmp"}, u"ChineseT", u"Next.bmp",
       u"ChineseT\\Next.png"},
      {"Chinese characters in the path", u"C:\\游戏 安装\\", {u"ChineseS\\Check.png"},
       u"ChineseS", u"Check.bmp", u"ChineseS\\Check.png"},
      {"a folder of the name is no file", u"C:\\Pkg\\", {u"English\\Next.png\\x.txt"},
       u"English", u"Next.bmp", u""},
      {"nothing at all", u"C:\\Pkg\\", {}, u"ChineseT", u"Logo.bmp", u""},
  };
  for (const LookupCase& c : cases) {
    zxtest::TempMachine machine;
    const String folder = c.folder;
    for (const char16_t* file : c.files) machine.WriteFile(folder + file, "picture");
    const String expected = *c.expected ? folder + c.expected : String();
    EXPECT_EQ(ResolveSkinFile(folder, c.language, c.picture), expected) << c.name;
  }
}

}  // namespace
