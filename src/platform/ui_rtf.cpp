// Rich text to plain text for the rich-text view.
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "platform/system.h"
#include "platform/ui.h"

namespace win {

namespace {

struct GroupState {
  bool skip = false;      // a destination that is not body text
  int unicodeSkip = 1;    // \ucN: fallback characters after \uN
};

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IsSkippedDestination(const std::string& word) {
  static const char* const kSkipped[] = {"fonttbl", "colortbl", "stylesheet", "info", "pict", "header",
                                         "footer", "headerl", "headerr", "footerl", "footerr", "object",
                                         "listtable", "listoverridetable", "rsidtbl", "generator", "xmlnstbl",
                                         "themedata", "datastore", "latentstyles", "fldinst"};
  for (const char* s : kSkipped)
    if (word == s) return true;
  return false;
}

}  // namespace

String RtfToPlainText(const std::string& rtf) {
  String out;
  std::string pendingBytes;  // \'hh bytes waiting for decoding in the code page
  uint32_t codePage = 0;
  std::vector<GroupState> stack{GroupState{}};
  int fallbackToSkip = 0;

  auto flushBytes = [&] {
    if (pendingBytes.empty()) return;
    out += DecodeCodePage(pendingBytes, codePage);
    pendingBytes.clear();
  };
  auto emit = [&](char16_t c) {
    flushBytes();
    if (!stack.back().skip) out.push_back(c);
  };

  size_t i = 0;
  const size_t n = rtf.size();
  while (i < n) {
    const char c = rtf[i];
    if (c == '{') {
      flushBytes();
      stack.push_back(stack.back());
      fallbackToSkip = 0;
      ++i;
    } else if (c == '}') {
      flushBytes();
      if (stack.size() > 1) stack.pop_back();
      fallbackToSkip = 0;
      ++i;
    } else if (c == '\\') {
      ++i;
      if (i >= n) break;
      const char d = rtf[i];
      if (d == '\'') {
        // \'hh: one byte of the document's code page.
        const int hi = i + 1 < n ? HexValue(rtf[i + 1]) : -1;
        const int lo = i + 2 < n ? HexValue(rtf[i + 2]) : -1;
        i += 3;
        if (hi < 0 || lo < 0) continue;
        if (fallbackToSkip > 0) {
          --fallbackToSkip;
          continue;
        }
        if (!stack.back().skip) pendingBytes.push_back(static_cast<char>(hi * 16 + lo));
      } else if (d == '*') {
        stack.back().skip = true;
        ++i;
      } else if (IsLetter(d)) {
        std::string word;
        while (i < n && IsLetter(rtf[i])) word.push_back(rtf[i++]);
        bool hasParam = false;
        long param = 0;
        if (i < n && (rtf[i] == '-' || IsDigit(rtf[i]))) {
          const size_t begin = i;
          ++i;
          while (i < n && IsDigit(rtf[i]) && i - begin < 10) ++i;
          param = std::strtol(rtf.substr(begin, i - begin).c_str(), nullptr, 10);
          hasParam = true;
        }
        if (i < n && rtf[i] == ' ') ++i;  // the delimiter belongs to the word
        if (word == "bin" && hasParam && param > 0) {
          // Binary data follows: skipped whole, whatever bytes it holds.
          i = std::min(n, i + static_cast<size_t>(param));
        } else if (word == "par" || word == "line" || word == "sect" || word == "page") {
          emit(u'\n');
        } else if (word == "row") {
          emit(u'\n');
        } else if (word == "tab" || word == "cell") {
          emit(u'\t');
        } else if (word == "u" && hasParam) {
          emit(static_cast<char16_t>(param < 0 ? param + 65536 : param));
          fallbackToSkip = stack.back().unicodeSkip;
        } else if (word == "uc" && hasParam) {
          stack.back().unicodeSkip = static_cast<int>(param < 0 ? 0 : param);
        } else if (word == "ansicpg" && hasParam) {
          codePage = static_cast<uint32_t>(param);
        } else if (word == "emdash") {
          emit(u'\u2014');
        } else if (word == "endash") {
          emit(u'\u2013');
        } else if (word == "bullet") {
          emit(u'\u2022');
        } else if (word == "lquote") {
          emit(u'\u2018');
        } else if (word == "rquote") {
          emit(u'\u2019');
        } else if (word == "ldblquote") {
          emit(u'\u201C');
        } else if (word == "rdblquote") {
          emit(u'\u201D');
        } else if (IsSkippedDestination(word)) {
          stack.back().skip = true;
        }
      } else {
        // Control symbols: escaped characters and a few specials.
        ++i;
        if (d == '\\' || d == '{' || d == '}') emit(static_cast<char16_t>(d));
        else if (d == '~') emit(u'\u00A0');
        else if (d == '_') emit(u'-');
        else if (d == '\n' || d == '\r') emit(u'\n');
      }
    } else if (c == '\r' || c == '\n') {
      ++i;  // line breaks in the source are not text
    } else {
      ++i;
      if (fallbackToSkip > 0) {
        --fallbackToSkip;
        continue;
      }
      if (!stack.back().skip) {
        if (static_cast<unsigned char>(c) < 0x80) {
          emit(static_cast<char16_t>(c));
        } else {
          pendingBytes.push_back(c);
        }
      }
    }
  }
  flushBytes();
  // A trailing line break left by the last \par is not part of the text.
  while (!out.empty() && out.back() == u'\n') out.pop_back();
  return out;
}

}  // namespace win
