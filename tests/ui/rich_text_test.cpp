// The rich-text view: licence files as bytes or UTF-16, printing.
#include <gtest/gtest.h>

#include "platform/sim/ui_driver.h"
#include "platform/ui.h"
#include "support/sim_machine.h"

namespace {

std::string Utf16Le(const std::u16string& text, bool bom) {
  std::string out = bom ? std::string("\xFF\xFE", 2) : std::string();
  for (char16_t c : text) {
    out.push_back(static_cast<char>(c & 0xFF));
    out.push_back(static_cast<char>(c >> 8));
  }
  return out;
}

TEST(RichText, PlainTextOfRichText) {
  const std::vector<std::pair<std::string, std::u16string>> cases = {
      {R"({\rtf1\ansi\ansicpg1252\deff0{\fonttbl{\f0 Tahoma;}}{\colortbl;\red0\green0\blue0;})"
       R"(\f0\fs16 End User Licence\par Caf\'e9 \b bold\b0\par})",
       u"End User Licence\nCaf\u00e9 bold"},
      {R"({\rtf1\ansi\ansicpg936 \'d6\'d0\'ce\'c4\par})", u"\u4e2d\u6587"},
      {R"({\rtf1{\*\generator Writer;}\uc1\u20013?\u25991?\tab x\line y \{z\}\\})", u"\u4e2d\u6587\tx\ny {z}\\"},
      {R"({\rtf1 {\pict\pngblip 89504e47}after})", u"after"},
      {R"({\rtf1 unclosed group {\b text)", u"unclosed group text"},
      {R"({\rtf1 {\pict\bin3 }}{x}after})", u"after"},  // braces inside binary data
  };
  for (const auto& [rtf, text] : cases) {
    SCOPED_TRACE(rtf);
    EXPECT_EQ(win::RtfToPlainText(rtf), text);
  }
}

TEST(RichText, LoadsBytesOrUtf16WithOrWithoutByteOrderMark) {
  win::ResetApplication();
  zxtest::TempMachine machine;
  auto* form = win::GetApplication().CreateForm<win::Form>(u"FEULA");
  auto* view = form->Create<win::RichEdit>(u"re_EULA");
  const std::u16string rtf = u"{\\rtf1\\ansi Licence \u4e2d\u6587\\par Second line}";
  const std::string bytes = "{\\rtf1\\ansi Licence \\u20013?\\u25991?\\par Second line}";
  for (const std::string& file : {bytes, Utf16Le(rtf, true), Utf16Le(rtf, false)}) {
    machine.WriteFile(u"C:\\Package\\EULA\\en\\Service.rtf", file);
    ASSERT_TRUE(view->LoadFromFile(u"C:\\Package\\EULA\\en\\Service.rtf"));
    EXPECT_EQ(view->Text(), u"Licence \u4e2d\u6587\nSecond line");
  }
  // A missing file leaves the view empty.
  EXPECT_FALSE(view->LoadFromFile(u"C:\\Package\\EULA\\tw\\Service.rtf"));
  EXPECT_EQ(view->Text(), u"");

  view->SetText(u"Terms");
  sim::ClearPrintedJobs();
  EXPECT_TRUE(view->Print(u"EULA Of Marbek"));
  const auto jobs = sim::PrintedJobs();
  ASSERT_EQ(jobs.size(), 1u);
  EXPECT_EQ(jobs[0].title, u"EULA Of Marbek");
  EXPECT_EQ(jobs[0].text, u"Terms");
  EXPECT_NE(machine.ToolLog().find("print EULA Of Marbek"), std::string::npos);
  win::ResetApplication();
}

}  // namespace
