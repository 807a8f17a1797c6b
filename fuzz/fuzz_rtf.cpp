// The licence reader: rich text of any bytes to plain text, and the word wrap
// that lays it out in a width, with fixed or real font metrics. Wrapping
// loses no character but the blanks and line breaks it breaks at.
// Input: two bytes of width, one byte of font choice, then the RTF bytes.
#include "fuzz_support.h"
#include "platform/graphics.h"
#include "platform/ui.h"

namespace {

String Visible(StringView text) {
  String out;
  for (char16_t c : text)
    if (c > u' ') out.push_back(c);
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = (fuzz::ScratchMachine(), true);
  (void)ready;
  if (size < 3) return 0;
  const int32_t width = static_cast<int16_t>(data[0] | data[1] << 8);
  const uint8_t choice = data[2];
  const std::string rtf(reinterpret_cast<const char*>(data) + 3, size - 3);

  const String text = win::RtfToPlainText(rtf);
  win::SetFixedTextMetrics((choice & 1) != 0);
  win::Font font;
  font.name = (choice & 2) ? u"Tahoma" : u"Microsoft YaHei";
  font.height = -(8 + (choice >> 2) % 24);
  const StringList lines = win::WordWrapLines(font, text, width);
  String wrapped;
  for (const String& line : lines) {
    FUZZ_CHECK(line.find_first_of(u"\r\n") == String::npos);
    wrapped += line;
  }
  FUZZ_CHECK(Visible(wrapped) == Visible(text));
  return 0;
}
