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

namespace {

// Bad input and odd sizes: the view neither crashes nor scrolls past its text.
TEST(RichText, OddTextsAndSizesScrollSafely) {
  struct Case {
    const char* name;
    std::string bytes;
    int height;
  };
  std::string longText = "{\\rtf1 ";
  for (int i = 0; i < 60; ++i) longText += "line\\par ";
  const std::vector<Case> cases = {
      {"empty file", "", 100},
      {"damaged rich text", "{\\rtf1 {\\b unclosed \\u-99999999999 \\'zz \\bin99999", 100},
      {"one line", "{\\rtf1 One line.}", 100},
      {"zero height", longText + "}", 0},
      {"one pixel high", longText + "}", 1},
  };
  zxtest::TempMachine machine;
  win::SetFixedTextMetrics(true);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    win::ResetApplication();
    auto* form = win::GetApplication().CreateForm<win::Form>(u"FEULA");
    form->SetBounds(0, 0, 300, 200);
    auto* view = form->Create<win::RichEdit>(u"re_EULA");
    view->SetBounds(10, 10, 200, c.height);
    // Readable or not (an empty file is not), the view must scroll safely.
    (void)view->LoadFromBytes(c.bytes);
    for (uint16_t code : {win::kSbLineDown, win::kSbPageDown, win::kSbBottom, win::kSbThumbTrack})
      view->Perform(win::kWmVScroll, win::MakeScrollParam(code, 30000));
    view->Perform(win::kWmMouseWheel, static_cast<uintptr_t>(static_cast<uint16_t>(-1200)) << 16, 0);
    const intptr_t bar = win::MakePointParam(view->Width() - 5, view->Height() / 2);
    view->Perform(win::kWmLButtonDown, 1, bar);
    view->Perform(win::kWmMouseMove, 1, bar + (500 << 16));
    view->Perform(win::kWmLButtonUp, 0, bar);
    EXPECT_GE(view->TopLine(), 0);
    EXPECT_LE(view->TopLine(), view->MaxTopLine());
    EXPECT_FALSE(win::RenderForm(*form).Empty());
  }
  // Text that fits shows no scroll bar and does not move.
  win::ResetApplication();
  zxtest::TempMachine fits;
  auto* form = win::GetApplication().CreateForm<win::Form>(u"FEULA");
  auto* view = form->Create<win::RichEdit>(u"re_EULA");
  view->SetBounds(0, 0, 200, 100);
  ASSERT_TRUE(view->LoadFromBytes("{\\rtf1 One line.}"));
  EXPECT_TRUE(view->ScrollThumb().IsEmpty());
  view->Perform(win::kWmVScroll, win::MakeScrollParam(win::kSbBottom));
  EXPECT_EQ(view->TopLine(), 0);
  win::ResetApplication();
  win::SetFixedTextMetrics(false);
}

TEST(RichText, TablesReadAsRowsOfCells) {
  EXPECT_EQ(win::RtfToPlainText(R"({\rtf1 {\b Terms}\par\trowd\cellx1000\cellx2000 A\cell B\cell\row End})"),
            u"Terms\nA\tB\t\nEnd");
}

}  // namespace
