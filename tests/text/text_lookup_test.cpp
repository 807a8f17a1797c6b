// Language-file grammar, text lookup, fields and escapes (no files involved).
#include <gtest/gtest.h>

#include "text/language_management.h"

namespace {

struct Texts : TlanguageManagement {
  explicit Texts(StringView file, const String& qualifier = u"") { LoadLanguageText(file, qualifier); }
};

TEST(GetField, CutsTrimsAndKeepsTheLastCharacter) {
  struct Case {
    const char16_t* text;
    char16_t delimiter;
    int index;
    const char16_t* field;
  } cases[] = {
      {u"Title = Setup = Wizard", u'=', 0, u"Title"},
      {u"Title = Setup = Wizard", u'=', 1, u"Setup"},
      {u"Title = Setup = Wizard", u'=', 2, u"Wizard"},
      {u"Title = Setup = Wizard", u'=', 3, u""},
      {u"key=", u'=', 0, u"key="},  // the last character joins the field
      {u"key=", u'=', 1, u""},
      {u"Note=a=", u'=', 1, u"a="},
      {u"a==b", u'=', 1, u""},
      {u"a==b", u'=', 2, u"b"},
      {u"plain", u'=', 0, u"plain"},
      {u"plain", u'=', 1, u""},
      {u"", u'=', 0, u""},
      {u"rectwh, 1 ,2", u',', 1, u"1"},
      {u"M1.V2", u'.', 1, u"V2"},
      {u"x", u'=', -1, u""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(GetField(c.text, c.delimiter, c.index), c.field)
        << win::ToUtf8(c.text) << " #" << c.index;
}

TEST(LanguageFile, LineGrammar) {
  Texts t(u"Early=before any header\r\n"
          u"[InstallWizard]\r\n"
          u"Title = Setup = Wizard\r\n"
          u"Note=a=\r\n"
          u"Empty=\r\n"
          u"JustAWord\r\n"
          u"; note\r\n"
          u"Line1=First@RETURN@Second\r\n"
          u"  [Indented]\r\n"
          u"Quoted=\"as is\"\r\n"
          u"[InstallWizard] \r\n"
          u"Hidden=under a name with a blank\r\n"
          u"[[Odd]Name]]\n"
          u"K=v\r"
          u"Last=x");
  struct Case {
    const char16_t* section;
    const char16_t* key;
    const char16_t* text;
  } cases[] = {
      {u"", u"Early", u"before any header"},
      {u"InstallWizard", u"Title", u"Setup"},
      {u"InstallWizard", u"Note", u"a="},
      {u"InstallWizard", u"Empty", u""},
      {u"InstallWizard", u"JustAWord", u""},
      {u"InstallWizard", u"; note", u""},  // nothing marks comments
      {u"InstallWizard", u"Line1", u"First\r\nSecond"},
      {u"InstallWizard", u"[Indented]", u""},  // not a header: an entry
      {u"InstallWizard", u"Quoted", u"\"as is\""},
      {u"InstallWizard", u"Hidden", u"@@"},
      {u"InstallWizard ", u"Hidden", u"under a name with a blank"},
      {u"OddName", u"K", u"v"},
      {u"OddName", u"Last", u"x"},
      {u"installwizard", u"title", u"Setup"},  // names are case-blind
  };
  for (const Case& c : cases)
    EXPECT_EQ(t.GetText(c.section, c.key), c.text) << win::ToUtf8(c.section) << "/" << win::ToUtf8(c.key);
}

TEST(LanguageFile, LaterEntriesWinAndRepeatedHeadersContinue) {
  Texts t(u"[S]\r\nK=first\r\nA=1\r\n[T]\r\nK=other\r\n[S]\r\nk=second\r\n");
  EXPECT_EQ(t.GetText(u"S", u"K"), u"second");
  EXPECT_EQ(t.GetText(u"S", u"A"), u"1");
  EXPECT_EQ(t.GetText(u"T", u"K"), u"other");
}

TEST(GetText, NotFoundCases) {
  TlanguageManagement none;
  EXPECT_EQ(none.GetText(u"InstallWizard", u"ProductName"), u"@@");  // nothing loaded
  Texts t(u"[S]\r\nMarker=@@\r\n");
  EXPECT_EQ(t.GetText(u"S", u"Marker"), u"@@");
  EXPECT_EQ(t.GetText(u"S", u"Missing"), u"@@");
  EXPECT_EQ(t.GetText(u"Nowhere", u"Marker"), u"@@");
}

TEST(GetText, MappedSectionAnswersForAllKeys) {
  Texts t(u"[A]\r\n%Mapping%=B\r\nL=own\r\n"
          u"[B]\r\nK=x\r\n%Mapping%=C\r\n"
          u"[C]\r\nK=from C\r\nM=m\r\n");
  // A -> B -> C: the chain is followed to its end.
  EXPECT_EQ(t.GetText(u"A", u"K"), u"from C");
  EXPECT_EQ(t.GetText(u"A", u"M"), u"m");
  EXPECT_EQ(t.GetText(u"A", u"L"), u"@@");

  Texts simple(u"[A]\r\n%Mapping%=B\r\nL=own\r\n[B]\r\nK=x\r\n");
  EXPECT_EQ(simple.GetText(u"A", u"K"), u"x");
  EXPECT_EQ(simple.GetText(u"A", u"L"), u"@@");
}

TEST(GetText, MappingLoopsEndAsNotFound) {
  Texts t(u"[A]\r\n%Mapping%=B\r\nK=a\r\n[B]\r\n%Mapping%=A\r\nK=b\r\n"
          u"[Self]\r\n%Mapping%=self\r\nK=s\r\n");
  EXPECT_EQ(t.GetText(u"A", u"K"), u"@@");
  EXPECT_EQ(t.GetText(u"Self", u"K"), u"@@");
}

TEST(GetText, QualifierFallsBackFromTheLongestSection) {
  const char16_t* file =
      u"[S.M1.V2]\r\nDeep=deep\r\n"
      u"[S.M1]\r\nDeep=mid\r\nMid=mid\r\n"
      u"[S]\r\nDeep=top\r\nMid=top\r\nTop=top\r\n";
  Texts q(file, u"M1.V2");
  EXPECT_EQ(q.GetText(u"S", u"Deep"), u"deep");
  EXPECT_EQ(q.GetText(u"S", u"Mid"), u"mid");
  EXPECT_EQ(q.GetText(u"S", u"Top"), u"top");
  EXPECT_EQ(q.GetText(u"S", u"None"), u"@@");

  Texts plain(file, u"");
  EXPECT_EQ(plain.GetText(u"S", u"Deep"), u"top");
}

TEST(GetTextParam, ReplacesEveryPWhenAParameterIsGiven) {
  Texts t(u"[W]\r\nWelcome=Welcome to %P %P\r\nLower=%p stays\r\n");
  EXPECT_EQ(t.GetTextParam(u"W", u"Welcome", u"Mouse Tool"), u"Welcome to Mouse Tool Mouse Tool");
  EXPECT_EQ(t.GetTextParam(u"W", u"Welcome", u""), u"Welcome to %P %P");
  EXPECT_EQ(t.GetTextParam(u"W", u"Lower", u"X"), u"%p stays");
  EXPECT_EQ(t.GetTextParam(u"W", u"Missing", u"X"), u"@@");
}

TEST(ExpandEscapes, OrderAndCounts) {
  struct Case {
    const char16_t* text;
    String expanded;
  } cases[] = {
      {u"Total:%B12x", u"Total:" + String(11, u' ') + u"x"},
      {u"%B36", String(3, u' ') + u"6"},
      {u"%b5", u"%b5"},
      {u"a\\\\\\\\b", u"a\nb"},
      {u"a\\\\\\b", u"a\\\\\\b"},  // three backslashes stay
      {u"Line one%R2Line two", u"Line one\r\rLine two"},
      {u"%R1", u"\r"},
      {u"%B9|%B10", String(9, u' ') + u"|" + String(9, u' ')},
      {u"%B35", String(34, u' ')},
      {u"%B1", u" "},
      {u"plain", u"plain"},
  };
  for (const Case& c : cases) EXPECT_EQ(ExpandEscapes(c.text), c.expanded) << win::ToUtf8(c.text);
}

}  // namespace
